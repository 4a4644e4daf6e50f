// The configuration store against the real registry, under a Windows 9x and
// NT versions. The store runs inside this program, so each case starts this
// program again as a child that sees the wanted Windows version; the parent
// lays out the registry before and checks it after.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "discovery.h"
#include "encryption.h"
#include "harness.h"
#include "os.h"
#include "store.h"

namespace {

const char CHILD_VARIABLE[] = "RC_STORE_CHILD";
const char TEXT_VARIABLE[] = "RC_STORE_TEXT";

std::string environment(const char* name) {
    char value[512];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// Runs one child test of this program under a Windows version.
DWORD run_child(const std::string& version, const std::string& test,
                const std::string& text = std::string()) {
    set_windows_version(self_name(), version);
    SetEnvironmentVariableA(CHILD_VARIABLE, version.c_str());
    SetEnvironmentVariableA(TEXT_VARIABLE, text.empty() ? nullptr : text.c_str());
    ProcessResult r = run_program(self_path(), {"--gtest_filter=StoreChild." + test});
    SetEnvironmentVariableA(CHILD_VARIABLE, nullptr);
    SetEnvironmentVariableA(TEXT_VARIABLE, nullptr);
    set_windows_version(self_name(), "");
    EXPECT_TRUE(r.started) << r.report;
    // The child must have run its test, not skipped it.
    const bool ran = r.output.find("[  PASSED  ] 1 test.") != std::string::npos &&
                     r.output.find("[  SKIPPED ]") == std::string::npos;
    if (r.exit_code != 0 || !ran) std::printf("%s", r.output.c_str());
    return ran ? r.exit_code : 0xBAD;
}

OsClass expected_class(const std::string& version) {
    if (version == "win98") return OS_WIN98;
    if (version == "nt40") return OS_WINNT;
    if (version == "win2k") return OS_WIN2000;
    return OS_WIN2001;
}

// ---- child side: only when started by a parent ----

class StoreChild : public ::testing::Test {
protected:
    std::string version;
    void SetUp() override {
        version = environment(CHILD_VARIABLE);
        if (version.empty()) GTEST_SKIP() << "runs as a child of the Store tests";
        ASSERT_EQ(detect_os_class(nullptr), expected_class(version)) << os_version_text;
        ASSERT_EQ(find_adapter(adapter_hardware_ids), 1);
        store_reset();
    }
};

TEST_F(StoreChild, LoadThenStoreProfileOne) {
    read_driver_identity();
    load_parameters(GROUP_ALL);
    load_profile_list();
    const ActiveConfiguration& c = active_configuration;
    EXPECT_EQ(c.driver_variant, 1u);
    EXPECT_EQ(c.rts_threshold, 500u);  // stored as text
    EXPECT_EQ(c.port_type, 2u);        // stored as a number
    EXPECT_EQ(c.system_scale, 1u);     // 9 is out of range
    EXPECT_EQ(c.io_base_address, 0x400u);
    EXPECT_STREQ(c.encryption, default_encryption_text);
    EXPECT_STREQ(c.desired_ssid, "Orvix");  // never configured
    EXPECT_STREQ(c.profile_names[0], "Default");

    active_configuration.current_profile = 1;
    std::snprintf(active_configuration.profile_names[0], CONFIG_TEXT_SIZE, "Office");
    active_configuration.profile_types[0] = 2;
    active_configuration.configured = 1;
    active_configuration.pm_enabled = 1;
    active_configuration.io_base_address = 0x300;
    std::snprintf(active_configuration.desired_ssid, CONFIG_TEXT_SIZE, "office-lan");
    store_parameters(GROUP_ALL);
    store_parameters(GROUP_ACTIVE_SET);
    store_profile_list();
}

TEST_F(StoreChild, ReadsTheToolsText) {
    load_parameters(GROUP_ALL);
    EXPECT_EQ(std::string(active_configuration.encryption), environment(TEXT_VARIABLE));
    EncryptionRecord record;
    EXPECT_EQ(decode_valid_encryption_text(active_configuration.encryption, &record), 1);
}

// ---- parent side ----

class Store : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!environment(CHILD_VARIABLE).empty()) GTEST_SKIP();
        remove_adapters();
    }
    void TearDown() override { remove_adapters(); }
};

TEST_P(Store, ValuesLandByThePlatformRule) {
    const std::string version = GetParam();
    Adapter a = install_adapter(version);
    reg_put_string(a.instance_key, "RTSThreshold", "500");
    reg_put_dword(a.instance_key, "PortType", 2);
    reg_put_dword(a.instance_key, "SystemScale", 9);
    ASSERT_EQ(run_child(version, "LoadThenStoreProfileOne"), 0u);

    const bool nt = version != "win98";
    const std::string profile = a.instance_key + "\\Config01";
    for (const std::string& key : {profile, a.instance_key}) {
        DWORD type = 0;
        std::vector<BYTE> data;
        ASSERT_TRUE(reg_get_value(key, "PMEnabled", &type, &data)) << key;
        if (nt) {
            EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << key;
            EXPECT_EQ(reg_get_dword(key, "PMEnabled"), 1) << key;
            EXPECT_EQ(reg_get_dword(key, "RTSThreshold"), 500) << key;
        } else {
            EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << key;
            EXPECT_EQ(reg_get_string(key, "PMEnabled"), "1") << key;
            EXPECT_EQ(reg_get_string(key, "RTSThreshold"), "500") << key;
        }
        EXPECT_EQ(reg_get_string(key, "DesiredSSID"), "office-lan") << key;
        EXPECT_EQ(reg_get_string(key, "Encryption").size(), 102u) << key;
    }
    // Adapter rows only in the root.
    EXPECT_FALSE(reg_get_value(profile, "Configured", nullptr, nullptr));
    if (nt)
        EXPECT_EQ(reg_get_dword(a.instance_key, "Configured"), 1);
    else
        EXPECT_EQ(reg_get_string(a.instance_key, "Configured"), "1");
    // The I/O base only on NT 4, and then as a number.
    if (version == "nt40")
        EXPECT_EQ(reg_get_dword(a.instance_key, "IoBaseAddress"), 0x300);
    else
        EXPECT_FALSE(reg_get_value(a.instance_key, "IoBaseAddress", nullptr, nullptr));
    // The profile list and its copies for installers.
    EXPECT_EQ(reg_get_dword(a.instance_key, "ConfigType"), 1);
    EXPECT_EQ(reg_get_string(profile, "ConfigName"), "Office");
    EXPECT_EQ(reg_get_dword(profile, "NetworkType"), 2);
    EXPECT_EQ(reg_get_dword("Software\\Orvix\\Driver", "Cur_conf"), 1);
    EXPECT_EQ(reg_get_string("Software\\Orvix\\Driver", "Config01"), "Office");
    EXPECT_EQ(reg_get_string("Software\\Orvix\\Driver", "Config02"), "");
    EXPECT_FALSE(reg_has_key(a.instance_key + "\\Config02"));
}

TEST_P(Store, TextStoredByTheToolIsReadBack) {
    const std::string version = GetParam();
    install_adapter(version);
    EncryptionRecord record;
    init_encryption_record(&record);
    record.data_security = 1;
    record.tx_key_index = 2;
    record.keys[2].length = 5;
    std::memcpy(record.keys[2].material, "k3k3k", 5);
    char text[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&record, text);
    ASSERT_EQ(run_tool({"E", text, "0"}, version).exit_code, 0u);
    EXPECT_EQ(run_child(version, "ReadsTheToolsText", text), 0u);
}

INSTANTIATE_TEST_SUITE_P(Windows, Store, ::testing::Values("win98", "nt40", "winxp"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
