// The real applet, RCPANEL48.CPL as built, loaded into this program and run
// as the Control Panel and installers run it: its start, its mailbox and
// exports, the sheet's pages and their rules, typed for real.
#include <cstring>
#include <string>
#include <vector>

#include "applet_session.h"

#include <prsht.h>

namespace {

// Ids of the profile dialog and the About box.
enum {
    ROW_SELECT_1 = 2106,
    ROW_NAME_1 = 1105,
    ROW_TYPE_1 = 2100,
    EDIT_PROFILE = 2110,
    HELP_BUTTON = 9,
    ABOUT_TEXT = 1005,
    ABOUT_ITEM = 1600,
};

// ---- the cases, each run in a child ----

TEST_F(AppletCase, FreshAdapterShowsTheDefaultProfile) {
    Adapter a = network_adapter();
    ASSERT_TRUE(start_card());
    HelpStandIn help;
    ControlPanelRun run(applet_);

    HWND dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(run.info().idName, 1303);
    EXPECT_EQ(run.info().idInfo, 1309);
    EXPECT_EQ(run.info().idIcon, 2007);
    EXPECT_EQ(item_text(dialog, ROW_NAME_1), "Default");
    EXPECT_TRUE(item_checked(dialog, ROW_SELECT_1));
    EXPECT_TRUE(item_enabled(dialog, ROW_NAME_1));
    EXPECT_TRUE(item_enabled(dialog, ROW_TYPE_1));
    for (int row = 2; row <= 4; ++row) {
        EXPECT_EQ(item_text(dialog, ROW_NAME_1 + row - 1), "") << row;
        EXPECT_FALSE(item_checked(dialog, ROW_SELECT_1 + row - 1)) << row;
        EXPECT_FALSE(item_enabled(dialog, ROW_NAME_1 + row - 1)) << row;
        EXPECT_FALSE(item_enabled(dialog, ROW_TYPE_1 + row - 1)) << row;
    }
    EXPECT_FALSE(item_enabled(dialog, IDOK));  // profile 1 is new
    EXPECT_EQ(combo_items(dialog, ROW_TYPE_1),
              (std::vector<std::string>{"Access Point", "Peer-to-Peer Group"}));
    EXPECT_EQ(combo_selection(dialog, ROW_TYPE_1), 0);
    screenshot(dialog, "profile-dialog");

    // Help asks for topic 113 of the applet's help file.
    press(dialog, HELP_BUTTON);
    pump_for(500);
    ASSERT_EQ(help.requests().size(), 1u);
    EXPECT_EQ(help.requests()[0].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(help.requests()[0].data, 113u);
    const std::string file = help.requests()[0].file;
    EXPECT_EQ(file.substr(file.size() >= 11 ? file.size() - 11 : 0), "RCPANEL.HLP") << file;

    // The system menu's About item.
    PostMessageA(dialog, WM_SYSCOMMAND, ABOUT_ITEM, 0);
    HWND about = wait_for_window("About");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(item_text(about, ABOUT_TEXT), "RCPANEL48.CPL Variant 1, Version 6.41");
    screenshot(about, "about-box");
    press(about, IDOK);
    EXPECT_TRUE(wait_until_gone(about));

    press(dialog, IDCANCEL);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.init(), 1);
    EXPECT_EQ(reg_get_string(DRIVER_KEY, "version"), "1.6.41");
    EXPECT_EQ(reg_get_dword(DRIVER_KEY, "Cpl_cmd"), 0);
    // Cancel sends nothing to the card and stores no profile.
    EXPECT_EQ(counters().puts, 0u);
    EXPECT_EQ(reg_get_dword(a.instance_key, "Configured"), -1);
}

// The sheet's pages for the current profile, then OK in the sheet and in the
// dialog: the active configuration goes to the card and the registry.
TEST_F(AppletCase, EditProfileThenOkSendsTheProfileToTheCard) {
    Adapter a = network_adapter();
    reg_put_string(a.instance_key, "Encryption", default_encryption_text);
    ASSERT_TRUE(start_card());
    ControlPanelRun run(applet_);

    HWND dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    press(dialog, EDIT_PROFILE);
    HWND sheet = wait_for_window("Edit Configuration [Default]");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet_tabs(sheet),
              (std::vector<std::string>{"Basic", "Encryption", "Advanced", "Admin"}));
    screenshot(sheet, "property-sheet");
    // Every page as the user would see it.
    const char* const pages[] = {"basic", "encryption", "advanced", "admin"};
    for (int i = 3; i >= 0; --i) {
        ASSERT_NE(select_page(sheet, i), nullptr) << pages[i];
        screenshot(sheet, std::string("page-") + pages[i]);
    }
    press_sheet_button(sheet, PSBTN_OK);
    ASSERT_TRUE(wait_until_gone(sheet));

    // Back in the dialog: the profile passed the sheet, so OK is offered.
    dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(item_enabled(dialog, IDOK));
    press(dialog, IDOK);
    ASSERT_TRUE(run.finish());

    const SimCardCounters c = counters();
    EXPECT_EQ(c.puts, 12u);
    EXPECT_EQ(c.actions, 1u);
    EXPECT_EQ(c.last_action, 128u);
    EXPECT_EQ(c.context_mismatches, 0u);
    EXPECT_EQ(encryption_record(), default_encryption_text);
    EXPECT_EQ(reg_get_dword(a.instance_key, "Configured"), 1);
    EXPECT_EQ(reg_get_dword(a.instance_key, "ConfigType"), 1);
    EXPECT_EQ(reg_get_string(a.instance_key + "\\Config01", "ConfigName"), "Default");
    EXPECT_EQ(reg_get_dword(a.instance_key + "\\Config01", "NetworkType"), 0);
    EXPECT_EQ(reg_get_dword(DRIVER_KEY, "Cur_conf"), 1);
    EXPECT_EQ(reg_get_string(DRIVER_KEY, "Config01"), "Default");
    EXPECT_EQ(reg_get_dword(a.instance_key, "DriverEnable"), 1);
    EXPECT_EQ(reg_get_dword(DRIVER_KEY, "Cpl_cmd"), 0);
}

// Windows NT 4 without SoftexPcmcia adds the Adapter page, last.
TEST_F(AppletCase, Nt4SheetEndsWithTheAdapterPage) {
    install_adapter("nt40");
    // The card as the NT 4 driver's first device. Without a DOS name to find
    // the applet defines one (DefineDosDeviceA), which 32-bit Wine 8.0 does
    // not survive: the process dies inside the call (a Wine fault; the
    // define-and-remove path is proven natively).
    ASSERT_TRUE(start_card("RLORX521"));
    ControlPanelRun run(applet_);
    HWND dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    press(dialog, EDIT_PROFILE);
    HWND sheet = wait_for_window("Edit Configuration [Default]");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet_tabs(sheet),
              (std::vector<std::string>{"Basic", "Encryption", "Advanced", "Admin", "Adapter"}));
    ASSERT_NE(select_page(sheet, 4), nullptr);
    screenshot(sheet, "page-adapter");
    cancel_sheet_and_dialog(sheet);
    ASSERT_TRUE(run.finish());
}

// A driver of another release: the message, and no dialog.
TEST_F(AppletCase, WrongDriverReleaseShowsTheMessageAndNoDialog) {
    Adapter a = network_adapter();
    reg_put_dword(a.instance_key, "DriverMinor", 40);
    ControlPanelRun run(applet_);
    HWND box = wait_for_message_box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box),
              "The driver has the wrong version!\n\nPlease reinstall the driver.");
    EXPECT_EQ(window_text(box), "");
    screenshot(box, "wrong-driver");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(wait_for_window(PROFILES_TITLE, 200), nullptr);
    EXPECT_EQ(reg_get_string(DRIVER_KEY, "version"), "1.6.41");
}

// An installer switches to profile 3 without a window.
TEST_F(AppletCase, CmConfigureSelectsProfileThreeWithoutAWindow) {
    Adapter a = network_adapter();
    ASSERT_TRUE(start_card());
    const char* const names[] = {"Office", "Home", "Lab"};
    for (int n = 1; n <= 3; ++n) {
        const std::string key = a.instance_key + "\\Config0" + std::to_string(n);
        reg_put_string(key, "ConfigName", names[n - 1]);
        reg_put_dword(key, "NetworkType", 0);
        reg_put_string(key, "DesiredSSID", std::string("net-") + names[n - 1]);
    }
    reg_put_dword(a.instance_key, "ConfigType", 1);
    reg_put_dword(a.instance_key, "Configured", 1);

    EXPECT_EQ(applet_.cm_configure(0x0203), 0u);
    EXPECT_EQ(reg_get_dword(a.instance_key, "ConfigType"), 3);
    EXPECT_EQ(reg_get_dword(DRIVER_KEY, "Cur_conf"), 3);
    EXPECT_EQ(reg_get_dword(DRIVER_KEY, "Cpl_Status"), 0);
    EXPECT_EQ(reg_get_dword(DRIVER_KEY, "Cpl_cmd"), 0);
    EXPECT_EQ(reg_get_string(a.instance_key, "DesiredSSID"), "net-Lab");
    EXPECT_EQ(text_record(0xFC02), "net-Lab");
    EXPECT_EQ(counters().last_action, 128u);
    EXPECT_EQ(wait_for_window(PROFILES_TITLE, 200), nullptr);

    // Below 0x100 is no command at all.
    EXPECT_EQ(applet_.cm_configure(0xFF), 0x8001u);
}

// The mailbox through the Control Panel's own launcher: "control" loads the
// applet, double-clicks it, and the run ends without a window.
TEST_F(AppletCase, ControlLauncherRunsTheMailboxWithoutAWindow) {
    Adapter a = network_adapter();
    ASSERT_TRUE(start_card());
    for (int n = 1; n <= 3; ++n) {
        const std::string key = a.instance_key + "\\Config0" + std::to_string(n);
        reg_put_string(key, "ConfigName", "profile " + std::to_string(n));
        reg_put_dword(key, "NetworkType", 0);
        reg_put_string(key, "DesiredSSID", "net-" + std::to_string(n));
    }
    reg_put_dword(a.instance_key, "ConfigType", 1);
    reg_put_dword(a.instance_key, "Configured", 1);
    reg_put_dword(DRIVER_KEY, "Cpl_cmd", 0x0203);
    set_windows_version("control.exe", "winxp");

    char system[MAX_PATH];
    const UINT n = GetSystemDirectoryA(system, sizeof system);
    ASSERT_GT(n, 0u);
    const ProcessResult r = run_program(std::string(system, n) + "\\control.exe",
                                        {dist_dir() + "\\RCPANEL48.CPL"}, 30000);
    set_windows_version("control.exe", "");
    ASSERT_TRUE(r.started) << r.report;
    EXPECT_EQ(reg_get_dword(DRIVER_KEY, "Cpl_cmd"), 0);
    EXPECT_EQ(reg_get_dword(DRIVER_KEY, "Cpl_Status"), 0);
    EXPECT_EQ(reg_get_dword(DRIVER_KEY, "Cur_conf"), 3);
    EXPECT_EQ(reg_get_dword(a.instance_key, "ConfigType"), 3);
    EXPECT_EQ(reg_get_string(a.instance_key, "DesiredSSID"), "net-3");
    EXPECT_EQ(text_record(0xFC02), "net-3");
    EXPECT_EQ(counters().last_action, 128u);
}

// ---- the Basic and Encryption pages for real ----

const char MASK[] = "***********************************";

// Ids of the two pages.
enum {
    BASIC_NAME = 2111,
    BASIC_SECURITY = 2137,
    BASIC_KEY = 2115,
    ENC_SECURITY = 2112,
    ENC_TX_KEY = 2120,
    ENC_ALPHANUMERIC = 2113,
    ENC_HEX = 2114,
    ENC_KEY_1 = 2116,
};

// A user switching on encryption: profile dialog, Edit Profile, the
// Encryption page, Enable Data Security, a key typed, OK and OK.
TEST_F(AppletCase, EncryptionKeyTypedReachesTheRegistryAndTheCard) {
    Adapter a = configured_profile(0, "Office", default_encryption_text);
    ASSERT_TRUE(start_card());
    ControlPanelRun run(applet_);
    HWND sheet = open_sheet("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    std::string refusal;
    HWND page = select_page(sheet, 1, &refusal);
    ASSERT_NE(page, nullptr) << refusal;
    EXPECT_FALSE(item_checked(page, ENC_SECURITY));
    EXPECT_FALSE(item_enabled(page, ENC_KEY_1));
    press(page, ENC_SECURITY);
    pump_for(300);
    EXPECT_TRUE(item_checked(page, ENC_SECURITY));
    EXPECT_TRUE(item_enabled(page, ENC_KEY_1));
    type_text(page, ENC_KEY_1, "Secr3");
    EXPECT_EQ(item_text(page, ENC_KEY_1), "Secr3");
    screenshot(sheet, "encryption-page-typed");
    ok_sheet_and_dialog(sheet);
    ASSERT_TRUE(run.finish());

    const std::string root = reg_get_string(a.instance_key, "Encryption");
    EXPECT_EQ(reg_get_string(a.instance_key + "\\Config01", "Encryption"), root);
    const EncryptionRecord r = decoded(root);
    EXPECT_EQ(r.magic, ENCRYPTION_RECORD_MAGIC);
    EXPECT_EQ(r.data_security, 1);
    EXPECT_EQ(r.tx_key_index, 0);
    EXPECT_EQ(key_bytes(r, 0), "Secr3");
    EXPECT_EQ(encryption_record(), root);
    EXPECT_EQ(counters().puts, 12u);
}

// Hex digits as typed, the mask of a stored key, Help of the page.
TEST_F(AppletCase, EncryptionPageHexKeysAndMasks) {
    EncryptionRecord stored;
    init_encryption_record(&stored);
    stored.data_security = 1;
    stored.keys[0].length = 5;
    std::memcpy(stored.keys[0].material, "abcde", 5);
    char text[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&stored, text);
    Adapter a = configured_profile(0, "Office", text);
    HelpStandIn help;
    ControlPanelRun run(applet_);
    HWND sheet = open_sheet("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    std::string refusal;
    HWND page = select_page(sheet, 1, &refusal);
    ASSERT_NE(page, nullptr) << refusal;
    EXPECT_TRUE(item_checked(page, ENC_SECURITY));
    EXPECT_EQ(item_text(page, ENC_KEY_1), MASK);
    EXPECT_EQ(item_text(page, ENC_KEY_1 + 1), "");
    screenshot(sheet, "encryption-page");

    press(page, ENC_HEX);
    pump_for(300);
    EXPECT_TRUE(item_checked(page, ENC_HEX));
    EXPECT_FALSE(item_checked(page, ENC_ALPHANUMERIC));
    type_text(page, ENC_KEY_1 + 1, "A1B2C3D4E5");
    EXPECT_EQ(item_text(page, ENC_KEY_1 + 1), "a1b2c3d4e5");
    type_text(page, ENC_KEY_1 + 2, "g");
    EXPECT_EQ(item_text(page, ENC_KEY_1 + 2), "");
    EXPECT_EQ(item_text(page, ENC_KEY_1), MASK);  // untouched

    press_sheet_button(sheet, PSBTN_HELP);
    pump_for(500);
    ASSERT_FALSE(help.requests().empty());
    EXPECT_EQ(help.requests().back().command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(help.requests().back().data, 112u);

    // The first key press in a masked field, an arrow even, empties it.
    HWND key_1 = GetDlgItem(page, ENC_KEY_1);
    SendMessageA(key_1, WM_KEYDOWN, VK_RIGHT, 1);
    SendMessageA(key_1, WM_KEYUP, VK_RIGHT, 0xC0000001);
    EXPECT_EQ(item_text(page, ENC_KEY_1), "");
    type_text(page, ENC_KEY_1, "0102030405");
    ok_sheet_and_dialog(sheet);
    ASSERT_TRUE(run.finish());

    const EncryptionRecord r = decoded(reg_get_string(a.instance_key, "Encryption"));
    EXPECT_EQ(key_bytes(r, 0), std::string("\x01\x02\x03\x04\x05", 5));
    EXPECT_EQ(key_bytes(r, 1), "\xA1\xB2\xC3\xD4\xE5");
    EXPECT_EQ(r.keys[2].length, 0);
}

// A peer-to-peer profile's Basic page: "ANY" refused with its message, a
// short key refused, the page staying until both are mended.
TEST_F(AppletCase, PeerToPeerBasicPageRefusesAndAccepts) {
    Adapter a = configured_profile(2, "Group", default_encryption_text);
    HelpStandIn help;
    ControlPanelRun run(applet_);
    HWND sheet = open_sheet("Edit Configuration [Group]");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet_tabs(sheet), (std::vector<std::string>{"Basic"}));
    HWND page = sheet_page(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(item_text(page, BASIC_NAME), "lan");
    EXPECT_TRUE(item_visible(page, BASIC_SECURITY));
    EXPECT_TRUE(item_visible(page, BASIC_KEY));
    EXPECT_FALSE(item_checked(page, BASIC_SECURITY));
    screenshot(sheet, "basic-page-peer-to-peer");

    press_sheet_button(sheet, PSBTN_HELP);
    pump_for(500);
    ASSERT_FALSE(help.requests().empty());
    EXPECT_EQ(help.requests().back().data, 106u);

    clear_text(page, BASIC_NAME);
    type_text(page, BASIC_NAME, "AnY");
    press_sheet_button(sheet, PSBTN_OK);
    EXPECT_EQ(answer_message_box(),
              "Network Name 'ANY' is not valid in a Peer-to-Peer Group profile.");
    EXPECT_TRUE(IsWindow(sheet));  // the page stays

    clear_text(page, BASIC_NAME);
    type_text(page, BASIC_NAME, "lab-2");
    press(page, BASIC_SECURITY);
    pump_for(300);
    EXPECT_TRUE(item_enabled(page, BASIC_KEY));
    type_text(page, BASIC_KEY, "abc");
    press_sheet_button(sheet, PSBTN_OK);
    EXPECT_EQ(answer_message_box(), "Use 5 printable characters (or 13 with Duocard (WEP 128))");
    EXPECT_TRUE(IsWindow(sheet));

    clear_text(page, BASIC_KEY);
    type_text(page, BASIC_KEY, "abcde");
    ok_sheet_and_dialog(sheet);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(reg_get_string(a.instance_key, "DesiredSSID"), "lab-2");
    EXPECT_EQ(reg_get_string(a.instance_key, "OwnSSID"), "");
    EXPECT_EQ(reg_get_dword(a.instance_key, "CreateIBSS"), 1);
    const EncryptionRecord r = decoded(reg_get_string(a.instance_key, "Encryption"));
    EXPECT_EQ(r.data_security, 1);
    EXPECT_EQ(key_bytes(r, 0), "abcde");
}

// ---- the Advanced, Admin and Adapter pages for real ----

// NT 4: another interrupt on the Adapter page asks for a restart after OK.
TEST_F(AppletCase, Nt4InterruptChangeAsksForARestart) {
    Adapter a = install_adapter("nt40");
    ASSERT_TRUE(start_card("RLORX521"));
    const std::string key = a.instance_key + "\\Config01";
    reg_put_string(key, "ConfigName", "Office");
    reg_put_dword(key, "NetworkType", 0);
    reg_put_dword(a.instance_key, "ConfigType", 1);
    reg_put_dword(a.instance_key, "Configured", 1);
    reg_put_dword(a.instance_key, "InterruptNumber", 5);
    ControlPanelRun run(applet_);
    HWND sheet = open_sheet("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    std::string refusal;
    HWND page = select_page(sheet, 4, &refusal);
    ASSERT_NE(page, nullptr) << refusal;
    HWND interrupts = GetDlgItem(page, 2128);
    EXPECT_EQ(combo_items(page, 2128)[combo_selection(page, 2128)], "5");
    const LRESULT ten = SendMessageA(interrupts, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>("10"));
    ASSERT_NE(ten, CB_ERR);
    SendMessageA(interrupts, CB_SETCURSEL, ten, 0);
    // What the list tells the box when the user picks from it.
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(interrupts, &info))
        SendMessageA(interrupts, WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(info.hwndList));
    ok_sheet_and_dialog(sheet);
    EXPECT_EQ(answer_restart_no(), RESTART_QUESTION);
    ASSERT_TRUE(run.finish());

    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(reg_get_value(a.instance_key, "InterruptNumber", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(reg_get_dword(a.instance_key, "InterruptNumber"), 10);
    SimCardControlAnswer answer{};
    std::string error;
    ASSERT_TRUE(simcard_read("RLORX521", 0, &answer, &error)) << error;
    EXPECT_EQ(answer.counters.puts, 12u);
}

// Windows XP: no Adapter page, and the resources are not the applet's to write.
TEST_F(AppletCase, XpSheetHasNoAdapterPageAndWritesNoResources) {
    Adapter a = configured_profile(0, "Office", default_encryption_text);
    ASSERT_TRUE(start_card());
    ControlPanelRun run(applet_);
    HWND sheet = open_sheet("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet_tabs(sheet).size(), 4u);
    ok_sheet_and_dialog(sheet);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(reg_get_dword(a.instance_key, "Configured"), 1);
    EXPECT_EQ(reg_get_dword(a.instance_key, "IoBaseAddress"), -1);
    EXPECT_EQ(reg_get_dword(a.instance_key, "InterruptNumber"), -1);
}

// The Admin page's locally administered address typed for real: a group
// address refused with its message, a valid one taken lower case, and the
// restart question after OK.
TEST_F(AppletCase, AdminPageMacAddressTypedForReal) {
    Adapter a = configured_profile(0, "Office", default_encryption_text);
    ASSERT_TRUE(start_card());
    ControlPanelRun run(applet_);
    HWND sheet = open_sheet("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    std::string refusal;
    HWND page = select_page(sheet, 3, &refusal);
    ASSERT_NE(page, nullptr) << refusal;
    EXPECT_TRUE(item_visible(page, 2126));
    EXPECT_TRUE(item_checked(page, 1103));
    EXPECT_FALSE(item_enabled(page, 2126));
    press(page, 1104);
    pump_for(300);
    EXPECT_TRUE(item_enabled(page, 2126));
    type_text(page, 2126, "01601D03BC3A");
    EXPECT_EQ(item_text(page, 2126), "01601d03bc3a");
    screenshot(sheet, "admin-page");
    press_sheet_button(sheet, PSBTN_OK);
    EXPECT_EQ(answer_message_box(),
              "Please enter a valid Local MAC Address.\nExample: 02601D03BC3A");
    EXPECT_TRUE(IsWindow(sheet));
    clear_text(page, 2126);
    type_text(page, 2126, "02601D03BC3A");
    ok_sheet_and_dialog(sheet);
    EXPECT_EQ(answer_restart_no(), RESTART_QUESTION);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(reg_get_string(a.instance_key, "NetworkAddress"), "02601d03bc3a");
}

// Under the Softex card services the card's own address is theirs: the Admin
// page shows no MAC group, its leaving neither checks nor stores an address
// (an invalid one stored stays as it is), and nothing asks for a restart.
TEST_F(AppletCase, AdminPageUnderSoftexHidesTheMacGroup) {
    Adapter a = configured_profile(0, "Office", default_encryption_text);
    reg_put_dword(a.instance_key, "SoftexPcmcia", 1);
    reg_put_string(a.instance_key, "NetworkAddress", "0123");
    reg_put_string(a.instance_key + "\\Config01", "NetworkAddress", "0123");
    ASSERT_TRUE(start_card());
    ControlPanelRun run(applet_);
    HWND sheet = open_sheet("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    std::string refusal;
    HWND page = select_page(sheet, 3, &refusal);
    ASSERT_NE(page, nullptr) << refusal;
    for (int id : {2134, 1103, 1104, 2126}) EXPECT_FALSE(item_visible(page, id)) << id;
    EXPECT_TRUE(item_visible(page, 1101));
    press(page, 1101);
    pump_for(300);
    screenshot(sheet, "admin-page-softex");
    press_sheet_button(sheet, PSBTN_OK);
    ASSERT_TRUE(wait_until_gone(sheet)) << message_box_text(wait_for_message_box(500));
    HWND dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    press(dialog, IDOK);
    // No restart question (bit 0 stays clear).
    HWND box = wait_for_message_box(1500);
    EXPECT_EQ(box, nullptr) << message_box_text(box);
    if (box) PostMessageA(box, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(reg_get_dword(a.instance_key, "SystemScale"), 2);
    EXPECT_EQ(reg_get_string(a.instance_key, "NetworkAddress"), "0123");
    EXPECT_EQ(reg_get_string(a.instance_key + "\\Config01", "NetworkAddress"), "0123");
}

// ---- each case in a child that sees its Windows version ----

const UnderCase UNDER_CASES[] = {
    {"xp_fresh_adapter", "winxp", "FreshAdapterShowsTheDefaultProfile"},
    {"xp_edit_then_ok", "winxp", "EditProfileThenOkSendsTheProfileToTheCard"},
    {"nt4_adapter_page", "nt40", "Nt4SheetEndsWithTheAdapterPage"},
    {"xp_wrong_driver", "winxp", "WrongDriverReleaseShowsTheMessageAndNoDialog"},
    {"xp_cm_configure", "winxp", "CmConfigureSelectsProfileThreeWithoutAWindow"},
    {"xp_control_launcher", "winxp", "ControlLauncherRunsTheMailboxWithoutAWindow"},
    {"xp_encryption_key_typed", "winxp", "EncryptionKeyTypedReachesTheRegistryAndTheCard"},
    {"xp_encryption_hex_and_masks", "winxp", "EncryptionPageHexKeysAndMasks"},
    {"xp_peer_to_peer_basic_page", "winxp", "PeerToPeerBasicPageRefusesAndAccepts"},
    {"nt4_interrupt_restart", "nt40", "Nt4InterruptChangeAsksForARestart"},
    {"xp_no_adapter_page", "winxp", "XpSheetHasNoAdapterPageAndWritesNoResources"},
    {"xp_admin_mac_address", "winxp", "AdminPageMacAddressTypedForReal"},
    {"xp_admin_softex", "winxp", "AdminPageUnderSoftexHidesTheMacGroup"},
};

class AppletUnder : public ::testing::TestWithParam<UnderCase> {};

TEST_P(AppletUnder, Runs) {
    if (in_child()) GTEST_SKIP();
    run_under("AppletCase", GetParam());
}

INSTANTIATE_TEST_SUITE_P(Applet, AppletUnder, ::testing::ValuesIn(UNDER_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
