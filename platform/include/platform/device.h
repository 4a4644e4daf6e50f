// Device I/O, in the shape of CreateFileA / DeviceIoControl / DOS device names.
#pragma once
#include <cstdint>

typedef void* PlatHandle;
#define PLAT_INVALID_HANDLE_VALUE ((PlatHandle)(intptr_t)-1)

// CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, no security,
// OPEN_EXISTING, no flags, no template). PLAT_INVALID_HANDLE_VALUE on failure;
// plat_get_last_error() then tells why.
PlatHandle plat_create_file(const char* path);

// DeviceIoControl without overlapped structure. Returns 1 on success, 0 on failure.
int plat_device_io_control(PlatHandle handle, uint32_t code, const void* in, uint32_t in_size,
                           void* out, uint32_t out_size, uint32_t* returned);

int plat_close_handle(PlatHandle handle);

enum : uint32_t {
    PLAT_DDD_RAW_TARGET_PATH = 0x00000001,
    PLAT_DDD_REMOVE_DEFINITION = 0x00000002,
    PLAT_DDD_EXACT_MATCH_ON_REMOVE = 0x00000004,
};

// QueryDosDeviceA: characters stored, or 0 on failure (plat_get_last_error()).
uint32_t plat_query_dos_device(const char* name, char* target, uint32_t size);
// DefineDosDeviceA: 1 on success, 0 on failure.
int plat_define_dos_device(uint32_t flags, const char* name, const char* target);

// IOCTL_NDIS_QUERY_GLOBAL_STATS
enum : uint32_t { PLAT_IOCTL_NDIS_QUERY_GLOBAL_STATS = 0x00170002 };
