// Registry primitives: each call opens and closes its own key.
#pragma once
#include <cstdint>

#include "platform/registry.h"

// Size of the buffer reg_read_string fills.
enum { REG_STRING_SIZE = 259 };
// Largest value reg_read_dword accepts.
enum { REG_DWORD_READ_SIZE = 32 };

// Reads a value of any type as text into buffer (REG_STRING_SIZE bytes).
// 1 when read: buffer then holds the value and a terminating zero. 0 otherwise,
// with buffer untouched.
int reg_read_string(PlatKey root, const char* sub_key, const char* name, char* buffer);
// Writes a REG_SZ, creating missing keys on the path. 1 or 0.
int reg_write_string(PlatKey root, const char* sub_key, const char* name, const char* text);
// Reads a REG_DWORD, or a REG_SZ holding a decimal number. 1 or 0; value is
// untouched on 0.
int reg_read_dword(PlatKey root, const char* sub_key, const char* name, int32_t* value);
// Writes a REG_DWORD, creating missing keys on the path. 1 or 0.
int reg_write_dword(PlatKey root, const char* sub_key, const char* name, int32_t value);
// Deletes a key and everything below it. A Win32 error code, 0 on success.
long reg_delete_tree(PlatKey root, const char* sub_key);

// Decimal text to a 32-bit long as the C library of 32-bit Windows does it:
// leading white space and a sign accepted, stops at the first non-digit,
// no digits give 0, saturates at the 32-bit limits. Reads at most length bytes.
int32_t decimal_text_to_long(const char* text, uint32_t length);
