// Card records: what the system reads from and writes to the running card.
#pragma once
#include <cstdint>

enum : uint16_t {
    RECORD_DRIVER_IDENTITY = 0x0826,
    RECORD_MAC_ADDRESS = 0xFC01,
    RECORD_OWN_CHANNEL = 0xFC03,
    RECORD_PORT_TYPE = 0xFC00,
    RECORD_SYSTEM_SCALE = 0xFC06,
    RECORD_RTS_THRESHOLD = 0xFC83,
    RECORD_PM_ENABLED = 0xFC09,
    RECORD_MICROWAVE_ROBUSTNESS = 0xFC25,
    RECORD_CREATE_IBSS = 0xFC81,
    RECORD_DESIRED_SSID = 0xFC02,
    RECORD_OWN_SSID = 0xFC04,
    RECORD_ENCRYPTION = 0x0900,
    RECORD_AP_MODE = 0x0901,
    RECORD_DRIVER_ENABLE = 0x0902,
};

// Length words (words after the length word: type and data).
enum : uint16_t {
    RECORD_LENGTH_IDENTITY = 5,
    RECORD_LENGTH_MAC = 4,
    RECORD_LENGTH_WORD = 2,
    RECORD_LENGTH_TEXT = 18,
    RECORD_LENGTH_ENCRYPTION = 52,
};

enum : unsigned {
    RECORD_TEXT_MAX = 32,  // bytes of text a text record carries
    // Words of the largest record the system keeps: length, type, 51 data words.
    RECORD_BUFFER_WORDS = 1 + RECORD_LENGTH_ENCRYPTION,
};

struct DriverIdentity {
    uint16_t variant;
    uint16_t major;
    uint16_t minor;
};

extern const DriverIdentity REQUIRED_DRIVER_IDENTITY;

// Left by query_card_status.
extern DriverIdentity card_identity;
extern uint32_t card_identity_valid;

// Record buffers as the channel lays them out (channel.h).
// A one-word record.
void card_record_word(uint16_t* record, uint16_t id, uint32_t value);
// A text record (0xFC02, 0xFC04): byte count, then up to 32 bytes of text.
void card_record_text(uint16_t* record, uint16_t id, const char* text);
// Record 0x0900 with the 102 characters of an encryption text form.
void card_record_encryption(uint16_t* record, const char* text);

// Reads the driver identity record on an open channel from a cleared buffer,
// so that a read that fails leaves zeros, never a stale identity.
void read_card_identity(DriverIdentity* identity);
bool identity_is_required(const DriverIdentity& identity);
// The installed release as the driver's installation recorded it:
// DriverVariant, DriverMajor and DriverMinor of the instance key, read in this
// order, must each be readable and equal REQUIRED_DRIVER_IDENTITY's.
int registry_release_ok();

// Opens the channel, reads the driver identity, closes. 0 when the driver
// was reached and reported another identity, 1 otherwise.
int query_card_status();

// Pushes the active configuration to the running card: twelve records, then
// action 128. Leaves the channel closed.
void apply_configuration_records();

// Back to program start (tests).
void card_records_reset();
