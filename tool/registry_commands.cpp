// The commands that read or write the adapter's settings in the registry
// alone: 'E' (and the store step of 'e', 'W', 'K'), 'H' and 'R 2'.
#include "card_records.h"
#include "commands.h"
#include "discovery.h"
#include "exit_codes.h"
#include "format.h"
#include "registry.h"
#include "store.h"

int store_encryption_text(const char* text, int profile) {
    int32_t current = 0;
    if (!reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, instance_key, "ConfigType", &current)) current = 0;
    if (profile != 0) {
        char key[PROFILE_KEY_SIZE];
        if (!existing_profile_key_path(static_cast<uint32_t>(profile), key, sizeof key)) return 0;
        if (!reg_write_string(PLAT_HKEY_LOCAL_MACHINE, key, "Encryption", text)) return 0;
        if (profile != current) return 1;
    }
    return reg_write_string(PLAT_HKEY_LOCAL_MACHINE, instance_key, "Encryption", text);
}

int command_network_name(int profile) {
    char name[REG_STRING_SIZE];
    format_bounded(name, sizeof name, "%s", NAME_PLACEHOLDER);
    char key[PROFILE_KEY_SIZE];
    const char* path = instance_key;
    // A profile's name is shown whether or not the profile has a ConfigName.
    if (profile != 0)
        path = profile_key_path(static_cast<uint32_t>(profile), key, sizeof key) ? key : nullptr;
    if (path) reg_read_string(PLAT_HKEY_LOCAL_MACHINE, path, "DesiredSSID", name);
    tool_print(name);
    return registry_release_ok() ? EXIT_OK : EXIT_WRONG_RELEASE;
}

int command_read_driver_enable() {
    // Read as the applet does: 0 or 1, and 1 when missing or out of range.
    int32_t value = 1;
    if (!reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, instance_key, "DriverEnable", &value) ||
        value < 0 || value > 1)
        value = 1;
    return EXIT_DRIVER_ENABLE_BASE + value;
}
