// Finding the adapter's driver instance key in the Windows device registry.
#pragma once

enum { INSTANCE_KEY_SIZE = 128 };

// The card's hardware IDs, in the order tried; null-terminated.
extern const char* const adapter_hardware_ids[];

// The vendor's code in the names of its driver services, VxDs and devices
// ("ORX": RLORX521, RUORX48.VXD).
extern const char VENDOR_CODE[];

// HKEY_LOCAL_MACHINE-relative path of the adapter's driver instance key.
extern char instance_key[INSTANCE_KEY_SIZE];

int find_instance_key(const char* hardware_id);
int match_adapter(const char* hardware_id);
int find_adapter(const char* const* hardware_ids);
int count_adapters(const char* const* hardware_ids);

// Back to program start (tests).
void discovery_reset();
