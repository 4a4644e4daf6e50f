// What the co-installer asks of Windows: its directories, files, one process
// start, the top-level windows, the clock. coinstaller/win32 implements it
// over the wide-character Win32 calls; native tests use a fake on a virtual
// clock. Nothing of the adapter library is involved.
#pragma once
#include <cstdint>

// A UTF-16 code unit, as the W functions take it: wchar_t on Windows,
// char16_t where wchar_t is wider.
#if defined(_WIN32)
using WideChar = wchar_t;
#else
using WideChar = char16_t;
#endif
static_assert(sizeof(WideChar) == 2, "the W functions take UTF-16");

enum : uint32_t {
    HOST_FILE_ATTRIBUTE_READONLY = 0x01,
    HOST_FILE_ATTRIBUTE_NORMAL = 0x80,
    HOST_INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF,
};

class CoinstallerHost {
public:
    // GetSystemDirectoryW and GetWindowsDirectoryW: characters copied
    // (without the terminator), the size needed (terminator included) when
    // the buffer of `size` characters is too small, or 0 on failure.
    virtual uint32_t system_directory(WideChar* buffer, uint32_t size) = 0;
    virtual uint32_t windows_directory(WideChar* buffer, uint32_t size) = 0;

    // Opens the file for reading in text mode, reads at most `size` bytes
    // into buffer and closes it: the number of bytes read, or -1 when the
    // file cannot be opened. Nothing is written past what was read.
    virtual int32_t read_text_file(const WideChar* path, char* buffer, uint32_t size) = 0;
    // GetFileAttributesW, SetFileAttributesW, DeleteFileW.
    virtual uint32_t file_attributes(const WideChar* path) = 0;
    virtual bool set_file_attributes(const WideChar* path, uint32_t attributes) = 0;
    virtual bool delete_file(const WideChar* path) = 0;

    // CreateProcessW of the program `application` with `command_line` (which
    // the call may write to), nothing inherited, the caller's environment
    // and directory, its window shown (SW_SHOW). The new process's handles
    // are closed at once: true when it was created.
    virtual bool start_process(const WideChar* application, WideChar* command_line) = 0;

    // EnumWindows over the top-level windows, calling window_test
    // (coinstaller.h) for each.
    virtual void enumerate_windows() = 0;
    // GetWindowTextW: at most size - 1 characters of the window's title and
    // a terminating zero; the number of characters copied.
    virtual uint32_t window_text(void* window, WideChar* buffer, uint32_t size) = 0;

    // GetTickCount: milliseconds, wrapping at 2^32 (every 49.7 days).
    virtual uint32_t tick_count() = 0;
    virtual void sleep(uint32_t milliseconds) = 0;

protected:
    ~CoinstallerHost() = default;
};
