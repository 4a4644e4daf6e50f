// The commands of RCTOOL48, called by the dispatcher once their arguments,
// the adapter and the release have been checked. Each returns the exit code.
#pragma once

int command_count_adapters();                 // '#'
int command_client_manager();                 // '@'
int command_remove_old_files(char which);     // 'D'
int command_store_text(const char* text, int profile, bool apply);  // 'E', 'e'
int command_network_name(int profile);        // 'H' (after find_adapter)
int command_set_keys(const char* const* arguments);  // 'K'
int command_mac_address();                    // 'M'
int command_driver_enable(char which);        // 'R'
int command_version();                        // 'V'
int command_first_key(const char* key, int profile);  // 'W'

// Registry release check: DriverVariant, DriverMajor and DriverMinor of the
// instance key must read 1, 6 and 41.
bool registry_release_ok();

// Stores an encryption text form as "Encryption" of profile 0 to 4, following
// the current profile (ConfigType) into the active set. 1 or 0.
int store_encryption_text(const char* text, int profile);

// Writes text to standard output.
void tool_print(const char* text);
