// Control side of the simulated Windows: what native tests use to lay out the
// registry, the version, files and devices, inject faults and look at results.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/device.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace sim {

// Back to an empty machine: empty registry, Windows XP, no files, no atoms,
// no devices, no faults, clock at 0.
void reset();

// ---- registry (paths relative to HKEY_LOCAL_MACHINE unless a root is given) ----
void create_key(const std::string& path, PlatKey root = PLAT_HKEY_LOCAL_MACHINE);
bool key_exists(const std::string& path, PlatKey root = PLAT_HKEY_LOCAL_MACHINE);
void set_value(const std::string& path, const std::string& name, uint32_t type,
               const std::vector<uint8_t>& data, PlatKey root = PLAT_HKEY_LOCAL_MACHINE);
// REG_SZ with its terminating zero.
void set_string(const std::string& path, const std::string& name, const std::string& text,
                PlatKey root = PLAT_HKEY_LOCAL_MACHINE);
void set_dword(const std::string& path, const std::string& name, uint32_t value,
               PlatKey root = PLAT_HKEY_LOCAL_MACHINE);
bool has_value(const std::string& path, const std::string& name,
               PlatKey root = PLAT_HKEY_LOCAL_MACHINE);
// Type and bytes of a value; false when missing.
bool get_value(const std::string& path, const std::string& name, uint32_t* type,
               std::vector<uint8_t>* data, PlatKey root = PLAT_HKEY_LOCAL_MACHINE);
// A REG_SZ value as text (up to its first zero); "<missing>" when absent,
// "<type N>" when of another type.
std::string get_string(const std::string& path, const std::string& name,
                       PlatKey root = PLAT_HKEY_LOCAL_MACHINE);
// A REG_DWORD value; -1 when missing or of another type.
int64_t get_dword(const std::string& path, const std::string& name,
                  PlatKey root = PLAT_HKEY_LOCAL_MACHINE);
// Names of the sub keys, as enumeration gives them.
std::vector<std::string> sub_keys(const std::string& path, PlatKey root = PLAT_HKEY_LOCAL_MACHINE);
// Every key and value below HKEY_LOCAL_MACHINE as text, one line each, for
// comparing "nothing changed".
std::string dump();
// Opening or creating this key with any of these access bits fails with 5.
void deny_access(const std::string& path, uint32_t access_mask);
// Number of key handles currently open (leak check).
int open_key_handles();
// Every registry call made, as "open PATH", "create PATH", "set PATH\\NAME" and so on.
const std::vector<std::string>& registry_log();
// Registry and device calls are logged (registry_log, device_log) unless this
// turns it off; a reset keeps the choice. For fuzz targets, which read no log
// and make hundreds of calls an input.
void log_calls(bool on);

// ---- Windows version ----
enum class Windows {
    Win95,
    Win95Osr2,
    Win98,
    Win98Se,
    WinMe,
    Nt40,
    Win2000,
    WinXp,
    Win2003,
    Vista,
    Win7
};
void set_windows(Windows which);
void set_version(uint32_t platform_id, uint32_t major, uint32_t minor, uint32_t build,
                 const char* csd);
void fail_version();

// ---- files ----
void set_system_directory(const std::string& dir);
void add_file(const std::string& path, uint32_t attributes = PLAT_FILE_ATTRIBUTE_NORMAL);
bool file_exists(const std::string& path);
// A file whose delete fails (as if in use).
void lock_file(const std::string& path);

// ---- atoms ----
bool atom_exists(const std::string& name);
std::vector<std::string> atoms();
void fail_atoms();

// ---- console ----
std::string take_stdout();

// ---- computer name ----
void set_computer_name(const std::string& name);

// ---- clock ----
uint64_t now_ms();
const std::vector<uint32_t>& sleeps();

// ---- devices ----
// A device's answer to DeviceIoControl: 1 success, 0 failure.
using DeviceHandler = std::function<int(uint32_t code, const void* in, uint32_t in_size, void* out,
                                        uint32_t out_size, uint32_t* returned)>;
// A device object at an NT path such as "\\Device\\RLORX522".
void add_device(const std::string& nt_path, DeviceHandler handler);
void remove_device(const std::string& nt_path);
// A DOS name (such as "RUORX48.VXD" or "{GUID}") pointing at an NT path;
// "\\\\.\\NAME" then opens it.
void add_dos_name(const std::string& name, const std::string& target);
bool dos_name_exists(const std::string& name);
// A device reachable as "\\\\.\\NAME": device "\\Device\\NAME" plus its DOS name.
void add_named_device(const std::string& name, DeviceHandler handler);
// QueryDosDeviceA of this name fails with this error.
void fail_query_dos_device(const std::string& name, uint32_t error);
// DefineDosDeviceA fails for every name.
void fail_define_dos_device();
// Calls made, as "create NAME", "close", "ioctl", "query NAME", "define NAME", "remove NAME".
const std::vector<std::string>& device_log();
int open_device_handles();

}  // namespace sim
