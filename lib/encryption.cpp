#include "encryption.h"

#include <cstring>

const char scramble_key_string[SCRAMBLE_KEY_LENGTH + 1] = "3C91E05B7D24";

// encode_encryption_text() of init_encryption_record(): security off, Key 1,
// no keys. Kept as text so that nothing has to be built at start-up.
const char default_encryption_text[ENCRYPTION_TEXT_SIZE] =
    "E<3A76^5*'*Y*`9O+GB>,7NA-'ZD-X&G.H2J/8>M0(JP0XVS1HbV"
    "29.Y3):\\3YF_4IRb59^e6*+(6Z7+7JC.8:O19*[49['7:K3:;6";

namespace {

enum : unsigned { KEYS_OFFSET = 12, TEXT_BASE = 38 };

void put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, static_cast<uint16_t>(v));
    put16(p + 2, static_cast<uint16_t>(v >> 16));
}

uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t get32(const uint8_t* p) {
    return static_cast<uint32_t>(get16(p)) | (static_cast<uint32_t>(get16(p + 2)) << 16);
}

char text_char(unsigned six_bits) { return static_cast<char>((six_bits & 63) + TEXT_BASE); }

// Length of text when it is at most limit characters, else limit + 1; never
// reads past the terminator or past limit + 1 characters.
unsigned bounded_length(const char* text, unsigned limit) {
    unsigned n = 0;
    while (n <= limit && text[n] != '\0') ++n;
    return n;
}

}  // namespace

void pack_encryption_record(const EncryptionRecord* record, uint8_t bytes[ENCRYPTION_RECORD_SIZE]) {
    put32(bytes, record->magic);
    put16(bytes + 4, record->tx_key_index);
    put16(bytes + 6, record->data_security);
    put16(bytes + 8, record->key_block_length);
    put16(bytes + 10, record->key_block_type);
    for (unsigned k = 0; k < KEY_SLOT_COUNT; ++k) {
        uint8_t* slot = bytes + KEYS_OFFSET + k * KEY_SLOT_SIZE;
        put16(slot, record->keys[k].length);
        memcpy(slot + 2, record->keys[k].material, KEY_MATERIAL_SIZE);
    }
}

void unpack_encryption_record(const uint8_t bytes[ENCRYPTION_RECORD_SIZE],
                              EncryptionRecord* record) {
    record->magic = get32(bytes);
    record->tx_key_index = get16(bytes + 4);
    record->data_security = get16(bytes + 6);
    record->key_block_length = get16(bytes + 8);
    record->key_block_type = get16(bytes + 10);
    for (unsigned k = 0; k < KEY_SLOT_COUNT; ++k) {
        const uint8_t* slot = bytes + KEYS_OFFSET + k * KEY_SLOT_SIZE;
        record->keys[k].length = get16(slot);
        memcpy(record->keys[k].material, slot + 2, KEY_MATERIAL_SIZE);
    }
}

void init_encryption_record(EncryptionRecord* record) {
    memset(record, 0, sizeof *record);
    record->magic = ENCRYPTION_RECORD_MAGIC;
    record->key_block_length = KEY_BLOCK_LENGTH;
    record->key_block_type = KEY_BLOCK_TYPE;
}

uint8_t fold_scramble_seed(const char* key) {
    uint8_t seed = 0;
    for (unsigned i = 0; i < SCRAMBLE_KEY_LENGTH; ++i) {
        uint8_t c = static_cast<uint8_t>(key[i]);
        seed = static_cast<uint8_t>((seed ^ c) + c);
    }
    return seed;
}

unsigned encryption_text_length(unsigned count) {
    // Four characters per full group of three, then two or three for a tail.
    unsigned tail = count % 3;
    return count / 3 * 4 + (tail ? tail + 1 : 0);
}

unsigned encode_encryption_record(const char* key, char* text, unsigned text_size,
                                  const uint8_t* bytes, unsigned count) {
    unsigned length = encryption_text_length(count);
    if (text_size == 0 || length > text_size - 1) return 0;
    uint8_t seed = fold_scramble_seed(key);
    unsigned j = 0;
    for (unsigned i = 0; i < count; i += 3) {
        unsigned left = count - i;
        uint8_t p = static_cast<uint8_t>(bytes[i] ^ static_cast<uint8_t>(seed + i));
        uint8_t q =
            left > 1 ? static_cast<uint8_t>(bytes[i + 1] ^ static_cast<uint8_t>(seed + i + 1)) : 0;
        uint8_t r =
            left > 2 ? static_cast<uint8_t>(bytes[i + 2] ^ static_cast<uint8_t>(seed + i + 2)) : 0;
        text[j++] = text_char(p >> 2);
        text[j++] = text_char(((p & 3) << 4) | (q >> 4));
        if (left > 1) text[j++] = text_char(((q & 15) << 2) | (r >> 6));
        if (left > 2) text[j++] = text_char(r & 63);
    }
    text[j] = '\0';
    return j;
}

unsigned decode_encryption_record(const char* key, uint8_t* out, unsigned capacity,
                                  const char* text) {
    size_t length = strlen(text);
    // floor(length * 3 / 4) without overflowing on a long text.
    size_t n = length / 4 * 3 + length % 4 * 3 / 4;
    if (n > capacity) return 0;
    uint8_t seed = fold_scramble_seed(key);
    size_t j = 0;
    for (size_t i = 0; i < n; ++i) {
        // Differences from '&' masked to six bits or less: the same whether
        // char is signed or not, and a stray character just decodes to junk.
        unsigned a = (static_cast<uint8_t>(text[j]) - TEXT_BASE);
        unsigned b = (static_cast<uint8_t>(text[j + 1]) - TEXT_BASE);
        unsigned byte;
        switch (i % 3) {
        case 0: byte = ((a & 63) << 2) | ((b & 48) >> 4); break;
        case 1: byte = ((a & 15) << 4) | ((b & 60) >> 2); break;
        default:
            byte = ((a & 3) << 6) | (b & 63);
            ++j;
            break;
        }
        out[i] = static_cast<uint8_t>(byte ^ static_cast<uint8_t>(seed + i));
        ++j;
    }
    return static_cast<unsigned>(n);
}

int decode_valid_encryption_text(const char* text, EncryptionRecord* record) {
    if (bounded_length(text, ENCRYPTION_TEXT_LENGTH) != ENCRYPTION_TEXT_LENGTH) return 0;
    uint8_t bytes[ENCRYPTION_RECORD_SIZE];
    if (decode_encryption_record(scramble_key_string, bytes, sizeof bytes, text) !=
        ENCRYPTION_RECORD_SIZE)
        return 0;
    if (get32(bytes) != ENCRYPTION_RECORD_MAGIC) return 0;
    unpack_encryption_record(bytes, record);
    return 1;
}

void encode_encryption_text(const EncryptionRecord* record, char text[ENCRYPTION_TEXT_SIZE]) {
    uint8_t bytes[ENCRYPTION_RECORD_SIZE];
    pack_encryption_record(record, bytes);
    encode_encryption_record(scramble_key_string, text, ENCRYPTION_TEXT_SIZE, bytes, sizeof bytes);
}

int parse_hex_bytes(uint8_t* out, const char* digits, unsigned count) {
    unsigned accumulator = 0;
    for (unsigned k = 0; k < count; ++k) {
        char d = digits[k];
        unsigned value;
        if (d >= '0' && d <= '9')
            value = static_cast<unsigned>(d - '0');
        else if (d >= 'A' && d <= 'F')
            value = static_cast<unsigned>(d - 'A' + 10);
        else if (d >= 'a' && d <= 'f')
            value = static_cast<unsigned>(d - 'a' + 10);
        else
            return 0;
        accumulator += value;
        if (k % 2 == 0) {
            accumulator <<= 4;
        } else {
            out[k / 2] = static_cast<uint8_t>(accumulator);
            accumulator = 0;
        }
    }
    return 1;
}
