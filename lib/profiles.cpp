#include "profiles.h"

#include <cstdio>

#include "registry.h"
#include "store.h"

void load_profile_list() {
    ActiveConfiguration& config = active_configuration;
    const char* root = store_instance_key();
    int32_t number;
    if (root && reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, root, "ConfigType", &number)) {
        // Anything but a profile number counts as none chosen: a Config07
        // would load nothing but defaults and then store them as the active set.
        config.current_profile =
            static_cast<uint32_t>(number) <= PROFILE_COUNT ? static_cast<uint32_t>(number) : 0;
    }

    for (uint32_t n = 1; n <= PROFILE_COUNT; ++n) {
        char path[PROFILE_KEY_SIZE];
        char* name = config.profile_names[n - 1];
        if (profile_key_path(n, path, sizeof path)) {
            store_read_text(path, "ConfigName", name, CONFIG_TEXT_SIZE);
            if (reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, path, "NetworkType", &number))
                config.profile_types[n - 1] = static_cast<uint32_t>(number);
        }
        config.shown_types[n - 1] = config.profile_types[n - 1];
        if (!config.profile_new[n - 1] && name[0] == '\0') config.profile_new[n - 1] = 1;
    }

    if (config.profile_names[0][0] == '\0')
        snprintf(config.profile_names[0], CONFIG_TEXT_SIZE, "%s", "Default");

    int32_t configured;
    if (!root || !reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, root, "Configured", &configured))
        snprintf(config.desired_ssid, CONFIG_TEXT_SIZE, "%s", "Orvix");
}

void store_profile_list() {
    const ActiveConfiguration& config = active_configuration;
    const char* root = store_instance_key();
    if (root)
        reg_write_dword(PLAT_HKEY_LOCAL_MACHINE, root, "ConfigType",
                        static_cast<int32_t>(config.current_profile));
    reg_write_dword(PLAT_HKEY_LOCAL_MACHINE, ORVIX_DRIVER_KEY, "Cur_conf",
                    static_cast<int32_t>(config.current_profile));

    for (uint32_t n = 1; n <= PROFILE_COUNT; ++n) {
        const char* name = config.profile_names[n - 1];
        char path[PROFILE_KEY_SIZE];
        if (profile_key_path(n, path, sizeof path)) {
            if (name[0] == '\0') {
                reg_delete_tree(PLAT_HKEY_LOCAL_MACHINE, path);
            } else {
                reg_write_string(PLAT_HKEY_LOCAL_MACHINE, path, "ConfigName", name);
                reg_write_dword(PLAT_HKEY_LOCAL_MACHINE, path, "NetworkType",
                                static_cast<int32_t>(config.profile_types[n - 1]));
            }
        }
        char copy_name[16];
        snprintf(copy_name, sizeof copy_name, "Config%02lu", static_cast<unsigned long>(n));
        reg_write_string(PLAT_HKEY_LOCAL_MACHINE, ORVIX_DRIVER_KEY, copy_name, name);
    }
}
