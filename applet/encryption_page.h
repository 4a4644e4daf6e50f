// The Encryption page (1203): data security, the transmit key and four keys
// as printable characters or hex digits.
#pragma once

#include "page_record.h"
#include "view.h"

// Applet-wide: keys are typed as hex digits (1) or as characters (0). Kept
// from one showing, and one sheet, to the next while the applet is loaded.
extern int key_hex_mode;

// The character rule of the key fields: 1 lets the character (perhaps made
// lower case) through, 0 drops it (after a beep in hex mode).
int filter_key_char(View& view, int hex_mode, char& c);

class EncryptionPage {
public:
    explicit EncryptionPage(View& view) : view_(view) {}

    void init();         // WM_INITDIALOG (the glue subclassed the eight controls first)
    void set_active();   // PSN_SETACTIVE
    bool kill_active();  // PSN_KILLACTIVE: true lets the page go
    void help();         // PSN_HELP

    // Key field k (1 to 4: 2116 to 2119).
    void key_key_down(int k);
    CharAction key_char(int k, char& c);
    // WM_PASTE of this clipboard text: true lets it in (in hex mode with its
    // capitals made lower case here, in place: paste the text as it is left),
    // false refuses it (the page beeped).
    bool key_paste(int k, char* text);
    void key_cut_or_clear(int k);

    // The data-security box (2112), the radio buttons (2113, 2114), the
    // transmit key list (2120).
    void security_set_check(bool checked);
    void mode_set_check(int id, bool checked);
    void control_clicked();  // WM_CAPTURECHANGED of 2112, 2113, 2114, 2120

    // Reads the edited key fields into page_record and checks them; 1, or 0
    // after a warning.
    int store_encryption_keys();

private:
    View& view_;
    bool key_edited_[KEY_SLOT_COUNT] = {};
};
