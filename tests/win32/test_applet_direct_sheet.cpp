// Sheets of the network types the profile dialog cannot make (it offers
// Access Point and Peer-to-Peer Group only, and Edit Profile stores any other
// as Access Point): the Basic page of a Residential Gateway profile and the
// Admin page of a base station's. This program links the applet's logic and
// window glue and opens the sheet itself, with the templates and strings of
// RCPANEL48.CPL as built.
#include <gtest/gtest.h>
#include <windows.h>

#include <prsht.h>

#include <cstdio>
#include <string>
#include <thread>

#include "applet_module.h"
#include "dialogs.h"
#include "encryption.h"
#include "gui.h"
#include "harness.h"
#include "network_types.h"
#include "os.h"
#include "page_record.h"
#include "store.h"

namespace {

enum { NAME = 2111, SECURITY = 2137, KEY = 2115 };
enum { SCALE_SMALL = 1102, MAC_GROUP = 2134, MAC_DEFAULT = 1103, MAC_ASSIGNED = 1104, MAC = 2126 };

std::string key_1() {
    return std::string(reinterpret_cast<const char*>(page_record.keys[0].material),
                       page_record.keys[0].length);
}

// A sheet for profile 1 of one type, run by the applet's own code on a thread
// of its own while the test drives its windows from this one.
class DirectSheet : public ::testing::Test {
protected:
    void SetUp() override {
        applet_module = LoadLibraryA((dist_dir() + "\\RCPANEL48.CPL").c_str());
        ASSERT_NE(applet_module, nullptr) << dist_dir();
        detect_os_class(nullptr);
        store_reset();
        page_record_reset();
        ActiveConfiguration& c = active_configuration;
        c.current_profile = 1;
        std::snprintf(c.encryption, sizeof c.encryption, "%s", default_encryption_text);
    }
    void TearDown() override {
        // A test that failed with the sheet open: its boxes answered and the
        // sheet cancelled, so that the thread ends and the next test runs.
        for (int tries = 0; tries < 5 && thread_.joinable() && result_ == -2; ++tries) {
            if (HWND box = wait_for_message_box(200)) PostMessageA(box, WM_COMMAND, IDOK, 0);
            if (HWND sheet = FindWindowA(nullptr, caption_.c_str()))
                press_sheet_button(sheet, PSBTN_CANCEL);
            pump_for(500);
        }
        if (thread_.joinable() && result_ == -2) {
            ADD_FAILURE() << "the sheet did not end";
            thread_.detach();
        }
        if (thread_.joinable()) thread_.join();
        if (applet_module) FreeLibrary(applet_module);
        applet_module = nullptr;
    }
    // Opens the sheet for profile 1 as the given type and name.
    void open(uint32_t type, const char* name) {
        ActiveConfiguration& c = active_configuration;
        c.profile_types[0] = type;
        std::snprintf(c.profile_names[0], sizeof c.profile_names[0], "%s", name);
        caption_ = std::string("Edit Configuration [") + name + "]";
        thread_ = std::thread([this] { result_ = run_sheet(nullptr, applet_module, &cancelled_); });
    }
    // Waits for the sheet's thread, pumping this one.
    void finish() {
        const DWORD start = GetTickCount();
        while (result_ == -2 && GetTickCount() - start < 20000) pump_for(20);
        ASSERT_NE(result_, -2) << "the sheet did not end";
        thread_.join();
    }
    void screenshot(HWND sheet, const char* name) {
        char shots[MAX_PATH];
        const DWORD n = GetEnvironmentVariableA("SCREENSHOTS", shots, sizeof shots);
        if (n == 0 || n >= sizeof shots) return;
        CreateDirectoryA(shots, nullptr);
        pump_for(300);
        save_screenshot(sheet, std::string(shots, n) + "\\" + name + ".bmp");
    }

    std::thread thread_;
    std::string caption_;
    volatile int result_ = -2;
    bool cancelled_ = false;
};

class GatewaySheet : public DirectSheet {
protected:
    void SetUp() override {
        DirectSheet::SetUp();
        if (!HasFatalFailure()) open(NET_RESIDENTIAL_GATEWAY, "Gateway");
    }
};

TEST_F(GatewaySheet, NameTypedAsHexGivesTheKeyAndTheBoxStaysOn) {
    HWND sheet = wait_for_window("Edit Configuration [Gateway]");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet_tabs(sheet), (std::vector<std::string>{"Basic"}));
    HWND page = sheet_page(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(item_visible(page, SECURITY));
    EXPECT_TRUE(item_checked(page, SECURITY));  // always on at showing
    EXPECT_TRUE(item_enabled(page, KEY));

    type_text(page, NAME, "g");  // not a hex digit: dropped
    EXPECT_EQ(item_text(page, NAME), "");
    type_text(page, NAME, "0A1b2C");
    EXPECT_EQ(item_text(page, NAME), "0a1b2c");
    EXPECT_EQ(item_text(page, KEY), "a1b2c");  // the last five, at the key's release

    // Switching data security off only warns.
    press(page, SECURITY);
    HWND box = wait_for_message_box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box),
              "Only disable Data Security in combination with the RG Softreset!");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_until_gone(box));
    pump_for(200);
    EXPECT_FALSE(item_checked(page, SECURITY));
    EXPECT_FALSE(item_enabled(page, KEY));
    press(page, SECURITY);
    pump_for(300);
    EXPECT_TRUE(item_checked(page, SECURITY));
    EXPECT_EQ(wait_for_message_box(200), nullptr);

    screenshot(sheet, "basic-page-gateway");

    press_sheet_button(sheet, PSBTN_OK);
    finish();
    EXPECT_EQ(result_, 1);
    EXPECT_FALSE(cancelled_);
    EXPECT_STREQ(active_configuration.desired_ssid, "0a1b2c");
    EXPECT_STREQ(active_configuration.own_ssid, "");
    EXPECT_EQ(active_configuration.port_type, 1u);
    EXPECT_EQ(active_configuration.create_ibss, 0u);
    EXPECT_EQ(active_configuration.ap_mode, 0u);
    EncryptionRecord r{};
    ASSERT_EQ(decode_valid_encryption_text(active_configuration.encryption, &r), 1);
    EXPECT_EQ(r.data_security, 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.keys[0].material), r.keys[0].length),
              "a1b2c");
    EXPECT_EQ(key_1(), "a1b2c");
}

TEST_F(GatewaySheet, NameOfFiveCharactersIsRefused) {
    HWND sheet = wait_for_window("Edit Configuration [Gateway]");
    ASSERT_NE(sheet, nullptr);
    HWND page = sheet_page(sheet);
    type_text(page, NAME, "0a1b2");
    press_sheet_button(sheet, PSBTN_OK);
    HWND box = wait_for_message_box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), "NetWork Name must be 6 characters!");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_until_gone(box));
    EXPECT_TRUE(IsWindow(sheet));
    press_sheet_button(sheet, PSBTN_CANCEL);
    finish();
    EXPECT_TRUE(cancelled_);
}

// A base station's Admin page: no MAC group, and a stored address, though not
// a valid local one, is neither read from the hidden field nor checked: the
// page lets go, the address stays as stored, and no restart is marked.
TEST_F(DirectSheet, BaseStationAdminPageKeepsTheStoredAddressUnchecked) {
    std::snprintf(active_configuration.network_address, sizeof active_configuration.network_address,
                  "%s", "01601d03bc3a");
    std::snprintf(active_configuration.own_ssid, sizeof active_configuration.own_ssid, "%s",
                  "station");
    open(NET_BASE_STATION, "Station");
    HWND sheet = wait_for_window("Edit Configuration [Station]");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet_tabs(sheet), (std::vector<std::string>{"Basic", "Encryption", "Admin"}));
    // A base station's Basic page names the network it makes.
    EXPECT_EQ(item_text(sheet_page(sheet), NAME), "station");
    std::string refusal;
    HWND page = select_page(sheet, 2, &refusal);
    ASSERT_NE(page, nullptr) << refusal;
    for (int id : {MAC_GROUP, MAC_DEFAULT, MAC_ASSIGNED, MAC})
        EXPECT_FALSE(item_visible(page, id)) << id;
    // The hidden field holds the stored address and its button is selected.
    EXPECT_EQ(item_text(page, MAC), "01601d03bc3a");
    EXPECT_TRUE(item_checked(page, MAC_ASSIGNED));
    press(page, SCALE_SMALL);
    pump_for(200);
    screenshot(sheet, "admin-page-base-station");

    press_sheet_button(sheet, PSBTN_OK);
    HWND box = wait_for_message_box(1500);
    EXPECT_EQ(box, nullptr) << message_box_text(box);
    if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
    finish();
    EXPECT_EQ(result_, 1);
    EXPECT_FALSE(cancelled_);
    EXPECT_STREQ(active_configuration.network_address, "01601d03bc3a");
    EXPECT_EQ(active_configuration.system_scale, 3u);
    EXPECT_EQ(active_configuration.restart_marks[0] & RESTART_MAC_ADDRESS, 0);
}

// The same page of an Access Point profile checks that address: the group is
// there, and OK is refused with the message.
TEST_F(DirectSheet, AccessPointAdminPageRefusesTheSameAddress) {
    std::snprintf(active_configuration.network_address, sizeof active_configuration.network_address,
                  "%s", "01601d03bc3a");
    std::snprintf(active_configuration.desired_ssid, sizeof active_configuration.desired_ssid, "%s",
                  "lan");
    open(NET_ACCESS_POINT, "Office");
    HWND sheet = wait_for_window("Edit Configuration [Office]");
    ASSERT_NE(sheet, nullptr);
    std::string refusal;
    HWND page = select_page(sheet, 3, &refusal);
    ASSERT_NE(page, nullptr) << refusal;
    EXPECT_TRUE(item_visible(page, MAC));
    EXPECT_TRUE(item_checked(page, MAC_ASSIGNED));
    press_sheet_button(sheet, PSBTN_OK);
    HWND box = wait_for_message_box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box),
              "Please enter a valid Local MAC Address.\nExample: 02601D03BC3A");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_until_gone(box));
    EXPECT_TRUE(IsWindow(sheet));
    press_sheet_button(sheet, PSBTN_CANCEL);
    finish();
    EXPECT_TRUE(cancelled_);
}

}  // namespace
