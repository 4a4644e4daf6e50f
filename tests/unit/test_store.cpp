// The configuration store: parameter table loads and stores, the profile
// list, profile key paths, driver identity, window position and the network
// type table.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "discovery.h"
#include "encryption.h"
#include "fixture.h"
#include "library_state.h"
#include "os.h"
#include "sim.h"
#include "store.h"

namespace {

using case_name::operator<<;

typedef ActiveConfiguration AC;

const std::string kInstance = "System\\CurrentControlSet\\Services\\Class\\Net\\0003";
const std::string kDriver = "Software\\Orvix\\Driver";

// "<root>\\ConfigNN", numbered as the store numbers its profile subkeys.
std::string config_key(const std::string& root, uint32_t n) {
    char name[24];
    std::snprintf(name, sizeof name, "\\Config%02lu", static_cast<unsigned long>(n));
    return root + name;
}

std::string profile_key(uint32_t n) { return config_key(kInstance, n); }

ActiveConfiguration& config = active_configuration;

// Every table of cases names its cases.
const auto by_name = [](const auto& info) { return std::string(info.param.name); };

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_library_state();
        std::snprintf(instance_key, sizeof instance_key, "%s", kInstance.c_str());
        sim::create_key(kInstance);
        use_windows(sim::Windows::WinXp);
    }
    // The next SetUp resets everything; here only that this test closed every
    // key it opened.
    void TearDown() override { EXPECT_EQ(sim::open_key_handles(), 0); }
    static void use_windows(sim::Windows which) {
        sim::set_windows(which);
        detect_os_class(nullptr);
    }
};

// ---- the parameter table ----

// The ranged numbers as the registry schema defines them, written out apart
// from parameter_table so that a wrong entry there shows.
struct SchemaRow {
    const char* name;
    uint8_t load_group;
    uint32_t ActiveConfiguration::*field;
    uint32_t minimum;
    uint32_t maximum;
    uint32_t default_number;
};

const SchemaRow SCHEMA_ROWS[] = {
    {"SystemScale", GROUP_PROFILE, &AC::system_scale, 1, 3, 1},
    {"RTSThreshold", GROUP_PROFILE, &AC::rts_threshold, 1, 2347, 2347},
    {"PMEnabled", GROUP_PROFILE, &AC::pm_enabled, 0, 1, 0},
    {"MicroWaveRobustness", GROUP_PROFILE, &AC::microwave_robustness, 0, 1, 0},
    {"CreateIBSS", GROUP_PROFILE, &AC::create_ibss, 0, 1, 0},
    {"IoBaseAddress", GROUP_ADAPTER, &AC::io_base_address, 0x100, 0xFFC0, 0x400},
    {"InterruptNumber", GROUP_ADAPTER, &AC::interrupt_number, 0, 31, 3},
    {"Configured", GROUP_ADAPTER, &AC::configured, 0, 1, 0},
    {"DriverEnable", GROUP_ADAPTER, &AC::driver_enable, 0, 1, 1},
    {"SoftexPcmcia", GROUP_ADAPTER, &AC::softex_pcmcia, 0, 1, 0},
    {"PortType", GROUP_PROFILE, &AC::port_type, 1, 3, 1},
    {"APMode", GROUP_PROFILE, &AC::ap_mode, 0, 5, 0},
};

const ParameterRow* find_row(const char* name) {
    for (const ParameterRow& row : parameter_table)
        if (std::strcmp(row.name, name) == 0) return &row;
    return nullptr;
}

class ParameterSchema : public ::testing::TestWithParam<SchemaRow> {};

TEST_P(ParameterSchema, RowMatchesTheRegistry) {
    const SchemaRow& s = GetParam();
    const ParameterRow* row = find_row(s.name);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->kind, PARAM_NUMBER);
    EXPECT_EQ(row->load_group, s.load_group);
    EXPECT_TRUE(row->number == s.field);
    EXPECT_EQ(row->minimum, s.minimum);
    EXPECT_EQ(row->maximum, s.maximum);
    EXPECT_EQ(row->default_number, s.default_number);
}

INSTANTIATE_TEST_SUITE_P(Store, ParameterSchema, ::testing::ValuesIn(SCHEMA_ROWS), by_name);

TEST(ParameterTable, RangedNumbersAreTheSchemaRows) {
    unsigned ranged = 0;
    for (const ParameterRow& row : parameter_table) {
        if (row.kind != PARAM_NUMBER || row.maximum == 0) continue;
        ++ranged;
        bool known = false;
        for (const SchemaRow& s : SCHEMA_ROWS) known = known || std::strcmp(row.name, s.name) == 0;
        EXPECT_TRUE(known) << row.name;
    }
    EXPECT_EQ(ranged, sizeof SCHEMA_ROWS / sizeof SCHEMA_ROWS[0]);
}

// ---- loading ----

TEST_F(StoreTest, EmptyInstanceKeyLoadsEveryDefault) {
    // Junk left by an earlier run in the same process must not survive.
    std::memset(&config, 0x7B, sizeof config);
    config.current_profile = 0;
    for (auto& name : config.profile_names) name[0] = '\0';
    config.profile_new[0] = config.profile_new[1] = config.profile_new[2] = config.profile_new[3] =
        0;
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
    for (int n = 1; n < 4; ++n) EXPECT_STREQ(config.profile_names[n], "") << n;
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(config.profile_new[n], 1) << n;
        EXPECT_EQ(config.shown_types[n], config.profile_types[n]) << n;
    }
    // Loading reads only.
    EXPECT_EQ(sim::sub_keys(kInstance).size(), 0u);
}

TEST_F(StoreTest, NoInstanceKeyLoadsDefaultsAndWritesNothing) {
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
    EXPECT_EQ(sim::open_key_handles(), 0);

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

// Both ends of every ranged number row load as themselves, one past either end
// as the row's default: at the root for adapter rows and for profile rows
// while no profile is chosen, in the current profile's subkey otherwise.
struct TableRangeCase {
    std::string name;
    const ParameterRow* row;
    uint32_t current_profile;
    uint32_t stored;
    uint32_t expected;
};

std::vector<TableRangeCase> table_range_cases() {
    std::vector<TableRangeCase> cases;
    for (const ParameterRow& row : parameter_table) {
        if (row.kind != PARAM_NUMBER || row.maximum == 0 || row.load_group == GROUP_NONE) continue;
        std::vector<uint32_t> profiles = {0};
        if (row.load_group == GROUP_PROFILE) profiles.push_back(2);
        for (uint32_t profile : profiles) {
            const std::string where = profile == 0 ? "_root" : "_Config02";
            const std::string name = row.name;
            // Compared unsigned: one below 0 is 0xFFFFFFFF, far above every end.
            cases.push_back(
                {name + "_below" + where, &row, profile, row.minimum - 1, row.default_number});
            cases.push_back({name + "_smallest" + where, &row, profile, row.minimum, row.minimum});
            cases.push_back({name + "_largest" + where, &row, profile, row.maximum, row.maximum});
            if (row.maximum != 0xFFFFFFFF)
                cases.push_back(
                    {name + "_above" + where, &row, profile, row.maximum + 1, row.default_number});
        }
    }
    return cases;
}

class TableRange : public StoreTest, public ::testing::WithParamInterface<TableRangeCase> {};

TEST_P(TableRange, EndsLoadAndBeyondTakesTheDefault) {
    const TableRangeCase& c = GetParam();
    const ParameterRow& row = *c.row;
    const bool in_profile = row.load_group == GROUP_PROFILE && c.current_profile != 0;
    sim::set_dword(in_profile ? profile_key(c.current_profile) : kInstance, row.name, c.stored);
    config.current_profile = c.current_profile;
    config.*row.number = 0xA5A5A5A5;  // whatever it was, the load replaces it
    load_parameters(GROUP_ALL);
    EXPECT_EQ(config.*row.number, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Store, TableRange, ::testing::ValuesIn(table_range_cases()), by_name);

struct RangeCase {
    const char* name;
    const char* value;
    uint32_t stored;
    uint32_t ActiveConfiguration::*field;
    uint32_t expected;
};

const RangeCase RANGE_CASES[] = {
    {"RTSThreshold_0", "RTSThreshold", 0, &AC::rts_threshold, 2347},
    {"RTSThreshold_2348", "RTSThreshold", 2348, &AC::rts_threshold, 2347},
    {"RTSThreshold_1", "RTSThreshold", 1, &AC::rts_threshold, 1},
    {"RTSThreshold_500", "RTSThreshold", 500, &AC::rts_threshold, 500},
    {"IoBaseAddress_255", "IoBaseAddress", 255, &AC::io_base_address, 1024},
    {"IoBaseAddress_65473", "IoBaseAddress", 65473, &AC::io_base_address, 1024},
    {"IoBaseAddress_256", "IoBaseAddress", 256, &AC::io_base_address, 256},
    {"IoBaseAddress_65472", "IoBaseAddress", 65472, &AC::io_base_address, 65472},
    {"InterruptNumber_32", "InterruptNumber", 32, &AC::interrupt_number, 3},
    {"InterruptNumber_0", "InterruptNumber", 0, &AC::interrupt_number, 0},
    {"SystemScale_0", "SystemScale", 0, &AC::system_scale, 1},
    {"SystemScale_4", "SystemScale", 4, &AC::system_scale, 1},
    {"SystemScale_3", "SystemScale", 3, &AC::system_scale, 3},
    {"PortType_4", "PortType", 4, &AC::port_type, 1},
    {"APMode_6", "APMode", 6, &AC::ap_mode, 0},
    {"APMode_5", "APMode", 5, &AC::ap_mode, 5},
    {"PMEnabled_2", "PMEnabled", 2, &AC::pm_enabled, 0},
    {"CreateIBSS_1", "CreateIBSS", 1, &AC::create_ibss, 1},
    {"DriverEnable_2", "DriverEnable", 2, &AC::driver_enable, 1},
    {"DriverEnable_0", "DriverEnable", 0, &AC::driver_enable, 0},
    {"Configured_2", "Configured", 2, &AC::configured, 0},
    {"SoftexPcmcia_minus_1", "SoftexPcmcia", 0xFFFFFFFF, &AC::softex_pcmcia, 0},
    // Compared unsigned: -1 is far above every largest value.
    {"MicroWaveRobustness_minus_1", "MicroWaveRobustness", 0xFFFFFFFF, &AC::microwave_robustness,
     0},
};

class NumberRange : public StoreTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(NumberRange, OutOfRangeTakesTheDefault) {
    const RangeCase& c = GetParam();
    sim::set_dword(kInstance, c.value, c.stored);
    load_parameters(GROUP_ALL);
    EXPECT_EQ(config.*c.field, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Store, NumberRange, ::testing::ValuesIn(RANGE_CASES), by_name);

struct NumberTextCase {
    const char* name;
    const char* value;
    const char* text;
    uint32_t ActiveConfiguration::*field;
    uint32_t expected;
};

const NumberTextCase NUMBER_TEXT_CASES[] = {
    {"SystemScale_3", "SystemScale", "3", &AC::system_scale, 3},
    {"RTSThreshold_1000", "RTSThreshold", "1000", &AC::rts_threshold, 1000},
    {"RTSThreshold_minus_5", "RTSThreshold", "-5", &AC::rts_threshold, 2347},
    {"IoBaseAddress_768", "IoBaseAddress", "768", &AC::io_base_address, 768},
    {"PortType_x", "PortType", "x", &AC::port_type, 1},  // reads as 0: out of range
};

class NumberAsText : public StoreTest, public ::testing::WithParamInterface<NumberTextCase> {};

TEST_P(NumberAsText, Loads) {
    const NumberTextCase& c = GetParam();
    sim::set_string(kInstance, c.value, c.text);
    load_parameters(GROUP_ALL);
    EXPECT_EQ(config.*c.field, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Store, NumberAsText, ::testing::ValuesIn(NUMBER_TEXT_CASES), by_name);

TEST_F(StoreTest, ProfileRowsComeFromTheCurrentProfileOrTheRoot) {
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

TEST_F(StoreTest, LoadGroupsSelectRows) {
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

TEST_F(StoreTest, TextsLongerThanTheFieldAreCut) {
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
}

TEST_F(StoreTest, TextOfExactlyTheFieldSizeIsCut) {
    // 256 characters are one too many for a field of 256 bytes as well.
    sim::set_string(kInstance, "OwnSSID", std::string(256, 'o'));
    load_parameters(GROUP_ALL);
    EXPECT_EQ(std::string(config.own_ssid), std::string(255, 'o'));
}

TEST_F(StoreTest, ValuesOfOtherTypesNeverOverflowTexts) {
    // 258 bytes of binary without a zero, and a REG_DWORD where a text belongs.
    sim::set_value(kInstance, "OwnSSID", PLAT_REG_BINARY, std::vector<uint8_t>(258, 'b'));
    sim::set_dword(kInstance, "DesiredSSID", 0x00434241);
    load_parameters(GROUP_ALL);
    EXPECT_EQ(std::string(config.own_ssid), std::string(255, 'b'));
    EXPECT_STREQ(config.desired_ssid, "ABC");
}

struct EncryptionCase {
    const char* name;
    bool stored;
    const char* text;
    const char* expected;
};

const EncryptionCase ENCRYPTION_CASES[] = {
    {"missing", false, "", default_encryption_text},
    {"empty", true, "", default_encryption_text},
    {"not_a_record", true, "not a record", "not a record"},  // judged by the pages, not here
};

class EmptyEncryption : public StoreTest, public ::testing::WithParamInterface<EncryptionCase> {};

TEST_P(EmptyEncryption, TakesTheDefaultRecord) {
    const EncryptionCase& c = GetParam();
    if (c.stored) sim::set_string(kInstance, "Encryption", c.text);
    load_parameters(GROUP_ALL);
    EXPECT_STREQ(config.encryption, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Store, EmptyEncryption, ::testing::ValuesIn(ENCRYPTION_CASES), by_name);

// ---- storing ----

struct PlatformCase {
    const char* name;
    sim::Windows windows;
    bool as_dword;
};

const PlatformCase PLATFORM_CASES[] = {
    {"Win95", sim::Windows::Win95, false},    {"Win98", sim::Windows::Win98, false},
    {"WinMe", sim::Windows::WinMe, false},    {"Nt40", sim::Windows::Nt40, true},
    {"Win2000", sim::Windows::Win2000, true}, {"WinXp", sim::Windows::WinXp, true},
};

class NumbersStored : public StoreTest, public ::testing::WithParamInterface<PlatformCase> {};

TEST_P(NumbersStored, FollowThePlatformRule) {
    const PlatformCase& c = GetParam();
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

INSTANTIATE_TEST_SUITE_P(Store, NumbersStored, ::testing::ValuesIn(PLATFORM_CASES), by_name);

TEST_F(StoreTest, LargeNumbersAsTextAreUnsigned) {
    use_windows(sim::Windows::Win98);
    config.rts_threshold = 0xFFFFFFFF;
    store_parameters(GROUP_ACTIVE_SET);
    EXPECT_EQ(sim::get_string(kInstance, "RTSThreshold"), "4294967295");
}

struct ResourcesCase {
    const char* name;
    sim::Windows windows;
    uint32_t softex;
    bool resources;
    bool address;
};

const ResourcesCase RESOURCES_CASES[] = {
    {"Nt40", sim::Windows::Nt40, 0, true, true},
    {"Nt40_softex", sim::Windows::Nt40, 1, false, false},
    {"Win95", sim::Windows::Win95, 0, false, true},
    {"Win98", sim::Windows::Win98, 0, false, true},
    {"Win2000", sim::Windows::Win2000, 0, false, true},
    {"WinXp", sim::Windows::WinXp, 0, false, true},
    {"Win98_softex", sim::Windows::Win98, 1, false, false},
    {"Win2000_softex", sim::Windows::Win2000, 1, false, false},
};

class AdapterResources : public StoreTest, public ::testing::WithParamInterface<ResourcesCase> {};

TEST_P(AdapterResources, OnlyOnNt4WithoutSoftex) {
    const ResourcesCase& c = GetParam();
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

INSTANTIATE_TEST_SUITE_P(Store, AdapterResources, ::testing::ValuesIn(RESOURCES_CASES), by_name);

TEST_F(StoreTest, StoreAllRoutesRowsToTheirKeys) {
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
}

TEST_F(StoreTest, ActiveSetGoesToTheRootOnly) {
    config.current_profile = 3;
    config.ap_mode = 5;
    store_parameters(GROUP_ACTIVE_SET);
    EXPECT_EQ(sim::get_dword(kInstance, "APMode"), 5);
    EXPECT_FALSE(sim::key_exists(profile_key(3)));
}

TEST_F(StoreTest, ProfileGroupStoresNoAdapterRow) {
    config.current_profile = 3;
    store_parameters(GROUP_PROFILE);
    EXPECT_TRUE(sim::has_value(profile_key(3), "APMode"));
    EXPECT_FALSE(sim::has_value(kInstance, "DriverEnable"));
}

TEST_F(StoreTest, NoProfileChosenWritesNoProfileSubkey) {
    config.current_profile = 0;
    store_parameters(GROUP_ALL);
    EXPECT_TRUE(sim::sub_keys(kInstance).empty());
    EXPECT_TRUE(sim::has_value(kInstance, "DriverEnable"));
    EXPECT_FALSE(sim::has_value(kInstance, "APMode"));
}

TEST_F(StoreTest, StoreThenLoadGivesBackTheProfile) {
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

TEST_F(StoreTest, ResetProfileDefaultsLeavesAdapterFields) {
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

// ---- profile key paths ----

struct ProfilePathCase {
    const char* name;
    uint32_t profile;
    enum Root { ADAPTER, NO_ADAPTER, LONGEST } root;
    enum Room { AMPLE, EXACT, ONE_SHORT, NONE } room;  // buffer size given
    // What the subkey the path names holds.
    enum Name {
        NO_KEY,
        NO_NAME,
        TEXT,
        EMPTY,
        AS_DWORD,
        LONGEST_READ,
        TOO_LONG,
        UNREADABLE,
    } config_name;
    int path;      // profile_key_path
    int existing;  // existing_profile_key_path
};

typedef ProfilePathCase PP;

const ProfilePathCase PROFILE_PATH_CASES[] = {
    // Only 1 to 4, even where a subkey of another number exists.
    {"profile_0", 0, PP::ADAPTER, PP::AMPLE, PP::TEXT, 0, 0},
    {"profile_1", 1, PP::ADAPTER, PP::AMPLE, PP::TEXT, 1, 1},
    {"profile_4", 4, PP::ADAPTER, PP::AMPLE, PP::TEXT, 1, 1},
    {"profile_5", 5, PP::ADAPTER, PP::AMPLE, PP::TEXT, 0, 0},
    {"profile_99", 99, PP::ADAPTER, PP::AMPLE, PP::TEXT, 0, 0},
    {"profile_4294967295", 0xFFFFFFFF, PP::ADAPTER, PP::AMPLE, PP::TEXT, 0, 0},
    // The adapter's subkey holds a profile, but no adapter is known yet.
    {"no_instance_key", 1, PP::NO_ADAPTER, PP::AMPLE, PP::TEXT, 0, 0},
    {"exact_room", 2, PP::ADAPTER, PP::EXACT, PP::TEXT, 1, 1},
    {"one_byte_short", 2, PP::ADAPTER, PP::ONE_SHORT, PP::TEXT, 0, 0},
    {"no_room", 2, PP::ADAPTER, PP::NONE, PP::TEXT, 0, 0},
    // PROFILE_KEY_SIZE holds the longest path there is.
    {"longest_instance_key", 4, PP::LONGEST, PP::AMPLE, PP::TEXT, 1, 1},
    {"longest_instance_key_one_short", 4, PP::LONGEST, PP::ONE_SHORT, PP::TEXT, 0, 0},
    // A profile exists when its ConfigName can be read, whatever it holds.
    {"no_profile_key", 3, PP::ADAPTER, PP::AMPLE, PP::NO_KEY, 1, 0},
    {"no_config_name", 3, PP::ADAPTER, PP::AMPLE, PP::NO_NAME, 1, 0},
    {"empty_config_name", 3, PP::ADAPTER, PP::AMPLE, PP::EMPTY, 1, 1},
    // reg_read_string takes a value of any type as bytes.
    {"config_name_as_dword", 3, PP::ADAPTER, PP::AMPLE, PP::AS_DWORD, 1, 1},
    {"config_name_258_characters", 3, PP::ADAPTER, PP::AMPLE, PP::LONGEST_READ, 1, 1},
    {"config_name_259_characters", 3, PP::ADAPTER, PP::AMPLE, PP::TOO_LONG, 1, 0},
    {"config_name_unreadable", 3, PP::ADAPTER, PP::AMPLE, PP::UNREADABLE, 1, 0},
};

// What a path function left in the first size bytes of buffer, the rest of
// which are guard bytes it must not touch.
void expect_path_buffer(const std::vector<char>& buffer, unsigned size, int result,
                        const std::string& path, bool emptied_on_failure) {
    for (size_t i = size; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], '#') << "written at " << i << ", past the buffer";
    if (result) {
        const char* end = static_cast<const char*>(std::memchr(buffer.data(), 0, size));
        ASSERT_NE(end, nullptr);
        EXPECT_EQ(std::string(buffer.data(), end), path);
    } else if (size == 0) {
        EXPECT_EQ(buffer[0], '#');  // nothing to empty
    } else if (emptied_on_failure) {
        EXPECT_EQ(buffer[0], '\0');
    }
}

class ProfilePath : public StoreTest, public ::testing::WithParamInterface<ProfilePathCase> {};

TEST_P(ProfilePath, NamesTheSubkeyOfProfilesOneToFour) {
    const ProfilePathCase& c = GetParam();
    std::string root = kInstance;
    if (c.root == PP::LONGEST) {
        root += "\\" + std::string(INSTANCE_KEY_SIZE - 2 - kInstance.size(), 'k');
        std::snprintf(instance_key, sizeof instance_key, "%s", root.c_str());
        ASSERT_EQ(std::string(instance_key), root);
        ASSERT_EQ(root.size(), INSTANCE_KEY_SIZE - 1u);
    } else if (c.root == PP::NO_ADAPTER) {
        discovery_reset();
    }
    const std::string path = config_key(root, c.profile);
    switch (c.config_name) {
    case PP::NO_KEY: break;
    case PP::NO_NAME: sim::set_dword(path, "APMode", 1); break;
    case PP::TEXT: sim::set_string(path, "ConfigName", "Office"); break;
    case PP::EMPTY: sim::set_string(path, "ConfigName", ""); break;
    case PP::AS_DWORD: sim::set_dword(path, "ConfigName", 1); break;
    case PP::LONGEST_READ: sim::set_string(path, "ConfigName", std::string(258, 'n')); break;
    case PP::TOO_LONG: sim::set_string(path, "ConfigName", std::string(259, 'n')); break;
    case PP::UNREADABLE:
        sim::set_string(path, "ConfigName", "Office");
        sim::deny_access(path, PLAT_KEY_QUERY_VALUE);
        break;
    }
    unsigned size = PROFILE_KEY_SIZE;
    if (c.room == PP::EXACT)
        size = static_cast<unsigned>(path.size()) + 1;
    else if (c.room == PP::ONE_SHORT)
        size = static_cast<unsigned>(path.size());
    else if (c.room == PP::NONE)
        size = 0;

    std::vector<char> buffer(size + 16, '#');
    const int made = profile_key_path(c.profile, buffer.data(), size);
    EXPECT_EQ(made, c.path);
    EXPECT_EQ(sim::open_key_handles(), 0);
    {
        SCOPED_TRACE("profile_key_path");
        expect_path_buffer(buffer, size, made, path, true);
    }

    buffer.assign(size + 16, '#');
    const int found = existing_profile_key_path(c.profile, buffer.data(), size);
    EXPECT_EQ(found, c.existing);
    EXPECT_EQ(sim::open_key_handles(), 0);
    {
        SCOPED_TRACE("existing_profile_key_path");
        // Refused for want of a readable ConfigName too: no path is left for
        // a caller to take by mistake.
        expect_path_buffer(buffer, size, found, path, true);
    }
}

INSTANTIATE_TEST_SUITE_P(Store, ProfilePath, ::testing::ValuesIn(PROFILE_PATH_CASES), by_name);

TEST_F(StoreTest, ProfilePathsRefuseANullBuffer) {
    sim::set_string(profile_key(1), "ConfigName", "One");
    EXPECT_EQ(profile_key_path(1, nullptr, PROFILE_KEY_SIZE), 0);
    EXPECT_EQ(existing_profile_key_path(1, nullptr, PROFILE_KEY_SIZE), 0);
}

// ---- the profile list ----

TEST_F(StoreTest, ProfileListLoads) {
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

TEST_F(StoreTest, ProfileNewFlagIsOnlyEverSet) {
    sim::set_string(profile_key(2), "ConfigName", "Named");
    config.profile_new[1] = 1;  // chosen in the dialog, not yet through the sheet
    load_profile_list();
    EXPECT_EQ(config.profile_new[1], 1);
}

struct ConfigTypeCase {
    const char* name;
    bool stored;
    uint32_t value;
    uint32_t before;
    uint32_t expected;
};

const ConfigTypeCase CONFIG_TYPE_CASES[] = {
    {"zero", true, 0, 3, 0},     {"one", true, 1, 0, 1},   {"four", true, 4, 0, 4},
    {"five", true, 5, 2, 0},     {"seven", true, 7, 2, 0}, {"all_bits", true, 0xFFFFFFFF, 2, 0},
    {"missing", false, 0, 3, 3},  // unchanged
};

class StoredConfigType : public StoreTest, public ::testing::WithParamInterface<ConfigTypeCase> {};

TEST_P(StoredConfigType, OutsideProfilesLoadsAsNone) {
    const ConfigTypeCase& c = GetParam();
    if (c.stored) sim::set_dword(kInstance, "ConfigType", c.value);
    config.current_profile = c.before;
    load_profile_list();
    EXPECT_EQ(config.current_profile, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Store, StoredConfigType, ::testing::ValuesIn(CONFIG_TYPE_CASES), by_name);

TEST_F(StoreTest, ConfigTypeOutsideProfilesLoadsNoProfileRows) {
    // The installer's path: nothing of a Config07 reaches the active set.
    sim::set_dword(kInstance, "ConfigType", 7);
    sim::set_dword(kInstance, "APMode", 4);
    sim::set_dword(profile_key(7), "APMode", 1);
    load_profile_list();
    load_parameters(GROUP_PROFILE);
    EXPECT_EQ(config.ap_mode, 4u);
}

TEST_F(StoreTest, ProfileListStores) {
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

TEST_F(StoreTest, ProfileListRoundTrip) {
    config.current_profile = 4;
    std::snprintf(config.profile_names[0], CONFIG_TEXT_SIZE, "One");
    std::snprintf(config.profile_names[3], CONFIG_TEXT_SIZE, "Four");
    config.profile_types[3] = NET_BASE_STATION;
    store_profile_list();
    store_reset();  // the applet unloaded and loaded again; the registry stays
    load_profile_list();
    EXPECT_EQ(config.current_profile, 4u);
    EXPECT_STREQ(config.profile_names[0], "One");
    EXPECT_STREQ(config.profile_names[3], "Four");
    EXPECT_EQ(config.shown_types[3], NET_BASE_STATION);
    EXPECT_EQ(config.profile_new[0], 0);
    EXPECT_EQ(config.profile_new[1], 1);
}

// ---- identity and bookkeeping ----

TEST_F(StoreTest, DriverIdentityIsClearedBeforeReading) {
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
    EXPECT_EQ(sim::open_key_handles(), 0);
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

struct ComputerNameCase {
    const char* name;
    std::string computer_name;
    std::string expected;
};

const ComputerNameCase COMPUTER_NAME_CASES[] = {
    {"length_32", std::string(32, 'c'), std::string(32, 'c')},
    {"length_33", std::string(33, 'c'), ""},  // GetComputerNameA refuses it
};

class ComputerName : public StoreTest, public ::testing::WithParamInterface<ComputerNameCase> {};

TEST_P(ComputerName, IsBoundedTo32) {
    const ComputerNameCase& c = GetParam();
    std::snprintf(config.own_name, CONFIG_TEXT_SIZE, "stale");
    sim::set_computer_name(c.computer_name);
    read_driver_identity();
    EXPECT_EQ(std::string(config.own_name), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Store, ComputerName, ::testing::ValuesIn(COMPUTER_NAME_CASES), by_name);

TEST_F(StoreTest, NotConfiguredFollowsTheConfiguredValue) {
    EXPECT_EQ(config.not_configured, 1);  // as at program start
    EXPECT_EQ(check_not_configured(), 1);
    sim::set_string(kInstance, "Configured", "0");  // present is enough
    EXPECT_EQ(check_not_configured(), 0);
    EXPECT_EQ(config.not_configured, 0);
    EXPECT_EQ(sim::open_key_handles(), 0);
    sim::reset();  // the registry went away
    EXPECT_EQ(check_not_configured(), 1);
    EXPECT_EQ(config.not_configured, 1);
}

struct NetworkNameCase {
    const char* name;
    bool stored;
    const char* expected;
};

const NetworkNameCase NETWORK_NAME_CASES[] = {
    {"no_configured_value", false, "Orvix"},
    {"configured_0", true, "mine"},
};

class NeverConfigured : public StoreTest, public ::testing::WithParamInterface<NetworkNameCase> {};

TEST_P(NeverConfigured, AdapterIsOfferedTheDefaultNetworkName) {
    const NetworkNameCase& c = GetParam();
    if (c.stored) sim::set_dword(kInstance, "Configured", 0);
    std::snprintf(config.desired_ssid, CONFIG_TEXT_SIZE, "mine");
    load_profile_list();
    EXPECT_STREQ(config.desired_ssid, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Store, NeverConfigured, ::testing::ValuesIn(NETWORK_NAME_CASES), by_name);

TEST_F(StoreTest, ResetIsProgramStart) {
    std::memset(&config, 0x33, sizeof config);
    store_reset();
    const ActiveConfiguration zero{};
    EXPECT_EQ(config.not_configured, 1);
    // Every field before it is zero (the tail padding is nobody's).
    EXPECT_EQ(0, std::memcmp(&config, &zero, offsetof(ActiveConfiguration, not_configured)));
}

// ---- window position ----

struct PositionCase {
    const char* name;
    int32_t x, y, width, height, right, bottom;
    int32_t expected_x, expected_y;
    int centred;
};

const PositionCase POSITION_CASES[] = {
    {"inside", 100, 50, 400, 300, 1024, 768, 100, 50, 0},
    {"touching_both_edges", 624, 468, 400, 300, 1024, 768, 624, 468, 0},
    {"one_past_the_right", 625, 50, 400, 300, 1024, 768, 312, 234, 1},
    {"one_past_the_bottom", 100, 469, 400, 300, 1024, 768, 312, 234, 1},
    {"halves_truncated", 700, 0, 401, 301, 1024, 768, 311, 233, 1},
    {"off_the_left", -10, 50, 400, 300, 1024, 768, 312, 234, 1},  // unsigned, never fits
    {"off_the_top", 100, -1, 400, 300, 1024, 768, 312, 234, 1},
    {"larger_than_the_desktop", 0, 0, 700, 500, 640, 480, -30, -10, 1},
    {"larger_truncated_toward_zero", 0, 0, 701, 501, 640, 480, -30, -10, 1},
    {"x_at_int32_max", INT32_MAX, 0, 400, 300, 1024, 768, 312, 234, 1},
};

class SheetWindowPosition : public ::testing::TestWithParam<PositionCase> {};

TEST_P(SheetWindowPosition, KeepsOrCentres) {
    const PositionCase& c = GetParam();
    WindowPosition p = sheet_window_position(c.x, c.y, c.width, c.height, c.right, c.bottom);
    EXPECT_EQ(p.x, c.expected_x);
    EXPECT_EQ(p.y, c.expected_y);
    EXPECT_EQ(p.centred, c.centred);
}

INSTANTIATE_TEST_SUITE_P(Store, SheetWindowPosition, ::testing::ValuesIn(POSITION_CASES), by_name);

TEST_F(StoreTest, SheetPlacementReadsAndRemembers) {
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
    EXPECT_EQ(sim::open_key_handles(), 0);
    sim::reset();
    p = place_sheet_window(1, 400, 300, 1024, 768);
    EXPECT_EQ(p.x, 40);
    EXPECT_EQ(p.y, 30);
}

TEST_F(StoreTest, DialogPositionIsSaved) {
    save_dialog_position(123, -4);
    EXPECT_EQ(config.window_x, 123);
    EXPECT_EQ(config.window_y, -4);
    EXPECT_EQ(sim::get_dword(kInstance, "X_POS"), 123);
    EXPECT_EQ(sim::get_dword(kInstance, "Y_POS"), 0xFFFFFFFC);
    store_reset();  // the applet unloaded and loaded again; the registry stays
    WindowPosition p = place_sheet_window(1, 400, 300, 1024, 768);
    EXPECT_EQ(p.centred, 1);  // -4 never fits
    EXPECT_EQ(config.window_x, 312);
}

// ---- network types ----

TEST(NetworkTypes, CodesStringIdsAndTexts) {
    const struct {
        uint32_t code;
        uint16_t id;
        const char* text;
    } expected[] = {
        {0, 1449, "Access Point"},           {1, 1450, "Residential Gateway"},
        {2, 1451, "Peer-to-Peer Group"},     {3, 1452, "Act as BaseStation"},
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
