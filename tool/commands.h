// The commands of RCTOOL48, called by the dispatcher once their arguments,
// the adapter and the release have been checked. Each returns the exit code.
#pragma once

int command_count_adapters();                                       // '#'  atom_commands.cpp
int command_client_manager();                                       // '@'  atom_commands.cpp
int command_remove_old_files(char which);                           // 'D'  remove_files.cpp
int command_store_text(const char* text, int profile, bool apply);  // 'E', 'e'
int command_network_name(int profile);                              // 'H'  registry_commands.cpp
int command_set_keys(const char* const* arguments);                 // 'K'  driver_commands.cpp
int command_mac_address();                                          // 'M'  driver_commands.cpp
int command_driver_enable(char which);                              // 'R'  driver_commands.cpp
int command_read_driver_enable();                                   // 'R 2'  registry_commands.cpp
int command_version();                                              // 'V'  version_command.cpp
int command_first_key(const char* key, int profile);                // 'W'  driver_commands.cpp
// 'E' stores through store_encryption_text; 'e' then puts it to the driver
// (driver_commands.cpp).

// What 'H' and 'M' print when they have no value to show.
inline constexpr char NAME_PLACEHOLDER[] = "XXXXXX";
inline constexpr char MAC_PLACEHOLDER[] = "XXXXXXXXXXXX";

// Stores an encryption text form as "Encryption" of profile 0 to 4, following
// the current profile (ConfigType) into the active set. 1 or 0.
// (registry_commands.cpp)
int store_encryption_text(const char* text, int profile);

// Writes text to standard output (output.cpp).
void tool_print(const char* text);
