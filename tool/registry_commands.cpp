// The commands that work on the registry and the file system alone.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "discovery.h"
#include "exit_codes.h"
#include "platform/system.h"
#include "registry.h"

namespace {

const char CLIENT_MANAGER_KEY[] = "Software\\Orvix\\Calyx Client Manager";
const char TOOL_FILE_NAME[] = "RCTOOL48.EXE";
const int TOOL_VARIANT = 1;
const char TOOL_RELEASE[] = "6.41.1.3";

const char* const GENERATION_41_FILES[] = {
    "%s\\drivers\\orvix41.sys", "%s\\orvix41.dll", "%s\\orvix.cpl",
    "%s\\orvix.hlp",            "%s\\orvix.cnt",   "%s\\orvix.gid",
};
const char* const GENERATION_52_FILES[] = {
    "%s\\drivers\\rlorx52.sys", "%s\\Rcpanel52.cpl", "%s\\rcpanel.cnt",
    "%s\\rcpanel.gid",          "%s\\rcpanel.hlp",
};

// Removes a file, read-only or not; every failure is ignored.
void remove_file(const char* path) {
    uint32_t attributes = plat_get_file_attributes(path);
    if (attributes != PLAT_INVALID_FILE_ATTRIBUTES) {
        attributes &= ~static_cast<uint32_t>(PLAT_FILE_ATTRIBUTE_READONLY);
        plat_set_file_attributes(path, attributes ? attributes : PLAT_FILE_ATTRIBUTE_NORMAL);
    }
    plat_delete_file(path);
}

template <unsigned N>
void remove_files(const char* const (&formats)[N]) {
    char directory[260];
    uint32_t length = plat_get_system_directory(directory, sizeof directory);
    // Without the system directory the paths would point elsewhere: remove nothing.
    if (length == 0 || length >= sizeof directory) return;
    for (const char* format : formats) {
        char path[300];
        int n = std::snprintf(path, sizeof path, format, directory);
        if (n > 0 && static_cast<unsigned>(n) < sizeof path) remove_file(path);
    }
}

}  // namespace

void tool_print(const char* text) { plat_write_stdout(text, std::strlen(text)); }

bool registry_release_ok() {
    static const char* const names[] = {"DriverVariant", "DriverMajor", "DriverMinor"};
    static const int32_t required[] = {1, 6, 41};
    for (int i = 0; i < 3; ++i) {
        int32_t value = 0;
        if (!reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, instance_key, names[i], &value) ||
            value != required[i])
            return false;
    }
    return true;
}

int command_count_adapters() {
    if (count_adapters(adapter_hardware_ids) >= 2) {
        plat_global_add_atom("MORE INSTALLED");
        return EXIT_MORE_ADAPTERS;
    }
    plat_global_add_atom("ONE INSTALLED");
    return EXIT_ONE_ADAPTER;
}

int command_client_manager() {
    char version[REG_STRING_SIZE];
    if (reg_read_string(PLAT_HKEY_LOCAL_MACHINE, CLIENT_MANAGER_KEY, "version", version)) {
        plat_global_add_atom("CQI INSTALLED 1");
        return EXIT_CLIENT_MANAGER_PRESENT;
    }
    plat_global_add_atom("CQI INSTALLED 0");
    return EXIT_CLIENT_MANAGER_ABSENT;
}

int command_remove_old_files(char which) {
    if (which == '0') {
        remove_files(GENERATION_41_FILES);
    } else if (which == '1') {
        if (find_adapter(adapter_hardware_ids)) return EXIT_REFUSED;
        remove_files(GENERATION_52_FILES);
    }
    return EXIT_OK;
}

int store_encryption_text(const char* text, int profile) {
    int32_t current = 0;
    if (!reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, instance_key, "ConfigType", &current)) current = 0;
    if (profile != 0) {
        char key[PROFILE_KEY_SIZE];
        char name[REG_STRING_SIZE];
        if (!profile_key_path(profile, key, sizeof key)) return 0;
        // A profile exists when it has a name.
        if (!reg_read_string(PLAT_HKEY_LOCAL_MACHINE, key, "ConfigName", name)) return 0;
        if (!reg_write_string(PLAT_HKEY_LOCAL_MACHINE, key, "Encryption", text)) return 0;
        if (profile != current) return 1;
    }
    return reg_write_string(PLAT_HKEY_LOCAL_MACHINE, instance_key, "Encryption", text);
}

int command_network_name(int profile) {
    char name[REG_STRING_SIZE] = "XXXXXX";
    char key[PROFILE_KEY_SIZE];
    const char* path = instance_key;
    if (profile != 0) path = profile_key_path(profile, key, sizeof key) ? key : nullptr;
    if (path) reg_read_string(PLAT_HKEY_LOCAL_MACHINE, path, "DesiredSSID", name);
    tool_print(name);
    return registry_release_ok() ? EXIT_OK : EXIT_WRONG_RELEASE;
}

int command_version() {
    char line[80];
    std::snprintf(line, sizeof line, "%s Variant %d, Version %s\n", TOOL_FILE_NAME, TOOL_VARIANT,
                  TOOL_RELEASE);
    tool_print(line);
    return EXIT_OK;
}

int command_read_driver_enable() {
    // Read as the applet does: 0 or 1, and 1 when missing or out of range.
    int32_t value = 1;
    if (!reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, instance_key, "DriverEnable", &value) ||
        value < 0 || value > 1)
        value = 1;
    return EXIT_DRIVER_ENABLE_BASE + value;
}
