// A window-free stand-in for the applet's windows: a View that records what
// the logic did to each control and answers message boxes from a script, and
// an AppletHost whose profile dialog and property sheet are test code.
#pragma once
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host.h"
#include "network_types.h"
#include "profile_dialog.h"
#include "resource.h"
#include "store.h"
#include "view.h"

// A message box as the logic asked for it.
struct AskedMessage {
    uint16_t text_id;  // 0 for a composed text
    uint16_t caption_id;
    MessageKind kind;
    bool owned;
    std::string text;  // the composed text
};

// The string table as the applet's .rc holds it, as far as the logic reads it.
inline std::map<uint16_t, std::string> applet_strings() {
    std::map<uint16_t, std::string> strings;
    for (const NetworkType& type : network_types) strings[type.string_id] = type.text;
    strings[IDS_BASIC] = "Basic";
    strings[IDS_ADVANCED] = "Advanced";
    strings[IDS_ADMIN] = "Admin";
    strings[IDS_ENCRYPTION] = "Encryption";
    strings[IDS_ADAPTER] = "Adapter";
    strings[IDS_SHEET_CAPTION] = "Edit Configuration";
    return strings;
}

class FakeView : public View {
public:
    std::map<uint16_t, std::string> strings = applet_strings();
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    // Missing: never enabled or disabled, so enabled, as every control of
    // the templates starts.
    std::map<int, bool> enabled;
    std::map<int, bool> shown;
    std::map<int, unsigned> limits;
    std::map<int, std::vector<std::string>> lists;
    std::map<int, int> selections;

    std::vector<AskedMessage> messages;
    // Answers to the boxes, first asked first; when none is left, OK for OK
    // boxes and `default_answer` for Yes/No ones.
    std::deque<MessageAnswer> answers;
    MessageAnswer default_answer = ANSWER_NO;
    std::vector<uint32_t> help_topics;
    std::vector<int> end_results;
    int beeps = 0;
    int changes = 0;
    int positions_saved = 0;
    // The window's top-left corner, remembered by save_position.
    int32_t x = 40, y = 30;

    // What a control's replacement procedure sees of a set-check, before it
    // goes through.
    std::function<void(int id, bool checked)> on_set_check;

    // ---- View ----
    unsigned get_text(int id, char* buffer, unsigned size) override {
        if (size == 0) return 0;
        // A drop-down list's text is its selected entry's.
        std::string text = texts[id];
        auto list = lists.find(id);
        if (list != lists.end()) {
            const int sel = list_selection(id);
            text = sel >= 0 && sel < static_cast<int>(list->second.size()) ? list->second[sel] : "";
        }
        const unsigned n = std::min<size_t>(text.size(), size - 1);
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        return n;
    }
    void set_text(int id, const char* text) override { texts[id] = text; }
    bool is_checked(int id) override { return checks[id]; }
    void set_check(int id, bool checked) override {
        if (on_set_check) on_set_check(id, checked);
        checks[id] = checked;
    }
    void enable(int id, bool on) override { enabled[id] = on; }
    void show(int id, bool on) override { shown[id] = on; }
    void limit_text(int id, unsigned characters) override { limits[id] = characters; }
    void list_clear(int id) override {
        lists[id].clear();
        selections[id] = -1;
    }
    void list_add(int id, const char* text) override { lists[id].push_back(text); }
    int list_selection(int id) override {
        auto it = selections.find(id);
        return it == selections.end() ? -1 : it->second;
    }
    void list_select(int id, int index) override { selections[id] = index; }
    unsigned load_string(uint16_t id, char* buffer, unsigned size) override {
        if (size == 0) return 0;
        auto it = strings.find(id);
        const std::string text = it == strings.end() ? "" : it->second;
        const unsigned n = std::min<size_t>(text.size(), size - 1);
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        return n;
    }
    MessageAnswer message(uint16_t text_id, uint16_t caption_id, MessageKind kind,
                          bool owned) override {
        messages.push_back({text_id, caption_id, kind, owned, ""});
        return answer(kind);
    }
    MessageAnswer message_text(const char* text, uint16_t caption_id, MessageKind kind,
                               bool owned) override {
        messages.push_back({0, caption_id, kind, owned, text});
        return answer(kind);
    }
    void beep() override { ++beeps; }
    void changed() override { ++changes; }
    void help(uint32_t topic) override { help_topics.push_back(topic); }
    void end_dialog(int result) override { end_results.push_back(result); }
    void save_position() override {
        ++positions_saved;
        save_dialog_position(x, y);
    }

    // ---- what a test reads ----
    bool is_enabled(int id) const {
        auto it = enabled.find(id);
        return it == enabled.end() || it->second;
    }
    // The dialog's end, or 0 while it is still open.
    int result() const { return end_results.empty() ? 0 : end_results.back(); }
    std::vector<uint16_t> message_ids() const {
        std::vector<uint16_t> ids;
        for (const AskedMessage& m : messages) ids.push_back(m.text_id);
        return ids;
    }

private:
    MessageAnswer answer(MessageKind kind) {
        if (!answers.empty()) {
            MessageAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return kind == MESSAGE_QUESTION_YES_NO ? default_answer : ANSWER_OK;
    }
};

// The profile dialog over a fake window, with its selection buttons' replacement
// procedures in place, and the things a user does to it.
class FakeProfileDialog {
public:
    FakeView view;
    ProfileDialog dialog{view};

    FakeProfileDialog() {
        view.on_set_check = [this](int id, bool checked) {
            for (int row = 1; row <= 4; ++row)
                if (id == profile_select_id(row)) dialog.selection_set(row, checked);
        };
    }

    void open() { dialog.init(); }
    // A click on a row's selection button: the automatic radio button checks
    // itself and clears the others of its group.
    void select(int row) {
        for (int r = 1; r <= 4; ++r)
            if (r != row) view.checks[profile_select_id(r)] = false;
        view.set_check(profile_select_id(row), true);
    }
    // Types a name into a row's edit and leaves it.
    void type_name(int row, const std::string& name) {
        view.texts[profile_name_id(row)] = name;
        dialog.name_focus_lost(row);
    }
    // Opens a row's type list and picks an entry (the one shown: browsing
    // without a choice).
    void choose_type(int row, int index) {
        view.list_select(profile_type_id(row), index);
        dialog.type_list_command(row);
    }
    void press(int id) { dialog.command(id); }

    std::string name(int row) { return view.texts[profile_name_id(row)]; }
    int type_selection(int row) { return view.list_selection(profile_type_id(row)); }
    int checked_row() {
        int found = 0;
        for (int row = 1; row <= 4; ++row)
            if (view.checks[profile_select_id(row)]) found = found ? -1 : row;
        return found;
    }
};

// The run's windowed surroundings. Each profile dialog and each property sheet
// the run opens is a function of the test; unscripted ones are cancelled.
class FakeHost : public AppletHost {
public:
    // The n-th profile dialog of the run (from 0): its result.
    std::function<int(int n)> profile_dialog;
    // The n-th sheet: its result, *cancelled as the user left it.
    std::function<int(int n, bool* cancelled)> property_sheet;

    int acquired = 0;
    int released = 0;
    int dialogs = 0;
    int sheets = 0;
    std::vector<AskedMessage> messages;
    std::deque<MessageAnswer> answers;
    MessageAnswer default_answer = ANSWER_NO;

    void acquire_module() override { ++acquired; }
    void release_module() override { ++released; }
    int run_profile_dialog() override {
        const int n = dialogs++;
        return profile_dialog ? profile_dialog(n) : 2;
    }
    int run_property_sheet(bool* cancelled) override {
        const int n = sheets++;
        if (property_sheet) return property_sheet(n, cancelled);
        *cancelled = true;
        return 0;
    }
    MessageAnswer message(uint16_t text_id, uint16_t caption_id, MessageKind kind) override {
        messages.push_back({text_id, caption_id, kind, true, ""});
        if (!answers.empty()) {
            MessageAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return kind == MESSAGE_QUESTION_YES_NO ? default_answer : ANSWER_OK;
    }

    std::vector<uint16_t> message_ids() const {
        std::vector<uint16_t> ids;
        for (const AskedMessage& m : messages) ids.push_back(m.text_id);
        return ids;
    }
};

// A profile dialog the user works through `act` (after it opened); its end,
// or -1 when the user left it open (as if it could not be created).
inline int drive_profile_dialog(const std::function<void(FakeProfileDialog&)>& act) {
    FakeProfileDialog d;
    d.open();
    act(d);
    return d.view.end_results.empty() ? -1 : d.view.result();
}
