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
    return page_dialog(slot, page, message, lparam, CONTROLS, control_proc, HELP_PAIRS);
}
