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

}  // namespace

PlatHandle plat_create_file(const char* path) {
    State& s = state();
    std::string p = path ? path : "";
    s.dev_log.text() += "create ";
    s.dev_log.add(p);
    if (p.compare(0, 4, DEVICE_PREFIX) != 0) {
        s.last_error = 2;
        return PLAT_INVALID_HANDLE_VALUE;
    }
    auto link = s.dos_names.find(lower(p.substr(4)));
    if (link == s.dos_names.end()) {
        s.last_error = 2;
        return PLAT_INVALID_HANDLE_VALUE;
    }
    if (!s.devices.count(lower(link->second))) {
        s.last_error = 3;  // the name points at no device
        return PLAT_INVALID_HANDLE_VALUE;
    }
    ++s.device_handles;
    return new DeviceHandle{lower(link->second)};
}

int plat_device_io_control(PlatHandle handle, uint32_t code, const void* in, uint32_t in_size,
                           void* out, uint32_t out_size, uint32_t* returned) {
    State& s = state();
    s.dev_log.add("ioctl");
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
    s.dev_log.add("close");
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
    std::string n = name ? name : "";
    s.dev_log.text() += "query ";
    s.dev_log.add(n);
    auto fault = s.query_dos_faults.find(lower(n));
    if (fault != s.query_dos_faults.end()) {
        s.last_error = fault->second;
        return 0;
    }
    auto it = s.dos_names.find(lower(n));
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
    s.dev_log.text() += remove ? "remove " : "define ";
    s.dev_log.add(n);
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
