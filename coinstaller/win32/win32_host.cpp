// The co-installer's host over Win32. A pass-through: every rule is in the
// logic. The library runs without the C runtime's start-up (LibMain is the
// image's entry point), so nothing here may need a constructor run at load:
// the host is constant-initialized.
#include "win32_host.h"

#include <cstdio>

#include "coinstaller.h"

static_assert(sizeof(WideChar) == sizeof(WCHAR), "the host passes its texts to the W calls");

namespace {

class Win32CoinstallerHost : public CoinstallerHost {
public:
    uint32_t system_directory(WideChar* buffer, uint32_t size) override {
        return GetSystemDirectoryW(buffer, size);
    }
    uint32_t windows_directory(WideChar* buffer, uint32_t size) override {
        return GetWindowsDirectoryW(buffer, size);
    }

    int32_t read_text_file(const WideChar* path, char* buffer, uint32_t size) override {
        // The C runtime's text mode: CR LF read as LF, Ctrl-Z as the end.
        FILE* file = _wfopen(path, L"rt");
        if (!file) return -1;
        const size_t got = std::fread(buffer, 1, size, file);
        std::fclose(file);
        return static_cast<int32_t>(got);
    }
    uint32_t file_attributes(const WideChar* path) override { return GetFileAttributesW(path); }
    bool set_file_attributes(const WideChar* path, uint32_t attributes) override {
        return SetFileAttributesW(path, attributes) != FALSE;
    }
    bool delete_file(const WideChar* path) override { return DeleteFileW(path) != FALSE; }

    bool start_process(const WideChar* application, WideChar* command_line) override {
        STARTUPINFOW startup;
        ZeroMemory(&startup, sizeof startup);
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOW;
        PROCESS_INFORMATION process;
        ZeroMemory(&process, sizeof process);
        if (!CreateProcessW(application, command_line, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process))
            return false;
        // Only the process's windows are watched, never the process itself.
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

    void enumerate_windows() override { EnumWindows(EnumWindowsProc, 0); }
    uint32_t window_text(void* window, WideChar* buffer, uint32_t size) override {
        const int n = GetWindowTextW(static_cast<HWND>(window), buffer, static_cast<int>(size));
        return n > 0 ? static_cast<uint32_t>(n) : 0;
    }

    uint32_t tick_count() override { return GetTickCount(); }
    void sleep(uint32_t milliseconds) override { Sleep(milliseconds); }
};

__constinit Win32CoinstallerHost host;

}  // namespace

CoinstallerHost& win32_coinstaller_host() { return host; }

// The application value is not used: whoever enumerates, every window is
// tested against the one library-wide flag.
extern "C" BOOL CALLBACK EnumWindowsProc(HWND window, LPARAM) {
    return window_test(host, window) ? TRUE : FALSE;
}
