// The installer mailbox: a Control Panel start with a command word in
// Cpl_cmd, what the run leaves in the registry and on the card, and whether a
// dialog was shown.
#include <functional>
#include <string>

#include "applet_fixture.h"

namespace {

using case_name::operator<<;
using applet_test::ORVIX_DRIVER;

const int64_t MISSING = -1;
const uint32_t UNTOUCHED_STATUS = 0x1234;  // what an earlier run left in Cpl_Status

struct MailboxCase {
    const char* name;
    int64_t command;  // Cpl_cmd at start, MISSING for none
    int64_t status;   // Cpl_Status afterwards
    int64_t config_type;
    int64_t cur_conf;
    // The active set afterwards.
    std::string active_ssid;
    int64_t active_enable;
    // The card: nothing put, or the apply with these values.
    bool applied;
    std::string card_ssid;
    int64_t card_enable;
    bool dialog;
    int64_t enable_at_start = 1;
};

class Mailbox : public AppletTest, public ::testing::WithParamInterface<MailboxCase> {};

TEST_P(Mailbox, LeavesRegistryCardAndWindows) {
    const MailboxCase& c = GetParam();
    configure();
    sim::set_dword(key_, "DriverEnable", static_cast<uint32_t>(c.enable_at_start));
    sim::set_dword(ORVIX_DRIVER, "Cpl_Status", UNTOUCHED_STATUS);
    if (c.command != MISSING)
        sim::set_dword(ORVIX_DRIVER, "Cpl_cmd", static_cast<uint32_t>(c.command));
    sim::set_string(ORVIX_DRIVER, "version", "1.6.41");
    const std::string before = sim::dump();

    uint32_t status = 0xDEAD;
    const int result = control_panel_run(&status);

    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cpl_Status"), c.status);
    EXPECT_EQ(status, static_cast<uint32_t>(c.status));
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cpl_cmd"), 0);
    EXPECT_EQ(sim::get_string(ORVIX_DRIVER, "version"), "1.6.41");
    EXPECT_EQ(sim::get_dword(key_, "ConfigType"), c.config_type);
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cur_conf"), c.cur_conf);
    EXPECT_EQ(sim::get_string(key_, "DesiredSSID"), c.active_ssid);
    EXPECT_EQ(sim::get_dword(key_, "DriverEnable"), c.active_enable);
    EXPECT_EQ(host_.dialogs, c.dialog ? 1 : 0);
    EXPECT_EQ(result, c.dialog ? 2 : 1);  // the unscripted dialog is cancelled
    EXPECT_TRUE(host_.messages.empty());
    if (c.applied) {
        EXPECT_EQ(card_puts(), 12u);
        EXPECT_EQ(card_actions(), 1u);
        EXPECT_EQ(card()->counters.last_action, 128u);
        EXPECT_EQ(card_text(0xFC02), c.card_ssid);
        EXPECT_EQ(card_word(0x0902), c.card_enable);
    } else {
        EXPECT_EQ(card_puts(), 0u);
        EXPECT_EQ(card_actions(), 0u);
    }
    if (!c.applied && c.command != MISSING) {
        // Nothing but the mailbox changed: put it back and compare.
        sim::set_dword(ORVIX_DRIVER, "Cpl_cmd", static_cast<uint32_t>(c.command));
        sim::set_dword(ORVIX_DRIVER, "Cpl_Status", UNTOUCHED_STATUS);
        EXPECT_EQ(sim::dump(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Applet, Mailbox,
    ::testing::Values(
        MailboxCase{"select_profile_3", 0x0203, 0, 3, 3, "net3", 1, true, "net3", 1, false},
        MailboxCase{"select_profile_5", 0x0205, 0x8004, 1, MISSING, "active", 1, false, "", 0,
                    false},
        MailboxCase{"select_profile_0", 0x0200, 0x8004, 1, MISSING, "active", 1, false, "", 0,
                    false},
        // The current profile's settings become the active set with the flag.
        MailboxCase{"enable_0300", 0x0300, 0, 1, 1, "net1", 1, true, "net1", 1, false, 0},
        MailboxCase{"disable_0301", 0x0301, 0, 1, 1, "net1", 0, true, "net1", 0, false},
        MailboxCase{"disable_03FF", 0x03FF, 0, 1, 1, "net1", 0, true, "net1", 0, false},
        MailboxCase{"unknown_0400", 0x0400, 0x8001, 1, MISSING, "active", 1, false, "", 0, false},
        MailboxCase{"unknown_FE01", 0xFE01, 0x8001, 1, MISSING, "active", 1, false, "", 0, false},
        // An earlier run that never finished: show the dialog.
        MailboxCase{"busy_FF00_found", 0xFF00, 0, 1, MISSING, "active", 1, false, "", 0, true},
        MailboxCase{"none_0000", 0x0000, 0, 1, MISSING, "active", 1, false, "", 0, true},
        MailboxCase{"show_0100", 0x0100, 0, 1, MISSING, "active", 1, false, "", 0, true},
        MailboxCase{"show_0142", 0x0142, 0, 1, MISSING, "active", 1, false, "", 0, true},
        MailboxCase{"argument_only_0003", 0x0003, 0, 1, MISSING, "active", 1, false, "", 0, true},
        MailboxCase{"cpl_cmd_missing", MISSING, 0x8003, 1, MISSING, "active", 1, false, "", 0,
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

// While a command is being carried out, an installer that looks sees the
// applet busy.
TEST_F(AppletTest, MailboxIsBusyWhileTheCardIsWritten) {
    configure();
    sim::set_dword(ORVIX_DRIVER, "Cpl_cmd", 0x0203);
    std::vector<int64_t> seen;
    sim::DeviceHandler inner = simcard_handler(card());
    sim::add_named_device(applet_test::GUID,
                          [&seen, inner](uint32_t code, const void* in, uint32_t in_size, void* out,
                                         uint32_t out_size, uint32_t* returned) {
                              const auto* frame = static_cast<const RequestFrame*>(out);
                              if (frame->command == CHANNEL_COMMAND_PUT_RECORD)
                                  seen.push_back(sim::get_dword(ORVIX_DRIVER, "Cpl_cmd"));
                              return inner(code, in, in_size, out, out_size, returned);
                          });
    control_panel_run();
    ASSERT_EQ(seen.size(), 12u);
    for (int64_t value : seen) EXPECT_EQ(value, 0xFF00);
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cpl_cmd"), 0);
}

// A profile command carries the profile's whole group into the active set
// and the card, and leaves the adapter rows as they were.
TEST_F(AppletTest, SelectProfileMakesItsGroupTheActiveSet) {
    configure();
    sim::set_string(profile_key(4), "OwnSSID", "own4");
    sim::set_dword(profile_key(4), "RTSThreshold", 512);
    sim::set_dword(key_, "RTSThreshold", 2000);
    sim::set_dword(key_, "InterruptNumber", 9);
    sim::set_dword(ORVIX_DRIVER, "Cpl_cmd", 0x0204);
    control_panel_run();
    EXPECT_EQ(sim::get_string(key_, "OwnSSID"), "own4");
    EXPECT_EQ(sim::get_dword(key_, "RTSThreshold"), 512);
    EXPECT_EQ(sim::get_dword(key_, "PortType"), 2);  // 1 + 4 % 3
    EXPECT_EQ(sim::get_dword(key_, "InterruptNumber"), 9);
    EXPECT_EQ(card_text(0xFC04), "own4");
    EXPECT_EQ(card_word(0xFC83), 512);
    EXPECT_EQ(card_word(0xFC00), 2);
    EXPECT_EQ(sim::get_string(ORVIX_DRIVER, "Config04"), "Cafe");
}

// The card cannot be reached: the registry still takes the command.
TEST_F(AppletTest, SelectProfileWithoutDriverStillStores) {
    configure();
    sim::remove_device(std::string("\\Device\\") + applet_test::GUID);
    sim::set_dword(ORVIX_DRIVER, "Cpl_cmd", 0x0202);
    uint32_t status = 0xDEAD;
    EXPECT_EQ(control_panel_run(&status), 1);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(sim::get_dword(key_, "ConfigType"), 2);
    EXPECT_EQ(sim::get_string(key_, "DesiredSSID"), "net2");
    EXPECT_EQ(card()->counters.exchanges, 0u);
    EXPECT_EQ(host_.dialogs, 0);
}

// ---------------------------------------------------------------- wrong release

struct WrongReleaseCase {
    const char* name;
    int64_t command;  // Cpl_cmd at start
    int64_t status;   // Cpl_Status afterwards
};

class MailboxWrongRelease : public AppletTest,
                            public ::testing::WithParamInterface<WrongReleaseCase> {};

// The run stops at the release check: the message, no dialog, nothing sent,
// nothing stored but the end of run; an installer waiting on a command learns
// why.
TEST_P(MailboxWrongRelease, StopsWithTheMessage) {
    const WrongReleaseCase& c = GetParam();
    configure();
    layout::mark_release(key_, 1, 6, 40);
    simcard_set_identity(card(), 1, 6, 40);
    sim::set_dword(ORVIX_DRIVER, "Cpl_Status", UNTOUCHED_STATUS);
    if (c.command != MISSING)
        sim::set_dword(ORVIX_DRIVER, "Cpl_cmd", static_cast<uint32_t>(c.command));
    sim::set_string(ORVIX_DRIVER, "version", "1.6.41");
    const std::string before = sim::dump();

    uint32_t status = 0;
    EXPECT_EQ(control_panel_run(&status), 1);
    EXPECT_EQ(status, CPL_STATUS_WRONG_DRIVER);

    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].text_id, 1329);
    EXPECT_EQ(host_.messages[0].caption_id, 2252);
    EXPECT_EQ(host_.messages[0].kind, MESSAGE_WARNING);
    EXPECT_EQ(host_.dialogs, 0);
    EXPECT_EQ(card_puts(), 0u);
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cpl_Status"), c.status);
    EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cpl_cmd"), 0);
    if (c.command != MISSING) {
        sim::set_dword(ORVIX_DRIVER, "Cpl_cmd", static_cast<uint32_t>(c.command));
        sim::set_dword(ORVIX_DRIVER, "Cpl_Status", UNTOUCHED_STATUS);
        EXPECT_EQ(sim::dump(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Applet, MailboxWrongRelease,
    ::testing::Values(WrongReleaseCase{"select_profile_0203", 0x0203, CPL_STATUS_WRONG_DRIVER},
                      WrongReleaseCase{"enable_0300", 0x0300, CPL_STATUS_WRONG_DRIVER},
                      WrongReleaseCase{"unknown_0400", 0x0400, CPL_STATUS_WRONG_DRIVER},
                      // Dialog words: no installer waits on a status.
                      WrongReleaseCase{"none_0000", 0x0000, UNTOUCHED_STATUS},
                      WrongReleaseCase{"show_0100", 0x0100, UNTOUCHED_STATUS},
                      WrongReleaseCase{"busy_FF00", 0xFF00, UNTOUCHED_STATUS},
                      WrongReleaseCase{"cpl_cmd_missing", MISSING, UNTOUCHED_STATUS}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
