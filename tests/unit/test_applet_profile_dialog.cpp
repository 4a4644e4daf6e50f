// The profile dialog's logic over a fake window: its rows, the selection,
// names and types, OK, Edit Profile, Cancel, Help; and the About box.
#include <string>
#include <vector>

#include "about_box.h"
#include "applet_fixture.h"

namespace {

using case_name::operator<<;
using applet_test::ORVIX_DRIVER;

const int OK = 1, CANCEL = 2, EDIT_PROFILE = 2110, HELP = 9;

// The dialog as a run opens it: the run's start, then the dialog.
class ProfileDialogTest : public AppletTest {
protected:
    void open() {
        ASSERT_EQ(applet_init(), 1);
        query_card_status();
        read_driver_identity();
        load_parameters(GROUP_ALL);
        ASSERT_EQ(check_driver_release(), DRIVER_RELEASE_ACCEPTED);
        d_.open();
    }

    std::vector<bool> rows_enabled() {
        std::vector<bool> rows;
        for (int row = 1; row <= 4; ++row) {
            EXPECT_EQ(d_.view.is_enabled(profile_name_id(row)),
                      d_.view.is_enabled(profile_type_id(row)));
            rows.push_back(d_.view.is_enabled(profile_name_id(row)));
        }
        return rows;
    }

    FakeProfileDialog d_;
};

TEST_F(ProfileDialogTest, FreshAdapter) {
    open();
    EXPECT_EQ(d_.name(1), "Default");
    for (int row = 2; row <= 4; ++row) EXPECT_EQ(d_.name(row), "");
    EXPECT_EQ(d_.checked_row(), 1);
    EXPECT_EQ(rows_enabled(), (std::vector<bool>{true, false, false, false}));
    // Profile 1 had no name stored: it must pass through the sheet first.
    EXPECT_FALSE(d_.view.is_enabled(OK));
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(d_.view.limits[profile_name_id(row)], 31u);
        EXPECT_EQ(d_.view.lists[profile_type_id(row)],
                  (std::vector<std::string>{"Access Point", "Peer-to-Peer Group"}));
        EXPECT_EQ(d_.type_selection(row), 0);
    }
    EXPECT_EQ(active_configuration.current_profile, 1u);
    EXPECT_STREQ(active_configuration.desired_ssid, "Orvix");
    EXPECT_EQ(card_puts(), 0u);
}

TEST_F(ProfileDialogTest, OpensOnTheStoredCurrentProfile) {
    configure();
    sim::set_dword(key_, "ConfigType", 3);
    open();
    EXPECT_EQ(d_.checked_row(), 3);
    EXPECT_EQ(rows_enabled(), (std::vector<bool>{false, false, true, false}));
    EXPECT_TRUE(d_.view.is_enabled(OK));
    EXPECT_EQ(d_.name(2), "Office");
    EXPECT_EQ(d_.type_selection(2), 1);  // Peer-to-Peer
    // Opening is no switch: the active set stays as the run loaded it.
    EXPECT_STREQ(active_configuration.desired_ssid, "active");
    EXPECT_EQ(sim::get_string(key_, "DesiredSSID"), "active");
}

// A ConfigType that names no profile opens on profile 1.
TEST_F(ProfileDialogTest, ConfigTypeOutOfRangeOpensOnProfile1) {
    configure();
    sim::set_dword(key_, "ConfigType", 9);
    open();
    EXPECT_EQ(d_.checked_row(), 1);
    EXPECT_EQ(active_configuration.current_profile, 1u);
}

TEST_F(ProfileDialogTest, SelectingARowSwitchesTheActiveSetAtOnce) {
    configure();
    open();
    d_.select(3);
    EXPECT_EQ(rows_enabled(), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(active_configuration.current_profile, 3u);
    EXPECT_EQ(sim::get_string(key_, "DesiredSSID"), "net3");
    EXPECT_EQ(sim::get_dword(key_, "PortType"), 1);  // 1 + 3 % 3
    d_.press(CANCEL);
    EXPECT_EQ(d_.view.result(), CANCEL);
    // Cancel keeps the switch in the active set, but not in the profile list.
    EXPECT_EQ(sim::get_string(key_, "DesiredSSID"), "net3");
    EXPECT_EQ(sim::get_dword(key_, "ConfigType"), 1);
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cur_conf"), -1);
    EXPECT_EQ(sim::get_dword(key_, "X_POS"), 40);
    EXPECT_EQ(sim::get_dword(key_, "Y_POS"), 30);
    EXPECT_EQ(card_puts(), 0u);
}

// Selecting a row without a name: OK is refused until the sheet was passed.
TEST_F(ProfileDialogTest, SelectingANewProfileDisablesOk) {
    configure();
    sim::set_string(profile_key(4), "ConfigName", "");
    open();
    EXPECT_TRUE(d_.view.is_enabled(OK));
    d_.select(4);
    EXPECT_FALSE(d_.view.is_enabled(OK));
    d_.select(1);
    EXPECT_TRUE(d_.view.is_enabled(OK));
}

// A name edit left empty marks its profile new.
TEST_F(ProfileDialogTest, NameLeftEmptyMarksTheProfileNew) {
    configure();
    open();
    d_.type_name(1, "Renamed");
    EXPECT_STREQ(active_configuration.profile_names[0], "Renamed");
    EXPECT_EQ(active_configuration.profile_new[0], 0);
    d_.type_name(1, "");
    EXPECT_EQ(active_configuration.profile_new[0], 1);
    d_.select(2);
    d_.select(1);
    EXPECT_FALSE(d_.view.is_enabled(OK));
}

// ---------------------------------------------------------------- types

struct TypeCase {
    const char* name;
    uint32_t stored;
    int shown;  // entry of the list
    int64_t stored_at_ok;
};

class ProfileTypes : public ProfileDialogTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(ProfileTypes, ShowAndStore) {
    const TypeCase& c = GetParam();
    configure();
    sim::set_dword(profile_key(1), "NetworkType", c.stored);
    open();
    EXPECT_EQ(d_.type_selection(1), c.shown);
    EXPECT_EQ(active_configuration.shown_types[0], c.stored);
    d_.press(OK);
    EXPECT_EQ(d_.view.result(), OK);
    EXPECT_EQ(sim::get_dword(profile_key(1), "NetworkType"), c.stored_at_ok);
}

INSTANTIATE_TEST_SUITE_P(
    Applet, ProfileTypes,
    ::testing::Values(TypeCase{"access_point", 0, 0, 0}, TypeCase{"residential_gateway", 1, 0, 0},
                      TypeCase{"peer_to_peer", 2, 1, 2}, TypeCase{"base_station", 3, 0, 0},
                      TypeCase{"internet_access_server", 4, 0, 0},
                      TypeCase{"office_router_client", 5, 0, 0}, TypeCase{"adhoc_demo", 6, 0, 0},
                      TypeCase{"unknown_9", 9, 0, 0}, TypeCase{"huge", 0xFFFFFFFF, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Browsing the list without choosing another entry changes nothing.
TEST_F(ProfileDialogTest, SameTypeChangesNothing) {
    configure();
    sim::set_dword(key_, "ConfigType", 2);  // Peer-to-Peer
    open();
    d_.choose_type(2, 1);
    EXPECT_TRUE(d_.view.is_enabled(OK));
    EXPECT_EQ(active_configuration.profile_new[1], 0);
    EXPECT_STREQ(active_configuration.desired_ssid, "active");
}

// Another type throws the settings in memory away and asks for the sheet.
TEST_F(ProfileDialogTest, TypeChangeResetsAndDisablesOk) {
    configure();
    sim::set_dword(key_, "ConfigType", 2);
    sim::set_dword(key_, "RTSThreshold", 500);
    open();
    d_.choose_type(2, 0);  // Access Point
    EXPECT_FALSE(d_.view.is_enabled(OK));
    EXPECT_EQ(active_configuration.profile_new[1], 1);
    EXPECT_EQ(active_configuration.shown_types[1], 0u);
    EXPECT_EQ(active_configuration.profile_types[1], 2u);  // until OK or Edit Profile
    EXPECT_STREQ(active_configuration.desired_ssid, "");
    EXPECT_EQ(active_configuration.rts_threshold, 2347u);
    EXPECT_EQ(active_configuration.own_channel, 1u);
    // Memory only: the registry's active set is untouched.
    EXPECT_EQ(sim::get_string(key_, "DesiredSSID"), "active");
    // Choosing it again is no change any more.
    active_configuration.own_channel = 5;
    d_.choose_type(2, 0);
    EXPECT_EQ(active_configuration.own_channel, 5u);
    // Back to Peer-to-Peer is one.
    d_.choose_type(2, 1);
    EXPECT_EQ(active_configuration.own_channel, 1u);
    EXPECT_EQ(active_configuration.shown_types[1], 2u);
    EXPECT_FALSE(d_.view.is_enabled(OK));
}

// A list with nothing selected counts as its first entry.
TEST_F(ProfileDialogTest, TypeListWithoutSelectionIsAccessPoint) {
    configure();
    sim::set_dword(key_, "ConfigType", 2);
    open();
    d_.choose_type(2, -1);
    EXPECT_EQ(active_configuration.shown_types[1], 0u);
    EXPECT_FALSE(d_.view.is_enabled(OK));
}

// Types come back from the lists' texts at Edit Profile.
TEST_F(ProfileDialogTest, EditProfileStoresTheListsTypes) {
    configure();
    open();
    d_.choose_type(1, 1);
    d_.press(EDIT_PROFILE);
    EXPECT_EQ(d_.view.result(), EDIT_PROFILE);
    EXPECT_EQ(sim::get_dword(profile_key(1), "NetworkType"), 2);
    EXPECT_EQ(sim::get_dword(profile_key(2), "NetworkType"), 2);
    EXPECT_EQ(active_configuration.profile_types[0], 2u);
    EXPECT_EQ(card_puts(), 0u);  // only OK sends
    EXPECT_EQ(d_.view.positions_saved, 1);
}

// A list text that is no type string maps to 0.
TEST_F(ProfileDialogTest, UnknownListTextStoresAccessPoint) {
    configure();
    open();
    d_.view.lists[profile_type_id(2)][1] = "Peer-to-Peer Group and more";
    d_.press(EDIT_PROFILE);
    EXPECT_EQ(sim::get_dword(profile_key(2), "NetworkType"), 0);
}

// ---------------------------------------------------------------- OK and Edit Profile

TEST_F(ProfileDialogTest, OkSendsThenStoresTheList) {
    configure();
    open();
    d_.select(2);
    d_.type_name(2, "Office 2");
    // What the profile list held when the card was written.
    std::vector<int64_t> cur_conf_at_put;
    sim::DeviceHandler inner = simcard_handler(card());
    sim::add_named_device(
        applet_test::GUID, [&, inner](uint32_t code, const void* in, uint32_t in_size, void* out,
                                      uint32_t out_size, uint32_t* returned) {
            if (static_cast<const RequestFrame*>(out)->command == CHANNEL_COMMAND_PUT_RECORD)
                cur_conf_at_put.push_back(sim::get_dword(ORVIX_DRIVER, "Cur_conf"));
            return inner(code, in, in_size, out, out_size, returned);
        });
    d_.press(OK);
    EXPECT_EQ(d_.view.result(), OK);
    EXPECT_EQ(cur_conf_at_put, std::vector<int64_t>(12, -1));
    EXPECT_EQ(card_puts(), 12u);
    EXPECT_EQ(card_text(0xFC02), "net2");
    EXPECT_EQ(sim::get_dword(key_, "ConfigType"), 2);
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cur_conf"), 2);
    EXPECT_EQ(sim::get_string(profile_key(2), "ConfigName"), "Office 2");
    EXPECT_EQ(sim::get_string(ORVIX_DRIVER, "Config02"), "Office 2");
    EXPECT_EQ(sim::get_dword(key_, "X_POS"), 40);
}

// A cleared name deletes its profile at the list's store.
TEST_F(ProfileDialogTest, ClearedNameDeletesTheProfile) {
    configure();
    open();
    d_.view.texts[profile_name_id(2)] = "";  // typed while the row was current
    d_.press(OK);
    EXPECT_EQ(d_.view.result(), OK);
    EXPECT_FALSE(sim::key_exists(profile_key(2)));
    EXPECT_EQ(sim::get_string(ORVIX_DRIVER, "Config02"), "");
    EXPECT_EQ(sim::get_string(ORVIX_DRIVER, "Config01"), "Home");
    EXPECT_TRUE(sim::key_exists(profile_key(1)));
}

struct EmptyNameCase {
    const char* name;
    int button;
    uint32_t puts;  // OK sends before it checks
    int current;    // the row current, whose name is cleared
};

class EmptyCurrentName : public ProfileDialogTest,
                         public ::testing::WithParamInterface<EmptyNameCase> {};

TEST_P(EmptyCurrentName, KeepsTheDialogOpen) {
    const EmptyNameCase& c = GetParam();
    configure();
    sim::set_dword(key_, "ConfigType", static_cast<uint32_t>(c.current));
    open();
    ASSERT_EQ(d_.checked_row(), c.current);
    const std::string before = sim::dump();
    d_.type_name(c.current, "");
    d_.press(c.button);
    EXPECT_TRUE(d_.view.end_results.empty());
    ASSERT_EQ(d_.view.messages.size(), 1u);
    EXPECT_EQ(d_.view.messages[0].text_id, 1310);
    EXPECT_EQ(d_.view.messages[0].caption_id, 2250);
    EXPECT_EQ(d_.view.messages[0].kind, MESSAGE_WARNING);
    EXPECT_TRUE(d_.view.messages[0].owned);
    EXPECT_EQ(card_puts(), c.puts);
    EXPECT_EQ(sim::dump(), before);  // no list, no position stored
    // A name typed then lets it end.
    d_.type_name(c.current, "Named again");
    d_.press(c.button);
    EXPECT_EQ(d_.view.result(), c.button);
    EXPECT_EQ(sim::get_string(profile_key(c.current), "ConfigName"), "Named again");
}

// Profile 3 current while profile 1 keeps its name: the current one counts.
INSTANTIATE_TEST_SUITE_P(Applet, EmptyCurrentName,
                         ::testing::Values(EmptyNameCase{"ok", OK, 12, 1},
                                           EmptyNameCase{"edit_profile", EDIT_PROFILE, 0, 1},
                                           EmptyNameCase{"ok_profile_3", OK, 12, 3},
                                           EmptyNameCase{"edit_profile_3", EDIT_PROFILE, 0, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

// An empty name on another row is no obstacle: that profile goes. Profile 1
// empty while profile 3 is current is another row too.
struct OtherRowCase {
    const char* name;
    int current;
    int emptied;
};

class EmptyOtherName : public ProfileDialogTest,
                       public ::testing::WithParamInterface<OtherRowCase> {};

TEST_P(EmptyOtherName, IsNoObstacle) {
    const OtherRowCase& c = GetParam();
    configure();
    sim::set_dword(key_, "ConfigType", static_cast<uint32_t>(c.current));
    open();
    ASSERT_EQ(d_.checked_row(), c.current);
    d_.view.texts[profile_name_id(c.emptied)] = "";
    d_.press(EDIT_PROFILE);
    EXPECT_EQ(d_.view.result(), EDIT_PROFILE);
    EXPECT_TRUE(d_.view.messages.empty());
    EXPECT_FALSE(sim::key_exists(profile_key(c.emptied)));
    EXPECT_TRUE(sim::key_exists(profile_key(c.current)));
}

INSTANTIATE_TEST_SUITE_P(Applet, EmptyOtherName,
                         ::testing::Values(OtherRowCase{"profile_3_empty", 1, 3},
                                           OtherRowCase{"profile_1_empty", 3, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// Names: at most 31 characters go on, whatever the window holds.
TEST_F(ProfileDialogTest, LongWindowTextsAreCutTo31) {
    configure();
    open();
    const std::string long_text(600, 'L');
    d_.type_name(1, long_text);
    EXPECT_EQ(std::string(active_configuration.profile_names[0]), std::string(31, 'L'));
    d_.view.texts[profile_name_id(2)] = std::string(40, 'M');
    d_.press(EDIT_PROFILE);
    EXPECT_EQ(sim::get_string(profile_key(1), "ConfigName"), std::string(31, 'L'));
    EXPECT_EQ(sim::get_string(profile_key(2), "ConfigName"), std::string(31, 'M'));
}

// A stored name longer than the edit allows is shown whole and cut to 31 at
// the list's store.
TEST_F(ProfileDialogTest, LongStoredNameShownWhole) {
    configure();
    sim::set_string(profile_key(2), "ConfigName", std::string(255, 'S'));
    open();
    EXPECT_EQ(d_.name(2), std::string(255, 'S'));
    d_.press(EDIT_PROFILE);
    EXPECT_EQ(sim::get_string(profile_key(2), "ConfigName"), std::string(31, 'S'));
}

TEST_F(ProfileDialogTest, CancelStoresOnlyThePosition) {
    configure();
    open();
    d_.type_name(2, "Typed");
    d_.view.x = 500;
    d_.view.y = 400;
    d_.press(CANCEL);
    EXPECT_EQ(d_.view.result(), CANCEL);
    EXPECT_EQ(sim::get_dword(key_, "X_POS"), 500);
    EXPECT_EQ(sim::get_dword(key_, "Y_POS"), 400);
    EXPECT_EQ(sim::get_string(profile_key(2), "ConfigName"), "Office");
    EXPECT_EQ(card_puts(), 0u);
}

TEST_F(ProfileDialogTest, HelpOpensTopic113) {
    configure();
    open();
    d_.press(HELP);
    EXPECT_EQ(d_.view.help_topics, (std::vector<uint32_t>{113}));
    EXPECT_TRUE(d_.view.end_results.empty());
}

TEST_F(ProfileDialogTest, SelectProfileRowAnswers1) {
    configure();
    open();
    EXPECT_EQ(d_.dialog.select_profile_row(4), 1);
    EXPECT_EQ(active_configuration.current_profile, 4u);
    EXPECT_EQ(d_.dialog.select_profile_row(0), 1);
    EXPECT_EQ(d_.dialog.select_profile_row(5), 1);
    EXPECT_EQ(active_configuration.current_profile, 4u);
}

TEST_F(AppletTest, ProfileRowIdsAreTheTemplatesIds) {
    const int select[] = {2106, 2107, 2108, 2109};
    const int name[] = {1105, 1106, 1107, 1108};
    const int type[] = {2100, 2101, 2102, 2103};
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(profile_select_id(row), select[row - 1]);
        EXPECT_EQ(profile_name_id(row), name[row - 1]);
        EXPECT_EQ(profile_type_id(row), type[row - 1]);
    }
    EXPECT_EQ(profile_select_id(0), 0);
    EXPECT_EQ(profile_name_id(5), 0);
    EXPECT_EQ(profile_type_id(-1), 0);
}

// ---------------------------------------------------------------- About

TEST_F(AppletTest, AboutShowsTheRelease) {
    FakeView view;
    about_init(view);
    EXPECT_EQ(view.texts[1005], "RCPANEL48.CPL Variant 1, Version 6.41");
}

}  // namespace
