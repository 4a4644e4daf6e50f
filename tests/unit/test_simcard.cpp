// simcard, the stand-in adapter: its answers to the request frame, its
// faults, and that no length word takes it outside the frame or its store.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <vector>

#include "platform/device.h"
#include "sim.h"
#include "sim_device.h"
#include "simcard.h"

namespace {

const uint8_t OBJECT_ID[4] = {0x01, 0x04, 0x02, 0xFF};

// Little-endian field access on any byte buffer holding a frame.
uint16_t get16(const uint8_t* f, unsigned off) {
    return static_cast<uint16_t>(f[off] | (f[off + 1] << 8));
}
uint32_t get32(const uint8_t* f, unsigned off) {
    return get16(f, off) | (uint32_t(get16(f, off + 2)) << 16);
}
void put16(uint8_t* f, unsigned off, uint16_t v) {
    f[off] = static_cast<uint8_t>(v);
    f[off + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* f, unsigned off, uint32_t v) {
    put16(f, off, static_cast<uint16_t>(v));
    put16(f, off + 2, static_cast<uint16_t>(v >> 16));
}

enum : unsigned { CONTEXT = 0, STATUS = 4, COMMAND = 6, LENGTH = 8, TYPE = 10, DATA = 12 };

struct Frame {
    uint8_t b[SIMCARD_FRAME_SIZE];
    Frame() { std::memset(b, 0, sizeof b); }
    uint16_t status() const { return get16(b, STATUS); }
    uint16_t length() const { return get16(b, LENGTH); }
    uint16_t type() const { return get16(b, TYPE); }
    uint32_t context() const { return get32(b, CONTEXT); }
    uint16_t data(unsigned i) const { return get16(b, DATA + 2 * i); }
    void set_data(unsigned i, uint16_t v) { put16(b, DATA + 2 * i, v); }
    void request(uint16_t command, uint16_t length, uint16_t type, uint32_t context) {
        put32(b, CONTEXT, context);
        put16(b, STATUS, 0);
        put16(b, COMMAND, command);
        put16(b, LENGTH, length);
        put16(b, TYPE, type);
    }
};

class SimCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        card_ = std::make_unique<SimCard>();
        simcard_init(card_.get());
    }

    SimCard& card() { return *card_; }

    // One exchange with the right object id and sizes; returns the card's result.
    int send(Frame& f, unsigned* returned = nullptr) {
        unsigned got = 0xDEAD;
        int ok = simcard_exchange(card_.get(), OBJECT_ID, 4, f.b, SIMCARD_FRAME_SIZE, &got);
        if (returned) *returned = got;
        return ok;
    }

    // Connects and leaves the context in `f`, as the library keeps it.
    uint32_t connect(Frame& f) {
        f.request(SIMCARD_CMD_CONNECT, 0, 0, 0);
        EXPECT_EQ(send(f), 1);
        EXPECT_EQ(f.status(), 0);
        return f.context();
    }

    uint16_t get(Frame& f, uint16_t id, uint16_t asked) {
        f.request(SIMCARD_CMD_GET, asked, id, card().context);
        f.set_data(0, 0xFFFF);
        EXPECT_EQ(send(f), 1);
        return f.status();
    }

    uint16_t put(Frame& f, uint16_t id, uint16_t length, const std::vector<uint16_t>& data) {
        f.request(SIMCARD_CMD_PUT, length, id, card().context);
        for (size_t i = 0; i < data.size(); i++) f.set_data(static_cast<unsigned>(i), data[i]);
        EXPECT_EQ(send(f), 1);
        return f.status();
    }

private:
    std::unique_ptr<SimCard> card_;
};

// ---- connect ----

TEST_F(SimCardTest, ConnectAnswersStatusZeroAndANewContextEachTime) {
    Frame f;
    unsigned returned = 0;
    f.request(SIMCARD_CMD_CONNECT, 0, 0, 0);
    put16(f.b, STATUS, 0x1234);  // must be overwritten
    ASSERT_EQ(send(f, &returned), 1);
    EXPECT_EQ(returned, SIMCARD_FRAME_SIZE);
    EXPECT_EQ(f.status(), 0);
    const uint32_t first = f.context();
    EXPECT_NE(first, 0u);
    EXPECT_EQ(card().context, first);
    EXPECT_EQ(card().connected, 1u);

    const uint32_t second = connect(f);
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(card().counters.connects, 2u);
}

TEST_F(SimCardTest, BusyConnectsAnswer68ThenReady) {
    card().faults.busy_connects = 3;
    Frame f;
    for (int i = 0; i < 3; i++) {
        f.request(SIMCARD_CMD_CONNECT, 0, 0, 0);
        ASSERT_EQ(send(f), 1) << "connect " << i;
        EXPECT_EQ(f.status(), SIMCARD_STATUS_BUSY) << "connect " << i;
        EXPECT_EQ(f.context(), 0u) << "a busy answer hands out no context";
    }
    EXPECT_NE(connect(f), 0u);
    EXPECT_EQ(card().counters.connects, 4u);
    EXPECT_EQ(card().counters.busy_answers, 3u);
    EXPECT_EQ(card().faults.busy_connects, 0u);
}

TEST_F(SimCardTest, ZeroContextFaultWritesContextZero) {
    card().faults.zero_context = 1;
    Frame f;
    f.request(SIMCARD_CMD_CONNECT, 0, 0, 0x11223344);  // left from an earlier connect
    ASSERT_EQ(send(f), 1);
    EXPECT_EQ(f.status(), 0);
    EXPECT_EQ(f.context(), 0u);
    EXPECT_EQ(card().connected, 0u);
}

TEST_F(SimCardTest, SilentConnectWritesNothing) {
    card().faults.silent_connect = 1;
    Frame f;
    f.request(SIMCARD_CMD_CONNECT, 0, 0, 0x11223344);
    put16(f.b, STATUS, 0x5555);
    const Frame before = f;
    unsigned returned = 0xDEAD;
    ASSERT_EQ(send(f, &returned), 1);
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(std::memcmp(before.b, f.b, sizeof f.b), 0);
    EXPECT_EQ(card().counters.connects, 1u);
}

// ---- records ----

struct DefaultRecord {
    uint16_t id;
    uint16_t length;
    std::vector<uint16_t> data;
};

std::ostream& operator<<(std::ostream& os, const DefaultRecord& r) {
    return os << "record 0x" << std::hex << r.id << std::dec << " of length " << r.length;
}

class DefaultRecords : public SimCardTest, public ::testing::WithParamInterface<DefaultRecord> {};

TEST_P(DefaultRecords, ReadAsSet) {
    const DefaultRecord& r = GetParam();
    Frame f;
    connect(f);
    f.set_data(r.length - 1, 0xBEEF);  // just past the record: left alone
    EXPECT_EQ(get(f, r.id, r.length), 0);
    EXPECT_EQ(f.length(), r.length);
    EXPECT_EQ(f.type(), r.id);
    for (unsigned i = 0; i < r.data.size(); i++) EXPECT_EQ(f.data(i), r.data[i]) << "d" << i;
    EXPECT_EQ(f.data(r.length - 1), 0xBEEF);
}

INSTANTIATE_TEST_SUITE_P(
    SimCard, DefaultRecords,
    ::testing::Values(DefaultRecord{SIMCARD_RECORD_IDENTITY, 5, {0, 1, 6, 41}},
                      DefaultRecord{SIMCARD_RECORD_RANGE, 6, {0, 0, 48, 1, 99}},
                      // 02 00 5C 4C 7B 11, low byte of each word first
                      DefaultRecord{SIMCARD_RECORD_MAC, 4, {0x0002, 0x4C5C, 0x117B}}));

struct Truncation {
    uint16_t stored;  // the record's length word
    uint16_t asked;   // length word of the request
    uint16_t status;
    unsigned delivered;  // data words written into the frame
};

std::ostream& operator<<(std::ostream& os, const Truncation& t) {
    return os << "stored " << t.stored << ", asked " << t.asked;
}

class GetLengths : public SimCardTest, public ::testing::WithParamInterface<Truncation> {};

// The answer's length word is always the record's whole length, so that the
// caller learns a record was cut short; only what was asked for is written.
TEST_P(GetLengths, DeliverWhatFitsAndReportTheWholeLength) {
    const Truncation& t = GetParam();
    std::vector<uint16_t> data;
    for (unsigned i = 0; i + 1 < t.stored; i++) data.push_back(static_cast<uint16_t>(0x100 + i));
    ASSERT_EQ(simcard_set_record(&card(), 0x0AAA, t.stored, data.data()), 1);

    Frame f;
    connect(f);
    for (unsigned i = 0; i < 16; i++) f.set_data(i, 0xEEEE);
    f.request(SIMCARD_CMD_GET, t.asked, 0x0AAA, card().context);
    put16(f.b, TYPE, 0x0AAA);
    ASSERT_EQ(send(f), 1);
    EXPECT_EQ(f.status(), t.status);
    EXPECT_EQ(f.length(), t.stored);
    EXPECT_EQ(f.type(), 0x0AAA);
    for (unsigned i = 0; i < 16; i++) {
        if (i < t.delivered)
            EXPECT_EQ(f.data(i), 0x100 + i) << "d" << i;
        else
            EXPECT_EQ(f.data(i), 0xEEEE) << "d" << i << " is beyond what was asked";
    }
}

INSTANTIATE_TEST_SUITE_P(SimCard, GetLengths,
                         ::testing::Values(Truncation{5, 5, SIMCARD_STATUS_OK, 4},
                                           Truncation{5, 9, SIMCARD_STATUS_OK, 4},
                                           Truncation{5, 3, SIMCARD_STATUS_TRUNCATED, 2},
                                           Truncation{4, 2, SIMCARD_STATUS_TRUNCATED, 1},
                                           Truncation{4, 1, SIMCARD_STATUS_TRUNCATED, 0},
                                           Truncation{4, 0, SIMCARD_STATUS_TRUNCATED, 0},
                                           Truncation{1, 1, SIMCARD_STATUS_OK, 0},
                                           Truncation{12, 0xFFFF, SIMCARD_STATUS_OK, 11}));

TEST_F(SimCardTest, UnknownRecordAnswersNeitherOkNorTruncated) {
    Frame f;
    connect(f);
    const uint16_t status = get(f, 0x0777, 4);
    EXPECT_NE(status, SIMCARD_STATUS_OK);
    EXPECT_NE(status, SIMCARD_STATUS_TRUNCATED);
    EXPECT_EQ(f.length(), 4) << "the request is left as it was";
    EXPECT_EQ(f.data(0), 0xFFFF);
    EXPECT_EQ(card().counters.gets, 1u);
}

TEST_F(SimCardTest, PutIsStoredAsSentAndReadsBack) {
    std::vector<uint16_t> text(51);
    for (unsigned i = 0; i < text.size(); i++) text[i] = static_cast<uint16_t>(0x3130 + i);
    Frame f;
    connect(f);
    f.set_data(51, 0x7777);  // beyond the record: not taken
    EXPECT_EQ(put(f, 0x0900, 52, text), 0);
    EXPECT_EQ(card().counters.puts, 1u);
    EXPECT_EQ(card().counters.last_put_id, 0x0900u);
    EXPECT_EQ(card().counters.last_put_length, 52u);

    uint16_t stored[64];
    std::fill(std::begin(stored), std::end(stored), 0xAAAA);
    ASSERT_EQ(simcard_get_stored(&card(), 0x0900, stored, 64), 52);
    for (unsigned i = 0; i < 51; i++) EXPECT_EQ(stored[i], text[i]) << "d" << i;
    EXPECT_EQ(stored[51], 0xAAAA) << "only the record's data words are copied out";

    Frame g;
    EXPECT_EQ(get(g, 0x0900, 52), 0);
    EXPECT_EQ(g.length(), 52);
    EXPECT_EQ(g.data(50), text[50]);
}

TEST_F(SimCardTest, PutReplacesARecord) {
    Frame f;
    connect(f);
    EXPECT_EQ(put(f, SIMCARD_RECORD_IDENTITY, 5, {9, 1, 6, 40}), 0);
    uint16_t d[4] = {};
    EXPECT_EQ(simcard_get_stored(&card(), SIMCARD_RECORD_IDENTITY, d, 4), 5);
    EXPECT_EQ(d[3], 40);
    EXPECT_EQ(put(f, 0x0902, 2, {1}), 0);
    EXPECT_EQ(put(f, 0x0902, 2, {0}), 0);
    EXPECT_EQ(simcard_get_stored(&card(), 0x0902, d, 4), 2);
    EXPECT_EQ(d[0], 0);
}

TEST_F(SimCardTest, StoreFullAnswersItsOwnStatus) {
    Frame f;
    connect(f);
    unsigned stored = 3;  // identity, range, MAC
    for (uint16_t id = 0x1000; stored < SIMCARD_MAX_RECORDS; id++, stored++)
        ASSERT_EQ(put(f, id, 2, {id}), 0);
    const uint16_t status = put(f, 0x2000, 2, {1});
    EXPECT_EQ(status, SIMCARD_STATUS_STORE_FULL);
    EXPECT_EQ(simcard_get_stored(&card(), 0x2000, nullptr, 0), -1);
    EXPECT_EQ(put(f, 0x1000, 2, {5}), 0) << "an existing record can still be replaced";
}

// ---- length words at the edge ----

// The frame sits inside guard bytes: nothing may be written outside it.
struct GuardedFrame {
    static constexpr unsigned GUARD = 256;
    std::vector<uint8_t> bytes = std::vector<uint8_t>(GUARD + SIMCARD_FRAME_SIZE + GUARD, 0xA5);
    uint8_t* frame() { return bytes.data() + GUARD; }
    bool guards_intact() const {
        for (unsigned i = 0; i < GUARD; i++)
            if (bytes[i] != 0xA5 || bytes[GUARD + SIMCARD_FRAME_SIZE + i] != 0xA5) return false;
        return true;
    }
};

struct EdgeLength {
    uint16_t command;
    uint16_t length;
    uint16_t stored;  // for a get: the record's length
};

std::ostream& operator<<(std::ostream& os, const EdgeLength& e) {
    return os << "command " << e.command << ", length " << e.length << ", stored " << e.stored;
}

class EdgeLengths : public SimCardTest, public ::testing::WithParamInterface<EdgeLength> {};

TEST_P(EdgeLengths, StayInsideTheFrame) {
    const EdgeLength& e = GetParam();
    if (e.command == SIMCARD_CMD_GET) {
        ASSERT_EQ(simcard_set_record(&card(), 0x0BBB, e.stored, nullptr), 1);
    }

    GuardedFrame g;
    uint8_t* f = g.frame();
    std::memset(f, 0x5A, SIMCARD_FRAME_SIZE);
    put32(f, CONTEXT, card().context);
    put16(f, COMMAND, e.command);
    put16(f, LENGTH, e.length);
    put16(f, TYPE, 0x0BBB);
    unsigned returned = 0;
    ASSERT_EQ(simcard_exchange(&card(), OBJECT_ID, 4, f, SIMCARD_FRAME_SIZE, &returned), 1);
    EXPECT_EQ(returned, SIMCARD_FRAME_SIZE);
    EXPECT_TRUE(g.guards_intact());

    const int length = simcard_get_stored(&card(), 0x0BBB, nullptr, 0);
    if (e.command == SIMCARD_CMD_PUT) {
        // The frame carries at most the type word and 4096 data words.
        const int expected = e.length < SIMCARD_MAX_LENGTH ? e.length : int(SIMCARD_MAX_LENGTH);
        EXPECT_EQ(length, expected);
        EXPECT_EQ(get16(f, STATUS), 0);
    } else {
        EXPECT_EQ(get16(f, LENGTH), e.stored);
        const bool whole =
            e.stored <= (e.length < SIMCARD_MAX_LENGTH ? e.length : SIMCARD_MAX_LENGTH);
        EXPECT_EQ(get16(f, STATUS), whole ? SIMCARD_STATUS_OK : SIMCARD_STATUS_TRUNCATED);
        // With the whole record asked for, the frame's last data word is written
        // (0: beyond what the store keeps); otherwise it keeps the request's bytes.
        const bool to_the_end = e.stored >= SIMCARD_MAX_LENGTH && e.length >= SIMCARD_MAX_LENGTH;
        EXPECT_EQ(get16(f, SIMCARD_FRAME_SIZE - 2), to_the_end ? 0 : 0x5A5A);
    }
}

INSTANTIATE_TEST_SUITE_P(SimCard, EdgeLengths,
                         ::testing::Values(EdgeLength{SIMCARD_CMD_PUT, 0xFFFF, 0},
                                           EdgeLength{SIMCARD_CMD_PUT, 4098, 0},
                                           EdgeLength{SIMCARD_CMD_PUT, 4097, 0},
                                           EdgeLength{SIMCARD_CMD_PUT, 0, 0},
                                           EdgeLength{SIMCARD_CMD_GET, 0xFFFF, 4097},
                                           EdgeLength{SIMCARD_CMD_GET, 4098, 4097},
                                           EdgeLength{SIMCARD_CMD_GET, 0xFFFF, 300},
                                           EdgeLength{SIMCARD_CMD_GET, 4097, 4097},
                                           EdgeLength{SIMCARD_CMD_GET, 4096, 4097}));

// An exact-size heap frame: a read or write past its end is a sanitizer error.
TEST_F(SimCardTest, LongPutOfAnExactFrameKeepsWhatTheStoreHolds) {
    std::unique_ptr<uint8_t[]> f(new uint8_t[SIMCARD_FRAME_SIZE]);
    for (unsigned i = 0; i < SIMCARD_FRAME_SIZE; i++) f[i] = static_cast<uint8_t>(i * 7);
    put32(f.get(), CONTEXT, card().context);
    put16(f.get(), COMMAND, SIMCARD_CMD_PUT);
    put16(f.get(), LENGTH, 0xFFFF);
    put16(f.get(), TYPE, 0x0CCC);
    ASSERT_EQ(simcard_exchange(&card(), OBJECT_ID, 4, f.get(), SIMCARD_FRAME_SIZE, nullptr), 1);
    EXPECT_EQ(card().counters.last_put_length, 0xFFFFu);

    std::vector<uint16_t> kept(SIMCARD_RECORD_DATA_WORDS + 8, 0x1111);
    ASSERT_EQ(simcard_get_stored(&card(), 0x0CCC, kept.data(), static_cast<unsigned>(kept.size())),
              int(SIMCARD_MAX_LENGTH));
    for (unsigned i = 0; i < SIMCARD_RECORD_DATA_WORDS; i++)
        ASSERT_EQ(kept[i], get16(f.get(), DATA + 2 * i)) << "d" << i;
    EXPECT_EQ(kept[SIMCARD_RECORD_DATA_WORDS], 0) << "words past the store read as 0";

    put16(f.get(), COMMAND, SIMCARD_CMD_GET);
    put16(f.get(), LENGTH, 0xFFFF);
    ASSERT_EQ(simcard_exchange(&card(), OBJECT_ID, 4, f.get(), SIMCARD_FRAME_SIZE, nullptr), 1);
    EXPECT_EQ(get16(f.get(), STATUS), 0);
    EXPECT_EQ(get16(f.get(), LENGTH), SIMCARD_MAX_LENGTH);
}

TEST_F(SimCardTest, SetRecordRefusesMoreThanTheFrameCarries) {
    EXPECT_EQ(simcard_set_record(&card(), 0x0DDD, 4098, nullptr), 0);
    EXPECT_EQ(simcard_get_stored(&card(), 0x0DDD, nullptr, 0), -1);
    EXPECT_EQ(simcard_set_record(&card(), 0x0DDD, 4097, nullptr), 1);
}

TEST_F(SimCardTest, GetStoredCopiesNoMoreThanAsked) {
    uint16_t out[4] = {0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA};
    EXPECT_EQ(simcard_get_stored(&card(), SIMCARD_RECORD_RANGE, out, 3), 6);
    EXPECT_EQ(out[2], 48);
    EXPECT_EQ(out[3], 0xAAAA);
    EXPECT_EQ(simcard_get_stored(&card(), 0x4444, out, 4), -1);
}

// ---- the other commands ----

TEST_F(SimCardTest, ActionIsRecorded) {
    Frame f;
    connect(f);
    f.request(SIMCARD_CMD_ACTION, 4097, 128, card().context);
    ASSERT_EQ(send(f), 1);
    EXPECT_EQ(f.status(), 0);
    EXPECT_EQ(card().counters.actions, 1u);
    EXPECT_EQ(card().counters.last_action, 128u);
}

TEST_F(SimCardTest, DisconnectEndsTheConnection) {
    Frame f;
    connect(f);
    f.request(SIMCARD_CMD_DISCONNECT, 0, 0, card().context);
    put16(f.b, STATUS, 69);
    ASSERT_EQ(send(f), 1);
    EXPECT_EQ(f.status(), 0);
    EXPECT_EQ(card().connected, 0u);
    EXPECT_EQ(card().counters.disconnects, 1u);
}

class UnknownCommands : public SimCardTest, public ::testing::WithParamInterface<uint16_t> {};

TEST_P(UnknownCommands, AnswerAStatusOfTheirOwn) {
    Frame f;
    connect(f);
    f.request(GetParam(), 2, 0x0E0E, card().context);
    f.set_data(0, 1);
    ASSERT_EQ(send(f), 1);
    EXPECT_EQ(f.status(), SIMCARD_STATUS_BAD_COMMAND);
    EXPECT_EQ(card().counters.unknown_commands, 1u);
    EXPECT_EQ(card().counters.puts + card().counters.gets + card().counters.actions, 0u);
    EXPECT_EQ(simcard_get_stored(&card(), 0x0E0E, nullptr, 0), -1);
}

INSTANTIATE_TEST_SUITE_P(SimCard, UnknownCommands, ::testing::Values(3, 6, 31, 32, 0xFFFF));

// ---- requests the card refuses ----

struct BadRequest {
    const char* what;
    std::vector<uint8_t> in;  // empty: null input
    unsigned in_size;
    unsigned frame_size;
    bool null_frame;
};

std::ostream& operator<<(std::ostream& os, const BadRequest& r) { return os << r.what; }

class BadRequests : public SimCardTest, public ::testing::WithParamInterface<BadRequest> {};

TEST_P(BadRequests, FailAndLeaveTheFrameAlone) {
    const BadRequest& r = GetParam();
    std::vector<uint8_t> frame(SIMCARD_FRAME_SIZE + 16, 0x5A);
    put16(frame.data(), COMMAND, SIMCARD_CMD_CONNECT);
    const std::vector<uint8_t> before = frame;
    unsigned returned = 0xDEAD;
    EXPECT_EQ(simcard_exchange(&card(), r.in.empty() ? nullptr : r.in.data(), r.in_size,
                               r.null_frame ? nullptr : frame.data(), r.frame_size, &returned),
              0)
        << r.what;
    EXPECT_EQ(returned, 0u) << r.what;
    EXPECT_EQ(frame, before) << r.what;
    EXPECT_EQ(card().counters.bad_requests, 1u) << r.what;
    EXPECT_EQ(card().counters.connects, 0u) << r.what;
}

const std::vector<uint8_t> ID = {0x01, 0x04, 0x02, 0xFF, 0x00};

INSTANTIATE_TEST_SUITE_P(
    SimCard, BadRequests,
    ::testing::Values(
        BadRequest{"input of 3 bytes", ID, 3, SIMCARD_FRAME_SIZE, false},
        BadRequest{"input of 5 bytes", ID, 5, SIMCARD_FRAME_SIZE, false},
        BadRequest{"no input", {}, 4, SIMCARD_FRAME_SIZE, false},
        BadRequest{
            "id in the wrong byte order", {0xFF, 0x02, 0x04, 0x01}, 4, SIMCARD_FRAME_SIZE, false},
        BadRequest{"another object id", {0x02, 0x04, 0x02, 0xFF}, 4, SIMCARD_FRAME_SIZE, false},
        BadRequest{
            "id differing in its top byte", {0x01, 0x04, 0x02, 0xFE}, 4, SIMCARD_FRAME_SIZE, false},
        BadRequest{"frame one byte short", ID, 4, SIMCARD_FRAME_SIZE - 1, false},
        BadRequest{"frame one byte long", ID, 4, SIMCARD_FRAME_SIZE + 1, false},
        BadRequest{"frame of 0 bytes", ID, 4, 0, false},
        BadRequest{"no frame", ID, 4, SIMCARD_FRAME_SIZE, true}));

// ---- context and faults ----

TEST_F(SimCardTest, RequestsWithAnotherContextAreCounted) {
    Frame f;
    const uint32_t context = connect(f);
    get(f, SIMCARD_RECORD_IDENTITY, 5);
    EXPECT_EQ(card().counters.context_mismatches, 0u);
    f.request(SIMCARD_CMD_GET, 5, SIMCARD_RECORD_IDENTITY, context + 1);
    ASSERT_EQ(send(f), 1);
    EXPECT_EQ(card().counters.context_mismatches, 1u);
}

TEST_F(SimCardTest, FailedCommandMakesTheExchangeFail) {
    card().faults.fail_command_mask = 1u << SIMCARD_CMD_GET;
    Frame f;
    connect(f);
    f.request(SIMCARD_CMD_GET, 5, SIMCARD_RECORD_IDENTITY, card().context);
    unsigned returned = 0xDEAD;
    EXPECT_EQ(send(f, &returned), 0);
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(f.length(), 5) << "nothing answered";
    EXPECT_EQ(put(f, 0x0902, 2, {1}), 0) << "other commands still work";
}

TEST_F(SimCardTest, NoAnswerRecordFailsOrStaysSilent) {
    card().faults.no_answer_active = 1;
    card().faults.no_answer_record = SIMCARD_RECORD_IDENTITY;
    Frame f;
    connect(f);
    f.request(SIMCARD_CMD_GET, 5, SIMCARD_RECORD_IDENTITY, card().context);
    EXPECT_EQ(send(f), 0);

    card().faults.no_answer_mode = SIMCARD_NO_ANSWER_SILENT;
    f.request(SIMCARD_CMD_GET, 5, SIMCARD_RECORD_IDENTITY, card().context);
    put16(f.b, STATUS, 0x4242);
    f.set_data(2, 0);
    unsigned returned = 0xDEAD;
    EXPECT_EQ(send(f, &returned), 1);
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(f.status(), 0x4242);
    EXPECT_EQ(f.data(2), 0) << "identity not delivered";

    EXPECT_EQ(get(f, SIMCARD_RECORD_RANGE, 6), 0) << "other records answer";
}

TEST_F(SimCardTest, IdentityAndRangeOverrides) {
    simcard_set_identity(&card(), 1, 6, 40);
    simcard_set_range(&card(), 47, 5, 7);
    Frame f;
    connect(f);
    EXPECT_EQ(get(f, SIMCARD_RECORD_IDENTITY, 5), 0);
    EXPECT_EQ(f.data(1), 1);
    EXPECT_EQ(f.data(2), 6);
    EXPECT_EQ(f.data(3), 40);
    EXPECT_EQ(get(f, SIMCARD_RECORD_RANGE, 6), 0);
    EXPECT_EQ(f.data(2), 47);
    EXPECT_EQ(f.data(3), 5);
    EXPECT_EQ(f.data(4), 7);
}

TEST_F(SimCardTest, LogKeepsTheOrderOfExchanges) {
    Frame f;
    connect(f);
    put(f, 0xFC03, 2, {3});
    put(f, 0xFC00, 2, {1});
    f.request(SIMCARD_CMD_ACTION, 4097, 128, card().context);
    send(f);
    f.request(SIMCARD_CMD_DISCONNECT, 0, 0, card().context);
    send(f);

    const uint16_t expected[][2] = {{SIMCARD_CMD_CONNECT, 0},
                                    {SIMCARD_CMD_PUT, 0xFC03},
                                    {SIMCARD_CMD_PUT, 0xFC00},
                                    {SIMCARD_CMD_ACTION, 128},
                                    {SIMCARD_CMD_DISCONNECT, 0}};
    ASSERT_EQ(card().counters.log_count, 5u);
    for (unsigned i = 0; i < 5; i++) {
        const SimCardLogEntry* e = simcard_log_entry(&card(), i);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->command, expected[i][0]) << i;
        EXPECT_EQ(e->type, expected[i][1]) << i;
        EXPECT_EQ(e->status, 0) << i;
    }
    EXPECT_EQ(simcard_log_entry(&card(), 5), nullptr);

    simcard_clear_counters(&card());
    EXPECT_EQ(card().counters.log_count, 0u);
    EXPECT_EQ(card().counters.puts, 0u);
    EXPECT_EQ(simcard_get_stored(&card(), 0xFC03, nullptr, 0), 2) << "records stay";
}

// ---- served as a device of the simulated Windows ----

class SimCardDevice : public SimCardTest {
protected:
    void SetUp() override {
        SimCardTest::SetUp();
        sim::reset();
    }
    void TearDown() override { sim::reset(); }
};

TEST_F(SimCardDevice, AnswersThroughDeviceIoControl) {
    simcard_add_named_device("RLORX523", &card());
    PlatHandle h = plat_create_file("\\\\.\\RLORX523");
    ASSERT_NE(h, PLAT_INVALID_HANDLE_VALUE);

    Frame f;
    f.request(SIMCARD_CMD_CONNECT, 0, 0, 0);
    uint32_t returned = 0;
    ASSERT_EQ(plat_device_io_control(h, PLAT_IOCTL_NDIS_QUERY_GLOBAL_STATS, OBJECT_ID, 4, f.b,
                                     SIMCARD_FRAME_SIZE, &returned),
              1);
    EXPECT_EQ(returned, SIMCARD_FRAME_SIZE);
    EXPECT_EQ(f.status(), 0);
    EXPECT_EQ(f.context(), card().context);

    // Another control code is not the adapter's.
    EXPECT_EQ(plat_device_io_control(h, PLAT_IOCTL_NDIS_QUERY_GLOBAL_STATS + 4, OBJECT_ID, 4, f.b,
                                     SIMCARD_FRAME_SIZE, &returned),
              0);
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(card().counters.exchanges, 1u);
    plat_close_handle(h);
}

TEST_F(SimCardDevice, DeviceWithoutDosName) {
    simcard_add_device("\\Device\\RLORX522", &card());
    EXPECT_EQ(plat_create_file("\\\\.\\RLORX522"), PLAT_INVALID_HANDLE_VALUE);
    sim::add_dos_name("RLORX522", "\\Device\\RLORX522");
    PlatHandle h = plat_create_file("\\\\.\\RLORX522");
    ASSERT_NE(h, PLAT_INVALID_HANDLE_VALUE);
    card().faults.fail_command_mask = ~0u;
    Frame f;
    EXPECT_EQ(plat_device_io_control(h, PLAT_IOCTL_NDIS_QUERY_GLOBAL_STATS, OBJECT_ID, 4, f.b,
                                     SIMCARD_FRAME_SIZE, nullptr),
              0);
    plat_close_handle(h);
}

}  // namespace
