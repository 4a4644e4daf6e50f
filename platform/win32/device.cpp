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
    BOOL ok =
        DeviceIoControl(handle, code, const_cast<void*>(in), in_size, out, out_size, &r, nullptr);
    if (returned) *returned = r;
    return ok ? 1 : 0;
}

int plat_close_handle(PlatHandle handle) { return CloseHandle(handle) ? 1 : 0; }

// DOS device names exist only on the NT family, which alone uses them; bound
// at run time so that the program also loads where KERNEL32 lacks them.
typedef DWORD(WINAPI* QueryDosDeviceFn)(LPCSTR, LPSTR, DWORD);
typedef BOOL(WINAPI* DefineDosDeviceFn)(DWORD, LPCSTR, LPCSTR);

template <typename Fn>
static Fn kernel32_function(const char* name) {
    HMODULE kernel32 = GetModuleHandleA("KERNEL32.DLL");
    FARPROC found = kernel32 ? GetProcAddress(kernel32, name) : nullptr;
    // Through void(*)(): the function's real type is the one asked for.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(found));
}

uint32_t plat_query_dos_device(const char* name, char* target, uint32_t size) {
    auto query = kernel32_function<QueryDosDeviceFn>("QueryDosDeviceA");
    if (!query) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return 0;
    }
    return query(name, target, size);
}

int plat_define_dos_device(uint32_t flags, const char* name, const char* target) {
    auto define = kernel32_function<DefineDosDeviceFn>("DefineDosDeviceA");
    if (!define) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return 0;
    }
    return define(flags, name, target) ? 1 : 0;
}
