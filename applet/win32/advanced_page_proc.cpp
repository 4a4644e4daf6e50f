// Window glue of the Advanced page (1204): six radio buttons whose clicks
// tell the sheet of a change.
#include "advanced_page.h"
#include "help.h"
#include "page_window.h"
#include "resource.h"

namespace {

const DWORD HELP_PAIRS[] = {
    2123,       0x84B4084B, 2124,       0x84B4084C, 2121,       0x84B40849, 2122,
    0x84B4084A, 1117,       0x84B4045D, 1118,       0x84B4045E, 0,          0,
};
const int CONTROLS[] = {2121, 2122, 2123, 2124, 1117, 1118};

typedef PageWindow<AdvancedPage, 6> AdvancedWindow;
PageSlot<AdvancedWindow> slot;

LRESULT CALLBACK control_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    const Subclassed* entry =
        slot.current ? find_subclassed(slot.current->controls, control) : nullptr;
    if (!entry) return DefWindowProcA(control, message, wparam, lparam);
    if (message == WM_CAPTURECHANGED) slot.current->logic.clicked();
    return CallWindowProcA(entry->saved, control, message, wparam, lparam);
}

}  // namespace

INT_PTR CALLBACK advanced_page_proc(HWND page, UINT message, WPARAM, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG: {
        AdvancedWindow* window = slot.create(page, CONTROLS);
        subclass_controls(page, window->controls, control_proc);
        window->logic.init();
        return TRUE;
    }
    case WM_NOTIFY:
        if (!slot.current || !lparam) return FALSE;
        return page_notify(page, slot.current->logic, reinterpret_cast<NMHDR*>(lparam));
    case WM_HELP: return open_context_help(reinterpret_cast<HELPINFO*>(lparam), HELP_PAIRS);
    case WM_DESTROY:
        if (slot.current) restore_controls(slot.current->controls);
        slot.current = nullptr;
        return TRUE;
    default: return FALSE;
    }
}
