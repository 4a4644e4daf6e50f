// Native tests of the co-installer's logic: a fake host with directories,
// files, top-level windows and a process start, on a virtual clock, so that
// the waits of seconds and half an hour take no time. Paths are compared as
// ASCII texts; the fake's files are found case-insensitively, as Windows finds
// them.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "coinstaller.h"

namespace coinstaller_test {

using WideString = std::basic_string<WideChar>;

inline WideString wide(const std::string& text) { return WideString(text.begin(), text.end()); }

// ASCII as it is; any other code unit as \u{XXXX}; no text as <null>.
inline std::string narrow(const WideChar* text) {
    if (!text) return "<null>";
    std::string out;
    for (; *text; ++text) {
        const unsigned c = static_cast<unsigned>(*text);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, "\\u{%04X}", c);
            out += escaped;
        }
    }
    return out;
}

inline std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

enum : uint32_t {
    ATTRIBUTE_READONLY = 0x01,
    ATTRIBUTE_HIDDEN = 0x02,
    ATTRIBUTE_ARCHIVE = 0x20,
    ATTRIBUTE_NORMAL = 0x80,
};

const uint64_t NEVER = std::numeric_limits<uint64_t>::max();

// Cases print as their name (a test file brings it in with
// `using coinstaller_test::operator<<;`).
template <typename Case>
auto operator<<(std::ostream& os, const Case& c) -> decltype((void)c.name, os) {
    return os << c.name;
}

class FakeCoinstallerHost : public CoinstallerHost {
public:
    // ---- the machine ----
    std::string system_dir = "C:\\WINNT\\system32";
    std::string windows_dir = "C:\\WINNT";
    bool system_dir_fails = false;
    bool windows_dir_fails = false;

    struct File {
        std::string bytes;
        uint32_t attributes = ATTRIBUTE_ARCHIVE;
        bool in_use = false;  // open elsewhere: it cannot be deleted
    };
    // By upper-case path.
    std::map<std::string, File> files;

    // A top-level window, shown from shown_at until closed_at (milliseconds
    // of the virtual clock since the fake was made).
    struct Window {
        WideString title;
        uint64_t shown_at = 0;
        uint64_t closed_at = NEVER;
    };
    std::vector<Window> windows;

    bool start_fails = false;

    // ---- the virtual clock ----
    uint32_t first_tick = 0;  // what GetTickCount answers at elapsed 0
    uint64_t elapsed = 0;     // milliseconds since the fake was made

    // ---- what the logic did ----
    std::vector<std::string> events;  // reads, attribute changes, deletions, starts, in order
    struct Start {
        std::string application;
        std::string command_line;
    };
    std::vector<Start> starts;
    unsigned enumerations = 0;
    std::vector<uint32_t> sleeps;
    unsigned calls = 0;  // every call of the host

    void put_file(const std::string& path, const std::string& bytes,
                  uint32_t attributes = ATTRIBUTE_ARCHIVE) {
        files[upper(path)] = File{bytes, attributes, false};
    }
    bool has_file(const std::string& path) const { return files.count(upper(path)) != 0; }
    File* file(const std::string& path) {
        auto it = files.find(upper(path));
        return it == files.end() ? nullptr : &it->second;
    }

    // ---- CoinstallerHost ----
    uint32_t system_directory(WideChar* buffer, uint32_t size) override {
        ++calls;
        return directory(system_dir, system_dir_fails, buffer, size);
    }
    uint32_t windows_directory(WideChar* buffer, uint32_t size) override {
        ++calls;
        return directory(windows_dir, windows_dir_fails, buffer, size);
    }

    // Bytes as they are: the fixtures hold no CR and no Ctrl-Z, which text
    // mode would change.
    int32_t read_text_file(const WideChar* path, char* buffer, uint32_t size) override {
        ++calls;
        const std::string p = narrow(path);
        events.push_back("read " + p);
        const File* f = file(p);
        if (!f) return -1;
        const size_t n = std::min<size_t>(size, f->bytes.size());
        std::copy(f->bytes.begin(), f->bytes.begin() + static_cast<std::ptrdiff_t>(n), buffer);
        return static_cast<int32_t>(n);
    }
    uint32_t file_attributes(const WideChar* path) override {
        ++calls;
        const File* f = file(narrow(path));
        return f ? f->attributes : HOST_INVALID_FILE_ATTRIBUTES;
    }
    bool set_file_attributes(const WideChar* path, uint32_t attributes) override {
        ++calls;
        const std::string p = narrow(path);
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", attributes);
        events.push_back("attributes " + p + " " + hex);
        File* f = file(p);
        if (!f) return false;
        f->attributes = attributes;
        return true;
    }
    // As Windows: a read-only file or one in use is not deleted.
    bool delete_file(const WideChar* path) override {
        ++calls;
        const std::string p = narrow(path);
        events.push_back("delete " + p);
        File* f = file(p);
        if (!f || (f->attributes & ATTRIBUTE_READONLY) || f->in_use) return false;
        files.erase(upper(p));
        return true;
    }

    bool start_process(const WideChar* application, WideChar* command_line) override {
        ++calls;
        starts.push_back({narrow(application), narrow(command_line)});
        events.push_back("start " + starts.back().application + " | " + starts.back().command_line);
        // CreateProcessW may write to the command line while it looks for the
        // program: here every character is written, and put back.
        for (WideChar* c = command_line; *c; ++c) {
            const WideChar kept = *c;
            *c = 0;
            *c = kept;
        }
        return !start_fails;
    }

    void enumerate_windows() override {
        ++calls;
        ++enumerations;
        for (Window& w : windows)
            if (w.shown_at <= elapsed && elapsed < w.closed_at) window_test(*this, &w);
    }
    // As GetWindowTextW: at most size - 1 characters and a zero.
    uint32_t window_text(void* window, WideChar* buffer, uint32_t size) override {
        ++calls;
        if (size == 0) return 0;
        const WideString& title = static_cast<Window*>(window)->title;
        const size_t n = std::min<size_t>(size - 1, title.size());
        std::copy(title.begin(), title.begin() + static_cast<std::ptrdiff_t>(n), buffer);
        buffer[n] = 0;
        return static_cast<uint32_t>(n);
    }

    uint32_t tick_count() override {
        ++calls;
        return static_cast<uint32_t>(first_tick + elapsed);
    }
    void sleep(uint32_t milliseconds) override {
        ++calls;
        sleeps.push_back(milliseconds);
        elapsed += milliseconds;
    }

private:
    // As GetSystemDirectoryW: the length copied, or the size needed.
    static uint32_t directory(const std::string& text, bool fails, WideChar* buffer,
                              uint32_t size) {
        if (fails) return 0;
        if (text.size() + 1 > size) return static_cast<uint32_t>(text.size() + 1);
        std::copy(text.begin(), text.end(), buffer);
        buffer[text.size()] = 0;
        return static_cast<uint32_t>(text.size());
    }
};

}  // namespace coinstaller_test

class CoinstallerTest : public ::testing::Test {
protected:
    void SetUp() override { window_seen = false; }

    uint32_t call(uint32_t function, bool post_processing = false,
                  uint32_t install_result = COINST_NO_ERROR) {
        const InstallContext context = {post_processing, install_result};
        return device_co_installer(host_, function, &context);
    }

    std::string applet_path() const { return host_.system_dir + "\\RCPANEL48.CPL"; }
    std::string inf_path(unsigned n) const {
        return host_.windows_dir + "\\inf\\oem" + std::to_string(n) + ".inf";
    }
    std::string pnf_path(unsigned n) const {
        return host_.windows_dir + "\\inf\\oem" + std::to_string(n) + ".pnf";
    }
    // An installed package's INF copy and its precompiled .pnf.
    void put_inf_copy(unsigned n, const std::string& bytes,
                      uint32_t attributes = coinstaller_test::ATTRIBUTE_ARCHIVE,
                      bool with_pnf = true) {
        host_.put_file(inf_path(n), bytes, attributes);
        if (with_pnf) host_.put_file(pnf_path(n), "PNF " + std::to_string(n), attributes);
    }
    bool copy_present(unsigned n) const {
        return host_.has_file(inf_path(n)) || host_.has_file(pnf_path(n));
    }
    bool copy_whole(unsigned n) const {
        return host_.has_file(inf_path(n)) && host_.has_file(pnf_path(n));
    }
    std::vector<std::string> events_starting(const std::string& kind) const {
        std::vector<std::string> out;
        for (const std::string& e : host_.events)
            if (e.compare(0, kind.size(), kind) == 0) out.push_back(e);
        return out;
    }

    coinstaller_test::FakeCoinstallerHost host_;
};

// A text of n characters, none of them a marker's, CR or Ctrl-Z.
inline std::string filler(size_t n) {
    std::string text;
    const std::string line = "; driver package of another card\n";
    while (text.size() < n) text += line;
    text.resize(n);
    return text;
}
