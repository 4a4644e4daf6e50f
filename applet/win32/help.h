// The applet's help file: topics and context help pop-ups.
#pragma once
#include <windows.h>

extern const char APPLET_HELP_FILE[];  // "RCPANEL.HLP"

// HELP_CONTEXT at a topic.
void open_help_topic(HWND window, DWORD topic);
// WM_HELP of a dialog: a pop-up for the control asked about, from a table of
// (control id, context id) pairs ended by 0. TRUE when it was a control's.
BOOL open_context_help(const HELPINFO* info, const DWORD* pairs);
// WM_CONTEXTMENU ("What's This?") on a control of the dialog.
void open_context_menu_help(HWND control, const DWORD* pairs);
