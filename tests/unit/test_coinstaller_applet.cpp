// After a new device: the applet's start through the system directory's
// launcher, the wait for its windows on the virtual clock (appearance, the
// five misses, the half-hour cap, the tick count's wrap), and the window test.
#include <string>
#include <tuple>
#include <vector>

#include "coinstaller_fixture.h"

namespace {

using namespace coinstaller_test;
using coinstaller_test::operator<<;

const uint32_t FINISH = COINST_DIF_NEWDEVICEWIZARD_FINISHINSTALL;

// ---------------------------------------------------------------- the start

// The launcher by its full path, so that no control.exe beside the installing
// program or in its current directory runs; the applet by name, found by the
// launcher in the system directory.
TEST_F(CoinstallerTest, StartsTheSystemDirectorysLauncherByItsPath) {
    host_.put_file(inf_path(0), "[Version]\nNETORX48.INF\n");
    EXPECT_EQ(call(FINISH), COINST_NO_ERROR);
    ASSERT_EQ(host_.starts.size(), 1u);
    EXPECT_EQ(host_.starts[0].application, "C:\\WINNT\\system32\\control.exe");
    EXPECT_EQ(host_.starts[0].command_line, "control RCPANEL48.CPL");
    // The stale copies are gone before the applet is started.
    const auto& e = host_.events;
    const auto start = std::find_if(e.begin(), e.end(),
                                    [](const std::string& s) { return s.rfind("start ", 0) == 0; });
    const auto last_delete = std::find(e.rbegin(), e.rend(), "delete " + inf_path(0));
    ASSERT_NE(last_delete, e.rend());
    EXPECT_LT(e.rend() - last_delete - 1, start - e.begin());
}

// A system directory that cannot be read, or whose launcher path would not
// fit, starts nothing and waits for nothing.
struct StartDirectoryCase {
    const char* name;
    size_t length;  // 0: it cannot be read
    bool started;
};

const StartDirectoryCase START_DIRECTORIES[] = {
    {"unreadable", 0, false},
    {"longer_than_its_buffer", 260, false},
    {"fills_its_buffer", 255, false},
    {"path_one_too_long", 248, false},     // "\control.exe": 12 characters
    {"path_fills_the_buffer", 247, true},  // 259 characters and the zero
};

class CoinstallerStartDirectory : public CoinstallerTest,
                                  public ::testing::WithParamInterface<StartDirectoryCase> {};

TEST_P(CoinstallerStartDirectory, StartsOnlyWithTheWholePath) {
    const StartDirectoryCase& c = GetParam();
    if (c.length == 0)
        host_.system_dir_fails = true;
    else
        host_.system_dir = "C:\\" + std::string(c.length - 3, 's');
    put_inf_copy(0, "NETORX48.INF");

    EXPECT_EQ(call(FINISH), COINST_NO_ERROR);

    EXPECT_FALSE(copy_present(0));  // the scan does not need the system directory
    if (c.started) {
        ASSERT_EQ(host_.starts.size(), 1u);
        EXPECT_EQ(host_.starts[0].application, host_.system_dir + "\\control.exe");
    } else {
        EXPECT_TRUE(host_.starts.empty());
        EXPECT_EQ(host_.enumerations, 0u);
        EXPECT_EQ(host_.elapsed, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Coinstaller, CoinstallerStartDirectory,
                         ::testing::ValuesIn(START_DIRECTORIES),
                         [](const auto& info) { return std::string(info.param.name); });

// A process that could not be created is not waited for.
TEST_F(CoinstallerTest, FailedStartReturnsAtOnce) {
    host_.start_fails = true;
    host_.windows.push_back({wide("Edit Configuration [Default]"), 0, NEVER});
    EXPECT_EQ(call(FINISH), COINST_NO_ERROR);
    EXPECT_EQ(host_.starts.size(), 1u);
    EXPECT_EQ(host_.enumerations, 0u);
    EXPECT_TRUE(host_.sleeps.empty());
    EXPECT_EQ(host_.elapsed, 0u);
}

// ---------------------------------------------------------------- the wait

struct Shown {
    const char* title;
    uint64_t from;
    uint64_t until;
};

struct WaitCase {
    const char* name;
    std::vector<Shown> windows;
    uint64_t returns_from;  // the call's return, in virtual milliseconds
    uint64_t returns_by;
};

const char PROFILES[] = "Add/Edit Configuration Profile";
const char SHEET[] = "Edit Configuration [Office]";
const uint64_t MINUTE = 60000;
const uint64_t HALF_HOUR = 1800000;

const WaitCase WAIT_CASES[] = {
    // Five misses after the close: 4 to 5 s, wherever the close falls between polls.
    {"closed_after_three_minutes", {{PROFILES, 2000, 2000 + 3 * MINUTE}}, 186000, 187000},
    {"closed_between_polls", {{PROFILES, 2000, 182500}}, 186500, 187500},
    {"closed_just_before_a_poll", {{PROFILES, 2000, 182999}}, 186999, 187999},
    // The appearance wait and four more misses.
    {"never_shown", {}, 9000, 9999},
    {"shown_after_the_appearance_wait", {{PROFILES, 7000, MINUTE}}, 64000, 65000},
    {"sheet_after_the_dialog",
     {{PROFILES, 1000, 50000}, {SHEET, 49500, 2 * MINUTE}},
     124000,
     125000},
    // Gone for fewer than five polls: still waited for.
    {"gone_for_four_polls", {{PROFILES, 2000, 100000}, {PROFILES, 103500, 200000}}, 204000, 205000},
    // The user keeps it open: half an hour after it was first seen.
    {"never_closed", {{PROFILES, 2000, NEVER}}, 2000 + HALF_HOUR, 2000 + HALF_HOUR + 1000},
    {"shown_at_once_never_closed", {{SHEET, 0, NEVER}}, HALF_HOUR, HALF_HOUR + 1000},
    // A window of someone else's does not hold the wait.
    {"other_windows_only", {{"Device Manager", 0, NEVER}, {"Edit", 0, NEVER}}, 9000, 9999},
};

// The same waits wherever the tick count stands, its wrap after 49.7 days
// included.
const uint32_t FIRST_TICKS[] = {
    0,
    123456789,
    0xFFFFFFFFu - 2500,     // wraps during the appearance wait
    0xFFFFFFFFu - 100000,   // while the applet is open
    0xFFFFFFFFu - 1000000,  // within the half-hour cap
    0xFFFFFFFFu,
};

class CoinstallerWait : public CoinstallerTest,
                        public ::testing::WithParamInterface<std::tuple<WaitCase, uint32_t>> {};

TEST_P(CoinstallerWait, ReturnsWhenTheAppletIsDone) {
    const WaitCase& c = std::get<0>(GetParam());
    host_.first_tick = std::get<1>(GetParam());
    for (const Shown& s : c.windows) host_.windows.push_back({wide(s.title), s.from, s.until});

    EXPECT_EQ(call(FINISH), COINST_NO_ERROR);

    EXPECT_GE(host_.elapsed, c.returns_from);
    EXPECT_LE(host_.elapsed, c.returns_by);
    // It sleeps between polls, one poll a second (and one more where the
    // appearance wait hands over to the wait for the close).
    for (uint32_t s : host_.sleeps) EXPECT_EQ(s, 1000u);
    EXPECT_LE(host_.enumerations, host_.elapsed / 1000 + 2);
}

INSTANTIATE_TEST_SUITE_P(Coinstaller, CoinstallerWait,
                         ::testing::Combine(::testing::ValuesIn(WAIT_CASES),
                                            ::testing::ValuesIn(FIRST_TICKS)),
                         [](const auto& info) {
                             char tick[16];
                             std::snprintf(tick, sizeof tick, "%08X", std::get<1>(info.param));
                             return std::string(std::get<0>(info.param).name) + "_at_" + tick;
                         });

// Five polls in the appearance wait, then five misses.
TEST_F(CoinstallerTest, NeverShownAppletCostsTenPolls) {
    EXPECT_EQ(call(FINISH), COINST_NO_ERROR);
    EXPECT_EQ(host_.enumerations, 10u);
    EXPECT_EQ(host_.elapsed, 9000u);
}

// Each enumeration starts from a cleared flag: one left set from before is
// not a window.
TEST_F(CoinstallerTest, FlagLeftSetIsNotAWindow) {
    window_seen = true;
    EXPECT_EQ(call(FINISH), COINST_NO_ERROR);
    EXPECT_LT(host_.elapsed, 10000u);
    EXPECT_FALSE(window_seen);
}

// ---------------------------------------------------------------- the window test

struct TitleCase {
    const char* name;
    WideString title;
    bool seen;
};

WideString padded(size_t n, const char* text) { return WideString(n, u'x') + wide(text); }

const TitleCase TITLE_CASES[] = {
    {"profile_dialog", wide("Add/Edit Configuration Profile"), true},
    {"sheet", wide("Edit Configuration [Office]"), true},
    {"exactly_the_text", wide("Edit Configuration"), true},
    {"lower_case", wide("edit configuration [Office]"), false},
    {"one_letter_changed", wide("Edit configuration [Office]"), false},
    {"cut", wide("Edit Configuratio"), false},
    {"without_the_space", wide("EditConfiguration"), false},
    {"empty", WideString(), false},
    {"other", wide("Program Manager"), false},
    // GetWindowTextW gives 255 characters of a longer title.
    {"ending_at_character_255", padded(237, "Edit Configuration"), true},
    {"ending_at_character_256", padded(238, "Edit Configuration"), false},
    {"long_title_starting_with_it", wide("Edit Configuration") + WideString(300, u'x'), true},
    // Code units compared whole: U+0145 is not 'E' (0x45).
    {"wide_letter_with_an_e_low_byte", WideString(1, u'\u0145') + wide("dit Configuration"), false},
    {"after_wide_letters", WideString(u"\u00C4nderung: ") + wide("Edit Configuration"), true},
};

class CoinstallerTitle : public CoinstallerTest, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(CoinstallerTitle, Counts) {
    const TitleCase& c = GetParam();
    FakeCoinstallerHost::Window w{c.title, 0, NEVER};
    window_seen = false;
    // Always 1: the enumeration goes on to every window.
    EXPECT_EQ(window_test(host_, &w), 1);
    EXPECT_EQ(window_seen, c.seen);
    // A window that does not count leaves the flag as it was.
    window_seen = true;
    EXPECT_EQ(window_test(host_, &w), 1);
    EXPECT_TRUE(window_seen);
}

INSTANTIATE_TEST_SUITE_P(Coinstaller, CoinstallerTitle, ::testing::ValuesIn(TITLE_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

// Among many windows one is enough, wherever it stands.
TEST_F(CoinstallerTest, OneWindowAmongManyCounts) {
    for (const char* title : {"Program Manager", "Device Manager", "Found New Hardware Wizard"})
        host_.windows.push_back({wide(title), 0, NEVER});
    EXPECT_FALSE(applet_window_shown(host_));
    host_.windows.push_back({wide(SHEET), 0, NEVER});
    host_.windows.push_back({wide("Network and Dial-up Connections"), 0, NEVER});
    EXPECT_TRUE(applet_window_shown(host_));
    host_.windows[3].closed_at = 0;
    EXPECT_FALSE(applet_window_shown(host_));
}

}  // namespace
