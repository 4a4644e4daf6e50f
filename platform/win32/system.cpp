// Version, files, atoms, console and clock over the Win32 API.
#include <windows.h>

#include "platform/system.h"

int plat_get_version(PlatVersionInfo* info) {
    OSVERSIONINFOA v;
    ZeroMemory(&v, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;  // 148
    if (!GetVersionExA(&v)) return 0;
    info->major = v.dwMajorVersion;
    info->minor = v.dwMinorVersion;
    info->build = v.dwBuildNumber;
    info->platform_id = v.dwPlatformId;
    CopyMemory(info->csd_version, v.szCSDVersion, sizeof info->csd_version);
    info->csd_version[sizeof info->csd_version - 1] = 0;
    return 1;
}

uint32_t plat_get_system_directory(char* buffer, uint32_t size) {
    return GetSystemDirectoryA(buffer, size);
}

uint32_t plat_get_file_attributes(const char* path) { return GetFileAttributesA(path); }

int plat_set_file_attributes(const char* path, uint32_t attributes) {
    return SetFileAttributesA(path, attributes) ? 1 : 0;
}

int plat_delete_file(const char* path) { return DeleteFileA(path) ? 1 : 0; }

uint16_t plat_global_add_atom(const char* name) { return GlobalAddAtomA(name); }

void plat_write_stdout(const char* text, size_t length) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out, text, static_cast<DWORD>(length), &written, nullptr);
}

int plat_get_computer_name(char* buffer, uint32_t* size) {
    DWORD s = *size;
    BOOL ok = GetComputerNameA(buffer, &s);
    *size = s;
    return ok ? 1 : 0;
}

void plat_sleep(uint32_t milliseconds) { Sleep(milliseconds); }

uint32_t plat_get_last_error() { return GetLastError(); }
