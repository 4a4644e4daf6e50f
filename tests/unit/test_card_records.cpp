// Card records: the identity query at the start of an applet run, and the
// apply that pushes the active configuration to the running card.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "card_fixture.h"
#include "sim_device.h"
#include "simcard.h"

namespace {

using case_name::operator<<;

const char GUID[] = "{5C1D0000-0000-4000-8000-000000000042}";

class CardRecordsTest : public CardTest {
protected:
    void SetUp() override {
        CardTest::SetUp();
        // Windows XP with the card behind the adapter's NetCfgInstanceId.
        sim::set_windows(sim::Windows::WinXp);
        detect_os_class(nullptr);
        sim::set_string(layout::winxp_pc_card(), "NetCfgInstanceId", GUID);
        simcard_add_named_device(GUID, card_.get());
    }
    void TearDown() override {
        EXPECT_EQ(driver_channel.open_generation, 0u) << "left open";
        EXPECT_EQ(sim::open_device_handles(), 0);
    }
};

// ---------------------------------------------------------------- identity query

struct QueryCase {
    const char* name;
    std::function<void(SimCard*)> setup;
    uint32_t valid;
    int result;
    uint32_t disconnects = 1;  // 0: the channel never opened
};

class IdentityQuery : public CardRecordsTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(IdentityQuery, DecidesValidityAndLeavesTheChannelClosed) {
    const QueryCase& c = GetParam();
    c.setup(card());
    EXPECT_EQ(query_card_status(), c.result);
    EXPECT_EQ(card_identity_valid, c.valid);
    // Whatever happened, a channel that was opened is closed again.
    EXPECT_EQ(card()->counters.disconnects, c.disconnects);
    if (c.valid) {
        EXPECT_EQ(card_identity.variant, 1);
        EXPECT_EQ(card_identity.major, 6);
        EXPECT_EQ(card_identity.minor, 41);
    }
}

std::function<void(SimCard*)> identity(uint16_t variant, uint16_t major, uint16_t minor) {
    return [=](SimCard* c) { simcard_set_identity(c, variant, major, minor); };
}

std::function<void(SimCard*)> identity_record(uint16_t length, std::vector<uint16_t> data) {
    return [=](SimCard* c) { simcard_set_record(c, 0x0826, length, data.data()); };
}

INSTANTIATE_TEST_SUITE_P(
    CardRecords, IdentityQuery,
    ::testing::Values(
        QueryCase{"required_1_6_41", [](SimCard*) {}, 1, 1},
        QueryCase{"minor_40", identity(1, 6, 40), 0, 0},
        QueryCase{"minor_42", identity(1, 6, 42), 0, 0},
        QueryCase{"major_7", identity(1, 7, 41), 0, 0},
        QueryCase{"variant_2", identity(2, 6, 41), 0, 0},
        // The first data word is not examined.
        QueryCase{"first_word_ignored", identity_record(5, {0xFFFF, 1, 6, 41}), 1, 1},
        // A longer record arrives cut (status 8); its first words still count.
        QueryCase{"longer_record", identity_record(7, {0, 1, 6, 41, 9, 9}), 1, 1},
        // A short record leaves the missing words zero: a wrong version.
        QueryCase{"short_record", identity_record(3, {0, 1}), 0, 0},
        QueryCase{"identity_missing", [](SimCard* c) { simcard_remove_record(c, 0x0826); }, 0, 0},
        QueryCase{"identity_read_fails",
                  [](SimCard* c) {
                      c->faults.no_answer_active = 1;
                      c->faults.no_answer_record = 0x0826;
                      c->faults.no_answer_mode = SIMCARD_NO_ANSWER_FAIL;
                  },
                  0, 0},
        QueryCase{"identity_read_unanswered",
                  [](SimCard* c) {
                      c->faults.no_answer_active = 1;
                      c->faults.no_answer_record = 0x0826;
                      c->faults.no_answer_mode = SIMCARD_NO_ANSWER_SILENT;
                  },
                  0, 0},
        // The channel does not open: the registry identity decides later.
        QueryCase{"range_refused_65", [](SimCard* c) { simcard_set_range(c, 47, 1, 99); }, 0, 1},
        QueryCase{"no_driver_66", [](SimCard* c) { c->faults.zero_context = 1; }, 0, 1, 0},
        QueryCase{"busy_68", [](SimCard* c) { c->faults.busy_connects = 10; }, 0, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CardRecordsTest, QueryWithoutDeviceIsValid0Return1) {
    sim::remove_device(std::string("\\Device\\") + GUID);
    card_identity_valid = 1;
    EXPECT_EQ(query_card_status(), 1);
    EXPECT_EQ(card_identity_valid, 0u);
}

TEST_F(CardRecordsTest, RefusedRangeIsNotAskedForTheIdentity) {
    simcard_set_range(card(), 47, 1, 99);
    query_card_status();
    EXPECT_EQ(card()->counters.gets, 1u);  // the range record only
    EXPECT_EQ(card()->counters.disconnects, 1u);
}

TEST_F(CardRecordsTest, WrongIdentityIsSeenAfterTheClose) {
    simcard_set_identity(card(), 1, 6, 40);
    EXPECT_EQ(query_card_status(), 0);
    EXPECT_EQ(card_identity.variant, 1);
    EXPECT_EQ(card_identity.major, 6);
    EXPECT_EQ(card_identity.minor, 40);
    const SimCardLogEntry* last = simcard_log_entry(card(), card()->counters.log_count - 1);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->command, SIMCARD_CMD_DISCONNECT);
}

// A driver that opens but no longer answers the identity counts as a wrong
// version: nothing of an earlier query's identity survives.
TEST_F(CardRecordsTest, UnansweredIdentityIsNotTakenFromAnEarlierQuery) {
    ASSERT_EQ(query_card_status(), 1);
    ASSERT_EQ(card_identity_valid, 1u);
    for (uint32_t mode : {SIMCARD_NO_ANSWER_FAIL, SIMCARD_NO_ANSWER_SILENT}) {
        ASSERT_EQ(query_card_status(), 1);
        card()->faults.no_answer_active = 1;
        card()->faults.no_answer_record = 0x0826;
        card()->faults.no_answer_mode = mode;
        EXPECT_EQ(query_card_status(), 0) << mode;
        EXPECT_EQ(card_identity_valid, 0u);
        EXPECT_FALSE(identity_is_required(card_identity));
        card()->faults.no_answer_active = 0;
    }
    card()->faults.no_answer_active = 1;
    card()->faults.no_answer_mode = SIMCARD_NO_ANSWER_FAIL;
    query_card_status();
    EXPECT_EQ(card_identity.variant, 0);
    EXPECT_EQ(card_identity.major, 0);
    EXPECT_EQ(card_identity.minor, 0);
}

// ---------------------------------------------------------------- apply

// Text bytes as record words, low byte first, padded with zeros to `words`.
std::vector<uint16_t> text_words(const std::string& text, size_t words) {
    std::vector<uint16_t> out(words, 0);
    for (size_t i = 0; i < text.size(); ++i)
        out[i / 2] |= static_cast<uint16_t>(static_cast<uint8_t>(text[i]) << (i % 2 ? 8 : 0));
    return out;
}

// A text record as the card must receive it: byte count, then 16 words.
std::vector<uint16_t> text_record(const std::string& sent) {
    std::vector<uint16_t> out = {static_cast<uint16_t>(sent.size())};
    const auto words = text_words(sent, 16);
    out.insert(out.end(), words.begin(), words.end());
    return out;
}

std::string encryption_text() {
    std::string text;
    for (int i = 0; i < 102; ++i) text += static_cast<char>('&' + (i * 7) % 64);
    return text;
}

void configure(ActiveConfiguration& c) {
    c.own_channel = 0x10003;  // only the low 16 bits travel
    c.port_type = 1;
    c.system_scale = 2;
    c.rts_threshold = 2347;
    c.pm_enabled = 1;
    c.microwave_robustness = 0xFFFF;
    c.create_ibss = 0;
    std::snprintf(c.desired_ssid, sizeof c.desired_ssid, "%s", "Office Net");
    std::snprintf(c.own_ssid, sizeof c.own_ssid, "%s", "Ad hoc");
    std::snprintf(c.encryption, sizeof c.encryption, "%s", encryption_text().c_str());
    c.ap_mode = 1;
    c.driver_enable = 1;
}

TEST_F(CardRecordsTest, ApplyWritesTwelveRecordsInOrderThenAction128) {
    configure(active_configuration);
    apply_configuration_records();

    struct Expected {
        uint16_t id;
        uint16_t length;
        std::vector<uint16_t> data;
    };
    const Expected expected[] = {
        {0xFC03, 2, {3}},
        {0xFC00, 2, {1}},
        {0xFC06, 2, {2}},
        {0xFC83, 2, {2347}},
        {0xFC09, 2, {1}},
        {0xFC25, 2, {0xFFFF}},
        {0xFC81, 2, {0}},
        {0xFC02, 18, text_record("Office Net")},
        {0xFC04, 18, text_record("Ad hoc")},
        {0x0900, 52, text_words(encryption_text(), 51)},
        {0x0901, 2, {1}},
        {0x0902, 2, {1}},
    };
    // connect, range, twelve puts, action, disconnect
    ASSERT_EQ(card()->counters.log_count, 16u);
    EXPECT_EQ(simcard_log_entry(card(), 0)->command, SIMCARD_CMD_CONNECT);
    EXPECT_EQ(simcard_log_entry(card(), 1)->type, 0x0827);
    for (unsigned i = 0; i < 12; ++i) {
        const SimCardLogEntry* e = simcard_log_entry(card(), 2 + i);
        SCOPED_TRACE(i);
        EXPECT_EQ(e->command, SIMCARD_CMD_PUT);
        EXPECT_EQ(e->type, expected[i].id);
        EXPECT_EQ(e->length, expected[i].length);
        int length = 0;
        EXPECT_EQ(stored(expected[i].id, &length), expected[i].data);
        EXPECT_EQ(length, expected[i].length);
    }
    const SimCardLogEntry* action = simcard_log_entry(card(), 14);
    EXPECT_EQ(action->command, SIMCARD_CMD_ACTION);
    EXPECT_EQ(action->type, 128);
    EXPECT_EQ(simcard_log_entry(card(), 15)->command, SIMCARD_CMD_DISCONNECT);
    EXPECT_EQ(card()->counters.context_mismatches, 0u);
}

// The least the protocol allows: connect, range record, twelve records,
// action, disconnect.
TEST_F(CardRecordsTest, ApplyTakesSixteenDeviceExchanges) {
    configure(active_configuration);
    apply_configuration_records();
    int ioctls = 0;
    for (const auto& e : sim::device_log()) ioctls += e == "ioctl";
    EXPECT_EQ(ioctls, 16);
    EXPECT_EQ(card()->counters.exchanges, 16u);
    ::testing::Test::RecordProperty("apply_exchanges", ioctls);
}

struct SsidCase {
    std::string desired;
    std::string own;
    std::string desired_sent;
    std::string own_sent;
};

std::ostream& operator<<(std::ostream& os, const SsidCase& c) {
    return os << "DesiredSSID of " << c.desired.size() << ", OwnSSID of " << c.own.size()
              << " characters";
}

class ApplyTexts : public CardRecordsTest, public ::testing::WithParamInterface<SsidCase> {};

TEST_P(ApplyTexts, AreSentByteForByte) {
    const SsidCase& c = GetParam();
    configure(active_configuration);
    std::snprintf(active_configuration.desired_ssid, CONFIG_TEXT_SIZE, "%s", c.desired.c_str());
    std::snprintf(active_configuration.own_ssid, CONFIG_TEXT_SIZE, "%s", c.own.c_str());
    apply_configuration_records();
    EXPECT_EQ(stored(0xFC02), text_record(c.desired_sent));
    EXPECT_EQ(stored(0xFC04), text_record(c.own_sent));
}

const std::string LONG_40 = "0123456789abcdefghijklmnopqrstuvwxyzABCD";

INSTANTIATE_TEST_SUITE_P(
    CardRecords, ApplyTexts,
    ::testing::Values(
        // Only these two spellings ask for any network; OwnSSID goes unchanged.
        SsidCase{"ANY", "ANY", "", "ANY"}, SsidCase{"any", "any", "", "any"},
        SsidCase{"Any", "x", "Any", "x"}, SsidCase{"aNY", "", "aNY", ""},
        SsidCase{"ANY ", "y", "ANY ", "y"}, SsidCase{"AN", "y", "AN", "y"},
        SsidCase{"", "", "", ""},
        // Longer texts are cut to the record's 32 bytes; nothing of a longer
        // text before leaks into a shorter one after.
        SsidCase{LONG_40, "ab", LONG_40.substr(0, 32), "ab"},
        SsidCase{LONG_40.substr(0, 32), LONG_40.substr(0, 33), LONG_40.substr(0, 32),
                 LONG_40.substr(0, 32)},
        SsidCase{LONG_40.substr(0, 31), "\xE9t\xE9", LONG_40.substr(0, 31), "\xE9t\xE9"}));

class ApplyApMode : public CardRecordsTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(ApplyApMode, OneOnlyForOne) {
    configure(active_configuration);
    active_configuration.ap_mode = GetParam();
    apply_configuration_records();
    EXPECT_EQ(stored(0x0901), std::vector<uint16_t>{GetParam() == 1 ? uint16_t(1) : uint16_t(0)});
}

INSTANTIATE_TEST_SUITE_P(CardRecords, ApplyApMode, ::testing::Values(0u, 1u, 2u, 5u, 0x10001u));

TEST_F(CardRecordsTest, ApplyWordsTravelAsTheirLow16Bits) {
    configure(active_configuration);
    active_configuration.rts_threshold = 0x12345;
    active_configuration.driver_enable = 0;
    active_configuration.create_ibss = 0xFFFF0001;
    apply_configuration_records();
    EXPECT_EQ(stored(0xFC83), std::vector<uint16_t>{0x2345});
    EXPECT_EQ(stored(0x0902), std::vector<uint16_t>{0});
    EXPECT_EQ(stored(0xFC81), std::vector<uint16_t>{1});
}

TEST_F(CardRecordsTest, ApplyEncryptionTextOfAnyBytes) {
    configure(active_configuration);
    std::string text(102, '\x7F');
    text[0] = '\x01';
    text[101] = '\xFF';
    std::snprintf(active_configuration.encryption, CONFIG_TEXT_SIZE, "%s", text.c_str());
    apply_configuration_records();
    EXPECT_EQ(stored(0x0900), text_words(text, 51));
}

TEST_F(CardRecordsTest, ApplyGoesOnWhenTheCardRefusesEveryWrite) {
    configure(active_configuration);
    card()->faults.fail_command_mask = 1u << SIMCARD_CMD_PUT;
    apply_configuration_records();
    EXPECT_EQ(card()->counters.log_count, 16u);
    EXPECT_EQ(card()->counters.actions, 1u);
    EXPECT_EQ(card()->counters.last_action, 128u);
    EXPECT_EQ(card()->counters.disconnects, 1u);
}

struct NoApplyCase {
    const char* name;
    std::function<void(SimCard*)> fault;
    uint32_t disconnects;
};

class ApplyWithoutChannel : public CardRecordsTest,
                            public ::testing::WithParamInterface<NoApplyCase> {};

TEST_P(ApplyWithoutChannel, LeavesTheCardUntouched) {
    GetParam().fault(card());
    configure(active_configuration);
    apply_configuration_records();
    EXPECT_EQ(card()->counters.puts, 0u);
    EXPECT_EQ(card()->counters.actions, 0u);
    EXPECT_EQ(card()->counters.disconnects, GetParam().disconnects);
}

INSTANTIATE_TEST_SUITE_P(
    CardRecords, ApplyWithoutChannel,
    ::testing::Values(
        NoApplyCase{"range_refused", [](SimCard* c) { simcard_set_range(c, 47, 1, 99); }, 1},
        NoApplyCase{"zero_context", [](SimCard* c) { c->faults.zero_context = 1; }, 0},
        NoApplyCase{"busy", [](SimCard* c) { c->faults.busy_connects = 10; }, 0},
        NoApplyCase{"range_unreadable", [](SimCard* c) { simcard_remove_record(c, 0x0827); }, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CardRecordsTest, ApplyWithoutDeviceSendsNothing) {
    sim::remove_device(std::string("\\Device\\") + GUID);
    configure(active_configuration);
    apply_configuration_records();
    for (const auto& e : sim::device_log()) EXPECT_NE(e, "ioctl");
}

// ---------------------------------------------------------------- record buffers

TEST(CardRecordBuffers, TextRecordOfLongTextKeepsItsBounds) {
    // A text record is 19 words; the words after it belong to someone else.
    uint16_t words[19 + 4];
    std::fill(std::begin(words), std::end(words), 0xBEEF);
    card_record_text(words, 0xFC02, std::string(300, 'z').c_str());
    EXPECT_EQ(words[0], 18);
    EXPECT_EQ(words[1], 0xFC02);
    EXPECT_EQ(words[2], 32);
    for (int i = 3; i < 19; ++i) EXPECT_EQ(words[i], 0x7A7A) << i;
    for (int i = 19; i < 23; ++i) EXPECT_EQ(words[i], 0xBEEF) << i;
}

}  // namespace
