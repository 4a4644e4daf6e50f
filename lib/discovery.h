// Finding the adapter's driver instance key in the Windows device registry.
#pragma once

enum { INSTANCE_KEY_SIZE = 128 };

// The card's hardware IDs, in the order tried; null-terminated.
extern const char* const adapter_hardware_ids[];

// HKEY_LOCAL_MACHINE-relative path of the adapter's driver instance key.
extern char instance_key[INSTANCE_KEY_SIZE];

int find_instance_key(const char* hardware_id);
int match_adapter(const char* hardware_id);
int find_adapter(const char* const* hardware_ids);
int count_adapters(const char* const* hardware_ids);

// A profile sub key path ("<instance_key>\ConfigNN") into buffer. 1, or 0 when
// it would not fit or the instance key is empty.
// Buffer size that always holds a profile path.
enum { PROFILE_KEY_SIZE = INSTANCE_KEY_SIZE + 16 };
int profile_key_path(int profile, char* buffer, unsigned size);

// Back to program start (tests).
void discovery_reset();
