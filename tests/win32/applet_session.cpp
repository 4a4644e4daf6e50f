#include "applet_session.h"

#include <prsht.h>

#include <cstring>

namespace {

const char CHILD_VARIABLE[] = "RC_APPLET_CASE";

}  // namespace

bool in_child() { return GetEnvironmentVariableA(CHILD_VARIABLE, nullptr, 0) > 0; }

void screenshot(HWND window, const std::string& name) {
    char dir[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("SCREENSHOTS", dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return;
    CreateDirectoryA(dir, nullptr);
    pump_for(300);  // let the window paint
    EXPECT_TRUE(save_screenshot(window, std::string(dir, n) + "\\" + name + ".bmp")) << name;
}

SimCardCounters counters() {
    SimCardControlAnswer answer{};
    std::string error;
    EXPECT_TRUE(simcard_read(CARD_DEVICE, 0, &answer, &error)) << error;
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
    if (simcard_read_record(CARD_DEVICE, id, &data) < 0 || data.empty()) return "<not stored>";
    return words_text(std::vector<uint16_t>(data.begin() + 1, data.end()), data[0]);
}

// The encryption record the card stored (0x0900: the 102 characters).
std::string encryption_record() {
    std::vector<uint16_t> data;
    if (simcard_read_record(CARD_DEVICE, 0x0900, &data) < 0) return "<not stored>";
    return words_text(data, 102);
}

int word_record(uint16_t id) {
    std::vector<uint16_t> data;
    if (simcard_read_record(CARD_DEVICE, id, &data) < 0 || data.empty()) return -1;
    return data[0];
}

Adapter network_adapter(const std::string& version) {
    Adapter a = install_adapter(version);
    reg_put_string(a.instance_key, "NetCfgInstanceId", CARD_DEVICE);
    return a;
}

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
    press(dialog, 2110);  // Edit Profile
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

void cancel_sheet_and_dialog(HWND sheet) {
    press_sheet_button(sheet, PSBTN_CANCEL);
    ASSERT_TRUE(wait_until_gone(sheet));
    HWND dialog = wait_for_window(PROFILES_TITLE);
    ASSERT_NE(dialog, nullptr);
    press(dialog, IDCANCEL);
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

std::string answer_restart_no() {
    HWND box = wait_for_message_box();
    if (!box) return "<no message box>";
    const std::string text = message_box_text(box);
    PostMessageA(box, WM_COMMAND, text == RESTART_QUESTION ? IDNO : IDOK, 0);
    wait_until_gone(box);
    return text;
}

void PrintTo(const UnderCase& c, std::ostream* os) { *os << c.name; }

void run_under(const char* suite, const UnderCase& c) {
    set_windows_version(self_name(), c.version);
    SetEnvironmentVariableA(CHILD_VARIABLE, "1");
    const ProcessResult r =
        run_program(self_path(), {std::string("--gtest_filter=") + suite + "." + c.test}, 120000);
    SetEnvironmentVariableA(CHILD_VARIABLE, nullptr);
    set_windows_version(self_name(), "");
    ASSERT_TRUE(r.started) << r.report;
    EXPECT_EQ(r.exit_code, 0u) << r.output;
    EXPECT_NE(r.output.find("[  PASSED  ] 1 test."), std::string::npos) << r.output;
}
