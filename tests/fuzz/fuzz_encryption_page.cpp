// The Encryption page's logic over field texts and keystrokes of any byte and
// any length, in both modes, with Encryption texts of any content and
// string-table texts of any length. Checks that nothing is read or written
// outside a buffer (the fake window fills every buffer it is given to the
// size it is told), that typed and pasted characters obey the mode's rule,
// that a refused leave keeps the Encryption text, and that every accepted
// leave leaves a text that decodes to what the page showed and the user
// typed: untouched keys as they were, edited ones as their fields read.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "encryption.h"
#include "encryption_page.h"
#include "fuzz_pages.h"
#include "library_state.h"
#include "page_record.h"
#include "resource.h"
#include "store.h"
#include "view.h"

namespace {

// Says which check failed: the caller's line.
void check(bool condition, int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "check failed at line %d\n", line);
    abort();
}

const int BOX = IDC_ENCRYPTION_DATA_SECURITY;
const int LIST = IDC_ENCRYPTION_TX_KEY;
const int ALPHANUMERIC = IDC_ENCRYPTION_ALPHANUMERIC;
const int HEX = IDC_ENCRYPTION_HEX;

int field_id(int k) { return IDC_ENCRYPTION_KEY_1 + k - 1; }

bool hex_digit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

class FuzzView : public View {
public:
    EncryptionPage* page = nullptr;
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, unsigned> limits;
    std::map<uint16_t, std::string> strings;
    int items = 0;
    int selection = -1;
    int beeps = 0;
    int changes = 0;
    int messages = 0;

    unsigned get_text(int id, char* buffer, unsigned size) override {
        return fill_buffer(buffer, size, texts[id]);
    }
    void set_text(int id, const char* text) override {
        const size_t n = std::strlen(text);
        // The page writes a key field only to empty it or to mask it.
        check(n == 0 || std::strcmp(text, KEY_MASK) == 0);
        texts[id].assign(text, n);
    }
    bool is_checked(int id) override { return checks[id]; }
    void set_check(int id, bool checked) override {
        // The controls' replacement procedures see the new state first.
        if (page && id == BOX) page->security_set_check(checked);
        if (page && (id == ALPHANUMERIC || id == HEX)) page->mode_set_check(id, checked);
        checks[id] = checked;
    }
    void enable(int, bool) override {}
    void show(int, bool) override {}
    void limit_text(int id, unsigned characters) override {
        check(characters == 13 || characters == 26);
        limits[id] = characters;
    }
    void list_clear(int id) override {
        check(id == LIST);
        items = 0;
        selection = -1;
    }
    void list_add(int id, const char* text) override {
        check(id == LIST);
        check(std::strlen(text) < 1024);
        ++items;
    }
    int list_selection(int) override { return selection; }
    // As a drop-down list does: an index it does not hold selects nothing.
    void list_select(int, int index) override {
        selection = index >= 0 && index < items ? index : -1;
    }
    unsigned load_string(uint16_t id, char* buffer, unsigned size) override {
        auto it = strings.find(id);
        return fill_buffer(buffer, size, it == strings.end() ? std::string() : it->second);
    }
    MessageAnswer message(uint16_t id, uint16_t caption, MessageKind kind, bool owned) override {
        check(id == IDS_KEYS_MISSING || id == IDS_TX_KEY_EMPTY);
        check(caption == IDS_CAPTION_2247 && kind == MESSAGE_WARNING && !owned);
        ++messages;
        return ANSWER_OK;
    }
    MessageAnswer message_text(const char* text, uint16_t caption, MessageKind kind,
                               bool owned) override {
        check(std::strlen(text) < 256);
        check(caption == IDS_CAPTION_2247 && kind == MESSAGE_WARNING && !owned);
        ++messages;
        return ANSWER_OK;
    }
    void beep() override { ++beeps; }
    void changed() override { ++changes; }
    void help(uint32_t topic) override { check(topic == HELP_TOPIC_ENCRYPTION); }
    void end_dialog(int) override { check(false); }
    void save_position() override {}

    // What an edit does with characters it was let have.
    void insert(int id, const std::string& what, bool keep_limit) {
        std::string& text = texts[id];
        auto limit = limits.find(id);
        for (char c : what) {
            if (c == '\b') {
                if (!text.empty()) text.pop_back();
            } else if (!keep_limit || limit == limits.end() || text.size() < limit->second) {
                text += c;
            }
        }
    }
};

// What the harness knows of the page since its last showing: the record as
// shown and which fields the user edited.
struct Model {
    EncryptionRecord shown;
    bool edited[KEY_SLOT_COUNT];
};

void shown(Model& model) {
    model.shown = page_record;
    std::memset(model.edited, 0, sizeof model.edited);
    check(page_record.tx_key_index < KEY_SLOT_COUNT);
    check(page_record.magic == ENCRYPTION_RECORD_MAGIC);
}

// Strings the page loads, of any length (the composed warnings' starts too).
void fill_strings(FuzzedDataProvider& in, FuzzView& view) {
    const uint16_t ids[] = {IDS_KEY_PRINTABLE, IDS_KEY_HEX, IDS_KEY_1,
                            IDS_KEY_2,         IDS_KEY_3,   IDS_KEY_4};
    for (uint16_t id : ids) {
        if (!in.ConsumeBool()) continue;
        const size_t length = in.ConsumeIntegralInRange<size_t>(0, 1200);
        view.strings[id] = std::string(length, in.ConsumeIntegral<char>());
    }
}

// The slot an edited field should give, judged as the page must judge it:
// false when the field is no valid key in this mode.
bool expected_slot(const std::string& text, int hex_mode, KeySlot* slot) {
    std::memset(slot, 0, sizeof *slot);
    const size_t n = text.size();
    if (n == 0) return true;
    if (!hex_mode) {
        if (n != KEY_LENGTH_40 && n != KEY_LENGTH_104) return false;
        slot->length = static_cast<uint16_t>(n);
        std::memcpy(slot->material, text.data(), n);
        return true;
    }
    if (n != 2 * KEY_LENGTH_40 && n != 2 * KEY_LENGTH_104) return false;
    slot->length = static_cast<uint16_t>(n / 2);
    return parse_hex_bytes(slot->material, text.data(), static_cast<unsigned>(n)) == 1;
}

void leave(EncryptionPage& page, FuzzView& view, const Model& model) {
    char before[CONFIG_TEXT_SIZE];
    std::memcpy(before, active_configuration.encryption, sizeof before);
    const int messages = view.messages;
    const bool accepted = page.kill_active();
    check(accepted == (view.messages == messages));
    if (!accepted) {
        check(view.messages == messages + 1);
        // Nothing else writes the text.
        check(std::memcmp(before, active_configuration.encryption, sizeof before) == 0);
        return;
    }
    EncryptionRecord record;
    check(decode_valid_encryption_text(active_configuration.encryption, &record) == 1);
    check(record.key_block_length == model.shown.key_block_length);
    check(record.key_block_type == model.shown.key_block_type);
    check(record.data_security == (view.checks[BOX] ? 1 : 0));
    check(record.tx_key_index == (view.selection >= 0 ? view.selection : 0));
    bool any = false;
    for (unsigned k = 0; k < KEY_SLOT_COUNT; ++k) {
        const KeySlot& slot = record.keys[k];
        any = any || slot.length != 0;
        if (!model.edited[k]) {
            check(std::memcmp(&slot, &model.shown.keys[k], sizeof slot) == 0);
            continue;
        }
        KeySlot wanted;
        check(expected_slot(view.texts[field_id(static_cast<int>(k) + 1)], key_hex_mode, &wanted));
        check(slot.length == wanted.length);
        check(std::memcmp(slot.material, wanted.material, sizeof slot.material) == 0);
    }
    if (record.data_security) check(any && record.keys[record.tx_key_index].length != 0);
}

// Keys 1 to 4, now and then one the page has no field for.
int fuzz_key(FuzzedDataProvider& in) {
    return in.ConsumeIntegralInRange<int>(0, 15) == 0 ? in.ConsumeIntegralInRange<int>(-2, 6)
                                                      : in.ConsumeIntegralInRange<int>(1, 4);
}
bool valid_key(int k) { return k >= 1 && k <= 4; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reset_library_state();
    FuzzedDataProvider in(data, size);
    key_hex_mode = in.ConsumeBool() ? 1 : 0;
    fill_encryption(in);

    FuzzView view;
    fill_strings(in, view);
    EncryptionPage* page = new EncryptionPage(view);
    view.page = page;
    Model model;
    page->init();
    check(view.items == 4);
    page->set_active();
    shown(model);

    for (int step = 0; step < 128 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange<int>(0, 15)) {
        case 0:
            page->set_active();
            shown(model);
            break;
        case 1: leave(*page, view, model); break;
        case 2: {
            // A keystroke: WM_KEYDOWN, then WM_CHAR.
            const int k = fuzz_key(in);
            char c = in.ConsumeIntegral<char>();
            const char typed = c;
            const int beeps = view.beeps, changes = view.changes;
            page->key_key_down(k);
            if (!valid_key(k)) {
                page->key_char(k, c);
                break;
            }
            model.edited[k - 1] = true;
            if (page->key_char(k, c) == CHAR_PASS) {
                check(view.changes == changes + 1 && view.beeps == beeps);
                if (key_hex_mode)
                    check(c == '\b' || hex_digit(c));
                else
                    check(c == typed);
                view.insert(field_id(k), std::string(1, c), true);
            } else {
                check(key_hex_mode && view.beeps == beeps + 1 && view.changes == changes);
            }
            break;
        }
        case 3: {
            // A key without a character: the first one empties the field.
            const int k = fuzz_key(in);
            const std::string before = valid_key(k) ? view.texts[field_id(k)] : "";
            page->key_key_down(k);
            if (valid_key(k)) {
                check(view.texts[field_id(k)] == (model.edited[k - 1] ? before : ""));
                model.edited[k - 1] = true;
            }
            break;
        }
        case 4: {
            const int k = fuzz_key(in);
            const std::string clip = in.ConsumeRandomLengthString(600);
            std::vector<char> text(clip.begin(), clip.end());
            text.push_back('\0');
            const int beeps = view.beeps;
            if (page->key_paste(k, text.data())) {
                check(view.beeps == beeps);
                if (!valid_key(k)) break;
                const std::string pasted(text.data());
                if (key_hex_mode)
                    for (char c : pasted) check(c == '\b' || hex_digit(c));
                else
                    check(pasted == std::string(clip.c_str()));
                model.edited[k - 1] = true;
                // Select all, then paste: the edit keeps what its limit allows.
                view.texts[field_id(k)].clear();
                std::string& field = view.texts[field_id(k)];
                auto limit = view.limits.find(field_id(k));
                field = limit == view.limits.end() ? pasted : pasted.substr(0, limit->second);
            } else {
                check(key_hex_mode && view.beeps == beeps + 1);
                check(std::string(text.data()) == std::string(clip.c_str()));
            }
            break;
        }
        case 5: {
            const int k = fuzz_key(in);
            page->key_cut_or_clear(k);
            if (!valid_key(k)) break;
            model.edited[k - 1] = true;
            view.texts[field_id(k)].clear();
            break;
        }
        case 6:
            view.set_check(BOX, !view.checks[BOX]);
            page->control_clicked();
            break;
        case 7: {
            const int id = in.ConsumeBool() ? HEX : ALPHANUMERIC;
            view.set_check(id, true);
            view.set_check(id == HEX ? ALPHANUMERIC : HEX, false);
            page->control_clicked();
            check(key_hex_mode == (id == HEX ? 1 : 0));
            break;
        }
        case 8:
            view.list_select(LIST, in.ConsumeIntegralInRange<int>(-1, 5));
            page->control_clicked();
            break;
        case 9: {
            // A field's text of any length, as a program could set it.
            const int k = in.ConsumeIntegralInRange<int>(1, 4);
            view.texts[field_id(k)] = in.ConsumeRandomLengthString(700);
            break;
        }
        case 10: {
            // A character without its key press, past the edit's limit.
            const int k = in.ConsumeIntegralInRange<int>(1, 4);
            char c = in.ConsumeIntegral<char>();
            if (page->key_char(k, c) == CHAR_PASS)
                view.insert(field_id(k), std::string(1, c), false);
            break;
        }
        case 11:
            // A new sheet: the page made anew, in the mode last chosen.
            delete page;
            page = new EncryptionPage(view);
            view.page = page;
            view.items = 0;
            view.selection = -1;
            page->init();
            page->set_active();
            shown(model);
            break;
        case 12: fill_encryption(in); break;
        case 13: page->help(); break;
        case 14: fill_strings(in, view); break;
        case 15: {
            // Called on its own, the check reads and judges as a leave does.
            const int messages = view.messages;
            const int ok = page->store_encryption_keys();
            check(ok == (view.messages == messages ? 1 : 0));
            break;
        }
        }
    }
    leave(*page, view, model);
    delete page;
    reset_library_state();
    return 0;
}
