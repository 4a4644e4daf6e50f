// The restart prompt: when it asks, what Yes and No do, the shutdown
// privilege on the NT family, and a restart Windows refuses.
#include <functional>
#include <string>
#include <vector>

#include "applet_fixture.h"

namespace {

using applet_test::Machine;
using applet_test::ORVIX_DRIVER;

const uint16_t QUESTION = 1312, RESTART_BY_HAND = 1317;

struct PromptCase {
    const char* name;
    Machine machine;
    bool privilege;
    bool restart_fails;
    MessageAnswer answer;
    std::vector<uint16_t> messages;
    int privilege_requests;
    int restarts;
};

class RestartPrompt : public AppletTest, public ::testing::WithParamInterface<PromptCase> {};

TEST_P(RestartPrompt, AsksAndRestarts) {
    const PromptCase& c = GetParam();
    install(c.machine);
    detect_os_class(nullptr);
    sim::set_shutdown_privilege(c.privilege);
    sim::fail_restart(c.restart_fails);
    sim::set_dword(ORVIX_DRIVER, "Cpl_cmd", 0xFF00);
    int64_t cpl_cmd_at_restart = -2;
    sim::on_restart([&] { cpl_cmd_at_restart = sim::get_dword(ORVIX_DRIVER, "Cpl_cmd"); });
    active_configuration.current_profile = 2;
    active_configuration.restart_marks[1] = RESTART_ADAPTER;
    host_.answers = {c.answer};

    restart_prompt(host_);

    EXPECT_EQ(host_.message_ids(), c.messages);
    for (const AskedMessage& m : host_.messages) {
        EXPECT_EQ(m.caption_id, 2253);
        EXPECT_EQ(m.kind, m.text_id == QUESTION ? MESSAGE_QUESTION_YES_NO : MESSAGE_QUESTION_OK);
    }
    EXPECT_EQ(sim::privilege_requests(), c.privilege_requests);
    EXPECT_EQ(sim::restart_requests(), c.restarts);
    if (c.restarts) {
        // The mailbox is left clear for the next start.
        EXPECT_EQ(cpl_cmd_at_restart, 0);
    } else {
        EXPECT_EQ(sim::get_dword(ORVIX_DRIVER, "Cpl_cmd"), 0xFF00);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Applet, RestartPrompt,
    ::testing::Values(
        PromptCase{"xp_yes", Machine::WinXp, true, false, ANSWER_YES, {QUESTION}, 1, 1},
        PromptCase{"xp_no", Machine::WinXp, true, false, ANSWER_NO, {QUESTION}, 1, 0},
        PromptCase{"nt4_yes", Machine::Nt4, true, false, ANSWER_YES, {QUESTION}, 1, 1},
        PromptCase{"win2000_yes", Machine::Win2000, true, false, ANSWER_YES, {QUESTION}, 1, 1},
        // A box that could not be shown is no Yes.
        PromptCase{"xp_box_failed", Machine::WinXp, true, false, ANSWER_NONE, {QUESTION}, 1, 0},
        // Without the privilege the user must restart by hand: no question.
        PromptCase{"xp_privilege_unavailable",
                   Machine::WinXp,
                   false,
                   false,
                   ANSWER_YES,
                   {RESTART_BY_HAND},
                   1,
                   0},
        PromptCase{"nt4_privilege_unavailable",
                   Machine::Nt4,
                   false,
                   false,
                   ANSWER_YES,
                   {RESTART_BY_HAND},
                   1,
                   0},
        PromptCase{"xp_restart_refused",
                   Machine::WinXp,
                   true,
                   true,
                   ANSWER_YES,
                   {QUESTION, RESTART_BY_HAND},
                   1,
                   1},
        // Windows 9x has no privilege to ask for.
        PromptCase{"win98_yes", Machine::Win98, false, false, ANSWER_YES, {QUESTION}, 0, 1},
        PromptCase{"win98_no", Machine::Win98, true, false, ANSWER_NO, {QUESTION}, 0, 0},
        PromptCase{"win98_restart_refused",
                   Machine::Win98,
                   true,
                   true,
                   ANSWER_YES,
                   {QUESTION, RESTART_BY_HAND},
                   0,
                   1}),
    [](const auto& info) { return std::string(info.param.name); });

// Which marks ask: any on the current profile; the adapter's on any profile.
struct NeedCase {
    const char* name;
    uint32_t current_profile;
    std::vector<uint8_t> marks;  // profiles 1 to 4
    bool asks;
};

class RestartNeed : public AppletTest, public ::testing::WithParamInterface<NeedCase> {};

TEST_P(RestartNeed, Asks) {
    const NeedCase& c = GetParam();
    detect_os_class(nullptr);
    active_configuration.current_profile = c.current_profile;
    for (int n = 0; n < 4; ++n) active_configuration.restart_marks[n] = c.marks[n];
    restart_prompt(host_);
    EXPECT_EQ(host_.message_ids(),
              c.asks ? std::vector<uint16_t>{QUESTION} : std::vector<uint16_t>{});
    EXPECT_EQ(sim::privilege_requests(), c.asks ? 1 : 0);
    EXPECT_EQ(sim::restart_requests(), 0);  // answered No
}

INSTANTIATE_TEST_SUITE_P(
    Applet, RestartNeed,
    ::testing::Values(
        NeedCase{"none", 1, {0, 0, 0, 0}, false},
        NeedCase{"mac_on_current", 2, {0, RESTART_MAC_ADDRESS, 0, 0}, true},
        NeedCase{"adapter_on_current", 3, {0, 0, RESTART_ADAPTER, 0}, true},
        NeedCase{"mac_on_another", 1, {0, 0, 0, RESTART_MAC_ADDRESS}, false},
        NeedCase{"adapter_on_another", 1, {0, 0, 0, RESTART_ADAPTER}, true},
        NeedCase{"both_on_another", 4, {RESTART_ADAPTER | RESTART_MAC_ADDRESS, 0, 0, 0}, true},
        // No profile current: only the adapter's mark counts.
        NeedCase{"mac_none_current", 0, {RESTART_MAC_ADDRESS, 0, 0, 0}, false},
        NeedCase{"adapter_none_current", 0, {0, RESTART_ADAPTER, 0, 0}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Through a run on NT 4: the Adapter page changed the interrupt, the profile
// dialog ends with OK; No leaves Windows running.
class RestartRun : public AppletTest {
protected:
    void run_with_answer(MessageAnswer answer, std::function<void()> before = nullptr) {
        install(Machine::Nt4);
        configure();
        if (before) before();
        host_.profile_dialog = [](int n) {
            return drive_profile_dialog([n](FakeProfileDialog& d) {
                if (n == 0) d.select(3);
                d.press(n == 0 ? 2110 : 1);
            });
        };
        host_.property_sheet = [](int, bool* cancelled) {
            active_configuration.interrupt_number = 10;
            active_configuration.restart_marks[2] = RESTART_ADAPTER;
            *cancelled = false;
            return 1;
        };
        host_.answers = {answer};
        ASSERT_EQ(control_panel_run(), 1);
    }
};

TEST_F(RestartRun, NoLeavesWindowsRunning) {
    run_with_answer(ANSWER_NO);
    EXPECT_EQ(host_.message_ids(), std::vector<uint16_t>{QUESTION});
    EXPECT_EQ(sim::restart_requests(), 0);
    EXPECT_EQ(sim::get_dword(key_, "InterruptNumber"), 10);
    EXPECT_EQ(card_puts(), 12u);
}

TEST_F(RestartRun, YesRestartsAfterTheCardAndTheList) {
    std::vector<int64_t> seen;
    run_with_answer(ANSWER_YES, [&] {
        sim::on_restart([&] {
            seen = {sim::get_dword(key_, "ConfigType"), static_cast<int64_t>(card_puts())};
        });
    });
    EXPECT_EQ(sim::restart_requests(), 1);
    EXPECT_EQ(seen, (std::vector<int64_t>{3, 12}));
}

// A cancelled dialog asks nothing, whatever the marks say.
TEST_F(RestartRun, CancelAsksNothing) {
    configure();
    host_.profile_dialog = [](int) {
        active_configuration.restart_marks[0] = RESTART_ADAPTER;
        return 2;
    };
    control_panel_run();
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(sim::privilege_requests(), 0);
}

}  // namespace
