// The co-installer's logic over what Windows hands it: directories of any
// length and content, setup information copies of any bytes and length (with
// or without zero bytes, the marker anywhere), window titles of any UTF-16
// code units and length appearing and going at any time, any tick count
// (wraps included), any request code and context. Checks that no buffer is
// read or written past its size (the fake fills every buffer to the size it
// is told), that exactly the copies whose first 10,000 bytes mention the
// marker before their first zero are deleted, with their .pnf and up to the
// first missing number, that nothing else is deleted, that every window test
// answers as the title's first 255 characters say, and that every wait ends
// by its rule: five misses in a row, or the cap.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "coinstaller.h"

// A failed check names its line.
#define check(condition) \
    ((condition) ? (void)0 : (std::fprintf(stderr, "check failed: line %d\n", __LINE__), abort()))

namespace {

using Wide = std::u16string;

Wide wide(const std::string& text) { return Wide(text.begin(), text.end()); }

Wide upper(Wide text) {
    for (char16_t& c : text)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return text;
}

struct File {
    std::string bytes;
    uint32_t attributes;
};

struct Window {
    Wide title;
    uint64_t shown_at;  // elapsed milliseconds
    uint64_t gone_at;
};

// What the window test must answer: the title's first 255 code units, up to
// a zero among them, hold the text.
bool holds(const Wide& title, const Wide& wanted) {
    Wide read = title.substr(0, TITLE_CAPACITY - 1);
    read = read.substr(0, read.find(u'\0'));
    return read.find(wanted) != Wide::npos;
}

class FuzzHost : public CoinstallerHost {
public:
    Wide system;
    Wide windows;
    bool system_fails = false;
    bool windows_fails = false;
    std::map<Wide, File> files;  // by upper-case path
    std::vector<Wide> deleted;
    std::vector<Window> shown;
    bool start_fails = false;
    bool started = false;
    uint32_t first_tick = 0;
    uint64_t elapsed = 0;
    uint64_t started_at = 0;
    // Every enumeration: the time, and whether an applet window was there.
    std::vector<std::pair<uint64_t, bool>> polls;

    uint32_t system_directory(WideChar* buffer, uint32_t size) override {
        return directory(system, system_fails, buffer, size);
    }
    uint32_t windows_directory(WideChar* buffer, uint32_t size) override {
        return directory(windows, windows_fails, buffer, size);
    }
    int32_t read_text_file(const WideChar* path, char* buffer, uint32_t size) override {
        auto it = files.find(upper(terminated(path)));
        if (it == files.end()) return -1;
        const std::string& bytes = it->second.bytes;
        const uint32_t n = bytes.size() < size ? static_cast<uint32_t>(bytes.size()) : size;
        std::memcpy(buffer, bytes.data(), n);
        return static_cast<int32_t>(n);
    }
    uint32_t file_attributes(const WideChar* path) override {
        auto it = files.find(upper(terminated(path)));
        return it == files.end() ? HOST_INVALID_FILE_ATTRIBUTES : it->second.attributes;
    }
    bool set_file_attributes(const WideChar* path, uint32_t attributes) override {
        auto it = files.find(upper(terminated(path)));
        if (it == files.end()) return false;
        it->second.attributes = attributes;
        return true;
    }
    bool delete_file(const WideChar* path) override {
        auto it = files.find(upper(terminated(path)));
        if (it == files.end() || (it->second.attributes & HOST_FILE_ATTRIBUTE_READONLY))
            return false;
        deleted.push_back(it->first);
        files.erase(it);
        return true;
    }
    bool start_process(const WideChar* application, WideChar* command_line) override {
        check(!started);
        check(terminated(application) == system + u"\\control.exe");
        const Wide line = terminated(command_line);
        check(line == u"control RCPANEL48.CPL");
        // It may write to all of it.
        for (size_t i = 0; i <= line.size(); ++i) command_line[i] = u'#';
        started = true;
        started_at = elapsed;
        return !start_fails;
    }
    void enumerate_windows() override {
        bool applet = false;
        for (Window& w : shown) {
            if (elapsed < w.shown_at || elapsed >= w.gone_at) continue;
            applet = applet || holds(w.title, u"Edit Configuration");
            check(window_test(*this, &w) == 1);
        }
        check(window_seen == applet);
        polls.emplace_back(elapsed, applet);
    }
    uint32_t window_text(void* window, WideChar* buffer, uint32_t size) override {
        check(size > 0);
        const Wide& title = static_cast<Window*>(window)->title;
        const uint32_t n = title.size() < size - 1 ? static_cast<uint32_t>(title.size()) : size - 1;
        // All of what the caller says it has: ASan sees a wrong size.
        for (uint32_t i = 0; i < size; ++i) buffer[i] = i < n ? title[i] : u'\0';
        return n;
    }
    uint32_t tick_count() override { return static_cast<uint32_t>(first_tick + elapsed); }
    void sleep(uint32_t milliseconds) override {
        check(milliseconds == POLL_INTERVAL_MS);
        elapsed += milliseconds;
    }

private:
    static Wide terminated(const WideChar* text) {
        Wide out;
        for (; *text; ++text) out += static_cast<char16_t>(*text);
        return out;
    }
    static uint32_t directory(const Wide& text, bool fails, WideChar* buffer, uint32_t size) {
        if (fails) return 0;
        if (text.size() + 1 > size) return static_cast<uint32_t>(text.size() + 1);
        for (size_t i = 0; i < text.size(); ++i) buffer[i] = text[i];
        buffer[text.size()] = 0;
        return static_cast<uint32_t>(text.size());
    }
};

// A directory of any length, mostly ASCII, sometimes with other code units.
Wide fuzz_directory(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) return u"C:\\WINNT";
    const size_t length = in.ConsumeIntegralInRange<size_t>(0, 300);
    Wide text;
    for (size_t i = 0; i < length; ++i)
        text += in.ConsumeBool() ? static_cast<char16_t>(u'a' + i % 26)
                                 : static_cast<char16_t>(in.ConsumeIntegralInRange<int>(1, 0xFFFF));
    return text;
}

// A setup information copy: any bytes, or text with the marker (or a near
// miss) at any place, around the 10,000-byte limit too.
std::string fuzz_copy(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: return in.ConsumeRandomLengthString(600);
    default: {
        const size_t at = in.ConsumeBool() ? in.ConsumeIntegralInRange<size_t>(9980, 10010)
                                           : in.ConsumeIntegralInRange<size_t>(0, 400);
        std::string text(at, 'x');
        if (at > 0 && in.ConsumeBool()) text[in.ConsumeIntegralInRange<size_t>(0, at - 1)] = '\0';
        const char* markers[] = {"NETORX48.INF", "netorx48.inf", "NETORX48.IN", "NETORX48.INFx"};
        text += markers[in.ConsumeIntegralInRange<int>(0, 3)];
        text += in.ConsumeRandomLengthString(40);
        return text;
    }
    }
}

// Whether the co-installer must take this copy for a stale one.
bool marked(const std::string& bytes) {
    std::string read = bytes.substr(0, INF_COPY_READ_BYTES);
    read = read.substr(0, read.find('\0'));
    return read.find("NETORX48.INF") != std::string::npos;
}

Wide fuzz_title(FuzzedDataProvider& in) {
    Wide title;
    const size_t before = in.ConsumeIntegralInRange<size_t>(0, 300);
    for (size_t i = 0; i < before; ++i)
        title += in.ConsumeBool() ? u' ' : static_cast<char16_t>(in.ConsumeIntegral<uint16_t>());
    if (in.ConsumeBool()) title += in.ConsumeBool() ? u"Edit Configuration" : u"edit configuration";
    title += wide(in.ConsumeRandomLengthString(20));
    return title;
}

void fill_scan(FuzzedDataProvider& in, FuzzHost& host, std::vector<Wide>* expected) {
    const unsigned count = in.ConsumeIntegralInRange<unsigned>(0, 8);
    const unsigned gap = in.ConsumeIntegralInRange<unsigned>(0, count + 1);
    bool scanning = !host.windows_fails && host.windows.size() < DIRECTORY_CAPACITY;
    for (unsigned n = 0; n <= count; ++n) {
        const Wide number = wide(std::to_string(n));
        const Wide inf = upper(host.windows + u"\\inf\\oem" + number + u".inf");
        const Wide pnf = upper(host.windows + u"\\inf\\oem" + number + u".pnf");
        if (inf.size() >= PATH_CAPACITY) scanning = false;
        if (n == gap || n == count) {
            // Missing: nothing after it is looked at.
            scanning = false;
            if (n == count) break;
        }
        const std::string bytes = fuzz_copy(in);
        const uint32_t attributes = in.ConsumeIntegralInRange<uint32_t>(0, 0x3F);
        if (n != gap) host.files[inf] = {bytes, attributes};
        const bool with_pnf = in.ConsumeBool();
        if (with_pnf) host.files[pnf] = {"pnf", attributes};
        if (scanning && n != gap && marked(bytes)) {
            expected->push_back(inf);
            if (with_pnf) expected->push_back(pnf);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    window_seen = in.ConsumeBool();
    FuzzHost host;
    host.system = fuzz_directory(in);
    host.windows = fuzz_directory(in);
    // An empty directory answers as a failure does (0 characters).
    host.system_fails = in.ConsumeIntegralInRange<int>(0, 7) == 0 || host.system.empty();
    host.windows_fails = in.ConsumeIntegralInRange<int>(0, 7) == 0 || host.windows.empty();
    host.start_fails = in.ConsumeIntegralInRange<int>(0, 5) == 0;
    host.first_tick = in.ConsumeBool() ? 0xFFFFFFFFu - in.ConsumeIntegralInRange<uint32_t>(0, 40000)
                                       : in.ConsumeIntegral<uint32_t>();
    const Wide applet = upper(host.system + u"\\RCPANEL48.CPL");
    const bool applet_read_only = in.ConsumeBool();
    host.files[applet] = {"MZ", applet_read_only ? 0x21u : 0x20u};

    std::vector<Wide> expected;
    fill_scan(in, host, &expected);
    const unsigned window_count = in.ConsumeIntegralInRange<unsigned>(0, 4);
    for (unsigned i = 0; i < window_count; ++i) {
        const uint64_t shown_at = in.ConsumeIntegralInRange<uint64_t>(0, 12000);
        const uint64_t gone_at = in.ConsumeBool()
                                     ? UINT64_MAX
                                     : shown_at + in.ConsumeIntegralInRange<uint64_t>(0, 40000);
        host.shown.push_back({fuzz_title(in), shown_at, gone_at});
    }

    uint32_t function;
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: function = COINST_DIF_REMOVE; break;
    case 1: function = COINST_DIF_NEWDEVICEWIZARD_FINISHINSTALL; break;
    default: function = in.ConsumeIntegral<uint32_t>(); break;
    }
    const bool null_context = in.ConsumeIntegralInRange<int>(0, 9) == 0;
    const InstallContext context = {
        in.ConsumeBool(), in.ConsumeBool() ? COINST_NO_ERROR : in.ConsumeIntegral<uint32_t>()};
    const uint32_t answer = device_co_installer(host, function, null_context ? nullptr : &context);

    const bool remove = !null_context && function == COINST_DIF_REMOVE;
    const bool finish = !null_context && function == COINST_DIF_NEWDEVICEWIZARD_FINISHINSTALL;
    check(answer == (remove && !context.post_processing ? COINST_ERROR_DI_POSTPROCESSING_REQUIRED
                                                        : COINST_NO_ERROR));

    // What went: the applet file after a successful removal (unless
    // read-only), the marked copies after a new device; nothing else.
    std::vector<Wide> gone = host.deleted;
    const bool applet_goes = remove && context.post_processing &&
                             context.install_result == COINST_NO_ERROR && !host.system_fails &&
                             host.system.size() < DIRECTORY_CAPACITY &&
                             applet.size() < PATH_CAPACITY && !applet_read_only;
    if (applet_goes) {
        check(!gone.empty() && gone.back() == applet);
        gone.pop_back();
    }
    if (finish) {
        check(gone == expected);
    } else {
        check(gone.empty());
    }

    // The applet started only after a new device, and waited for only when
    // it was; every wait ends by its rule.
    const bool can_start = !host.system_fails && host.system.size() < DIRECTORY_CAPACITY &&
                           host.system.size() + 12 < PATH_CAPACITY;
    check(host.started == (finish && can_start));
    if (!host.started || host.start_fails) {
        check(host.polls.empty());
        check(host.elapsed == host.started_at);
        return 0;
    }
    check(!host.polls.empty());
    // The close wait starts at the poll that first saw the applet within the
    // first five seconds, or at five seconds.
    uint64_t close_start = APPEARANCE_WAIT_MS;
    for (const auto& poll : host.polls) {
        if (poll.first >= APPEARANCE_WAIT_MS) break;
        if (poll.second) {
            close_start = poll.first;
            break;
        }
    }
    const uint64_t end = host.elapsed - host.started_at;
    check(end >= close_start && end - close_start <= CLOSE_WAIT_MS);
    if (end - close_start < CLOSE_WAIT_MS) {
        // Not the cap: it ended on the fifth poll in a row without the
        // applet's window, all of them in the close wait.
        check(host.polls.back().first == host.elapsed);
        check(host.polls.size() >= MISSES_TO_END);
        for (size_t i = host.polls.size() - MISSES_TO_END; i < host.polls.size(); ++i) {
            check(!host.polls[i].second);
            check(host.polls[i].first >= close_start);
        }
    }
    return 0;
}
