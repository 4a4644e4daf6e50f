// Device I/O over the Win32 API.
#include <windows.h>

#include "platform/device.h"

PlatHandle plat_create_file(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

int plat_device_io_control(PlatHandle handle, uint32_t code, const void* in, uint32_t in_size,
                           void* out, uint32_t out_size, uint32_t* returned) {
    DWORD r = 0;
    BOOL ok = DeviceIoControl(handle, code, const_cast<void*>(in), in_size, out, out_size, &r,
                              nullptr);
    if (returned) *returned = r;
    return ok ? 1 : 0;
}

int plat_close_handle(PlatHandle handle) { return CloseHandle(handle) ? 1 : 0; }

uint32_t plat_query_dos_device(const char* name, char* target, uint32_t size) {
    return QueryDosDeviceA(name, target, size);
}

int plat_define_dos_device(uint32_t flags, const char* name, const char* target) {
    return DefineDosDeviceA(flags, name, target) ? 1 : 0;
}
