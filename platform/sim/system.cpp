// Simulated version information, files, atoms, console and clock.
#include <cstring>

#include "platform/system.h"
#include "state.h"

namespace sim {

State& state() {
    static State* s = nullptr;
    if (!s) {
        s = new State;
        reset();
    }
    return *s;
}

void reset() {
    State& s = state();
    // Everything back to its default, but the roots and the logs keep their
    // storage: a reset per fuzz input then costs only what the input built.
    std::shared_ptr<Key> hklm = std::move(s.hklm), hkcu = std::move(s.hkcu);
    CallLog reg_log = std::move(s.reg_log), dev_log = std::move(s.dev_log);
    s = State();
    forget_remembered_keys();
    for (std::shared_ptr<Key>* root : {&hklm, &hkcu}) {
        if (*root && root->use_count() == 1) {
            (*root)->children.clear();
            (*root)->values.clear();
        } else {
            *root = std::make_shared<Key>();  // first use, or a handle still holds it
        }
    }
    s.hklm = std::move(hklm);
    s.hkcu = std::move(hkcu);
    reg_log.clear();
    dev_log.clear();
    s.reg_log = std::move(reg_log);
    s.dev_log = std::move(dev_log);
    s.system_directory = "C:\\WINDOWS\\system32";
    s.computer_name = "SIMHOST";
    set_windows(Windows::WinXp);
}

void set_version(uint32_t platform_id, uint32_t major, uint32_t minor, uint32_t build,
                 const char* csd) {
    State& s = state();
    s.version_fails = false;
    s.version = PlatVersionInfo{};
    s.version.platform_id = platform_id;
    s.version.major = major;
    s.version.minor = minor;
    s.version.build = build;
    std::snprintf(s.version.csd_version, sizeof s.version.csd_version, "%s", csd ? csd : "");
}

void set_windows(Windows which) {
    // 9x build numbers carry the version in the upper half, as Windows reports them.
    switch (which) {
    case Windows::Win95: set_version(1, 4, 0, 0x04000000u | 950, ""); break;
    case Windows::Win95Osr2: set_version(1, 4, 0, 0x04000000u | 1111, " B"); break;
    case Windows::Win98: set_version(1, 4, 10, 0x040A0000u | 1998, " "); break;
    case Windows::Win98Se: set_version(1, 4, 10, 0x040A0000u | 2222, " A "); break;
    case Windows::WinMe: set_version(1, 4, 90, 0x045A0000u | 3000, " "); break;
    case Windows::Nt40: set_version(2, 4, 0, 1381, "Service Pack 6"); break;
    case Windows::Win2000: set_version(2, 5, 0, 2195, "Service Pack 4"); break;
    case Windows::WinXp: set_version(2, 5, 1, 2600, "Service Pack 3"); break;
    case Windows::Win2003: set_version(2, 5, 2, 3790, "Service Pack 2"); break;
    case Windows::Vista: set_version(2, 6, 0, 6002, "Service Pack 2"); break;
    case Windows::Win7: set_version(2, 6, 1, 7601, "Service Pack 1"); break;
    }
}

void fail_version() { state().version_fails = true; }

void set_system_directory(const std::string& dir) { state().system_directory = dir; }

void add_file(const std::string& path, uint32_t attributes) {
    state().files[lower(path)] = attributes;
    state().file_names[lower(path)] = path;
}

bool file_exists(const std::string& path) { return state().files.count(lower(path)) != 0; }

void lock_file(const std::string& path) { state().locked_files[lower(path)] = true; }

bool atom_exists(const std::string& name) {
    for (const std::string& a : state().atoms)
        if (lower(a) == lower(name)) return true;
    return false;
}

std::vector<std::string> atoms() { return state().atoms; }

void fail_atoms() { state().atoms_fail = true; }

std::string take_stdout() {
    std::string out = state().out;
    state().out.clear();
    return out;
}

void set_computer_name(const std::string& name) { state().computer_name = name; }

uint64_t now_ms() { return state().clock_ms; }

const std::vector<uint32_t>& sleeps() { return state().sleeps; }

}  // namespace sim

using namespace sim;

int plat_get_version(PlatVersionInfo* info) {
    if (state().version_fails || !info) return 0;
    *info = state().version;
    return 1;
}

uint32_t plat_get_system_directory(char* buffer, uint32_t size) {
    const std::string& dir = state().system_directory;
    if (dir.size() + 1 > size) return static_cast<uint32_t>(dir.size() + 1);
    std::memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<uint32_t>(dir.size());
}

uint32_t plat_get_file_attributes(const char* path) {
    auto it = state().files.find(lower(path));
    if (it == state().files.end()) {
        state().last_error = 2;
        return PLAT_INVALID_FILE_ATTRIBUTES;
    }
    return it->second;
}

int plat_set_file_attributes(const char* path, uint32_t attributes) {
    auto it = state().files.find(lower(path));
    if (it == state().files.end()) {
        state().last_error = 2;
        return 0;
    }
    it->second = attributes ? attributes : PLAT_FILE_ATTRIBUTE_NORMAL;
    return 1;
}

int plat_delete_file(const char* path) {
    auto it = state().files.find(lower(path));
    if (it == state().files.end()) {
        state().last_error = 2;
        return 0;
    }
    if ((it->second & PLAT_FILE_ATTRIBUTE_READONLY) || state().locked_files.count(lower(path))) {
        state().last_error = 5;
        return 0;
    }
    state().files.erase(it);
    return 1;
}

uint16_t plat_global_add_atom(const char* name) {
    State& s = state();
    if (s.atoms_fail || !name) return 0;
    for (size_t i = 0; i < s.atoms.size(); ++i)
        if (lower(s.atoms[i]) == lower(name)) return static_cast<uint16_t>(0xC000 + i);
    s.atoms.push_back(name);
    return static_cast<uint16_t>(0xC000 + s.atoms.size() - 1);
}

void plat_write_stdout(const char* text, size_t length) { state().out.append(text, length); }

int plat_get_computer_name(char* buffer, uint32_t* size) {
    const std::string& name = state().computer_name;
    if (!buffer || !size || name.size() + 1 > *size) {
        state().last_error = 111;  // ERROR_BUFFER_OVERFLOW
        if (size) *size = static_cast<uint32_t>(name.size() + 1);
        return 0;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<uint32_t>(name.size());
    return 1;
}

void plat_sleep(uint32_t milliseconds) {
    state().clock_ms += milliseconds;
    state().sleeps.push_back(milliseconds);
}

uint32_t plat_get_last_error() { return state().last_error; }
