// Registry values of any type, length and content where the store reads its
// settings, profiles and bookkeeping; then a whole applet run of loads and
// stores over them. Checks that every field stays bounded and in range.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "discovery.h"
#include "encryption.h"
#include "library_state.h"
#include "os.h"
#include "sim.h"
#include "store.h"

namespace {

void check(bool condition) {
    if (!condition) abort();
}

const char* const kValueNames[] = {
    "SystemScale", "RTSThreshold",   "PMEnabled",     "MicroWaveRobustness",
    "CreateIBSS",  "NetworkAddress", "IoBaseAddress", "InterruptNumber",
    "Configured",  "DriverEnable",   "SoftexPcmcia",  "PortType",
    "APMode",      "OwnSSID",        "OwnName",       "DesiredSSID",
    "Encryption",  "ConfigType",     "ConfigName",    "NetworkType",
    "X_POS",       "Y_POS",          "DriverVariant", "DriverMajor",
    "DriverMinor", "Cur_conf",       "Config01",      "configname",
    "ENCRYPTION",
};

// Around the sizes of the number reader, the text form, the fields and the
// registry reader's buffer.
const size_t kEdgeLengths[] = {0,   1,   2,   3,   4,   5,   31,  32,  33, 101,
                               102, 103, 254, 255, 256, 257, 258, 259, 260};

const sim::Windows kWindows[] = {
    sim::Windows::Win95,   sim::Windows::Win98, sim::Windows::WinMe, sim::Windows::Nt40,
    sim::Windows::Win2000, sim::Windows::WinXp, sim::Windows::Win7,
};

const std::string kInstance = "System\\CurrentControlSet\\Services\\Class\\Net\\0000";

std::string instance_for(unsigned choice) {
    switch (choice) {
    case 0: return "";  // no adapter found
    case 1:
        // The longest path the instance key holds.
        return "Enum\\" + std::string(INSTANCE_KEY_SIZE - 1 - 5, 'k');
    default: return kInstance;
    }
}

std::string key_for(unsigned choice, const std::string& instance) {
    static const char* const subkeys[] = {"",           "\\Config01", "\\Config02",
                                          "\\Config03", "\\Config04", "\\Config00",
                                          "\\Config05", "\\Config07", "\\CONFIG02"};
    if (choice < sizeof subkeys / sizeof *subkeys)
        return instance.empty() ? std::string("Software") : instance + subkeys[choice];
    return "Software\\Orvix\\Driver";
}

bool bounded(const char* text, size_t size) { return memchr(text, 0, size) != nullptr; }

void check_fields() {
    const ActiveConfiguration& c = active_configuration;
    for (const char* text :
         {c.encryption, c.desired_ssid, c.own_ssid, c.own_name, c.network_address})
        check(bounded(text, CONFIG_TEXT_SIZE));
    for (const auto& name : c.profile_names) check(bounded(name, CONFIG_TEXT_SIZE));
    check(bounded(c.own_name, COMPUTER_NAME_SIZE));
    check(c.current_profile <= PROFILE_COUNT);
}

// After a load of these groups every number row is in its range and every
// text row with a default is non-empty.
void check_loaded(unsigned groups) {
    for (const ParameterRow& row : parameter_table) {
        if (!(row.load_group & groups)) continue;
        if (row.kind == PARAM_NUMBER) {
            uint32_t value = active_configuration.*row.number;
            check(value >= row.minimum && value <= row.maximum);
        } else if (row.default_text) {
            check((active_configuration.*row.text)[0] != '\0');
        }
    }
}

void fill_text(FuzzedDataProvider& input, char* field) {
    std::string text = input.ConsumeRandomLengthString(CONFIG_TEXT_SIZE - 1);
    memset(field, 0, CONFIG_TEXT_SIZE);
    memcpy(field, text.data(), text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    sim::log_calls(false);  // nothing here reads the call logs
    reset_library_state();

    sim::set_windows(input.PickValueInArray(kWindows));
    detect_os_class(nullptr);
    const std::string instance = instance_for(input.ConsumeIntegralInRange<unsigned>(0, 4));
    snprintf(instance_key, sizeof instance_key, "%s", instance.c_str());
    if (!instance.empty()) sim::create_key(instance);
    sim::set_computer_name(input.ConsumeRandomLengthString(40));

    // What an earlier run in the same loaded applet may have left.
    ActiveConfiguration& config = active_configuration;
    config.current_profile = input.ConsumeIntegralInRange<uint32_t>(0, PROFILE_COUNT);
    if (input.ConsumeBool()) {
        for (auto& name : config.profile_names) fill_text(input, name);
        for (auto& type : config.profile_types) type = input.ConsumeIntegral<uint32_t>();
        for (auto& flag : config.profile_new) flag = input.ConsumeIntegral<uint8_t>();
    }

    unsigned values = input.ConsumeIntegralInRange<unsigned>(0, 24);
    for (unsigned i = 0; i < values && input.remaining_bytes() > 0; ++i) {
        std::string key = key_for(input.ConsumeIntegralInRange<unsigned>(0, 9), instance);
        std::string name = input.ConsumeBool() ? std::string(input.PickValueInArray(kValueNames))
                                               : input.ConsumeRandomLengthString(16);
        uint32_t type = input.ConsumeBool() ? input.ConsumeIntegralInRange<uint32_t>(0, 11)
                                            : input.ConsumeIntegral<uint32_t>();
        size_t length = input.ConsumeBool() ? input.PickValueInArray(kEdgeLengths)
                                            : input.ConsumeIntegralInRange<size_t>(0, 600);
        uint8_t fill = input.ConsumeIntegral<uint8_t>();
        std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(input.ConsumeBool() ? length : 8);
        // Long values without long inputs: the lengths around the buffer
        // sizes (255, 256, 258, 259) matter more than the content.
        bytes.resize(length, fill);
        sim::set_value(key, name, type, bytes);
    }
    const int32_t width = input.ConsumeIntegral<int32_t>();
    const int32_t height = input.ConsumeIntegral<int32_t>();
    const int32_t right = input.ConsumeIntegral<int32_t>();
    const int32_t bottom = input.ConsumeIntegral<int32_t>();

    // The steps of a run.
    read_driver_identity();
    check_fields();
    load_parameters(GROUP_ALL);
    check_fields();
    check_loaded(GROUP_ALL);
    check_not_configured();
    load_profile_list();
    check_fields();
    check(config.profile_names[0][0] != '\0');
    if (config.not_configured) reset_profile_defaults();
    load_parameters(GROUP_PROFILE);
    check_loaded(GROUP_PROFILE);
    place_sheet_window(1, width, height, right, bottom);

    // The active set written and read back gives the same profile fields.
    store_parameters(GROUP_ACTIVE_SET);
    const ActiveConfiguration stored = config;
    config.current_profile = 0;
    load_parameters(GROUP_PROFILE);
    config.current_profile = stored.current_profile;
    if (!instance.empty()) {
        for (const ParameterRow& row : parameter_table) {
            if (row.store_group != GROUP_PROFILE) continue;
            if (row.kind == PARAM_NUMBER) {
                check(config.*row.number == stored.*row.number);
            } else if (!(row.flags & PARAM_NOT_WITH_SOFTEX) || stored.softex_pcmcia == 0) {
                check(strcmp(config.*row.text, stored.*row.text) == 0);
            }
        }
    }

    store_parameters(GROUP_ALL);
    save_dialog_position(width, height);
    store_profile_list();
    // The profile list read back names every profile it kept.
    store_reset();
    load_profile_list();
    check_fields();
    if (!instance.empty()) {
        for (unsigned n = 1; n <= PROFILE_COUNT; ++n) {
            if (strcmp(config.profile_names[n - 1], stored.profile_names[n - 1]) != 0)
                check(n == 1 && stored.profile_names[0][0] == '\0');
        }
        check(config.current_profile == stored.current_profile);
    }
    check(sim::open_key_handles() == 0);
    // What the input built is freed within it: libFuzzer runs an input that
    // ends with more allocations than frees again, with a full leak check.
    reset_library_state();
    return 0;
}
