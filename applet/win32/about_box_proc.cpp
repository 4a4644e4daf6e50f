// Window glue of the About box (1206).
#include <windows.h>

#include "about_box.h"
#include "dialogs.h"
#include "window_view.h"

INT_PTR CALLBACK about_box_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        WindowView view(dialog, dialog);
        about_init(view);
        return TRUE;
    }
    case WM_COMMAND: EndDialog(dialog, LOWORD(wparam)); return TRUE;
    default: return FALSE;
    }
}
