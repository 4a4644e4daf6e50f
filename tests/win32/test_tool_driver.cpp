// RCTOOL48's driver commands for real: simcard.sys runs as a kernel service
// whose device stands where each Windows looks for the adapter's driver, and
// the tool reaches it through CreateFileA and DeviceIoControl. Checks exit
// codes, output, what the card stored and what the registry holds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "encryption.h"
#include "harness.h"
#include "simcard_service.h"

namespace {

const char SERVICE[] = "rcsimcard";
const char GUID[] = "{5C1D0000-0000-4000-8000-000000000042}";
const char MAC_PLACEHOLDER[] = "XXXXXXXXXXXX";

// 102 characters the command line carries unquoted.
std::string text_102() {
    std::string text;
    for (int i = 0; i < 102; ++i) text += static_cast<char>('A' + (i * 7) % 26);
    return text;
}
const std::string TEXT = text_102();

std::string words_as_text(const std::vector<uint16_t>& words) {
    std::string text;
    for (uint16_t w : words) {
        text += static_cast<char>(w & 0xFF);
        text += static_cast<char>(w >> 8);
    }
    return text;
}

std::string key_1(const std::string& text) {
    EncryptionRecord r;
    if (decode_valid_encryption_text(text.c_str(), &r) != 1) return "<not a record>";
    return std::string(reinterpret_cast<const char*>(r.keys[0].material), r.keys[0].length);
}

void stop_card() {
    std::string error;
    EXPECT_TRUE(simcard_service_stop(SERVICE, &error)) << error;
}

// Starts simcard with device `name`, its default card and the given values.
bool start_card(const std::string& name, SimcardServiceConfig config = {}) {
    config.service = SERVICE;
    config.device_name = name;
    std::string error;
    const bool ok = simcard_service_start(config, &error);
    EXPECT_TRUE(ok) << error;
    return ok;
}

SimCardCounters counters(const std::string& name) {
    SimCardControlAnswer answer;
    std::memset(&answer, 0, sizeof answer);
    std::string error;
    EXPECT_TRUE(simcard_read(name, 0, &answer, &error)) << error;
    return answer.counters;
}

// An installed adapter whose instance key names the card's device, with the
// default record stored in the active set.
Adapter network_adapter(const std::string& version) {
    Adapter a = install_adapter(version);
    reg_put_string(a.instance_key, "NetCfgInstanceId", GUID);
    reg_put_string(a.instance_key, "Encryption", default_encryption_text);
    return a;
}

class ToolDriver : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        remove_adapters();
        stop_card();
    }
    void TearDown() override {
        stop_card();
        remove_adapters();
    }
    std::string version() const { return GetParam(); }
    ProcessResult tool(const std::vector<std::string>& arguments) {
        ProcessResult r = run_tool(arguments, version());
        EXPECT_TRUE(r.started) << r.report;
        return r;
    }
};

TEST_P(ToolDriver, MacAddressOfTheCard) {
    network_adapter(version());
    SimcardServiceConfig config;
    config.mac = {0x00, 0x60, 0x1D, 0xAB, 0xCD, 0xEF};
    ASSERT_TRUE(start_card(GUID, config));
    ProcessResult r = tool({"M"});
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(r.output, "00601DABCDEF");
    const SimCardCounters c = counters(GUID);
    EXPECT_EQ(c.connects, 1u);
    EXPECT_EQ(c.disconnects, 1u);
    EXPECT_EQ(c.puts, 0u);
    EXPECT_EQ(c.context_mismatches, 0u);
}

TEST_P(ToolDriver, RecordsReachTheCardAndTheRegistry) {
    Adapter a = network_adapter(version());
    ASSERT_TRUE(start_card(GUID));
    std::vector<uint16_t> data;

    EXPECT_EQ(tool({"R", "0"}).exit_code, 0u);
    EXPECT_EQ(reg_get_dword(a.instance_key, "DriverEnable"), 0);
    EXPECT_EQ(simcard_read_record(GUID, 0x0902, &data), 2);
    EXPECT_EQ(data, std::vector<uint16_t>{0});
    EXPECT_EQ(tool({"R", "1"}).exit_code, 0u);
    EXPECT_EQ(reg_get_dword(a.instance_key, "DriverEnable"), 1);
    EXPECT_EQ(simcard_read_record(GUID, 0x0902, &data), 2);
    EXPECT_EQ(data, std::vector<uint16_t>{1});

    EXPECT_EQ(tool({"e", TEXT, "0"}).exit_code, 0u);
    EXPECT_EQ(reg_get_string(a.instance_key, "Encryption"), TEXT);
    EXPECT_EQ(simcard_read_record(GUID, 0x0900, &data), 52);
    EXPECT_EQ(words_as_text(data), TEXT);

    reg_put_string(a.instance_key, "Encryption", default_encryption_text);
    EXPECT_EQ(tool({"W", "AbCdE", "0"}).exit_code, 0u);
    EXPECT_EQ(key_1(reg_get_string(a.instance_key, "Encryption")), "abcde");
    EXPECT_EQ(simcard_read_record(GUID, 0x0900, &data), 52);
    EXPECT_EQ(key_1(words_as_text(data)), "abcde");

    const SimCardCounters c = counters(GUID);
    EXPECT_EQ(c.connects, 4u);
    EXPECT_EQ(c.disconnects, 4u);
    EXPECT_EQ(c.actions, 4u);
    EXPECT_EQ(c.last_action, 128u);
    EXPECT_EQ(c.context_mismatches, 0u);
}

TEST_P(ToolDriver, CardOfAnotherReleaseIsLeftAlone) {
    Adapter a = network_adapter(version());
    ASSERT_TRUE(start_card(GUID, SimcardServiceConfig().set("Minor", 40)));
    struct Case {
        std::vector<std::string> arguments;
        DWORD exit_code;
        std::string output;
    };
    const Case cases[] = {
        {{"e", TEXT, "0"}, 5, ""},
        {{"W", "abcde", "0"}, 5, ""},
        {{"M"}, 5, MAC_PLACEHOLDER},
        {{"R", "1"}, 0, ""},
    };
    for (const Case& c : cases) {
        ProcessResult r = tool(c.arguments);
        EXPECT_EQ(r.exit_code, c.exit_code) << c.arguments[0];
        EXPECT_EQ(r.output, c.output) << c.arguments[0];
    }
    const SimCardCounters c = counters(GUID);
    EXPECT_EQ(c.puts, 0u);
    EXPECT_EQ(c.actions, 0u);
    EXPECT_EQ(c.disconnects, 4u);
    EXPECT_EQ(simcard_read_record(GUID, 0x0900, nullptr), -1);
    EXPECT_EQ(simcard_read_record(GUID, 0x0902, nullptr), -1);
    // 'e' stores before it asks the card; 'W' asks first; 'R' stores anyway.
    EXPECT_EQ(reg_get_string(a.instance_key, "Encryption"), TEXT);
    EXPECT_EQ(reg_get_dword(a.instance_key, "DriverEnable"), 1);
}

TEST_P(ToolDriver, NoDriverLoaded) {
    Adapter a = network_adapter(version());
    struct Case {
        std::vector<std::string> arguments;
        DWORD exit_code;
        std::string output;
    };
    const Case cases[] = {
        {{"e", TEXT, "0"}, 6, ""},
        {{"W", "abcde", "0"}, 6, ""},
        {{"M"}, 6, MAC_PLACEHOLDER},
        {{"R", "0"}, 0, ""},
    };
    for (const Case& c : cases) {
        ProcessResult r = tool(c.arguments);
        EXPECT_EQ(r.exit_code, c.exit_code) << c.arguments[0];
        EXPECT_EQ(r.output, c.output) << c.arguments[0];
    }
    EXPECT_EQ(reg_get_string(a.instance_key, "Encryption"), TEXT);
    EXPECT_EQ(reg_get_dword(a.instance_key, "DriverEnable"), 0);
}

TEST_P(ToolDriver, BusyThreeTimesThenReady) {
    network_adapter(version());
    ASSERT_TRUE(start_card(GUID, SimcardServiceConfig().set("BusyConnects", 3)));
    ProcessResult r = tool({"M"});
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(r.output.size(), 12u);
    EXPECT_NE(r.output, MAC_PLACEHOLDER);
    const SimCardCounters c = counters(GUID);
    EXPECT_EQ(c.connects, 4u);
    EXPECT_EQ(c.busy_answers, 3u);
    EXPECT_EQ(c.disconnects, 1u);
}

INSTANTIATE_TEST_SUITE_P(Wine, ToolDriver, ::testing::Values("win2k", "winxp"));

// NT 4: the card's device is instance 3; the DOS names of instances 1 and 2
// exist but point at no device (Wine cannot define DOS names from user mode,
// so simcard makes them).
TEST(ToolDriverNt4, FindsTheCardOnInstance3) {
    remove_adapters();
    stop_card();
    Adapter a = install_adapter("nt40", 0, 3);
    reg_put_string(a.instance_key, "Encryption", default_encryption_text);
    SimcardServiceConfig config;
    config.extra_dos_names = {"RLORX521", "RLORX522"};
    config.mac = {0x02, 0x11, 0x22, 0x33, 0x44, 0xAF};
    ASSERT_TRUE(start_card("RLORX523", config));

    ProcessResult r = run_tool({"M"}, "nt40");
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(r.output, "0211223344AF");
    EXPECT_EQ(run_tool({"R", "0"}, "nt40").exit_code, 0u);
    std::vector<uint16_t> data;
    EXPECT_EQ(simcard_read_record("RLORX523", 0x0902, &data), 2);
    EXPECT_EQ(data, std::vector<uint16_t>{0});
    EXPECT_EQ(reg_get_dword(a.instance_key, "DriverEnable"), 0);
    EXPECT_EQ(run_tool({"W", "nt4ky", "0"}, "nt40").exit_code, 0u);
    EXPECT_EQ(simcard_read_record("RLORX523", 0x0900, &data), 52);
    EXPECT_EQ(key_1(words_as_text(data)), "nt4ky");
    stop_card();
    remove_adapters();
}

// Windows 98 has no VxD under Wine: the driver commands find no driver, the
// registry commands work as ever.
TEST(ToolDriverWin98, DriverCommandsFindNoDriver) {
    remove_adapters();
    Adapter a = install_adapter("win98");
    reg_put_string(a.instance_key, "Encryption", default_encryption_text);
    struct Case {
        std::vector<std::string> arguments;
        DWORD exit_code;
        std::string output;
    };
    const Case cases[] = {
        {{"M"}, 6, MAC_PLACEHOLDER},
        {{"e", TEXT, "0"}, 6, ""},
        {{"W", "abcde", "0"}, 6, ""},
        {{"R", "0"}, 0, ""},
        {{"R", "2"}, 200, ""},
        {{"E", TEXT, "0"}, 0, ""},
        {{"K", "2", "abcde", "-", "-", "-"}, 3, ""},  // profile 1 has no name
    };
    for (const Case& c : cases) {
        ProcessResult r = run_tool(c.arguments, "win98");
        EXPECT_TRUE(r.started) << r.report;
        EXPECT_EQ(r.exit_code, c.exit_code) << c.arguments[0];
        EXPECT_EQ(r.output, c.output) << c.arguments[0];
    }
    EXPECT_EQ(reg_get_string(a.instance_key, "Encryption"), TEXT);
    reg_put_string(a.instance_key + "\\Config01", "ConfigName", "Home");
    EXPECT_EQ(run_tool({"K", "2", "abcde", "-", "-", "-"}, "win98").exit_code, 0u);
    EXPECT_EQ(key_1(reg_get_string(a.instance_key + "\\Config01", "Encryption")), "abcde");
    remove_adapters();
}

// One process after another reaches the card: each 'M' connects, reads the
// same address and disconnects, so nothing of one run is left to trip the next.
// (How long a run takes is measured by scripts/bench, not here.)
TEST(ToolDriverRepeated, EveryRunReadsTheMacAddress) {
    remove_adapters();
    stop_card();
    network_adapter("winxp");
    SimcardServiceConfig config;
    config.mac = {0x00, 0x60, 0x1D, 0x12, 0x34, 0x56};
    ASSERT_TRUE(start_card(GUID, config));
    const unsigned runs = 20;
    for (unsigned i = 0; i < runs; ++i) {
        ProcessResult r = run_tool({"M"}, "winxp");
        EXPECT_TRUE(r.started) << r.report;
        EXPECT_EQ(r.exit_code, 0u) << "run " << i;
        EXPECT_EQ(r.output, "00601D123456") << "run " << i;
    }
    const SimCardCounters c = counters(GUID);
    EXPECT_EQ(c.connects, runs);
    EXPECT_EQ(c.disconnects, runs);
    EXPECT_EQ(c.busy_answers, 0u);
    EXPECT_EQ(c.context_mismatches, 0u);
    stop_card();
    remove_adapters();
}

}  // namespace
