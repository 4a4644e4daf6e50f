#include "page_record.h"

#include <cstring>

#include "store.h"

EncryptionRecord page_record;

namespace {

// The longest help text of the string table, with room to spare.
enum : unsigned { HELP_TEXT_SIZE = 512 };

}  // namespace

const char KEY_MASK[] = "***********************************";

void load_page_record() {
    EncryptionRecord decoded;
    // A text that is not exactly 102 characters, or does not decode to the
    // magic, gives an all-zero record: never the keys of whatever profile the
    // record held before.
    if (decode_valid_encryption_text(active_configuration.encryption, &decoded))
        page_record = decoded;
    else
        std::memset(&page_record, 0, sizeof page_record);
    page_record.magic = ENCRYPTION_RECORD_MAGIC;
    page_record.key_block_length = KEY_BLOCK_LENGTH;
    page_record.key_block_type = KEY_BLOCK_TYPE;
}

void store_page_record() {
    char text[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&page_record, text);
    static_assert(sizeof active_configuration.encryption >= sizeof text, "encryption field");
    std::memcpy(active_configuration.encryption, text, sizeof text);
}

void page_record_reset() { std::memset(&page_record, 0, sizeof page_record); }

void show_help_text(View& view, int control, uint16_t string_id) {
    char text[HELP_TEXT_SIZE];
    if (view.load_string(string_id, text, sizeof text) == 0) return;
    text[sizeof text - 1] = '\0';
    view.set_text(control, text);
}
