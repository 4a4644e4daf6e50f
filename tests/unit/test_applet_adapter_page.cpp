// The Adapter page's logic over a fake window: the two lists filled from the
// string table, the stored I/O base and interrupt selected (or the fallbacks),
// what typing into the I/O base list passes on, what leaving stores, and
// bit 1 of the profile's restart marks against the values at creation. Then
// the string table itself: its list texts are the tables' values.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "adapter_page.h"
#include "fake_view.h"
#include "fixture.h"
#include "resource.h"
#include "store.h"

namespace {

using case_name::operator<<;

const int IO = IDC_ADAPTER_IO_BASE;
const int IRQ = IDC_ADAPTER_INTERRUPT;

const char HELP_ADAPTER[] =
    " Use this tab to view or modify the hardware settings of your\n wireless PC Card, in case of "
    "hardware conflicts.";

// The texts the lists show: an I/O base in hex digits without prefix, an
// interrupt in decimal.
std::string io_base_text(uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(address));
    return text;
}
std::string interrupt_text(uint32_t interrupt) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(interrupt));
    return text;
}

// The page over a fake window whose I/O base list does what a drop-down
// list does with a character it receives: selects the next item (after the
// selected one, wrapping) beginning with it. The fake compares case-
// sensitively, so what arrives is visible; the real list ignores case.
class FakeAdapterPage {
public:
    FakeView view;
    AdapterPage page{view};

    FakeAdapterPage() {
        for (unsigned i = 0; i < IO_BASE_COUNT; ++i)
            view.strings[static_cast<uint16_t>(IDS_IO_BASE_FIRST + i)] =
                io_base_text(io_base_table[i]);
        for (unsigned i = 0; i < INTERRUPT_COUNT; ++i)
            view.strings[static_cast<uint16_t>(IDS_INTERRUPT_FIRST + i)] =
                interrupt_text(interrupt_table[i]);
        view.strings[IDS_HELP_ADAPTER] = HELP_ADAPTER;
    }

    // The sheet creates the page at its first showing.
    void open() {
        page.init();
        page.set_active();
    }

    // A character typed into the I/O base list.
    CharAction type(char c) {
        const CharAction action = page.io_base_char(c);
        if (action == CHAR_PASS) type_ahead(c);
        return action;
    }

    // The user picks an interrupt: the list selects it and notifies.
    void choose_interrupt(int index) {
        view.list_select(IRQ, index);
        page.interrupt_command();
    }
    void choose_io_base(int index) { view.list_select(IO, index); }

    bool leave() { return page.kill_active(); }

    std::string shown(int id) {
        const int sel = view.list_selection(id);
        const std::vector<std::string>& items = view.lists[id];
        return sel >= 0 && sel < static_cast<int>(items.size()) ? items[sel] : "<none>";
    }

private:
    void type_ahead(char c) {
        const std::vector<std::string>& items = view.lists[IO];
        const int count = static_cast<int>(items.size());
        if (c == '\b' || count == 0) return;
        const int from = view.list_selection(IO);
        for (int step = 1; step <= count; ++step) {
            const int i = ((from < 0 ? -1 : from) + step) % count;
            if (!items[i].empty() && items[i][0] == c) {
                view.list_select(IO, i);
                return;
            }
        }
    }
};

class AdapterPageTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        ActiveConfiguration& config = active_configuration;
        config.current_profile = 1;
        config.io_base_address = 0x400;
        config.interrupt_number = 3;
    }
    void stored(uint32_t io_base, uint32_t interrupt) {
        active_configuration.io_base_address = io_base;
        active_configuration.interrupt_number = interrupt;
    }
    uint8_t marks(int profile = 1) { return active_configuration.restart_marks[profile - 1]; }
};

// ---- the tables and their look-ups ----

TEST(AdapterTables, IoBaseTableInListOrder) {
    const uint32_t expected[] = {0x180,  0x1C0,  0x200,  0x280,  0x300,  0x380,  0x400,  0x440,
                                 0x480,  0x4C0,  0x500,  0x540,  0x580,  0x5C0,  0x600,  0x640,
                                 0x680,  0x6C0,  0x700,  0x740,  0x780,  0x7C0,  0x800,  0x900,
                                 0xA00,  0xB00,  0xC00,  0xD00,  0xE00,  0xF00,  0x1000, 0x1400,
                                 0x1800, 0x1C00, 0x2000, 0x3000, 0x4000, 0x5000, 0x6000, 0x7000,
                                 0x8000, 0x9000, 0xA000, 0xB000, 0xC000, 0xD000, 0xE000, 0xF000};
    static_assert(sizeof expected / sizeof expected[0] == IO_BASE_COUNT, "48 addresses");
    for (unsigned i = 0; i < IO_BASE_COUNT; ++i) EXPECT_EQ(io_base_table[i], expected[i]) << i;
    EXPECT_EQ(io_base_table[IO_BASE_FALLBACK], 0x400u);
}

TEST(AdapterTables, InterruptTableInListOrder) {
    const uint32_t expected[] = {3, 4, 5, 7, 9, 10, 11, 12, 15};
    static_assert(sizeof expected / sizeof expected[0] == INTERRUPT_COUNT, "9 interrupts");
    for (unsigned i = 0; i < INTERRUPT_COUNT; ++i) EXPECT_EQ(interrupt_table[i], expected[i]) << i;
    EXPECT_EQ(interrupt_table[INTERRUPT_FALLBACK], 7u);
}

TEST(AdapterTables, EveryEntryFindsItsOwnIndex) {
    for (unsigned i = 0; i < IO_BASE_COUNT; ++i) {
        EXPECT_EQ(find_io_base_index(io_base_table[i]), i);
        EXPECT_EQ(io_base_at(static_cast<int>(i)), io_base_table[i]);
    }
    for (unsigned i = 0; i < INTERRUPT_COUNT; ++i) {
        EXPECT_EQ(find_interrupt_index(interrupt_table[i]), i);
        EXPECT_EQ(interrupt_at(static_cast<int>(i)), interrupt_table[i]);
    }
}

struct FindCase {
    const char* name;
    uint32_t value;
    unsigned index;
};

class FindIoBase : public ::testing::TestWithParam<FindCase> {};
TEST_P(FindIoBase, IndexOrFallback) {
    EXPECT_EQ(find_io_base_index(GetParam().value), GetParam().index);
}
INSTANTIATE_TEST_SUITE_P(
    Adapter, FindIoBase,
    ::testing::Values(FindCase{"first_180", 0x180, 0}, FindCase{"fallback_itself_400", 0x400, 6},
                      FindCase{"last_F000", 0xF000, 47}, FindCase{"not_listed_3E0", 0x3E0, 6},
                      FindCase{"zero", 0, 6}, FindCase{"between_181", 0x181, 6},
                      FindCase{"beyond_F001", 0xF001, 6}, FindCase{"all_ones", 0xFFFFFFFF, 6}));

class FindInterrupt : public ::testing::TestWithParam<FindCase> {};
TEST_P(FindInterrupt, IndexOrFallback) {
    EXPECT_EQ(find_interrupt_index(GetParam().value), GetParam().index);
}
INSTANTIATE_TEST_SUITE_P(
    Adapter, FindInterrupt,
    ::testing::Values(FindCase{"irq3_first", 3, 0}, FindCase{"irq7_fallback_itself", 7, 3},
                      FindCase{"irq15_last", 15, 8}, FindCase{"irq6_not_listed", 6, 3},
                      FindCase{"irq0", 0, 3}, FindCase{"irq2", 2, 3}, FindCase{"irq31", 31, 3},
                      FindCase{"all_ones", 0xFFFFFFFF, 3}));

// A selection index is a table index only inside the table.
struct SelectionCase {
    const char* name;
    int selection;
    uint32_t io_base;
    uint32_t interrupt;
};

class SelectionValue : public ::testing::TestWithParam<SelectionCase> {};
TEST_P(SelectionValue, TableEntryOrFallback) {
    EXPECT_EQ(io_base_at(GetParam().selection), GetParam().io_base);
    EXPECT_EQ(interrupt_at(GetParam().selection), GetParam().interrupt);
}
INSTANTIATE_TEST_SUITE_P(
    Adapter, SelectionValue,
    ::testing::Values(
        SelectionCase{"first", 0, 0x180, 3}, SelectionCase{"index3", 3, 0x280, 7},
        SelectionCase{"index6", 6, 0x400, 11}, SelectionCase{"last_interrupt", 8, 0x480, 15},
        SelectionCase{"past_interrupts", 9, 0x4C0, 7}, SelectionCase{"last_io_base", 47, 0xF000, 7},
        SelectionCase{"past_io_bases", 48, 0x400, 7}, SelectionCase{"none", -1, 0x400, 7},
        SelectionCase{"minus2", -2, 0x400, 7}, SelectionCase{"large", 1000000, 0x400, 7},
        SelectionCase{"most_negative", -2147483647 - 1, 0x400, 7}));

// ---- creation ----

TEST_F(AdapterPageTest, CreationFillsBothListsInIdOrderAndTheHelpText) {
    FakeAdapterPage p;
    p.open();
    ASSERT_EQ(p.view.lists[IO].size(), static_cast<size_t>(IO_BASE_COUNT));
    ASSERT_EQ(p.view.lists[IRQ].size(), static_cast<size_t>(INTERRUPT_COUNT));
    EXPECT_EQ(p.view.lists[IO][0], "180");
    EXPECT_EQ(p.view.lists[IO][1], "1C0");
    EXPECT_EQ(p.view.lists[IO][6], "400");
    EXPECT_EQ(p.view.lists[IO][27], "D00");
    EXPECT_EQ(p.view.lists[IO][45], "D000");
    EXPECT_EQ(p.view.lists[IO][47], "F000");
    const char* interrupts[] = {"3", "4", "5", "7", "9", "10", "11", "12", "15"};
    for (unsigned i = 0; i < INTERRUPT_COUNT; ++i) EXPECT_EQ(p.view.lists[IRQ][i], interrupts[i]);
    EXPECT_EQ(p.view.texts[IDC_ADAPTER_HELP_TEXT], HELP_ADAPTER);
    EXPECT_EQ(p.view.changes, 0);
    EXPECT_EQ(p.view.beeps, 0);
    EXPECT_TRUE(p.view.messages.empty());
}

TEST_F(AdapterPageTest, HelpTextOnlyWhenTheStringLoads) {
    FakeAdapterPage p;
    p.view.strings.erase(IDS_HELP_ADAPTER);
    p.open();
    EXPECT_EQ(p.view.texts.count(IDC_ADAPTER_HELP_TEXT), 0u);
}

TEST_F(AdapterPageTest, HelpOpensTopic111) {
    FakeAdapterPage p;
    p.open();
    p.page.help();
    EXPECT_EQ(p.view.help_topics, std::vector<uint32_t>{111});
}

// ---- showing and leaving untouched ----

struct StoredCase {
    const char* name;
    uint32_t io_base;
    uint32_t interrupt;
    const char* io_shown;
    const char* interrupt_shown;
    uint32_t io_stored;  // after leaving untouched
    uint32_t interrupt_stored;
    bool restart;  // bit 1 after leaving untouched
};

class AdapterStored : public AdapterPageTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(AdapterStored, ShowsAndStoresOnLeavingUntouched) {
    const StoredCase& c = GetParam();
    stored(c.io_base, c.interrupt);
    FakeAdapterPage p;
    p.open();
    EXPECT_EQ(p.shown(IO), c.io_shown);
    EXPECT_EQ(p.shown(IRQ), c.interrupt_shown);
    EXPECT_TRUE(p.leave());
    EXPECT_EQ(active_configuration.io_base_address, c.io_stored);
    EXPECT_EQ(active_configuration.interrupt_number, c.interrupt_stored);
    EXPECT_EQ(marks() & RESTART_ADAPTER, c.restart ? RESTART_ADAPTER : 0);
    EXPECT_EQ(p.view.changes, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Adapter, AdapterStored,
    ::testing::Values(StoredCase{"default_400_irq3", 0x400, 3, "400", "3", 0x400, 3, false},
                      StoredCase{"first_180_irq3", 0x180, 3, "180", "3", 0x180, 3, false},
                      StoredCase{"last_F000_irq15", 0xF000, 15, "F000", "15", 0xF000, 15, false},
                      StoredCase{"D00_irq10", 0xD00, 10, "D00", "10", 0xD00, 10, false},
                      // Not in the list: shown as 0x400, stored so, a restart though
                      // nothing was touched.
                      StoredCase{"unlisted_3E0", 0x3E0, 3, "400", "3", 0x400, 3, true},
                      StoredCase{"unlisted_zero", 0, 3, "400", "3", 0x400, 3, true},
                      StoredCase{"unlisted_all_ones", 0xFFFFFFFF, 7, "400", "7", 0x400, 7, true},
                      StoredCase{"irq6_shows_7", 0x400, 6, "400", "7", 0x400, 7, true},
                      StoredCase{"irq0_shows_7", 0x400, 0, "400", "7", 0x400, 7, true},
                      StoredCase{"irq31_shows_7", 0x400, 31, "400", "7", 0x400, 7, true},
                      StoredCase{"both_unlisted", 0x3E0, 6, "400", "7", 0x400, 7, true}));

// ---- leaving after a choice ----

struct ChoiceCase {
    const char* name;
    int io_selection;  // what the lists hold at leaving
    int interrupt_selection;
    uint32_t io_stored;
    uint32_t interrupt_stored;
    bool restart;  // from 0x400 / 3 at creation
};

class AdapterChoice : public AdapterPageTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(AdapterChoice, StoresTheSelectionsAndMarksAChange) {
    const ChoiceCase& c = GetParam();
    FakeAdapterPage p;
    p.open();
    p.choose_io_base(c.io_selection);
    p.view.list_select(IRQ, c.interrupt_selection);
    EXPECT_TRUE(p.leave());
    EXPECT_EQ(active_configuration.io_base_address, c.io_stored);
    EXPECT_EQ(active_configuration.interrupt_number, c.interrupt_stored);
    EXPECT_EQ(marks() & RESTART_ADAPTER, c.restart ? RESTART_ADAPTER : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Adapter, AdapterChoice,
    ::testing::Values(ChoiceCase{"unchanged", 6, 0, 0x400, 3, false},
                      ChoiceCase{"io_base_180", 0, 0, 0x180, 3, true},
                      ChoiceCase{"io_base_F000", 47, 0, 0xF000, 3, true},
                      ChoiceCase{"interrupt_10", 6, 5, 0x400, 10, true},
                      ChoiceCase{"interrupt_15", 6, 8, 0x400, 15, true},
                      ChoiceCase{"both", 27, 3, 0xD00, 7, true},
                      // Nothing selected, or an index outside the table:
                      // the fallbacks.
                      ChoiceCase{"no_io_base", -1, 0, 0x400, 3, false},
                      ChoiceCase{"no_interrupt", 6, -1, 0x400, 7, true},
                      ChoiceCase{"neither", -1, -1, 0x400, 7, true},
                      ChoiceCase{"io_base_past_table", 48, 0, 0x400, 3, false},
                      ChoiceCase{"interrupt_past_table", 6, 9, 0x400, 7, true},
                      ChoiceCase{"io_base_far_past", 100000, 0, 0x400, 3, false},
                      ChoiceCase{"interrupt_negative", 6, -7, 0x400, 7, true}));

// ---- the restart mark over several showings ----

TEST_F(AdapterPageTest, ReselectingTheFirstItemBeforeLeavingClearsTheMark) {
    stored(0x180, 3);
    FakeAdapterPage p;
    p.open();
    p.choose_io_base(5);
    p.choose_interrupt(4);
    EXPECT_TRUE(p.leave());
    EXPECT_EQ(marks() & RESTART_ADAPTER, RESTART_ADAPTER);
    // Back to the page: it shows what was left, then the first items again.
    p.page.set_active();
    EXPECT_EQ(p.shown(IO), "380");
    EXPECT_EQ(p.shown(IRQ), "9");
    p.choose_io_base(2);
    p.choose_io_base(0);
    p.choose_interrupt(0);
    EXPECT_TRUE(p.leave());
    EXPECT_EQ(marks() & RESTART_ADAPTER, 0);
    EXPECT_EQ(active_configuration.io_base_address, 0x180u);
    EXPECT_EQ(active_configuration.interrupt_number, 3u);
}

TEST_F(AdapterPageTest, TheComparisonBaseIsTakenOnceAtCreation) {
    FakeAdapterPage p;
    p.open();
    p.choose_interrupt(5);
    p.leave();
    EXPECT_EQ(marks() & RESTART_ADAPTER, RESTART_ADAPTER);
    // Left untouched at the next showing: still a change against creation.
    p.page.set_active();
    EXPECT_EQ(p.shown(IRQ), "10");
    p.leave();
    EXPECT_EQ(active_configuration.interrupt_number, 10u);
    EXPECT_EQ(marks() & RESTART_ADAPTER, RESTART_ADAPTER);
    p.page.set_active();
    p.choose_interrupt(0);
    p.leave();
    EXPECT_EQ(marks() & RESTART_ADAPTER, 0);
}

TEST_F(AdapterPageTest, AnUnlistedValueStaysMarkedUntilAPageIsCreatedOverTheFallback) {
    stored(0x3E0, 6);
    {
        FakeAdapterPage p;
        p.open();
        p.leave();
        EXPECT_EQ(marks() & RESTART_ADAPTER, RESTART_ADAPTER);
        // Showing again: the stored fallbacks, and still not what was there.
        p.page.set_active();
        p.leave();
        EXPECT_EQ(marks() & RESTART_ADAPTER, RESTART_ADAPTER);
    }
    FakeAdapterPage next;  // another sheet: created over 0x400 / 7
    next.open();
    next.leave();
    EXPECT_EQ(marks() & RESTART_ADAPTER, 0);
}

TEST_F(AdapterPageTest, OnlyBit1OfTheCurrentProfileChanges) {
    active_configuration.current_profile = 3;
    active_configuration.restart_marks[2] = RESTART_MAC_ADDRESS | 0x80;
    active_configuration.restart_marks[0] = RESTART_ADAPTER;
    FakeAdapterPage p;
    p.open();
    p.choose_io_base(0);
    p.leave();
    EXPECT_EQ(marks(3), RESTART_MAC_ADDRESS | RESTART_ADAPTER | 0x80);
    EXPECT_EQ(marks(1), RESTART_ADAPTER);
    EXPECT_EQ(marks(2), 0);
    EXPECT_EQ(marks(4), 0);
    p.choose_io_base(6);
    p.leave();
    EXPECT_EQ(marks(3), RESTART_MAC_ADDRESS | 0x80);
    EXPECT_EQ(marks(1), RESTART_ADAPTER);
}

TEST_F(AdapterPageTest, AProfileNumberOutsideOneToFourMarksProfile1) {
    for (uint32_t current : {0u, 5u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(current);
        std::memset(active_configuration.restart_marks, 0,
                    sizeof active_configuration.restart_marks);
        active_configuration.current_profile = current;
        stored(0x400, 3);
        FakeAdapterPage p;
        p.open();
        p.choose_interrupt(1);
        p.leave();
        EXPECT_EQ(marks(1), RESTART_ADAPTER);
        for (int n = 2; n <= 4; ++n) EXPECT_EQ(marks(n), 0);
    }
}

// ---- the lists' own messages ----

TEST_F(AdapterPageTest, AnInterruptCommandTellsTheSheet) {
    FakeAdapterPage p;
    p.open();
    p.choose_interrupt(2);
    p.choose_interrupt(2);
    EXPECT_EQ(p.view.changes, 2);
    EXPECT_EQ(p.view.beeps, 0);
}

struct CharCase {
    const char* name;
    char typed;
    CharAction action;
    char passed;  // what goes on to the list
};

class AdapterChar : public AdapterPageTest, public ::testing::WithParamInterface<CharCase> {};

TEST_P(AdapterChar, HexDigitsPassInUpperCaseAnythingElseBeeps) {
    const CharCase& c = GetParam();
    FakeAdapterPage p;
    p.open();
    char ch = c.typed;
    EXPECT_EQ(p.page.io_base_char(ch), c.action);
    if (c.action == CHAR_PASS) {
        EXPECT_EQ(ch, c.passed);
        EXPECT_EQ(p.view.changes, 1);
        EXPECT_EQ(p.view.beeps, 0);
    } else {
        EXPECT_EQ(p.view.changes, 0);
        EXPECT_EQ(p.view.beeps, 1);
    }
    EXPECT_EQ(p.view.list_selection(IO), 6);
}

INSTANTIATE_TEST_SUITE_P(
    Adapter, AdapterChar,
    ::testing::Values(
        CharCase{"backspace", '\b', CHAR_PASS, '\b'}, CharCase{"digit0", '0', CHAR_PASS, '0'},
        CharCase{"digit9", '9', CHAR_PASS, '9'}, CharCase{"upperA", 'A', CHAR_PASS, 'A'},
        CharCase{"upperF", 'F', CHAR_PASS, 'F'}, CharCase{"lower_a", 'a', CHAR_PASS, 'A'},
        CharCase{"lower_d", 'd', CHAR_PASS, 'D'}, CharCase{"lower_f", 'f', CHAR_PASS, 'F'},
        CharCase{"lower_g", 'g', CHAR_DROP, 0}, CharCase{"upperG", 'G', CHAR_DROP, 0},
        CharCase{"lower_z", 'z', CHAR_DROP, 0}, CharCase{"lower_x", 'x', CHAR_DROP, 0},
        CharCase{"space", ' ', CHAR_DROP, 0}, CharCase{"slash", '/', CHAR_DROP, 0},
        CharCase{"colon", ':', CHAR_DROP, 0}, CharCase{"at", '@', CHAR_DROP, 0},
        CharCase{"backquote", '`', CHAR_DROP, 0}, CharCase{"tab", '\t', CHAR_DROP, 0},
        CharCase{"return", '\r', CHAR_DROP, 0}, CharCase{"ctrl_v", '\x16', CHAR_DROP, 0},
        CharCase{"nul", '\0', CHAR_DROP, 0}, CharCase{"high", '\xE4', CHAR_DROP, 0},
        CharCase{"del", '\x7F', CHAR_DROP, 0}));

TEST_F(AdapterPageTest, LowerCaseDReachesTheListAsUpperCase) {
    FakeAdapterPage p;
    p.open();
    ASSERT_EQ(p.shown(IO), "400");
    EXPECT_EQ(p.type('d'), CHAR_PASS);
    EXPECT_EQ(p.shown(IO), "D00");
    EXPECT_EQ(p.type('d'), CHAR_PASS);
    EXPECT_EQ(p.shown(IO), "D000");
    EXPECT_EQ(p.type('d'), CHAR_PASS);  // wraps round
    EXPECT_EQ(p.shown(IO), "D00");
    EXPECT_EQ(p.view.changes, 3);
    p.leave();
    EXPECT_EQ(active_configuration.io_base_address, 0xD00u);
    EXPECT_EQ(marks() & RESTART_ADAPTER, RESTART_ADAPTER);
}

TEST_F(AdapterPageTest, ALetterBeyondFBeepsAndLeavesTheSelection) {
    stored(0xA00, 3);
    FakeAdapterPage p;
    p.open();
    for (char c : {'g', 'G', 'h', 'z', 'Z'}) {
        EXPECT_EQ(p.type(c), CHAR_DROP) << c;
        EXPECT_EQ(p.shown(IO), "A00");
    }
    EXPECT_EQ(p.view.beeps, 5);
    EXPECT_EQ(p.view.changes, 0);
    p.leave();
    EXPECT_EQ(active_configuration.io_base_address, 0xA00u);
    EXPECT_EQ(marks() & RESTART_ADAPTER, 0);
}

TEST_F(AdapterPageTest, LeavingIsAlwaysAccepted) {
    FakeAdapterPage p;
    p.open();
    p.view.selections[IO] = -1;
    p.view.selections[IRQ] = 500;
    EXPECT_TRUE(p.leave());
    EXPECT_TRUE(p.view.messages.empty());
    EXPECT_EQ(p.view.beeps, 0);
}

// ---- the string table against the tables ----

// The applet's resource script and header, as the build reads them.
std::string read_source(const char* relative) {
    std::ifstream in(std::string(RC_SOURCE_DIR) + "/" + relative);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every STRINGTABLE entry of the script: id (a number or a name the header
// defines) to its texts (more than one if an id were repeated).
std::map<long, std::vector<std::string>> string_table() {
    std::map<std::string, long> defines;
    {
        std::istringstream header(read_source("applet/res/resource.h"));
        std::string line;
        while (std::getline(header, line)) {
            std::istringstream words(line);
            std::string directive, name;
            long value = 0;
            if (words >> directive >> name >> value && directive == "#define")
                defines[name] = value;
        }
    }
    std::map<long, std::vector<std::string>> table;
    std::istringstream script(read_source("applet/res/RCPANEL48.rc"));
    std::string line;
    bool in_table = false, in_block = false;
    while (std::getline(script, line)) {
        const size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos) continue;
        const std::string rest = line.substr(start);
        if (rest.rfind("STRINGTABLE", 0) == 0) {
            in_table = true;
            continue;
        }
        if (!in_table) continue;
        if (rest.rfind("BEGIN", 0) == 0) {
            in_block = true;
            continue;
        }
        if (rest.rfind("END", 0) == 0) {
            in_table = in_block = false;
            continue;
        }
        if (!in_block || rest.rfind("//", 0) == 0) continue;
        const size_t quote = rest.find('"');
        const size_t close = rest.rfind('"');
        if (quote == std::string::npos || close == quote) continue;
        std::string id = rest.substr(0, quote);
        id.erase(id.find_last_not_of(" \t,") + 1);
        long number = 0;
        if (!id.empty() && id[0] >= '0' && id[0] <= '9')
            number = std::stol(id, nullptr, 0);
        else if (defines.count(id))
            number = defines[id];
        else
            continue;
        table[number].push_back(rest.substr(quote + 1, close - quote - 1));
    }
    return table;
}

TEST(AdapterStrings, ScriptListsAreTheTablesValues) {
    const std::map<long, std::vector<std::string>> table = string_table();
    ASSERT_FALSE(table.empty()) << "no string table read from " << RC_SOURCE_DIR;
    for (unsigned i = 0; i < IO_BASE_COUNT; ++i) {
        const long id = IDS_IO_BASE_FIRST + i;
        auto it = table.find(id);
        ASSERT_NE(it, table.end()) << "string " << id << " missing";
        EXPECT_EQ(it->second, std::vector<std::string>{io_base_text(io_base_table[i])})
            << "string " << id;
    }
    for (unsigned i = 0; i < INTERRUPT_COUNT; ++i) {
        const long id = IDS_INTERRUPT_FIRST + i;
        auto it = table.find(id);
        ASSERT_NE(it, table.end()) << "string " << id << " missing";
        EXPECT_EQ(it->second, std::vector<std::string>{interrupt_text(interrupt_table[i])})
            << "string " << id;
    }
    // The header's ranges are the tables'.
    EXPECT_EQ(IDS_IO_BASE_LAST, IDS_IO_BASE_FIRST + IO_BASE_COUNT - 1);
    EXPECT_EQ(IDS_INTERRUPT_LAST, IDS_INTERRUPT_FIRST + INTERRUPT_COUNT - 1);
}

TEST(AdapterStrings, HelpTextIsTheScripts) {
    const std::map<long, std::vector<std::string>> table = string_table();
    auto it = table.find(IDS_HELP_ADAPTER);
    ASSERT_NE(it, table.end());
    ASSERT_EQ(it->second.size(), 1u);
    std::string text;  // the script's "\n" escapes as the string holds them
    const std::string& raw = it->second[0];
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 'n') {
            text += '\n';
            ++i;
        } else {
            text += raw[i];
        }
    }
    EXPECT_EQ(text, HELP_ADAPTER);
}

}  // namespace
