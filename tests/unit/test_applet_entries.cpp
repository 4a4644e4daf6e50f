// The applet's entries as the Control Panel and installers use them: CPL_INIT,
// CMConfigure, TarvoConfigure; the driver release check; every run starting
// from the registry.
#include <cstring>
#include <functional>
#include <string>

#include "applet_fixture.h"

namespace {

using case_name::operator<<;
using applet_test::ORVIX_DRIVER;

const int64_t MISSING = -1;
const int64_t UNREADABLE = -2;

// ---------------------------------------------------------------- CPL_INIT

TEST_F(AppletTest, InitListsTheAppletWithAnAdapter) {
    os_class = OS_UNKNOWN;
    EXPECT_EQ(applet_init(), 1);
    EXPECT_EQ(os_class, OS_WIN2001);  // XP
    EXPECT_EQ(std::string(instance_key), key_);
    EXPECT_EQ(active_configuration.not_configured, 1);  // no Configured yet
    sim::set_dword(key_, "Configured", 0);
    EXPECT_EQ(applet_init(), 1);
    EXPECT_EQ(active_configuration.not_configured, 0);
    EXPECT_EQ(card()->counters.exchanges, 0u);  // the card is not asked before a run
}

TEST_F(AppletTest, InitDropsTheAppletWithoutAdapter) {
    restart();
    sim::set_windows(sim::Windows::Nt40);
    EXPECT_EQ(applet_init(), 0);
    EXPECT_EQ(os_class, OS_WINNT);
    EXPECT_EQ(active_configuration.not_configured, 1);
}

// ---------------------------------------------------------------- CMConfigure

struct CmCase {
    const char* name;
    uint32_t command;
    std::function<void(AppletTest*)> setup;  // after configure(); null: nothing
    int dialog_result;                       // what the user's dialog ends with
    uint32_t returned;
    int64_t cpl_status;  // afterwards (0x1234 before)
    int dialogs;
    std::vector<uint16_t> messages;
    bool looks_for_adapter = true;
};

class CmConfigure : public AppletTest, public ::testing::WithParamInterface<CmCase> {
public:
    void no_adapter() { restart(); }
    void wrong_release() {
        layout::mark_release(key_, 2, 6, 41);
        simcard_set_identity(card(), 2, 6, 41);
    }
};

TEST_P(CmConfigure, Returns) {
    const CmCase& c = GetParam();
    configure();
    sim::set_dword(ORVIX_DRIVER, "Cpl_Status", 0x1234);
    if (c.setup) c.setup(this);
    host_.profile_dialog = [&c](int) { return c.dialog_result; };
    const size_t registry_calls = sim::registry_log().size();

    EXPECT_EQ(cm_configure(host_, c.command), c.returned);

    EXPECT_EQ(host_.acquired, 1);
    EXPECT_EQ(host_.released, 1);
    EXPECT_EQ(host_.dialogs, c.dialogs);
    EXPECT_EQ(host_.message_ids(), c.messages);
    if (!c.looks_for_adapter) {
        EXPECT_EQ(sim::registry_log().size(), registry_calls);
    }
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cpl_Status"), c.cpl_status);
}

void no_adapter(AppletTest* t) { static_cast<CmConfigure*>(t)->no_adapter(); }
void wrong_release(AppletTest* t) { static_cast<CmConfigure*>(t)->wrong_release(); }

INSTANTIATE_TEST_SUITE_P(
    Applet, CmConfigure,
    ::testing::Values(
        CmCase{"below_0100_FF", 0xFF, nullptr, 2, 0x8001, 0x1234, 0, {}, false},
        CmCase{"below_0100_0", 0x00, nullptr, 2, 0x8001, 0x1234, 0, {}, false},
        CmCase{"no_adapter", 0x0100, no_adapter, 2, 0x8002, MISSING, 0, {}},
        CmCase{"show_cancelled", 0x0100, nullptr, 2, 0, 0, 1, {}},
        CmCase{"show_ok", 0x0100, nullptr, 1, 0, 0, 1, {}},
        CmCase{"show_argument", 0x01FF, nullptr, 2, 0, 0, 1, {}},
        CmCase{"busy_word_shows", 0xFF00, nullptr, 2, 0, 0, 1, {}},
        // The dialog could not be created: the run's result itself.
        CmCase{"dialog_not_created", 0x0100, nullptr, -1, 0xFFFFFFFF, 0, 1, {}},
        CmCase{"select_profile_3", 0x0203, nullptr, 2, 0, 0, 0, {}},
        CmCase{"select_profile_5", 0x0205, nullptr, 2, 0x8004, 0x8004, 0, {}},
        CmCase{"enable", 0x0300, nullptr, 2, 0, 0, 0, {}},
        CmCase{"unknown_0400", 0x0400, nullptr, 2, 0x8001, 0x8001, 0, {}},
        CmCase{"wrong_release_select", 0x0203, wrong_release, 2, 0x8005, 0x8005, 0, {1329}},
        CmCase{"wrong_release_show", 0x0100, wrong_release, 2, 0x8005, 0x8005, 0, {1329}}),
    [](const auto& info) { return std::string(info.param.name); });

// CMConfigure(0x0203) ends like the mailbox's command: registry and card.
TEST_F(AppletTest, CmConfigureSelectsAndApplies) {
    configure();
    sim::set_dword(ORVIX_DRIVER, "Cpl_cmd", 0x0400);  // ignored: the argument is the command
    EXPECT_EQ(cm_configure(host_, 0x0203), 0u);
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cpl_Status"), 0);
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cpl_cmd"), 0);
    EXPECT_EQ(sim::get_dword(key_, "ConfigType"), 3);
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cur_conf"), 3);
    EXPECT_EQ(card_text(0xFC02), "net3");
    EXPECT_EQ(card_puts(), 12u);
    EXPECT_EQ(host_.dialogs, 0);
}

// ---------------------------------------------------------------- TarvoConfigure

const char* const UNSET = "<unset>";

struct TarvoCase {
    const char* name;
    uint32_t version;
    const char* first;
    const char* second;
    std::function<void(const std::string& key)> setup;  // null: configured adapter
    int returned;
    const char* status;  // UNSET: left alone
    int dialogs;
    bool module;
};

class Tarvo : public AppletTest, public ::testing::WithParamInterface<TarvoCase> {};

TEST_P(Tarvo, Reports) {
    const TarvoCase& c = GetParam();
    configure();
    if (c.setup) {
        restart();
        install(applet_test::Machine::WinXp);
        c.setup(key_);
    }
    const TarvoTexts texts = {c.first, c.second};
    const char* status = UNSET;
    EXPECT_EQ(tarvo_configure(host_, c.version, &texts, &status), c.returned);
    EXPECT_STREQ(status, c.status);
    EXPECT_EQ(host_.dialogs, c.dialogs);
    EXPECT_EQ(host_.acquired, c.module ? 1 : 0);
}

void fresh_adapter(const std::string&) {}
void never_configured_profiles(const std::string& key) {
    sim::set_string(key + "\\Config01", "ConfigName", "Home");
}
void no_adapter_at_all(const std::string&) { sim::reset(); }

INSTANTIATE_TEST_SUITE_P(
    Applet, Tarvo,
    ::testing::Values(
        TarvoCase{"version_1", 1, "a", "b", nullptr, 0, "STATUS_FAILED", 0, false},
        TarvoCase{"version_3", 3, "a", "b", nullptr, 0, "STATUS_FAILED", 0, false},
        TarvoCase{"first_empty", 2, "", "b", nullptr, 0, "STATUS_FAILED", 0, false},
        TarvoCase{"second_empty", 2, "a", "", nullptr, 0, "STATUS_FAILED", 0, false},
        TarvoCase{"first_null", 2, nullptr, "b", nullptr, 0, "STATUS_FAILED", 0, false},
        TarvoCase{"second_null", 2, "a", nullptr, nullptr, 0, "STATUS_FAILED", 0, false},
        TarvoCase{"configured", 2, "a", "b", nullptr, 1, "STATUS_USERCANCEL", 1, true},
        // Not configured before the call: success, whatever the user did.
        TarvoCase{"fresh_adapter", 2, "a", "b", fresh_adapter, 1, "STATUS_SUCCESSFUL", 1, true},
        TarvoCase{"named_never_configured", 2, "a", "b", never_configured_profiles, 1,
                  "STATUS_SUCCESSFUL", 1, true},
        // A freshly loaded module has not_configured set; still nothing was
        // configured without an adapter.
        TarvoCase{"no_adapter", 2, "a", "b", no_adapter_at_all, 1, "STATUS_FAILED", 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppletTest, TarvoWithoutRecordOrStatusWritesNothing) {
    configure();
    const char* status = UNSET;
    EXPECT_EQ(tarvo_configure(host_, 2, nullptr, &status), 0);
    EXPECT_EQ(status, UNSET);
    const TarvoTexts texts = {"a", "b"};
    EXPECT_EQ(tarvo_configure(host_, 2, &texts, nullptr), 0);
    EXPECT_EQ(tarvo_configure(host_, 1, &texts, nullptr), 0);
    EXPECT_EQ(host_.acquired, 0);
    EXPECT_EQ(host_.dialogs, 0);
}

// The dialog, never the mailbox: TarvoConfigure leaves Cpl_Status alone.
TEST_F(AppletTest, TarvoShowsTheDialogWhateverTheMailboxHolds) {
    configure();
    sim::set_dword(ORVIX_DRIVER, "Cpl_cmd", 0x0203);
    sim::set_dword(ORVIX_DRIVER, "Cpl_Status", 0x1234);
    const TarvoTexts texts = {"a", "b"};
    const char* status = UNSET;
    EXPECT_EQ(tarvo_configure(host_, 2, &texts, &status), 1);
    EXPECT_EQ(host_.dialogs, 1);
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cpl_Status"), 0x1234);
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cpl_cmd"), 0);
    EXPECT_EQ(sim::get_dword(key_, "ConfigType"), 1);
}

// ---------------------------------------------------------------- release check

struct ReleaseCase {
    const char* name;
    bool card_present;
    DriverIdentity card_identity;
    int64_t variant, major, minor;  // in the registry, UNREADABLE for a value too long
    int64_t configured;             // Configured, MISSING for none
    int answer;
    bool defaults_reset;
};

class ReleaseCheck : public AppletTest, public ::testing::WithParamInterface<ReleaseCase> {};

TEST_P(ReleaseCheck, Answers) {
    const ReleaseCase& c = GetParam();
    detect_os_class(nullptr);
    ASSERT_EQ(find_adapter(adapter_hardware_ids), 1);
    if (!c.card_present) sim::remove_device(std::string("\\Device\\") + applet_test::GUID);
    simcard_set_identity(card(), c.card_identity.variant, c.card_identity.major,
                         c.card_identity.minor);
    const struct {
        const char* name;
        int64_t value;
    } values[] = {{"DriverVariant", c.variant},
                  {"DriverMajor", c.major},
                  {"DriverMinor", c.minor},
                  {"Configured", c.configured}};
    for (const auto& v : values) {
        if (v.value == UNREADABLE)
            sim::set_value(key_, v.name, PLAT_REG_BINARY, std::vector<uint8_t>(40, 1));
        else if (v.value != MISSING)
            sim::set_dword(key_, v.name, static_cast<uint32_t>(v.value));
    }
    sim::set_string(key_, "DesiredSSID", "kept");
    sim::set_dword(key_, "RTSThreshold", 100);

    query_card_status();
    read_driver_identity();
    load_parameters(GROUP_ALL);
    EXPECT_EQ(check_driver_release(), c.answer);
    EXPECT_STREQ(active_configuration.desired_ssid, c.defaults_reset ? "" : "kept");
    EXPECT_EQ(active_configuration.rts_threshold, c.defaults_reset ? 2347u : 100u);
    EXPECT_EQ(active_configuration.own_channel, c.defaults_reset ? 1u : 0u);
}

// The registry's values, when set up, start as the fixture's 1, 6, 41.
const DriverIdentity GOOD = {1, 6, 41};

INSTANTIATE_TEST_SUITE_P(
    Applet, ReleaseCheck,
    ::testing::Values(
        ReleaseCase{"card_and_registry_right", true, GOOD, 1, 6, 41, 1, 1, false},
        // The card's own answer decides when it reports the required release.
        ReleaseCase{"card_right_registry_wrong", true, GOOD, 1, 6, 40, 1, 1, false},
        ReleaseCase{"card_right_registry_unreadable", true, GOOD, UNREADABLE, UNREADABLE,
                    UNREADABLE, 1, 1, false},
        // Otherwise the installed release in the registry does.
        ReleaseCase{"card_wrong_registry_right", true, {1, 6, 40}, 1, 6, 41, 1, 1, false},
        ReleaseCase{"card_wrong_registry_wrong", true, {1, 6, 40}, 1, 6, 40, 1, 3, false},
        ReleaseCase{"no_card_registry_right", false, GOOD, 1, 6, 41, 1, 1, false},
        ReleaseCase{"no_card_variant_2", false, GOOD, 2, 6, 41, 1, 3, false},
        ReleaseCase{"no_card_major_7", false, GOOD, 1, 7, 41, 1, 3, false},
        ReleaseCase{"no_card_minor_unreadable", false, GOOD, 1, 6, UNREADABLE, 1, 3, false},
        // An adapter never configured starts from the profile defaults.
        ReleaseCase{"configured_0", true, GOOD, 1, 6, 41, 0, 1, true},
        ReleaseCase{"configured_missing", true, GOOD, 1, 6, 41, MISSING, 1, true},
        ReleaseCase{"configured_out_of_range", true, GOOD, 1, 6, 41, 7, 1, true},
        ReleaseCase{"configured_0_wrong_release", false, GOOD, 1, 6, 40, 0, 3, true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- each run afresh

// What one run leaves in memory, and what the next must not take from it.
struct StaleCase {
    const char* name;
    std::function<void(FakeProfileDialog&)> first_run;  // ends the first dialog
    std::function<void(const std::string& key)> between;
    // The second run: the user presses OK at once.
    std::string card_ssid;
    bool ok_enabled;
    std::vector<uint16_t> messages;
};

class EachRunAfresh : public AppletTest, public ::testing::WithParamInterface<StaleCase> {};

TEST_P(EachRunAfresh, StartsFromTheRegistry) {
    const StaleCase& c = GetParam();
    configure();
    ASSERT_EQ(applet_init(), 1);
    host_.profile_dialog = [&c](int) { return drive_profile_dialog(c.first_run); };
    uint32_t status;
    run_applet(host_, RUN_READ_MAILBOX, &status);
    if (c.between) c.between(key_);
    simcard_clear_counters(card());

    bool ok_enabled = false;
    host_.profile_dialog = [&ok_enabled](int) {
        return drive_profile_dialog([&ok_enabled](FakeProfileDialog& d) {
            ok_enabled = d.view.is_enabled(1);
            d.press(1);
        });
    };
    EXPECT_EQ(run_applet(host_, RUN_READ_MAILBOX, &status), 1);
    EXPECT_EQ(ok_enabled, c.ok_enabled);
    EXPECT_EQ(card_text(0xFC02), c.card_ssid);
    EXPECT_EQ(card_word(0xFC03), 0);  // own channel: 0 at load
    EXPECT_EQ(host_.message_ids(), c.messages);
}

INSTANTIATE_TEST_SUITE_P(Applet, EachRunAfresh,
                         ::testing::Values(
                             // Row 3 chosen, then cancelled: the active set is profile 3's, and
                             // the console tool changes it before the next run.
                             StaleCase{"profile_switch_cancelled",
                                       [](FakeProfileDialog& d) {
                                           d.select(3);
                                           d.press(2);
                                       },
                                       [](const std::string& key) {
                                           sim::set_string(key, "DesiredSSID", "from_tool");
                                       },
                                       "from_tool",
                                       true,
                                       {}},
                             // A name cleared in memory only: the next run reads it again.
                             StaleCase{"name_cleared_cancelled",
                                       [](FakeProfileDialog& d) {
                                           d.type_name(1, "");
                                           d.press(2);
                                       },
                                       nullptr,
                                       "active",
                                       true,
                                       {}},
                             // A type change in memory only: the next run sees the stored type.
                             StaleCase{"type_changed_cancelled",
                                       [](FakeProfileDialog& d) {
                                           d.choose_type(1, 1);
                                           d.press(2);
                                       },
                                       nullptr,
                                       "active",
                                       true,
                                       {}},
                             // A restart mark of a cancelled run asks nothing in the next.
                             StaleCase{"restart_mark_cancelled",
                                       [](FakeProfileDialog& d) {
                                           active_configuration.restart_marks[0] = RESTART_ADAPTER;
                                           active_configuration.restart_marks[2] =
                                               RESTART_MAC_ADDRESS;
                                           d.press(2);
                                       },
                                       nullptr,
                                       "active",
                                       true,
                                       {}},
                             StaleCase{"own_channel_left",
                                       [](FakeProfileDialog& d) {
                                           active_configuration.own_channel = 11;
                                           d.press(2);
                                       },
                                       nullptr,
                                       "active",
                                       true,
                                       {}}),
                         [](const auto& info) { return std::string(info.param.name); });

// What belongs to the module's life stays from run to run.
TEST_F(AppletTest, RunsKeepTheWindowPositionAndNotConfigured) {
    ASSERT_EQ(applet_init(), 1);
    active_configuration.window_x = 123;
    active_configuration.window_y = 45;
    sim::set_dword(key_, "Configured", 1);  // after CPL_INIT: not yet seen
    uint32_t status;
    run_applet(host_, RUN_READ_MAILBOX, &status);
    EXPECT_EQ(active_configuration.window_x, 123);
    EXPECT_EQ(active_configuration.window_y, 45);
    EXPECT_EQ(active_configuration.not_configured, 1);
}

}  // namespace
