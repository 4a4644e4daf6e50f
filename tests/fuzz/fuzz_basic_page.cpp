// The Basic page's logic over field texts and keystrokes of any byte and any
// length, on every network type (and types no sheet gives the page), with
// Encryption texts of any content and string-table texts of any length.
// Checks that nothing is read or written outside a buffer (the fake window
// fills every buffer it is given to the size it is told), that the names
// stored stay within their 32 characters, that a refused leave keeps the
// Encryption text, and that every accepted leave of a page with keys leaves
// a text that decodes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "basic_page.h"
#include "encryption.h"
#include "fuzz_pages.h"
#include "library_state.h"
#include "page_record.h"
#include "resource.h"
#include "store.h"
#include "view.h"

namespace {

void check(bool condition) {
    if (!condition) abort();
}

const int NAME = IDC_BASIC_NAME;
const int KEY = IDC_BASIC_KEY;
const int BOX = IDC_BASIC_DATA_SECURITY;

class FuzzView : public View {
public:
    BasicPage* page = nullptr;
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, unsigned> limits;
    std::map<uint16_t, std::string> strings;
    int beeps = 0;
    int changes = 0;
    int messages = 0;

    unsigned get_text(int id, char* buffer, unsigned size) override {
        return fill_buffer(buffer, size, texts[id]);
    }
    void set_text(int id, const char* text) override {
        const size_t n = std::strlen(text);
        check(n < 1024);
        texts[id].assign(text, n);
    }
    bool is_checked(int id) override { return checks[id]; }
    void set_check(int id, bool checked) override {
        // The box's replacement procedure sees the new state first.
        if (id == BOX && page) page->security_set_check(checked);
        checks[id] = checked;
    }
    void enable(int, bool) override {}
    void show(int, bool) override {}
    void limit_text(int id, unsigned characters) override { limits[id] = characters; }
    void list_clear(int) override {}
    void list_add(int, const char* text) override { check(std::strlen(text) < 1024); }
    int list_selection(int) override { return -1; }
    void list_select(int, int) override {}
    unsigned load_string(uint16_t id, char* buffer, unsigned size) override {
        auto it = strings.find(id);
        return fill_buffer(buffer, size, it == strings.end() ? std::string() : it->second);
    }
    MessageAnswer message(uint16_t, uint16_t, MessageKind, bool) override {
        ++messages;
        return ANSWER_OK;
    }
    MessageAnswer message_text(const char* text, uint16_t, MessageKind, bool) override {
        check(std::strlen(text) < 256);
        ++messages;
        return ANSWER_OK;
    }
    void beep() override { ++beeps; }
    void changed() override { ++changes; }
    void help(uint32_t topic) override { check(topic == HELP_TOPIC_BASIC); }
    void end_dialog(int) override { check(false); }
    void save_position() override {}

    // What an edit does with a character or a pasted text it was let have.
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

uint32_t page_type() {
    const uint32_t n = active_configuration.current_profile;
    return active_configuration.profile_types[(n >= 1 && n <= PROFILE_COUNT ? n : 1) - 1];
}

bool has_keys(uint32_t type) { return type == NET_RESIDENTIAL_GATEWAY || type == NET_PEER_TO_PEER; }

// A configuration text field of any content, sometimes without a terminator.
void fill_field(FuzzedDataProvider& in, char (&field)[CONFIG_TEXT_SIZE]) {
    const std::string text = in.ConsumeRandomLengthString(CONFIG_TEXT_SIZE + 8);
    const size_t n = text.size() < CONFIG_TEXT_SIZE ? text.size() : CONFIG_TEXT_SIZE;
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), n);
}

uint32_t fuzz_type(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(0, 3)
                            : in.ConsumeIntegral<uint32_t>() % 9;
}

// Strings the page loads, of any length (the composed warning's start too).
void fill_strings(FuzzedDataProvider& in, FuzzView& view) {
    const uint16_t ids[] = {IDS_KEY_PRINTABLE, IDS_HELP_RESIDENTIAL_GATEWAY, IDS_HELP_ACCESS_POINT,
                            IDS_HELP_PEER_TO_PEER, IDS_HELP_BASE_STATION};
    for (uint16_t id : ids) {
        if (!in.ConsumeBool()) continue;
        const size_t length = in.ConsumeIntegralInRange<size_t>(0, 1200);
        view.strings[id] = std::string(length, in.ConsumeIntegral<char>());
    }
}

size_t name_length(const char (&field)[CONFIG_TEXT_SIZE]) {
    return strnlen(field, CONFIG_TEXT_SIZE);
}

void leave(BasicPage& page) {
    const uint32_t type = page_type();
    char before[CONFIG_TEXT_SIZE];
    std::memcpy(before, active_configuration.encryption, sizeof before);
    const bool accepted = page.kill_active();
    const ActiveConfiguration& config = active_configuration;
    if (type <= NET_BASE_STATION) {
        check(name_length(config.desired_ssid) <= 32);
        check(name_length(config.own_ssid) <= 32);
        check(type == NET_BASE_STATION ? config.desired_ssid[0] == '\0'
                                       : config.own_ssid[0] == '\0');
    } else {
        check(accepted);
    }
    if (accepted && has_keys(type)) {
        EncryptionRecord record;
        check(decode_valid_encryption_text(config.encryption, &record) == 1);
        check(record.tx_key_index == 0);
        check(record.key_block_length == KEY_BLOCK_LENGTH);
        check(record.key_block_type == KEY_BLOCK_TYPE);
        check(record.data_security == 0 || record.keys[0].length != 0);
        return;
    }
    // Nothing else writes the text.
    check(std::memcmp(before, config.encryption, sizeof before) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reset_library_state();
    FuzzedDataProvider in(data, size);
    ActiveConfiguration& config = active_configuration;
    reset_profile_defaults();
    config.current_profile = in.ConsumeIntegralInRange<uint32_t>(0, 5);
    for (uint32_t& type : config.profile_types) type = fuzz_type(in);
    fill_field(in, config.desired_ssid);
    fill_field(in, config.own_ssid);
    fill_encryption(in);

    FuzzView view;
    fill_strings(in, view);
    BasicPage* page = new BasicPage(view);
    view.page = page;
    page->init();
    page->set_active();

    for (int step = 0; step < 96 && in.remaining_bytes() > 0; ++step) {
        const bool gateway = page_type() == NET_RESIDENTIAL_GATEWAY;
        switch (in.ConsumeIntegralInRange<int>(0, 17)) {
        case 0: page->set_active(); break;
        case 1: leave(*page); break;
        case 2: {
            char c = in.ConsumeIntegral<char>();
            const char typed = c;
            if (page->name_char(c) == CHAR_PASS) {
                if (gateway)
                    check(c == '\b' || std::strchr("0123456789abcdef", c));
                else
                    check(c == typed);
                view.insert(NAME, std::string(1, c), true);
            } else {
                check(gateway);
            }
            page->name_key_up();
            break;
        }
        case 3: page->name_key_up(); break;
        case 4: {
            std::string clip = in.ConsumeRandomLengthString(400);
            std::vector<char> text(clip.begin(), clip.end());
            text.push_back('\0');
            if (page->name_paste(text.data())) {
                if (gateway)
                    for (const char* p = text.data(); *p; ++p)
                        check(std::strchr("0123456789abcdef", *p) != nullptr);
                view.insert(NAME, text.data(), true);
                page->name_key_up();
            } else {
                check(gateway);
            }
            break;
        }
        case 5: page->key_key_down(); break;
        case 6: {
            char c = in.ConsumeIntegral<char>();
            page->key_key_down();
            if (page->key_char(c) == CHAR_PASS) view.insert(KEY, std::string(1, c), true);
            break;
        }
        case 7: {
            const std::string clip = in.ConsumeRandomLengthString(400);
            if (page->key_paste(clip.c_str())) view.insert(KEY, clip, true);
            break;
        }
        case 8:
            if (in.ConsumeBool()) {
                page->name_cut_or_clear();
                view.texts[NAME].clear();
                page->name_key_up();
                break;
            }
            page->key_cut_or_clear();
            view.texts[KEY].clear();
            break;
        case 9:
            view.set_check(BOX, !view.checks[BOX]);
            page->security_clicked();
            break;
        case 10: view.texts[NAME] = in.ConsumeRandomLengthString(600); break;
        case 11: view.texts[KEY] = in.ConsumeRandomLengthString(600); break;
        case 12: page->help(); break;
        case 13: page->check_basic_key(); break;
        case 14:
            // A new sheet: the page made anew.
            delete page;
            page = new BasicPage(view);
            view.page = page;
            page->init();
            page->set_active();
            break;
        case 15: fill_encryption(in); break;
        case 16:
            fill_field(in, config.desired_ssid);
            fill_field(in, config.own_ssid);
            break;
        case 17: {
            // Typed without the edit's limit (a program's text, or an
            // edit whose limit was lifted).
            char c = in.ConsumeIntegral<char>();
            if (in.ConsumeBool()) {
                if (page->name_char(c) == CHAR_PASS) view.insert(NAME, std::string(1, c), false);
            } else if (page->key_char(c) == CHAR_PASS) {
                view.insert(KEY, std::string(1, c), false);
            }
            break;
        }
        }
    }
    leave(*page);
    delete page;
    reset_library_state();
    return 0;
}
