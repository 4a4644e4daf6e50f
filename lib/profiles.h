// The profile list: the current profile number and the four profiles' names
// and network types, kept in the instance key with copies for installers.
#pragma once

// Reads ConfigType into current_profile and each profile's ConfigName and
// NetworkType; names profile 1 "Default" when it has no name and offers the
// network name "Orvix" to an adapter that was never configured.
void load_profile_list();
// Writes ConfigType and Cur_conf, each named profile's ConfigName and
// NetworkType, deletes the subkey of each profile without a name, and copies
// the names to Config01 to Config04 under Software\Orvix\Driver.
void store_profile_list();
