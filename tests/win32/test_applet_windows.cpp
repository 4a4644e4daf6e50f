// The window glue of the real applet, as a user meets it outside the rules of
// the pages: the clipboard, context help on every control, right-clicks,
// message boxes read from their windows, the system menu, the sheet's
// position, the lists' order, and what each opening of the dialog leaves
// behind. WinHelpA is caught in the applet's own import table, so each call
// is seen with its arguments as the applet made it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "applet_session.h"

#include <prsht.h>

namespace {

// ---- WinHelpA as the applet calls it ----

struct HelpCall {
    HWND window;
    std::string file;
    UINT command;
    ULONG_PTR data;
    std::vector<DWORD> pairs;  // HELP_WM_HELP and HELP_CONTEXTMENU: the table, to its 0
};

std::mutex help_lock;
std::vector<HelpCall> help_calls;

BOOL WINAPI record_win_help(HWND window, LPCSTR file, UINT command, ULONG_PTR data) {
    HelpCall call{window, file ? file : "", command, data, {}};
    if ((command == HELP_WM_HELP || command == HELP_CONTEXTMENU) && data) {
        const DWORD* pair = reinterpret_cast<const DWORD*>(data);
        for (int i = 0; i < 256 && pair[0] != 0; ++i, pair += 2) {
            call.pairs.push_back(pair[0]);
            call.pairs.push_back(pair[1]);
        }
    }
    std::lock_guard<std::mutex> hold(help_lock);
    help_calls.push_back(call);
    return TRUE;
}

std::vector<HelpCall> take_help_calls() {
    std::lock_guard<std::mutex> hold(help_lock);
    std::vector<HelpCall> calls;
    calls.swap(help_calls);
    return calls;
}

// Points the module's import of USER32's WinHelpA at the recorder.
bool catch_win_help(HMODULE module) {
    const FARPROC real = GetProcAddress(GetModuleHandleA("user32.dll"), "WinHelpA");
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!real || !directory.VirtualAddress) return false;
    for (auto* import =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name; ++import) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), "USER32.dll") != 0)
            continue;
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
             slot->u1.Function; ++slot) {
            if (reinterpret_cast<FARPROC>(slot->u1.Function) != real) continue;
            DWORD protection;
            if (!VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE,
                                &protection))
                return false;
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(record_win_help);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

DWORD context_id(int dialog, int control) {
    return 0x80000000u + static_cast<DWORD>(dialog) * 65536u + static_cast<DWORD>(control);
}

struct ChildSearch {
    HWND parent;
    std::vector<HWND> found;
};

BOOL CALLBACK add_direct_child(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (GetParent(child) == search->parent) search->found.push_back(child);
    return TRUE;
}

// The controls of a dialog or page: its direct children.
std::vector<HWND> controls_of(HWND dialog) {
    ChildSearch search{dialog, {}};
    EnumChildWindows(dialog, add_direct_child, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string class_of(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

LONG style_of(HWND window) { return static_cast<LONG>(GetWindowLongA(window, GWL_STYLE)); }

bool is_radio_button(HWND control) {
    const LONG type = style_of(control) & BS_TYPEMASK;
    return lstrcmpiA(class_of(control).c_str(), "Button") == 0 &&
           (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}

// A control the user works with: not a label, a group box or the dialog's
// own OK, Cancel and Help.
bool takes_input(HWND control) {
    const std::string name = class_of(control);
    const int id = GetDlgCtrlID(control);
    if (lstrcmpiA(name.c_str(), "Static") == 0) return false;
    if (lstrcmpiA(name.c_str(), "Button") == 0 && (style_of(control) & BS_TYPEMASK) == BS_GROUPBOX)
        return false;
    return id != IDOK && id != IDCANCEL && id != 9;
}

// F1 on each control of a dialog or page whose template is `dialog`: the
// WM_HELP that the control's default procedure hands its dialog. Each
// must call WinHelpA once, for that control, with the applet's help file
// and a table whose number for it follows the rule; every control the user
// works with has one (but those in `without_number`), and every entry names
// a control of this window. Radio buttons take `radio_dialog`'s number.
void check_context_help(HWND dialog, int template_id, int radio_dialog,
                        const std::vector<int>& without_number) {
    take_help_calls();
    const std::vector<HWND> controls = controls_of(dialog);
    ASSERT_FALSE(controls.empty()) << template_id;
    std::vector<DWORD> ids;
    for (HWND control : controls) ids.push_back(static_cast<DWORD>(GetDlgCtrlID(control)));
    for (HWND control : controls) {
        const int id = GetDlgCtrlID(control);
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = id;
        info.hItemHandle = control;
        SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        const std::vector<HelpCall> calls = take_help_calls();
        const std::string where = std::to_string(template_id) + "/" + std::to_string(id);
        ASSERT_EQ(calls.size(), 1u) << where;
        const HelpCall& call = calls[0];
        EXPECT_EQ(call.command, static_cast<UINT>(HELP_WM_HELP)) << where;
        EXPECT_EQ(call.window, control) << where;
        EXPECT_EQ(call.file, "RCPANEL.HLP") << where;
        bool numbered = false;
        for (size_t i = 0; i + 1 < call.pairs.size(); i += 2) {
            if (call.pairs[i] != static_cast<DWORD>(id)) continue;
            numbered = true;
            const int owner = is_radio_button(control) ? radio_dialog : template_id;
            EXPECT_EQ(call.pairs[i + 1], context_id(owner, id)) << where;
        }
        const bool exempt =
            std::find(without_number.begin(), without_number.end(), id) != without_number.end();
        if (takes_input(control)) EXPECT_EQ(numbered, !exempt) << where << " " << class_of(control);
        for (size_t i = 0; i + 1 < call.pairs.size(); i += 2)
            EXPECT_NE(std::find(ids.begin(), ids.end(), call.pairs[i]), ids.end())
                << where << ": the table names " << call.pairs[i] << ", no control of "
                << template_id;
    }
}

// A right-click on a control as the mouse makes it: the button goes down
// and up, and the control's default procedure asks for a context menu.
void right_click(HWND control) {
    SendMessageA(control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
    SendMessageA(control, WM_RBUTTONUP, 0, MAKELPARAM(2, 2));
}

BOOL CALLBACK find_shown_menu(HWND window, LPARAM data) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32768") != 0) return TRUE;
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
}

// A popup menu (class #32768) of this process on screen.
HWND shown_menu() {
    HWND found = nullptr;
    EnumWindows(find_shown_menu, reinterpret_cast<LPARAM>(&found));
    return found;
}

class WindowCase : public AppletCase {
protected:
    void SetUp() override {
        AppletCase::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(catch_win_help(applet_.module()));
        take_help_calls();
    }
};

// ---- the clipboard ----

bool put_on_clipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool ok = false;
    if (block) {
        std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        ok = SetClipboardData(CF_TEXT, block) != nullptr;
        if (!ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}

// Select all, then paste from the clipboard (Ctrl+V and the edit's menu
// both end in WM_PASTE).
void paste_into(HWND dialog, int id, const std::string& clipboard) {
    ASSERT_TRUE(put_on_clipboard(clipboard));
    HWND field = GetDlgItem(dialog, id);
    SendMessageA(field, EM_SETSEL, 0, -1);
    SendMessageA(field, WM_PASTE, 0, 0);
}

enum {
    BASIC_NAME = 2111,
    ENC_HEX = 2114,
    ENC_KEY_1 = 2116,
};

// A copied line with its line end, pasted as the network name: only the
// line is stored and sent to the card.
TEST_F(WindowCase, PastedLineBreakEndsTheText) {
    Adapter a = configured_profile(0, "Office", default_encryption_text);
    ASSERT_TRUE(start_card());
    ControlPanelRun run(applet_);
    HWND sheet = open_sheet("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    HWND page = sheet_page(sheet);
    ASSERT_NE(page, nullptr);
    paste_into(page, BASIC_NAME, "office\r\nsecond");
    EXPECT_EQ(item_text(page, BASIC_NAME), "office");

    // A hex key with a trailing line break is taken; one with a backspace
    // in it is refused whole.
    std::string refusal;
    page = select_page(sheet, 1, &refusal);
    ASSERT_NE(page, nullptr) << refusal;
    press(page, 2112);  // Enable Data Security
    pump_for(300);
    press(page, ENC_HEX);
    pump_for(300);
    ASSERT_TRUE(item_checked(page, ENC_HEX));
    paste_into(page, ENC_KEY_1, "0102030405\r\n");
    EXPECT_EQ(item_text(page, ENC_KEY_1), "0102030405");
    paste_into(page, ENC_KEY_1 + 1, "a1b2c3d4e\b");
    EXPECT_EQ(item_text(page, ENC_KEY_1 + 1), "");
    ok_sheet_and_dialog(sheet);
    ASSERT_TRUE(run.finish());

    EXPECT_EQ(reg_get_string(a.instance_key, "DesiredSSID"), "office");
    EXPECT_EQ(reg_get_string(a.instance_key + "\\Config01", "DesiredSSID"), "office");
    EXPECT_EQ(text_record(0xFC02), "office");
    const EncryptionRecord r = decoded(reg_get_string(a.instance_key, "Encryption"));
    EXPECT_EQ(key_bytes(r, 0), std::string("\x01\x02\x03\x04\x05", 5));
    EXPECT_EQ(r.keys[1].length, 0);
}

// PSM_CHANGED reaching the sheet, counted by a procedure put in front of
// the sheet's own (the sheet has no Apply button to show it).
WNDPROC sheet_procedure;
volatile LONG sheet_changes;

LRESULT CALLBACK count_changes(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == PSM_CHANGED) InterlockedIncrement(&sheet_changes);
    return CallWindowProcA(sheet_procedure, window, message, wparam, lparam);
}

// Cut and clear of the name field tell the sheet of a change, as its paste
// does.
TEST_F(WindowCase, NameCutAndClearAreChanges) {
    configured_profile(0, "Office", default_encryption_text);
    ControlPanelRun run(applet_);
    HWND sheet = open_sheet("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    HWND page = sheet_page(sheet);
    ASSERT_NE(page, nullptr);
    sheet_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(count_changes)));
    HWND field = GetDlgItem(page, BASIC_NAME);
    const UINT messages[] = {WM_CUT, WM_CLEAR};
    for (UINT message : messages) {
        SetDlgItemTextA(page, BASIC_NAME, "lan");
        sheet_changes = 0;
        SendMessageA(field, EM_SETSEL, 0, -1);
        SendMessageA(field, message, 0, 0);
        EXPECT_EQ(item_text(page, BASIC_NAME), "") << message;
        EXPECT_EQ(sheet_changes, 1) << message;
    }
    SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sheet_procedure));
    cancel_sheet_and_dialog(sheet);
    ASSERT_TRUE(run.finish());
}

// ---- what each opening leaves behind ----

// The profile dialog reopens after every sheet. Each opening's small icon
// must be gone once its dialog has closed (the process's object counts,
// where the system gives them, stay flat too).
TEST_F(WindowCase, DialogAndSheetFiftyTimesLeaveNothingBehind) {
    configured_profile(0, "Office", default_encryption_text);
    ControlPanelRun run(applet_);
    const int cycles = 50;
    DWORD gdi_at_5 = 0, user_at_5 = 0;
    int icons_left = 0;
    for (int i = 0; i < cycles; ++i) {
        HWND dialog = wait_for_window(PROFILES_TITLE);
        ASSERT_NE(dialog, nullptr) << i;
        const HICON icon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
        ASSERT_NE(icon, nullptr) << i;
        press(dialog, 2110);  // Edit Profile
        HWND sheet = wait_for_window("Edit Configuration [Office]");
        ASSERT_NE(sheet, nullptr) << i;
        ASSERT_TRUE(wait_until_gone(dialog)) << i;
        ICONINFO info{};
        if (GetIconInfo(icon, &info)) {
            ++icons_left;
            if (info.hbmMask) DeleteObject(info.hbmMask);
            if (info.hbmColor) DeleteObject(info.hbmColor);
        }
        press_sheet_button(sheet, PSBTN_CANCEL);
        ASSERT_TRUE(wait_until_gone(sheet)) << i;
        if (i == 4) {
            gdi_at_5 = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
            user_at_5 = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
        }
    }
    HWND dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    press(dialog, IDCANCEL);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(icons_left, 0) << "of " << cycles << " closed dialogs' icons";
    EXPECT_EQ(gdi, gdi_at_5) << "GDI objects after 50 openings, against after 5";
    EXPECT_EQ(user, user_at_5) << "window-manager objects after 50 openings, against after 5";
    std::printf(
        "object counts after 5 and 50 openings: GDI %lu, %lu; USER %lu, %lu; "
        "icons still valid: %d of %d\n",
        static_cast<unsigned long>(gdi_at_5), static_cast<unsigned long>(gdi),
        static_cast<unsigned long>(user_at_5), static_cast<unsigned long>(user), icons_left,
        cycles);
}

// ---- context help and right-clicks ----

// F1 on every control of the profile dialog and of the four pages of an
// Access Point profile; the Encryption page's radio buttons carry the Basic
// page's numbers, and its data-security box has none of its own.
TEST_F(WindowCase, ContextHelpOfEveryControl) {
    configured_profile(0, "Office", default_encryption_text);
    ControlPanelRun run(applet_);
    HWND dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    check_context_help(dialog, 1200, 1200, {});

    // A right-click on a row's button offers "What's This?" for it.
    HWND select = GetDlgItem(dialog, 2106);
    right_click(select);
    pump_for(200);
    std::vector<HelpCall> calls = take_help_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].command, static_cast<UINT>(HELP_CONTEXTMENU));
    EXPECT_EQ(calls[0].window, select);

    press(dialog, 2110);
    HWND sheet = wait_for_window("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    const int templates[] = {1201, 1203, 1204, 1205};
    for (int i = 0; i < 4; ++i) {
        std::string refusal;
        HWND page = select_page(sheet, i, &refusal);
        ASSERT_NE(page, nullptr) << refusal;
        const std::vector<int> without =
            templates[i] == 1203 ? std::vector<int>{2112} : std::vector<int>{};
        check_context_help(page, templates[i], templates[i] == 1203 ? 1201 : templates[i], without);
        if (templates[i] != 1205) continue;
        // The Admin page shows no context menu, on any control or on itself.
        std::vector<HWND> targets = controls_of(page);
        targets.push_back(page);
        for (HWND target : targets) {
            if (lstrcmpiA(class_of(target).c_str(), "Edit") == 0) continue;  // the edit's own menu
            right_click(target);
            pump_for(50);
            HWND menu = shown_menu();
            EXPECT_EQ(menu, nullptr) << GetDlgCtrlID(target);
            if (menu) PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        }
        EXPECT_TRUE(take_help_calls().empty());
    }
    cancel_sheet_and_dialog(sheet);
    ASSERT_TRUE(run.finish());
}

// NT 4's Adapter page: F1 on each control, and both lists in the order of
// their tables (a sorted list would put "1000" before "180", "10" before "3").
TEST_F(WindowCase, AdapterPageHelpAndListOrder) {
    Adapter a = install_adapter("nt40");
    // The card as the NT 4 driver's first device: without its DOS name the
    // applet defines one, which 32-bit Wine does not survive.
    ASSERT_TRUE(start_card("RLORX521"));
    const std::string key = a.instance_key + "\\Config01";
    reg_put_string(key, "ConfigName", "Office");
    reg_put_dword(key, "NetworkType", 0);
    reg_put_dword(a.instance_key, "ConfigType", 1);
    reg_put_dword(a.instance_key, "Configured", 1);
    ControlPanelRun run(applet_);
    HWND sheet = open_sheet("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    std::string refusal;
    HWND page = select_page(sheet, 4, &refusal);
    ASSERT_NE(page, nullptr) << refusal;
    check_context_help(page, 1207, 1207, {});
    EXPECT_EQ(combo_items(page, 2127),
              (std::vector<std::string>{
                  "180",  "1C0",  "200",  "280",  "300",  "380",  "400",  "440",  "480",  "4C0",
                  "500",  "540",  "580",  "5C0",  "600",  "640",  "680",  "6C0",  "700",  "740",
                  "780",  "7C0",  "800",  "900",  "A00",  "B00",  "C00",  "D00",  "E00",  "F00",
                  "1000", "1400", "1800", "1C00", "2000", "3000", "4000", "5000", "6000", "7000",
                  "8000", "9000", "A000", "B000", "C000", "D000", "E000", "F000"}));
    EXPECT_EQ(combo_items(page, 2128),
              (std::vector<std::string>{"3", "4", "5", "7", "9", "10", "11", "12", "15"}));
    cancel_sheet_and_dialog(sheet);
    ASSERT_TRUE(run.finish());
}

// ---- the Advanced page in a real sheet ----

// Each setting switched by its button, OK and OK: the registry and the card
// get the new values (RTS/CTS on is a threshold of 500, off 2347).
TEST_F(WindowCase, AdvancedPageSettingsReachTheRegistryAndTheCard) {
    struct Case {
        int stored;                  // PMEnabled and MicroWaveRobustness before
        DWORD stored_rts;            // RTSThreshold before
        int power, robustness, rts;  // the buttons pressed
        int expected;
        DWORD expected_rts;
    };
    const Case cases[] = {
        {0, 2347, 2122, 2124, 1118, 1, 500},
        {1, 500, 2121, 2123, 1117, 0, 2347},
    };
    ASSERT_TRUE(start_card());
    for (const Case& c : cases) {
        Adapter a = configured_profile(0, "Office", default_encryption_text);
        for (const std::string& key : {a.instance_key, a.instance_key + "\\Config01"}) {
            reg_put_dword(key, "PMEnabled", c.stored);
            reg_put_dword(key, "MicroWaveRobustness", c.stored);
            reg_put_dword(key, "RTSThreshold", c.stored_rts);
        }
        ControlPanelRun run(applet_);
        HWND sheet = open_sheet("Edit Configuration [Office]");
        ASSERT_NE(sheet, nullptr);
        std::string refusal;
        HWND page = select_page(sheet, 2, &refusal);
        ASSERT_NE(page, nullptr) << refusal;
        for (int button : {c.power, c.robustness, c.rts}) {
            EXPECT_FALSE(item_checked(page, button)) << button;
            press(page, button);
            pump_for(200);
            EXPECT_TRUE(item_checked(page, button)) << button;
        }
        ok_sheet_and_dialog(sheet);
        ASSERT_TRUE(run.finish());
        for (const std::string& key : {a.instance_key, a.instance_key + "\\Config01"}) {
            EXPECT_EQ(reg_get_dword(key, "PMEnabled"), c.expected) << key;
            EXPECT_EQ(reg_get_dword(key, "MicroWaveRobustness"), c.expected) << key;
            EXPECT_EQ(reg_get_dword(key, "RTSThreshold"), c.expected_rts) << key;
        }
        EXPECT_EQ(word_record(0xFC09), c.expected);
        EXPECT_EQ(word_record(0xFC25), c.expected);
        EXPECT_EQ(word_record(0xFC83), static_cast<int>(c.expected_rts));
    }
}

// ---- message boxes read from their windows ----

struct BoxSeen {
    std::string text;
    std::string caption;
    HICON icon = nullptr;
    std::vector<int> buttons;  // the ids of its visible buttons
    HWND owner = nullptr;
};

BoxSeen read_box(HWND box) {
    BoxSeen seen;
    seen.text = message_box_text(box);
    seen.caption = window_text(box);
    seen.owner = GetWindow(box, GW_OWNER);
    for (HWND control : controls_of(box)) {
        const std::string name = class_of(control);
        if (lstrcmpiA(name.c_str(), "Static") == 0 && (style_of(control) & SS_TYPEMASK) == SS_ICON)
            seen.icon = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
        if (lstrcmpiA(name.c_str(), "Button") == 0 && IsWindowVisible(control))
            seen.buttons.push_back(GetDlgCtrlID(control));
    }
    std::sort(seen.buttons.begin(), seen.buttons.end());
    return seen;
}

const std::vector<int> OK_ONLY = {IDOK};
const std::vector<int> YES_NO = {IDYES, IDNO};

// Waits for the box, reads it, answers it.
BoxSeen seen_and_answered(int answer) {
    HWND box = wait_for_message_box();
    if (!box) return BoxSeen{"<no message box>"};
    BoxSeen seen = read_box(box);
    PostMessageA(box, WM_COMMAND, answer, 0);
    wait_until_gone(box);
    return seen;
}

void expect_box(const BoxSeen& seen, const BoxSeen& expected) {
    EXPECT_EQ(seen.text, expected.text);
    EXPECT_EQ(seen.caption, expected.caption) << expected.text;
    EXPECT_EQ(seen.icon, expected.icon) << expected.text;
    EXPECT_EQ(seen.buttons, expected.buttons) << expected.text;
    EXPECT_EQ(seen.owner, expected.owner) << expected.text;
}

// Warnings carry the warning icon and OK; the restart question the question
// icon with Yes and No; every caption is empty; a page's rule owns its box
// by the page (so by the sheet, the page's top-level window), a key
// warning by no window.
TEST_F(WindowCase, MessageBoxesAsShown) {
    const HICON warning = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WARNING));
    const HICON question = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_QUESTION));
    ASSERT_NE(warning, nullptr);
    ASSERT_NE(warning, question);
    Adapter a = configured_profile(0, "Office", default_encryption_text);
    ASSERT_TRUE(start_card());
    ControlPanelRun run(applet_);
    HWND dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);

    // The profile dialog's empty name: owned by the dialog.
    clear_text(dialog, 1105);
    press(dialog, 2110);
    expect_box(seen_and_answered(IDOK),
               {"Enter a profile name with a maximum of 32 printable characters.", "", warning,
                OK_ONLY, dialog});
    type_text(dialog, 1105, "Office");
    press(dialog, 2110);
    HWND sheet = wait_for_window("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);

    // An Encryption key of the wrong length: no owner.
    std::string refusal;
    HWND page = select_page(sheet, 1, &refusal);
    ASSERT_NE(page, nullptr) << refusal;
    press(page, 2112);
    pump_for(300);
    type_text(page, 2116, "abc");
    press_sheet_button(sheet, PSBTN_OK);
    expect_box(seen_and_answered(IDOK),
               {"Use 5 printable characters (or 13 with Duocard (WEP 128))", "", warning, OK_ONLY,
                nullptr});
    clear_text(page, 2116);
    type_text(page, 2116, "abcde");

    // The Admin page's invalid address: owned by the page.
    page = select_page(sheet, 3, &refusal);
    ASSERT_NE(page, nullptr) << refusal;
    press(page, 1104);
    pump_for(300);
    type_text(page, 2126, "01601D03BC3A");
    press_sheet_button(sheet, PSBTN_OK);
    // A child's box is owned by its top-level window.
    expect_box(seen_and_answered(IDOK),
               {"Please enter a valid Local MAC Address.\nExample: 02601D03BC3A", "", warning,
                OK_ONLY, sheet});
    clear_text(page, 2126);
    type_text(page, 2126, "02601D03BC3A");

    // The restart question after the changed address: Yes and No, no owner
    // (the Control Panel's window is the desktop). Answered No.
    ok_sheet_and_dialog(sheet);
    expect_box(seen_and_answered(IDNO), {RESTART_QUESTION, "", question, YES_NO, nullptr});
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(reg_get_string(a.instance_key, "NetworkAddress"), "02601d03bc3a");
}

// ---- the system menu ----

// The About item: third in the dialog's system menu, its default, and
// chosen from the menu by its mnemonic as a user at the keyboard would
// (Alt+Space, then A).
TEST_F(WindowCase, SystemMenuAboutItem) {
    configured_profile(0, "Office", default_encryption_text);
    ControlPanelRun run(applet_);
    HWND dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    HMENU menu = GetSystemMenu(dialog, FALSE);
    ASSERT_NE(menu, nullptr);
    char text[64] = "";
    GetMenuStringA(menu, 2, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, " &About");
    EXPECT_EQ(GetMenuItemID(menu, 2), 1600u);
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), 1600u);
    EXPECT_EQ(GetMenuItemCount(menu) > 3, true);

    PostMessageA(dialog, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    HWND popup = nullptr;
    for (int i = 0; i < 100 && !popup; ++i) {
        pump_for(20);
        popup = shown_menu();
    }
    ASSERT_NE(popup, nullptr) << "Alt+Space opened no system menu";
    PostMessageA(dialog, WM_CHAR, 'a', 0);
    HWND about = wait_for_window("About");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(item_text(about, 1005), "RCPANEL48.CPL Variant 1, Version 6.41");
    press(about, IDOK);
    EXPECT_TRUE(wait_until_gone(about));
    press(dialog, IDCANCEL);
    ASSERT_TRUE(run.finish());
}

// ---- the sheet's position ----

// The sheet opens where the profile dialog was left (X_POS and Y_POS, which
// its close stores); moved, it is stored where it was left.
TEST_F(WindowCase, SheetOpensAtTheStoredPositionAndKeepsItsMove) {
    Adapter a = configured_profile(0, "Office", default_encryption_text);
    ControlPanelRun run(applet_);
    HWND dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    SetWindowPos(dialog, nullptr, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    press(dialog, 2110);  // Edit Profile
    HWND sheet = wait_for_window("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(reg_get_dword(a.instance_key, "X_POS"), 37);
    EXPECT_EQ(reg_get_dword(a.instance_key, "Y_POS"), 41);
    RECT r{};
    ASSERT_TRUE(GetWindowRect(sheet, &r));
    EXPECT_EQ(r.left, 37);
    EXPECT_EQ(r.top, 41);
    SetWindowPos(sheet, nullptr, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    pump_for(100);
    ASSERT_TRUE(GetWindowRect(sheet, &r));
    ASSERT_EQ(r.left, 120);
    press_sheet_button(sheet, PSBTN_CANCEL);
    ASSERT_TRUE(wait_until_gone(sheet));
    EXPECT_EQ(reg_get_dword(a.instance_key, "X_POS"), 120);
    EXPECT_EQ(reg_get_dword(a.instance_key, "Y_POS"), 90);
    dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    press(dialog, IDCANCEL);
    ASSERT_TRUE(run.finish());
}

// ---- each case in a child that sees its Windows version ----

const UnderCase UNDER_CASES[] = {
    {"xp_pasted_line_break", "winxp", "PastedLineBreakEndsTheText"},
    {"xp_name_cut_and_clear", "winxp", "NameCutAndClearAreChanges"},
    {"xp_fifty_openings", "winxp", "DialogAndSheetFiftyTimesLeaveNothingBehind"},
    {"xp_context_help", "winxp", "ContextHelpOfEveryControl"},
    {"nt4_adapter_help_and_lists", "nt40", "AdapterPageHelpAndListOrder"},
    {"xp_advanced_page", "winxp", "AdvancedPageSettingsReachTheRegistryAndTheCard"},
    {"xp_message_boxes", "winxp", "MessageBoxesAsShown"},
    {"xp_system_menu", "winxp", "SystemMenuAboutItem"},
    {"xp_sheet_position", "winxp", "SheetOpensAtTheStoredPositionAndKeepsItsMove"},
};

class WindowUnder : public ::testing::TestWithParam<UnderCase> {};

TEST_P(WindowUnder, Runs) {
    if (in_child()) GTEST_SKIP();
    run_under("WindowCase", GetParam());
}

INSTANTIATE_TEST_SUITE_P(Applet, WindowUnder, ::testing::ValuesIn(UNDER_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
