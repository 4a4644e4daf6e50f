// RCTOOL48 over any command line and any device registry: arguments of any
// count, length and bytes; the discovery values (Driver, DrvInst,
// VendorDescription, release numbers, profile values) of any type and length.
// Every run must end with one of the tool's exit codes and print only what
// the commands print.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "card_records.h"
#include "channel.h"
#include "discovery.h"
#include "library_state.h"
#include "os.h"
#include "sim.h"
#include "store.h"
#include "tool.h"

namespace {

void check(bool condition) {
    if (!condition) abort();
}

const sim::Windows WINDOWS[] = {sim::Windows::Win95, sim::Windows::Win98, sim::Windows::Nt40,
                                sim::Windows::Win2000, sim::Windows::WinXp};

const char* const KEYS[] = {
    "Enum\\PCMCIA\\ORVIX-CALYX-2B13\\0",
    "Enum\\USB\\ORVIX-CALYX-0087\\x",
    "System\\CurrentControlSet\\Enum\\PCMCIA\\ORVIX-CALYX-2B13\\1",
    "System\\CurrentControlSet\\Enum\\USB\\ORVIX-CALYX-2B13\\first",
    "System\\CurrentControlSet\\Services\\Class\\Net\\0003",
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}\\0007",
    "System\\CurrentControlSet\\Services\\RLORX521\\Parameters",
    "System\\CurrentControlSet\\Services\\RLORX523\\Parameters",
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}\\0007\\Config01",
    "Software\\Orvix\\Calyx Client Manager",
};

const char* const NAMES[] = {
    "Driver",       "DrvInst",     "VendorDescription", "DriverVariant", "DriverMajor",
    "DriverMinor",  "DesiredSSID", "ConfigType",        "ConfigName",    "Encryption",
    "DriverEnable", "version",     "NetCfgInstanceId",
};

// Values that make discovery succeed often enough to reach the commands.
const char* const GOOD_TEXTS[] = {"Calyx PC Card", "USB Adapter", "Net\\0003",
                                  "{4D36E972-E325-11CE-BFC1-08002bE10318}\\0007"};

bool known_exit_code(int code) {
    switch (code) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 100:
    case 101:
    case 200:
    case 201:
    case 300:
    case 301: return true;
    default: return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    sim::log_calls(false);  // nothing here reads the call logs
    reset_library_state();
    sim::set_windows(WINDOWS[in.ConsumeIntegralInRange<size_t>(0, 4)]);

    const unsigned values = in.ConsumeIntegralInRange<unsigned>(0, 24);
    for (unsigned i = 0; i < values; ++i) {
        const char* key = KEYS[in.ConsumeIntegralInRange<size_t>(0, std::size(KEYS) - 1)];
        const char* name = NAMES[in.ConsumeIntegralInRange<size_t>(0, std::size(NAMES) - 1)];
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            sim::set_string(
                key, name,
                GOOD_TEXTS[in.ConsumeIntegralInRange<size_t>(0, std::size(GOOD_TEXTS) - 1)]);
            break;
        case 1: sim::set_dword(key, name, in.ConsumeIntegral<uint32_t>()); break;
        default: {
            const uint32_t type = in.ConsumeIntegralInRange<uint32_t>(0, 7);
            const size_t length = in.ConsumeIntegralInRange<size_t>(0, 600);
            std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(length);
            sim::set_value(key, name, type, bytes);
        }
        }
    }

    std::vector<std::string> arguments;
    const unsigned count = in.ConsumeIntegralInRange<unsigned>(0, 7);
    for (unsigned i = 0; i < count; ++i) arguments.push_back(in.ConsumeRandomLengthString(300));
    std::vector<const char*> argv{"RCTOOL48.EXE"};
    for (const auto& a : arguments) argv.push_back(a.c_str());
    argv.push_back(nullptr);

    const std::string before = sim::dump();
    const int code = rctool_run(static_cast<int>(argv.size() - 1), argv.data());
    check(known_exit_code(code));
    // Refused arguments change nothing.
    if (code == 1 || code == 4) check(sim::dump() == before);
    const std::string out = sim::take_stdout();
    check(out.size() <= 258);
    check(sim::open_key_handles() == 0);
    check(sim::open_device_handles() == 0);
    // What the input built is freed within it: libFuzzer runs an input that
    // ends with more allocations than frees again, with a full leak check.
    reset_library_state();
    return 0;
}
