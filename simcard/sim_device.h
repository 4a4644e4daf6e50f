// Serves a SimCard as a device of the simulated Windows (platform/sim), the
// way simcard.sys serves it under Wine. Native tests only.
//
//   SimCard card;
//   simcard_init(&card);
//   simcard_add_named_device("{GUID}", &card);     // "\\.\{GUID}" opens it
//   simcard_add_device("\\Device\\RLORX522", &card); // device without a DOS name
//
// The card must outlive the registration (sim::reset() drops it).
#pragma once
#include <cstdint>
#include <string>

#include "sim.h"
#include "simcard.h"

// The device's answer to DeviceIoControl: anything but
// IOCTL_NDIS_QUERY_GLOBAL_STATS fails, as the adapter driver knows no other code.
inline sim::DeviceHandler simcard_handler(SimCard* card) {
    return [card](uint32_t code, const void* in, uint32_t in_size, void* out, uint32_t out_size,
                  uint32_t* returned) -> int {
        if (returned) *returned = 0;
        if (code != SIMCARD_IOCTL_QUERY_GLOBAL_STATS) return 0;
        unsigned got = 0;
        int ok = simcard_exchange(card, in, in_size, out, out_size, &got);
        if (returned) *returned = got;
        return ok;
    };
}

inline void simcard_add_device(const std::string& nt_path, SimCard* card) {
    sim::add_device(nt_path, simcard_handler(card));
}

inline void simcard_add_named_device(const std::string& name, SimCard* card) {
    sim::add_named_device(name, simcard_handler(card));
}
