// Shared state of the simulated Windows (internal to platform/sim).
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim.h"

namespace sim {

std::string lower(const std::string& text);

struct Value {
    std::string name;  // as first written
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct Key {
    std::string name;
    Key* parent = nullptr;
    bool deleted = false;
    std::map<std::string, std::shared_ptr<Key>> children;  // by lower-case name
    std::map<std::string, Value> values;                    // by lower-case name
    std::string path() const;
};

struct State {
    std::shared_ptr<Key> hklm, hkcu;
    std::map<std::string, uint32_t> denied;  // lower-case full path -> access mask
    std::vector<std::string> reg_log;
    int key_handles = 0;

    bool version_fails = false;
    PlatVersionInfo version{};

    std::string system_directory;
    std::map<std::string, uint32_t> files;  // lower-case path -> attributes
    std::map<std::string, std::string> file_names;
    std::map<std::string, bool> locked_files;
    std::vector<std::string> atoms;
    bool atoms_fail = false;
    std::string out;
    std::string computer_name;
    uint64_t clock_ms = 0;
    std::vector<uint32_t> sleeps;
    uint32_t last_error = 0;

    std::map<std::string, DeviceHandler> devices;     // lower-case NT path
    std::map<std::string, std::string> dos_names;     // lower-case name -> target
    std::map<std::string, uint32_t> query_dos_faults; // lower-case name -> error
    bool define_fails = false;
    std::vector<std::string> dev_log;
    int device_handles = 0;
};

State& state();

}  // namespace sim
