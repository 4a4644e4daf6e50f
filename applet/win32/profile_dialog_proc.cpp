// Window glue of the profile dialog (1200): messages to ProfileDialog calls,
// the replacement procedures of the twelve row controls, help, the About item.
#include <windows.h>

#include <new>

#include "applet_module.h"
#include "dialogs.h"
#include "help.h"
#include "profile_dialog.h"
#include "resource.h"
#include "window_view.h"

namespace {

enum { ROWS = 4, ROW_CONTROLS = 3 * ROWS };

// The context help pairs: 0x80000000 + 1200 * 65536 + the control's id.
#define PROFILE_HELP(id) (id), (0x84B00000u + (id))
const DWORD HELP_PAIRS[] = {
    PROFILE_HELP(IDC_EDIT_PROFILE),
    PROFILE_HELP(IDC_PROFILE_NAME_1),
    PROFILE_HELP(IDC_PROFILE_NAME_2),
    PROFILE_HELP(IDC_PROFILE_NAME_3),
    PROFILE_HELP(IDC_PROFILE_NAME_4),
    PROFILE_HELP(IDC_PROFILE_SELECT_1),
    PROFILE_HELP(IDC_PROFILE_SELECT_2),
    PROFILE_HELP(IDC_PROFILE_SELECT_3),
    PROFILE_HELP(IDC_PROFILE_SELECT_4),
    PROFILE_HELP(IDC_PROFILE_TYPE_1),
    PROFILE_HELP(IDC_PROFILE_TYPE_2),
    PROFILE_HELP(IDC_PROFILE_TYPE_3),
    PROFILE_HELP(IDC_PROFILE_TYPE_4),
    0,
    0,
};
#undef PROFILE_HELP

// The dialog is modal and the applet runs one at a time: one window's state.
struct ProfileWindow {
    HWND dialog;
    WindowView view;
    ProfileDialog logic;
    HWND controls[ROW_CONTROLS];
    WNDPROC saved[ROW_CONTROLS];
    HICON small_icon;

    explicit ProfileWindow(HWND window)
        : dialog(window),
          view(window, window),
          logic(view),
          controls(),
          saved(),
          small_icon(nullptr) {}
};

ProfileWindow* current;

enum RowControl { SELECT, NAME, TYPE };

int control_id(RowControl kind, int row) {
    switch (kind) {
    case SELECT: return profile_select_id(row);
    case NAME: return profile_name_id(row);
    default: return profile_type_id(row);
    }
}

// Which of the twelve a window is: index, or -1.
int find_control(HWND control) {
    if (!current) return -1;
    for (int i = 0; i < ROW_CONTROLS; ++i)
        if (current->controls[i] == control) return i;
    return -1;
}

LRESULT CALLBACK row_control_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    const int index = find_control(control);
    if (index < 0) return DefWindowProcA(control, message, wparam, lparam);
    const WNDPROC saved = current->saved[index];
    const RowControl kind = static_cast<RowControl>(index / ROWS);
    const int row = index % ROWS + 1;
    switch (kind) {
    case SELECT:
        if (message == BM_SETCHECK && wparam == BST_CHECKED)
            current->logic.selection_set(row, true);
        break;
    case NAME:
        if (message == WM_KILLFOCUS) current->logic.name_focus_lost(row);
        break;
    case TYPE:
        // A combo box hears WM_COMMAND only from its own parts: from a drop-
        // down list, its list (opened, browsed or picked from).
        if (message == WM_COMMAND && lparam != 0) current->logic.type_list_command(row);
        break;
    }
    return CallWindowProcA(saved, control, message, wparam, lparam);
}

void subclass_rows(ProfileWindow* window) {
    for (int kind = SELECT; kind <= TYPE; ++kind) {
        for (int row = 1; row <= ROWS; ++row) {
            const int i = kind * ROWS + row - 1;
            HWND control =
                GetDlgItem(window->dialog, control_id(static_cast<RowControl>(kind), row));
            window->controls[i] = control;
            window->saved[i] =
                control ? reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                              control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(row_control_proc)))
                        : nullptr;
        }
    }
}

void restore_rows(ProfileWindow* window) {
    for (int i = 0; i < ROW_CONTROLS; ++i) {
        if (window->controls[i] && window->saved[i])
            SetWindowLongPtrA(window->controls[i], GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(window->saved[i]));
        window->saved[i] = nullptr;
    }
}

void add_about_item(HWND dialog) {
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (!menu) return;
    InsertMenuA(menu, 2, MF_BYPOSITION | MF_STRING | MF_HILITE, IDM_ABOUT, " &About");
    SetMenuDefaultItem(menu, IDM_ABOUT, FALSE);
}

// The dialog's own small icon, loaded at each opening (the dialog reopens
// after every sheet) and destroyed at its close.
HICON set_small_icon(HWND dialog) {
    HICON icon = static_cast<HICON>(
        LoadImageA(resource_module(), MAKEINTRESOURCEA(IDI_APPLET), IMAGE_ICON, 16, 16, 0));
    if (icon) SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    return icon;
}

void release_small_icon(HWND dialog, HICON icon) {
    if (!icon) return;
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, 0);
    DestroyIcon(icon);
}

// Room for the one window's state, made anew at each opening (no heap: the
// deliverable carries no allocator of its own).
alignas(ProfileWindow) unsigned char window_storage[sizeof(ProfileWindow)];

BOOL on_init(HWND dialog) {
    auto* window = new (window_storage) ProfileWindow(dialog);
    current = window;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(window));
    subclass_rows(window);
    window->logic.init();
    window->small_icon = set_small_icon(dialog);
    add_about_item(dialog);
    return TRUE;
}

void on_destroy(HWND dialog) {
    auto* window = reinterpret_cast<ProfileWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!window) return;
    restore_rows(window);
    release_small_icon(dialog, window->small_icon);
    window->small_icon = nullptr;
    if (current == window) current = nullptr;
}

}  // namespace

INT_PTR CALLBACK profile_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* window = reinterpret_cast<ProfileWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: return on_init(dialog);
    case WM_COMMAND:
        // Buttons, and Enter and Escape, which come with no control.
        if (!window || HIWORD(wparam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wparam)) {
        case IDOK:
        case IDCANCEL:
        case IDC_EDIT_PROFILE:
        case IDC_HELP_BUTTON: window->logic.command(LOWORD(wparam)); return TRUE;
        default: return FALSE;
        }
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) != IDM_ABOUT) return FALSE;
        DialogBoxParamA(resource_module(), MAKEINTRESOURCEA(IDD_ABOUT), dialog, about_box_proc, 0);
        return TRUE;
    case WM_HELP: return open_context_help(reinterpret_cast<HELPINFO*>(lparam), HELP_PAIRS);
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wparam) == dialog) return FALSE;
        open_context_menu_help(reinterpret_cast<HWND>(wparam), HELP_PAIRS);
        return TRUE;
    case WM_DESTROY: on_destroy(dialog); return FALSE;
    default: return FALSE;
    }
}
