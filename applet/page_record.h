// What the property pages share: the encryption record they edit (its
// address is every page's parameter and the Control Panel's applet data), how
// a page answers a character typed into one of its fields, and its help text.
#pragma once
#include <cstdint>

#include "encryption.h"
#include "view.h"

// The record the Basic and Encryption pages decode at each showing and encode
// at each accepted leaving.
extern EncryptionRecord page_record;

// The text of a key in use: a key is never shown.
extern const char KEY_MASK[];  // 35 asterisks

// What a replacement procedure does with a character (WM_CHAR).
enum CharAction {
    CHAR_PASS,  // on to the control (the character may have been changed)
    CHAR_DROP,  // no further (the page has beeped where the rule says so)
};

// Loads page_record from the Encryption text of the active configuration:
// decoded when it is exactly 102 characters and holds the magic, else all
// zeros; then magic, key block length and type set.
void load_page_record();
// Encodes page_record into the Encryption text of the active configuration.
void store_page_record();

// The page's help text from the string table into its text area; a string
// the table lacks leaves the area as the template has it.
void show_help_text(View& view, int control, uint16_t string_id);

// Back to a freshly loaded applet (tests).
void page_record_reset();
