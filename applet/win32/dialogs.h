// The dialog procedures and the property sheet builder of the applet.
#pragma once
#include <windows.h>

INT_PTR CALLBACK profile_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK about_box_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The property sheet for the current profile, owned by owner, its templates
// and strings from module. Returns PropertySheet's result; *cancelled is set
// when the user cancelled it.
int run_sheet(HWND owner, HINSTANCE module, bool* cancelled);
