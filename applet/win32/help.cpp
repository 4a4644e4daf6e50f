#include "help.h"

const char APPLET_HELP_FILE[] = "RCPANEL.HLP";

void open_help_topic(HWND window, DWORD topic) {
    WinHelpA(window, APPLET_HELP_FILE, HELP_CONTEXT, topic);
}

BOOL open_context_help(const HELPINFO* info, const DWORD* pairs) {
    if (!info || info->iContextType != HELPINFO_WINDOW) return FALSE;
    WinHelpA(static_cast<HWND>(info->hItemHandle), APPLET_HELP_FILE, HELP_WM_HELP,
             reinterpret_cast<ULONG_PTR>(pairs));
    return TRUE;
}

void open_context_menu_help(HWND control, const DWORD* pairs) {
    WinHelpA(control, APPLET_HELP_FILE, HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(pairs));
}
