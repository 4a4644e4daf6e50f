// The Admin page (1205): the distance between access points, and for an
// Access Point profile without SoftexPcmcia the card's own or a locally
// administered MAC address.
#pragma once

#include "page_record.h"
#include "store.h"
#include "view.h"

// Applet-wide, kept from one sheet to the next while the applet is loaded
// (applet_reset puts them back): the MAC radio button (1103 or 1104) the last
// showing of the Admin page selected, 0 before any; and NetworkAddress, whole,
// as it was at that showing.
extern int admin_mac_mode;
extern char admin_mac_at_showing[CONFIG_TEXT_SIZE];

// NetworkAddress is exactly 12 hex digits whose first byte AND 3 is 2 (a
// locally administered individual address): 1. Otherwise message 1315 owned
// by the page, and 0.
int check_local_mac(View& view);

class AdminPage {
public:
    explicit AdminPage(View& view) : view_(view) {}

    // WM_INITDIALOG, after the glue subclassed the six controls: the MAC
    // field's limit, the help text, and the MAC group shown or left hidden.
    void init();
    // PSN_SETACTIVE: the distance button, the MAC field and the MAC button
    // (the button's own set-check handler runs through the view), then the
    // MAC mode and MAC at showing.
    void set_active();
    // PSN_KILLACTIVE: true lets the page go, false keeps it (message 1315
    // was shown).
    bool kill_active();
    // PSN_HELP.
    void help();

    // BM_SETCHECK of "&Default" (1103) and "&Network Assigned" (1104) with
    // the new state: bit 0 of the profile's restart marks, the MAC field
    // enabled or disabled.
    void default_set_check(bool checked);
    void assigned_set_check(bool checked);
    // WM_CAPTURECHANGED of 1100, 1101, 1102, 1103 or 1104.
    void clicked();
    // WM_CHAR of the MAC field (2126): backspace and hex digits pass
    // ('A'-'F' made lower case), anything else beeps and is dropped.
    CharAction mac_char(char& c);
    // WM_PASTE of the MAC field: all or nothing by the typing rule, with its
    // capitals made lower case in place (the glue inserts what is left). A
    // backspace in pasted text would land as a character: it does not pass.
    // False refuses it (the page beeped).
    bool mac_paste(char* text);

private:
    View& view_;
};
