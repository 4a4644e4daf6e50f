// What every property page's glue does the same way: its logic and view tied
// to the page window, the sheet's notifications turned into calls, the saved
// procedures of its subclassed controls.
#pragma once
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <new>

#include "help.h"
#include "page_procs.h"
#include "subclass.h"
#include "window_view.h"

// A page's window state: its view (position kept with the sheet), its logic
// and its subclassed controls (a table ended by id 0).
template <typename Logic, unsigned Controls>
struct PageWindow {
    WindowView view;
    Logic logic;
    Subclassed controls[Controls + 1];

    PageWindow(HWND page, const int (&ids)[Controls])
        : view(page, GetParent(page)), logic(view), controls() {
        for (unsigned i = 0; i < Controls; ++i) controls[i] = {ids[i], nullptr, nullptr};
        controls[Controls] = {0, nullptr, nullptr};
    }
};

// One sheet at a time, one page of a kind in it: the state is made anew at
// the page's creation in storage of its own.
template <typename Window>
struct PageSlot {
    alignas(Window) unsigned char storage[sizeof(Window)];
    Window* current = nullptr;

    template <typename... Arguments>
    Window* create(Arguments&&... arguments) {
        current = new (storage) Window(arguments...);
        return current;
    }
};

// PSN_SETACTIVE, PSN_KILLACTIVE (a refusal kept as the page's message
// result), PSN_HELP; the rest as every page answers it.
template <typename Logic>
BOOL page_notify(HWND page, Logic& logic, const NMHDR* header) {
    switch (header->code) {
    case PSN_SETACTIVE:
        logic.set_active();
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
        return TRUE;
    case PSN_KILLACTIVE:
        SetWindowLongPtrA(page, DWLP_MSGRESULT, logic.kill_active() ? FALSE : TRUE);
        return TRUE;
    case PSN_HELP: logic.help(); return TRUE;
    default: return page_common(page, WM_NOTIFY, reinterpret_cast<LPARAM>(header));
    }
}

// The whole dialog procedure of a page whose glue is its controls' replacement
// procedure alone: creation (subclass, then the logic), the notifications,
// context help, and the saved procedures put back at destruction.
template <typename Window, unsigned Controls>
INT_PTR page_dialog(PageSlot<Window>& slot, HWND page, UINT message, LPARAM lparam,
                    const int (&controls)[Controls], WNDPROC control_proc,
                    const DWORD* help_pairs) {
    switch (message) {
    case WM_INITDIALOG: {
        Window* window = slot.create(page, controls);
        subclass_controls(page, window->controls, control_proc);
        window->logic.init();
        return TRUE;
    }
    case WM_NOTIFY:
        if (!slot.current || !lparam) return FALSE;
        return page_notify(page, slot.current->logic, reinterpret_cast<NMHDR*>(lparam));
    case WM_HELP: return open_context_help(reinterpret_cast<HELPINFO*>(lparam), help_pairs);
    case WM_DESTROY:
        if (slot.current) restore_controls(slot.current->controls);
        slot.current = nullptr;
        return TRUE;
    default: return FALSE;
    }
}
