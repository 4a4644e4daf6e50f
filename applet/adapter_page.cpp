// The Adapter page's logic.
#include "adapter_page.h"

#include "resource.h"
#include "store.h"

const uint32_t io_base_table[IO_BASE_COUNT] = {
    0x180,  0x1C0,  0x200,  0x280,  0x300,  0x380,  0x400,  0x440,  0x480,  0x4C0,  0x500,  0x540,
    0x580,  0x5C0,  0x600,  0x640,  0x680,  0x6C0,  0x700,  0x740,  0x780,  0x7C0,  0x800,  0x900,
    0xA00,  0xB00,  0xC00,  0xD00,  0xE00,  0xF00,  0x1000, 0x1400, 0x1800, 0x1C00, 0x2000, 0x3000,
    0x4000, 0x5000, 0x6000, 0x7000, 0x8000, 0x9000, 0xA000, 0xB000, 0xC000, 0xD000, 0xE000, 0xF000,
};

const uint32_t interrupt_table[INTERRUPT_COUNT] = {3, 4, 5, 7, 9, 10, 11, 12, 15};

namespace {

enum : unsigned { ITEM_TEXT_SIZE = 16 };

unsigned find_index(const uint32_t* table, unsigned count, uint32_t value, unsigned fallback) {
    for (unsigned i = 0; i < count; ++i)
        if (table[i] == value) return i;
    return fallback;
}

// A selection is a table index only inside the table.
uint32_t value_at(const uint32_t* table, unsigned count, int selection, unsigned fallback) {
    if (selection >= 0 && static_cast<unsigned>(selection) < count)
        return table[static_cast<unsigned>(selection)];
    return table[fallback];
}

// The current profile's restart marks; a profile number outside 1 to 4
// stands for profile 1, as in the sheet that chose the pages.
uint8_t& page_restart_marks() {
    ActiveConfiguration& config = active_configuration;
    const uint32_t n = config.current_profile;
    return config.restart_marks[(n >= 1 && n <= PROFILE_COUNT ? n : 1) - 1];
}

// The strings first .. first + count - 1 into a list, in id order.
void fill_list(View& view, int id, uint16_t first, unsigned count) {
    view.list_clear(id);
    for (unsigned i = 0; i < count; ++i) {
        char text[ITEM_TEXT_SIZE];
        view.load_string(static_cast<uint16_t>(first + i), text, sizeof text);
        text[sizeof text - 1] = '\0';
        view.list_add(id, text);
    }
}

}  // namespace

unsigned find_io_base_index(uint32_t address) {
    return find_index(io_base_table, IO_BASE_COUNT, address, IO_BASE_FALLBACK);
}

unsigned find_interrupt_index(uint32_t interrupt) {
    return find_index(interrupt_table, INTERRUPT_COUNT, interrupt, INTERRUPT_FALLBACK);
}

uint32_t io_base_at(int selection) {
    return value_at(io_base_table, IO_BASE_COUNT, selection, IO_BASE_FALLBACK);
}

uint32_t interrupt_at(int selection) {
    return value_at(interrupt_table, INTERRUPT_COUNT, selection, INTERRUPT_FALLBACK);
}

void AdapterPage::init() {
    fill_list(view_, IDC_ADAPTER_IO_BASE, IDS_IO_BASE_FIRST, IO_BASE_COUNT);
    fill_list(view_, IDC_ADAPTER_INTERRUPT, IDS_INTERRUPT_FIRST, INTERRUPT_COUNT);
    show_help_text(view_, IDC_ADAPTER_HELP_TEXT, IDS_HELP_ADAPTER);
    io_base_at_creation_ = active_configuration.io_base_address;
    interrupt_at_creation_ = active_configuration.interrupt_number;
}

void AdapterPage::set_active() {
    const ActiveConfiguration& config = active_configuration;
    view_.list_select(IDC_ADAPTER_IO_BASE,
                      static_cast<int>(find_io_base_index(config.io_base_address)));
    view_.list_select(IDC_ADAPTER_INTERRUPT,
                      static_cast<int>(find_interrupt_index(config.interrupt_number)));
}

bool AdapterPage::kill_active() {
    ActiveConfiguration& config = active_configuration;
    config.io_base_address = io_base_at(view_.list_selection(IDC_ADAPTER_IO_BASE));
    config.interrupt_number = interrupt_at(view_.list_selection(IDC_ADAPTER_INTERRUPT));
    uint8_t& marks = page_restart_marks();
    if (config.io_base_address == io_base_at_creation_ &&
        config.interrupt_number == interrupt_at_creation_)
        marks = static_cast<uint8_t>(marks & ~RESTART_ADAPTER);
    else
        marks = static_cast<uint8_t>(marks | RESTART_ADAPTER);
    return true;
}

void AdapterPage::help() { view_.help(HELP_TOPIC_ADAPTER); }

CharAction AdapterPage::io_base_char(char& c) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    if (c == '\b' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) {
        view_.changed();
        return CHAR_PASS;
    }
    view_.beep();
    return CHAR_DROP;
}

void AdapterPage::interrupt_command() { view_.changed(); }
