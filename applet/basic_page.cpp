// The Basic page's logic.
#include "basic_page.h"

#include <cstring>

#include "network_types.h"
#include "resource.h"
#include "store.h"

namespace {

enum : unsigned {
    NAME_MAX = 32,  // DesiredSSID, OwnSSID
    NAME_READ_SIZE = NAME_MAX + 1,
    NAME_KEY_UP_SIZE = 32,    // what a key release reads of the name
    GATEWAY_NAME_LENGTH = 6,  // the ID on the gateway's label
    KEY_MAX = 13,
    // A key field can hold more than its limit (a program's WM_SETTEXT):
    // read it whole to judge it by its real length.
    KEY_READ_SIZE = 256,
    WARNING_SIZE = 256,
};

enum : uint32_t { PEER_CHANNEL = 10 };

const char KEY_WARNING_TAIL[] = "Duocard (WEP 128)";

// The current profile's network type; a profile number outside 1 to 4 stands
// for profile 1, as in the sheet that chose the pages.
uint32_t page_type() {
    const ActiveConfiguration& config = active_configuration;
    const uint32_t n = config.current_profile;
    return config.profile_types[(n >= 1 && n <= PROFILE_COUNT ? n : 1) - 1];
}

bool has_security(uint32_t type) {
    return type == NET_RESIDENTIAL_GATEWAY || type == NET_PEER_TO_PEER;
}

unsigned bounded_length(const char* text, unsigned max) {
    unsigned n = 0;
    while (n < max && text[n] != '\0') ++n;
    return n;
}

// A control's text into buffer; its length up to the first zero, which a
// window text has only at its end.
unsigned read_field(View& view, int id, char* buffer, unsigned size) {
    buffer[0] = '\0';
    unsigned n = view.get_text(id, buffer, size);
    if (n > size - 1) n = size - 1;
    buffer[n] = '\0';
    return bounded_length(buffer, n);
}

// text (at most 255 characters of it) into a text field of the configuration.
void copy_field(char (&field)[CONFIG_TEXT_SIZE], const char* text) {
    const unsigned n = bounded_length(text, CONFIG_TEXT_SIZE - 1);
    std::memmove(field, text, n);
    field[n] = '\0';
}

// A field of the configuration shown in a control; bounded even if the field
// lost its terminator.
void show_field(View& view, int id, const char (&field)[CONFIG_TEXT_SIZE]) {
    char text[CONFIG_TEXT_SIZE];
    const unsigned n = bounded_length(field, CONFIG_TEXT_SIZE - 1);
    std::memcpy(text, field, n);
    text[n] = '\0';
    view.set_text(id, text);
}

// The gateway name's rule for one character: true passes it (upper-case hex
// letters made lower case), false drops it.
bool gateway_char(char& c) {
    if (c == '\b' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) return true;
    if (c >= 'A' && c <= 'F') {
        c = static_cast<char>(c - 'A' + 'a');
        return true;
    }
    return false;
}

// The name upper-cased equals "ANY". Only ASCII letters upper-case to
// letters of "ANY", so a byte-wise ASCII fold suffices for any code page.
bool is_any(const char* name) {
    const char any[] = "ANY";
    unsigned i = 0;
    for (; any[i] != '\0'; ++i) {
        char c = name[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != any[i]) return false;
    }
    return name[i] == '\0';
}

// The composed key warning: string 1316, then the card's name and ")", cut to
// fit the buffer.
void show_key_warning(View& view) {
    char text[WARNING_SIZE];
    unsigned n = view.load_string(IDS_KEY_PRINTABLE, text, sizeof text);
    n = bounded_length(text, n < sizeof text ? n : sizeof text - 1);
    const char* parts[] = {KEY_WARNING_TAIL, ")"};
    for (const char* part : parts) {
        for (unsigned i = 0; part[i] != '\0' && n < sizeof text - 1; ++i) text[n++] = part[i];
    }
    text[n] = '\0';
    view.message_text(text, IDS_CAPTION_2247, MESSAGE_WARNING, false);
}

}  // namespace

void BasicPage::init() {
    view_.limit_text(IDC_BASIC_NAME, NAME_MAX);
    view_.limit_text(IDC_BASIC_KEY, KEY_MAX);

    uint16_t help_id = 0;
    const uint32_t type = page_type();
    switch (type) {
    case NET_ACCESS_POINT: help_id = IDS_HELP_ACCESS_POINT; break;
    case NET_RESIDENTIAL_GATEWAY:
        view_.limit_text(IDC_BASIC_NAME, GATEWAY_NAME_LENGTH);
        view_.limit_text(IDC_BASIC_KEY, KEY_LENGTH_40);
        help_id = IDS_HELP_RESIDENTIAL_GATEWAY;
        break;
    case NET_PEER_TO_PEER: help_id = IDS_HELP_PEER_TO_PEER; break;
    case NET_BASE_STATION: help_id = IDS_HELP_BASE_STATION; break;
    default: break;
    }
    if (has_security(type)) {
        view_.show(IDC_BASIC_DATA_SECURITY, true);
        view_.show(IDC_BASIC_KEY_LABEL, true);
        view_.show(IDC_BASIC_KEY, true);
    }
    if (help_id != 0) show_help_text(view_, IDC_BASIC_HELP_TEXT, help_id);
    name_typed_ = false;
}

void BasicPage::set_active() {
    ActiveConfiguration& config = active_configuration;
    const uint32_t type = page_type();
    switch (type) {
    case NET_ACCESS_POINT:
    case NET_RESIDENTIAL_GATEWAY:
    case NET_PEER_TO_PEER:
        show_field(view_, IDC_BASIC_NAME, config.desired_ssid);
        config.create_ibss = type == NET_PEER_TO_PEER ? 1 : 0;
        config.ap_mode = 0;
        config.port_type = 1;
        break;
    case NET_BASE_STATION:
        show_field(view_, IDC_BASIC_NAME, config.own_ssid);
        config.create_ibss = 0;
        config.ap_mode = 1;
        config.port_type = 1;
        break;
    default: return;
    }
    if (!has_security(type)) return;

    load_page_record();
    page_record.tx_key_index = 0;
    // A gateway's traffic is always protected unless the user says otherwise
    // on this very showing.
    if (type == NET_RESIDENTIAL_GATEWAY) {
        page_record.data_security = 1;
        view_.enable(IDC_BASIC_DATA_SECURITY, true);
    }
    // Through the box's own procedure, which enables the key field to match.
    view_.set_check(IDC_BASIC_DATA_SECURITY, page_record.data_security != 0);
    view_.set_text(IDC_BASIC_KEY, page_record.keys[0].length != 0 ? KEY_MASK : "");
    key_edited_ = false;
}

bool BasicPage::kill_active() {
    ActiveConfiguration& config = active_configuration;
    const uint32_t type = page_type();
    if (type > NET_BASE_STATION) return true;

    char name[NAME_READ_SIZE];
    const unsigned length = read_field(view_, IDC_BASIC_NAME, name, sizeof name);

    if (type == NET_BASE_STATION) {
        copy_field(config.own_ssid, name);
        config.desired_ssid[0] = '\0';
        config.own_channel = PEER_CHANNEL;
        if (length == 0) {
            view_.message(IDS_NETWORK_NAME_MISSING, IDS_CAPTION_2249, MESSAGE_WARNING, true);
            return false;
        }
        return true;
    }

    // The name is stored before it is judged: a refusal leaves it in memory.
    copy_field(config.desired_ssid, name);
    config.own_ssid[0] = '\0';
    if (type == NET_ACCESS_POINT) return true;

    if (type == NET_RESIDENTIAL_GATEWAY) {
        if (length != GATEWAY_NAME_LENGTH) {
            view_.message(IDS_NETWORK_NAME_LENGTH, IDS_CAPTION_2249, MESSAGE_WARNING, true);
            return false;
        }
    } else {
        if (is_any(name)) {
            config.desired_ssid[0] = '\0';
            view_.message(IDS_NETWORK_NAME_ANY, IDS_CAPTION_2249, MESSAGE_WARNING, true);
            return false;
        }
        if (length == 0) {
            view_.message(IDS_NETWORK_NAME_MISSING, IDS_CAPTION_2249, MESSAGE_WARNING, true);
            return false;
        }
    }
    page_record.tx_key_index = 0;
    page_record.data_security = view_.is_checked(IDC_BASIC_DATA_SECURITY) ? 1 : 0;
    if (type == NET_PEER_TO_PEER) config.own_channel = PEER_CHANNEL;
    if (!check_basic_key()) return false;
    store_page_record();
    return true;
}

void BasicPage::help() { view_.help(HELP_TOPIC_BASIC); }

CharAction BasicPage::name_char(char& c) {
    if (page_type() == NET_RESIDENTIAL_GATEWAY) {
        if (!gateway_char(c)) {
            view_.beep();
            return CHAR_DROP;
        }
        name_typed_ = true;
    }
    view_.changed();
    return CHAR_PASS;
}

void BasicPage::name_key_up() {
    if (page_type() != NET_RESIDENTIAL_GATEWAY || !name_typed_) return;
    char name[NAME_KEY_UP_SIZE];
    const unsigned length = read_field(view_, IDC_BASIC_NAME, name, sizeof name);
    // The gateway's default key: the last five characters of its ID.
    view_.set_text(IDC_BASIC_KEY, length == GATEWAY_NAME_LENGTH ? name + 1 : "");
    key_edited_ = true;
}

bool BasicPage::name_paste(char* text) {
    if (page_type() == NET_RESIDENTIAL_GATEWAY) {
        // All or nothing, by the typing rule. A backspace in pasted text
        // would land as a character, not erase one: it does not pass.
        for (unsigned i = 0; text[i] != '\0'; ++i) {
            char c = text[i];
            if (c == '\b' || !gateway_char(c)) {
                view_.beep();
                return false;
            }
        }
        for (unsigned i = 0; text[i] != '\0'; ++i) gateway_char(text[i]);
        if (text[0] == '\0') return true;
        name_typed_ = true;
    } else if (text[0] == '\0') {
        return true;
    }
    view_.changed();
    return true;
}

void BasicPage::name_cut_or_clear() {
    if (page_type() == NET_RESIDENTIAL_GATEWAY) name_typed_ = true;
    view_.changed();
}

void BasicPage::key_key_down() {
    // The mask goes before the first keystroke lands, whatever the key.
    if (!key_edited_) view_.set_text(IDC_BASIC_KEY, "");
    key_edited_ = true;
}

CharAction BasicPage::key_char(char&) {
    view_.changed();
    return CHAR_PASS;
}

bool BasicPage::key_paste(const char*) {
    key_key_down();
    view_.changed();
    return true;
}

void BasicPage::key_cut_or_clear() {
    key_key_down();
    view_.changed();
}

void BasicPage::security_set_check(bool checked) {
    if (page_type() == NET_RESIDENTIAL_GATEWAY && view_.is_checked(IDC_BASIC_DATA_SECURITY) &&
        !checked)
        view_.message(IDS_DATA_SECURITY_OFF, IDS_CAPTION_2246, MESSAGE_WARNING, true);
    view_.enable(IDC_BASIC_KEY, checked);
}

void BasicPage::security_clicked() { view_.changed(); }

int BasicPage::check_basic_key() {
    KeySlot& key = page_record.keys[0];
    if (key_edited_) {
        std::memset(key.material, 0, sizeof key.material);
        char text[KEY_READ_SIZE];
        const unsigned count = read_field(view_, IDC_BASIC_KEY, text, sizeof text);
        if (count == KEY_LENGTH_40 || count == KEY_LENGTH_104) {
            static_assert(KEY_LENGTH_104 <= sizeof key.material, "key material");
            key.length = static_cast<uint16_t>(count);
            std::memcpy(key.material, text, count);
        } else if (count == 0) {
            key.length = 0;
        } else {
            show_key_warning(view_);
            return 0;
        }
    }
    if (page_record.data_security != 0 && key.length == 0) {
        view_.message(IDS_BASIC_KEY_MISSING, IDS_CAPTION_2247, MESSAGE_WARNING, false);
        return 0;
    }
    return 1;
}
