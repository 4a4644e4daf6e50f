// The Encryption page's logic.
#include "encryption_page.h"

#include <cstring>

#include "resource.h"
#include "store.h"

int key_hex_mode = 0;

namespace {

enum : unsigned {
    KEY_LIMIT_ALPHANUMERIC = 13,
    KEY_LIMIT_HEX = 26,
    // The whole entry, however long the field got (a paste, a mode switch):
    // a key is judged by its full length, never by a cut-off part of it.
    KEY_TEXT_SIZE = 256,
    MESSAGE_SIZE = 256,
    LIST_ITEM_SIZE = 64,
};

const char BACKSPACE = 8;
const char KEY_WARNING_PRODUCT[] = "Duocard (WEP 128)";
const char KEY_WARNING_END[] = ")";

bool valid_key(int k) { return k >= 1 && k <= static_cast<int>(KEY_SLOT_COUNT); }
int key_field_id(int k) { return IDC_ENCRYPTION_KEY_1 + k - 1; }

bool is_hex_digit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The rule without its beep, shared by typing and pasting. Only an ASCII
// upper-case letter can become a hex digit, so other code pages' capitals
// (which the rule drops whatever case they take) need no test of their own.
bool key_char_passes(int hex_mode, char& c) {
    if (c == BACKSPACE) return true;
    if (!hex_mode) return true;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return is_hex_digit(c);
}

// Appends text to the zero-terminated buffer, cut to what is left of it.
void append(char* buffer, unsigned size, const char* text) {
    unsigned n = 0;
    while (n + 1 < size && buffer[n] != '\0') ++n;
    for (unsigned i = 0; text[i] != '\0' && n + 1 < size; ++i) buffer[n++] = text[i];
    buffer[n] = '\0';
}

void key_warning(View& view) {
    char text[MESSAGE_SIZE];
    view.load_string(key_hex_mode ? IDS_KEY_HEX : IDS_KEY_PRINTABLE, text, sizeof text);
    append(text, sizeof text, KEY_WARNING_PRODUCT);
    append(text, sizeof text, KEY_WARNING_END);
    view.message_text(text, IDS_CAPTION_2247, MESSAGE_WARNING, false);
}

}  // namespace

int filter_key_char(View& view, int hex_mode, char& c) {
    if (key_char_passes(hex_mode, c)) return 1;
    view.beep();
    return 0;
}

void EncryptionPage::init() {
    for (uint16_t id = IDS_KEY_1; id <= IDS_KEY_4; ++id) {
        char item[LIST_ITEM_SIZE];
        view_.load_string(id, item, sizeof item);
        view_.list_add(IDC_ENCRYPTION_TX_KEY, item);
    }
}

void EncryptionPage::set_active() {
    load_page_record();
    EncryptionRecord& record = page_record;
    // Through the box's procedure: it greys out or enables the rest.
    view_.set_check(IDC_ENCRYPTION_DATA_SECURITY, record.data_security != 0);
    if (record.tx_key_index > KEY_SLOT_COUNT - 1) record.tx_key_index = 0;
    view_.list_select(IDC_ENCRYPTION_TX_KEY, record.tx_key_index);
    // As CheckRadioButton does, in id order; the checked button's procedure
    // sets the mode and the fields' limits.
    const int checked = key_hex_mode ? IDC_ENCRYPTION_HEX : IDC_ENCRYPTION_ALPHANUMERIC;
    for (int id = IDC_ENCRYPTION_ALPHANUMERIC; id <= IDC_ENCRYPTION_HEX; ++id)
        view_.set_check(id, id == checked);
    for (int k = 1; k <= static_cast<int>(KEY_SLOT_COUNT); ++k)
        view_.set_text(key_field_id(k), record.keys[k - 1].length != 0 ? KEY_MASK : "");
    std::memset(key_edited_, 0, sizeof key_edited_);
}

bool EncryptionPage::kill_active() {
    EncryptionRecord& record = page_record;
    record.data_security = view_.is_checked(IDC_ENCRYPTION_DATA_SECURITY) ? 1 : 0;
    const int selected = view_.list_selection(IDC_ENCRYPTION_TX_KEY);
    record.tx_key_index = selected >= 0 && selected < static_cast<int>(KEY_SLOT_COUNT)
                              ? static_cast<uint16_t>(selected)
                              : 0;
    if (!store_encryption_keys()) return false;
    store_page_record();
    return true;
}

void EncryptionPage::help() { view_.help(HELP_TOPIC_ENCRYPTION); }

void EncryptionPage::key_key_down(int k) {
    if (!valid_key(k)) return;
    // The mask goes before the first keystroke lands, whatever the key.
    if (!key_edited_[k - 1]) view_.set_text(key_field_id(k), "");
    key_edited_[k - 1] = true;
}

CharAction EncryptionPage::key_char(int k, char& c) {
    if (!valid_key(k)) return CHAR_PASS;
    if (!filter_key_char(view_, key_hex_mode, c)) return CHAR_DROP;
    view_.changed();
    return CHAR_PASS;
}

bool EncryptionPage::key_paste(int k, char* text) {
    if (!valid_key(k)) return true;
    // A paste is held to the typing rule, or a hex field could take what no
    // keystroke would put there. Judged whole first: a refused paste changes
    // nothing, not even its own text.
    for (unsigned i = 0; text[i] != '\0'; ++i) {
        char c = text[i];
        // A backspace (or any control character) in pasted text would land
        // as a character, not erase one: no hex digit, so it does not pass.
        const bool control = static_cast<unsigned char>(c) < 0x20;
        if ((key_hex_mode && control) || !key_char_passes(key_hex_mode, c)) {
            view_.beep();
            return false;
        }
    }
    for (unsigned i = 0; text[i] != '\0'; ++i) key_char_passes(key_hex_mode, text[i]);
    key_key_down(k);
    view_.changed();
    return true;
}

void EncryptionPage::key_cut_or_clear(int k) {
    if (!valid_key(k)) return;
    key_key_down(k);
    view_.changed();
}

void EncryptionPage::security_set_check(bool checked) {
    for (int k = 1; k <= static_cast<int>(KEY_SLOT_COUNT); ++k)
        view_.enable(key_field_id(k), checked);
    view_.enable(IDC_ENCRYPTION_TX_KEY, checked);
    view_.enable(IDC_ENCRYPTION_ALPHANUMERIC, checked);
    view_.enable(IDC_ENCRYPTION_HEX, checked);
}

void EncryptionPage::mode_set_check(int id, bool checked) {
    if (!checked) return;
    unsigned limit;
    if (id == IDC_ENCRYPTION_ALPHANUMERIC) {
        key_hex_mode = 0;
        limit = KEY_LIMIT_ALPHANUMERIC;
    } else if (id == IDC_ENCRYPTION_HEX) {
        key_hex_mode = 1;
        limit = KEY_LIMIT_HEX;
    } else {
        return;
    }
    // The texts already typed stay as they are, whatever their length.
    for (int k = 1; k <= static_cast<int>(KEY_SLOT_COUNT); ++k)
        view_.limit_text(key_field_id(k), limit);
}

void EncryptionPage::control_clicked() { view_.changed(); }

int EncryptionPage::store_encryption_keys() {
    EncryptionRecord& record = page_record;
    for (int k = 1; k <= static_cast<int>(KEY_SLOT_COUNT); ++k) {
        if (!key_edited_[k - 1]) continue;
        KeySlot& slot = record.keys[k - 1];
        std::memset(slot.material, 0, sizeof slot.material);
        char text[KEY_TEXT_SIZE] = {};
        unsigned n = view_.get_text(key_field_id(k), text, sizeof text);
        if (n > sizeof text - 1) n = sizeof text - 1;
        switch (n) {
        case 0: slot.length = 0; break;
        case KEY_LENGTH_40:
        case KEY_LENGTH_104:
            if (key_hex_mode) {
                key_warning(view_);
                return 0;
            }
            slot.length = static_cast<uint16_t>(n);
            std::memcpy(slot.material, text, n);
            break;
        case 2 * KEY_LENGTH_40:
        case 2 * KEY_LENGTH_104:
            if (!key_hex_mode) {
                key_warning(view_);
                return 0;
            }
            slot.length = static_cast<uint16_t>(n / 2);
            if (!parse_hex_bytes(slot.material, text, n)) {
                key_warning(view_);
                return 0;
            }
            break;
        default: key_warning(view_); return 0;
        }
    }
    if (!record.data_security) return 1;
    bool any = false;
    for (const KeySlot& slot : record.keys) any = any || slot.length != 0;
    if (!any) {
        view_.message(IDS_KEYS_MISSING, IDS_CAPTION_2247, MESSAGE_WARNING, false);
        return 0;
    }
    if (record.tx_key_index >= KEY_SLOT_COUNT || record.keys[record.tx_key_index].length == 0) {
        view_.message(IDS_TX_KEY_EMPTY, IDS_CAPTION_2247, MESSAGE_WARNING, false);
        return 0;
    }
    return 1;
}
