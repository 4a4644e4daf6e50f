// A stand-in program for the co-installer's Win32 tests: it leaves
// "<its own path>.ran" (appearing whole, at once) holding the command line it was given and the
// show settings of its start-up information (dwFlags, wShowWindow), one per line, and ends. Planted
// as control.exe where no program should be run from, it shows whether one was.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

}  // namespace

int main() {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    const std::wstring path = std::wstring(self, n) + L".ran";
    STARTUPINFOW startup;
    GetStartupInfoW(&startup);
    const std::string record = utf8(GetCommandLineW()) + "\n" + std::to_string(startup.dwFlags) +
                               "\n" + std::to_string(startup.wShowWindow) + "\n";
    // Written whole beside it, then renamed: a test that waits for the record
    // to appear must never read it half-written.
    const std::wstring part = path + L".part";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    if (!wrote || written != record.size()) return 3;
    return MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
