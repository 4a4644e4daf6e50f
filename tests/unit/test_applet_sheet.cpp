// The property sheet's frame: its pages by network type and Windows version,
// its caption, and what its OK and Cancel leave behind.
#include <string>
#include <vector>

#include "applet_fixture.h"
#include "sheet.h"

namespace {

using applet_test::Machine;
using applet_test::ORVIX_DRIVER;

// ---------------------------------------------------------------- composition

enum Page { BASIC = 1201, ENCRYPTION = 1203, ADVANCED = 1204, ADMIN = 1205, ADAPTER = 1207 };

struct CompositionCase {
    std::string name;
    Machine machine;
    bool softex;
    uint32_t type;
    std::vector<int> pages;
};

// The profile pages of each network type, as the sheet lists them.
std::vector<int> profile_pages(uint32_t type) {
    switch (type) {
    case 0: return {BASIC, ENCRYPTION, ADVANCED, ADMIN};  // Access Point
    case 1: return {BASIC};                               // Residential Gateway
    case 2: return {BASIC};                               // Peer-to-Peer
    case 3: return {BASIC, ENCRYPTION, ADMIN};            // base station
    case 6: return {ENCRYPTION, ADVANCED, ADMIN};         // Ad-Hoc Demo
    default: return {};                                   // 4, 5, and codes unknown
    }
}

std::vector<CompositionCase> composition_cases() {
    std::vector<CompositionCase> cases;
    const struct {
        const char* name;
        Machine machine;
        bool softex;
        bool adapter_page;
    } machines[] = {
        {"nt4", Machine::Nt4, false, true},
        {"nt4_softex", Machine::Nt4, true, false},
        {"win98", Machine::Win98, false, false},
        {"winxp", Machine::WinXp, false, false},
    };
    for (const auto& m : machines) {
        for (uint32_t type : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 9u}) {
            std::vector<int> pages = profile_pages(type);
            if (m.adapter_page) pages.push_back(ADAPTER);
            cases.push_back({std::string("type") + std::to_string(type) + "_" + m.name, m.machine,
                             m.softex, type, pages});
        }
    }
    return cases;
}

class SheetComposition : public AppletTest,
                         public ::testing::WithParamInterface<CompositionCase> {};

TEST_P(SheetComposition, PagesInOrder) {
    const CompositionCase& c = GetParam();
    install(c.machine);
    configure();
    sim::set_dword(profile_key(3), "NetworkType", c.type);
    sim::set_dword(key_, "ConfigType", 3);
    if (c.softex) sim::set_dword(key_, "SoftexPcmcia", 1);
    ASSERT_EQ(applet_init(), 1);
    load_parameters(GROUP_ALL);
    load_profile_list();
    ASSERT_EQ(active_configuration.current_profile, 3u);

    SheetPage pages[SHEET_PAGE_MAX];
    const unsigned n = sheet_pages(pages);
    std::vector<int> dialogs, titles;
    for (unsigned i = 0; i < n; ++i) {
        dialogs.push_back(pages[i].dialog_id);
        titles.push_back(pages[i].title_id);
    }
    EXPECT_EQ(dialogs, c.pages);
    // Each page carries its own title string.
    std::vector<int> expected_titles;
    for (int page : c.pages) {
        switch (page) {
        case BASIC: expected_titles.push_back(1300); break;
        case ENCRYPTION: expected_titles.push_back(1305); break;
        case ADVANCED: expected_titles.push_back(1301); break;
        case ADMIN: expected_titles.push_back(1302); break;
        case ADAPTER: expected_titles.push_back(1306); break;
        }
    }
    EXPECT_EQ(titles, expected_titles);
}

INSTANTIATE_TEST_SUITE_P(Applet, SheetComposition, ::testing::ValuesIn(composition_cases()),
                         [](const auto& info) { return info.param.name; });

// The pages follow the current profile, not profile 1; none current counts
// as profile 1.
TEST_F(AppletTest, SheetPagesFollowTheCurrentProfile) {
    configure();
    sim::set_dword(profile_key(1), "NetworkType", 6);
    sim::set_dword(profile_key(4), "NetworkType", 1);
    ASSERT_EQ(applet_init(), 1);
    load_profile_list();
    SheetPage pages[SHEET_PAGE_MAX];
    active_configuration.current_profile = 4;
    ASSERT_EQ(sheet_pages(pages), 1u);
    EXPECT_EQ(pages[0].dialog_id, BASIC);
    active_configuration.current_profile = 0;
    ASSERT_EQ(sheet_pages(pages), 3u);
    EXPECT_EQ(pages[0].dialog_id, ENCRYPTION);
    EXPECT_EQ(active_configuration.current_profile, 0u);
}

// ---------------------------------------------------------------- caption

struct CaptionCase {
    const char* name;
    std::string current;  // the sheet's caption
    std::string profile_name;
    uint32_t current_profile;
    std::string expected;
    unsigned size = SHEET_CAPTION_SIZE;
};

class SheetCaption : public AppletTest, public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(SheetCaption, NamesTheProfile) {
    const CaptionCase& c = GetParam();
    const uint32_t n = c.current_profile >= 1 && c.current_profile <= 4 ? c.current_profile : 1;
    snprintf(active_configuration.profile_names[n - 1], CONFIG_TEXT_SIZE, "%s",
             c.profile_name.c_str());
    active_configuration.current_profile = c.current_profile;
    std::vector<char> out(c.size + 8, '#');
    sheet_caption(c.current.c_str(), out.data(), c.size);
    EXPECT_EQ(std::string(out.data()), c.expected);
    EXPECT_EQ(out[c.size], '#') << "written past the buffer";
    EXPECT_EQ(active_configuration.current_profile, n);
}

const std::string LONG_NAME(255, 'n');
const std::string LONG_CAPTION(300, 'c');
const std::string CAPTION_255(255, 'c');

INSTANTIATE_TEST_SUITE_P(
    Applet, SheetCaption,
    ::testing::Values(
        CaptionCase{"fresh", "Edit Configuration", "Default", 1, "Edit Configuration [Default]"},
        CaptionCase{"replaces_bracketed_name", "Edit Configuration [Default]", "Office", 2,
                    "Edit Configuration [Office]"},
        CaptionCase{"cut_before_first_bracket", "Edit [a] Configuration [b]", "Lab", 3,
                    "Edit [Lab]"},
        // The character before the "[" goes too, whatever it is.
        CaptionCase{"no_blank_before_bracket", "Edit[Old]", "New", 4, "Edi [New]"},
        CaptionCase{"leading_bracket", "[Old]", "New", 1, " [New]"},
        CaptionCase{"empty_caption", "", "Home", 1, " [Home]"},
        CaptionCase{"profile_0_becomes_1", "Edit Configuration", "First", 0,
                    "Edit Configuration [First]"},
        CaptionCase{"profile_7_becomes_1", "Edit Configuration", "First", 7,
                    "Edit Configuration [First]"},
        CaptionCase{"long_name_cut", "Edit Configuration", LONG_NAME, 1,
                    "Edit Configuration [" + std::string(255 - 20, 'n')},
        CaptionCase{"long_caption_cut", LONG_CAPTION, "X", 1, CAPTION_255},
        // Only the first 255 characters are looked at for a "[".
        CaptionCase{"bracket_beyond_255", CAPTION_255 + "[Old]", "X", 1, CAPTION_255},
        CaptionCase{"small_buffer", "Edit Configuration", "Default", 1, "Edit Conf", 10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppletTest, SheetCaptionWithoutRoomWritesNothing) {
    char out[4] = {'#', '#', '#', '#'};
    sheet_caption("Edit Configuration", out, 0);
    EXPECT_EQ(out[0], '#');
    sheet_caption(nullptr, out, sizeof out);
    EXPECT_STREQ(out, " []");
}

// ---------------------------------------------------------------- OK and Cancel

// The profile dialog's Edit Profile, a sheet the test plays, then OK.
class SheetRun : public AppletTest {
protected:
    // The sheet as the pages would leave memory after the user's edits.
    static void edit_pages() {
        ActiveConfiguration& c = active_configuration;
        snprintf(c.desired_ssid, CONFIG_TEXT_SIZE, "%s", "edited");
        snprintf(c.encryption, CONFIG_TEXT_SIZE, "%s", "garbled");
        c.rts_threshold = 99;
        c.interrupt_number = 11;
        c.driver_enable = 0;
        c.own_channel = 7;
        c.restart_marks[0] = RESTART_ADAPTER;
        c.window_x = 321;
        c.window_y = 77;
    }

    // Edit Profile, then OK: the dialog twice.
    void edit_then_ok() {
        host_.profile_dialog = [](int n) {
            return drive_profile_dialog([n](FakeProfileDialog& d) { d.press(n == 0 ? 2110 : 1); });
        };
    }
};

TEST_F(SheetRun, CancelPutsMemoryBack) {
    install(Machine::Nt4);
    configure();
    int32_t x_at_reopen = 0;
    host_.profile_dialog = [&x_at_reopen](int n) {
        if (n == 1) x_at_reopen = active_configuration.window_x;
        return drive_profile_dialog([n](FakeProfileDialog& d) { d.press(n == 0 ? 2110 : 1); });
    };
    std::string encryption_at_open;
    host_.property_sheet = [&encryption_at_open](int, bool* cancelled) {
        encryption_at_open = active_configuration.encryption;
        edit_pages();
        *cancelled = true;
        return 0;
    };
    ASSERT_EQ(control_panel_run(), 1);
    EXPECT_EQ(host_.sheets, 1);
    // The card gets what was in force before the sheet.
    EXPECT_EQ(card_text(0xFC02), "active");
    EXPECT_EQ(card_word(0xFC83), 2347);
    EXPECT_EQ(card_word(0xFC03), 0);
    EXPECT_EQ(card_word(0x0902), 1);
    EXPECT_EQ(card_encryption(), encryption_at_open);
    EXPECT_EQ(active_configuration.encryption, encryption_at_open);
    EXPECT_EQ(active_configuration.interrupt_number, 3u);
    // No restart question for a cancelled change; the position stays.
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(x_at_reopen, 321);
    EXPECT_EQ(sim::get_dword(key_, "Configured"), 1);
    EXPECT_EQ(sim::get_dword(key_, "RTSThreshold"), -1);  // never stored
}

TEST_F(SheetRun, OkStoresAndTheDialogSends) {
    install(Machine::Nt4);
    // A fresh adapter: profile 1 "Default" is new, OK disabled until the sheet.
    bool ok_enabled_after_sheet = false;
    host_.profile_dialog = [&ok_enabled_after_sheet](int n) {
        return drive_profile_dialog([&](FakeProfileDialog& d) {
            if (n == 1) ok_enabled_after_sheet = d.view.is_enabled(1);
            d.press(n == 0 ? 2110 : 1);
        });
    };
    host_.property_sheet = [](int, bool* cancelled) {
        edit_pages();
        active_configuration.restart_marks[0] = 0;
        *cancelled = false;
        return 1;
    };
    ASSERT_EQ(control_panel_run(), 1);
    EXPECT_TRUE(ok_enabled_after_sheet);
    EXPECT_EQ(sim::get_dword(key_, "Configured"), 1);
    EXPECT_EQ(sim::get_string(key_, "DesiredSSID"), "edited");
    EXPECT_EQ(sim::get_string(profile_key(1), "DesiredSSID"), "edited");
    EXPECT_EQ(sim::get_dword(profile_key(1), "RTSThreshold"), 99);
    EXPECT_EQ(sim::get_dword(key_, "InterruptNumber"), 11);  // NT 4: stored
    EXPECT_EQ(sim::get_string(profile_key(1), "ConfigName"), "Default");
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cur_conf"), 1);
    EXPECT_EQ(card_text(0xFC02), "edited");
    EXPECT_EQ(card_word(0xFC03), 7);
    EXPECT_EQ(card_word(0x0902), 0);
    EXPECT_EQ(card_puts(), 12u);
    EXPECT_EQ(card_actions(), 1u);
}

// A sheet that ends neither with OK's 1 nor cancelled (Windows answers 0 to
// an OK when no page reported a change) stores nothing; memory stays as the
// pages left it.
TEST_F(SheetRun, SheetEndingWithoutOkStoresNothing) {
    configure();
    edit_then_ok();
    host_.property_sheet = [](int, bool* cancelled) {
        snprintf(active_configuration.desired_ssid, CONFIG_TEXT_SIZE, "%s", "edited");
        *cancelled = false;
        return 0;
    };
    ASSERT_EQ(control_panel_run(), 1);
    EXPECT_EQ(sim::get_string(key_, "DesiredSSID"), "active");
    EXPECT_EQ(sim::get_string(profile_key(1), "DesiredSSID"), "net1");
    EXPECT_EQ(card_text(0xFC02), "edited");
}

// Edit Profile opens the sheet for the profile the dialog made current, with
// the pages its shown type gives.
TEST_F(SheetRun, EditProfileOpensTheCurrentProfilesPages) {
    install(Machine::Nt4);
    configure();
    std::vector<int> pages;
    std::string caption;
    host_.profile_dialog = [](int n) {
        return drive_profile_dialog([n](FakeProfileDialog& d) {
            if (n == 0) d.select(2);  // Peer-to-Peer
            d.press(n == 0 ? 2110 : 2);
        });
    };
    host_.property_sheet = [&](int, bool* cancelled) {
        SheetPage p[SHEET_PAGE_MAX];
        for (unsigned i = 0, n = sheet_pages(p); i < n; ++i) pages.push_back(p[i].dialog_id);
        char text[SHEET_CAPTION_SIZE];
        sheet_caption("Edit Configuration", text, sizeof text);
        caption = text;
        *cancelled = true;
        return 0;
    };
    EXPECT_EQ(control_panel_run(), 2);
    EXPECT_EQ(pages, (std::vector<int>{BASIC, ADAPTER}));
    EXPECT_EQ(caption, "Edit Configuration [Office]");
    EXPECT_EQ(host_.dialogs, 2);
}

}  // namespace
