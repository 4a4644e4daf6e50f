#include "subclass.h"

void subclass_controls(HWND dialog, Subclassed* table, WNDPROC proc) {
    for (Subclassed* entry = table; entry->id; ++entry) {
        entry->control = GetDlgItem(dialog, entry->id);
        entry->saved = entry->control
                           ? reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                                 entry->control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)))
                           : nullptr;
    }
}

void restore_controls(Subclassed* table) {
    for (Subclassed* entry = table; entry->id; ++entry) {
        if (entry->control && entry->saved)
            SetWindowLongPtrA(entry->control, GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(entry->saved));
        entry->control = nullptr;
        entry->saved = nullptr;
    }
}

const Subclassed* find_subclassed(const Subclassed* table, HWND control) {
    for (const Subclassed* entry = table; entry->id; ++entry)
        if (entry->control == control) return entry;
    return nullptr;
}

bool clipboard_text(HWND owner, char* buffer, unsigned size) {
    if (!buffer || size == 0) return false;
    buffer[0] = '\0';
    if (!OpenClipboard(owner)) return false;
    bool found = false;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* text = static_cast<const char*>(GlobalLock(data))) {
            // Bounded by the block too: another program's text need not end.
            const SIZE_T block = GlobalSize(data);
            unsigned n = 0;
            // What a single-line edit takes of a paste: the text before the
            // first line break. Cut here, before any field's rule judges it.
            while (n + 1 < size && n < block && text[n] && text[n] != '\r' && text[n] != '\n') {
                buffer[n] = text[n];
                ++n;
            }
            buffer[n] = '\0';
            found = true;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return found;
}
