// Version information, files, atoms, console and clock.
#pragma once
#include <cstddef>
#include <cstdint>

enum : uint32_t {
    PLAT_VER_PLATFORM_WIN32_WINDOWS = 1,
    PLAT_VER_PLATFORM_WIN32_NT = 2,
};

// The fields of OSVERSIONINFOA the system looks at.
struct PlatVersionInfo {
    uint32_t major;
    uint32_t minor;
    uint32_t build;
    uint32_t platform_id;
    char csd_version[128];
};

// GetVersionExA with the size field set to 148. Returns 1, or 0 on failure.
int plat_get_version(PlatVersionInfo* info);

// GetSystemDirectoryA: characters copied (without terminator), or the size
// needed when the buffer is too small, or 0 on failure.
uint32_t plat_get_system_directory(char* buffer, uint32_t size);

enum : uint32_t {
    PLAT_FILE_ATTRIBUTE_READONLY = 0x01,
    PLAT_FILE_ATTRIBUTE_NORMAL = 0x80,
    PLAT_INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF,
};
uint32_t plat_get_file_attributes(const char* path);
int plat_set_file_attributes(const char* path, uint32_t attributes);
int plat_delete_file(const char* path);

// GlobalAddAtomA: the atom, or 0 on failure.
uint16_t plat_global_add_atom(const char* name);

// Writes bytes to standard output, unbuffered.
void plat_write_stdout(const char* text, size_t length);

// GetComputerNameA: *size is the buffer size in, the name's length out.
int plat_get_computer_name(char* buffer, uint32_t* size);

void plat_sleep(uint32_t milliseconds);

uint32_t plat_get_last_error();
