// The Windows session: restarting Windows, and the privilege that needs on
// the NT family. Only the applet uses it.
#pragma once

enum : int {
    PLAT_PRIVILEGE_ENABLED = 1,
    // The process token could not be opened or adjusted, or the shutdown
    // privilege is not assigned to the user (Windows 95 has no token calls).
    PLAT_PRIVILEGE_UNAVAILABLE = 0,
};

// Opens the process token for adjusting and querying privileges, enables
// SeShutdownPrivilege alone, closes the token.
int plat_enable_shutdown_privilege();

// ExitWindowsEx(EWX_REBOOT): 1 when Windows accepted it, 0 when it refused.
int plat_restart_windows();
