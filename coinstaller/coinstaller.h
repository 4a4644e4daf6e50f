// RCCOINST48's logic: the device installer's requests answered, stale copies
// of the card's setup information file removed, the applet started after a
// new device and its windows waited for, the applet file deleted after a
// removal. Over CoinstallerHost only; coinstaller/win32 turns the SetupAPI
// call into device_co_installer.
#pragma once
#include <cstddef>
#include <cstdint>

#include "coinstaller_host.h"

// Device installation function codes (DI_FUNCTION) and the answers (Win32
// and SetupAPI error codes) this library deals in.
enum : uint32_t {
    COINST_DIF_REMOVE = 0x05,
    COINST_DIF_NEWDEVICEWIZARD_FINISHINSTALL = 0x1E,
    COINST_NO_ERROR = 0,
    COINST_ERROR_DI_POSTPROCESSING_REQUIRED = 0xE0000226,
};

// The fields of COINSTALLER_CONTEXT_DATA that are read.
struct InstallContext {
    bool post_processing;
    uint32_t install_result;  // the installer's result, on the post-processing call
};

extern const char APPLET_FILE_NAME[];    // "RCPANEL48.CPL"
extern const char INF_COPY_MARKER[];     // "NETORX48.INF"
extern const char APPLET_WINDOW_TEXT[];  // "Edit Configuration"

enum : uint32_t {
    // Directory buffers, in characters (terminator included).
    DIRECTORY_CAPACITY = 256,
    // Every path built, in characters (terminator included): MAX_PATH.
    PATH_CAPACITY = 260,
    // Window titles: 255 characters and the terminator.
    TITLE_CAPACITY = 256,
    INF_COPY_READ_BYTES = 10000,
    APPEARANCE_WAIT_MS = 5000,
    CLOSE_WAIT_MS = 1800000,
    POLL_INTERVAL_MS = 1000,
    MISSES_TO_END = 5,
};

// The co-installer entry: the answer to one device installation request.
// A null context is answered with NO_ERROR and nothing done.
uint32_t device_co_installer(CoinstallerHost& host, uint32_t function,
                             const InstallContext* context);

// DIF_REMOVE after a successful removal: <system directory>\RCPANEL48.CPL
// deleted as it is (a read-only file stays).
void remove_applet_file(CoinstallerHost& host);
// <windows directory>\inf\oem<n>.inf for n = 0, 1, ... up to the first
// missing one; each that mentions the marker in its first 10,000 bytes is
// deleted with its .pnf.
void remove_inf_copies(CoinstallerHost& host);
// Starts the applet through the Control Panel launcher of the system
// directory; true when its process was created.
bool start_applet(CoinstallerHost& host);
// Waits for the applet's window to appear (up to 5 s) and then to be gone
// for five polls in a row (up to 30 min).
void wait_for_applet_windows(CoinstallerHost& host);

// Set by window_test when a window's title holds APPLET_WINDOW_TEXT; cleared
// before every enumeration.
extern bool window_seen;
// The test of one top-level window during an enumeration; always 1, so that
// the enumeration goes on to every window.
int window_test(CoinstallerHost& host, void* window);
// Clears window_seen, enumerates the top-level windows, and answers it.
bool applet_window_shown(CoinstallerHost& host);
