// The Adapter page (1207), Windows NT 4 only: the PC Card's I/O base address
// and interrupt, each chosen from a fixed list; a change marks the profile
// for a restart (RESTART_ADAPTER).
#pragma once
#include <cstdint>

#include "page_record.h"
#include "view.h"

enum : unsigned {
    IO_BASE_COUNT = 48,      // strings IDS_IO_BASE_FIRST + index
    INTERRUPT_COUNT = 9,     // strings IDS_INTERRUPT_FIRST + index
    IO_BASE_FALLBACK = 6,    // 0x400
    INTERRUPT_FALLBACK = 3,  // interrupt 7
};

// The choices, in list order: item index = table index.
extern const uint32_t io_base_table[IO_BASE_COUNT];
extern const uint32_t interrupt_table[INTERRUPT_COUNT];

// Index of the first occurrence of the value in its table, or the fallback
// index when it is not there.
unsigned find_io_base_index(uint32_t address);
unsigned find_interrupt_index(uint32_t interrupt);

// The value a list's selection stands for: the table's entry for an index
// inside the table, the fallback's for anything else (-1, no selection,
// or an index past the table).
uint32_t io_base_at(int selection);
uint32_t interrupt_at(int selection);

class AdapterPage {
public:
    explicit AdapterPage(View& view) : view_(view) {}

    // WM_INITDIALOG, after the glue subclassed the two lists: their items,
    // the help text, and the values the restart mark compares with.
    void init();
    // PSN_SETACTIVE: selects the stored values (or the fallbacks).
    void set_active();
    // PSN_KILLACTIVE: stores the selections and sets or clears the restart
    // mark; always true (the page always lets go).
    bool kill_active();
    // PSN_HELP.
    void help();

    // The I/O base list (2127), WM_CHAR: hex digits and backspace pass
    // ('a'-'f' turned into 'A'-'F', and the sheet told of a change); anything
    // else beeps and is dropped.
    CharAction io_base_char(char& c);
    // The interrupt list (2128), WM_COMMAND: the sheet is told of a change;
    // the message goes on unchanged.
    void interrupt_command();

private:
    View& view_;
    // IoBaseAddress and InterruptNumber at creation.
    uint32_t io_base_at_creation_ = 0;
    uint32_t interrupt_at_creation_ = 0;
};
