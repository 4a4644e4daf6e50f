// Window glue of the Basic page (1201): notifications and the replacement
// procedures of the name field, the key field and the data-security box.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <new>

#include "basic_page.h"
#include "help.h"
#include "page_procs.h"
#include "page_window.h"
#include "resource.h"
#include "subclass.h"
#include "window_position.h"
#include "window_view.h"

namespace {

#define BASIC_HELP(id, context) (id), (context)
const DWORD HELP_PAIRS[] = {
    BASIC_HELP(IDC_BASIC_HELP_TEXT, 0x84B10851),
    BASIC_HELP(IDC_BASIC_DATA_SECURITY, 0x84B10859),
    BASIC_HELP(IDC_BASIC_KEY, 0x84B10843),
    BASIC_HELP(IDC_BASIC_NAME, 0x84B1083F),
    0,
    0,
};
#undef BASIC_HELP

struct BasicWindow {
    WindowView view;
    BasicPage logic;
    Subclassed controls[4];

    BasicWindow(HWND page)
        : view(page, GetParent(page)),
          logic(view),
          controls{{IDC_BASIC_NAME, nullptr, nullptr},
                   {IDC_BASIC_KEY, nullptr, nullptr},
                   {IDC_BASIC_DATA_SECURITY, nullptr, nullptr},
                   {0, nullptr, nullptr}} {}
};

// One sheet at a time, one Basic page in it: its state, made anew at creation.
alignas(BasicWindow) unsigned char window_storage[sizeof(BasicWindow)];
BasicWindow* current;

LRESULT pass(const Subclassed* entry, HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    return CallWindowProcA(entry->saved, control, message, wparam, lparam);
}

// A paste of the clipboard's text as the page's rule allows: put in by the
// glue (the rule may have changed its letters), or refused.
template <typename Rule>
bool paste(HWND control, Rule rule) {
    char text[256];
    if (!clipboard_text(control, text, sizeof text) || !rule(text)) return false;
    SendMessageA(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    return true;
}

LRESULT CALLBACK control_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    const Subclassed* entry = current ? find_subclassed(current->controls, control) : nullptr;
    if (!entry) return DefWindowProcA(control, message, wparam, lparam);
    BasicPage& page = current->logic;
    switch (entry->id) {
    case IDC_BASIC_NAME:
        switch (message) {
        case WM_CHAR: {
            char c = static_cast<char>(wparam);
            if (page.name_char(c) == CHAR_DROP) return 0;
            return pass(entry, control, message, static_cast<unsigned char>(c), lparam);
        }
        case WM_KEYUP: {
            const LRESULT result = pass(entry, control, message, wparam, lparam);
            page.name_key_up();
            return result;
        }
        case WM_PASTE:
            // In as typed: the key follows the name as after a key release.
            if (paste(control, [&](char* text) { return page.name_paste(text); }))
                page.name_key_up();
            return 0;
        case WM_CUT:
        case WM_CLEAR: {
            // The edit cuts first: the key follows the name that is left.
            page.name_cut_or_clear();
            const LRESULT result = pass(entry, control, message, wparam, lparam);
            page.name_key_up();
            return result;
        }
        default: break;
        }
        break;
    case IDC_BASIC_KEY:
        switch (message) {
        case WM_KEYDOWN: page.key_key_down(); break;
        case WM_CHAR: {
            char c = static_cast<char>(wparam);
            if (page.key_char(c) == CHAR_DROP) return 0;
            return pass(entry, control, message, static_cast<unsigned char>(c), lparam);
        }
        case WM_PASTE: paste(control, [&](char* text) { return page.key_paste(text); }); return 0;
        case WM_CUT:
        case WM_CLEAR: page.key_cut_or_clear(); break;
        default: break;
        }
        break;
    case IDC_BASIC_DATA_SECURITY:
        // Before the box changes: the warning depends on its state now.
        if (message == BM_SETCHECK) page.security_set_check(wparam == BST_CHECKED);
        if (message == WM_CAPTURECHANGED) page.security_clicked();
        break;
    default: break;
    }
    return pass(entry, control, message, wparam, lparam);
}

BOOL on_init(HWND page) {
    current = new (window_storage) BasicWindow(page);
    SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(current));
    // The remembered position, without reading X_POS and Y_POS again.
    HWND sheet = GetParent(page);
    RECT window, desktop;
    if (GetWindowRect(sheet, &window) && GetWindowRect(GetDesktopWindow(), &desktop)) {
        const WindowPosition p =
            place_sheet_window(0, window.right - window.left, window.bottom - window.top,
                               desktop.right, desktop.bottom);
        SetWindowPos(sheet, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    subclass_controls(page, current->controls, control_proc);
    current->logic.init();
    return TRUE;
}

BOOL on_notify(HWND page, const NMHDR* header) {
    return current ? page_notify(page, current->logic, header) : FALSE;
}

void on_destroy() {
    if (!current) return;
    restore_controls(current->controls);
    current->view.save_position();
    current = nullptr;
}

}  // namespace

INT_PTR CALLBACK basic_page_proc(HWND page, UINT message, WPARAM, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG: return on_init(page);
    case WM_NOTIFY: return lparam ? on_notify(page, reinterpret_cast<NMHDR*>(lparam)) : FALSE;
    case WM_HELP: return open_context_help(reinterpret_cast<HELPINFO*>(lparam), HELP_PAIRS);
    case WM_DESTROY: on_destroy(); return FALSE;
    default: return FALSE;
    }
}
