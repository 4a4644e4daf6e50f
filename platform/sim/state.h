// Shared state of the simulated Windows (internal to platform/sim).
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim.h"

namespace sim {

std::string lower(const std::string& text);

// Names compare as Windows compares them, without regard to case: maps are
// keyed by the lower-case name and looked up by a lower-case string_view.
using ByLowerName = std::less<>;

// A name in lower case without an allocation for the names the registry
// holds (up to 255 characters).
class LowerName {
public:
    explicit LowerName(std::string_view name);
    std::string_view view() const { return view_; }
    operator std::string_view() const { return view_; }

private:
    char small_[256];
    std::string large_;
    std::string_view view_;
};

struct Value {
    std::string name;  // as last written
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct Key {
    std::string name;
    Key* parent = nullptr;
    bool deleted = false;
    using Children = std::map<std::string, std::shared_ptr<Key>, ByLowerName>;
    using Values = std::map<std::string, Value, ByLowerName>;
    Children children;  // by lower-case name
    Values values;      // by lower-case name
    std::string path() const;
};

// A log of calls kept as one text, entries ended by a zero (no name the
// system passes can hold one). Logging reuses the text's storage, so a call
// costs no allocation once it has grown; the entries are split out only when
// a test asks for them.
class CallLog {
public:
    std::string& text() { return text_; }
    void end_entry() { text_ += '\0'; }
    void add(std::string_view entry) {
        text_ += entry;
        end_entry();
    }
    void clear();  // keeps the storage
    const std::vector<std::string>& entries() const;

private:
    std::string text_;
    mutable std::vector<std::string> entries_;
    mutable size_t parsed_ = 0;  // bytes of text_ split into entries_
};

struct State {
    std::shared_ptr<Key> hklm, hkcu;
    std::map<std::string, uint32_t, ByLowerName> denied;  // lower-case full path -> access mask
    CallLog reg_log;
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

    std::map<std::string, DeviceHandler, ByLowerName> devices;      // lower-case NT path
    std::map<std::string, std::string, ByLowerName> dos_names;      // lower-case name -> target
    std::map<std::string, uint32_t, ByLowerName> query_dos_faults;  // lower-case name -> error
    bool define_fails = false;
    CallLog dev_log;
    int device_handles = 0;
};

State& state();

// Whether calls go to the logs (see log_calls).
bool calls_logged();

// Drops what the registry remembers of paths it has walked; every reset of the
// keys must call it.
void forget_remembered_keys();

}  // namespace sim
