// simcard.sys as a kernel service, for the programs that test against it
// (the Win32 test tier, simcard_probe). Installs and starts the stand-in
// driver with a configuration, reads and changes the card through its
// control request, stops and removes it again.
//
// The driver lives as long as the wineserver of the prefix: start it from the
// test program itself (or keep the wineserver running), and stop it when done.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "simcard_ioctl.h"

struct SimcardServiceConfig {
    // Service name; the driver is copied to system32\drivers\<service>.sys.
    std::string service = "simcard";
    // \Device\<name> and \DosDevices\<name>: "RLORX523", "{GUID}", ...
    std::string device_name = "SIMCARD";
    // DOS names pointing at no device (CreateFileA fails with 3 on them).
    std::vector<std::string> extra_dos_names;
    // REG_DWORD values of the service key: BusyConnects, ZeroContext,
    // SilentConnect, Variant, Major, Minor, RangeVariant, RangeBottom,
    // RangeTop, NoAnswerRecord, NoAnswerMode, FailCommands, Context.
    std::vector<std::pair<std::string, uint32_t>> dwords;
    // Six bytes for MacAddress; empty: the card's default.
    std::vector<uint8_t> mac;
    // The built driver; empty: the SIMCARD_SYS environment variable, then
    // simcard.sys beside this program or up to three folders above it.
    std::string sys_path;

    SimcardServiceConfig& set(const std::string& name, uint32_t value) {
        dwords.emplace_back(name, value);
        return *this;
    }
};

// Removes a service of the same name first, so every start takes the given
// configuration. Returns once "\\.\<device_name>" opens. On failure *error
// (if given) says what went wrong.
bool simcard_service_start(const SimcardServiceConfig& config, std::string* error = nullptr);

// Stops and deletes the service; true also when there was none.
bool simcard_service_stop(const std::string& service, std::string* error = nullptr);

// Where simcard.sys was found for this config ("" when nowhere).
std::string simcard_sys_path(const SimcardServiceConfig& config);

// One control request to "\\.\<device_name>".
bool simcard_control(const std::string& device_name, const SimCardControlRequest& request,
                     SimCardControlAnswer* answer, std::string* error = nullptr);

// The card's state with record `record_id` (answer->length -1 when not stored).
bool simcard_read(const std::string& device_name, uint16_t record_id, SimCardControlAnswer* answer,
                  std::string* error = nullptr);

// Data words d0.. of a stored record; -1 when not stored or the driver is not reached.
int simcard_read_record(const std::string& device_name, uint16_t record_id,
                        std::vector<uint16_t>* data);

bool simcard_write_record(const std::string& device_name, uint16_t record_id, uint16_t length,
                          const std::vector<uint16_t>& data);
bool simcard_set_faults(const std::string& device_name, const SimCardFaults& faults);
bool simcard_clear_counters(const std::string& device_name);
