// The encryption record (WEP settings and four keys) and its scrambled
// 102-character text form, as kept in the registry value "Encryption" and
// sent to the driver as record 0x0900.
#pragma once
#include <cstdint>

enum : uint32_t { ENCRYPTION_RECORD_MAGIC = 0x48576877 };
enum : uint16_t {
    KEY_BLOCK_LENGTH = 33,    // 16-bit words after the length word
    KEY_BLOCK_TYPE = 0xFCB0,  // record id of the key block
};
enum : unsigned {
    ENCRYPTION_RECORD_SIZE = 76,
    ENCRYPTION_TEXT_LENGTH = 102,
    ENCRYPTION_TEXT_SIZE = ENCRYPTION_TEXT_LENGTH + 1,
    KEY_SLOT_COUNT = 4,
    KEY_SLOT_SIZE = 16,
    KEY_MATERIAL_SIZE = 14,
    KEY_LENGTH_40 = 5,    // 40-bit WEP key
    KEY_LENGTH_104 = 13,  // 104-bit WEP key
    SCRAMBLE_KEY_LENGTH = 12,
};

// One key: the first `length` bytes of material are significant.
struct KeySlot {
    uint16_t length;
    uint8_t material[KEY_MATERIAL_SIZE];
};

// The record as fields. Its wire form is fixed by pack/unpack below, not by
// how the compiler lays out this struct.
struct EncryptionRecord {
    uint32_t magic;
    uint16_t tx_key_index;   // 0 to 3: Key 1 to Key 4
    uint16_t data_security;  // 1 on, 0 off
    uint16_t key_block_length;
    uint16_t key_block_type;
    KeySlot keys[KEY_SLOT_COUNT];
};

// Built-in key string of the scrambling (12 characters used as bytes).
extern const char scramble_key_string[SCRAMBLE_KEY_LENGTH + 1];
// Text form of a record with data security off, Key 1 for transmission and
// four empty keys.
extern const char default_encryption_text[ENCRYPTION_TEXT_SIZE];

// Record fields to their 76 little-endian bytes and back.
void pack_encryption_record(const EncryptionRecord* record, uint8_t bytes[ENCRYPTION_RECORD_SIZE]);
void unpack_encryption_record(const uint8_t bytes[ENCRYPTION_RECORD_SIZE],
                              EncryptionRecord* record);
// A record built from nothing: magic, key block length and type, the rest zero.
void init_encryption_record(EncryptionRecord* record);

// 8-bit seed folded from the first 12 characters of key.
uint8_t fold_scramble_seed(const char* key);

// Characters the encoder produces for count bytes (102 for 76).
unsigned encryption_text_length(unsigned count);

// Scrambles count bytes into text with a terminating zero. Returns the text's
// length, or 0 with nothing written when text_size cannot hold it and the zero.
unsigned encode_encryption_record(const char* key, char* text, unsigned text_size,
                                  const uint8_t* bytes, unsigned count);

// Unscrambles a zero-terminated text into floor(length * 3 / 4) bytes and
// returns that count; 0 with nothing written when it exceeds capacity.
// Characters outside '&' to 'e' are masked, not refused.
unsigned decode_encryption_record(const char* key, uint8_t* out, unsigned capacity,
                                  const char* text);

// The test every reader applies: exactly 102 characters (checked before any
// decoding), then the magic. 1 with record filled, or 0 with record untouched.
int decode_valid_encryption_text(const char* text, EncryptionRecord* record);

// A record to its text form (text holds ENCRYPTION_TEXT_SIZE bytes).
void encode_encryption_text(const EncryptionRecord* record, char text[ENCRYPTION_TEXT_SIZE]);

// count hex digits (no prefix, no terminator needed) to count / 2 bytes, the
// first digit of a pair being the high half. 1, or 0 at the first character
// that is not a hex digit (bytes before it stay written).
int parse_hex_bytes(uint8_t* out, const char* digits, unsigned count);
