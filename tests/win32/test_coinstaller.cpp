// RCCOINST48.DLL as built, loaded into this program as the device installer
// loads it and called as it calls it: a removal in two passes deleting the
// applet file from the system directory, and a new device's installation
// removing stale INF copies and starting the real applet through the real
// Control Panel launcher, the call returning once the user closed it. Control
// Panel launchers planted where a start without a path would look first must
// not run. The co-installer's Win32 host is also driven directly.
//
// Every wait is bounded: no applet window may exist before a start, and a
// watchdog ends the applet's process when a test has not closed it in time,
// so that a failure never holds the co-installer's wait for half an hour.
#include <gtest/gtest.h>
#include <windows.h>

#include <setupapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "coinstaller_host.h"
#include "harness.h"
#include "simcard_service.h"
#include "win32_host.h"

namespace {

const char SERVICE[] = "rcsimcard";
const char GUID[] = "{5C1D0000-0000-4000-8000-000000000042}";
const char DRIVER_KEY[] = "Software\\Orvix\\Driver";
const char PROFILES_TITLE[] = "Add/Edit Configuration Profile";
const char APPLET_TEXT[] = "Edit Configuration";
// The first line of every INF copy these tests make.
const char TEST_COPY[] = "; copy made by test_coinstaller\n";

typedef DWORD(WINAPI* CoInstallerFn)(DI_FUNCTION, HDEVINFO, PSP_DEVINFO_DATA,
                                     PCOINSTALLER_CONTEXT_DATA);

// ---------------------------------------------------------------- files

std::string system_dir() {
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, sizeof path);
    return std::string(path, n < sizeof path ? n : 0);
}

std::string windows_dir() {
    char path[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(path, sizeof path);
    return std::string(path, n < sizeof path ? n : 0);
}

std::string program_dir() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string p(path, n);
    return p.substr(0, p.find_last_of("\\/"));
}

bool file_exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool write_file(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

std::string read_file(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(f);
    return bytes;
}

void remove_file(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    return out;
}

// ---------------------------------------------------------------- the applet's windows

struct TitledWindow {
    HWND window;
    DWORD process;
    std::string title;
};

BOOL CALLBACK collect_applet_window(HWND window, LPARAM data) {
    char title[512];
    const int n = GetWindowTextA(window, title, sizeof title);
    if (n <= 0 || std::string(title, n).find(APPLET_TEXT) == std::string::npos) return TRUE;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    reinterpret_cast<std::vector<TitledWindow>*>(data)->push_back(
        {window, process, std::string(title, n)});
    return TRUE;
}

// Top-level windows of any process whose title holds the applet's text: what
// the co-installer waits for.
std::vector<TitledWindow> applet_windows() {
    std::vector<TitledWindow> found;
    EnumWindows(collect_applet_window, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string describe(const std::vector<TitledWindow>& windows) {
    std::string text;
    for (const TitledWindow& w : windows)
        text += "\"" + w.title + "\" (process " + std::to_string(w.process) + ") ";
    return text;
}

// Ends every other process that shows an applet window; how many it ended.
int end_applet_processes() {
    int ended = 0;
    for (const TitledWindow& w : applet_windows()) {
        if (w.process == GetCurrentProcessId()) continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, w.process);
        if (!process) continue;
        if (TerminateProcess(process, 0xDEAD)) ++ended;
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
    return ended;
}

HWND wait_for_top_level(const char* title, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        for (const TitledWindow& w : applet_windows())
            if (w.title == title && IsWindowVisible(w.window)) return w.window;
        if (GetTickCount() - start >= timeout_ms) return nullptr;
        Sleep(20);
    }
}

// Ends the applet's processes once limit_ms have passed without the test
// being done with it (and keeps doing so), and whatever is left of them when
// it goes.
class AppletWatchdog {
public:
    explicit AppletWatchdog(DWORD limit_ms) : limit_ms_(limit_ms) {
        stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
    }
    ~AppletWatchdog() {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(stop_);
        end_applet_processes();
    }
    bool fired() const { return fired_ != 0; }

private:
    static DWORD WINAPI run(void* data) {
        auto* self = static_cast<AppletWatchdog*>(data);
        if (WaitForSingleObject(self->stop_, self->limit_ms_) != WAIT_TIMEOUT) return 0;
        InterlockedExchange(&self->fired_, 1);
        do end_applet_processes();
        while (WaitForSingleObject(self->stop_, 500) == WAIT_TIMEOUT);
        return 0;
    }

    DWORD limit_ms_;
    HANDLE stop_;
    HANDLE thread_;
    volatile LONG fired_ = 0;
};

// ---------------------------------------------------------------- the DLL

class LoadedCoinstaller {
public:
    LoadedCoinstaller() {
        module_ = LoadLibraryA((dist_dir() + "\\RCCOINST48.DLL").c_str());
        if (!module_) return;
        entry = reinterpret_cast<CoInstallerFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "RLDeviceCoInstaller")));
        lib_main = reinterpret_cast<void (*)()>(GetProcAddress(module_, "LibMain"));
        enum_windows_proc = reinterpret_cast<WNDENUMPROC>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "_EnumWindowsProc@8")));
    }
    ~LoadedCoinstaller() {
        if (module_) FreeLibrary(module_);
    }
    bool loaded() const { return entry && lib_main && enum_windows_proc; }

    CoInstallerFn entry = nullptr;
    void (*lib_main)() = nullptr;
    WNDENUMPROC enum_windows_proc = nullptr;

private:
    HMODULE module_ = nullptr;
};

COINSTALLER_CONTEXT_DATA context(BOOL post_processing, DWORD install_result) {
    COINSTALLER_CONTEXT_DATA c{};
    c.PostProcessing = post_processing;
    c.InstallResult = install_result;
    return c;
}

uint64_t thread_cpu_ms() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 10000;
}

// One call of the co-installer on a thread of its own, as the device
// installer's thread makes it, timed inside Windows.
class CoinstallerCall {
public:
    CoinstallerCall(CoInstallerFn entry, DI_FUNCTION function, COINSTALLER_CONTEXT_DATA data)
        : entry_(entry), function_(function), context_(data) {
        thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
    }
    // A call still waiting when the test is over (it failed): its applet is
    // ended, so the wait ends within its five misses.
    ~CoinstallerCall() {
        const DWORD start = GetTickCount();
        while (WaitForSingleObject(thread_, 200) == WAIT_TIMEOUT && GetTickCount() - start < 60000)
            end_applet_processes();
        CloseHandle(thread_);
    }
    bool finish(DWORD timeout_ms) { return WaitForSingleObject(thread_, timeout_ms) == 0; }

    DWORD answer = 0xFFFFFFFF;
    DWORD started_at = 0;
    DWORD returned_at = 0;
    uint64_t cpu_ms = 0;

private:
    static DWORD WINAPI run(void* data) {
        auto* self = static_cast<CoinstallerCall*>(data);
        const uint64_t cpu = thread_cpu_ms();
        self->started_at = GetTickCount();
        self->answer =
            self->entry_(self->function_, INVALID_HANDLE_VALUE, nullptr, &self->context_);
        self->returned_at = GetTickCount();
        self->cpu_ms = thread_cpu_ms() - cpu;
        return 0;
    }

    CoInstallerFn entry_;
    DI_FUNCTION function_;
    COINSTALLER_CONTEXT_DATA context_;
    HANDLE thread_;
};

// ---------------------------------------------------------------- planted launchers

// Starts "control probe" without a program path, as a start by the search
// path would, and waits for it; *why says why it did not start.
bool start_without_path(std::string* why) {
    char line[] = "control probe";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        *why = "CreateProcessA(control probe) failed: " + error_text(GetLastError());
        return false;
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

// Copies of start_recorder planted as control.exe where a start without a
// path looks before the system directory: this program's folder and the
// current directory.
class PlantedLaunchers {
public:
    PlantedLaunchers() {
        recorder_ = program_dir() + "\\start_recorder.exe";
        beside_program = program_dir() + "\\control.exe";
        char temp[MAX_PATH];
        const DWORD n = GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp, n < sizeof temp ? n : 0) + "rccoinst48-current";
        CreateDirectoryA(folder_.c_str(), nullptr);
        in_current_directory = folder_ + "\\control.exe";
        char current[MAX_PATH];
        const DWORD c = GetCurrentDirectoryA(sizeof current, current);
        saved_current_ = std::string(current, c < sizeof current ? c : 0);
        clear();
    }
    ~PlantedLaunchers() {
        SetCurrentDirectoryA(saved_current_.c_str());
        clear();
        RemoveDirectoryA(folder_.c_str());
    }

    // Plants both and proves that each would be run by a start without a
    // path; on failure *why says what did not hold.
    bool plant(std::string* why) {
        if (!SetCurrentDirectoryA(folder_.c_str())) return fail(why, "cannot enter " + folder_);
        if (!CopyFileA(recorder_.c_str(), in_current_directory.c_str(), FALSE))
            return fail(why, "cannot copy " + recorder_);
        std::string start;
        if (!start_without_path(&start)) return fail(why, start);
        if (!ran(in_current_directory))
            return fail(why, "a start without a path does not find " + in_current_directory);
        if (!CopyFileA(recorder_.c_str(), beside_program.c_str(), FALSE))
            return fail(why, "cannot copy " + recorder_ + " beside the program");
        if (!start_without_path(&start)) return fail(why, start);
        if (!ran(beside_program))
            return fail(why, "a start without a path does not find " + beside_program);
        remove_file(in_current_directory + ".ran");
        remove_file(beside_program + ".ran");
        return true;
    }
    static bool ran(const std::string& launcher) { return file_exists(launcher + ".ran"); }
    // Which of them ran, for a failure's message.
    std::string report() const {
        std::string text;
        for (const std::string& p : {beside_program, in_current_directory})
            if (ran(p)) text += "; " + p + " ran";
        return text;
    }

    std::string beside_program;
    std::string in_current_directory;

private:
    static bool fail(std::string* why, const std::string& text) {
        *why = text;
        return false;
    }
    void clear() {
        for (const std::string& p : {beside_program, in_current_directory}) {
            remove_file(p);
            remove_file(p + ".ran");
        }
    }

    std::string recorder_;
    std::string folder_;
    std::string saved_current_;
};

// ---------------------------------------------------------------- INF copies

std::string inf_copy(unsigned n, const char* extension) {
    return windows_dir() + "\\inf\\oem" + std::to_string(n) + "." + extension;
}

// Removes what an earlier run of these tests left.
void remove_test_copies() {
    for (unsigned n = 0; n < 10; ++n) {
        if (read_file(inf_copy(n, "inf")).compare(0, sizeof TEST_COPY - 1, TEST_COPY) == 0 ||
            read_file(inf_copy(n, "pnf")) == TEST_COPY) {
            remove_file(inf_copy(n, "inf"));
            remove_file(inf_copy(n, "pnf"));
        }
    }
}

std::string utf16(const std::string& text) {
    std::string out = "\xFF\xFE";
    for (char c : text) {
        out += c;
        out += '\0';
    }
    return out;
}

// ---------------------------------------------------------------- the cases

class CoinstallerDll : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dll_.loaded()) << dist_dir();
        applet_ = system_dir() + "\\RCPANEL48.CPL";
    }
    bool install_applet() {
        remove_file(applet_);
        return CopyFileA((dist_dir() + "\\RCPANEL48.CPL").c_str(), applet_.c_str(), FALSE) != 0;
    }
    DWORD call(DI_FUNCTION function, BOOL post_processing, DWORD install_result) {
        COINSTALLER_CONTEXT_DATA c = context(post_processing, install_result);
        return dll_.entry(function, INVALID_HANDLE_VALUE, nullptr, &c);
    }

    LoadedCoinstaller dll_;
    std::string applet_;
};

TEST_F(CoinstallerDll, WindowCallbackGoesOnToEveryWindow) {
    HWND own = CreateWindowA("STATIC", "Edit Configuration [Office]", WS_POPUP, 0, 0, 10, 10,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(dll_.enum_windows_proc(own, 0), TRUE);
    EXPECT_EQ(dll_.enum_windows_proc(GetDesktopWindow(), 12345), TRUE);
    DestroyWindow(own);
}

// The first pass asks for post-processing; only the post-processing call of a
// successful removal deletes the file.
TEST_F(CoinstallerDll, RemovalDeletesTheAppletAfterASuccessfulRemoval) {
    ASSERT_TRUE(install_applet()) << applet_;
    struct Pass {
        const char* name;
        DI_FUNCTION function;
        bool has_context;
        BOOL post_processing;
        DWORD install_result;
        DWORD answer;
        bool applet_stays;
    };
    const Pass passes[] = {
        {"first pass", DIF_REMOVE, true, FALSE, NO_ERROR, ERROR_DI_POSTPROCESSING_REQUIRED, true},
        {"no context", DIF_REMOVE, false, TRUE, NO_ERROR, NO_ERROR, true},
        {"after a failed removal", DIF_REMOVE, true, TRUE, ERROR_ACCESS_DENIED, NO_ERROR, true},
        {"another request", DIF_INSTALLDEVICE, true, TRUE, NO_ERROR, NO_ERROR, true},
        {"after the removal", DIF_REMOVE, true, TRUE, NO_ERROR, NO_ERROR, false},
    };
    for (const Pass& p : passes) {
        COINSTALLER_CONTEXT_DATA c = context(p.post_processing, p.install_result);
        EXPECT_EQ(
            dll_.entry(p.function, INVALID_HANDLE_VALUE, nullptr, p.has_context ? &c : nullptr),
            p.answer)
            << p.name;
        EXPECT_EQ(file_exists(applet_), p.applet_stays) << p.name;
    }
}

// A file made read-only on purpose stays, attributes and all.
TEST_F(CoinstallerDll, RemovalLeavesAReadOnlyApplet) {
    ASSERT_TRUE(install_applet()) << applet_;
    const DWORD attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesA(applet_.c_str(), attributes));
    EXPECT_EQ(call(DIF_REMOVE, TRUE, NO_ERROR), static_cast<DWORD>(NO_ERROR));
    EXPECT_TRUE(file_exists(applet_));
    EXPECT_EQ(GetFileAttributesA(applet_.c_str()), attributes);
    remove_file(applet_);
}

class CoinstallerNewDevice : public CoinstallerDll {
protected:
    void SetUp() override {
        CoinstallerDll::SetUp();
        remove_adapters();
        reg_remove_tree(DRIVER_KEY);
        std::string error;
        simcard_service_stop(SERVICE, &error);
        remove_test_copies();
    }
    void TearDown() override {
        set_windows_version("control.exe", "");
        std::string error;
        EXPECT_TRUE(simcard_service_stop(SERVICE, &error)) << error;
        remove_adapters();
        remove_test_copies();
    }
};

// The wizard's finish: stale copies gone, the real applet started through the
// system directory's launcher (never a planted one), and the call held until
// the user closed it: 4 to 6 s after the close (five misses a second apart).
TEST_F(CoinstallerNewDevice, StartsTheAppletAndReturnsAfterItsClose) {
    // The applet where the launcher finds it, for an adapter of the release it
    // requires (another release shows a message box instead of its dialog).
    ASSERT_TRUE(install_applet()) << applet_;
    Adapter a = install_adapter("winxp");
    reg_put_string(a.instance_key, "NetCfgInstanceId", GUID);
    SimcardServiceConfig card;
    card.service = SERVICE;
    card.device_name = GUID;
    std::string error;
    ASSERT_TRUE(simcard_service_start(card, &error)) << error;
    set_windows_version("control.exe", "winxp");

    // oem0 plain, oem1 marked and read-only, oem2 marked but UTF-16 text,
    // oem3 missing, oem4 marked beyond the gap.
    CreateDirectoryA((windows_dir() + "\\inf").c_str(), nullptr);
    ASSERT_FALSE(file_exists(inf_copy(0, "inf"))) << "the prefix has INF copies of its own";
    const std::string marked = std::string(TEST_COPY) + "[SourceDisksFiles]\nNETORX48.INF=1\n";
    const std::string plain = std::string(TEST_COPY) + "[Version]\nClass=Net\n";
    ASSERT_TRUE(write_file(inf_copy(0, "inf"), plain));
    ASSERT_TRUE(write_file(inf_copy(1, "inf"), marked));
    ASSERT_TRUE(write_file(inf_copy(2, "inf"), TEST_COPY + utf16(marked)));
    ASSERT_TRUE(write_file(inf_copy(4, "inf"), marked));
    for (unsigned n : {0u, 1u, 2u, 4u}) ASSERT_TRUE(write_file(inf_copy(n, "pnf"), TEST_COPY));
    for (const char* extension : {"inf", "pnf"})
        SetFileAttributesA(inf_copy(1, extension).c_str(),
                           FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);

    PlantedLaunchers planted;
    ASSERT_TRUE(planted.plant(&error)) << error;

    const std::vector<TitledWindow> before = applet_windows();
    ASSERT_TRUE(before.empty()) << "an applet window is already there: " << describe(before);
    AppletWatchdog watchdog(60000);
    CoinstallerCall call(dll_.entry, DIF_NEWDEVICEWIZARD_FINISHINSTALL, context(FALSE, NO_ERROR));

    HWND dialog = wait_for_top_level(PROFILES_TITLE, 30000);
    ASSERT_NE(dialog, nullptr) << "the applet's profile dialog did not come" << planted.report();
    Sleep(2000);
    ASSERT_FALSE(call.finish(0)) << "the call returned while the applet was open";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    const DWORD cancelled = GetTickCount();
    while (IsWindow(dialog) && GetTickCount() - cancelled < 10000) Sleep(10);
    ASSERT_FALSE(IsWindow(dialog)) << "the profile dialog did not close";
    const DWORD closed_at = GetTickCount();
    ASSERT_TRUE(call.finish(30000)) << "the call did not return after the close";

    const DWORD after_close = call.returned_at - closed_at;
    std::printf(
        "RCCOINST48 wait: returned %lu ms after the applet's close; processor time %llu ms "
        "over a call of %lu ms\n",
        static_cast<unsigned long>(after_close), static_cast<unsigned long long>(call.cpu_ms),
        static_cast<unsigned long>(call.returned_at - call.started_at));
    RecordProperty("return_after_close_ms", static_cast<int>(after_close));
    RecordProperty("wait_processor_ms", static_cast<int>(call.cpu_ms));
    EXPECT_EQ(call.answer, static_cast<DWORD>(NO_ERROR));
    EXPECT_GE(after_close, 4000u);
    EXPECT_LE(after_close, 6000u);
    // It sleeps between its polls: a busy wait would use the whole wait.
    EXPECT_LT(call.cpu_ms, 1000u);
    EXPECT_FALSE(watchdog.fired());

    EXPECT_FALSE(PlantedLaunchers::ran(planted.beside_program)) << "the control.exe beside "
                                                                   "the installing program ran";
    EXPECT_FALSE(PlantedLaunchers::ran(planted.in_current_directory))
        << "the control.exe of the current directory ran";

    for (const char* extension : {"inf", "pnf"}) {
        EXPECT_FALSE(file_exists(inf_copy(1, extension))) << extension;
        for (unsigned n : {0u, 2u, 4u})
            EXPECT_TRUE(file_exists(inf_copy(n, extension))) << n << " " << extension;
    }
    // The applet's run ended as a Cancel ends it.
    EXPECT_EQ(reg_get_dword(DRIVER_KEY, "Cpl_cmd"), 0);
}

// ---------------------------------------------------------------- the host itself

// The launcher's start: the program named, its command line as given, its
// window shown; both of the new process's handles closed.
TEST(CoinstallerWin32Host, StartsTheProgramShownWithItsCommandLine) {
    const std::string recorder = program_dir() + "\\start_recorder.exe";
    remove_file(recorder + ".ran");
    std::wstring application(recorder.begin(), recorder.end());
    wchar_t command_line[] = L"control RCPANEL48.CPL";
    DWORD handles_before = 0;
    DWORD handles_after = 0;
    const BOOL counted = GetProcessHandleCount(GetCurrentProcess(), &handles_before);

    ASSERT_TRUE(win32_coinstaller_host().start_process(application.c_str(), command_line));

    if (counted && GetProcessHandleCount(GetCurrentProcess(), &handles_after))
        EXPECT_EQ(handles_after, handles_before);
    const DWORD start = GetTickCount();
    while (!file_exists(recorder + ".ran") && GetTickCount() - start < 10000) Sleep(20);
    const std::vector<std::string> record = lines(read_file(recorder + ".ran"));
    ASSERT_EQ(record.size(), 3u) << read_file(recorder + ".ran");
    EXPECT_EQ(record[0], "control RCPANEL48.CPL");
    EXPECT_TRUE(std::stoul(record[1]) & STARTF_USESHOWWINDOW) << record[1];
    EXPECT_EQ(record[2], std::to_string(SW_SHOW));
    remove_file(recorder + ".ran");

    wchar_t nothing[] = L"control RCPANEL48.CPL";
    EXPECT_FALSE(win32_coinstaller_host().start_process(
        (std::wstring(application) + L".missing").c_str(), nothing));
}

// The C runtime's text mode: CR LF read as LF, Ctrl-Z the end.
TEST(CoinstallerWin32Host, ReadsInTextMode) {
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    const std::string path = std::string(temp, n) + "rccoinst48-text.inf";
    ASSERT_TRUE(write_file(path,
                           "ab\r\ncd\r\n\x1A"
                           "NETORX48.INF\n"));
    const std::wstring wide(path.begin(), path.end());
    char buffer[64] = {};
    EXPECT_EQ(win32_coinstaller_host().read_text_file(wide.c_str(), buffer, sizeof buffer), 6);
    EXPECT_EQ(std::string(buffer, 6), "ab\ncd\n");

    ASSERT_TRUE(write_file(path, std::string(12000, 'x')));
    std::vector<char> big(12000, '#');
    EXPECT_EQ(win32_coinstaller_host().read_text_file(wide.c_str(), big.data(), 10000), 10000);
    EXPECT_EQ(big[10000], '#');  // nothing written past what was asked for
    remove_file(path);
    EXPECT_EQ(win32_coinstaller_host().read_text_file(wide.c_str(), buffer, sizeof buffer), -1);
}

// GetWindowTextW gives at most 255 characters of a longer title into 256.
TEST(CoinstallerWin32Host, WindowTextIsCutToItsBuffer) {
    const std::string title = std::string(300, 'x') + APPLET_TEXT;
    HWND own = CreateWindowA("STATIC", title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(own, nullptr);
    std::vector<WideChar> buffer(400, L'#');
    EXPECT_EQ(win32_coinstaller_host().window_text(own, buffer.data(), 256), 255u);
    EXPECT_EQ(buffer[254], L'x');
    EXPECT_EQ(buffer[255], L'\0');
    EXPECT_EQ(buffer[256], L'#');
    DestroyWindow(own);
}

}  // namespace
