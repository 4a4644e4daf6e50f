// Window glue of the Adapter page (1207): the I/O base and interrupt lists.
#include "adapter_page.h"
#include "help.h"
#include "page_window.h"
#include "resource.h"

namespace {

const DWORD HELP_PAIRS[] = {2131, 0x84B70853, 2128, 0x84B70850, 2127, 0x84B7084F, 0, 0};
enum { IO_BASE = 2127, INTERRUPT = 2128 };
const int CONTROLS[] = {IO_BASE, INTERRUPT};

typedef PageWindow<AdapterPage, 2> AdapterWindow;
PageSlot<AdapterWindow> slot;

LRESULT CALLBACK control_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    const Subclassed* entry =
        slot.current ? find_subclassed(slot.current->controls, control) : nullptr;
    if (!entry) return DefWindowProcA(control, message, wparam, lparam);
    AdapterPage& page = slot.current->logic;
    if (entry->id == IO_BASE && message == WM_CHAR) {
        // On to the list, which selects the next item beginning with it.
        char c = static_cast<char>(wparam);
        if (page.io_base_char(c) == CHAR_DROP) return 0;
        wparam = static_cast<unsigned char>(c);
    } else if (entry->id == INTERRUPT && message == WM_COMMAND) {
        page.interrupt_command();
    }
    return CallWindowProcA(entry->saved, control, message, wparam, lparam);
}

}  // namespace

INT_PTR CALLBACK adapter_page_proc(HWND page, UINT message, WPARAM, LPARAM lparam) {
    return page_dialog(slot, page, message, lparam, CONTROLS, control_proc, HELP_PAIRS);
}
