#include "card_records.h"

#include <cstring>

#include "channel.h"
#include "discovery.h"
#include "registry.h"
#include "store.h"

const DriverIdentity REQUIRED_DRIVER_IDENTITY = {1, 6, 41};

DriverIdentity card_identity;
uint32_t card_identity_valid;

void card_record_word(uint16_t* record, uint16_t id, uint32_t value) {
    card_record_prepare(record, RECORD_LENGTH_WORD, id);
    record[2] = static_cast<uint16_t>(value);
}

// Text bytes into data words, low byte first.
static void put_bytes(uint16_t* words, const char* text, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
        const uint16_t byte = static_cast<uint8_t>(text[i]);
        words[i / 2] = static_cast<uint16_t>(words[i / 2] | (i % 2 ? byte << 8 : byte));
    }
}

static unsigned bounded_length(const char* text, unsigned limit) {
    unsigned n = 0;
    while (n < limit && text[n]) ++n;
    return n;
}

void card_record_text(uint16_t* record, uint16_t id, const char* text) {
    card_record_prepare(record, RECORD_LENGTH_TEXT, id);
    const unsigned n = bounded_length(text, RECORD_TEXT_MAX);
    record[2] = static_cast<uint16_t>(n);
    put_bytes(&record[3], text, n);
}

void card_record_encryption(uint16_t* record, const char* text) {
    card_record_prepare(record, RECORD_LENGTH_ENCRYPTION, RECORD_ENCRYPTION);
    put_bytes(&record[2], text, bounded_length(text, 2u * (RECORD_LENGTH_ENCRYPTION - 1)));
}

void read_card_identity(DriverIdentity* identity) {
    uint16_t record[card_record_words(RECORD_LENGTH_IDENTITY)];
    card_record_prepare(record, RECORD_LENGTH_IDENTITY, RECORD_DRIVER_IDENTITY);
    card_get_record(record);
    // The buffer holds exactly this record, so a longer answer was cut to it.
    identity->variant = record[3];
    identity->major = record[4];
    identity->minor = record[5];
}

bool identity_is_required(const DriverIdentity& identity) {
    return identity.variant == REQUIRED_DRIVER_IDENTITY.variant &&
           identity.major == REQUIRED_DRIVER_IDENTITY.major &&
           identity.minor == REQUIRED_DRIVER_IDENTITY.minor;
}

int registry_release_ok() {
    const struct {
        const char* name;
        uint16_t required;
    } parts[] = {
        {"DriverVariant", REQUIRED_DRIVER_IDENTITY.variant},
        {"DriverMajor", REQUIRED_DRIVER_IDENTITY.major},
        {"DriverMinor", REQUIRED_DRIVER_IDENTITY.minor},
    };
    for (const auto& part : parts) {
        int32_t value = 0;
        if (!reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, instance_key, part.name, &value) ||
            value != part.required)
            return 0;
    }
    return 1;
}

int query_card_status() {
    if (channel_open(VENDOR_CODE) == CHANNEL_STATUS_OK) {
        card_identity_valid = 1;
        read_card_identity(&card_identity);
    } else {
        card_identity_valid = 0;
    }
    channel_close();
    if (card_identity_valid && !identity_is_required(card_identity)) {
        card_identity_valid = 0;
        return 0;
    }
    return 1;
}

// "ANY" and "any" ask for any network: the card takes that as no name.
static const char* desired_ssid_for_card(const char* ssid) {
    if (std::strcmp(ssid, "ANY") == 0 || std::strcmp(ssid, "any") == 0) return "";
    return ssid;
}

void apply_configuration_records() {
    if (channel_open(VENDOR_CODE) == CHANNEL_STATUS_OK) {
        const ActiveConfiguration& c = active_configuration;
        uint16_t record[RECORD_BUFFER_WORDS];
        const struct {
            uint16_t id;
            uint32_t value;
        } words[] = {
            {RECORD_OWN_CHANNEL, c.own_channel},
            {RECORD_PORT_TYPE, c.port_type},
            {RECORD_SYSTEM_SCALE, c.system_scale},
            {RECORD_RTS_THRESHOLD, c.rts_threshold},
            {RECORD_PM_ENABLED, c.pm_enabled},
            {RECORD_MICROWAVE_ROBUSTNESS, c.microwave_robustness},
            {RECORD_CREATE_IBSS, c.create_ibss},
        };
        // The card's answers to these writes are not reported: the registry,
        // stored separately, stays the authority for the next driver start.
        for (const auto& w : words) {
            card_record_word(record, w.id, w.value);
            card_put_record(record);
        }
        card_record_text(record, RECORD_DESIRED_SSID, desired_ssid_for_card(c.desired_ssid));
        card_put_record(record);
        card_record_text(record, RECORD_OWN_SSID, c.own_ssid);
        card_put_record(record);
        card_record_encryption(record, c.encryption);
        card_put_record(record);
        card_record_word(record, RECORD_AP_MODE, c.ap_mode == 1 ? 1 : 0);
        card_put_record(record);
        card_record_word(record, RECORD_DRIVER_ENABLE, c.driver_enable);
        card_put_record(record);
        channel_action(CHANNEL_ACTION_APPLY);
    }
    channel_close();
}

void card_records_reset() {
    card_identity = DriverIdentity{0, 0, 0};
    card_identity_valid = 0;
}
