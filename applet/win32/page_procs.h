// The dialog procedures of the property pages.
#pragma once
#include <windows.h>

// The procedure for a page template (1201, 1203, 1204, 1205, 1207).
DLGPROC page_proc(unsigned dialog_id);

INT_PTR CALLBACK basic_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK encryption_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK advanced_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK admin_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK adapter_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

// A page heard PSN_RESET: the user cancelled the sheet.
void sheet_page_reset();

// The common part of every page's procedure: PSN_RESET is the sheet's
// cancel. Returns TRUE when it handled the message.
BOOL page_common(HWND page, UINT message, LPARAM lparam);
