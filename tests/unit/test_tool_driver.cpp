// RCTOOL48's driver and key commands ('e', 'K', 'M', 'W', 'R 0', 'R 1') over
// the simulated Windows with simcard behind the adapter: exit codes, output,
// what reaches the registry and the card, and in which order.
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "card_fixture.h"
#include "encryption.h"
#include "sim_device.h"
#include "simcard.h"
#include "tool_runner.h"

namespace {

using case_name::operator<<;

using namespace layout;

const char GUID[] = "{5C1D0000-0000-4000-8000-000000000042}";
const char MAC_PLACEHOLDER[] = "XXXXXXXXXXXX";
const char ORVIX_DRIVER[] = "Software\\Orvix\\Driver";

std::string text_102(int step) {
    std::string text;
    for (int i = 0; i < 102; ++i) text += static_cast<char>('&' + (i * step + 3) % 64);
    return text;
}
const std::string TEXT = text_102(5);

std::string encode(const EncryptionRecord& record) {
    char text[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&record, text);
    return text;
}

// A stored record with every field in use, so that what must be kept shows.
EncryptionRecord old_record() {
    EncryptionRecord r;
    init_encryption_record(&r);
    r.tx_key_index = 2;
    r.data_security = 0;
    r.keys[0].length = 13;
    std::memcpy(r.keys[0].material, "ABCDEFGHIJKLMN", 14);
    r.keys[1].length = 5;
    std::memcpy(r.keys[1].material, "slot2", 5);
    r.keys[3].length = 13;
    std::memcpy(r.keys[3].material, "0123456789abc", 13);
    return r;
}
const std::string OLD_TEXT = encode(old_record());

std::string material(const KeySlot& slot) {
    return std::string(reinterpret_cast<const char*>(slot.material), KEY_MATERIAL_SIZE);
}

// The registry as the card saw it when a record was put.
struct AtPut {
    uint16_t id;
    std::string encryption;
    int64_t driver_enable;
};

class ToolDriverTest : public CardTest {
protected:
    void TearDown() override {
        EXPECT_EQ(driver_channel.open_generation, 0u) << "channel left open";
        EXPECT_EQ(sim::open_device_handles(), 0);
    }

    // The card as a device whose puts note what the registry held just then.
    void serve_card(const std::string& name) {
        sim::DeviceHandler inner = simcard_handler(card());
        sim::add_named_device(
            name, [this, inner](uint32_t code, const void* in, uint32_t in_size, void* out,
                                uint32_t out_size, uint32_t* returned) {
                const auto* f = static_cast<const RequestFrame*>(out);
                if (f->command == CHANNEL_COMMAND_PUT_RECORD)
                    at_put_.push_back({f->type, sim::get_string(key_, "Encryption"),
                                       sim::get_dword(key_, "DriverEnable")});
                return inner(code, in, in_size, out, out_size, returned);
            });
    }

    // Windows XP, an installed adapter whose NetCfgInstanceId names the card,
    // profiles 1 (current) and 2 named, the old record stored in both and in
    // the active set; profile 4 named but holding no record.
    void install_xp() {
        sim::set_windows(sim::Windows::WinXp);
        key_ = winxp_pc_card();
        sim::set_string(key_, "NetCfgInstanceId", GUID);
        sim::set_dword(key_, "ConfigType", 1);
        sim::set_string(key_, "Encryption", OLD_TEXT);
        for (const char* profile : {"\\Config01", "\\Config02"}) {
            sim::set_string(key_ + profile, "ConfigName", profile + 1);
            sim::set_string(key_ + profile, "Encryption", OLD_TEXT);
        }
        sim::set_string(key_ + "\\Config04", "ConfigName", "Config04");
        serve_card(GUID);
    }

    // The 102 characters of record 0x0900 as the card received them.
    std::string encryption_on_card() {
        std::string text;
        for (uint16_t w : stored(0x0900)) {
            text += static_cast<char>(w & 0xFF);
            text += static_cast<char>(w >> 8);
        }
        return text;
    }

    int ioctls() const {
        int n = 0;
        for (const auto& e : sim::device_log()) n += e == "ioctl";
        return n;
    }

    std::string key_;
    std::vector<AtPut> at_put_;
};

// ---------------------------------------------------------------- exit codes

using Setup = std::function<void(const std::string& key, SimCard*)>;

struct DriverCase {
    const char* name;
    Setup setup;  // after install_xp
    std::vector<std::string> arguments;
    int exit_code;
    std::string output;
    // What the card shows afterwards.
    enum Card { NO_EXCHANGE, NOTHING_PUT, ENCRYPTION_PUT, ENABLE_PUT } card;
    // What the registry shows afterwards.
    enum Registry { UNCHANGED, TEXT_STORED, KEY_STORED, ENABLE_0, ENABLE_1 } registry;
};

class DriverCommands : public ToolDriverTest, public ::testing::WithParamInterface<DriverCase> {};

TEST_P(DriverCommands, EndAndLeaveTheirEffects) {
    const DriverCase& c = GetParam();
    install_xp();
    if (c.setup) c.setup(key_, card());
    const std::string before = sim::dump();

    ToolResult r = run_tool(c.arguments);
    EXPECT_EQ(r.exit_code, c.exit_code);
    EXPECT_EQ(r.output, c.output);

    switch (c.card) {
    case DriverCase::NO_EXCHANGE: EXPECT_EQ(ioctls(), 0); break;
    case DriverCase::NOTHING_PUT: EXPECT_EQ(card()->counters.puts, 0u); break;
    case DriverCase::ENCRYPTION_PUT:
    case DriverCase::ENABLE_PUT:
        EXPECT_EQ(card()->counters.puts, 1u);
        EXPECT_EQ(card()->counters.last_put_id,
                  c.card == DriverCase::ENCRYPTION_PUT ? 0x0900u : 0x0902u);
        EXPECT_EQ(card()->counters.actions, 1u);
        EXPECT_EQ(card()->counters.last_action, 128u);
        break;
    }
    switch (c.registry) {
    case DriverCase::UNCHANGED: EXPECT_EQ(sim::dump(), before); break;
    case DriverCase::TEXT_STORED: EXPECT_EQ(sim::get_string(key_, "Encryption"), TEXT); break;
    case DriverCase::KEY_STORED: EXPECT_NE(sim::get_string(key_, "Encryption"), OLD_TEXT); break;
    case DriverCase::ENABLE_0: EXPECT_EQ(sim::get_dword(key_, "DriverEnable"), 0); break;
    case DriverCase::ENABLE_1: EXPECT_EQ(sim::get_dword(key_, "DriverEnable"), 1); break;
    }
}

const Setup wrong_identity = [](const std::string&, SimCard* c) {
    simcard_set_identity(c, 1, 6, 40);
};
const Setup no_driver = [](const std::string&, SimCard*) {
    sim::remove_device(std::string("\\Device\\") + GUID);
};
const Setup refused_range = [](const std::string&, SimCard* c) { simcard_set_range(c, 47, 1, 99); };
const Setup always_busy = [](const std::string&, SimCard* c) { c->faults.busy_connects = 10; };
const Setup identity_unread = [](const std::string&, SimCard* c) {
    c->faults.no_answer_active = 1;
    c->faults.no_answer_record = 0x0826;
};
const Setup registry_release_40 = [](const std::string& key, SimCard*) {
    sim::set_dword(key, "DriverMinor", 40);
};
const Setup no_adapter = [](const std::string&, SimCard*) {
    sim::set_windows(sim::Windows::WinXp);
    discovery_reset();
    sim::set_dword(std::string(NT_ENUM) + "\\PCMCIA\\" + ID1 + "\\1", "DrvInst", 99);
};
const Setup mac_record = [](const std::string&, SimCard* c) {
    const uint16_t words[] = {0x3412, 0x7856, 0xBC9A, 0xDEAD, 0xBEEF};
    simcard_set_record(c, 0xFC01, 6, words);  // longer than asked: status 8
};
const Setup short_mac = [](const std::string&, SimCard* c) {
    const uint16_t words[] = {0x3412, 0x7856};
    simcard_set_record(c, 0xFC01, 3, words);
};
const Setup mac_missing = [](const std::string&, SimCard* c) { simcard_remove_record(c, 0xFC01); };
const Setup mac_unread = [](const std::string&, SimCard* c) {
    c->faults.no_answer_active = 1;
    c->faults.no_answer_record = 0xFC01;
};
const Setup registry_read_only = [](const std::string& key, SimCard*) {
    sim::deny_access(key, PLAT_KEY_SET_VALUE);
};

using C = DriverCase;

INSTANTIATE_TEST_SUITE_P(
    Tool, DriverCommands,
    ::testing::Values(
        // 'e': the registry first, then the card.
        C{"e_applies", {}, {"e", TEXT, "0"}, 0, "", C::ENCRYPTION_PUT, C::TEXT_STORED},
        C{"e_wrong_identity",
          wrong_identity,
          {"e", TEXT, "0"},
          5,
          "",
          C::NOTHING_PUT,
          C::TEXT_STORED},
        C{"e_identity_unread",
          identity_unread,
          {"e", TEXT, "0"},
          5,
          "",
          C::NOTHING_PUT,
          C::TEXT_STORED},
        C{"e_no_driver", no_driver, {"e", TEXT, "0"}, 6, "", C::NO_EXCHANGE, C::TEXT_STORED},
        C{"e_range_refused",
          refused_range,
          {"e", TEXT, "0"},
          6,
          "",
          C::NOTHING_PUT,
          C::TEXT_STORED},
        C{"e_busy", always_busy, {"e", TEXT, "0"}, 6, "", C::NOTHING_PUT, C::TEXT_STORED},
        C{"e_store_fails", {}, {"e", TEXT, "3"}, 3, "", C::NO_EXCHANGE, C::UNCHANGED},
        C{"e_registry_read_only",
          registry_read_only,
          {"e", TEXT, "0"},
          3,
          "",
          C::NO_EXCHANGE,
          C::UNCHANGED},
        C{"e_registry_release",
          registry_release_40,
          {"e", TEXT},
          5,
          "",
          C::NO_EXCHANGE,
          C::UNCHANGED},
        C{"e_no_adapter", no_adapter, {"e", TEXT}, 2, "", C::NO_EXCHANGE, C::UNCHANGED},
        // 'W': the card first, then the registry.
        C{"W_applies", {}, {"W", "abcde", "0"}, 0, "", C::ENCRYPTION_PUT, C::KEY_STORED},
        C{"W_wrong_identity", wrong_identity, {"W", "abcde"}, 5, "", C::NOTHING_PUT, C::UNCHANGED},
        C{"W_no_driver", no_driver, {"W", "abcde"}, 6, "", C::NO_EXCHANGE, C::UNCHANGED},
        C{"W_range_refused", refused_range, {"W", "abcde"}, 6, "", C::NOTHING_PUT, C::UNCHANGED},
        C{"W_profile_without_name",
          {},
          {"W", "abcde", "3"},
          3,
          "",
          C::ENCRYPTION_PUT,
          C::UNCHANGED},
        C{"W_stored_text_missing", {}, {"W", "abcde", "4"}, 3, "", C::ENCRYPTION_PUT, C::UNCHANGED},
        C{"W_registry_read_only",
          registry_read_only,
          {"W", "abcde", "0"},
          3,
          "",
          C::ENCRYPTION_PUT,
          C::UNCHANGED},
        C{"W_four_characters", {}, {"W", "abcd"}, 4, "", C::NO_EXCHANGE, C::UNCHANGED},
        C{"W_six_characters", {}, {"W", "abcdef"}, 4, "", C::NO_EXCHANGE, C::UNCHANGED},
        C{"W_tab", {}, {"W", "ab\tde"}, 4, "", C::NO_EXCHANGE, C::UNCHANGED},
        C{"W_delete_character", {}, {"W", "abcd\x7F"}, 4, "", C::NO_EXCHANGE, C::UNCHANGED},
        C{"W_unit_separator", {}, {"W", "\037bcde"}, 4, "", C::NO_EXCHANGE, C::UNCHANGED},
        C{"W_eight_bit_character", {}, {"W", "abcd\xE9"}, 4, "", C::NO_EXCHANGE, C::UNCHANGED},
        C{"W_empty", {}, {"W", ""}, 4, "", C::NO_EXCHANGE, C::UNCHANGED},
        C{"W_no_adapter_before_bad_key",
          no_adapter,
          {"W", "ab"},
          2,
          "",
          C::NO_EXCHANGE,
          C::UNCHANGED},
        // 'M'
        C{"M_reads_the_mac", {}, {"M"}, 0, "02005C4C7B11", C::NOTHING_PUT, C::UNCHANGED},
        C{"M_longer_mac_record",
          mac_record,
          {"M"},
          0,
          "123456789ABC",
          C::NOTHING_PUT,
          C::UNCHANGED},
        C{"M_short_mac_record", short_mac, {"M"}, 6, MAC_PLACEHOLDER, C::NOTHING_PUT, C::UNCHANGED},
        C{"M_mac_missing", mac_missing, {"M"}, 6, MAC_PLACEHOLDER, C::NOTHING_PUT, C::UNCHANGED},
        C{"M_mac_unread", mac_unread, {"M"}, 6, MAC_PLACEHOLDER, C::NOTHING_PUT, C::UNCHANGED},
        C{"M_wrong_identity",
          wrong_identity,
          {"M"},
          5,
          MAC_PLACEHOLDER,
          C::NOTHING_PUT,
          C::UNCHANGED},
        C{"M_no_driver", no_driver, {"M"}, 6, MAC_PLACEHOLDER, C::NO_EXCHANGE, C::UNCHANGED},
        C{"M_range_refused",
          refused_range,
          {"M"},
          6,
          MAC_PLACEHOLDER,
          C::NOTHING_PUT,
          C::UNCHANGED},
        C{"M_busy", always_busy, {"M"}, 6, MAC_PLACEHOLDER, C::NOTHING_PUT, C::UNCHANGED},
        C{"M_no_adapter", no_adapter, {"M"}, 6, MAC_PLACEHOLDER, C::NO_EXCHANGE, C::UNCHANGED},
        C{"M_argument", {}, {"M", "1"}, 4, MAC_PLACEHOLDER, C::NO_EXCHANGE, C::UNCHANGED},
        // 'R 0' and 'R 1': the registry first, then the card; only the
        // registry decides the exit code.
        C{"R0_applies", {}, {"R", "0"}, 0, "", C::ENABLE_PUT, C::ENABLE_0},
        C{"R1_applies", {}, {"R", "1"}, 0, "", C::ENABLE_PUT, C::ENABLE_1},
        C{"R1_only_first_character", {}, {"R", "1x"}, 0, "", C::ENABLE_PUT, C::ENABLE_1},
        C{"R0_wrong_identity", wrong_identity, {"R", "0"}, 0, "", C::NOTHING_PUT, C::ENABLE_0},
        C{"R1_no_driver", no_driver, {"R", "1"}, 0, "", C::NO_EXCHANGE, C::ENABLE_1},
        C{"R1_range_refused", refused_range, {"R", "1"}, 0, "", C::NOTHING_PUT, C::ENABLE_1},
        C{"R1_registry_read_only",
          registry_read_only,
          {"R", "1"},
          3,
          "",
          C::ENABLE_PUT,
          C::UNCHANGED},
        C{"R0_registry_read_only_no_driver",
          [](const std::string& key, SimCard* c) {
              registry_read_only(key, c);
              no_driver(key, c);
          },
          {"R", "0"},
          3,
          "",
          C::NO_EXCHANGE,
          C::UNCHANGED},
        C{"R_registry_release",
          registry_release_40,
          {"R", "1"},
          5,
          "",
          C::NO_EXCHANGE,
          C::UNCHANGED},
        C{"R_three", {}, {"R", "3"}, 4, "", C::NO_EXCHANGE, C::UNCHANGED},
        C{"R2_asks_no_driver", {}, {"R", "2"}, 201, "", C::NO_EXCHANGE, C::UNCHANGED}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- order of effects

TEST_F(ToolDriverTest, StoreAndApplyRecordsStoreFirst) {
    install_xp();
    ASSERT_EQ(run_tool({"e", TEXT, "0"}).exit_code, 0);
    ASSERT_EQ(at_put_.size(), 1u);
    EXPECT_EQ(at_put_[0].id, 0x0900);
    EXPECT_EQ(at_put_[0].encryption, TEXT);  // already stored when the card got it
    EXPECT_EQ(encryption_on_card(), TEXT);
    // The profile rules are the store's: profile 2 is not current.
    ASSERT_EQ(run_tool({"e", text_102(7), "2"}).exit_code, 0);
    EXPECT_EQ(sim::get_string(key_ + "\\Config02", "Encryption"), text_102(7));
    EXPECT_EQ(sim::get_string(key_, "Encryption"), TEXT);
    EXPECT_EQ(encryption_on_card(), text_102(7));
}

TEST_F(ToolDriverTest, FirstKeyAppliesBeforeItStores) {
    install_xp();
    ASSERT_EQ(run_tool({"W", "AbCdE"}).exit_code, 0);
    ASSERT_EQ(at_put_.size(), 1u);
    EXPECT_EQ(at_put_[0].encryption, OLD_TEXT);  // still the old record then
    EXPECT_NE(sim::get_string(key_, "Encryption"), OLD_TEXT);
}

TEST_F(ToolDriverTest, DriverEnableIsStoredBeforeTheCardIsTold) {
    install_xp();
    sim::set_dword(key_, "DriverEnable", 1);
    ASSERT_EQ(run_tool({"R", "0"}).exit_code, 0);
    ASSERT_EQ(at_put_.size(), 1u);
    EXPECT_EQ(at_put_[0].id, 0x0902);
    EXPECT_EQ(at_put_[0].driver_enable, 0);
    EXPECT_EQ(stored(0x0902), std::vector<uint16_t>{0});
    ASSERT_EQ(run_tool({"R", "1"}).exit_code, 0);
    EXPECT_EQ(stored(0x0902), std::vector<uint16_t>{1});
    EXPECT_EQ(sim::get_dword(key_, "DriverEnable"), 1);
}

// ---------------------------------------------------------------- 'W' records

TEST_F(ToolDriverTest, FirstKeyGivesTheCardAFreshRecordWithTheKeyLowerCased) {
    install_xp();
    ASSERT_EQ(run_tool({"W", "AbCdE", "0"}).exit_code, 0);
    EncryptionRecord sent;
    ASSERT_EQ(decode_valid_encryption_text(encryption_on_card().c_str(), &sent), 1);
    EXPECT_EQ(sent.tx_key_index, 0);
    EXPECT_EQ(sent.data_security, 1);
    EXPECT_EQ(sent.key_block_length, 33);
    EXPECT_EQ(sent.key_block_type, 0xFCB0);
    EXPECT_EQ(sent.keys[0].length, 5);
    EXPECT_EQ(material(sent.keys[0]), std::string("abcde") + std::string(9, '\0'));
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(sent.keys[i].length, 0) << i;
        EXPECT_EQ(material(sent.keys[i]), std::string(14, '\0')) << i;
    }
}

TEST_F(ToolDriverTest, FirstKeyKeepsTheRestOfTheStoredRecord) {
    install_xp();
    ASSERT_EQ(run_tool({"W", "VWXYZ", "0"}).exit_code, 0);
    EncryptionRecord stored;
    ASSERT_EQ(decode_valid_encryption_text(sim::get_string(key_, "Encryption").c_str(), &stored),
              1);
    const EncryptionRecord old = old_record();
    EXPECT_EQ(stored.keys[0].length, 5);
    // Five characters and a zero; the slot's last eight bytes as they were.
    EXPECT_EQ(material(stored.keys[0]), std::string("vwxyz\0GHIJKLMN", 14));
    EXPECT_EQ(stored.data_security, 1);
    EXPECT_EQ(stored.tx_key_index, old.tx_key_index);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(stored.keys[i].length, old.keys[i].length) << i;
        EXPECT_EQ(material(stored.keys[i]), material(old.keys[i])) << i;
    }
    // Profile 0 is the active set only.
    EXPECT_EQ(sim::get_string(key_ + "\\Config01", "Encryption"), OLD_TEXT);
}

TEST_F(ToolDriverTest, FirstKeyFollowsTheProfileRules) {
    install_xp();
    ASSERT_EQ(run_tool({"W", "k1k1k"}).exit_code, 0);  // profile 1, the current one
    const std::string both = sim::get_string(key_, "Encryption");
    EXPECT_NE(both, OLD_TEXT);
    EXPECT_EQ(sim::get_string(key_ + "\\Config01", "Encryption"), both);
    ASSERT_EQ(run_tool({"W", "k2k2k", "2"}).exit_code, 0);
    EXPECT_NE(sim::get_string(key_ + "\\Config02", "Encryption"), OLD_TEXT);
    EXPECT_EQ(sim::get_string(key_, "Encryption"), both);
}

TEST_F(ToolDriverTest, FirstKeyAcceptsTheEdgesOfPrintable) {
    install_xp();
    ASSERT_EQ(run_tool({"W", " ~Z@[", "0"}).exit_code, 0);
    EncryptionRecord stored;
    ASSERT_EQ(decode_valid_encryption_text(sim::get_string(key_, "Encryption").c_str(), &stored),
              1);
    EXPECT_EQ(material(stored.keys[0]).substr(0, 6), std::string(" ~z@[\0", 6));
}

struct BadStoredCase {
    const char* name;
    std::function<void(const std::string& key)> spoil;
};

class FirstKeyBadStoredRecord : public ToolDriverTest,
                                public ::testing::WithParamInterface<BadStoredCase> {};

// The card already runs with the new key; the registry keeps the old value.
TEST_P(FirstKeyBadStoredRecord, Ends3AfterTheCardGotTheKey) {
    install_xp();
    GetParam().spoil(key_);
    const std::string before = sim::dump();
    EXPECT_EQ(run_tool({"W", "abcde", "0"}).exit_code, 3);
    EncryptionRecord sent;
    ASSERT_EQ(decode_valid_encryption_text(encryption_on_card().c_str(), &sent), 1);
    EXPECT_EQ(material(sent.keys[0]).substr(0, 5), "abcde");
    EXPECT_EQ(sim::dump(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Tool, FirstKeyBadStoredRecord,
    ::testing::Values(BadStoredCase{"empty",
                                    [](const std::string& key) {
                                        sim::set_string(key, "Encryption", "");
                                    }},
                      BadStoredCase{"101_characters",
                                    [](const std::string& key) {
                                        sim::set_string(key, "Encryption", OLD_TEXT.substr(0, 101));
                                    }},
                      BadStoredCase{"103_characters",
                                    [](const std::string& key) {
                                        sim::set_string(key, "Encryption", OLD_TEXT + "A");
                                    }},
                      BadStoredCase{"wrong_magic",
                                    [](const std::string& key) {
                                        EncryptionRecord r = old_record();
                                        r.magic = 0x48576878;
                                        sim::set_string(key, "Encryption", encode(r));
                                    }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- wrong identity

// Nothing but the open, the identity and the close reach a card of another
// release, whatever the command.
TEST_F(ToolDriverTest, WrongIdentityEndsBeforeAnyRecordWork) {
    const std::vector<std::vector<std::string>> commands = {
        {"e", TEXT, "0"}, {"W", "abcde", "0"}, {"M"}, {"R", "1"}};
    for (const auto& arguments : commands) {
        restart();
        simcard_init(card());
        install_xp();
        simcard_set_identity(card(), 1, 6, 40);
        run_tool(arguments);
        SCOPED_TRACE(arguments[0]);
        ASSERT_EQ(card()->counters.log_count, 4u);
        const uint16_t expected[][2] = {{SIMCARD_CMD_CONNECT, 0},
                                        {SIMCARD_CMD_GET, 0x0827},
                                        {SIMCARD_CMD_GET, 0x0826},
                                        {SIMCARD_CMD_DISCONNECT, 0}};
        for (unsigned i = 0; i < 4; ++i) {
            EXPECT_EQ(simcard_log_entry(card(), i)->command, expected[i][0]) << i;
            if (expected[i][1]) {
                EXPECT_EQ(simcard_log_entry(card(), i)->type, expected[i][1]);
            }
        }
        const SimCardLogEntry* identity = simcard_log_entry(card(), 2);
        EXPECT_EQ(identity->length, 5);
    }
}

// ---------------------------------------------------------------- 'M' on each Windows

struct MacCase {
    const char* name;
    sim::Windows windows;
    std::function<void(SimCard*)> install;
};

class MacAddress : public ToolDriverTest, public ::testing::WithParamInterface<MacCase> {};

TEST_P(MacAddress, IsPrintedAsTwelveUpperCaseHexDigits) {
    sim::set_windows(GetParam().windows);
    const uint8_t mac[6] = {0xAB, 0xCD, 0xEF, 0x01, 0x2A, 0xF5};
    simcard_set_mac(card(), mac);
    GetParam().install(card());
    ToolResult r = run_tool({"M"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output, "ABCDEF012AF5");
    EXPECT_EQ(card()->counters.disconnects, 1u);
    EXPECT_EQ(card()->counters.puts, 0u);
}

void xp_or_2000_card(sim::Windows which, SimCard* card) {
    const std::string key = which == sim::Windows::Win2000 ? win2000_pc_card() : winxp_pc_card();
    sim::set_string(key, "NetCfgInstanceId", GUID);
    simcard_add_named_device(GUID, card);
}

INSTANTIATE_TEST_SUITE_P(
    Tool, MacAddress,
    ::testing::Values(MacCase{"win95", sim::Windows::Win95,
                              [](SimCard* c) { simcard_add_named_device("RUORX41.VXD", c); }},
                      MacCase{"win98_generation_51", sim::Windows::Win98,
                              [](SimCard* c) { simcard_add_named_device("RUORX51.VXD", c); }},
                      MacCase{"nt4_instance_3", sim::Windows::Nt40,
                              [](SimCard* c) { simcard_add_device("\\Device\\RLORX523", c); }},
                      MacCase{"win2000", sim::Windows::Win2000,
                              [](SimCard* c) { xp_or_2000_card(sim::Windows::Win2000, c); }},
                      MacCase{"winxp", sim::Windows::WinXp,
                              [](SimCard* c) { xp_or_2000_card(sim::Windows::WinXp, c); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ToolDriverTest, MacOnNt4LeavesNoDosNameBehind) {
    sim::set_windows(sim::Windows::Nt40);
    simcard_add_device("\\Device\\RLORX523", card());
    EXPECT_EQ(run_tool({"M"}).output, "02005C4C7B11");
    for (const char* name : {"RLORX521", "RLORX522", "RLORX523"})
        EXPECT_FALSE(sim::dos_name_exists(name)) << name;
}

// ---------------------------------------------------------------- 'K'

struct KeysCase {
    const char* name;
    std::vector<std::string> arguments;
    uint16_t tx_key_index;
    uint16_t lengths[4];
    std::string materials[4];  // 14 bytes each
};

std::string padded(const std::string& bytes) {
    return bytes + std::string(14 - bytes.size(), '\0');
}

class SetKeys : public ToolDriverTest, public ::testing::WithParamInterface<KeysCase> {};

TEST_P(SetKeys, BuildTheRecordFromTheDefault) {
    const KeysCase& c = GetParam();
    install_xp();
    ASSERT_EQ(run_tool({"K", c.arguments[0], c.arguments[1], c.arguments[2], c.arguments[3],
                        c.arguments[4]})
                  .exit_code,
              0);
    // Profile 1 is the current one: its key and the active set.
    const std::string text = sim::get_string(key_ + "\\Config01", "Encryption");
    EXPECT_EQ(sim::get_string(key_, "Encryption"), text);
    EncryptionRecord r;
    ASSERT_EQ(decode_valid_encryption_text(text.c_str(), &r), 1) << text;
    EXPECT_EQ(r.tx_key_index, c.tx_key_index);
    EXPECT_EQ(r.data_security, 1);
    EXPECT_EQ(r.key_block_length, 33);
    EXPECT_EQ(r.key_block_type, 0xFCB0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.keys[i].length, c.lengths[i]) << "slot " << i;
        EXPECT_EQ(material(r.keys[i]), padded(c.materials[i])) << "slot " << i;
    }
    EXPECT_TRUE(sim::device_log().empty());  // the driver is not told
}

const std::string BYTES_00_0C("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C", 13);

INSTANTIATE_TEST_SUITE_P(
    Tool, SetKeys,
    ::testing::Values(KeysCase{"placeholder_empty_text_hex",
                               {"1", "-", "", "abcde", "0X000102030405060708090A0B0C"},
                               0,
                               {0, 0, 5, 13},
                               {"", "", "abcde", BYTES_00_0C}},
                      KeysCase{"short_hex_and_long_text",
                               {"2", "0x0a1B2c3D4e", "ABCDEFGHIJKLM", "x", ""},
                               1,
                               {5, 13, 0, 0},
                               {"\x0A\x1B\x2C\x3D\x4E", "ABCDEFGHIJKLM", "", ""}},
                      KeysCase{"four_text_keys",
                               {"4", "abcde", "fghij", "klmno", "pqrst"},
                               3,
                               {5, 5, 5, 5},
                               {"abcde", "fghij", "klmno", "pqrst"}},
                      KeysCase{"hex_all_ones",
                               {"3", "0xFFFFFFFFFF", "0Xffffffffffffffffffffffffff", "-", "0"},
                               2,
                               {5, 13, 0, 0},
                               {std::string(5, '\xFF'), std::string(13, '\xFF'), "", ""}},
                      // A 12- or 28-character text that is a hex form is taken as one.
                      KeysCase{"text_that_looks_like_13",
                               {"1", "0x00000000000000000000000000", "0x3132333435", " ", "\t"},
                               0,
                               {13, 5, 0, 0},
                               {std::string(13, '\0'), "12345", "", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ToolDriverTest, SetKeysRefusesBadArguments) {
    install_xp();
    const std::vector<std::string> good = {"1", "abcde", "fghij", "klmno", "pqrst"};
    struct Case {
        unsigned position;
        std::string argument;
    };
    const Case cases[] = {
        {0, "0"},
        {0, "5"},
        {0, ""},
        {0, "12"},
        {0, "a"},
        {0, "1 "},
        {1, "abcdefghij"},  // 10 characters
        {1, "ab"},
        {2, "abcd"},
        {3, "abcdef"},
        {4, "abcdefghijklmn"},
        {1, "abcdefghijkl"},  // 12 without 0x
        {2, "0x12345678zz"},  // 12 with a non-hex digit
        {3, "1x0102030405"},
        {4, "0x0102030405060708090a0b0c0g"},  // 28 with a non-hex digit
        {4, "0y0102030405060708090a0b0c0d"},
        {4, std::string(29, 'a')},
    };
    const std::string before = sim::dump();
    for (const Case& c : cases) {
        std::vector<std::string> arguments = good;
        arguments[c.position] = c.argument;
        ToolResult r =
            run_tool({"K", arguments[0], arguments[1], arguments[2], arguments[3], arguments[4]});
        EXPECT_EQ(r.exit_code, 4) << c.position << " [" << c.argument << "]";
    }
    EXPECT_EQ(sim::dump(), before);
    EXPECT_TRUE(sim::device_log().empty());
    EXPECT_EQ(run_tool({"K", "1", "a", "b", "c"}).exit_code, 4);
    EXPECT_EQ(run_tool({"K", "1", "a", "b", "c", "d", "e"}).exit_code, 4);
}

std::string xp_instance() { return std::string(NT_CLASS) + "\\" + NET_GUID + "\\0007"; }

void xp_with_profile_1(uint32_t current) {
    winxp_pc_card();
    sim::set_dword(xp_instance(), "ConfigType", current);
    sim::set_string(xp_instance() + "\\Config01", "ConfigName", "Home");
}

struct KeysStoreCase {
    const char* name;
    std::function<void()> setup;
    const char* transmit_key;
    int exit_code;
    std::string stored_at;  // key holding the new "Encryption"; "" none
};

class SetKeysStore : public ToolDriverTest, public ::testing::WithParamInterface<KeysStoreCase> {};

TEST_P(SetKeysStore, GoesToProfile1OrWaitsForTheInstallation) {
    const KeysStoreCase& c = GetParam();
    sim::set_windows(sim::Windows::WinXp);
    c.setup();
    EXPECT_EQ(run_tool({"K", c.transmit_key, "abcde", "-", "-", "-"}).exit_code, c.exit_code);
    if (c.stored_at.empty()) {
        for (const std::string& key :
             {std::string(ORVIX_DRIVER), xp_instance(), xp_instance() + "\\Config01"})
            EXPECT_FALSE(sim::has_value(key, "Encryption")) << key;
        return;
    }
    EncryptionRecord r;
    ASSERT_EQ(decode_valid_encryption_text(sim::get_string(c.stored_at, "Encryption").c_str(), &r),
              1);
    EXPECT_EQ(r.tx_key_index, c.transmit_key[0] - '1');
    EXPECT_EQ(material(r.keys[0]).substr(0, 5), "abcde");
}

INSTANTIATE_TEST_SUITE_P(
    Tool, SetKeysStore,
    ::testing::Values(
        KeysStoreCase{"no_adapter_tx1", [] {}, "1", 0, ORVIX_DRIVER},
        KeysStoreCase{"no_adapter_tx2", [] {}, "2", 0, ORVIX_DRIVER},
        KeysStoreCase{"no_adapter_read_only",
                      [] { sim::deny_access(ORVIX_DRIVER, PLAT_KEY_SET_VALUE); }, "2", 3, ""},
        KeysStoreCase{"profile_1_current_tx1", [] { xp_with_profile_1(1); }, "1", 0, xp_instance()},
        KeysStoreCase{"profile_1_not_current", [] { xp_with_profile_1(2); }, "3", 0,
                      xp_instance() + "\\Config01"},
        KeysStoreCase{"profile_1_without_name_tx1", [] { winxp_pc_card(); }, "1", 3, ""},
        KeysStoreCase{"profile_1_without_name_tx4", [] { winxp_pc_card(); }, "4", 3, ""},
        KeysStoreCase{"profile_1_read_only",
                      [] {
                          xp_with_profile_1(1);
                          sim::deny_access(xp_instance() + "\\Config01", PLAT_KEY_SET_VALUE);
                      },
                      "1", 3, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ToolDriverTest, SetKeysNotCurrentProfileLeavesTheActiveSet) {
    sim::set_windows(sim::Windows::WinXp);
    xp_with_profile_1(2);
    sim::set_string(xp_instance(), "Encryption", OLD_TEXT);
    EXPECT_EQ(run_tool({"K", "2", "abcde", "-", "-", "-"}).exit_code, 0);
    EXPECT_EQ(sim::get_string(xp_instance(), "Encryption"), OLD_TEXT);
    EXPECT_EQ(sim::get_string(ORVIX_DRIVER, "Encryption"), "<missing>");
}

}  // namespace
