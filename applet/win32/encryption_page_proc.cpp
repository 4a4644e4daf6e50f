// Window glue of the Encryption page (1203): notifications and the
// replacement procedures of its eight controls.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <new>

#include "encryption_page.h"
#include "help.h"
#include "page_procs.h"
#include "page_window.h"
#include "resource.h"
#include "subclass.h"
#include "window_view.h"

namespace {

// The two radio buttons carry the Basic page's (1201) context numbers.
const DWORD HELP_PAIRS[] = {
    IDC_ENCRYPTION_TX_KEY,
    0x84B30848,
    IDC_ENCRYPTION_KEY_1,
    0x84B30844,
    IDC_ENCRYPTION_KEY_2,
    0x84B30845,
    IDC_ENCRYPTION_KEY_3,
    0x84B30846,
    IDC_ENCRYPTION_KEY_4,
    0x84B30847,
    IDC_ENCRYPTION_ALPHANUMERIC,
    0x84B10841,
    IDC_ENCRYPTION_HEX,
    0x84B10842,
    0,
    0,
};

struct EncryptionWindow {
    WindowView view;
    EncryptionPage logic;
    Subclassed controls[9];

    EncryptionWindow(HWND page)
        : view(page, GetParent(page)),
          logic(view),
          controls{{IDC_ENCRYPTION_TX_KEY, nullptr, nullptr},
                   {IDC_ENCRYPTION_KEY_1, nullptr, nullptr},
                   {IDC_ENCRYPTION_KEY_2, nullptr, nullptr},
                   {IDC_ENCRYPTION_KEY_3, nullptr, nullptr},
                   {IDC_ENCRYPTION_KEY_4, nullptr, nullptr},
                   {IDC_ENCRYPTION_DATA_SECURITY, nullptr, nullptr},
                   {IDC_ENCRYPTION_ALPHANUMERIC, nullptr, nullptr},
                   {IDC_ENCRYPTION_HEX, nullptr, nullptr},
                   {0, nullptr, nullptr}} {}
};

alignas(EncryptionWindow) unsigned char window_storage[sizeof(EncryptionWindow)];
EncryptionWindow* current;

LRESULT key_field(EncryptionPage& page, int k, const Subclassed* entry, HWND control, UINT message,
                  WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_KEYDOWN: page.key_key_down(k); break;
    case WM_CHAR: {
        char c = static_cast<char>(wparam);
        if (page.key_char(k, c) == CHAR_DROP) return 0;
        wparam = static_cast<unsigned char>(c);
        break;
    }
    case WM_PASTE: {
        // In as the rule lets it (its letters perhaps made lower case), or not at all.
        char text[256];
        if (clipboard_text(control, text, sizeof text) && page.key_paste(k, text))
            SendMessageA(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
        return 0;
    }
    case WM_CUT:
    case WM_CLEAR: page.key_cut_or_clear(k); break;
    default: break;
    }
    return CallWindowProcA(entry->saved, control, message, wparam, lparam);
}

LRESULT CALLBACK control_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    const Subclassed* entry = current ? find_subclassed(current->controls, control) : nullptr;
    if (!entry) return DefWindowProcA(control, message, wparam, lparam);
    EncryptionPage& page = current->logic;
    switch (entry->id) {
    case IDC_ENCRYPTION_KEY_1:
    case IDC_ENCRYPTION_KEY_2:
    case IDC_ENCRYPTION_KEY_3:
    case IDC_ENCRYPTION_KEY_4:
        return key_field(page, entry->id - IDC_ENCRYPTION_KEY_1 + 1, entry, control, message,
                         wparam, lparam);
    case IDC_ENCRYPTION_DATA_SECURITY:
        if (message == BM_SETCHECK) page.security_set_check(wparam == BST_CHECKED);
        break;
    case IDC_ENCRYPTION_ALPHANUMERIC:
    case IDC_ENCRYPTION_HEX:
        if (message == BM_SETCHECK) page.mode_set_check(entry->id, wparam == BST_CHECKED);
        break;
    default: break;
    }
    // The box, the buttons and the list were clicked (the key fields' own
    // mouse capture, selecting text, is no change).
    if (message == WM_CAPTURECHANGED) page.control_clicked();
    return CallWindowProcA(entry->saved, control, message, wparam, lparam);
}

BOOL on_init(HWND page) {
    current = new (window_storage) EncryptionWindow(page);
    SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(current));
    subclass_controls(page, current->controls, control_proc);
    current->logic.init();
    return TRUE;
}

BOOL on_notify(HWND page, const NMHDR* header) {
    return current ? page_notify(page, current->logic, header) : FALSE;
}

}  // namespace

INT_PTR CALLBACK encryption_page_proc(HWND page, UINT message, WPARAM, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG: return on_init(page);
    case WM_NOTIFY: return lparam ? on_notify(page, reinterpret_cast<NMHDR*>(lparam)) : FALSE;
    case WM_HELP: return open_context_help(reinterpret_cast<HELPINFO*>(lparam), HELP_PAIRS);
    case WM_DESTROY:
        if (current) restore_controls(current->controls);
        current = nullptr;
        return TRUE;
    default: return FALSE;
    }
}
