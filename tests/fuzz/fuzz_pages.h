// What the page fuzz targets share: how their fake windows answer a request
// for text, and the Encryption texts they start from.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "encryption.h"
#include "store.h"

// As much of the text as fits with a terminator, and every byte of the rest
// of the buffer written, so that AddressSanitizer sees a caller that gave a
// wrong size.
inline unsigned fill_buffer(char* buffer, unsigned size, const std::string& text) {
    if (size == 0) abort();
    const unsigned n = text.size() < size - 1 ? static_cast<unsigned>(text.size()) : size - 1;
    std::memcpy(buffer, text.data(), n);
    std::memset(buffer + n, 0, size - n);
    return n;
}

// An Encryption text: any bytes, or a record of any content encoded (valid
// magic or not), or one character too few or too many.
inline void fill_encryption(FuzzedDataProvider& in) {
    char* field = active_configuration.encryption;
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: {
        const std::string text = in.ConsumeRandomLengthString(CONFIG_TEXT_SIZE - 1);
        std::memset(field, 0, CONFIG_TEXT_SIZE);
        std::memcpy(field, text.data(), text.size());
        break;
    }
    default: {
        uint8_t bytes[ENCRYPTION_RECORD_SIZE] = {};
        const std::vector<uint8_t> given = in.ConsumeBytes<uint8_t>(ENCRYPTION_RECORD_SIZE);
        if (!given.empty()) std::memcpy(bytes, given.data(), given.size());
        if (in.ConsumeBool()) {
            const uint32_t magic = ENCRYPTION_RECORD_MAGIC;
            for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(magic >> (8 * i));
        }
        char text[ENCRYPTION_TEXT_SIZE + 1] = {};
        encode_encryption_record(scramble_key_string, text, ENCRYPTION_TEXT_SIZE, bytes,
                                 sizeof bytes);
        if (in.ConsumeBool())
            text[ENCRYPTION_TEXT_LENGTH - 1] = '\0';
        else if (in.ConsumeBool())
            text[ENCRYPTION_TEXT_LENGTH] = '&';
        std::memset(field, 0, CONFIG_TEXT_SIZE);
        std::memcpy(field, text, std::strlen(text));
        break;
    }
    }
}
