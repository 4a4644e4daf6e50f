// Encryption texts from outside (registry, command line, driver): the validity
// test, the decoder at any output capacity, the encoder at any text size and
// the hex key parser, each into buffers of exactly the size they are told.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "encryption.h"

namespace {

void check(bool condition) {
    if (!condition) abort();
}

void fuzz_validity(const char* text) {
    EncryptionRecord record;
    memset(&record, 0xA5, sizeof record);
    EncryptionRecord before = record;
    int valid = decode_valid_encryption_text(text, &record);
    if (!valid) {
        check(memcmp(&record, &before, sizeof record) == 0);
        return;
    }
    check(strlen(text) == ENCRYPTION_TEXT_LENGTH);
    check(record.magic == ENCRYPTION_RECORD_MAGIC);
    // What a reader accepted, written back and read again, is the same record.
    char again[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&record, again);
    check(strlen(again) == ENCRYPTION_TEXT_LENGTH);
    EncryptionRecord back;
    check(decode_valid_encryption_text(again, &back) == 1);
    uint8_t a[ENCRYPTION_RECORD_SIZE], b[ENCRYPTION_RECORD_SIZE];
    pack_encryption_record(&record, a);
    pack_encryption_record(&back, b);
    check(memcmp(a, b, sizeof a) == 0);
}

void fuzz_decoder(const char* text, unsigned capacity) {
    size_t length = strlen(text);
    size_t expected = length * 3 / 4;
    // Exactly capacity bytes on the heap: ASan sees one byte too many.
    std::vector<uint8_t> out(capacity ? capacity : 1, 0xEE);
    uint8_t* target = capacity ? out.data() : out.data() + 1;
    unsigned n = decode_encryption_record(scramble_key_string, target, capacity, text);
    if (expected > capacity) {
        check(n == 0);
        for (uint8_t byte : out) check(byte == 0xEE);
    } else {
        check(n == expected);
    }
}

void fuzz_encoder(const std::vector<uint8_t>& bytes, unsigned text_size) {
    unsigned count = (unsigned)bytes.size();
    unsigned needed = encryption_text_length(count) + 1;
    std::vector<char> text(text_size ? text_size : 1, '#');
    char* target = text_size ? text.data() : text.data() + 1;
    unsigned n =
        encode_encryption_record(scramble_key_string, target, text_size, bytes.data(), count);
    if (needed > text_size) {
        check(n == 0);
        for (char c : text) check(c == '#');
        return;
    }
    check(n == needed - 1 && target[n] == '\0');
    for (unsigned i = 0; i < n; ++i) check(target[i] >= '&' && target[i] <= 'e');
    std::vector<uint8_t> back(count ? count : 1);
    check(decode_encryption_record(scramble_key_string, back.data(), count, target) == count);
    check(count == 0 || memcmp(back.data(), bytes.data(), count) == 0);
}

void fuzz_hex(const std::vector<char>& digits) {
    unsigned count = (unsigned)digits.size();
    std::vector<uint8_t> out(count / 2 ? count / 2 : 1);
    int ok = parse_hex_bytes(out.data(), digits.data(), count);
    bool all_hex = true;
    for (char d : digits)
        all_hex =
            all_hex && ((d >= '0' && d <= '9') || (d >= 'a' && d <= 'f') || (d >= 'A' && d <= 'F'));
    check(ok == (all_hex ? 1 : 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    unsigned capacity = input.ConsumeIntegralInRange<unsigned>(0, 200);
    unsigned text_size = input.ConsumeIntegralInRange<unsigned>(0, 300);
    unsigned choice = input.ConsumeIntegralInRange<unsigned>(0, 3);
    std::vector<uint8_t> rest = input.ConsumeRemainingBytes<uint8_t>();

    // Texts as a reader gets them: zero-terminated, of any bytes. Most
    // interesting near 102 characters, so also try a copy forced to 102.
    std::vector<char> text(rest.begin(), rest.end());
    text.push_back('\0');
    fuzz_validity(text.data());
    fuzz_decoder(text.data(), capacity);
    if (rest.size() >= ENCRYPTION_TEXT_LENGTH) {
        std::vector<char> exact(rest.begin(), rest.begin() + ENCRYPTION_TEXT_LENGTH);
        for (char& c : exact)
            if (c == '\0') c = '&';
        if (choice == 0) {
            // Keep the magic's characters of a valid text so that the record
            // behind it is reached.
            memcpy(exact.data(), default_encryption_text, 6);
        }
        exact.push_back('\0');
        fuzz_validity(exact.data());
        fuzz_decoder(exact.data(), capacity);
    }
    fuzz_encoder(rest, text_size);
    fuzz_hex(std::vector<char>(rest.begin(), rest.end()));
    return 0;
}
