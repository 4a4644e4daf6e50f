#include "network_types.h"

const NetworkType network_types[NETWORK_TYPE_COUNT] = {
    {NET_ACCESS_POINT, NETWORK_TYPE_STRING_FIRST + 0, "Access Point"},
    {NET_RESIDENTIAL_GATEWAY, NETWORK_TYPE_STRING_FIRST + 1, "Residential Gateway"},
    {NET_PEER_TO_PEER, NETWORK_TYPE_STRING_FIRST + 2, "Peer-to-Peer Group"},
    {NET_BASE_STATION, NETWORK_TYPE_STRING_FIRST + 3, "Act as BaseStation"},
    {NET_INTERNET_ACCESS_SERVER, NETWORK_TYPE_STRING_FIRST + 4, "Internet Access Server"},
    {NET_OFFICE_ROUTER_CLIENT, NETWORK_TYPE_STRING_FIRST + 5, "Office Router Client"},
    {NET_ADHOC_DEMO, NETWORK_TYPE_STRING_FIRST + 6, "Ad-Hoc Demo mode"},
};

const NetworkType* find_network_type(uint32_t code) {
    for (const NetworkType& type : network_types)
        if (type.code == code) return &type;
    return nullptr;
}

int network_type_from_string_id(uint16_t string_id, uint32_t* code) {
    for (const NetworkType& type : network_types) {
        if (type.string_id == string_id) {
            *code = type.code;
            return 1;
        }
    }
    return 0;
}
