// The Basic page of a Residential Gateway profile, which the profile dialog
// cannot make (it offers Access Point and Peer-to-Peer Group only): this
// program links the applet's logic and window glue and opens the sheet itself,
// with the templates and strings of RCPANEL48.CPL as built.
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

std::string key_1() {
    return std::string(reinterpret_cast<const char*>(page_record.keys[0].material),
                       page_record.keys[0].length);
}

class GatewaySheet : public ::testing::Test {
protected:
    void SetUp() override {
        applet_module = LoadLibraryA((dist_dir() + "\\RCPANEL48.CPL").c_str());
        ASSERT_NE(applet_module, nullptr) << dist_dir();
        detect_os_class(nullptr);
        store_reset();
        page_record_reset();
        ActiveConfiguration& c = active_configuration;
        c.current_profile = 1;
        c.profile_types[0] = NET_RESIDENTIAL_GATEWAY;
        std::snprintf(c.profile_names[0], sizeof c.profile_names[0], "Gateway");
        std::snprintf(c.encryption, sizeof c.encryption, "%s", default_encryption_text);
        thread_ = std::thread([this] { result_ = run_sheet(nullptr, applet_module, &cancelled_); });
    }
    void TearDown() override {
        if (thread_.joinable()) thread_.join();
        if (applet_module) FreeLibrary(applet_module);
        applet_module = nullptr;
    }
    // Waits for the sheet's thread, pumping this one.
    void finish() {
        const DWORD start = GetTickCount();
        while (result_ == -2 && GetTickCount() - start < 20000) pump_for(20);
        ASSERT_NE(result_, -2) << "the sheet did not end";
        thread_.join();
    }

    std::thread thread_;
    volatile int result_ = -2;
    bool cancelled_ = false;
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

    char shots[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("SCREENSHOTS", shots, sizeof shots);
    if (n > 0 && n < sizeof shots) {
        CreateDirectoryA(shots, nullptr);
        pump_for(300);
        save_screenshot(sheet, std::string(shots, n) + "\\basic-page-gateway.bmp");
    }

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

}  // namespace
