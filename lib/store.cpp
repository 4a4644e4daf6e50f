#include "store.h"

#include <cstdio>
#include <cstring>

#include "discovery.h"
#include "encryption.h"
#include "format.h"
#include "os.h"
#include "platform/system.h"
#include "registry.h"

namespace {

typedef ActiveConfiguration AC;

// Where a row lives for a load or a store; null when it has no key now. With
// no profile chosen (0) a profile row has no subkey: a store then skips it
// rather than make a Config00 that nothing reads.
const char* row_key(bool in_profile, char* buffer) {
    if (!in_profile) return store_instance_key();
    return profile_key_path(active_configuration.current_profile, buffer, PROFILE_KEY_SIZE)
               ? buffer
               : nullptr;
}

void write_text(const char* key, const char* name, const char* text) {
    if (key) reg_write_string(PLAT_HKEY_LOCAL_MACHINE, key, name, text);
}

// Numbers of the parameter table: REG_DWORD on the NT family, decimal REG_SZ
// on Windows 95 and 98 and on a Windows not recognised.
void write_number(const char* key, const char* name, uint32_t value) {
    if (!key) return;
    if (os_class & OS_MASK_NT) {
        reg_write_dword(PLAT_HKEY_LOCAL_MACHINE, key, name, static_cast<int32_t>(value));
    } else {
        char text[16];
        snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
        reg_write_string(PLAT_HKEY_LOCAL_MACHINE, key, name, text);
    }
}

int read_number(const char* key, const char* name, uint32_t* value) {
    int32_t read;
    if (!key || !reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, key, name, &read)) return 0;
    *value = static_cast<uint32_t>(read);
    return 1;
}

void set_text(char* field, const char* text) {
    snprintf(field, CONFIG_TEXT_SIZE, "%s", text ? text : "");
}

void load_row(const ParameterRow& row) {
    char path[PROFILE_KEY_SIZE];
    bool in_profile = row.load_group == GROUP_PROFILE && active_configuration.current_profile != 0;
    const char* key = row_key(in_profile, path);
    if (row.kind == PARAM_TEXT) {
        char* field = active_configuration.*row.text;
        if (!store_read_text(key, row.name, field, CONFIG_TEXT_SIZE)) field[0] = '\0';
        if (field[0] == '\0' && row.default_text) set_text(field, row.default_text);
    } else {
        uint32_t& field = active_configuration.*row.number;
        if (!read_number(key, row.name, &field)) field = row.default_number;
        if (row.maximum != 0 && (field < row.minimum || field > row.maximum))
            field = row.default_number;
    }
}

void store_row(const ParameterRow& row, unsigned groups) {
    const AC& config = active_configuration;
    if ((row.flags & PARAM_NOT_WITH_SOFTEX) && config.softex_pcmcia != 0) return;
    char path[PROFILE_KEY_SIZE];
    bool in_profile = row.store_group == GROUP_PROFILE && !(groups & GROUP_TO_ROOT);
    const char* key = row_key(in_profile, path);
    if (row.kind == PARAM_TEXT) {
        write_text(key, row.name, config.*row.text);
    } else if (row.flags & PARAM_NT4_DWORD) {
        if (os_class == OS_WINNT && key)
            reg_write_dword(PLAT_HKEY_LOCAL_MACHINE, key, row.name,
                            static_cast<int32_t>(config.*row.number));
    } else {
        write_number(key, row.name, config.*row.number);
    }
}

}  // namespace

// Zero-initialised, so that it takes no room in the file; the one field that
// starts non-zero is set when the module loads.
ActiveConfiguration active_configuration;

namespace {

int set_load_state() {
    active_configuration.not_configured = 1;
    return 1;
}

const int load_state_set = set_load_state();

}  // namespace

// Kind, load group, store group, conditions, value, field, range, default.
const ParameterRow parameter_table[PARAMETER_COUNT] = {
    {PARAM_NUMBER, 2, 2, 0, "SystemScale", &AC::system_scale, nullptr, 1, 3, 1, nullptr},
    {PARAM_NUMBER, 2, 2, 0, "RTSThreshold", &AC::rts_threshold, nullptr, 1, 2347, 2347, nullptr},
    {PARAM_NUMBER, 2, 2, 0, "PMEnabled", &AC::pm_enabled, nullptr, 0, 1, 0, nullptr},
    {PARAM_NUMBER, 2, 2, 0, "MicroWaveRobustness", &AC::microwave_robustness, nullptr, 0, 1, 0,
     nullptr},
    {PARAM_NUMBER, 2, 2, 0, "CreateIBSS", &AC::create_ibss, nullptr, 0, 1, 0, nullptr},
    {PARAM_TEXT, 2, 2, PARAM_NOT_WITH_SOFTEX, "NetworkAddress", nullptr, &AC::network_address, 0, 0,
     0, nullptr},
    {PARAM_NUMBER, 1, 1, PARAM_NOT_WITH_SOFTEX | PARAM_NT4_DWORD, "IoBaseAddress",
     &AC::io_base_address, nullptr, 0x100, 0xFFC0, 0x400, nullptr},
    {PARAM_NUMBER, 1, 1, PARAM_NOT_WITH_SOFTEX | PARAM_NT4_DWORD, "InterruptNumber",
     &AC::interrupt_number, nullptr, 0, 31, 3, nullptr},
    {PARAM_NUMBER, 1, 1, 0, "Configured", &AC::configured, nullptr, 0, 1, 0, nullptr},
    {PARAM_NUMBER, 1, 1, 0, "DriverEnable", &AC::driver_enable, nullptr, 0, 1, 1, nullptr},
    {PARAM_NUMBER, 1, 0, 0, "SoftexPcmcia", &AC::softex_pcmcia, nullptr, 0, 1, 0, nullptr},
    {PARAM_NUMBER, 2, 2, 0, "PortType", &AC::port_type, nullptr, 1, 3, 1, nullptr},
    {PARAM_NUMBER, 2, 2, 0, "APMode", &AC::ap_mode, nullptr, 0, 5, 0, nullptr},
    {PARAM_TEXT, 2, 2, 0, "OwnSSID", nullptr, &AC::own_ssid, 0, 0, 0, nullptr},
    {PARAM_TEXT, 0, 1, 0, "OwnName", nullptr, &AC::own_name, 0, 0, 0, nullptr},
    {PARAM_TEXT, 2, 2, 0, "DesiredSSID", nullptr, &AC::desired_ssid, 0, 0, 0, nullptr},
    {PARAM_TEXT, 2, 2, 0, "Encryption", nullptr, &AC::encryption, 0, 0, 0, default_encryption_text},
};

int store_read_text(const char* sub_key, const char* name, char* field, unsigned field_size) {
    if (!sub_key || field_size == 0) return 0;
    char buffer[REG_STRING_SIZE];
    if (!reg_read_string(PLAT_HKEY_LOCAL_MACHINE, sub_key, name, buffer)) return 0;
    // A longer value is cut rather than refused: a refused profile name would
    // read as empty, and an empty name deletes the profile at the next store.
    unsigned n = 0;
    while (n + 1 < field_size && n + 1 < sizeof buffer && buffer[n] != '\0') {
        field[n] = buffer[n];
        ++n;
    }
    field[n] = '\0';
    return 1;
}

const char* store_instance_key() { return instance_key[0] != '\0' ? instance_key : nullptr; }

int profile_key_path(uint32_t profile, char* buffer, unsigned size) {
    if (!buffer || size == 0) return 0;
    const char* root = store_instance_key();
    if (root && profile >= 1 && profile <= PROFILE_COUNT &&
        format_bounded(buffer, size, "%s\\Config%02lu", root, static_cast<unsigned long>(profile)))
        return 1;
    buffer[0] = '\0';
    return 0;
}

int existing_profile_key_path(uint32_t profile, char* buffer, unsigned size) {
    if (!profile_key_path(profile, buffer, size)) return 0;
    char name[REG_STRING_SIZE];
    if (reg_read_string(PLAT_HKEY_LOCAL_MACHINE, buffer, "ConfigName", name)) return 1;
    buffer[0] = '\0';
    return 0;
}

void load_parameters(unsigned groups) {
    for (const ParameterRow& row : parameter_table)
        if (row.load_group & groups) load_row(row);
}

void store_parameters(unsigned groups) {
    for (const ParameterRow& row : parameter_table)
        if (row.store_group & groups) store_row(row, groups);
}

void reset_profile_defaults() {
    for (const ParameterRow& row : parameter_table) {
        if (row.store_group != GROUP_PROFILE) continue;
        if (row.kind == PARAM_TEXT)
            set_text(active_configuration.*row.text, row.default_text);
        else
            active_configuration.*row.number = row.default_number;
    }
    active_configuration.own_channel = 1;
}

int check_not_configured() {
    char buffer[REG_STRING_SIZE];
    const char* key = store_instance_key();
    int found = key && reg_read_string(PLAT_HKEY_LOCAL_MACHINE, key, "Configured", buffer);
    active_configuration.not_configured = found ? 0 : 1;
    return active_configuration.not_configured;
}

void read_driver_identity() {
    AC& config = active_configuration;
    // Cleared first: a later run in the same loaded applet must not see the
    // release of a driver that has since been removed.
    config.driver_variant = 0;
    config.driver_major = 0;
    config.driver_minor = 0;
    const char* key = store_instance_key();
    read_number(key, "DriverVariant", &config.driver_variant);
    read_number(key, "DriverMajor", &config.driver_major);
    read_number(key, "DriverMinor", &config.driver_minor);
    read_number(key, "Configured", &config.configured);

    char name[COMPUTER_NAME_SIZE] = {};
    uint32_t size = sizeof name;
    if (!plat_get_computer_name(name, &size)) name[0] = '\0';
    name[sizeof name - 1] = '\0';
    set_text(config.own_name, name);
}

void store_reset() {
    memset(&active_configuration, 0, sizeof active_configuration);
    set_load_state();
}
