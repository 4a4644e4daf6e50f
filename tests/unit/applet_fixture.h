// Native tests of the applet's logic: an installed adapter on the simulated
// Windows, simcard behind it, four profiles to choose from, and a fake host.
#pragma once
#include <string>
#include <vector>

#include "card_fixture.h"
#include "fake_view.h"
#include "run.h"
#include "sim_session.h"

namespace applet_test {

const char GUID[] = "{5C1D0000-0000-4000-8000-000000000042}";
const char ORVIX_DRIVER[] = "Software\\Orvix\\Driver";

enum class Machine { Win98, Nt4, Win2000, WinXp };

inline const char* machine_name(Machine m) {
    switch (m) {
    case Machine::Win98: return "win98";
    case Machine::Nt4: return "nt4";
    case Machine::Win2000: return "win2000";
    case Machine::WinXp: return "winxp";
    }
    return "?";
}

}  // namespace applet_test

class AppletTest : public CardTest {
protected:
    void SetUp() override {
        CardTest::SetUp();
        install(applet_test::Machine::WinXp);
    }
    void TearDown() override {
        EXPECT_EQ(driver_channel.open_generation, 0u) << "channel left open";
        EXPECT_EQ(host_.acquired, host_.released) << "module reference not released";
        CardTest::TearDown();
    }

    // A fresh machine of this kind with the adapter installed and simcard
    // serving it; nothing configured yet.
    void install(applet_test::Machine machine) {
        using applet_test::Machine;
        restart();
        card_ = std::make_unique<SimCard>();
        simcard_init(card_.get());
        switch (machine) {
        case Machine::Win98:
            sim::set_windows(sim::Windows::Win98);
            key_ = layout::win9x_pc_card();
            simcard_add_named_device("RUORX51.VXD", card());
            break;
        case Machine::Nt4:
            sim::set_windows(sim::Windows::Nt40);
            key_ = layout::nt4_card();
            simcard_add_device("\\Device\\RLORX521", card());
            break;
        case Machine::Win2000:
            sim::set_windows(sim::Windows::Win2000);
            key_ = layout::win2000_pc_card();
            sim::set_string(key_, "NetCfgInstanceId", applet_test::GUID);
            simcard_add_named_device(applet_test::GUID, card());
            break;
        case Machine::WinXp:
            sim::set_windows(sim::Windows::WinXp);
            key_ = layout::winxp_pc_card();
            sim::set_string(key_, "NetCfgInstanceId", applet_test::GUID);
            simcard_add_named_device(applet_test::GUID, card());
            break;
        }
    }

    std::string profile_key(int n) const { return key_ + "\\Config0" + std::to_string(n); }

    // A profile as the applet stores it.
    void add_profile(int n, const std::string& name, uint32_t type, const std::string& ssid) {
        sim::set_string(profile_key(n), "ConfigName", name);
        sim::set_dword(profile_key(n), "NetworkType", type);
        sim::set_string(profile_key(n), "DesiredSSID", ssid);
        sim::set_dword(profile_key(n), "PortType", 1 + n % 3);
    }

    // A configured adapter: profiles 1 to 4 ("Home", "Office", "Lab", "Cafe",
    // networks net1 to net4), profile 1 current, the active set named
    // "active" and enabled.
    void configure() {
        sim::set_dword(key_, "Configured", 1);
        sim::set_dword(key_, "ConfigType", 1);
        sim::set_string(key_, "DesiredSSID", "active");
        sim::set_dword(key_, "DriverEnable", 1);
        const char* names[] = {"Home", "Office", "Lab", "Cafe"};
        for (int n = 1; n <= 4; ++n)
            add_profile(n, names[n - 1], n == 2 ? NET_PEER_TO_PEER : NET_ACCESS_POINT,
                        "net" + std::to_string(n));
    }

    // CPL_INIT, then the run of a double-click.
    int control_panel_run(uint32_t* status = nullptr) {
        EXPECT_EQ(applet_init(), 1);
        uint32_t ignored = 0;
        return run_applet(host_, RUN_READ_MAILBOX, status ? status : &ignored);
    }

    // ---- what the card received ----
    std::string card_text(uint16_t id) {
        int length = 0;
        std::vector<uint16_t> words = stored(id, &length);
        if (length < 0 || words.empty()) return "<never put>";
        std::string text;
        for (unsigned i = 0; i < words[0] && i / 2 + 1 < words.size(); ++i)
            text += static_cast<char>(i % 2 ? words[1 + i / 2] >> 8 : words[1 + i / 2] & 0xFF);
        return text;
    }
    // The 102 characters of record 0x0900.
    std::string card_encryption() {
        std::string text;
        for (uint16_t w : stored(0x0900)) {
            text += static_cast<char>(w & 0xFF);
            text += static_cast<char>(w >> 8);
        }
        return text;
    }
    int64_t card_word(uint16_t id) {
        std::vector<uint16_t> words = stored(id);
        return words.empty() ? -1 : words[0];
    }
    uint32_t card_puts() { return card()->counters.puts; }
    uint32_t card_actions() { return card()->counters.actions; }

    std::string key_;
    FakeHost host_;
};
