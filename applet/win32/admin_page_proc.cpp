// Window glue of the Admin page (1205): the distance buttons, the MAC
// address buttons and field.
#include "admin_page.h"
#include "help.h"
#include "page_window.h"
#include "resource.h"

namespace {

const DWORD HELP_PAIRS[] = {
    1103, 0x84B5044F, 1100, 0x84B5044C, 1101, 0x84B5044D, 1102, 0x84B5044E,
    1104, 0x84B50450, 2126, 0x84B5084E, 2130, 0x84B50852, 0,    0,
};
enum { MAC_DEFAULT = 1103, MAC_ASSIGNED = 1104, MAC_FIELD = 2126 };
const int CONTROLS[] = {1100, 1101, 1102, MAC_DEFAULT, MAC_ASSIGNED, MAC_FIELD};

typedef PageWindow<AdminPage, 6> AdminWindow;
PageSlot<AdminWindow> slot;

LRESULT CALLBACK control_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    const Subclassed* entry =
        slot.current ? find_subclassed(slot.current->controls, control) : nullptr;
    if (!entry) return DefWindowProcA(control, message, wparam, lparam);
    AdminPage& page = slot.current->logic;
    if (entry->id == MAC_FIELD) {
        if (message == WM_CHAR) {
            char c = static_cast<char>(wparam);
            if (page.mac_char(c) == CHAR_DROP) return 0;
            wparam = static_cast<unsigned char>(c);
        } else if (message == WM_PASTE) {
            // The field takes only what could be typed into it.
            char text[256];
            if (clipboard_text(control, text, sizeof text) && page.mac_paste(text))
                SendMessageA(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
            return 0;
        }
    } else if (message == BM_SETCHECK && wparam == BST_CHECKED) {
        if (entry->id == MAC_DEFAULT) page.default_set_check(true);
        if (entry->id == MAC_ASSIGNED) page.assigned_set_check(true);
    }
    if (message == WM_CAPTURECHANGED && entry->id != MAC_FIELD) page.clicked();
    return CallWindowProcA(entry->saved, control, message, wparam, lparam);
}

}  // namespace

INT_PTR CALLBACK admin_page_proc(HWND page, UINT message, WPARAM, LPARAM lparam) {
    // Answered and nothing more: the page shows no context menu.
    if (message == WM_CONTEXTMENU) return TRUE;
    return page_dialog(slot, page, message, lparam, CONTROLS, control_proc, HELP_PAIRS);
}
