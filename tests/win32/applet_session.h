// The real applet, RCPANEL48.CPL as built, loaded into a test program and
// run as the Control Panel and installers run it, its dialogs driven from a
// second thread and read back from the windows; the card is simcard.sys.
//
// The Windows version a process sees is fixed when it starts, so each case
// runs in a child copy of the test program that was given its version
// (run_under); the cases themselves (AppletCase) do nothing in the parent.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cpl.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "encryption.h"
#include "gui.h"
#include "harness.h"
#include "simcard_service.h"

constexpr char SERVICE[] = "rcsimcard";
constexpr char CARD_DEVICE[] = "{5C1D0000-0000-4000-8000-000000000042}";
constexpr char DRIVER_KEY[] = "Software\\Orvix\\Driver";
constexpr char PROFILES_TITLE[] = "Add/Edit Configuration Profile";
constexpr char RESTART_QUESTION[] =
    "You must restart your computer before the new settings will take effect.\n\n"
    "Do you want to restart your computer now?";

// True in the child copy that runs one case.
bool in_child();

// Leaves a screenshot of the window where the cases leave theirs
// (SCREENSHOTS), if anywhere.
void screenshot(HWND window, const std::string& name);

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
    HMODULE module() const { return module_; }

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

// What the card counted, and the records it stored.
SimCardCounters counters();
std::string words_text(const std::vector<uint16_t>& words, size_t bytes);
// A text record (0xFC02, 0xFC04: a byte count, then the text).
std::string text_record(uint16_t id);
// The encryption record (0x0900: the 102 characters).
std::string encryption_record();
// A one-word record's value; -1 when not stored.
int word_record(uint16_t id);

// An installed adapter of Windows XP (or 2000) whose NetCfgInstanceId names the card.
Adapter network_adapter(const std::string& version = "winxp");
// A profile 1 of the given type and name, configured, whose sheet the
// profile dialog's Edit Profile opens.
Adapter configured_profile(int type, const char* name, const std::string& encryption);

// The record an Encryption text decodes to; magic 0 when it does not.
EncryptionRecord decoded(const std::string& text);
std::string key_bytes(const EncryptionRecord& r, int k);

// Opens the sheet from the profile dialog; null when it did not come.
HWND open_sheet(const std::string& caption);
// OK in the sheet, then OK in the profile dialog that comes back.
void ok_sheet_and_dialog(HWND sheet);
// Cancel in the sheet, then Cancel in the profile dialog that comes back.
void cancel_sheet_and_dialog(HWND sheet);
// The answer to a refusal: its text, the box closed with OK.
std::string answer_message_box();
// Answers the restart question with No (never Yes under Wine: it would end
// every windowed process of the prefix, the test included), anything else
// with OK; its text.
std::string answer_restart_no();

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
    bool start_card(const std::string& device = CARD_DEVICE) {
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

// One case of a suite, run in a child copy of this program that sees the
// given Windows version.
struct UnderCase {
    const char* name;
    const char* version;
    const char* test;
};
void PrintTo(const UnderCase& c, std::ostream* os);
// Runs suite.test in the child and checks that it passed.
void run_under(const char* suite, const UnderCase& c);
