// Replacement (subclass) procedures of a dialog's controls, kept in a table
// per dialog ended by id 0: installed at creation, put back at destruction.
#pragma once
#include <windows.h>

struct Subclassed {
    int id;
    HWND control;
    WNDPROC saved;
};

// Replaces the procedure of each control of the table with proc.
void subclass_controls(HWND dialog, Subclassed* table, WNDPROC proc);
// Puts every saved procedure back.
void restore_controls(Subclassed* table);
// The table's entry for a control, or null.
const Subclassed* find_subclassed(const Subclassed* table, HWND control);

// The clipboard's text as a single-line field takes it: up to its first line
// break, cut to fit, terminated. False without text on the clipboard.
bool clipboard_text(HWND owner, char* buffer, unsigned size);
