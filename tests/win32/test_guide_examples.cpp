// The installer guide's examples, run for real: every ```example block of
// docs/installer-guide.md lays out the registry, files and card it names, runs
// its command against the release (RCTOOL48.EXE, RCPANEL48.CPL's exports, the
// Control Panel launcher) and compares what came out with what the block
// says, exactly. The guide's "Examples" section defines the block's lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "discovery.h"
#include "exit_codes.h"
#include "gui.h"
#include "harness.h"
#include "run.h"
#include "simcard_service.h"

namespace {

const char SERVICE[] = "rcsimcard";
const char GUID[] = "{5C1D0000-0000-4000-8000-000000000042}";
const char PROFILES_TITLE[] = "Add/Edit Configuration Profile";
const char* const ATOMS[] = {"ONE INSTALLED", "MORE INSTALLED", "CQI INSTALLED 1",
                             "CQI INSTALLED 0"};
// The child that makes an entry call (CMConfigure, TarvoConfigure) under the
// example's Windows version, and the marker of what it reports.
const char CALL_VARIABLE[] = "RC_GUIDE_CALL";
const char CALL_MARK[] = "guide-call ";

std::string guide_path() {
    char value[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("RC_GUIDE", value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string system_directory() {
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, sizeof path);
    return std::string(path, n);
}

bool starts_with(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "..." with \n, \r, \t, \\ and \" escapes, from text[*at]; *at moves past
// the closing quote. False when text[*at] opens no complete quoted text.
bool read_quoted(const std::string& text, size_t* at, std::string* out) {
    if (*at >= text.size() || text[*at] != '"') return false;
    out->clear();
    for (size_t i = *at + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            *at = i + 1;
            return true;
        }
        if (c == '\\') {
            if (++i >= text.size()) return false;
            switch (text[i]) {
            case 'n': c = '\n'; break;
            case 'r': c = '\r'; break;
            case 't': c = '\t'; break;
            case '\\': c = '\\'; break;
            case '"': c = '"'; break;
            default: return false;
            }
        }
        *out += c;
    }
    return false;
}

// The whole of text as one quoted text.
bool quoted(const std::string& text, std::string* out) {
    size_t at = 0;
    return read_quoted(text, &at, out) && at == text.size();
}

std::string escaped(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default: out += c;
        }
    }
    return out + "\"";
}

bool number(const std::string& text, unsigned long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    *value = std::strtoul(text.c_str(), &end, 0);
    return *end == 0;
}

// A command line as typed at a prompt: words apart by blanks, "..." for a
// word with blanks or an empty one (no escapes: a backslash is itself).
bool split_words(const std::string& line, std::vector<std::string>* words) {
    words->clear();
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            const size_t end = line.find('"', i + 1);
            if (end == std::string::npos) return false;
            word = line.substr(i + 1, end - i - 1);
            i = end + 1;
            if (i < line.size() && line[i] != ' ') return false;
        } else {
            const size_t end = std::min(line.find(' ', i), line.size());
            word = line.substr(i, end - i);
            if (word.find('"') != std::string::npos) return false;
            i = end;
        }
        words->push_back(word);
    }
    return true;
}

// ---- the blocks ----

struct Example {
    int line = 0;  // of the opening fence
    std::vector<std::string> lines;
};

struct Guide {
    bool read = false;
    std::vector<Example> examples;
    // Lines outside example blocks that look like a run ("> ..." in a fence).
    std::vector<int> untagged_runs;
};

Guide read_guide(const std::string& path) {
    Guide guide;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return guide;
    guide.read = true;
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);

    enum { PROSE, EXAMPLE, OTHER_FENCE } where = PROSE;
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        ++number;
        if (where == PROSE) {
            if (starts_with(line, "```")) {
                if (trim(line.substr(3)) == "example") {
                    where = EXAMPLE;
                    guide.examples.push_back(Example{number, {}});
                } else {
                    where = OTHER_FENCE;
                }
            }
        } else if (line == "```") {
            where = PROSE;
        } else if (where == EXAMPLE) {
            guide.examples.back().lines.push_back(line);
        } else if (starts_with(trim(line), "> ")) {
            guide.untagged_runs.push_back(number);
        }
    }
    return guide;
}

// ---- what a block lays out and checks ----

struct RegistryValue {
    std::string key;  // below HKEY_LOCAL_MACHINE, INSTANCE resolved
    std::string name;
    enum { TEXT, DWORD_VALUE, ABSENT } kind = ABSENT;
    std::string text;
    DWORD dword = 0;
};

// What the examples have shown, for the check that the guide shows everything.
struct Shown {
    std::set<std::string> commands;  // RCTOOL48's command characters
    std::set<unsigned long> exit_codes;
    std::set<unsigned long> cm_statuses;
    std::set<std::string> tarvo_statuses;
    std::set<std::string> atoms;
    std::set<std::string> calls;  // RCTOOL48, CMConfigure, TarvoConfigure, control
};

// What one call produced.
struct Outcome {
    bool started = false;
    std::string start_report;  // why it did not start
    DWORD code = 0;
    std::string output;
    std::vector<std::string> messages;
    std::vector<std::string> dialogs;
    std::string status = "<untouched>";
};

class ExampleRun {
public:
    ExampleRun(const Example& example, Shown* shown) : example_(example), shown_(shown) {}

    void run() {
        reset();
        for (size_t i = 0; i < example_.lines.size(); ++i) {
            line_ = example_.line + 1 + static_cast<int>(i);
            const std::string line = trim(example_.lines[i]);
            if (line.empty()) continue;
            if (starts_with(line, "given ")) {
                if (called_) fail("a given line after the command");
                given(line.substr(6));
            } else if (starts_with(line, "> ")) {
                if (called_) fail("a second command");
                call(line.substr(2));
            } else if (called_) {
                expect(line);
            } else {
                fail("not a given line, nor a command: " + line);
            }
        }
        line_ = example_.line;
        if (!called_) fail("the block runs no command");
        if (call_ == "RCTOOL48" && !(has_exit_ && has_output_))
            fail("an RCTOOL48 example says its output and its exit code");
        if ((call_ == "CMConfigure" || call_ == "TarvoConfigure") && !has_returns_)
            fail("an entry call says what it returns");
        if (call_ == "TarvoConfigure" && !has_status_) fail("TarvoConfigure says its status text");
        if (messages_ != outcome_.messages)
            fail("message boxes: expected " + joined(messages_) + ", got " +
                 joined(outcome_.messages));
        if (dialogs_ != outcome_.dialogs)
            fail("dialogs: expected " + joined(dialogs_) + ", got " + joined(outcome_.dialogs));
        reset();
    }

private:
    void fail(const std::string& what) {
        ADD_FAILURE() << "docs/installer-guide.md:" << line_ << ": " << what;
    }

    static std::string joined(const std::vector<std::string>& texts) {
        std::string out = "[";
        for (const std::string& t : texts) out += (out.size() > 1 ? ", " : "") + escaped(t);
        return out + "]";
    }

    void reset() {
        remove_adapters();
        for (const char* atom : ATOMS) clear_atom(atom);
        if (card_started_) {
            std::string error;
            EXPECT_TRUE(simcard_service_stop(SERVICE, &error)) << error;
            card_started_ = false;
        }
        for (const std::string& path : files_) {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        files_.clear();
    }

    // "INSTANCE...", "HKLM\..." to a path below HKEY_LOCAL_MACHINE.
    bool key_path(const std::string& key, std::string* path) {
        if (starts_with(key, "INSTANCE")) {
            if (instance_.empty()) {
                fail("INSTANCE before any given adapter");
                return false;
            }
            *path = instance_ + key.substr(8);
            return key.size() == 8 || key[8] == '\\';
        }
        if (starts_with(key, "HKLM\\")) {
            *path = key.substr(5);
            return true;
        }
        fail("a key is INSTANCE... or HKLM\\...: " + key);
        return false;
    }

    // [KEY] "Name"=VALUE, VALUE being "text", dword:XXXXXXXX or -.
    bool registry_value(const std::string& text, RegistryValue* value) {
        const size_t close = text.find(']');
        size_t at = close == std::string::npos ? 0 : close + 1;
        if (text[0] != '[' || close == std::string::npos ||
            !key_path(text.substr(1, close - 1), &value->key)) {
            fail("not a registry value: " + text);
            return false;
        }
        while (at < text.size() && text[at] == ' ') ++at;
        if (!read_quoted(text, &at, &value->name) || at >= text.size() || text[at] != '=') {
            fail("not a registry value: " + text);
            return false;
        }
        const std::string data = text.substr(at + 1);
        unsigned long n = 0;
        if (data == "-") {
            value->kind = RegistryValue::ABSENT;
        } else if (quoted(data, &value->text)) {
            value->kind = RegistryValue::TEXT;
        } else if (starts_with(data, "dword:") && data.size() == 14 &&
                   number("0x" + data.substr(6), &n)) {
            value->kind = RegistryValue::DWORD_VALUE;
            value->dword = n;
        } else {
            fail("not a registry value: " + text);
            return false;
        }
        return true;
    }

    // SYSTEM\name to a path in the system directory.
    bool system_file(const std::string& text, std::string* path) {
        if (!starts_with(text, "SYSTEM\\") || text.size() <= 7) {
            fail("a file is SYSTEM\\name: " + text);
            return false;
        }
        *path = system_directory() + text.substr(6);
        return true;
    }

    void given(const std::string& what) {
        std::vector<std::string> words;
        split_words(what, &words);
        if (words.size() == 2 && words[0] == "windows") {
            windows_ = words[1];
        } else if (!words.empty() && words[0] == "adapter" && words.size() <= 2) {
            int index = 0;
            if (words.size() == 2) {
                index = -1;
                for (int i = 0; adapter_hardware_ids[i]; ++i)
                    if (words[1] == adapter_hardware_ids[i]) index = i;
                if (index < 0) return fail("not a hardware ID the programs look for: " + words[1]);
            }
            const Adapter a = install_adapter(windows_, index, 1 + adapters_++);
            if (instance_.empty()) instance_ = a.instance_key;
        } else if (!words.empty() && words[0] == "card") {
            given_card(words);
        } else if (words.size() >= 2 && words.size() <= 3 && words[0] == "file") {
            std::string path;
            if (!system_file(words[1], &path)) return;
            const bool read_only = words.size() == 3 && words[2] == "read-only";
            if (words.size() == 3 && !read_only) return fail("a file is read-only or not");
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            HANDLE h =
                CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            read_only ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE) return fail("cannot make " + path);
            CloseHandle(h);
            files_.push_back(path);
        } else if (starts_with(what, "[")) {
            RegistryValue value;
            if (!registry_value(what, &value)) return;
            if (value.kind == RegistryValue::TEXT)
                reg_put_string(value.key, value.name, value.text);
            else if (value.kind == RegistryValue::DWORD_VALUE)
                reg_put_dword(value.key, value.name, value.dword);
            else
                fail("a given value has a value");
        } else {
            fail("not a given line: given " + what);
        }
    }

    // card [mac XXXXXXXXXXXX] [release V.MAJOR.MINOR]: the driver runs, its
    // device where the adapter's instance key points.
    void given_card(const std::vector<std::string>& words) {
        if (instance_.empty()) return fail("a card needs a given adapter first");
        SimcardServiceConfig config;
        config.service = SERVICE;
        config.device_name = windows_ == "nt40" ? "RLORX521" : GUID;
        for (size_t i = 1; i < words.size(); i += 2) {
            if (i + 1 >= words.size()) return fail("card: a setting without its value");
            const std::string& value = words[i + 1];
            if (words[i] == "mac" && value.size() == 12) {
                config.mac.clear();
                for (size_t b = 0; b < 12; b += 2) {
                    unsigned long byte = 0;
                    if (!number("0x" + value.substr(b, 2), &byte))
                        return fail("card: not a MAC address: " + value);
                    config.mac.push_back(static_cast<uint8_t>(byte));
                }
            } else if (words[i] == "release") {
                unsigned variant = 0, major = 0, minor = 0;
                char end = 0;
                if (std::sscanf(value.c_str(), "%u.%u.%u%c", &variant, &major, &minor, &end) != 3)
                    return fail("card: not a release: " + value);
                config.set("Variant", variant).set("Major", major).set("Minor", minor);
            } else {
                return fail("card: unknown setting " + words[i]);
            }
        }
        if (windows_ != "nt40") reg_put_string(instance_, "NetCfgInstanceId", GUID);
        std::string error;
        card_started_ = true;
        if (!simcard_service_start(config, &error)) fail("the card did not start: " + error);
        card_device_ = config.device_name;
    }

    void call(const std::string& line) {
        called_ = true;
        std::vector<std::string> words;
        if (starts_with(line, "RCTOOL48")) {
            call_ = "RCTOOL48";
            if (!split_words(line, &words) || words[0] != "RCTOOL48")
                return fail("not a command line: " + line);
            words.erase(words.begin());
            if (!words.empty()) shown_->commands.insert(words[0]);
            const ProcessResult r = run_tool(words, windows_);
            outcome_.started = r.started;
            outcome_.start_report = r.report;
            outcome_.code = r.exit_code;
            outcome_.output = r.output;
        } else if (line == "control RCPANEL48.CPL") {
            call_ = "control";
            run_control_panel();
        } else if (starts_with(line, "CMConfigure(") || starts_with(line, "TarvoConfigure(")) {
            call_ = line.substr(0, line.find('('));
            run_entry(line);
        } else {
            return fail("not a command this guide runs: " + line);
        }
        shown_->calls.insert(call_);
        if (!outcome_.started) fail("did not start: " + line + ": " + outcome_.start_report);
    }

    // The applet installed as the package installs it, started by the
    // Control Panel's launcher as an installer would.
    void run_control_panel() {
        const std::string system = system_directory();
        const std::string applet = system + "\\RCPANEL48.CPL";
        if (!CopyFileA((dist_dir() + "\\RCPANEL48.CPL").c_str(), applet.c_str(), FALSE))
            return fail("cannot copy the applet to " + applet);
        files_.push_back(applet);
        set_windows_version("control.exe", windows_);
        const ProcessResult r = run_program(system + "\\control.exe", {"RCPANEL48.CPL"}, 30000);
        set_windows_version("control.exe", "");
        outcome_.started = r.started;
        outcome_.start_report = r.report;
        outcome_.code = r.exit_code;
    }

    // An entry of the applet, called by a child copy of this program that
    // sees the example's Windows version.
    void run_entry(const std::string& line) {
        set_windows_version(self_name(), windows_);
        SetEnvironmentVariableA(CALL_VARIABLE, line.c_str());
        const ProcessResult r = run_program(self_path(), {"--gtest_filter=GuideCall.Entry"}, 60000);
        SetEnvironmentVariableA(CALL_VARIABLE, nullptr);
        set_windows_version(self_name(), "");
        outcome_.started = r.started;
        outcome_.start_report = r.report;
        outcome_.code = r.exit_code;
        size_t start = 0;
        while (start < r.output.size()) {
            size_t end = r.output.find('\n', start);
            if (end == std::string::npos) end = r.output.size();
            std::string report = trim(r.output.substr(start, end - start));
            start = end + 1;
            if (!starts_with(report, CALL_MARK)) continue;
            report = report.substr(sizeof CALL_MARK - 1);
            const size_t blank = report.find(' ');
            std::string text;
            if (blank == std::string::npos || !quoted(report.substr(blank + 1), &text)) continue;
            const std::string kind = report.substr(0, blank);
            if (kind == "message") outcome_.messages.push_back(text);
            if (kind == "dialog") outcome_.dialogs.push_back(text);
            if (kind == "status") outcome_.status = text;
            if (kind == "error") fail("the call: " + text);
        }
    }

    void expect(const std::string& line) {
        std::string text;
        unsigned long n = 0;
        if (starts_with(line, "output ")) {
            has_output_ = true;
            if (!quoted(line.substr(7), &text)) return fail("output is a quoted text: " + line);
            if (outcome_.output != text)
                fail("output: expected " + escaped(text) + ", got " + escaped(outcome_.output));
        } else if (starts_with(line, "exit ")) {
            has_exit_ = true;
            if (!number(line.substr(5), &n)) return fail("exit is a number: " + line);
            shown_->exit_codes.insert(n);
            if (outcome_.code != n)
                fail("exit code: expected " + std::to_string(n) + ", got " +
                     std::to_string(outcome_.code));
        } else if (starts_with(line, "returns ")) {
            has_returns_ = true;
            if (!number(line.substr(8), &n)) return fail("returns a number: " + line);
            if (call_ == "CMConfigure") shown_->cm_statuses.insert(n);
            if (outcome_.code != n) {
                char got[16];
                std::snprintf(got, sizeof got, "0x%lX", static_cast<unsigned long>(outcome_.code));
                fail("returned: expected " + line.substr(8) + ", got " + got);
            }
        } else if (starts_with(line, "status ")) {
            has_status_ = true;
            if (!quoted(line.substr(7), &text)) return fail("status is a quoted text: " + line);
            shown_->tarvo_statuses.insert(text);
            if (outcome_.status != text)
                fail("status: expected " + escaped(text) + ", got " + escaped(outcome_.status));
        } else if (starts_with(line, "message ")) {
            if (!quoted(line.substr(8), &text)) return fail("message is a quoted text: " + line);
            messages_.push_back(text);
        } else if (starts_with(line, "dialog ")) {
            if (!quoted(line.substr(7), &text)) return fail("dialog is a quoted text: " + line);
            dialogs_.push_back(text);
        } else if (starts_with(line, "then ")) {
            then(line.substr(5));
        } else {
            fail("not a line of an example: " + line);
        }
    }

    void then(const std::string& what) {
        std::string text;
        std::string path;
        if (starts_with(what, "atom ") || starts_with(what, "no atom ")) {
            const bool present = starts_with(what, "atom ");
            if (!quoted(what.substr(present ? 5 : 8), &text)) return fail("an atom is quoted");
            if (present) shown_->atoms.insert(text);
            if (atom_exists(text) != present)
                fail("atom " + escaped(text) + (present ? " missing" : " present"));
        } else if (starts_with(what, "file ") || starts_with(what, "no file ")) {
            const bool present = starts_with(what, "file ");
            if (!system_file(what.substr(present ? 5 : 8), &path)) return;
            const bool there = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
            if (there != present) fail(path + (present ? " missing" : " still there"));
        } else if (starts_with(what, "no key [") && what.back() == ']') {
            if (!key_path(what.substr(8, what.size() - 9), &path)) return;
            if (reg_has_key(path)) fail("the key " + path + " exists");
        } else if (starts_with(what, "card record ")) {
            then_card_record(what.substr(12));
        } else if (starts_with(what, "[")) {
            RegistryValue value;
            if (!registry_value(what, &value)) return;
            DWORD type = 0;
            std::vector<BYTE> data;
            const bool there = reg_get_value(value.key, value.name, &type, &data);
            if (value.kind == RegistryValue::ABSENT) {
                if (there) fail(value.name + " is there: " + reg_get_string(value.key, value.name));
            } else if (value.kind == RegistryValue::TEXT) {
                const std::string got = reg_get_string(value.key, value.name);
                if (got != value.text)
                    fail(value.name + ": expected " + escaped(value.text) + ", got " +
                         escaped(got));
            } else {
                const int64_t got = reg_get_dword(value.key, value.name);
                if (got != static_cast<int64_t>(value.dword))
                    fail(value.name + ": expected dword " + std::to_string(value.dword) + ", got " +
                         (got < 0 ? reg_get_string(value.key, value.name) : std::to_string(got)));
            }
        } else {
            fail("not a then line: then " + what);
        }
    }

    // 0xNNNN = WORD WORD... (data words, hex), = "text" (the data words as
    // bytes, low byte first), or = - (not stored).
    void then_card_record(const std::string& what) {
        const size_t equals = what.find(" = ");
        unsigned long id = 0;
        if (equals == std::string::npos || !number(what.substr(0, equals), &id))
            return fail("card record 0xNNNN = ...: " + what);
        if (card_device_.empty()) return fail("no given card");
        const std::string want = what.substr(equals + 3);
        std::vector<uint16_t> data;
        const int length = simcard_read_record(card_device_, static_cast<uint16_t>(id), &data);
        std::string got_words, got_text;
        for (uint16_t w : data) {
            char word[8];
            std::snprintf(word, sizeof word, "%s%04X", got_words.empty() ? "" : " ", w);
            got_words += word;
            got_text += static_cast<char>(w & 0xFF);
            got_text += static_cast<char>(w >> 8);
        }
        std::string text;
        if (want == "-") {
            if (length >= 0) fail("card record " + what.substr(0, equals) + " = " + got_words);
        } else if (quoted(want, &text)) {
            if (length < 0 || got_text != text)
                fail("card record " + what.substr(0, equals) + ": expected " + escaped(text) +
                     ", got " + (length < 0 ? "none" : escaped(got_text)));
        } else if (length < 0 || got_words != want) {
            fail("card record " + what.substr(0, equals) + ": expected " + want + ", got " +
                 (length < 0 ? "none" : got_words));
        }
    }

    const Example& example_;
    Shown* shown_;
    int line_ = 0;
    std::string windows_ = "winxp";
    std::string instance_;
    int adapters_ = 0;
    bool card_started_ = false;
    std::string card_device_;
    std::vector<std::string> files_;
    bool called_ = false;
    std::string call_;
    Outcome outcome_;
    bool has_output_ = false, has_exit_ = false, has_returns_ = false, has_status_ = false;
    std::vector<std::string> messages_, dialogs_;
};

// ---- the child's entry call ----

typedef DWORD(WINAPI* CmConfigureFn)(DWORD);
struct TarvoTexts {
    const char* first;
    const char* second;
};
typedef DWORD(WINAPI* TarvoConfigureFn)(DWORD, const TarvoTexts*, const char**);

void report(const char* kind, const std::string& text) {
    std::printf("%s%s %s\n", CALL_MARK, kind, escaped(text).c_str());
    std::fflush(stdout);
}

// CMConfigure(WORD) or TarvoConfigure(VERSION, "TEXT", "TEXT"); the child
// ends with what the call returned as its exit code.
DWORD entry_call(const std::string& line, HMODULE applet) {
    const size_t open = line.find('(');
    const std::string name = line.substr(0, open);
    std::string inside = line.substr(open + 1);
    if (inside.empty() || inside.back() != ')') {
        report("error", "not a call: " + line);
        return 0xDEAD;
    }
    inside.pop_back();
    std::vector<std::string> arguments;
    size_t at = 0;
    for (;;) {
        while (at < inside.size() && inside[at] == ' ') ++at;
        std::string argument;
        if (at < inside.size() && inside[at] == '"') {
            if (!read_quoted(inside, &at, &argument)) break;
            argument = "\"" + argument;  // marks a text
        } else {
            const size_t comma = std::min(inside.find(',', at), inside.size());
            argument = trim(inside.substr(at, comma - at));
            at = comma;
        }
        arguments.push_back(argument);
        while (at < inside.size() && inside[at] == ' ') ++at;
        if (at >= inside.size()) break;
        if (inside[at] != ',') break;
        ++at;
    }
    unsigned long word = 0;
    if (name == "CMConfigure" && arguments.size() == 1 && number(arguments[0], &word)) {
        auto call = reinterpret_cast<CmConfigureFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(applet, "CMConfigure")));
        if (call) return call(word);
    }
    if (name == "TarvoConfigure" && arguments.size() == 3 && number(arguments[0], &word) &&
        starts_with(arguments[1], "\"") && starts_with(arguments[2], "\"")) {
        auto call = reinterpret_cast<TarvoConfigureFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(applet, "TarvoConfigure")));
        const std::string first = arguments[1].substr(1), second = arguments[2].substr(1);
        const TarvoTexts texts{first.c_str(), second.c_str()};
        const char* status = nullptr;
        if (call) {
            const DWORD result = call(word, &texts, &status);
            if (status) report("status", status);
            return result;
        }
    }
    report("error", "not a call this guide makes: " + line);
    return 0xDEAD;
}

// In the child only: makes the call on a thread of its own while this one
// answers what the applet shows: each message box with OK, the profile dialog
// with Cancel (a user who looked and closed it).
TEST(GuideCall, Entry) {
    char line[512];
    const DWORD n = GetEnvironmentVariableA(CALL_VARIABLE, line, sizeof line);
    if (n == 0 || n >= sizeof line) GTEST_SKIP() << "the child of an entry call";
    HMODULE applet = LoadLibraryA((dist_dir() + "\\RCPANEL48.CPL").c_str());
    if (!applet) {
        report("error", "cannot load " + dist_dir() + "\\RCPANEL48.CPL");
        std::exit(0xDEAD);
    }
    volatile bool done = false;
    DWORD result = 0;
    std::thread caller([&] {
        result = entry_call(std::string(line, n), applet);
        done = true;
    });
    const DWORD start = GetTickCount();
    while (!done && GetTickCount() - start < 30000) {
        if (HWND box = wait_for_message_box(0)) {
            report("message", message_box_text(box));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            wait_until_gone(box, 5000);
        } else if (HWND dialog = wait_for_window(PROFILES_TITLE, 0)) {
            report("dialog", PROFILES_TITLE);
            press(dialog, IDCANCEL);
            wait_until_gone(dialog, 5000);
        }
        pump_for(20);
    }
    if (!done) {
        report("error", "the call did not return");
        std::fflush(stdout);
        ExitProcess(0xDEAD);
    }
    caller.join();
    FreeLibrary(applet);
    std::fflush(stdout);
    ExitProcess(result);
}

// ---- the guide ----

class GuideExamples : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetEnvironmentVariableA(CALL_VARIABLE, nullptr, 0) > 0) GTEST_SKIP();
        guide_ = read_guide(guide_path());
        ASSERT_TRUE(guide_.read) << "RC_GUIDE: " << guide_path();
        std::string error;
        simcard_service_stop(SERVICE, &error);
    }
    Guide guide_;
};

TEST_F(GuideExamples, EveryExampleDoesWhatItSays) {
    ASSERT_FALSE(guide_.examples.empty());
    Shown shown;
    for (const Example& example : guide_.examples) ExampleRun(example, &shown).run();

    // The guide shows every command, exit code, status and atom at work.
    for (const char* command : {"#", "@", "D", "E", "e", "H", "K", "M", "R", "V", "W"})
        EXPECT_EQ(shown.commands.count(command), 1u) << "no example of RCTOOL48 " << command;
    const unsigned long exit_codes[] = {
        EXIT_OK,
        EXIT_NO_COMMAND,
        EXIT_NO_ADAPTER,
        EXIT_STORE_FAILED,
        EXIT_BAD_ARGUMENTS,
        EXIT_WRONG_RELEASE,
        EXIT_NO_DRIVER,
        EXIT_REFUSED,
        EXIT_CLIENT_MANAGER_ABSENT,
        EXIT_CLIENT_MANAGER_PRESENT,
        EXIT_DRIVER_ENABLE_BASE,
        EXIT_DRIVER_ENABLE_BASE + 1,
        EXIT_MORE_ADAPTERS,
        EXIT_ONE_ADAPTER,
    };
    for (unsigned long code : exit_codes)
        EXPECT_EQ(shown.exit_codes.count(code), 1u) << "no example ends with " << code;
    for (unsigned long status : {CPL_STATUS_OK, CPL_STATUS_BAD_COMMAND, CPL_STATUS_NO_ADAPTER,
                                 CPL_STATUS_BAD_PROFILE, CPL_STATUS_WRONG_DRIVER})
        EXPECT_EQ(shown.cm_statuses.count(status), 1u)
            << "no CMConfigure example returns " << status;
    for (const char* status : {"STATUS_SUCCESSFUL", "STATUS_USERCANCEL", "STATUS_FAILED"})
        EXPECT_EQ(shown.tarvo_statuses.count(status), 1u) << "no TarvoConfigure gives " << status;
    for (const char* atom : ATOMS) EXPECT_EQ(shown.atoms.count(atom), 1u) << "no atom " << atom;
    EXPECT_EQ(shown.calls.count("control"), 1u) << "no example of the mailbox";
}

// A run shown in a block not tagged as an example would go unchecked.
TEST_F(GuideExamples, EveryRunShownIsAnExample) {
    for (int line : guide_.untagged_runs)
        ADD_FAILURE() << "docs/installer-guide.md:" << line
                      << ": a command line in a block that is not an example";
}

}  // namespace
