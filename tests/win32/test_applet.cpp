// The real applet, RCPANEL48.CPL as built, loaded into this program and run
// as the Control Panel and installers run it, its dialogs driven from a
// second thread and read back from the windows; the card is simcard.sys.
//
// The Windows version a process sees is fixed when it starts, so each case
// runs in a child copy of this program that was given its version
// (AppletUnder); the cases themselves (AppletCase) do nothing in the parent.
#include <gtest/gtest.h>
#include <windows.h>

#include <cpl.h>
#include <prsht.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "encryption.h"
#include "gui.h"
#include "harness.h"
#include "simcard_service.h"

namespace {

const char SERVICE[] = "rcsimcard";
const char GUID[] = "{5C1D0000-0000-4000-8000-000000000042}";
const char DRIVER_KEY[] = "Software\\Orvix\\Driver";
const char PROFILES_TITLE[] = "Add/Edit Configuration Profile";
const char CHILD_VARIABLE[] = "RC_APPLET_CASE";

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

bool in_child() { return GetEnvironmentVariableA(CHILD_VARIABLE, nullptr, 0) > 0; }

// Where the cases leave their screenshots (SCREENSHOTS), if anywhere.
void screenshot(HWND window, const std::string& name) {
    char dir[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("SCREENSHOTS", dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return;
    CreateDirectoryA(dir, nullptr);
    pump_for(300);  // let the window paint
    EXPECT_TRUE(save_screenshot(window, std::string(dir, n) + "\\" + name + ".bmp")) << name;
}

typedef LONG(WINAPI* CplAppletFn)(HWND, UINT, LPARAM, LPARAM);
typedef DWORD(WINAPI* CmConfigureFn)(DWORD);
struct TarvoTexts {
    const char* first;
    const char* second;
};
typedef DWORD(WINAPI* TarvoConfigureFn)(DWORD, const TarvoTexts*, const char**);

// The applet as a Control Panel loads it.
class LoadedApplet {
public:
    LoadedApplet() {
        module_ = LoadLibraryA((dist_dir() + "\\RCPANEL48.CPL").c_str());
        if (!module_) return;
        cpl = reinterpret_cast<CplAppletFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "CPlApplet")));
        cm_configure = reinterpret_cast<CmConfigureFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "CMConfigure")));
        tarvo_configure = reinterpret_cast<TarvoConfigureFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "TarvoConfigure")));
    }
    ~LoadedApplet() {
        if (module_) FreeLibrary(module_);
    }
    bool loaded() const { return module_ && cpl && cm_configure && tarvo_configure; }

    CplAppletFn cpl = nullptr;
    CmConfigureFn cm_configure = nullptr;
    TarvoConfigureFn tarvo_configure = nullptr;

private:
    HMODULE module_ = nullptr;
};

// A Control Panel session on its own thread: CPL_INIT, then (when the applet
// stays) CPL_GETCOUNT, CPL_INQUIRE, a double-click, CPL_STOP; CPL_EXIT.
class ControlPanelRun {
public:
    explicit ControlPanelRun(LoadedApplet& applet) {
        thread_ = std::thread([this, &applet] {
            HWND desktop = GetDesktopWindow();
            init_ = applet.cpl(desktop, CPL_INIT, 0, 0);
            if (init_) {
                applet.cpl(desktop, CPL_GETCOUNT, 0, 0);
                CPLINFO info{};
                applet.cpl(desktop, CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info));
                info_ = info;
                applet.cpl(desktop, CPL_DBLCLK, 0, info.lData);
                applet.cpl(desktop, CPL_STOP, 0, info.lData);
            }
            applet.cpl(desktop, CPL_EXIT, 0, 0);
            done_ = true;
        });
    }
    // Waits for the session to end, pumping this thread's messages.
    bool finish(DWORD timeout_ms = 20000) {
        const DWORD start = GetTickCount();
        while (!done_ && GetTickCount() - start < timeout_ms) pump_for(20);
        if (!done_) return false;
        thread_.join();
        return true;
    }
    ~ControlPanelRun() {
        if (thread_.joinable()) thread_.detach();
    }
    LONG init() const { return init_; }
    const CPLINFO& info() const { return info_; }

private:
    std::thread thread_;
    volatile bool done_ = false;
    LONG init_ = -1;
    CPLINFO info_{};
};

SimCardCounters counters() {
    SimCardControlAnswer answer{};
    std::string error;
    EXPECT_TRUE(simcard_read(GUID, 0, &answer, &error)) << error;
    return answer.counters;
}

std::string words_text(const std::vector<uint16_t>& words, size_t bytes) {
    std::string text;
    for (uint16_t w : words) {
        text += static_cast<char>(w & 0xFF);
        text += static_cast<char>(w >> 8);
    }
    return text.substr(0, bytes);
}

// A text record the card stored (0xFC02, 0xFC04: a byte count, then the text).
std::string text_record(uint16_t id) {
    std::vector<uint16_t> data;
    if (simcard_read_record(GUID, id, &data) < 0 || data.empty()) return "<not stored>";
    return words_text(std::vector<uint16_t>(data.begin() + 1, data.end()), data[0]);
}

// The encryption record the card stored (0x0900: the 102 characters).
std::string encryption_record() {
    std::vector<uint16_t> data;
    if (simcard_read_record(GUID, 0x0900, &data) < 0) return "<not stored>";
    return words_text(data, 102);
}

// An installed adapter of Windows XP (or 2000) whose NetCfgInstanceId names the card.
Adapter network_adapter(const std::string& version = "winxp") {
    Adapter a = install_adapter(version);
    reg_put_string(a.instance_key, "NetCfgInstanceId", GUID);
    return a;
}

class AppletCase : public ::testing::Test {
protected:
    void SetUp() override {
        if (!in_child()) GTEST_SKIP() << "runs in a child with its Windows version";
        remove_adapters();
        reg_remove_tree(DRIVER_KEY);
        std::string error;
        simcard_service_stop(SERVICE, &error);
        ASSERT_TRUE(applet_.loaded()) << dist_dir();
    }
    void TearDown() override {
        if (!in_child()) return;
        std::string error;
        EXPECT_TRUE(simcard_service_stop(SERVICE, &error)) << error;
        remove_adapters();
    }
    bool start_card(const std::string& device = GUID) {
        SimcardServiceConfig config;
        config.service = SERVICE;
        config.device_name = device;
        std::string error;
        const bool ok = simcard_service_start(config, &error);
        EXPECT_TRUE(ok) << error;
        return ok;
    }

    LoadedApplet applet_;
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
    press_sheet_button(sheet, PSBTN_CANCEL);
    ASSERT_TRUE(wait_until_gone(sheet));
    dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    press(dialog, IDCANCEL);
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

// The record an Encryption text decodes to; magic 0 when it does not.
EncryptionRecord decoded(const std::string& text) {
    EncryptionRecord r{};
    decode_valid_encryption_text(text.c_str(), &r);
    return r;
}

std::string key_bytes(const EncryptionRecord& r, int k) {
    return std::string(reinterpret_cast<const char*>(r.keys[k].material), r.keys[k].length);
}

// A profile 1 of the given type and name, configured, whose sheet the
// profile dialog's Edit Profile opens.
Adapter configured_profile(int type, const char* name, const std::string& encryption) {
    Adapter a = network_adapter();
    const std::string key = a.instance_key + "\\Config01";
    reg_put_string(key, "ConfigName", name);
    reg_put_dword(key, "NetworkType", type);
    reg_put_string(key, "DesiredSSID", "lan");
    reg_put_string(key, "Encryption", encryption);
    // The root holds the current profile's copy: the active set.
    reg_put_string(a.instance_key, "DesiredSSID", "lan");
    reg_put_string(a.instance_key, "Encryption", encryption);
    reg_put_dword(a.instance_key, "ConfigType", 1);
    reg_put_dword(a.instance_key, "Configured", 1);
    return a;
}

// Opens the sheet from the profile dialog; null when it did not come.
HWND open_sheet(const std::string& caption) {
    HWND dialog = wait_for_window(PROFILES_TITLE);
    if (!dialog) return nullptr;
    press(dialog, EDIT_PROFILE);
    return wait_for_window(caption);
}

// OK in the sheet, then OK in the profile dialog that comes back.
void ok_sheet_and_dialog(HWND sheet) {
    press_sheet_button(sheet, PSBTN_OK);
    ASSERT_TRUE(wait_until_gone(sheet));
    HWND dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    press(dialog, IDOK);
}

// The answer to a refusal: its text, the box closed.
std::string answer_message_box() {
    HWND box = wait_for_message_box();
    if (!box) return "<no message box>";
    const std::string text = message_box_text(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    wait_until_gone(box);
    return text;
}

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

const char RESTART_QUESTION[] =
    "You must restart your computer before the new settings will take effect.\n\n"
    "Do you want to restart your computer now?";

// Answers the restart question with No (never Yes under Wine: it would end
// every windowed process of the prefix, this test included).
std::string answer_restart_no() {
    HWND box = wait_for_message_box();
    if (!box) return "<no message box>";
    const std::string text = message_box_text(box);
    PostMessageA(box, WM_COMMAND, text == RESTART_QUESTION ? IDNO : IDOK, 0);
    wait_until_gone(box);
    return text;
}

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

struct UnderCase {
    const char* name;
    const char* version;
    const char* test;
};

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

void PrintTo(const UnderCase& c, std::ostream* os) { *os << c.name; }

class AppletUnder : public ::testing::TestWithParam<UnderCase> {};

TEST_P(AppletUnder, Runs) {
    if (in_child()) GTEST_SKIP();
    const UnderCase& c = GetParam();
    set_windows_version(self_name(), c.version);
    SetEnvironmentVariableA(CHILD_VARIABLE, "1");
    const ProcessResult r =
        run_program(self_path(), {std::string("--gtest_filter=AppletCase.") + c.test}, 120000);
    SetEnvironmentVariableA(CHILD_VARIABLE, nullptr);
    set_windows_version(self_name(), "");
    ASSERT_TRUE(r.started) << r.report;
    EXPECT_EQ(r.exit_code, 0u) << r.output;
    EXPECT_NE(r.output.find("[  PASSED  ] 1 test."), std::string::npos) << r.output;
}

INSTANTIATE_TEST_SUITE_P(Applet, AppletUnder, ::testing::ValuesIn(UNDER_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
