// The Basic page (1201): the network name by network type, and for types 1
// and 2 the data-security switch and Key 1.
#pragma once

#include "page_record.h"
#include "view.h"

class BasicPage {
public:
    explicit BasicPage(View& view) : view_(view) {}

    // WM_INITDIALOG, after the glue subclassed the fields and placed the
    // sheet: limits, the help text and the controls the profile's type shows.
    void init();
    // PSN_SETACTIVE.
    void set_active();
    // PSN_KILLACTIVE: true to let the page go, false to keep it (a warning
    // was shown).
    bool kill_active();
    // PSN_HELP.
    void help();

    // The name field (2111).
    CharAction name_char(char& c);  // WM_CHAR
    void name_key_up();             // WM_KEYUP
    // A paste into the name field (WM_PASTE) of this text, before the edit
    // inserts it. True lets it in: text may have been converted in place as
    // typing would convert it (type 1: 'A'-'F' to lower case), so the glue
    // inserts text itself (EM_REPLACESEL, as the edit's paste would) rather
    // than pass WM_PASTE on, and then calls name_key_up so that a gateway's
    // key is derived as after a key release. False refuses it (the page
    // beeped, the field stays as it was).
    bool name_paste(char* text);
    // WM_CUT, WM_CLEAR of the name field: as a backspace typed (a change, and
    // for a gateway the name counts as typed); the glue lets the edit cut,
    // then calls name_key_up as after a paste.
    void name_cut_or_clear();

    // The key field (2115).
    void key_key_down();           // WM_KEYDOWN: the first one removes the mask
    CharAction key_char(char& c);  // WM_CHAR
    // WM_PASTE, WM_CUT, WM_CLEAR: as a first key press, and a change.
    bool key_paste(const char* text);
    void key_cut_or_clear();

    // The data-security box (2137): BM_SETCHECK with its new state, and a
    // click (WM_CAPTURECHANGED).
    void security_set_check(bool checked);
    void security_clicked();

    // Reads Key 1 back if it was edited and checks it with data_security; 1,
    // or 0 after a warning.
    int check_basic_key();

private:
    View& view_;
    bool name_typed_ = false;
    bool key_edited_ = false;
};
