// The commands that talk to the running driver ('e', 'M', 'W', 'R 0', 'R 1')
// or build encryption records ('K', 'W').
#include <cstdio>
#include <cstring>

#include "card_records.h"
#include "channel.h"
#include "commands.h"
#include "discovery.h"
#include "encryption.h"
#include "exit_codes.h"
#include "format.h"
#include "registry.h"
#include "store.h"

namespace {

const unsigned WEP_KEY_CHARACTERS = 5;

// Open the channel, check the running driver's identity, put one record (then
// the apply action) or read the MAC address, close.
int driver_step(const uint16_t* put, char* mac_text, unsigned mac_size) {
    if (channel_open(VENDOR_CODE) != CHANNEL_STATUS_OK) {
        channel_close();
        return EXIT_NO_DRIVER;
    }
    DriverIdentity identity;
    read_card_identity(&identity);
    if (!identity_is_required(identity)) {
        channel_close();
        return EXIT_WRONG_RELEASE;
    }
    int result = EXIT_OK;
    if (put) {
        card_put_record(put);
        channel_action(CHANNEL_ACTION_APPLY);
    }
    if (mac_text) {
        uint16_t mac[card_record_words(RECORD_LENGTH_MAC)];
        card_record_prepare(mac, RECORD_LENGTH_MAC, RECORD_MAC_ADDRESS);
        const uint16_t status = card_get_record(mac);
        // A read that failed or came back short has no address to show.
        if ((status != CHANNEL_STATUS_OK && status != CHANNEL_STATUS_TRUNCATED) ||
            mac[0] < RECORD_LENGTH_MAC) {
            result = EXIT_NO_DRIVER;
        } else {
            std::snprintf(mac_text, mac_size, "%02X%02X%02X%02X%02X%02X", mac[2] & 0xFF,
                          mac[2] >> 8, mac[3] & 0xFF, mac[3] >> 8, mac[4] & 0xFF, mac[4] >> 8);
        }
    }
    channel_close();
    return result;
}

// The registry key of profile p: the instance key for 0, else the profile's
// subkey, which must exist.
bool profile_key(int profile, char* key, unsigned size) {
    if (profile == 0) return format_bounded(key, size, "%s", instance_key) && key[0];
    return existing_profile_key_path(static_cast<uint32_t>(profile), key, size);
}

// One key argument of 'K' into a slot.
bool parse_key_argument(const char* argument, KeySlot* slot) {
    std::memset(slot->material, 0, sizeof slot->material);
    const size_t length = std::strlen(argument);
    switch (length) {
    case 0:
    case 1:  // a single character stands for an empty slot
        slot->length = 0;
        return true;
    case 5:
    case 13:
        slot->length = static_cast<uint16_t>(length);
        std::memcpy(slot->material, argument, length);
        return true;
    case 12:
    case 28:
        if (argument[0] != '0' || (argument[1] != 'x' && argument[1] != 'X')) return false;
        slot->length = static_cast<uint16_t>((length - 2) / 2);
        return parse_hex_bytes(slot->material, argument + 2, static_cast<unsigned>(length - 2)) ==
               1;
    default: return false;
    }
}

bool parse_key_arguments(const char* const* arguments, EncryptionRecord* record) {
    const char* tx = arguments[0];
    if (tx[0] < '1' || tx[0] > '4' || tx[1] != 0) return false;
    record->tx_key_index = static_cast<uint16_t>(tx[0] - '1');
    record->data_security = 1;
    for (unsigned i = 0; i < KEY_SLOT_COUNT; ++i)
        if (!parse_key_argument(arguments[1 + i], &record->keys[i])) return false;
    return true;
}

}  // namespace

int command_store_text(const char* text, int profile, bool apply) {
    if (!store_encryption_text(text, profile)) return EXIT_STORE_FAILED;
    if (!apply) return EXIT_OK;
    uint16_t record[RECORD_BUFFER_WORDS];
    card_record_encryption(record, text);
    return driver_step(record, nullptr, 0);
}

int command_mac_address() {
    char mac[16];
    int result = driver_step(nullptr, mac, sizeof mac);
    tool_print(result == EXIT_OK ? mac : MAC_PLACEHOLDER);
    return result;
}

int command_driver_enable(char which) {
    if (which == '2') return command_read_driver_enable();
    const int32_t value = which == '1' ? 1 : 0;
    const int stored =
        reg_write_dword(PLAT_HKEY_LOCAL_MACHINE, instance_key, "DriverEnable", value);
    // The driver takes the stored value at its next start; the running one
    // is told now if it can be.
    uint16_t record[card_record_words(RECORD_LENGTH_WORD)];
    card_record_word(record, RECORD_DRIVER_ENABLE, static_cast<uint32_t>(value));
    driver_step(record, nullptr, 0);
    return stored ? EXIT_OK : EXIT_STORE_FAILED;
}

int command_first_key(const char* key_argument, int profile) {
    char key[WEP_KEY_CHARACTERS + 1];
    for (unsigned i = 0; i < WEP_KEY_CHARACTERS; ++i) {
        const unsigned char c = static_cast<unsigned char>(key_argument[i]);
        if (c < 32 || c > 126) return EXIT_BAD_ARGUMENTS;
        key[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (key_argument[WEP_KEY_CHARACTERS] != 0) return EXIT_BAD_ARGUMENTS;
    key[WEP_KEY_CHARACTERS] = 0;

    // The running driver gets a fresh record with this key alone.
    EncryptionRecord fresh;
    init_encryption_record(&fresh);
    fresh.tx_key_index = 0;
    fresh.data_security = 1;
    fresh.keys[0].length = WEP_KEY_CHARACTERS;
    std::memcpy(fresh.keys[0].material, key, WEP_KEY_CHARACTERS);
    char text[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&fresh, text);
    uint16_t record[RECORD_BUFFER_WORDS];
    card_record_encryption(record, text);
    const int step = driver_step(record, nullptr, 0);
    if (step != EXIT_OK) return step;

    // The stored record keeps its other keys and transmit key.
    char path[PROFILE_KEY_SIZE];
    char stored[REG_STRING_SIZE];
    EncryptionRecord current;
    if (!profile_key(profile, path, sizeof path) ||
        !reg_read_string(PLAT_HKEY_LOCAL_MACHINE, path, "Encryption", stored) ||
        !decode_valid_encryption_text(stored, &current))
        return EXIT_STORE_FAILED;
    std::memcpy(current.keys[0].material, key, WEP_KEY_CHARACTERS + 1);
    current.keys[0].length = WEP_KEY_CHARACTERS;
    current.data_security = 1;
    encode_encryption_text(&current, text);
    return store_encryption_text(text, profile) ? EXIT_OK : EXIT_STORE_FAILED;
}

int command_set_keys(const char* const* arguments) {
    EncryptionRecord record;
    if (!decode_valid_encryption_text(default_encryption_text, &record)) return EXIT_STORE_FAILED;
    if (!parse_key_arguments(arguments, &record)) return EXIT_BAD_ARGUMENTS;
    char text[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&record, text);
    // Without an installed adapter the record waits for the installation.
    const int stored =
        find_adapter(adapter_hardware_ids)
            ? store_encryption_text(text, 1)
            : reg_write_string(PLAT_HKEY_LOCAL_MACHINE, ORVIX_DRIVER_KEY, "Encryption", text);
    return stored ? EXIT_OK : EXIT_STORE_FAILED;
}
