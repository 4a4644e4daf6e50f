// The applet's start and its installer mailbox over registry content of any
// type and length (the instance key, its profiles, Software\Orvix\Driver),
// with or without a card: CPL_INIT, then CMConfigure or a Control Panel run
// whose dialogs answer as the input says. Checks that every text stays
// bounded, that the run always ends with Cpl_cmd 0, and that the statuses
// are the mailbox's.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "discovery.h"
#include "library_state.h"
#include "run.h"
#include "sim.h"
#include "sim_device.h"
#include "store.h"

namespace {

void check(bool condition) {
    if (!condition) abort();
}

const char GUID[] = "{5C1D0000-0000-4000-8000-000000000042}";
const std::string kInstance =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}\\0007";
const std::string kDriver = "Software\\Orvix\\Driver";

const char* const kValueNames[] = {
    "Cpl_cmd",     "Cpl_Status",  "ConfigType",    "ConfigName",       "NetworkType",
    "Configured",  "DesiredSSID", "OwnSSID",       "Encryption",       "DriverEnable",
    "DriverMinor", "DriverMajor", "DriverVariant", "SoftexPcmcia",     "APMode",
    "PortType",    "X_POS",       "Y_POS",         "NetworkAddress",   "RTSThreshold",
    "SystemScale", "version",     "Cur_conf",      "NetCfgInstanceId",
};

const size_t kEdgeLengths[] = {0, 1, 3, 4, 5, 31, 32, 33, 101, 102, 103, 255, 256, 258, 259, 300};

std::string key_for(unsigned choice) {
    switch (choice) {
    case 0: return kDriver;
    case 1: return kInstance;
    case 2:
    case 3:
    case 4:
    case 5: return kInstance + "\\Config0" + std::to_string(choice - 1);
    default: return kInstance + "\\Config07";
    }
}

// Dialogs, sheets and answers as the input says; a run that keeps reopening
// the dialog is ended after a few rounds.
class InputHost : public AppletHost {
public:
    explicit InputHost(FuzzedDataProvider& input) : input_(input) {}
    void acquire_module() override { ++held_; }
    void release_module() override { --held_; }
    int run_profile_dialog() override {
        static const int results[] = {1, 2, 2110, -1};
        if (++dialogs_ > 6) return 2;
        return input_.PickValueInArray(results);
    }
    int run_property_sheet(bool* cancelled) override {
        *cancelled = input_.ConsumeBool();
        return input_.ConsumeIntegralInRange<int>(-1, 1);
    }
    MessageAnswer message(uint16_t, uint16_t, MessageKind kind) override {
        if (kind != MESSAGE_QUESTION_YES_NO) return ANSWER_OK;
        return input_.ConsumeBool() ? ANSWER_YES : ANSWER_NO;
    }
    int held() const { return held_; }

private:
    FuzzedDataProvider& input_;
    int dialogs_ = 0;
    int held_ = 0;
};

bool bounded(const char* text, size_t size) { return memchr(text, 0, size) != nullptr; }

void check_configuration() {
    const ActiveConfiguration& c = active_configuration;
    for (const char* text :
         {c.encryption, c.desired_ssid, c.own_ssid, c.own_name, c.network_address})
        check(bounded(text, CONFIG_TEXT_SIZE));
    for (const auto& name : c.profile_names) check(bounded(name, CONFIG_TEXT_SIZE));
    check(c.current_profile <= PROFILE_COUNT);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    sim::log_calls(false);
    reset_library_state();
    sim::set_windows(input.ConsumeBool() ? sim::Windows::WinXp : sim::Windows::Nt40);

    // An installed adapter (XP layout), with the registry release 1, 6, 41.
    sim::set_dword("System\\CurrentControlSet\\Enum\\PCMCIA\\ORVIX-CALYX-2B13\\1", "DrvInst", 7);
    sim::set_string(kInstance, "VendorDescription", "Calyx PC Card");
    sim::set_string("System\\CurrentControlSet\\Services\\RLORX521\\Parameters",
                    "VendorDescription", "Calyx PC Card");
    sim::set_string(kInstance, "NetCfgInstanceId", GUID);
    sim::set_dword(kInstance, "DriverVariant", 1);
    sim::set_dword(kInstance, "DriverMajor", 6);
    sim::set_dword(kInstance, "DriverMinor", 41);

    SimCard card;
    if (input.ConsumeBool()) {
        simcard_init(&card);
        simcard_add_named_device(GUID, &card);
        simcard_add_named_device("RLORX521", &card);
    }

    const unsigned values = input.ConsumeIntegralInRange<unsigned>(0, 20);
    for (unsigned i = 0; i < values && input.remaining_bytes() > 0; ++i) {
        const std::string key = key_for(input.ConsumeIntegralInRange<unsigned>(0, 6));
        const std::string name = input.ConsumeBool()
                                     ? std::string(input.PickValueInArray(kValueNames))
                                     : input.ConsumeRandomLengthString(12);
        const uint32_t type = input.ConsumeBool() ? input.ConsumeIntegralInRange<uint32_t>(0, 11)
                                                  : input.ConsumeIntegral<uint32_t>();
        const size_t length = input.ConsumeBool() ? input.PickValueInArray(kEdgeLengths)
                                                  : input.ConsumeIntegralInRange<size_t>(0, 400);
        const uint8_t fill = input.ConsumeIntegral<uint8_t>();
        std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(input.ConsumeBool() ? length : 4);
        bytes.resize(length, fill);
        sim::set_value(key, name, type, bytes);
    }

    InputHost host(input);
    host.acquire_module();
    const int found = applet_init();
    check(found == 0 || found == 1);
    if (found) {
        bool ran = true;
        if (input.ConsumeBool()) {
            const uint32_t word = input.ConsumeIntegral<uint32_t>() & 0xFFFF;
            const uint32_t status = cm_configure(host, word);
            check(status == CPL_STATUS_OK || status == CPL_STATUS_BAD_COMMAND ||
                  status == CPL_STATUS_NO_ADAPTER || status == CPL_STATUS_BAD_PROFILE ||
                  status == CPL_STATUS_WRONG_DRIVER || status == 0xFFFFFFFFu);
            ran = word >= CMD_SHOW;  // below it no run starts
        } else {
            uint32_t status = 0;
            run_applet(host, RUN_READ_MAILBOX, &status);
        }
        check_configuration();
        // Every run ends with the mailbox empty and the release written.
        if (ran) {
            check(sim::get_dword(kDriver, "Cpl_cmd") == 0);
            check(sim::get_string(kDriver, "version") == "1.6.41");
        }
    }
    host.release_module();
    check(host.held() == 0);
    check(sim::open_key_handles() == 0 && sim::open_device_handles() == 0);
    return 0;
}
