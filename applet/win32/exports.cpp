// The applet's three entries: the Control Panel's CPlApplet, and the two that
// installers call, TarvoConfigure and CMConfigure.
#include <windows.h>

#include <cpl.h>

#include "applet_module.h"
#include "page_record.h"
#include "resource.h"
#include "run.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) applet_instance = instance;
    return TRUE;
}

LONG WINAPI CPlApplet(HWND window, UINT message, LPARAM, LPARAM parameter) {
    AppletHost& host = win32_host();
    switch (message) {
    case CPL_INIT: {
        host.acquire_module();
        const int found = applet_init();
        // No CPL_STOP follows an answer of 0: keep no reference, which would
        // hold the file against its removal.
        if (!found) host.release_module();
        return found;
    }
    case CPL_GETCOUNT: return 1;
    case CPL_INQUIRE: {
        auto* info = reinterpret_cast<CPLINFO*>(parameter);
        if (!info) return 0;
        info->idIcon = IDI_APPLET;
        info->idName = IDS_APPLET_NAME;
        info->idInfo = IDS_APPLET_DESCRIPTION;
        info->lData = reinterpret_cast<LONG_PTR>(&page_record);
        return 0;
    }
    case CPL_DBLCLK: {
        parent_window = window;
        uint32_t status = 0;
        run_applet(host, RUN_READ_MAILBOX, &status);
        return 0;
    }
    case CPL_STOP: host.release_module(); return 0;
    // Anything else (CPL_STARTWPARMS among them, whose text may be null) is
    // answered without reading its arguments.
    default: return 0;
    }
}

DWORD WINAPI TarvoConfigure(DWORD version, const TarvoTexts* texts, const char** status) {
    parent_window = GetActiveWindow();
    return static_cast<DWORD>(tarvo_configure(win32_host(), version, texts, status));
}

DWORD WINAPI CMConfigure(DWORD command) {
    parent_window = GetActiveWindow();
    return cm_configure(win32_host(), command);
}

}  // extern "C"
