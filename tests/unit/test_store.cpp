// The configuration store: parameter table loads and stores, the profile
// list, driver identity, window position and the network type table.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "discovery.h"
#include "encryption.h"
#include "os.h"
#include "sim.h"
#include "store.h"

namespace {

const std::string kInstance = "System\\CurrentControlSet\\Services\\Class\\Net\\0003";
const std::string kDriver = "Software\\Orvix\\Driver";

std::string profile_key(int n)
{
    char name[16];
    std::snprintf(name, sizeof name, "\\Config%02d", n);
    return kInstance + name;
}

ActiveConfiguration& config = active_configuration;

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::reset();
        os_reset();
        discovery_reset();
        store_reset();
        std::snprintf(instance_key, sizeof instance_key, "%s", kInstance.c_str());
        sim::create_key(kInstance);
        use_windows(sim::Windows::WinXp);
    }
    void TearDown() override
    {
        EXPECT_EQ(sim::open_key_handles(), 0);
        store_reset();
        discovery_reset();
        os_reset();
    }
    static void use_windows(sim::Windows which)
    {
        sim::set_windows(which);
        detect_os_class(nullptr);
    }
};

// ---- loading ----

TEST_F(StoreTest, EmptyInstanceKeyLoadsEveryDefault)
{
    // Junk left by an earlier run in the same process must not survive.
    std::memset(&config, 0x7B, sizeof config);
    config.current_profile = 0;
    for (auto& name : config.profile_names)
        name[0] = '\0';
    config.profile_new[0] = config.profile_new[1] = config.profile_new[2] = config.profile_new[3] = 0;
    config.own_name[0] = '\0';

    load_parameters(GROUP_ALL);
    load_profile_list();

    EXPECT_EQ(config.system_scale, 1u);
    EXPECT_EQ(config.rts_threshold, 2347u);
    EXPECT_EQ(config.pm_enabled, 0u);
    EXPECT_EQ(config.microwave_robustness, 0u);
    EXPECT_EQ(config.create_ibss, 0u);
    EXPECT_EQ(config.io_base_address, 1024u);
    EXPECT_EQ(config.interrupt_number, 3u);
    EXPECT_EQ(config.configured, 0u);
    EXPECT_EQ(config.driver_enable, 1u);
    EXPECT_EQ(config.softex_pcmcia, 0u);
    EXPECT_EQ(config.port_type, 1u);
    EXPECT_EQ(config.ap_mode, 0u);
    EXPECT_STREQ(config.network_address, "");
    EXPECT_STREQ(config.own_ssid, "");
    EXPECT_STREQ(config.encryption, default_encryption_text);
    EXPECT_STREQ(config.desired_ssid, "Orvix");
    EXPECT_EQ(config.current_profile, 0u);
    EXPECT_STREQ(config.profile_names[0], "Default");
    for (int n = 1; n < 4; ++n)
        EXPECT_STREQ(config.profile_names[n], "") << n;
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(config.profile_new[n], 1) << n;
        EXPECT_EQ(config.shown_types[n], config.profile_types[n]) << n;
    }
    // Loading reads only.
    EXPECT_EQ(sim::sub_keys(kInstance).size(), 0u);
}

TEST_F(StoreTest, NoInstanceKeyLoadsDefaultsAndWritesNothing)
{
    // Values at the top of HKEY_LOCAL_MACHINE must never be taken for the
    // adapter's, nor written there, while no adapter is known.
    discovery_reset();
    sim::set_dword("Software", "APMode", 4);
    load_parameters(GROUP_ALL);
    load_profile_list();
    EXPECT_EQ(config.ap_mode, 0u);
    EXPECT_EQ(config.rts_threshold, 2347u);
    EXPECT_STREQ(config.encryption, default_encryption_text);
    EXPECT_STREQ(config.desired_ssid, "Orvix");
    EXPECT_EQ(check_not_configured(), 1);

    config.current_profile = 1;
    store_parameters(GROUP_ALL);
    store_parameters(GROUP_ACTIVE_SET);
    save_dialog_position(10, 20);
    store_profile_list();
    const std::string actual = sim::dump();

    // What is left: the copies for installers, which live under a fixed key.
    sim::reset();
    sim::create_key(kInstance);
    sim::set_dword("Software", "APMode", 4);
    sim::set_dword(kDriver, "Cur_conf", 1);
    sim::set_string(kDriver, "Config01", "Default");
    for (const char* copy : {"Config02", "Config03", "Config04"})
        sim::set_string(kDriver, copy, "");
    EXPECT_EQ(actual, sim::dump());
}

struct RangeCase {
    const char* value;
    uint32_t stored;
    uint32_t ActiveConfiguration::*field;
    uint32_t expected;
};

TEST_F(StoreTest, NumbersOutOfRangeTakeTheirDefaults)
{
    const RangeCase cases[] = {
        {"RTSThreshold", 0, &ActiveConfiguration::rts_threshold, 2347},
        {"RTSThreshold", 2348, &ActiveConfiguration::rts_threshold, 2347},
        {"RTSThreshold", 1, &ActiveConfiguration::rts_threshold, 1},
        {"RTSThreshold", 500, &ActiveConfiguration::rts_threshold, 500},
        {"IoBaseAddress", 255, &ActiveConfiguration::io_base_address, 1024},
        {"IoBaseAddress", 65473, &ActiveConfiguration::io_base_address, 1024},
        {"IoBaseAddress", 256, &ActiveConfiguration::io_base_address, 256},
        {"IoBaseAddress", 65472, &ActiveConfiguration::io_base_address, 65472},
        {"InterruptNumber", 32, &ActiveConfiguration::interrupt_number, 3},
        {"InterruptNumber", 0, &ActiveConfiguration::interrupt_number, 0},
        {"SystemScale", 0, &ActiveConfiguration::system_scale, 1},
        {"SystemScale", 4, &ActiveConfiguration::system_scale, 1},
        {"SystemScale", 3, &ActiveConfiguration::system_scale, 3},
        {"PortType", 4, &ActiveConfiguration::port_type, 1},
        {"APMode", 6, &ActiveConfiguration::ap_mode, 0},
        {"APMode", 5, &ActiveConfiguration::ap_mode, 5},
        {"PMEnabled", 2, &ActiveConfiguration::pm_enabled, 0},
        {"CreateIBSS", 1, &ActiveConfiguration::create_ibss, 1},
        {"DriverEnable", 2, &ActiveConfiguration::driver_enable, 1},
        {"DriverEnable", 0, &ActiveConfiguration::driver_enable, 0},
        {"Configured", 2, &ActiveConfiguration::configured, 0},
        {"SoftexPcmcia", 0xFFFFFFFF, &ActiveConfiguration::softex_pcmcia, 0},
        // Compared unsigned: -1 is far above every largest value.
        {"MicroWaveRobustness", 0xFFFFFFFF, &ActiveConfiguration::microwave_robustness, 0},
    };
    for (const RangeCase& c : cases) {
        SetUp();
        sim::set_dword(kInstance, c.value, c.stored);
        load_parameters(GROUP_ALL);
        EXPECT_EQ(config.*c.field, c.expected) << c.value << " = " << c.stored;
    }
}

TEST_F(StoreTest, NumbersStoredAsTextLoad)
{
    struct {
        const char* value;
        const char* text;
        uint32_t ActiveConfiguration::*field;
        uint32_t expected;
    } cases[] = {
        {"SystemScale", "3", &ActiveConfiguration::system_scale, 3},
        {"RTSThreshold", "1000", &ActiveConfiguration::rts_threshold, 1000},
        {"RTSThreshold", "-5", &ActiveConfiguration::rts_threshold, 2347},
        {"IoBaseAddress", "768", &ActiveConfiguration::io_base_address, 768},
        {"PortType", "x", &ActiveConfiguration::port_type, 1},  // reads as 0: out of range
    };
    for (const auto& c : cases) {
        SetUp();
        sim::set_string(kInstance, c.value, c.text);
        load_parameters(GROUP_ALL);
        EXPECT_EQ(config.*c.field, c.expected) << c.value << " = " << c.text;
    }
}

TEST_F(StoreTest, ProfileRowsComeFromTheCurrentProfileOrTheRoot)
{
    sim::set_dword(kInstance, "APMode", 4);
    sim::set_string(kInstance, "DesiredSSID", "root net");
    sim::set_dword(kInstance, "InterruptNumber", 9);
    sim::set_dword(profile_key(2), "APMode", 2);
    sim::set_string(profile_key(2), "DesiredSSID", "second net");
    sim::set_dword(profile_key(2), "InterruptNumber", 11);  // adapter rows live in the root

    config.current_profile = 0;
    load_parameters(GROUP_ALL);
    EXPECT_EQ(config.ap_mode, 4u);
    EXPECT_STREQ(config.desired_ssid, "root net");
    EXPECT_EQ(config.interrupt_number, 9u);

    config.current_profile = 2;
    load_parameters(GROUP_ALL);
    EXPECT_EQ(config.ap_mode, 2u);
    EXPECT_STREQ(config.desired_ssid, "second net");
    EXPECT_EQ(config.interrupt_number, 9u);

    // A profile without a subkey gives defaults, not the root's values.
    config.current_profile = 3;
    load_parameters(GROUP_PROFILE);
    EXPECT_EQ(config.ap_mode, 0u);
    EXPECT_STREQ(config.desired_ssid, "");
    EXPECT_STREQ(config.encryption, default_encryption_text);
}

TEST_F(StoreTest, LoadGroupsSelectRows)
{
    sim::set_dword(kInstance, "APMode", 4);
    sim::set_dword(kInstance, "InterruptNumber", 9);
    sim::set_string(kInstance, "OwnName", "stored name");
    std::snprintf(config.own_name, sizeof config.own_name, "kept");

    load_parameters(GROUP_ADAPTER);
    EXPECT_EQ(config.interrupt_number, 9u);
    EXPECT_EQ(config.ap_mode, 0u);  // untouched since store_reset
    load_parameters(GROUP_PROFILE);
    EXPECT_EQ(config.ap_mode, 4u);
    // OwnName is never read back.
    EXPECT_STREQ(config.own_name, "kept");
}

TEST_F(StoreTest, TextsLongerThanTheFieldAreCut)
{
    const std::string long_text(258, 'n');  // the longest reg_read_string delivers
    sim::set_dword(kInstance, "Configured", 1);
    sim::set_string(kInstance, "DesiredSSID", long_text);
    sim::set_string(kInstance, "Encryption", long_text);
    sim::set_string(profile_key(2), "ConfigName", long_text);
    load_parameters(GROUP_ALL);
    load_profile_list();
    EXPECT_EQ(std::string(config.desired_ssid), long_text.substr(0, 255));
    EXPECT_EQ(std::string(config.encryption), long_text.substr(0, 255));
    EXPECT_EQ(std::string(config.profile_names[1]), long_text.substr(0, 255));
    EXPECT_EQ(config.profile_new[1], 0);

    // The cut name keeps the profile alive through the next store.
    store_profile_list();
    EXPECT_TRUE(sim::key_exists(profile_key(2)));
    EXPECT_EQ(sim::get_string(profile_key(2), "ConfigName"), long_text.substr(0, 255));

    // 256 exactly is one too many as well.
    SetUp();
    sim::set_string(kInstance, "OwnSSID", std::string(256, 'o'));
    load_parameters(GROUP_ALL);
    EXPECT_EQ(std::string(config.own_ssid), std::string(255, 'o'));
}

TEST_F(StoreTest, ValuesOfOtherTypesNeverOverflowTexts)
{
    // 258 bytes of binary without a zero, and a REG_DWORD where a text belongs.
    sim::set_value(kInstance, "OwnSSID", PLAT_REG_BINARY, std::vector<uint8_t>(258, 'b'));
    sim::set_dword(kInstance, "DesiredSSID", 0x00434241);
    load_parameters(GROUP_ALL);
    EXPECT_EQ(std::string(config.own_ssid), std::string(255, 'b'));
    EXPECT_STREQ(config.desired_ssid, "ABC");
}

TEST_F(StoreTest, EmptyEncryptionTakesTheDefaultRecord)
{
    const struct {
        bool stored;
        const char* text;
        const char* expected;
    } cases[] = {
        {false, "", default_encryption_text},
        {true, "", default_encryption_text},
        {true, "not a record", "not a record"},  // judged by the pages, not here
    };
    for (const auto& c : cases) {
        SetUp();
        if (c.stored)
            sim::set_string(kInstance, "Encryption", c.text);
        load_parameters(GROUP_ALL);
        EXPECT_STREQ(config.encryption, c.expected) << c.text;
    }
}

// ---- storing ----

struct PlatformCase {
    sim::Windows windows;
    bool as_dword;
};

TEST_F(StoreTest, NumbersFollowThePlatformRule)
{
    const PlatformCase cases[] = {
        {sim::Windows::Win95, false}, {sim::Windows::Win98, false}, {sim::Windows::WinMe, false},
        {sim::Windows::Nt40, true},   {sim::Windows::Win2000, true}, {sim::Windows::WinXp, true},
    };
    for (const PlatformCase& c : cases) {
        SetUp();
        use_windows(c.windows);
        reset_profile_defaults();
        config.port_type = 1;
        config.rts_threshold = 2347;
        config.driver_enable = 1;
        config.configured = 1;
        config.current_profile = 1;
        store_parameters(GROUP_ACTIVE_SET);
        store_parameters(GROUP_ALL);
        for (const std::string& key : {kInstance, profile_key(1)}) {
            uint32_t type = 0;
            std::vector<uint8_t> data;
            ASSERT_TRUE(sim::get_value(key, "PortType", &type, &data)) << key;
            if (c.as_dword) {
                EXPECT_EQ(type, PLAT_REG_DWORD);
                EXPECT_EQ(sim::get_dword(key, "PortType"), 1);
                EXPECT_EQ(sim::get_dword(key, "RTSThreshold"), 2347);
            } else {
                EXPECT_EQ(type, PLAT_REG_SZ);
                EXPECT_EQ(data, (std::vector<uint8_t>{'1', 0}));
                EXPECT_EQ(sim::get_string(key, "RTSThreshold"), "2347");
            }
        }
        if (c.as_dword) {
            EXPECT_EQ(sim::get_dword(kInstance, "DriverEnable"), 1);
        } else {
            EXPECT_EQ(sim::get_string(kInstance, "Configured"), "1");
        }
        // Texts are always REG_SZ.
        EXPECT_EQ(sim::get_string(kInstance, "Encryption"), default_encryption_text);
    }
}

TEST_F(StoreTest, LargeNumbersAsTextAreUnsigned)
{
    use_windows(sim::Windows::Win98);
    config.rts_threshold = 0xFFFFFFFF;
    store_parameters(GROUP_ACTIVE_SET);
    EXPECT_EQ(sim::get_string(kInstance, "RTSThreshold"), "4294967295");
}

TEST_F(StoreTest, AdapterResourcesOnlyOnNt4WithoutSoftex)
{
    const struct {
        sim::Windows windows;
        uint32_t softex;
        bool resources;
        bool address;
    } cases[] = {
        {sim::Windows::Nt40, 0, true, true},      {sim::Windows::Nt40, 1, false, false},
        {sim::Windows::Win95, 0, false, true},    {sim::Windows::Win98, 0, false, true},
        {sim::Windows::Win2000, 0, false, true},  {sim::Windows::WinXp, 0, false, true},
        {sim::Windows::Win98, 1, false, false},   {sim::Windows::Win2000, 1, false, false},
    };
    for (const auto& c : cases) {
        SetUp();
        use_windows(c.windows);
        config.current_profile = 1;
        config.io_base_address = 0x300;
        config.interrupt_number = 10;
        config.softex_pcmcia = c.softex;
        std::snprintf(config.network_address, sizeof config.network_address, "00206612AB01");
        store_parameters(GROUP_ALL);
        store_parameters(GROUP_ACTIVE_SET);
        EXPECT_EQ(sim::has_value(kInstance, "IoBaseAddress"), c.resources);
        EXPECT_EQ(sim::has_value(kInstance, "InterruptNumber"), c.resources);
        if (c.resources) {
            // REG_DWORD even where other numbers are text.
            EXPECT_EQ(sim::get_dword(kInstance, "IoBaseAddress"), 0x300);
            EXPECT_EQ(sim::get_dword(kInstance, "InterruptNumber"), 10);
        }
        EXPECT_EQ(sim::has_value(kInstance, "NetworkAddress"), c.address);
        EXPECT_EQ(sim::has_value(profile_key(1), "NetworkAddress"), c.address);
        // Read, never written.
        EXPECT_FALSE(sim::has_value(kInstance, "SoftexPcmcia"));
        EXPECT_FALSE(sim::has_value(profile_key(1), "IoBaseAddress"));
    }
}

TEST_F(StoreTest, StoreGroupsRouteRows)
{
    config.current_profile = 3;
    reset_profile_defaults();
    config.ap_mode = 5;
    config.driver_enable = 1;
    std::snprintf(config.own_name, sizeof config.own_name, "HOST");

    store_parameters(GROUP_ALL);
    EXPECT_EQ(sim::get_dword(profile_key(3), "APMode"), 5);
    EXPECT_FALSE(sim::has_value(kInstance, "APMode"));
    EXPECT_EQ(sim::get_dword(kInstance, "DriverEnable"), 1);
    EXPECT_EQ(sim::get_string(kInstance, "OwnName"), "HOST");
    EXPECT_FALSE(sim::has_value(profile_key(3), "DriverEnable"));
    EXPECT_FALSE(sim::has_value(profile_key(3), "OwnName"));

    SetUp();
    config.current_profile = 3;
    config.ap_mode = 5;
    store_parameters(GROUP_ACTIVE_SET);
    EXPECT_EQ(sim::get_dword(kInstance, "APMode"), 5);
    EXPECT_FALSE(sim::key_exists(profile_key(3)));

    SetUp();
    config.current_profile = 3;
    store_parameters(GROUP_PROFILE);
    EXPECT_TRUE(sim::has_value(profile_key(3), "APMode"));
    EXPECT_FALSE(sim::has_value(kInstance, "DriverEnable"));
}

TEST_F(StoreTest, NoProfileChosenWritesNoProfileSubkey)
{
    config.current_profile = 0;
    store_parameters(GROUP_ALL);
    EXPECT_TRUE(sim::sub_keys(kInstance).empty());
    EXPECT_TRUE(sim::has_value(kInstance, "DriverEnable"));
    EXPECT_FALSE(sim::has_value(kInstance, "APMode"));
}

TEST_F(StoreTest, StoreThenLoadGivesBackTheProfile)
{
    use_windows(sim::Windows::Win98);  // every number goes through text
    config.current_profile = 4;
    reset_profile_defaults();
    config.system_scale = 3;
    config.rts_threshold = 1234;
    config.pm_enabled = 1;
    config.microwave_robustness = 1;
    config.create_ibss = 1;
    config.port_type = 2;
    config.ap_mode = 3;
    std::snprintf(config.own_ssid, sizeof config.own_ssid, "own");
    std::snprintf(config.desired_ssid, sizeof config.desired_ssid, "desired");
    std::snprintf(config.network_address, sizeof config.network_address, "02AABBCCDDEE");
    const ActiveConfiguration stored = config;
    store_parameters(GROUP_ALL);

    reset_profile_defaults();
    load_parameters(GROUP_PROFILE);
    EXPECT_EQ(config.system_scale, stored.system_scale);
    EXPECT_EQ(config.rts_threshold, stored.rts_threshold);
    EXPECT_EQ(config.pm_enabled, stored.pm_enabled);
    EXPECT_EQ(config.microwave_robustness, stored.microwave_robustness);
    EXPECT_EQ(config.create_ibss, stored.create_ibss);
    EXPECT_EQ(config.port_type, stored.port_type);
    EXPECT_EQ(config.ap_mode, stored.ap_mode);
    EXPECT_STREQ(config.own_ssid, stored.own_ssid);
    EXPECT_STREQ(config.desired_ssid, stored.desired_ssid);
    EXPECT_STREQ(config.network_address, stored.network_address);
    EXPECT_STREQ(config.encryption, stored.encryption);
}

TEST_F(StoreTest, ResetProfileDefaultsLeavesAdapterFields)
{
    std::memset(&config, 0x11, sizeof config);
    for (char* text : {config.encryption, config.desired_ssid, config.own_ssid, config.own_name,
                       config.network_address})
        std::snprintf(text, CONFIG_TEXT_SIZE, "junk");
    reset_profile_defaults();
    EXPECT_EQ(config.pm_enabled, 0u);
    EXPECT_EQ(config.microwave_robustness, 0u);
    EXPECT_EQ(config.create_ibss, 0u);
    EXPECT_EQ(config.ap_mode, 0u);
    EXPECT_EQ(config.system_scale, 1u);
    EXPECT_EQ(config.port_type, 1u);
    EXPECT_EQ(config.own_channel, 1u);
    EXPECT_EQ(config.rts_threshold, 2347u);
    EXPECT_STREQ(config.own_ssid, "");
    EXPECT_STREQ(config.desired_ssid, "");
    EXPECT_STREQ(config.network_address, "");
    EXPECT_STREQ(config.encryption, default_encryption_text);
    // Adapter fields and the rest.
    EXPECT_EQ(config.io_base_address, 0x11111111u);
    EXPECT_EQ(config.interrupt_number, 0x11111111u);
    EXPECT_EQ(config.configured, 0x11111111u);
    EXPECT_EQ(config.driver_enable, 0x11111111u);
    EXPECT_EQ(config.softex_pcmcia, 0x11111111u);
    EXPECT_STREQ(config.own_name, "junk");
    EXPECT_EQ(config.current_profile, 0x11111111u);
}

// ---- the profile list ----

TEST_F(StoreTest, ProfileListLoads)
{
    sim::set_dword(kInstance, "ConfigType", 2);
    sim::set_dword(kInstance, "Configured", 1);
    sim::set_string(profile_key(1), "ConfigName", "Office");
    sim::set_dword(profile_key(1), "NetworkType", NET_PEER_TO_PEER);
    sim::set_string(profile_key(2), "ConfigName", "Home");
    // profile 2 without NetworkType, profile 3 with a type but no name
    sim::set_dword(profile_key(3), "NetworkType", NET_PEER_TO_PEER);
    config.profile_types[1] = NET_ADHOC_DEMO;  // kept when missing
    std::snprintf(config.profile_names[3], CONFIG_TEXT_SIZE, "earlier");
    std::snprintf(config.desired_ssid, CONFIG_TEXT_SIZE, "mine");

    load_profile_list();
    EXPECT_EQ(config.current_profile, 2u);
    EXPECT_STREQ(config.profile_names[0], "Office");
    EXPECT_STREQ(config.profile_names[1], "Home");
    EXPECT_STREQ(config.profile_names[2], "");
    EXPECT_STREQ(config.profile_names[3], "earlier");  // missing value: buffer kept
    const uint32_t types[4] = {NET_PEER_TO_PEER, NET_ADHOC_DEMO, NET_PEER_TO_PEER, 0};
    const uint8_t fresh[4] = {0, 0, 1, 0};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(config.profile_types[n], types[n]) << n;
        EXPECT_EQ(config.shown_types[n], types[n]) << n;
        EXPECT_EQ(config.profile_new[n], fresh[n]) << n;
    }
    EXPECT_STREQ(config.desired_ssid, "mine");  // configured: no network name offered
}

TEST_F(StoreTest, ProfileNewFlagIsOnlyEverSet)
{
    sim::set_string(profile_key(2), "ConfigName", "Named");
    config.profile_new[1] = 1;  // chosen in the dialog, not yet through the sheet
    load_profile_list();
    EXPECT_EQ(config.profile_new[1], 1);
}

TEST_F(StoreTest, ConfigTypeOutsideProfilesLoadsAsNone)
{
    const struct {
        bool stored;
        uint32_t value;
        uint32_t before;
        uint32_t expected;
    } cases[] = {
        {true, 0, 3, 0},          {true, 1, 0, 1},  {true, 4, 0, 4},
        {true, 5, 2, 0},          {true, 7, 2, 0},  {true, 0xFFFFFFFF, 2, 0},
        {false, 0, 3, 3},  // missing: unchanged
    };
    for (const auto& c : cases) {
        SetUp();
        if (c.stored)
            sim::set_dword(kInstance, "ConfigType", c.value);
        config.current_profile = c.before;
        load_profile_list();
        EXPECT_EQ(config.current_profile, c.expected) << c.value;
    }

    // The installer's path: nothing of a Config07 reaches the active set.
    SetUp();
    sim::set_dword(kInstance, "ConfigType", 7);
    sim::set_dword(kInstance, "APMode", 4);
    sim::set_dword(profile_key(7), "APMode", 1);
    load_profile_list();
    load_parameters(GROUP_PROFILE);
    EXPECT_EQ(config.ap_mode, 4u);
}

TEST_F(StoreTest, ProfileListStores)
{
    sim::set_string(profile_key(2), "ConfigName", "Old");
    sim::set_dword(profile_key(2), "APMode", 3);
    sim::set_string(profile_key(2) + "\\Deeper", "x", "y");
    sim::set_string(kDriver, "Config02", "Old");
    sim::set_string(kInstance + "\\Config020", "ConfigName", "neighbour");

    config.current_profile = 3;
    std::snprintf(config.profile_names[0], CONFIG_TEXT_SIZE, "Default");
    config.profile_names[1][0] = '\0';  // cleared in the dialog
    std::snprintf(config.profile_names[2], CONFIG_TEXT_SIZE, "Lab");
    config.profile_types[0] = NET_ACCESS_POINT;
    config.profile_types[2] = NET_PEER_TO_PEER;
    store_profile_list();

    EXPECT_EQ(sim::get_dword(kInstance, "ConfigType"), 3);
    EXPECT_EQ(sim::get_dword(kDriver, "Cur_conf"), 3);
    EXPECT_EQ(sim::get_string(profile_key(1), "ConfigName"), "Default");
    EXPECT_EQ(sim::get_dword(profile_key(1), "NetworkType"), NET_ACCESS_POINT);
    EXPECT_FALSE(sim::key_exists(profile_key(2)));
    EXPECT_TRUE(sim::key_exists(kInstance + "\\Config020"));
    EXPECT_EQ(sim::get_string(profile_key(3), "ConfigName"), "Lab");
    EXPECT_EQ(sim::get_dword(profile_key(3), "NetworkType"), NET_PEER_TO_PEER);
    EXPECT_FALSE(sim::key_exists(profile_key(4)));
    const char* copies[4] = {"Default", "", "Lab", ""};
    for (int n = 1; n <= 4; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "Config%02d", n);
        EXPECT_EQ(sim::get_string(kDriver, name), copies[n - 1]) << name;
    }
}

TEST_F(StoreTest, ProfileListRoundTrip)
{
    config.current_profile = 4;
    std::snprintf(config.profile_names[0], CONFIG_TEXT_SIZE, "One");
    std::snprintf(config.profile_names[3], CONFIG_TEXT_SIZE, "Four");
    config.profile_types[3] = NET_BASE_STATION;
    store_profile_list();
    store_reset();
    load_profile_list();
    EXPECT_EQ(config.current_profile, 4u);
    EXPECT_STREQ(config.profile_names[0], "One");
    EXPECT_STREQ(config.profile_names[3], "Four");
    EXPECT_EQ(config.shown_types[3], NET_BASE_STATION);
    EXPECT_EQ(config.profile_new[0], 0);
    EXPECT_EQ(config.profile_new[1], 1);
}

// ---- identity and bookkeeping ----

TEST_F(StoreTest, DriverIdentityIsClearedBeforeReading)
{
    sim::set_dword(kInstance, "DriverVariant", 1);
    sim::set_string(kInstance, "DriverMajor", "6");
    sim::set_dword(kInstance, "DriverMinor", 41);
    sim::set_dword(kInstance, "Configured", 1);
    sim::set_computer_name("WORKSTATION7");
    read_driver_identity();
    EXPECT_EQ(config.driver_variant, 1u);
    EXPECT_EQ(config.driver_major, 6u);
    EXPECT_EQ(config.driver_minor, 41u);
    EXPECT_EQ(config.configured, 1u);
    EXPECT_STREQ(config.own_name, "WORKSTATION7");

    // The driver's installation went away between two runs of the applet.
    const ActiveConfiguration kept = config;
    sim::reset();
    sim::create_key(kInstance);
    sim::set_computer_name("");
    read_driver_identity();
    EXPECT_EQ(config.driver_variant, 0u);
    EXPECT_EQ(config.driver_major, 0u);
    EXPECT_EQ(config.driver_minor, 0u);
    EXPECT_EQ(config.configured, kept.configured);  // left as it was
    EXPECT_STREQ(config.own_name, "");
}

TEST_F(StoreTest, ComputerNameIsBoundedTo32)
{
    const struct {
        std::string name;
        std::string expected;
    } cases[] = {
        {std::string(32, 'c'), std::string(32, 'c')},
        {std::string(33, 'c'), ""},  // GetComputerNameA refuses it
    };
    for (const auto& c : cases) {
        std::snprintf(config.own_name, CONFIG_TEXT_SIZE, "stale");
        sim::set_computer_name(c.name);
        read_driver_identity();
        EXPECT_EQ(std::string(config.own_name), c.expected);
    }
}

TEST_F(StoreTest, NotConfiguredFollowsTheConfiguredValue)
{
    EXPECT_EQ(config.not_configured, 1);  // as at program start
    EXPECT_EQ(check_not_configured(), 1);
    sim::set_string(kInstance, "Configured", "0");  // present is enough
    EXPECT_EQ(check_not_configured(), 0);
    EXPECT_EQ(config.not_configured, 0);
    sim::reset();
    EXPECT_EQ(check_not_configured(), 1);
    EXPECT_EQ(config.not_configured, 1);
}

TEST_F(StoreTest, NeverConfiguredAdapterIsOfferedTheDefaultNetworkName)
{
    const struct {
        bool stored;
        const char* expected;
    } cases[] = {{false, "Orvix"}, {true, "mine"}};
    for (const auto& c : cases) {
        SetUp();
        if (c.stored)
            sim::set_dword(kInstance, "Configured", 0);
        std::snprintf(config.desired_ssid, CONFIG_TEXT_SIZE, "mine");
        load_profile_list();
        EXPECT_STREQ(config.desired_ssid, c.expected);
    }
}

TEST_F(StoreTest, ResetIsProgramStart)
{
    std::memset(&config, 0x33, sizeof config);
    store_reset();
    const ActiveConfiguration zero{};
    EXPECT_EQ(config.not_configured, 1);
    // Every field before it is zero (the tail padding is nobody's).
    EXPECT_EQ(0, std::memcmp(&config, &zero, offsetof(ActiveConfiguration, not_configured)));
}

// ---- window position ----

TEST(SheetWindowPosition, KeepsOrCentres)
{
    const struct {
        int32_t x, y, width, height, right, bottom;
        int32_t expected_x, expected_y;
        int centred;
    } cases[] = {
        {100, 50, 400, 300, 1024, 768, 100, 50, 0},
        {624, 468, 400, 300, 1024, 768, 624, 468, 0},  // touching both edges
        {625, 50, 400, 300, 1024, 768, 312, 234, 1},   // one pixel past the right
        {100, 469, 400, 300, 1024, 768, 312, 234, 1},  // one past the bottom
        {700, 0, 401, 301, 1024, 768, 311, 233, 1},    // halves truncated
        {-10, 50, 400, 300, 1024, 768, 312, 234, 1},   // off the left: unsigned, never fits
        {100, -1, 400, 300, 1024, 768, 312, 234, 1},
        {0, 0, 700, 500, 640, 480, -30, -10, 1},       // larger than the desktop
        {0, 0, 701, 501, 640, 480, -30, -10, 1},       // truncated toward zero
        {INT32_MAX, 0, 400, 300, 1024, 768, 312, 234, 1},
    };
    for (const auto& c : cases) {
        WindowPosition p = sheet_window_position(c.x, c.y, c.width, c.height, c.right, c.bottom);
        EXPECT_EQ(p.x, c.expected_x) << c.x << "," << c.y;
        EXPECT_EQ(p.y, c.expected_y) << c.x << "," << c.y;
        EXPECT_EQ(p.centred, c.centred) << c.x << "," << c.y;
    }
}

TEST_F(StoreTest, SheetPlacementReadsAndRemembers)
{
    sim::set_dword(kInstance, "X_POS", 40);
    sim::set_dword(kInstance, "Y_POS", 30);
    config.window_x = 900;
    config.window_y = 700;

    // Not asked to read: the position in memory does not fit, so it is centred
    // and remembered in memory only.
    WindowPosition p = place_sheet_window(0, 400, 300, 1024, 768);
    EXPECT_EQ(p.x, 312);
    EXPECT_EQ(p.y, 234);
    EXPECT_EQ(config.window_x, 312);
    EXPECT_EQ(config.window_y, 234);
    EXPECT_EQ(sim::get_dword(kInstance, "X_POS"), 40);

    p = place_sheet_window(1, 400, 300, 1024, 768);
    EXPECT_EQ(p.x, 40);
    EXPECT_EQ(p.y, 30);
    EXPECT_EQ(config.window_x, 40);

    // Missing values leave memory as it is.
    sim::reset();
    p = place_sheet_window(1, 400, 300, 1024, 768);
    EXPECT_EQ(p.x, 40);
    EXPECT_EQ(p.y, 30);
}

TEST_F(StoreTest, DialogPositionIsSaved)
{
    save_dialog_position(123, -4);
    EXPECT_EQ(config.window_x, 123);
    EXPECT_EQ(config.window_y, -4);
    EXPECT_EQ(sim::get_dword(kInstance, "X_POS"), 123);
    EXPECT_EQ(sim::get_dword(kInstance, "Y_POS"), 0xFFFFFFFC);
    store_reset();
    WindowPosition p = place_sheet_window(1, 400, 300, 1024, 768);
    EXPECT_EQ(p.centred, 1);  // -4 never fits
    EXPECT_EQ(config.window_x, 312);
}

// ---- network types ----

TEST(NetworkTypes, CodesStringIdsAndTexts)
{
    const struct {
        uint32_t code;
        uint16_t id;
        const char* text;
    } expected[] = {
        {0, 1449, "Access Point"},        {1, 1450, "Residential Gateway"},
        {2, 1451, "Peer-to-Peer Group"},  {3, 1452, "Act as BaseStation"},
        {4, 1453, "Internet Access Server"}, {5, 1454, "Office Router Client"},
        {6, 1455, "Ad-Hoc Demo mode"},
    };
    for (const auto& e : expected) {
        const NetworkType* type = find_network_type(e.code);
        ASSERT_NE(type, nullptr) << e.code;
        EXPECT_EQ(type->string_id, e.id);
        EXPECT_STREQ(type->text, e.text);
        uint32_t code = 99;
        EXPECT_EQ(network_type_from_string_id(e.id, &code), 1);
        EXPECT_EQ(code, e.code);
    }
    EXPECT_EQ(NET_PEER_TO_PEER, 2u);
    EXPECT_EQ(find_network_type(7), nullptr);
    uint32_t code = 99;
    EXPECT_EQ(network_type_from_string_id(1448, &code), 0);
    EXPECT_EQ(network_type_from_string_id(1456, &code), 0);
    EXPECT_EQ(code, 99u);
}

}  // namespace
