// Network type codes of a profile ("NetworkType") and their names in the
// applet's string table.
#pragma once
#include <cstdint>

enum : uint32_t {
    NET_ACCESS_POINT = 0,
    NET_RESIDENTIAL_GATEWAY = 1,
    NET_PEER_TO_PEER = 2,
    NET_BASE_STATION = 3,
    NET_INTERNET_ACCESS_SERVER = 4,
    NET_OFFICE_ROUTER_CLIENT = 5,
    NET_ADHOC_DEMO = 6,
    NETWORK_TYPE_COUNT = 7,
};

// String id of code 0; code n has id NETWORK_TYPE_STRING_FIRST + n.
enum : uint16_t { NETWORK_TYPE_STRING_FIRST = 1449 };

struct NetworkType {
    uint32_t code;
    uint16_t string_id;
    const char* text;  // as the string table holds it
};

// One row per code, in code order.
extern const NetworkType network_types[NETWORK_TYPE_COUNT];

// The row of a code, or null for a code the table does not know.
const NetworkType* find_network_type(uint32_t code);
// The code whose string id is string_id; 1, or 0 when there is none.
int network_type_from_string_id(uint16_t string_id, uint32_t* code);
