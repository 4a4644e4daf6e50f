// The configuration store: the parameter table, the in-memory active
// configuration of the applet, and moving settings between the two and the
// registry. Everything is below instance_key in HKEY_LOCAL_MACHINE, except the
// copies for installers under Software\Orvix\Driver.
#pragma once
#include <cstdint>

#include "discovery.h"
#include "network_types.h"
#include "profiles.h"
#include "window_position.h"

enum : unsigned {
    CONFIG_TEXT_SIZE = 256,  // 255 characters and the zero
    PROFILE_COUNT = 4,       // profiles 1 to 4
    PARAMETER_COUNT = 17,
    COMPUTER_NAME_SIZE = 33,  // what GetComputerNameA is given
};

// Restart reasons a page leaves on its profile.
enum : uint8_t {
    RESTART_MAC_ADDRESS = 0x01,  // Admin page
    RESTART_ADAPTER = 0x02,      // Adapter page: I/O base or interrupt
};

// Copies for installers: the profile names, the current profile, the keys set
// before an adapter was installed, the installer mailbox.
#define ORVIX_DRIVER_KEY "Software\\Orvix\\Driver"

struct ActiveConfiguration {
    // Text rows of the parameter table.
    char encryption[CONFIG_TEXT_SIZE];
    char desired_ssid[CONFIG_TEXT_SIZE];
    char own_ssid[CONFIG_TEXT_SIZE];
    char own_name[CONFIG_TEXT_SIZE];
    char network_address[CONFIG_TEXT_SIZE];

    // Number rows of the parameter table.
    uint32_t system_scale;
    uint32_t rts_threshold;
    uint32_t pm_enabled;
    uint32_t microwave_robustness;
    uint32_t create_ibss;
    uint32_t io_base_address;
    uint32_t interrupt_number;
    uint32_t configured;
    uint32_t driver_enable;
    uint32_t softex_pcmcia;
    uint32_t port_type;
    uint32_t ap_mode;

    // Installed driver release (read_driver_identity).
    uint32_t driver_variant;
    uint32_t driver_major;
    uint32_t driver_minor;

    uint32_t current_profile;  // 0 to 4, 0 = none chosen yet
    char profile_names[PROFILE_COUNT][CONFIG_TEXT_SIZE];
    uint32_t profile_types[PROFILE_COUNT];  // network type codes
    uint32_t shown_types[PROFILE_COUNT];    // as last loaded or chosen in the dialog
    uint8_t profile_new[PROFILE_COUNT];     // must pass the property sheet first
    uint8_t restart_marks[PROFILE_COUNT];   // RESTART_* bits

    uint32_t own_channel;  // never in the registry
    int32_t window_x;
    int32_t window_y;
    uint8_t not_configured;  // no Configured value in the instance key
};

// The one record of the process.
extern ActiveConfiguration active_configuration;

// ---- the parameter table ----

enum : uint8_t {
    PARAM_TEXT = 1,
    PARAM_NUMBER = 4,
};

// Group bits of load_parameters / store_parameters.
enum : unsigned {
    GROUP_NONE = 0,
    GROUP_ADAPTER = 1,  // root of the instance key only
    GROUP_PROFILE = 2,  // each profile subkey, copied to the root when active
    GROUP_ALL = 3,
    GROUP_TO_ROOT = 0x80,     // store profile rows to the root as well
    GROUP_ACTIVE_SET = 0x83,  // every row to the root
};

// Row conditions.
enum : uint8_t {
    PARAM_NOT_WITH_SOFTEX = 0x01,  // not written while SoftexPcmcia is 1
    PARAM_NT4_DWORD = 0x02,        // written only on OS_WINNT, always as REG_DWORD
};

struct ParameterRow {
    uint8_t kind;
    uint8_t load_group;
    uint8_t store_group;
    uint8_t flags;
    const char* name;
    // The field filled: number for PARAM_NUMBER rows, text for PARAM_TEXT rows.
    uint32_t ActiveConfiguration::*number;
    char (ActiveConfiguration::*text)[CONFIG_TEXT_SIZE];
    uint32_t minimum;
    uint32_t maximum;  // 0: no range check
    uint32_t default_number;
    const char* default_text;  // null: empty
};

extern const ParameterRow parameter_table[PARAMETER_COUNT];

// Loads every row whose load group shares a bit with groups: profile rows from
// the current profile's subkey, or from the root while no profile is current.
void load_parameters(unsigned groups);
// Stores every row whose store group shares a bit with groups; GROUP_TO_ROOT
// sends profile rows to the root instead of the current profile's subkey.
void store_parameters(unsigned groups);
// Profile-group fields back to their defaults; adapter fields untouched.
void reset_profile_defaults();
// Sets not_configured (1 when the instance key has no Configured) and returns it.
int check_not_configured();
// Driver release and Configured from the instance key, OwnName from the
// computer name.
void read_driver_identity();

// Reads a registry value of any type into a field of field_size bytes, cut to
// field_size - 1 characters. 1, or 0 with the field untouched.
int store_read_text(const char* sub_key, const char* name, char* field, unsigned field_size);
// instance_key, or null before an adapter was found: nothing is then read
// from or written to the top of HKEY_LOCAL_MACHINE.
const char* store_instance_key();
// Holds any profile subkey path: "<instance_key>\\ConfigNN".
enum : unsigned { PROFILE_KEY_SIZE = INSTANCE_KEY_SIZE + sizeof "\\Config00" - 1 };
// Profile n's subkey path into buffer: 1, or 0 (buffer emptied) for a number
// outside 1 to 4, no instance key yet, or a buffer too small.
int profile_key_path(uint32_t profile, char* buffer, unsigned size);
// The same for a profile that exists: one whose ConfigName can be read (an
// empty name too). 0, buffer emptied, when it does not.
int existing_profile_key_path(uint32_t profile, char* buffer, unsigned size);

// Back to program start (tests).
void store_reset();
