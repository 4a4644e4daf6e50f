// The driver channel: each opener for each kind of Windows, busy retries, the
// NT 4 DOS names, the context rule, the range check, and that record reads and
// writes stay inside the frame and the caller's buffer whatever the driver says.
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "card_fixture.h"
#include "sim_device.h"
#include "simcard.h"

namespace {

using case_name::operator<<;

using namespace layout;

const char GUID[] = "{5C1D0000-0000-4000-8000-000000000042}";
const uint16_t SENTINEL = 0xBEEF;

int count_of(const std::vector<std::string>& log, const std::string& entry) {
    return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

std::vector<std::string> creates() {
    std::vector<std::string> out;
    for (const auto& e : sim::device_log())
        if (e.compare(0, 7, "create ") == 0) out.push_back(e);
    return out;
}

std::string create_of(const std::string& name) { return "create \\\\.\\" + name; }

void windows(sim::Windows which) {
    sim::set_windows(which);
    detect_os_class(nullptr);
}

// An adapter of Windows 2000 or XP whose NetCfgInstanceId is id.
void network_adapter(sim::Windows which, const std::string& id) {
    const std::string key = which == sim::Windows::Win2000 ? win2000_pc_card() : winxp_pc_card();
    sim::set_string(key, "NetCfgInstanceId", id);
}

// A driver whose answers the test writes. Every request is kept as it arrived.
struct ScriptedDriver {
    std::vector<RequestFrame> requests;
    // Writes the answer into the frame; returns what DeviceIoControl answers.
    std::function<int(RequestFrame&, uint32_t* returned)> answer;

    ScriptedDriver() { answer = behave; }

    // Connects with a context, accepts its range, answers 0 to the rest.
    static int behave(RequestFrame& f, uint32_t* returned) {
        *returned = sizeof f;
        f.status = 0;
        if (f.command == CHANNEL_COMMAND_CONNECT) f.context = 0xCAFE0001;
        if (f.command == CHANNEL_COMMAND_GET_RECORD && f.type == 0x0827) {
            f.length = 6;
            const uint16_t range[] = {0, 0, 48, 1, 99};
            std::memcpy(f.data, range, sizeof range);
        }
        return 1;
    }

    sim::DeviceHandler handler() {
        return [this](uint32_t code, const void* in, uint32_t in_size, void* out, uint32_t out_size,
                      uint32_t* returned) -> int {
            EXPECT_EQ(code, 0x00170002u);
            EXPECT_EQ(in_size, 4u);
            EXPECT_EQ(std::memcmp(in, "\x01\x04\x02\xFF", 4), 0);
            EXPECT_EQ(out_size, 8204u);
            auto* frame = static_cast<RequestFrame*>(out);
            requests.push_back(*frame);
            return answer(*frame, returned);
        };
    }
};

class ChannelTest : public CardTest {
protected:
    void TearDown() override {
        channel_close();
        EXPECT_EQ(sim::open_device_handles(), 0);
    }

    // The scripted driver opened on Windows 98; its requests cleared afterwards.
    void open_scripted() {
        windows(sim::Windows::Win98);
        sim::add_named_device("RUORX48.VXD", driver_.handler());
        ASSERT_EQ(channel_open("ORX"), 0);
        driver_.requests.clear();
    }

    static void expect_closed() {
        EXPECT_EQ(driver_channel.open_generation, 0u);
        EXPECT_EQ(driver_channel.handle, PLAT_INVALID_HANDLE_VALUE);
        EXPECT_EQ(driver_channel.dos_name_defined, 0u);
        EXPECT_EQ(driver_channel.frame.context, 0u);
    }

    ScriptedDriver driver_;  // lives as long as the channel may use it
};

// ---------------------------------------------------------------- openers

struct OpenerCase {
    const char* name;
    sim::Windows windows;
    std::function<void(SimCard*)> install;
    uint16_t status;
    uint32_t generation;
    std::vector<std::string> creates;
};

std::function<void(SimCard*)> named(const char* name) {
    return [name](SimCard* card) { simcard_add_named_device(name, card); };
}

std::function<void(SimCard*)> adapter(sim::Windows which, const char* id = GUID,
                                      const char* device = GUID) {
    return [=](SimCard* card) {
        network_adapter(which, id);
        simcard_add_named_device(device, card);
    };
}

class Openers : public ChannelTest, public ::testing::WithParamInterface<OpenerCase> {};

TEST_P(Openers, OpenTheDeviceOfTheirWindows) {
    const OpenerCase& c = GetParam();
    windows(c.windows);
    c.install(card());

    EXPECT_EQ(channel_open("ORX"), c.status);
    EXPECT_EQ(creates(), c.creates);
    EXPECT_EQ(driver_channel.open_generation, c.generation);
    EXPECT_TRUE(sim::sleeps().empty());
    if (c.status == 0) {
        EXPECT_EQ(driver_channel.frame.context, card()->context);
        EXPECT_NE(driver_channel.frame.context, 0u);
        EXPECT_EQ(sim::open_device_handles(), 1);
        EXPECT_EQ(card()->counters.connects, 1u);
    } else {
        expect_closed();
        EXPECT_EQ(sim::open_device_handles(), 0);
    }
    channel_close();
    expect_closed();
    EXPECT_EQ(card()->counters.disconnects, c.status == 0 ? 1u : 0u);
    EXPECT_EQ(card()->counters.context_mismatches, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Channel, Openers,
    ::testing::Values(
        OpenerCase{"win95_vxd_41",
                   sim::Windows::Win95,
                   named("RUORX41.VXD"),
                   0,
                   41,
                   {create_of("RUORX41.VXD")}},
        OpenerCase{"win95_falls_back_to_51",
                   sim::Windows::Win95,
                   named("RUORX51.VXD"),
                   0,
                   41,
                   {create_of("RUORX41.VXD"), create_of("RUORX51.VXD")}},
        OpenerCase{"win95_takes_no_48",
                   sim::Windows::Win95,
                   named("RUORX48.VXD"),
                   66,
                   0,
                   {create_of("RUORX41.VXD"), create_of("RUORX51.VXD")}},
        OpenerCase{"win98_vxd_48",
                   sim::Windows::Win98,
                   named("RUORX48.VXD"),
                   0,
                   48,
                   {create_of("RUORX48.VXD")}},
        OpenerCase{"win98se_vxd_48",
                   sim::Windows::Win98Se,
                   named("RUORX48.VXD"),
                   0,
                   48,
                   {create_of("RUORX48.VXD")}},
        OpenerCase{"win98_falls_back_to_51",
                   sim::Windows::Win98,
                   named("RUORX51.VXD"),
                   0,
                   48,
                   {create_of("RUORX48.VXD"), create_of("RUORX51.VXD")}},
        OpenerCase{"win98_takes_no_41",
                   sim::Windows::Win98,
                   named("RUORX41.VXD"),
                   66,
                   0,
                   {create_of("RUORX48.VXD"), create_of("RUORX51.VXD")}},
        OpenerCase{"nt4_first_instance",
                   sim::Windows::Nt40,
                   named("RLORX521"),
                   0,
                   52,
                   {create_of("RLORX521")}},
        OpenerCase{"win2000_net_cfg_instance",
                   sim::Windows::Win2000,
                   adapter(sim::Windows::Win2000),
                   0,
                   48,
                   {create_of(GUID)}},
        OpenerCase{"winxp_net_cfg_instance",
                   sim::Windows::WinXp,
                   adapter(sim::Windows::WinXp),
                   0,
                   48,
                   {create_of(GUID)}},
        OpenerCase{"winxp_id_names_no_device",
                   sim::Windows::WinXp,
                   adapter(sim::Windows::WinXp, GUID, "{5C1D0000-0000-4000-8000-000000000043}"),
                   66,
                   0,
                   {create_of(GUID)}},
        OpenerCase{"winxp_without_adapter", sim::Windows::WinXp, named(GUID), 66, 0, {}},
        OpenerCase{"winxp_without_net_cfg_instance",
                   sim::Windows::WinXp,
                   [](SimCard* card) {
                       winxp_pc_card();
                       simcard_add_named_device(GUID, card);
                   },
                   66,
                   0,
                   {}},
        // 252 characters make a raw target of 260: the name cannot be kept whole.
        OpenerCase{"winxp_id_too_long_for_the_names",
                   sim::Windows::WinXp,
                   [](SimCard* card) {
                       static const std::string id(252, 'N');
                       network_adapter(sim::Windows::WinXp, id);
                       simcard_add_named_device(id, card);
                   },
                   66,
                   0,
                   {}},
        OpenerCase{"winxp_longest_id_that_fits",
                   sim::Windows::WinXp,
                   [](SimCard* card) {
                       static const std::string id(251, 'N');
                       network_adapter(sim::Windows::WinXp, id);
                       simcard_add_named_device(id, card);
                   },
                   0,
                   48,
                   {create_of(std::string(251, 'N'))}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChannelTest, UnknownWindowsOpensNothingAndDoesNotRetry) {
    sim::fail_version();
    detect_os_class(nullptr);
    ASSERT_EQ(os_class, OS_UNKNOWN);
    for (const char* name : {"RUORX41.VXD", "RUORX48.VXD", "RUORX51.VXD", "RLORX521", GUID})
        simcard_add_named_device(name, card());
    network_adapter(sim::Windows::WinXp, GUID);
    card()->faults.busy_connects = 1;

    EXPECT_EQ(channel_open("ORX"), 66);
    EXPECT_TRUE(sim::device_log().empty());
    EXPECT_TRUE(sim::sleeps().empty());
    expect_closed();
}

// ---------------------------------------------------------------- busy driver

struct BusyCase {
    uint32_t busy_answers;
    uint16_t status;
    int sleeps;
};

std::ostream& operator<<(std::ostream& os, const BusyCase& c) {
    return os << c.busy_answers << " busy answers";
}

class BusyDriver : public ChannelTest, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(BusyDriver, IsAskedAgainEvery100msUpToTenTimes) {
    const BusyCase& c = GetParam();
    windows(sim::Windows::Win98);
    simcard_add_named_device("RUORX48.VXD", card());
    card()->faults.busy_connects = c.busy_answers;

    EXPECT_EQ(channel_open("ORX"), c.status);
    const int attempts = c.status == 0 ? c.sleeps + 1 : c.sleeps;
    EXPECT_EQ(card()->counters.connects, static_cast<uint32_t>(attempts));
    // Each busy attempt's handle is closed again before the next.
    EXPECT_EQ(count_of(sim::device_log(), create_of("RUORX48.VXD")), attempts);
    EXPECT_EQ(count_of(sim::device_log(), "close"), c.sleeps);
    EXPECT_EQ(sim::sleeps(), std::vector<uint32_t>(c.sleeps, 100));
    EXPECT_EQ(sim::now_ms(), 100u * c.sleeps);
    EXPECT_EQ(sim::open_device_handles(), c.status == 0 ? 1 : 0);
    if (c.status != 0) expect_closed();
}

INSTANTIATE_TEST_SUITE_P(Channel, BusyDriver,
                         ::testing::Values(BusyCase{0, 0, 0}, BusyCase{3, 0, 3}, BusyCase{9, 0, 9},
                                           BusyCase{10, 68, 10}, BusyCase{15, 68, 10}));

TEST_F(ChannelTest, BusyNt4DeviceHasItsDefinedNameRemovedEachTime) {
    windows(sim::Windows::Nt40);
    simcard_add_device("\\Device\\RLORX521", card());  // no DOS name of its own
    card()->faults.busy_connects = 2;

    ASSERT_EQ(channel_open("ORX"), 0);
    EXPECT_EQ(count_of(sim::device_log(), "define RLORX521"), 3);
    EXPECT_EQ(count_of(sim::device_log(), "remove RLORX521"), 2);
    EXPECT_EQ(driver_channel.dos_name_defined, 1u);
    EXPECT_TRUE(sim::dos_name_exists("RLORX521"));
    channel_close();
    EXPECT_FALSE(sim::dos_name_exists("RLORX521"));
}

// ---------------------------------------------------------------- NT 4 names

TEST_F(ChannelTest, Nt4SearchDefinesTriesAndRemovesNamesInOrder) {
    windows(sim::Windows::Nt40);
    simcard_add_device("\\Device\\RLORX522", card());

    ASSERT_EQ(channel_open("ORX"), 0);
    const std::vector<std::string> opened = {
        "query RLORX521",  "define RLORX521", "query RLORX521", create_of("RLORX521"),
        "remove RLORX521",  // instance 1: name defined, no device behind it
        "query RLORX522",  "define RLORX522", "query RLORX522", create_of("RLORX522"),
        "ioctl",  // connect
        "ioctl",  // range record
    };
    EXPECT_EQ(sim::device_log(), opened);
    EXPECT_EQ(driver_channel.open_generation, 52u);
    EXPECT_EQ(driver_channel.dos_name_defined, 1u);
    EXPECT_FALSE(sim::dos_name_exists("RLORX521"));
    EXPECT_TRUE(sim::dos_name_exists("RLORX522"));

    channel_close();
    std::vector<std::string> closed = opened;
    closed.insert(closed.end(), {"ioctl", "close", "remove RLORX522"});
    EXPECT_EQ(sim::device_log(), closed);
    EXPECT_FALSE(sim::dos_name_exists("RLORX522"));
    EXPECT_EQ(card()->counters.disconnects, 1u);
}

TEST_F(ChannelTest, Nt4NameThatExistedStaysAfterClose) {
    windows(sim::Windows::Nt40);
    simcard_add_named_device("RLORX523", card());

    ASSERT_EQ(channel_open("ORX"), 0);
    EXPECT_EQ(driver_channel.dos_name_defined, 0u);
    EXPECT_EQ(count_of(sim::device_log(), "define RLORX523"), 0);
    channel_close();
    EXPECT_TRUE(sim::dos_name_exists("RLORX523"));
    EXPECT_EQ(count_of(sim::device_log(), "remove RLORX523"), 0);
    // Instances 1 and 2 were defined and removed on the way.
    EXPECT_FALSE(sim::dos_name_exists("RLORX521"));
    EXPECT_FALSE(sim::dos_name_exists("RLORX522"));
}

struct Nt4StopCase {
    const char* name;
    std::function<void(SimCard*)> install;
    uint16_t status;
    std::vector<std::string> log;  // the whole device log of the open
};

class Nt4Search : public ChannelTest, public ::testing::WithParamInterface<Nt4StopCase> {};

TEST_P(Nt4Search, Ends) {
    const Nt4StopCase& c = GetParam();
    windows(sim::Windows::Nt40);
    c.install(card());
    EXPECT_EQ(channel_open("ORX"), c.status);
    EXPECT_EQ(sim::device_log(), c.log);
    expect_closed();
}

std::vector<std::string> nine_empty_instances() {
    std::vector<std::string> log;
    for (char d = '1'; d <= '9'; ++d) {
        const std::string name = std::string("RLORX52") + d;
        log.insert(log.end(), {"query " + name, "define " + name, "query " + name, create_of(name),
                               "remove " + name});
    }
    return log;
}

INSTANTIATE_TEST_SUITE_P(
    Channel, Nt4Search,
    ::testing::Values(
        Nt4StopCase{"access_denied_stops_at_once",
                    [](SimCard* card) {
                        sim::fail_query_dos_device("RLORX521", 5);
                        simcard_add_named_device("RLORX522", card);
                    },
                    66,
                    {"query RLORX521"}},
        Nt4StopCase{"access_denied_on_instance_2_stops_there",
                    [](SimCard* card) {
                        sim::fail_query_dos_device("RLORX522", 5);
                        simcard_add_named_device("RLORX523", card);
                    },
                    66,
                    {"query RLORX521", "define RLORX521", "query RLORX521", create_of("RLORX521"),
                     "remove RLORX521", "query RLORX522"}},
        Nt4StopCase{"define_failing_stops",
                    [](SimCard* card) {
                        sim::fail_define_dos_device();
                        simcard_add_named_device("RLORX522", card);
                    },
                    66,
                    {"query RLORX521", "define RLORX521"}},
        Nt4StopCase{"defined_name_not_found_again_stops",
                    [](SimCard* card) {
                        sim::fail_query_dos_device("RLORX521", 2);
                        simcard_add_named_device("RLORX522", card);
                    },
                    // The name this search defined does not stay behind.
                    66,
                    {"query RLORX521", "define RLORX521", "query RLORX521", "remove RLORX521"}},
        Nt4StopCase{"nine_instances_without_device", [](SimCard*) {}, 66, nine_empty_instances()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChannelTest, Nt4DeviceRefusingTheConnectIsPassedForTheNext) {
    windows(sim::Windows::Nt40);
    sim::add_device("\\Device\\RLORX521",
                    [](uint32_t, const void*, uint32_t, void*, uint32_t, uint32_t* returned) {
                        *returned = 0;
                        return 0;
                    });
    simcard_add_named_device("RLORX522", card());

    ASSERT_EQ(channel_open("ORX"), 0);
    const std::vector<std::string> first = {
        "query RLORX521", "define RLORX521", "query RLORX521", create_of("RLORX521"),
        "ioctl",          "remove RLORX521", "close",          "query RLORX522"};
    const auto& log = sim::device_log();
    ASSERT_GE(log.size(), first.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + first.size()), first);
    EXPECT_EQ(driver_channel.dos_name_defined, 0u);
    EXPECT_FALSE(sim::dos_name_exists("RLORX521"));
    EXPECT_EQ(sim::open_device_handles(), 1);
}

// ---------------------------------------------------------------- connect answers

struct ConnectCase {
    const char* name;
    sim::Windows windows;
    std::function<void(SimCard*)> fault;
};

class ConnectWithoutContext : public ChannelTest,
                              public ::testing::WithParamInterface<ConnectCase> {};

// Installs the card where each Windows looks for it; NT 4 without a DOS name so
// that the open defines one.
void install_for(sim::Windows which, SimCard* card) {
    switch (which) {
    case sim::Windows::Win98: simcard_add_named_device("RUORX48.VXD", card); break;
    case sim::Windows::Nt40: simcard_add_device("\\Device\\RLORX521", card); break;
    default:
        network_adapter(which, GUID);
        simcard_add_named_device(GUID, card);
        break;
    }
}

TEST_P(ConnectWithoutContext, CountsAsNoDriver) {
    const ConnectCase& c = GetParam();
    windows(c.windows);
    install_for(c.windows, card());
    c.fault(card());

    EXPECT_EQ(channel_open("ORX"), 66);
    expect_closed();
    EXPECT_EQ(sim::open_device_handles(), 0);
    EXPECT_FALSE(sim::dos_name_exists("RLORX521"));
    EXPECT_EQ(card()->counters.gets, 0u);
    EXPECT_TRUE(sim::sleeps().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Channel, ConnectWithoutContext,
    ::testing::Values(ConnectCase{"win98_zero_context", sim::Windows::Win98,
                                  [](SimCard* c) { c->faults.zero_context = 1; }},
                      ConnectCase{"win98_silent_connect", sim::Windows::Win98,
                                  [](SimCard* c) { c->faults.silent_connect = 1; }},
                      ConnectCase{"win98_failing_connect", sim::Windows::Win98,
                                  [](SimCard* c) { c->faults.fail_command_mask = 1u << 0; }},
                      ConnectCase{"nt4_zero_context", sim::Windows::Nt40,
                                  [](SimCard* c) { c->faults.zero_context = 1; }},
                      ConnectCase{"nt4_silent_connect", sim::Windows::Nt40,
                                  [](SimCard* c) { c->faults.silent_connect = 1; }},
                      ConnectCase{"winxp_zero_context", sim::Windows::WinXp,
                                  [](SimCard* c) { c->faults.zero_context = 1; }},
                      ConnectCase{"winxp_silent_connect", sim::Windows::WinXp,
                                  [](SimCard* c) { c->faults.silent_connect = 1; }},
                      ConnectCase{"winxp_failing_connect", sim::Windows::WinXp,
                                  [](SimCard* c) { c->faults.fail_command_mask = 1u << 0; }}),
    [](const auto& info) { return std::string(info.param.name); });

// A connect that gets no answer must not find the previous connect's context.
TEST_F(ChannelTest, UnansweredConnectAfterAGoodOneIsNoDriver) {
    for (sim::Windows which : {sim::Windows::Win98, sim::Windows::WinXp}) {
        restart();
        simcard_init(card());
        windows(which);
        install_for(which, card());
        ASSERT_EQ(channel_open("ORX"), 0);
        channel_close();
        card()->faults.silent_connect = 1;
        EXPECT_EQ(channel_open("ORX"), 66);
        expect_closed();
        EXPECT_EQ(sim::open_device_handles(), 0);
    }
}

TEST_F(ChannelTest, OtherConnectStatusIsReturnedWithoutRetry) {
    driver_.answer = [](RequestFrame& f, uint32_t* returned) {
        *returned = sizeof f;
        f.status = 7;
        f.context = 0x1234;
        return 1;
    };
    windows(sim::Windows::Win98);
    sim::add_named_device("RUORX48.VXD", driver_.handler());
    EXPECT_EQ(channel_open("ORX"), 7);
    EXPECT_EQ(driver_.requests.size(), 1u);
    EXPECT_TRUE(sim::sleeps().empty());
    expect_closed();
}

TEST_F(ChannelTest, ConnectRequestCarriesCommandZeroOnItsOwnFrame) {
    open_scripted();
    channel_close();
    driver_.requests.clear();
    // Leave something in the main frame: the connect must not use it.
    driver_channel.frame.command = CHANNEL_COMMAND_PUT_RECORD;
    driver_channel.frame.status = 99;
    ASSERT_EQ(channel_open("ORX"), 0);
    ASSERT_GE(driver_.requests.size(), 1u);
    EXPECT_EQ(driver_.requests[0].command, CHANNEL_COMMAND_CONNECT);
    EXPECT_EQ(driver_.requests[0].status, 0);
    EXPECT_EQ(driver_.requests[0].context, 0u);
}

// ---------------------------------------------------------------- range check

struct RangeCase {
    const char* name;
    std::function<void(SimCard*)> range;
    uint16_t status;
};

class DriverRange : public ChannelTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(DriverRange, DecidesTheOpen) {
    const RangeCase& c = GetParam();
    windows(sim::Windows::Win98);
    simcard_add_named_device("RUORX48.VXD", card());
    c.range(card());

    EXPECT_EQ(channel_open("ORX"), c.status);
    // The range is asked for with length 6; a refused range leaves the channel
    // open for its user to close.
    const SimCardLogEntry* get = simcard_log_entry(card(), 1);
    ASSERT_NE(get, nullptr);
    EXPECT_EQ(get->command, SIMCARD_CMD_GET);
    EXPECT_EQ(get->type, 0x0827);
    EXPECT_EQ(get->length, 6);
    EXPECT_EQ(driver_channel.open_generation, 48u);
    EXPECT_EQ(card()->counters.exchanges, 2u);
}

std::function<void(SimCard*)> range(uint16_t variant, uint16_t bottom, uint16_t top) {
    return [=](SimCard* c) { simcard_set_range(c, variant, bottom, top); };
}

std::function<void(SimCard*)> range_record(uint16_t length, std::vector<uint16_t> data) {
    return [=](SimCard* c) { simcard_set_record(c, 0x0827, length, data.data()); };
}

INSTANTIATE_TEST_SUITE_P(
    Channel, DriverRange,
    ::testing::Values(
        RangeCase{"v48_100_120_above", range(48, 100, 120), 65},
        RangeCase{"v48_5_7_inside", range(48, 5, 7), 0},
        RangeCase{"v48_top_touches_bottom_1", range(48, 0, 1), 0},
        RangeCase{"v48_bottom_touches_top_99", range(48, 99, 500), 0},
        RangeCase{"v48_above_by_one", range(48, 100, 100), 65},
        RangeCase{"v48_below", range(48, 0, 0), 65}, RangeCase{"v48_wide", range(48, 0, 0xFFFF), 0},
        RangeCase{"v47_rejected", range(47, 1, 99), 65}, RangeCase{"v41", range(41, 1, 99), 0},
        RangeCase{"v46", range(46, 50, 60), 0}, RangeCase{"v51", range(51, 1, 1), 0},
        RangeCase{"v52", range(52, 99, 99), 0}, RangeCase{"v53_rejected", range(53, 1, 99), 65},
        RangeCase{"first_two_words_not_examined", range_record(6, {0xFFFF, 0xFFFF, 52, 10, 20}), 0},
        // Length 5 has no top word: too short to judge.
        RangeCase{"short_answer", range_record(5, {0, 0, 48, 1}), 65},
        RangeCase{"empty_answer", range_record(1, {}), 65},
        // A longer record comes back cut with status 8 and counts.
        RangeCase{"longer_record_status_8", range_record(8, {0, 0, 48, 1, 99, 7, 7}), 0},
        RangeCase{"longer_record_status_8_wrong_variant", range_record(8, {0, 0, 49, 1, 99, 7, 7}),
                  65},
        // No such record: the card's own status comes back unchanged.
        RangeCase{"range_record_missing", [](SimCard* c) { simcard_remove_record(c, 0x0827); },
                  SIMCARD_STATUS_NO_RECORD}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChannelTest, RangeAnswerLeftUnwrittenIsRefused) {
    // A driver that writes nothing into the range answer: the request's own
    // words (length 6, first data word 0xFFFF, the rest zero) give variant 0.
    driver_.answer = [](RequestFrame& f, uint32_t* returned) {
        *returned = sizeof f;
        f.status = 0;
        if (f.command == CHANNEL_COMMAND_CONNECT) f.context = 5;
        return 1;
    };
    windows(sim::Windows::Win98);
    sim::add_named_device("RUORX48.VXD", driver_.handler());
    EXPECT_EQ(channel_open("ORX"), 65);
    ASSERT_EQ(driver_.requests.size(), 2u);
    EXPECT_EQ(driver_.requests[1].command, CHANNEL_COMMAND_GET_RECORD);
    EXPECT_EQ(driver_.requests[1].length, 6);
    EXPECT_EQ(driver_.requests[1].type, 0x0827);
    EXPECT_EQ(driver_.requests[1].data[0], 0xFFFF);
    EXPECT_EQ(driver_.requests[1].context, 5u);
}

// The top word lies in the frame, but past the length the driver reported.
TEST_F(ChannelTest, RangeReportedShortIsRefusedWhateverTheFrameHolds) {
    for (uint16_t status : {0, 8}) {
        restart();
        driver_ = ScriptedDriver();
        driver_.answer = [status](RequestFrame& f, uint32_t* returned) {
            ScriptedDriver::behave(f, returned);
            if (f.command == CHANNEL_COMMAND_GET_RECORD) {
                f.length = 5;
                f.status = status;
            }
            return 1;
        };
        windows(sim::Windows::Win98);
        sim::add_named_device("RUORX48.VXD", driver_.handler());
        EXPECT_EQ(channel_open("ORX"), 65) << status;
        channel_close();
    }
}

// ---------------------------------------------------------------- record reads

struct GetCase {
    uint16_t asked;     // the caller's length word
    uint16_t reported;  // the driver's length word
    uint16_t status;    // the driver's status
    unsigned copied;    // words written after the length word
};

std::ostream& operator<<(std::ostream& os, const GetCase& c) {
    return os << "asked " << c.asked << ", reported " << c.reported << ", status " << c.status;
}

class RecordRead : public ChannelTest, public ::testing::WithParamInterface<GetCase> {};

// Data word i of the driver's answer.
uint16_t answer_word(unsigned i) { return static_cast<uint16_t>(0x8000 | (i & 0x7FFF)); }

TEST_P(RecordRead, CopiesNoMoreThanBufferAndAnswerHold) {
    const GetCase& c = GetParam();
    open_scripted();
    driver_.answer = [&](RequestFrame& f, uint32_t* returned) {
        *returned = sizeof f;
        f.status = c.status;
        f.length = c.reported;
        f.type = 0x4242;
        for (unsigned i = 0; i < FRAME_DATA_WORDS; ++i) f.data[i] = answer_word(i);
        return 1;
    };
    const unsigned guard = 8;
    std::vector<uint16_t> buffer(1u + c.asked + guard, SENTINEL);
    buffer[0] = c.asked;
    if (c.asked >= 1) buffer[1] = 0x0042;

    EXPECT_EQ(card_get_record(buffer.data()), c.status);
    ASSERT_EQ(driver_.requests.size(), 1u);
    const RequestFrame& sent = driver_.requests[0];
    EXPECT_EQ(sent.command, CHANNEL_COMMAND_GET_RECORD);
    EXPECT_EQ(sent.length, std::min<unsigned>(c.asked, 4097));
    EXPECT_EQ(sent.status, 0);
    EXPECT_EQ(sent.data[0], 0xFFFF);
    EXPECT_EQ(sent.context, 0xCAFE0001u);

    EXPECT_EQ(buffer[0], c.reported);
    if (c.copied >= 1) {
        EXPECT_EQ(buffer[1], 0x4242);
    }
    for (unsigned i = 2; i <= c.copied; ++i) ASSERT_EQ(buffer[i], answer_word(i - 2)) << i;
    for (size_t i = c.copied + 1; i < buffer.size(); ++i) {
        const uint16_t before = (i == 1 && c.asked >= 1) ? 0x0042 : SENTINEL;
        ASSERT_EQ(buffer[i], before) << "word " << i << " past what may be copied";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Channel, RecordRead,
    ::testing::Values(GetCase{2, 4, 8, 2},  // buffer for type and one data word
                      GetCase{2, 4, 0, 2},  // the same answered with status 0
                      GetCase{5, 5, 0, 5}, GetCase{10, 3, 0, 3}, GetCase{6, 0, 0, 0},
                      GetCase{0, 0xFFFF, 0, 0}, GetCase{1, 0xFFFF, 8, 1}, GetCase{5, 0xFFFF, 8, 5},
                      GetCase{52, 0xFFFF, 0, 52}, GetCase{4097, 0xFFFF, 0, 4097},
                      GetCase{5000, 0xFFFF, 0, 4097}, GetCase{0xFFFF, 0xFFFF, 8, 4097},
                      GetCase{0xFFFF, 12, 0, 12}));

TEST_F(ChannelTest, FailedReadLeavesTheBufferAlone) {
    struct Case {
        int ok;
        uint16_t status;
        uint16_t result;
    };
    for (const Case& c :
         {Case{1, 1, 1}, Case{1, 68, 68}, Case{1, 0xFFFF, 0xFFFF}, Case{0, 0, 66}}) {
        restart();
        driver_ = ScriptedDriver();
        open_scripted();
        driver_.answer = [c](RequestFrame& f, uint32_t* returned) {
            *returned = sizeof f;
            f.status = c.status;
            f.length = 3;
            f.type = 0x0042;
            f.data[0] = f.data[1] = 0x1111;
            return c.ok;
        };
        std::vector<uint16_t> buffer = {4, 0x0042, SENTINEL, SENTINEL, SENTINEL, SENTINEL};
        const std::vector<uint16_t> before = buffer;
        EXPECT_EQ(card_get_record(buffer.data()), c.result);
        EXPECT_EQ(buffer, before) << "status " << c.status;
        channel_close();
    }
}

TEST_F(ChannelTest, ReadWithoutRecordSendsLengthAndTypeZero) {
    open_scripted();
    driver_channel.frame.length = 9;
    driver_channel.frame.type = 9;
    EXPECT_EQ(card_get_record(nullptr), 0);
    ASSERT_EQ(driver_.requests.size(), 1u);
    EXPECT_EQ(driver_.requests[0].length, 0);
    EXPECT_EQ(driver_.requests[0].type, 0);
    EXPECT_EQ(driver_.requests[0].data[0], 0xFFFF);
}

TEST_F(ChannelTest, ReadOnAClosedChannelIs66AndTouchesNothing) {
    std::vector<uint16_t> buffer = {2, 0x0826, SENTINEL};
    EXPECT_EQ(card_get_record(buffer.data()), 66);
    EXPECT_EQ(buffer, (std::vector<uint16_t>{2, 0x0826, SENTINEL}));
}

// ---------------------------------------------------------------- record writes

struct PutCase {
    uint16_t length;      // the record's length word
    uint16_t sent;        // the frame's length word
    unsigned data_words;  // data words copied into the frame
};

std::ostream& operator<<(std::ostream& os, const PutCase& c) { return os << "length " << c.length; }

class RecordWrite : public ChannelTest, public ::testing::WithParamInterface<PutCase> {};

TEST_P(RecordWrite, SendsLengthCutTo4097AndItsDataOnly) {
    const PutCase& c = GetParam();
    open_scripted();
    // The record holds exactly its own words (no more than the frame takes), so
    // that reading past them is caught by the address sanitizer.
    const unsigned words = c.length >= 1 ? std::min<unsigned>(c.length - 1u, 4096) : 0;
    std::vector<uint16_t> record(2 + words);
    record[0] = c.length;
    record[1] = 0x0900;
    for (unsigned i = 0; i < words; ++i) record[2 + i] = answer_word(i);
    std::fill(std::begin(driver_channel.frame.data), std::end(driver_channel.frame.data), SENTINEL);

    EXPECT_EQ(card_put_record(record.data()), 0);
    ASSERT_EQ(driver_.requests.size(), 1u);
    const RequestFrame& sent = driver_.requests[0];
    EXPECT_EQ(sent.command, CHANNEL_COMMAND_PUT_RECORD);
    EXPECT_EQ(sent.status, 0);
    EXPECT_EQ(sent.length, c.sent);
    EXPECT_EQ(sent.type, 0x0900);
    EXPECT_EQ(sent.context, 0xCAFE0001u);
    unsigned copied = 0;
    while (copied < FRAME_DATA_WORDS && sent.data[copied] != SENTINEL) ++copied;
    EXPECT_EQ(copied, c.data_words);
    for (unsigned i = 0; i < c.data_words; ++i) ASSERT_EQ(sent.data[i], answer_word(i)) << i;
}

INSTANTIATE_TEST_SUITE_P(Channel, RecordWrite,
                         ::testing::Values(PutCase{0, 0, 0}, PutCase{1, 1, 0}, PutCase{2, 2, 1},
                                           PutCase{52, 52, 51}, PutCase{4096, 4096, 4095},
                                           PutCase{4097, 4097, 4096}, PutCase{4098, 4097, 4096},
                                           PutCase{0xFFFF, 4097, 4096}));

TEST_F(ChannelTest, WriteStatusAndWriteWithoutRecord) {
    open_scripted();
    driver_.answer = [](RequestFrame& f, uint32_t* returned) {
        *returned = sizeof f;
        f.status = 0x0123;
        return 1;
    };
    driver_channel.frame.length = 7;
    driver_channel.frame.type = 7;
    EXPECT_EQ(card_put_record(nullptr), 0x0123);
    ASSERT_EQ(driver_.requests.size(), 1u);
    EXPECT_EQ(driver_.requests[0].length, 0);
    EXPECT_EQ(driver_.requests[0].type, 0);

    driver_.answer = [](RequestFrame&, uint32_t* returned) {
        *returned = 0;
        return 0;
    };
    const uint16_t record[] = {2, 0x0902, 1};
    EXPECT_EQ(card_put_record(record), 66);
}

TEST_F(ChannelTest, WriteOnAClosedChannelSendsNothing) {
    const uint16_t record[] = {2, 0x0902, 1};
    EXPECT_EQ(card_put_record(record), 66);
    EXPECT_EQ(card_put_record(nullptr), 66);
    EXPECT_TRUE(sim::device_log().empty());
}

// ---------------------------------------------------------------- actions

class Action : public ChannelTest, public ::testing::WithParamInterface<uint16_t> {};

TEST_P(Action, AcceptedCodeIsSentWithLength4097) {
    open_scripted();
    driver_.answer = [](RequestFrame& f, uint32_t* returned) {
        *returned = sizeof f;
        f.status = 0x0042;  // whatever the driver says is passed on
        return 1;
    };
    driver_channel.frame.status = 77;
    EXPECT_EQ(channel_action(GetParam()), 0x0042);
    ASSERT_EQ(driver_.requests.size(), 1u);
    EXPECT_EQ(driver_.requests[0].command, CHANNEL_COMMAND_ACTION);
    EXPECT_EQ(driver_.requests[0].status, 0);
    EXPECT_EQ(driver_.requests[0].length, 4097);
    EXPECT_EQ(driver_.requests[0].type, GetParam());
    EXPECT_EQ(driver_.requests[0].context, 0xCAFE0001u);
}

INSTANTIATE_TEST_SUITE_P(Channel, Action, ::testing::Values(4, 6, 11, 12, 128));

TEST_F(ChannelTest, OtherActionCodesAre255AndSendNothing) {
    open_scripted();
    for (uint16_t code : {0, 1, 2, 3, 5, 7, 10, 13, 127, 129, 255, 256 + 128, 0xFFFF})
        EXPECT_EQ(channel_action(code), 255) << code;
    EXPECT_TRUE(driver_.requests.empty());
}

TEST_F(ChannelTest, ActionOnAClosedChannelIs66) {
    EXPECT_EQ(channel_action(128), 66);
    EXPECT_EQ(channel_action(5), 66);
    EXPECT_TRUE(sim::device_log().empty());
}

TEST_F(ChannelTest, ActionThatFailsIs66AndTheChannelStaysOpen) {
    open_scripted();
    driver_.answer = [](RequestFrame&, uint32_t* returned) {
        *returned = 0;
        return 0;
    };
    EXPECT_EQ(channel_action(128), 66);
    EXPECT_EQ(driver_channel.open_generation, 48u);
}

// ---------------------------------------------------------------- transact, close

TEST_F(ChannelTest, TransactKeepsTheReturnedByteCount) {
    open_scripted();
    struct Case {
        int ok;
        uint32_t returned;
        uint16_t status;
    };
    for (const Case& c : {Case{1, 8204, 3}, Case{1, 12, 0}, Case{1, 0, 8}, Case{0, 17, 66}}) {
        driver_.answer = [c](RequestFrame& f, uint32_t* returned) {
            *returned = c.returned;
            f.status = c.ok ? c.status : 5;
            return c.ok;
        };
        driver_channel.frame.status = 99;
        uint32_t count = sizeof(RequestFrame);
        EXPECT_EQ(channel_transact(&driver_channel.frame, &count), c.status);
        EXPECT_EQ(count, c.returned);
        EXPECT_EQ(driver_.requests.back().status, 0);
    }
}

TEST_F(ChannelTest, CloseSendsTheDisconnectOnceWithTheContext) {
    open_scripted();
    const uint16_t record[] = {2, 0x0902, 1};
    uint16_t buffer[4] = {3, 0x0826};
    card_put_record(record);
    card_get_record(buffer);
    channel_action(128);
    channel_close();
    channel_close();

    ASSERT_EQ(driver_.requests.size(), 4u);
    for (const RequestFrame& f : driver_.requests) EXPECT_EQ(f.context, 0xCAFE0001u);
    const RequestFrame& disconnect = driver_.requests[3];
    EXPECT_EQ(disconnect.command, CHANNEL_COMMAND_DISCONNECT);
    EXPECT_EQ(disconnect.status, 69);
    EXPECT_EQ(disconnect.length, 0);
    EXPECT_EQ(disconnect.type, 0);
    expect_closed();
    const RequestFrame zero{};
    EXPECT_EQ(std::memcmp(&driver_channel.frame, &zero, sizeof zero), 0);
}

TEST_F(ChannelTest, CloseWithoutOpenTouchesNoDevice) {
    channel_close();
    EXPECT_TRUE(sim::device_log().empty());
    expect_closed();
}

TEST_F(ChannelTest, CloseIgnoresAFailingDisconnect) {
    windows(sim::Windows::Nt40);
    simcard_add_device("\\Device\\RLORX521", card());
    ASSERT_EQ(channel_open("ORX"), 0);
    card()->faults.fail_command_mask = 1u << CHANNEL_COMMAND_DISCONNECT;
    channel_close();
    expect_closed();
    EXPECT_FALSE(sim::dos_name_exists("RLORX521"));
}

}  // namespace
