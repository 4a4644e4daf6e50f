// After a new device: the applet started so that the user configures the card
// at once, and the device installer held until the user is done with it.
#include "coinstaller.h"
#include "wide_format.h"

bool start_applet(CoinstallerHost& host) {
    WideChar system[DIRECTORY_CAPACITY];
    const uint32_t n = host.system_directory(system, DIRECTORY_CAPACITY);
    if (n == 0 || n >= DIRECTORY_CAPACITY) return false;
    // The launcher named by its full path: found by the search path instead,
    // a control.exe beside the installing program or in its current
    // directory (the installation media) would run with the installer's
    // rights.
    WideChar application[PATH_CAPACITY];
    if (!format_wide(application, PATH_CAPACITY, "%s\\control.exe", {system})) return false;
    // Writable: CreateProcessW may write to the command line it is given.
    WideChar command_line[PATH_CAPACITY];
    if (!format_wide(command_line, PATH_CAPACITY, "control %s", {APPLET_FILE_NAME})) return false;
    return host.start_process(application, command_line);
}

// Times are elapsed ticks (now - start, unsigned), which keep their length
// across the tick count's wrap; a deadline of start + limit would not.
void wait_for_applet_windows(CoinstallerHost& host) {
    const uint32_t appearance = host.tick_count();
    while (host.tick_count() - appearance < APPEARANCE_WAIT_MS) {
        if (applet_window_shown(host)) break;
        host.sleep(POLL_INTERVAL_MS);
    }
    // Whether or not it came: a window that shows late is still waited for,
    // and the user gets up to half an hour from here.
    const uint32_t open = host.tick_count();
    unsigned misses = MISSES_TO_END;
    while (host.tick_count() - open < CLOSE_WAIT_MS) {
        if (applet_window_shown(host))
            misses = MISSES_TO_END;
        else if (--misses == 0)
            return;
        host.sleep(POLL_INTERVAL_MS);
    }
}
