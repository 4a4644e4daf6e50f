// The device installer's requests and this library's answers. Nothing here
// ever fails an installation: every answer but the first pass of a removal
// is NO_ERROR.
#include "coinstaller.h"
#include "wide_format.h"

const char APPLET_FILE_NAME[] = "RCPANEL48.CPL";

uint32_t device_co_installer(CoinstallerHost& host, uint32_t function,
                             const InstallContext* context) {
    if (!context) return COINST_NO_ERROR;
    switch (function) {
    case COINST_DIF_REMOVE:
        // The applet file may go only once the device is really gone: ask to
        // be called again after the removal, with its result.
        if (!context->post_processing) return COINST_ERROR_DI_POSTPROCESSING_REQUIRED;
        if (context->install_result == COINST_NO_ERROR) remove_applet_file(host);
        return COINST_NO_ERROR;
    case COINST_DIF_NEWDEVICEWIZARD_FINISHINSTALL:
        // Acted on as it comes: the wizard's last page is shown once this
        // returns, so the user configures the card before leaving it.
        remove_inf_copies(host);
        if (start_applet(host)) wait_for_applet_windows(host);
        return COINST_NO_ERROR;
    default: return COINST_NO_ERROR;
    }
}

void remove_applet_file(CoinstallerHost& host) {
    WideChar system[DIRECTORY_CAPACITY];
    const uint32_t n = host.system_directory(system, DIRECTORY_CAPACITY);
    // Without the directory the path would name RCPANEL48.CPL at the root of
    // the current drive or in the current directory.
    if (n == 0 || n >= DIRECTORY_CAPACITY) return;
    WideChar path[PATH_CAPACITY];
    if (!format_wide(path, PATH_CAPACITY, "%s\\%s", {system, APPLET_FILE_NAME})) return;
    // As it is: a file made read-only on purpose stays.
    host.delete_file(path);
}
