// The Admin page's logic.
#include "admin_page.h"

#include <cstring>

#include "encryption.h"
#include "network_types.h"
#include "resource.h"

int admin_mac_mode = 0;
char admin_mac_at_showing[CONFIG_TEXT_SIZE] = {};

namespace {

enum : unsigned {
    MAC_DIGITS = 12,
    MAC_BYTES = MAC_DIGITS / 2,
};

enum : uint8_t {
    MAC_KIND_MASK = 0x03,  // the first byte's group and local bits
    MAC_LOCAL_INDIVIDUAL = 0x02,
};

// The current profile's slot (0 to 3); a profile number outside 1 to 4
// stands for profile 1, as in the sheet that chose the pages.
unsigned profile_slot() {
    const uint32_t n = active_configuration.current_profile;
    return (n >= 1 && n <= PROFILE_COUNT ? n : 1) - 1;
}

uint32_t page_type() { return active_configuration.profile_types[profile_slot()]; }

// The MAC group is shown only for an Access Point profile without SoftexPcmcia.
bool mac_group_shown() {
    return page_type() == NET_ACCESS_POINT && active_configuration.softex_pcmcia == 0;
}

unsigned bounded_length(const char* text, unsigned max) {
    unsigned n = 0;
    while (n < max && text[n] != '\0') ++n;
    return n;
}

// A text field of the configuration into another buffer of that size, bounded
// even if the field lost its terminator.
void copy_field(char (&to)[CONFIG_TEXT_SIZE], const char* from) {
    const unsigned n = bounded_length(from, CONFIG_TEXT_SIZE - 1);
    std::memmove(to, from, n);
    to[n] = '\0';
}

bool same_field(const char* a, const char* b) { return std::strncmp(a, b, CONFIG_TEXT_SIZE) == 0; }

void set_mac_mark(bool on) {
    uint8_t& marks = active_configuration.restart_marks[profile_slot()];
    marks = static_cast<uint8_t>(on ? marks | RESTART_MAC_ADDRESS : marks & ~RESTART_MAC_ADDRESS);
}

}  // namespace

int check_local_mac(View& view) {
    const char* address = active_configuration.network_address;
    uint8_t bytes[MAC_BYTES] = {};
    if (bounded_length(address, CONFIG_TEXT_SIZE) == MAC_DIGITS &&
        parse_hex_bytes(bytes, address, MAC_DIGITS) &&
        (bytes[0] & MAC_KIND_MASK) == MAC_LOCAL_INDIVIDUAL)
        return 1;
    view.message(IDS_LOCAL_MAC_INVALID, IDS_CAPTION_2245, MESSAGE_WARNING, true);
    return 0;
}

void AdminPage::init() {
    view_.limit_text(IDC_ADMIN_MAC, MAC_DIGITS);
    show_help_text(view_, IDC_ADMIN_HELP_TEXT, IDS_HELP_ADMIN);
    if (mac_group_shown()) {
        const int ids[] = {IDC_ADMIN_MAC_GROUP, IDC_ADMIN_MAC_DEFAULT, IDC_ADMIN_MAC_ASSIGNED,
                           IDC_ADMIN_MAC};
        for (int id : ids) view_.show(id, true);
    }
}

void AdminPage::set_active() {
    ActiveConfiguration& config = active_configuration;
    // CheckRadioButton(1100, 1102, 1099 + SystemScale): none outside 1 to 3.
    const int scale_ids[] = {IDC_ADMIN_SCALE_LARGE, IDC_ADMIN_SCALE_MEDIUM, IDC_ADMIN_SCALE_SMALL};
    for (unsigned i = 0; i < 3; ++i) view_.set_check(scale_ids[i], config.system_scale == i + 1);

    char address[CONFIG_TEXT_SIZE];
    copy_field(address, config.network_address);
    view_.set_text(IDC_ADMIN_MAC, address);

    const int mode = config.softex_pcmcia != 0 || address[0] == '\0' ? IDC_ADMIN_MAC_DEFAULT
                                                                     : IDC_ADMIN_MAC_ASSIGNED;
    // The buttons' own handlers compare with the mode of the previous showing.
    view_.set_check(IDC_ADMIN_MAC_DEFAULT, mode == IDC_ADMIN_MAC_DEFAULT);
    view_.set_check(IDC_ADMIN_MAC_ASSIGNED, mode == IDC_ADMIN_MAC_ASSIGNED);

    admin_mac_mode = mode;
    copy_field(admin_mac_at_showing, address);
}

bool AdminPage::kill_active() {
    ActiveConfiguration& config = active_configuration;
    if (view_.is_checked(IDC_ADMIN_MAC_DEFAULT)) {
        config.network_address[0] = '\0';
    } else if (mac_group_shown()) {
        char text[CONFIG_TEXT_SIZE];
        text[0] = '\0';
        unsigned n = view_.get_text(IDC_ADMIN_MAC, text, sizeof text);
        if (n > sizeof text - 1) n = sizeof text - 1;
        text[n] = '\0';
        copy_field(config.network_address, text);
        if (!check_local_mac(view_)) return false;
        if (!same_field(config.network_address, admin_mac_at_showing)) set_mac_mark(true);
    }
    // A hidden group with "&Network Assigned" selected: the stored address
    // stays as it is, unread and unchecked, and so does bit 0.

    if (view_.is_checked(IDC_ADMIN_SCALE_MEDIUM))
        config.system_scale = 2;
    else if (view_.is_checked(IDC_ADMIN_SCALE_SMALL))
        config.system_scale = 3;
    else
        config.system_scale = 1;
    return true;
}

void AdminPage::help() { view_.help(HELP_TOPIC_ADMIN); }

void AdminPage::default_set_check(bool checked) {
    if (!checked) return;
    view_.enable(IDC_ADMIN_MAC, false);
    set_mac_mark(admin_mac_mode == IDC_ADMIN_MAC_ASSIGNED);
}

void AdminPage::assigned_set_check(bool checked) {
    if (!checked) return;
    set_mac_mark(admin_mac_mode == IDC_ADMIN_MAC_DEFAULT);
    view_.enable(IDC_ADMIN_MAC, true);
}

void AdminPage::clicked() { view_.changed(); }

namespace {

// A hex digit, made lower case in place.
bool mac_digit(char& c) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

}  // namespace

CharAction AdminPage::mac_char(char& c) {
    if (c == '\b' || mac_digit(c)) {
        view_.changed();
        return CHAR_PASS;
    }
    view_.beep();
    return CHAR_DROP;
}

bool AdminPage::mac_paste(char* text) {
    // Judged whole first: a refused paste changes nothing, not even its text.
    for (unsigned i = 0; text[i] != '\0'; ++i) {
        char c = text[i];
        if (!mac_digit(c)) {
            view_.beep();
            return false;
        }
    }
    if (text[0] == '\0') return true;
    for (unsigned i = 0; text[i] != '\0'; ++i) mac_digit(text[i]);
    view_.changed();
    return true;
}
