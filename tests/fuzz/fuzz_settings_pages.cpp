// The Advanced, Admin and Adapter pages' logic over stored values of any
// content (texts without terminators, numbers of any size, any profile and
// network type, SoftexPcmcia set or not), field texts and keystrokes of any
// byte and length, and list selections of any index. Checks that nothing is
// read or written outside a buffer (the fake window fills every buffer it is
// given to the size it is told), that every accepted leave stores only values
// the driver takes, that a refused leave happens only on the MAC rule and
// says so, that a hidden MAC group's stored address is never touched, and
// that each page keeps to its own restart mark of its own profile.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "adapter_page.h"
#include "admin_page.h"
#include "advanced_page.h"
#include "fuzz_pages.h"
#include "library_state.h"
#include "network_types.h"
#include "page_record.h"
#include "resource.h"
#include "store.h"
#include "view.h"

namespace {

void check(bool condition) {
    if (!condition) abort();
}

class FuzzView : public View {
public:
    AdminPage* admin = nullptr;
    FuzzedDataProvider* in = nullptr;
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, bool> enabled;
    std::map<int, unsigned> limits;
    std::map<int, std::vector<std::string>> lists;
    std::map<int, int> selections;
    std::map<uint16_t, std::string> strings;
    uint32_t help_topic = 0;
    int messages = 0;
    int beeps = 0;

    unsigned get_text(int id, char* buffer, unsigned size) override {
        return fill_buffer(buffer, size, texts[id]);
    }
    void set_text(int id, const char* text) override {
        const size_t n = std::strlen(text);
        check(n < CONFIG_TEXT_SIZE + 512);
        texts[id].assign(text, n);
    }
    bool is_checked(int id) override { return checks[id]; }
    void set_check(int id, bool checked) override {
        // The buttons' replacement procedures see the new state first.
        if (admin && id == IDC_ADMIN_MAC_DEFAULT) admin->default_set_check(checked);
        if (admin && id == IDC_ADMIN_MAC_ASSIGNED) admin->assigned_set_check(checked);
        checks[id] = checked;
    }
    void enable(int id, bool on) override { enabled[id] = on; }
    void show(int, bool) override {}
    void limit_text(int id, unsigned characters) override { limits[id] = characters; }
    void list_clear(int id) override { lists[id].clear(); }
    void list_add(int id, const char* text) override {
        const size_t n = std::strlen(text);
        check(n < 16);
        lists[id].emplace_back(text, n);
    }
    // What the list answers: what was selected, or (a program's message, a
    // list of another size) any index at all.
    int list_selection(int id) override {
        if (in && in->ConsumeBool()) return in->ConsumeIntegral<int>();
        auto it = selections.find(id);
        return it == selections.end() ? -1 : it->second;
    }
    void list_select(int id, int index) override {
        check(index >= 0 && static_cast<size_t>(index) < lists[id].size());
        selections[id] = index;
    }
    unsigned load_string(uint16_t id, char* buffer, unsigned size) override {
        auto it = strings.find(id);
        return fill_buffer(buffer, size, it == strings.end() ? std::string() : it->second);
    }
    MessageAnswer message(uint16_t text_id, uint16_t caption_id, MessageKind kind,
                          bool owned) override {
        check(text_id == IDS_LOCAL_MAC_INVALID && caption_id == IDS_CAPTION_2245);
        check(kind == MESSAGE_WARNING && owned);
        ++messages;
        return ANSWER_OK;
    }
    MessageAnswer message_text(const char*, uint16_t, MessageKind, bool) override {
        check(false);
        return ANSWER_NONE;
    }
    void beep() override { ++beeps; }
    void changed() override {}
    void help(uint32_t topic) override { help_topic = topic; }
    void end_dialog(int) override { check(false); }
    void save_position() override {}

    // A click on one radio button of a group: it is checked, the others not,
    // each through its procedure.
    void click(const std::vector<int>& group, int chosen) {
        for (int id : group)
            if (id != chosen && checks[id]) set_check(id, false);
        set_check(chosen, true);
    }
};

const std::vector<int> POWER = {IDC_ADVANCED_POWER_OFF, IDC_ADVANCED_POWER_ON};
const std::vector<int> ROBUSTNESS = {IDC_ADVANCED_ROBUSTNESS_OFF, IDC_ADVANCED_ROBUSTNESS_ON};
const std::vector<int> RTS = {IDC_ADVANCED_RTS_OFF, IDC_ADVANCED_RTS_ON};
const std::vector<int> SCALE = {IDC_ADMIN_SCALE_LARGE, IDC_ADMIN_SCALE_MEDIUM,
                                IDC_ADMIN_SCALE_SMALL};
const std::vector<int> MAC = {IDC_ADMIN_MAC_DEFAULT, IDC_ADMIN_MAC_ASSIGNED};

unsigned slot() {
    const uint32_t n = active_configuration.current_profile;
    return (n >= 1 && n <= PROFILE_COUNT ? n : 1) - 1;
}

bool mac_group_shown() {
    const ActiveConfiguration& config = active_configuration;
    return config.profile_types[slot()] == NET_ACCESS_POINT && config.softex_pcmcia == 0;
}

bool is_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

bool in_table(const uint32_t* table, unsigned count, uint32_t value) {
    for (unsigned i = 0; i < count; ++i)
        if (table[i] == value) return true;
    return false;
}

// A stored text of any content, sometimes filling the field without a zero.
void fill_field(FuzzedDataProvider& in, char (&field)[CONFIG_TEXT_SIZE]) {
    std::string text;
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: text = in.ConsumeRandomLengthString(CONFIG_TEXT_SIZE + 8); break;
    case 1: {
        // A hex address of about the right length, of either kind of byte.
        const size_t length = in.ConsumeIntegralInRange<size_t>(10, 14);
        for (size_t i = 0; i < length; ++i)
            text += "0123456789abcdefABCDEF"[in.ConsumeIntegralInRange<int>(0, 21)];
        break;
    }
    case 2: text = "02601d03bc3a"; break;
    default: break;
    }
    const size_t n = text.size() < CONFIG_TEXT_SIZE ? text.size() : CONFIG_TEXT_SIZE;
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), n);
}

uint32_t fuzz_number(FuzzedDataProvider& in, const uint32_t* table, unsigned count) {
    switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: return table[in.ConsumeIntegralInRange<unsigned>(0, count - 1)];
    case 1: return in.ConsumeIntegralInRange<uint32_t>(0, 4);
    default: return in.ConsumeIntegral<uint32_t>();
    }
}

void fill_configuration(FuzzedDataProvider& in) {
    ActiveConfiguration& config = active_configuration;
    config.current_profile = in.ConsumeIntegralInRange<uint32_t>(0, 5);
    for (uint32_t& type : config.profile_types)
        type = in.ConsumeBool() ? NET_ACCESS_POINT : in.ConsumeIntegral<uint32_t>() % 6;
    for (uint8_t& marks : config.restart_marks) marks = in.ConsumeIntegral<uint8_t>();
    const uint32_t small[] = {0, 1, 2, 3, 500, 2347};
    config.pm_enabled = fuzz_number(in, small, 6);
    config.microwave_robustness = fuzz_number(in, small, 6);
    config.rts_threshold = fuzz_number(in, small, 6);
    config.system_scale = fuzz_number(in, small, 6);
    config.softex_pcmcia = in.ConsumeBool() ? 0 : in.ConsumeIntegral<uint32_t>();
    config.io_base_address = fuzz_number(in, io_base_table, IO_BASE_COUNT);
    config.interrupt_number = fuzz_number(in, interrupt_table, INTERRUPT_COUNT);
    fill_field(in, config.network_address);
}

// Strings the pages load, of any length: help texts and list items.
void fill_strings(FuzzedDataProvider& in, FuzzView& view) {
    const int count = in.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < count; ++i) {
        uint16_t id;
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: id = IDS_HELP_ADMIN; break;
        case 1: id = IDS_HELP_ADAPTER; break;
        case 2:
            id = static_cast<uint16_t>(IDS_IO_BASE_FIRST +
                                       in.ConsumeIntegralInRange<int>(0, IO_BASE_COUNT - 1));
            break;
        default:
            id = static_cast<uint16_t>(IDS_INTERRUPT_FIRST +
                                       in.ConsumeIntegralInRange<int>(0, INTERRUPT_COUNT - 1));
            break;
        }
        const size_t length = in.ConsumeIntegralInRange<size_t>(0, 1200);
        view.strings[id] = std::string(length, in.ConsumeIntegral<char>());
    }
}

// Every restart mark but the page's own bit of the current profile.
bool other_marks_same(const uint8_t (&before)[PROFILE_COUNT], uint8_t own_bit) {
    for (unsigned i = 0; i < PROFILE_COUNT; ++i) {
        const uint8_t mask = i == slot() ? static_cast<uint8_t>(~own_bit) : 0xFF;
        if ((before[i] & mask) != (active_configuration.restart_marks[i] & mask)) return false;
    }
    return true;
}

void leave_advanced(AdvancedPage& page) {
    ActiveConfiguration& config = active_configuration;
    check(page.kill_active());
    check(config.pm_enabled <= 1 && config.microwave_robustness <= 1);
    check(config.rts_threshold == 500 || config.rts_threshold == 2347);
}

void leave_admin(FuzzView& view, AdminPage& page) {
    ActiveConfiguration& config = active_configuration;
    uint8_t marks[PROFILE_COUNT];
    std::memcpy(marks, config.restart_marks, sizeof marks);
    char stored[CONFIG_TEXT_SIZE];
    std::memcpy(stored, config.network_address, sizeof stored);
    const uint32_t scale = config.system_scale;
    const bool shown = mac_group_shown();
    const bool by_default = view.checks[IDC_ADMIN_MAC_DEFAULT];
    const int messages = view.messages;

    const bool accepted = page.kill_active();

    check(other_marks_same(marks, RESTART_MAC_ADDRESS));
    const char* address = config.network_address;
    if (!accepted) {
        // Only the MAC rule keeps the page, and it says why.
        check(shown && !by_default);
        check(view.messages == messages + 1);
        check(config.system_scale == scale);
        return;
    }
    check(view.messages == messages);
    check(config.system_scale >= 1 && config.system_scale <= 3);
    if (by_default) {
        check(address[0] == '\0');
    } else if (shown) {
        check(std::strlen(address) == 12);
        for (int i = 0; i < 12; ++i) check(is_hex(address[i]));
        check((hex_value(address[1]) & 3) == 2);
        if (std::strcmp(address, admin_mac_at_showing) != 0)
            check(config.restart_marks[slot()] & RESTART_MAC_ADDRESS);
    } else {
        check(std::memcmp(stored, address, sizeof stored) == 0);
    }
}

void leave_adapter(AdapterPage& page, uint32_t io_at_creation, uint32_t interrupt_at_creation) {
    ActiveConfiguration& config = active_configuration;
    uint8_t marks[PROFILE_COUNT];
    std::memcpy(marks, config.restart_marks, sizeof marks);
    check(page.kill_active());
    check(other_marks_same(marks, RESTART_ADAPTER));
    check(in_table(io_base_table, IO_BASE_COUNT, config.io_base_address));
    check(in_table(interrupt_table, INTERRUPT_COUNT, config.interrupt_number));
    const bool same = config.io_base_address == io_at_creation &&
                      config.interrupt_number == interrupt_at_creation;
    check(((config.restart_marks[slot()] & RESTART_ADAPTER) != 0) == !same);
}

// What an edit does with the characters it was let have.
void insert(FuzzView& view, int id, const std::string& what) {
    std::string& text = view.texts[id];
    auto limit = view.limits.find(id);
    for (char c : what) {
        if (c == '\b') {
            if (!text.empty()) text.pop_back();
        } else if (limit == view.limits.end() || text.size() < limit->second) {
            text += c;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reset_library_state();
    FuzzedDataProvider in(data, size);
    reset_profile_defaults();
    fill_configuration(in);

    FuzzView view;
    fill_strings(in, view);
    AdvancedPage advanced(view);
    AdminPage* admin = new AdminPage(view);
    AdapterPage* adapter = new AdapterPage(view);
    view.admin = admin;
    advanced.init();
    admin->init();
    adapter->init();
    uint32_t io_at_creation = active_configuration.io_base_address;
    uint32_t interrupt_at_creation = active_configuration.interrupt_number;
    check(view.lists[IDC_ADAPTER_IO_BASE].size() == IO_BASE_COUNT);
    check(view.lists[IDC_ADAPTER_INTERRUPT].size() == INTERRUPT_COUNT);
    view.in = &in;

    for (int step = 0; step < 96 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange<int>(0, 17)) {
        case 0: {
            const uint32_t rts = active_configuration.rts_threshold;
            advanced.set_active();
            check(view.checks[IDC_ADVANCED_RTS_ON] == (rts == 500));
            check(view.checks[IDC_ADVANCED_RTS_OFF] != (rts == 500));
            break;
        }
        case 1: leave_advanced(advanced); break;
        case 2: {
            const std::vector<int>* groups[] = {&POWER, &ROBUSTNESS, &RTS};
            const std::vector<int>& group = *groups[in.ConsumeIntegralInRange<int>(0, 2)];
            view.click(group, group[in.ConsumeBool() ? 1 : 0]);
            advanced.clicked();
            break;
        }
        case 3: {
            admin->set_active();
            const std::string& shown_text = view.texts[IDC_ADMIN_MAC];
            check(shown_text.size() < CONFIG_TEXT_SIZE);
            check(std::strcmp(admin_mac_at_showing, shown_text.c_str()) == 0);
            check(admin_mac_mode == IDC_ADMIN_MAC_DEFAULT ||
                  admin_mac_mode == IDC_ADMIN_MAC_ASSIGNED);
            break;
        }
        case 4: leave_admin(view, *admin); break;
        case 5: view.click(SCALE, SCALE[in.ConsumeIntegralInRange<int>(0, 2)]); break;
        case 6: {
            uint8_t marks[PROFILE_COUNT];
            std::memcpy(marks, active_configuration.restart_marks, sizeof marks);
            view.click(MAC, MAC[in.ConsumeBool() ? 1 : 0]);
            admin->clicked();
            check(other_marks_same(marks, RESTART_MAC_ADDRESS));
            break;
        }
        case 7: {
            if (in.ConsumeBool()) {
                // A paste: only hex digits, lower case, are let in.
                std::string clip = in.ConsumeRandomLengthString(64);
                std::vector<char> text(clip.begin(), clip.end());
                text.push_back('\0');
                if (admin->mac_paste(text.data())) {
                    for (const char* p = text.data(); *p; ++p)
                        check((*p >= '0' && *p <= '9') || (*p >= 'a' && *p <= 'f'));
                    insert(view, IDC_ADMIN_MAC, text.data());
                }
                break;
            }
            char c = in.ConsumeIntegral<char>();
            if (admin->mac_char(c) == CHAR_PASS) {
                check(c == '\b' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'));
                insert(view, IDC_ADMIN_MAC, std::string(1, c));
            }
            break;
        }
        case 8: view.texts[IDC_ADMIN_MAC] = in.ConsumeRandomLengthString(600); break;
        case 9: {
            adapter->set_active();
            const ActiveConfiguration& config = active_configuration;
            check(io_base_at(view.selections[IDC_ADAPTER_IO_BASE]) ==
                  (in_table(io_base_table, IO_BASE_COUNT, config.io_base_address)
                       ? config.io_base_address
                       : io_base_table[IO_BASE_FALLBACK]));
            check(interrupt_at(view.selections[IDC_ADAPTER_INTERRUPT]) ==
                  (in_table(interrupt_table, INTERRUPT_COUNT, config.interrupt_number)
                       ? config.interrupt_number
                       : interrupt_table[INTERRUPT_FALLBACK]));
            break;
        }
        case 10: leave_adapter(*adapter, io_at_creation, interrupt_at_creation); break;
        case 11: {
            const int list = in.ConsumeBool() ? IDC_ADAPTER_IO_BASE : IDC_ADAPTER_INTERRUPT;
            view.selections[list] = in.ConsumeIntegral<int>();
            break;
        }
        case 12: {
            char c = in.ConsumeIntegral<char>();
            const int beeps = view.beeps;
            if (adapter->io_base_char(c) == CHAR_PASS)
                check(c == '\b' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
            else
                check(view.beeps == beeps + 1);
            break;
        }
        case 13: adapter->interrupt_command(); break;
        case 14: {
            const int which = in.ConsumeIntegralInRange<int>(0, 2);
            if (which == 0) {
                advanced.help();
                check(view.help_topic == HELP_TOPIC_ADVANCED);
            } else if (which == 1) {
                admin->help();
                check(view.help_topic == HELP_TOPIC_ADMIN);
            } else {
                adapter->help();
                check(view.help_topic == HELP_TOPIC_ADAPTER);
            }
            break;
        }
        case 15: check_local_mac(view); break;
        case 16: fill_configuration(in); break;
        case 17:
            // A new sheet: the pages made anew; the MAC mode and the MAC at
            // showing stay, as they do while the applet is loaded.
            delete admin;
            delete adapter;
            view.checks.clear();
            view.selections.clear();
            admin = new AdminPage(view);
            adapter = new AdapterPage(view);
            view.admin = admin;
            admin->init();
            adapter->init();
            io_at_creation = active_configuration.io_base_address;
            interrupt_at_creation = active_configuration.interrupt_number;
            break;
        }
    }
    leave_advanced(advanced);
    leave_admin(view, *admin);
    leave_adapter(*adapter, io_at_creation, interrupt_at_creation);
    delete admin;
    delete adapter;
    reset_library_state();
    return 0;
}
