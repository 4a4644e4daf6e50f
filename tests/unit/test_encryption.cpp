// The encryption record, its text form and the hex key parser.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "encryption.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string encode(const Bytes& bytes) {
    std::vector<char> text(bytes.size() * 2 + 8, '#');
    unsigned n = encode_encryption_record(scramble_key_string, text.data(),
                                          static_cast<unsigned>(text.size()), bytes.data(),
                                          static_cast<unsigned>(bytes.size()));
    EXPECT_EQ(n, std::strlen(text.data()));
    return std::string(text.data());
}

Bytes decode(const std::string& text) {
    Bytes out(text.size(), 0xEE);
    unsigned n = decode_encryption_record(scramble_key_string, out.data(),
                                          static_cast<unsigned>(out.size()), text.c_str());
    out.resize(n);
    return out;
}

// Six bits at a time, most significant first, each as '&' + g; a tail is
// filled with zero bits and gets no padding character.
std::string six_bit_text(const Bytes& bytes) {
    std::vector<int> bits;
    for (uint8_t v : bytes)
        for (int b = 7; b >= 0; --b) bits.push_back((v >> b) & 1);
    while (bits.size() % 6) bits.push_back(0);
    std::string text;
    for (size_t k = 0; k < bits.size(); k += 6) {
        int g = 0;
        for (int b = 0; b < 6; ++b) g = g * 2 + bits[k + b];
        text += static_cast<char>('&' + g);
    }
    return text;
}

// The scrambling written from its description: byte i XORed with seed + i.
std::string reference_encode(const Bytes& bytes, uint8_t seed) {
    Bytes v(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) v[i] = bytes[i] ^ static_cast<uint8_t>(seed + i);
    return six_bit_text(v);
}

Bytes random_bytes(std::mt19937& rng, size_t n) {
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    return b;
}

std::vector<Bytes> record_table() {
    std::mt19937 rng(4711);
    std::vector<Bytes> table = {Bytes(76, 0x00), Bytes(76, 0xFF), Bytes(76, 0x80), Bytes(76, 0x3F)};
    for (int i = 0; i < 40; ++i) table.push_back(random_bytes(rng, 76));
    return table;
}

TEST(EncryptionText, RoundTripOfGeneratedRecords) {
    const uint8_t seed = fold_scramble_seed(scramble_key_string);
    for (const Bytes& record : record_table()) {
        std::string text = encode(record);
        ASSERT_EQ(text.size(), ENCRYPTION_TEXT_LENGTH);
        for (char c : text) {
            EXPECT_GE(c, '&');
            EXPECT_LE(c, 'e');
        }
        EXPECT_EQ(text, reference_encode(record, seed));
        EXPECT_EQ(decode(text), record);
    }
}

TEST(EncryptionText, EveryLengthRoundTrips) {
    std::mt19937 rng(99);
    const uint8_t seed = fold_scramble_seed(scramble_key_string);
    for (unsigned count = 0; count <= 300; ++count) {
        Bytes bytes = random_bytes(rng, count);
        std::string text = encode(bytes);
        EXPECT_EQ(text.size(), encryption_text_length(count));
        EXPECT_EQ(text, reference_encode(bytes, seed)) << count;
        // floor(L * 3 / 4) gives back exactly count bytes for every length.
        EXPECT_EQ(decode(text), bytes) << count;
    }
}

TEST(EncryptionText, ZeroRecordIsNotOneRepeatedCharacter) {
    std::string text = encode(Bytes(76, 0));
    EXPECT_NE(text.find_first_not_of(text[0]), std::string::npos);
}

TEST(EncryptionText, OneByteChangeTouchesOnlyItsCharacters) {
    std::mt19937 rng(7);
    Bytes base = random_bytes(rng, 76);
    std::string base_text = encode(base);
    for (size_t i = 0; i < base.size(); ++i) {
        Bytes changed = base;
        changed[i] ^= 0xFF;  // every bit of the byte
        std::string text = encode(changed);
        // Byte i lives in bits 8i .. 8i+7 of the character stream.
        size_t first = i * 8 / 6, last = (i * 8 + 7) / 6;
        for (size_t k = 0; k < text.size(); ++k) {
            if (k >= first && k <= last) continue;
            EXPECT_EQ(text[k], base_text[k]) << "byte " << i << " char " << k;
        }
        EXPECT_NE(text.substr(first, last - first + 1), base_text.substr(first, last - first + 1));
    }
}

TEST(EncryptionSeed, FoldsEveryCharacterModulo256) {
    EXPECT_EQ(std::string(scramble_key_string), "3C91E05B7D24");
    // Worked by hand: '3' 0x33 -> 0x66, 'C' 0x43 -> 0x68, ... ending at 0x0A.
    EXPECT_EQ(fold_scramble_seed(scramble_key_string), 0x0A);

    struct {
        const char* key;
        uint8_t seed;
    } cases[] = {
        // (0 ^ FF) + FF = 1FE -> FE; (FE ^ FF) + FF = 100 -> 00; and so on.
        {"\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 0x00},
        // eleven 0xFF leave FE; (FE ^ 10) + 10 = FE.
        {"\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x10", 0xFE},
        // no wrap: each 0x01 adds 2.
        {"\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01", 24},
        // only twelve characters count.
        {"3C91E05B7D24XYZ", 0x0A},
    };
    for (const auto& c : cases) EXPECT_EQ(fold_scramble_seed(c.key), c.seed) << c.key;
}

TEST(EncryptionSeed, XorValueWrapsPast255) {
    // 300 zero bytes: byte i encodes seed + i, so decoding the text with the
    // XOR removed must show i + seed mod 256 at every index, through the wrap.
    const uint8_t seed = fold_scramble_seed(scramble_key_string);
    Bytes zeros(300, 0);
    std::string text = encode(zeros);
    // The text is the six-bit spelling of the XOR values themselves.
    Bytes xor_values(300);
    for (size_t i = 0; i < xor_values.size(); ++i) xor_values[i] = static_cast<uint8_t>(seed + i);
    EXPECT_EQ(text, six_bit_text(xor_values));
    EXPECT_EQ(decode(text), zeros);
}

TEST(EncryptionRecord, LayoutIsLittleEndianWithoutPadding) {
    EncryptionRecord record;
    init_encryption_record(&record);
    record.tx_key_index = 0x0203;
    record.data_security = 0x0405;
    for (unsigned k = 0; k < KEY_SLOT_COUNT; ++k) {
        record.keys[k].length = static_cast<uint16_t>(0x1100 * (k + 1) + 13);
        for (unsigned m = 0; m < KEY_MATERIAL_SIZE; ++m)
            record.keys[k].material[m] = static_cast<uint8_t>(0x40 + k * 16 + m);
    }
    uint8_t bytes[ENCRYPTION_RECORD_SIZE];
    std::memset(bytes, 0xAA, sizeof bytes);
    pack_encryption_record(&record, bytes);
    const uint8_t head[12] = {0x77, 0x68, 0x57, 0x48, 0x03, 0x02, 0x05, 0x04, 33, 0, 0xB0, 0xFC};
    EXPECT_EQ(0, std::memcmp(bytes, head, sizeof head));
    for (unsigned k = 0; k < KEY_SLOT_COUNT; ++k) {
        const uint8_t* slot = bytes + 12 + 16 * k;
        EXPECT_EQ(slot[0], 13);
        EXPECT_EQ(slot[1], 0x11 * (k + 1));
        for (unsigned m = 0; m < KEY_MATERIAL_SIZE; ++m) EXPECT_EQ(slot[2 + m], 0x40 + k * 16 + m);
    }

    EncryptionRecord back;
    std::memset(&back, 0x55, sizeof back);
    unpack_encryption_record(bytes, &back);
    uint8_t again[ENCRYPTION_RECORD_SIZE];
    pack_encryption_record(&back, again);
    EXPECT_EQ(0, std::memcmp(bytes, again, sizeof bytes));
    EXPECT_EQ(back.magic, ENCRYPTION_RECORD_MAGIC);
    EXPECT_EQ(back.keys[3].material[13], 0x40 + 3 * 16 + 13);
}

TEST(EncryptionRecord, DefaultTextDecodesToEmptyRecord) {
    ASSERT_EQ(std::strlen(default_encryption_text), ENCRYPTION_TEXT_LENGTH);
    for (const char* p = default_encryption_text; *p; ++p) {
        EXPECT_GE(*p, '&');
        EXPECT_LE(*p, 'e');
    }
    EncryptionRecord record;
    ASSERT_EQ(decode_valid_encryption_text(default_encryption_text, &record), 1);
    EXPECT_EQ(record.magic, 0x48576877u);
    EXPECT_EQ(record.key_block_length, 33);
    EXPECT_EQ(record.key_block_type, 0xFCB0);
    EXPECT_EQ(record.tx_key_index, 0);
    EXPECT_EQ(record.data_security, 0);
    for (const KeySlot& slot : record.keys) {
        EXPECT_EQ(slot.length, 0);
        for (uint8_t b : slot.material) EXPECT_EQ(b, 0);
    }
}

TEST(EncryptionRecord, TextOfRecordDecodesBack) {
    EncryptionRecord record;
    init_encryption_record(&record);
    record.tx_key_index = 2;
    record.data_security = 1;
    record.keys[2].length = 5;
    std::memcpy(record.keys[2].material, "abcde", 5);
    char text[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&record, text);
    EXPECT_EQ(std::strlen(text), ENCRYPTION_TEXT_LENGTH);
    EncryptionRecord back;
    ASSERT_EQ(decode_valid_encryption_text(text, &back), 1);
    EXPECT_EQ(back.tx_key_index, 2);
    EXPECT_EQ(back.data_security, 1);
    EXPECT_EQ(back.keys[2].length, 5);
    EXPECT_EQ(0, std::memcmp(back.keys[2].material, "abcde", 5));
}

// ---- the validity test ----

struct ValidityCase {
    const char* what;
    std::string text;
    int valid;
};

std::string valid_text_with_key() {
    EncryptionRecord record;
    init_encryption_record(&record);
    record.keys[0].length = 13;
    std::memcpy(record.keys[0].material, "0123456789abc", 13);
    char text[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&record, text);
    return text;
}

std::string text_with_magic(uint32_t magic) {
    EncryptionRecord record;
    init_encryption_record(&record);
    record.magic = magic;
    char text[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&record, text);
    return text;
}

TEST(EncryptionValidity, LengthBeforeDecodingMagicAfter) {
    const std::string good = default_encryption_text;
    std::string stray = valid_text_with_key();
    // '~' and a byte above 127 in the key material: masked, not refused.
    stray[60] = ('~');
    stray[70] = static_cast<char>(0xC7);
    std::string in_magic = good;
    in_magic[0] = (in_magic[0] == '&' ? '\'' : '&');

    const ValidityCase cases[] = {
        {"default", good, 1},
        {"with a key", valid_text_with_key(), 1},
        {"101 characters", good.substr(0, 101), 0},
        {"103 characters", good + "&", 0},
        {"empty", "", 0},
        {"204 characters", good + good, 0},
        {"magic low byte", text_with_magic(0x48576878), 0},
        {"magic high byte", text_with_magic(0xC8576877), 0},
        {"magic byte-swapped", text_with_magic(0x77685748), 0},
        {"damaged magic", in_magic, 0},
        {"stray characters in a key", stray, 1},
    };
    for (const ValidityCase& c : cases) {
        EncryptionRecord record;
        std::memset(&record, 0x5A, sizeof record);
        EncryptionRecord untouched = record;
        EXPECT_EQ(decode_valid_encryption_text(c.text.c_str(), &record), c.valid) << c.what;
        if (!c.valid) {
            EXPECT_EQ(0, std::memcmp(&record, &untouched, sizeof record)) << c.what;
        } else {
            EXPECT_EQ(record.magic, ENCRYPTION_RECORD_MAGIC) << c.what;
        }
    }
}

TEST(EncryptionValidity, StrayCharacterDecodesAsItsMaskedValue) {
    // A character outside '&'..'e' decodes like the in-range one with the same
    // low six bits of its difference from '&'.
    std::string text = valid_text_with_key();
    std::string stray = text;
    std::string twin = text;
    stray[40] = static_cast<char>('&' + 64 + 5);  // 'f' + 5, beyond 'e'
    twin[40] = static_cast<char>('&' + 5);
    EXPECT_EQ(decode(stray), decode(twin));
    stray[41] = static_cast<char>('&' - 3);  // below '&': difference -3
    twin[41] = static_cast<char>('&' + 61);
    EXPECT_EQ(decode(stray), decode(twin));
}

TEST(EncryptionDecode, RefusesTextLongerThanTheOutput) {
    const std::string text = default_encryption_text;
    struct {
        unsigned capacity;
        unsigned expected;
    } cases[] = {{76, 76}, {200, 76}, {75, 0}, {0, 0}};
    for (const auto& c : cases) {
        Bytes out(80, 0xEE);
        EXPECT_EQ(
            decode_encryption_record(scramble_key_string, out.data(), c.capacity, text.c_str()),
            c.expected)
            << c.capacity;
        size_t written = 0;
        for (uint8_t b : out) written += b != 0xEE;
        if (c.expected == 0) {
            EXPECT_EQ(written, 0u) << c.capacity;
        }
        EXPECT_EQ(out[76], 0xEE);  // never more than floor(L * 3 / 4)
    }
}

TEST(EncryptionEncode, RefusesTooSmallTextBuffer) {
    Bytes bytes(76, 1);
    char text[ENCRYPTION_TEXT_SIZE + 1];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(encode_encryption_record(scramble_key_string, text, ENCRYPTION_TEXT_LENGTH,
                                       bytes.data(), 76),
              0u);
    EXPECT_EQ(text[0], '#');
    EXPECT_EQ(
        encode_encryption_record(scramble_key_string, text, ENCRYPTION_TEXT_SIZE, bytes.data(), 76),
        ENCRYPTION_TEXT_LENGTH);
    EXPECT_EQ(text[ENCRYPTION_TEXT_LENGTH], '\0');
    EXPECT_EQ(text[ENCRYPTION_TEXT_SIZE], '#');
}

// ---- hex digits ----

TEST(ParseHexBytes, Cases) {
    struct Case {
        const char* digits;
        unsigned count;
        int result;
        Bytes bytes;  // expected start of the output (rest stays 0xEE)
    } cases[] = {
        {"0123456789", 10, 1, {0x01, 0x23, 0x45, 0x67, 0x89}},
        {"ABCDEFabcd", 10, 1, {0xAB, 0xCD, 0xEF, 0xAB, 0xCD}},
        {"aBcDeF0f9F", 10, 1, {0xAB, 0xCD, 0xEF, 0x0F, 0x9F}},
        {"00112233445566778899aAbBcC",
         26,
         1,
         {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC}},
        {"f0F", 3, 1, {0xF0}},          // odd count: the last digit is ignored
        {"12g4567890", 10, 0, {0x12}},  // bytes before the bad digit stay written
        {"1G", 2, 0, {}},               // 'G' is not a digit
        {"0x1234", 6, 0, {}},           // no prefix
        {"12 4", 4, 0, {0x12}},
        {"12:4", 4, 0, {0x12}},  // ':' follows '9'
        {"12@4", 4, 0, {0x12}},  // '@' precedes 'A'
        {"12`4", 4, 0, {0x12}},  // '`' precedes 'a'
        {"1234567890", 0, 1, {}},
        {"ff\0"
         "f",
         4,
         0,
         {0xFF}},  // not zero-terminated: a zero is a bad digit
    };
    for (const Case& c : cases) {
        Bytes out(16, 0xEE);
        EXPECT_EQ(parse_hex_bytes(out.data(), c.digits, c.count), c.result) << c.digits;
        Bytes expected(16, 0xEE);
        std::copy(c.bytes.begin(), c.bytes.end(), expected.begin());
        EXPECT_EQ(out, expected) << c.digits;
    }
}

}  // namespace
