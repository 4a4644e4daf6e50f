// Restarting Windows over the Win32 API.
#include <windows.h>

#include "platform/session.h"

namespace {

// The token functions exist only on the NT family, which alone needs the
// privilege; bound at run time so that the applet also loads on Windows 95.
typedef BOOL(WINAPI* OpenProcessTokenFn)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI* LookupPrivilegeValueFn)(LPCSTR, LPCSTR, PLUID);
typedef BOOL(WINAPI* AdjustTokenPrivilegesFn)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD,
                                              PTOKEN_PRIVILEGES, PDWORD);

template <typename Fn>
Fn advapi32_function(const char* name) {
    HMODULE advapi32 = GetModuleHandleA("ADVAPI32.DLL");
    FARPROC found = advapi32 ? GetProcAddress(advapi32, name) : nullptr;
    // Through void(*)(): the function's real type is the one asked for.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

int plat_enable_shutdown_privilege() {
    auto open_token = advapi32_function<OpenProcessTokenFn>("OpenProcessToken");
    auto lookup = advapi32_function<LookupPrivilegeValueFn>("LookupPrivilegeValueA");
    auto adjust = advapi32_function<AdjustTokenPrivilegesFn>("AdjustTokenPrivileges");
    if (!open_token || !lookup || !adjust) return PLAT_PRIVILEGE_UNAVAILABLE;
    HANDLE token = nullptr;
    if (!open_token(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return PLAT_PRIVILEGE_UNAVAILABLE;
    TOKEN_PRIVILEGES privileges;
    ZeroMemory(&privileges, sizeof privileges);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    int result = PLAT_PRIVILEGE_UNAVAILABLE;
    if (lookup(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        // Success with ERROR_NOT_ALL_ASSIGNED: the user does not hold it.
        SetLastError(ERROR_SUCCESS);
        if (adjust(token, FALSE, &privileges, 0, nullptr, nullptr) &&
            GetLastError() == ERROR_SUCCESS)
            result = PLAT_PRIVILEGE_ENABLED;
    }
    CloseHandle(token);
    return result;
}

int plat_restart_windows() { return ExitWindowsEx(EWX_REBOOT, 0) ? 1 : 0; }
