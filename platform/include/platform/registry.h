// Registry access, in the shape of the Win32 registry API.
// Results are Win32 error codes (0 success, 2 not found, 5 access denied,
// 234 more data, 259 no more items).
#pragma once
#include <cstdint>

typedef struct PlatKeyTag* PlatKey;

// Predefined roots.
extern const PlatKey PLAT_HKEY_LOCAL_MACHINE;
extern const PlatKey PLAT_HKEY_CURRENT_USER;

enum : uint32_t {
    PLAT_KEY_QUERY_VALUE = 0x0001,
    PLAT_KEY_SET_VALUE = 0x0002,
    PLAT_KEY_CREATE_SUB_KEY = 0x0004,
    PLAT_KEY_ENUMERATE_SUB_KEYS = 0x0008,
    PLAT_DELETE = 0x00010000,
    PLAT_KEY_ALL_ACCESS = 0x000F003F,
};

enum : uint32_t {
    PLAT_REG_NONE = 0,
    PLAT_REG_SZ = 1,
    PLAT_REG_EXPAND_SZ = 2,
    PLAT_REG_BINARY = 3,
    PLAT_REG_DWORD = 4,
    PLAT_REG_MULTI_SZ = 7,
};

enum : long {
    PLAT_ERROR_SUCCESS = 0,
    PLAT_ERROR_FILE_NOT_FOUND = 2,
    PLAT_ERROR_PATH_NOT_FOUND = 3,
    PLAT_ERROR_ACCESS_DENIED = 5,
    PLAT_ERROR_INVALID_HANDLE = 6,
    PLAT_ERROR_INVALID_PARAMETER = 87,
    PLAT_ERROR_MORE_DATA = 234,
    PLAT_ERROR_NO_MORE_ITEMS = 259,
    PLAT_ERROR_BADKEY = 1010,
};

// RegOpenKeyA: opens with full access.
long plat_reg_open_key(PlatKey root, const char* sub_key, PlatKey* out);
// RegOpenKeyExA
long plat_reg_open_key_ex(PlatKey root, const char* sub_key, uint32_t access, PlatKey* out);
// RegCreateKeyExA with REG_OPTION_NON_VOLATILE, no class, no security attributes.
long plat_reg_create_key_ex(PlatKey root, const char* sub_key, uint32_t access, PlatKey* out);
// RegQueryValueExA: *size is the buffer size in, the value's size out.
// data may be null to ask for type and size only.
long plat_reg_query_value_ex(PlatKey key, const char* name, uint32_t* type, uint8_t* data,
                             uint32_t* size);
// RegSetValueExA
long plat_reg_set_value_ex(PlatKey key, const char* name, uint32_t type, const uint8_t* data,
                           uint32_t size);
// RegEnumKeyA: name_size is the buffer size in characters, terminator included.
long plat_reg_enum_key(PlatKey key, uint32_t index, char* name, uint32_t name_size);
// RegEnumKeyExA: *name_size in characters in (terminator included), length out.
long plat_reg_enum_key_ex(PlatKey key, uint32_t index, char* name, uint32_t* name_size);
// RegDeleteKeyA: deletes a key without sub keys.
long plat_reg_delete_key(PlatKey root, const char* sub_key);
long plat_reg_close_key(PlatKey key);
