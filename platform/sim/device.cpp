// Simulated device namespace: NT device objects, DOS names pointing at them,
// handles, DeviceIoControl into a test's handler.
#include <cstring>

#include "platform/device.h"
#include "state.h"

using namespace sim;

namespace {

struct DeviceHandle {
    std::string target;
};

const char DEVICE_PREFIX[] = "\\\\.\\";

void log_device(const char* verb, std::string_view name) {
    if (!calls_logged()) return;
    state().dev_log.text() += verb;
    state().dev_log.add(name);
}

}  // namespace

PlatHandle plat_create_file(const char* path) {
    State& s = state();
    const std::string_view p = path ? path : "";
    log_device("create ", p);
    if (p.compare(0, 4, DEVICE_PREFIX) != 0) {
        s.last_error = 2;
        return PLAT_INVALID_HANDLE_VALUE;
    }
    auto link = s.dos_names.find(LowerName(p.substr(4)).view());
    if (link == s.dos_names.end()) {
        s.last_error = 2;
        return PLAT_INVALID_HANDLE_VALUE;
    }
    const LowerName target(link->second);
    if (!s.devices.count(target.view())) {
        s.last_error = 3;  // the name points at no device
        return PLAT_INVALID_HANDLE_VALUE;
    }
    ++s.device_handles;
    return new DeviceHandle{std::string(target.view())};
}

int plat_device_io_control(PlatHandle handle, uint32_t code, const void* in, uint32_t in_size,
                           void* out, uint32_t out_size, uint32_t* returned) {
    State& s = state();
    log_device("ioctl", "");
    if (!handle || handle == PLAT_INVALID_HANDLE_VALUE) {
        s.last_error = 6;
        return 0;
    }
    auto* h = static_cast<DeviceHandle*>(handle);
    auto it = s.devices.find(h->target);
    if (it == s.devices.end()) {
        s.last_error = 1167;  // ERROR_DEVICE_NOT_CONNECTED
        return 0;
    }
    uint32_t dummy = 0;
    int ok = it->second(code, in, in_size, out, out_size, returned ? returned : &dummy);
    if (!ok) s.last_error = 31;  // ERROR_GEN_FAILURE
    return ok;
}

int plat_close_handle(PlatHandle handle) {
    State& s = state();
    log_device("close", "");
    if (!handle || handle == PLAT_INVALID_HANDLE_VALUE) {
        s.last_error = 6;
        return 0;
    }
    delete static_cast<DeviceHandle*>(handle);
    --s.device_handles;
    return 1;
}

uint32_t plat_query_dos_device(const char* name, char* target, uint32_t size) {
    State& s = state();
    const std::string_view n = name ? name : "";
    log_device("query ", n);
    const LowerName lower_name(n);
    auto fault = s.query_dos_faults.find(lower_name.view());
    if (fault != s.query_dos_faults.end()) {
        s.last_error = fault->second;
        return 0;
    }
    auto it = s.dos_names.find(lower_name.view());
    if (it == s.dos_names.end()) {
        s.last_error = 2;
        return 0;
    }
    // The answer is a list of targets: each zero-terminated, then one more zero.
    const std::string& t = it->second;
    if (!target || t.size() + 2 > size) {
        s.last_error = 122;  // ERROR_INSUFFICIENT_BUFFER
        return 0;
    }
    std::memcpy(target, t.c_str(), t.size() + 1);
    target[t.size() + 1] = 0;
    return static_cast<uint32_t>(t.size() + 2);
}

int plat_define_dos_device(uint32_t flags, const char* name, const char* target) {
    State& s = state();
    std::string n = name ? name : "";
    std::string t = target ? target : "";
    const bool remove = (flags & PLAT_DDD_REMOVE_DEFINITION) != 0;
    log_device(remove ? "remove " : "define ", n);
    if (s.define_fails) {
        s.last_error = 5;
        return 0;
    }
    if (remove) {
        auto it = s.dos_names.find(lower(n));
        if (it == s.dos_names.end() ||
            ((flags & PLAT_DDD_EXACT_MATCH_ON_REMOVE) && lower(it->second) != lower(t))) {
            s.last_error = 2;
            return 0;
        }
        s.dos_names.erase(it);
        return 1;
    }
    s.dos_names[lower(n)] = t;
    return 1;
}

namespace sim {

void add_device(const std::string& nt_path, DeviceHandler handler) {
    state().devices[lower(nt_path)] = std::move(handler);
}

void remove_device(const std::string& nt_path) { state().devices.erase(lower(nt_path)); }

void add_dos_name(const std::string& name, const std::string& target) {
    state().dos_names[lower(name)] = target;
}

bool dos_name_exists(const std::string& name) { return state().dos_names.count(lower(name)) != 0; }

void add_named_device(const std::string& name, DeviceHandler handler) {
    add_device("\\Device\\" + name, std::move(handler));
    add_dos_name(name, "\\Device\\" + name);
}

void fail_query_dos_device(const std::string& name, uint32_t error) {
    state().query_dos_faults[lower(name)] = error;
}

void fail_define_dos_device() { state().define_fails = true; }

const std::vector<std::string>& device_log() { return state().dev_log.entries(); }

int open_device_handles() { return state().device_handles; }

}  // namespace sim
