// What the applet's logic asks of the window it works on: the controls of one
// dialog or property page by id, message boxes from the string table, help,
// the end of a dialog. applet/win32 implements it over a real window; native
// tests implement it with a fake that records what the logic did.
#pragma once
#include <cstdint>

// Message box kinds the applet shows (icon and buttons; every box is set to
// the foreground).
enum MessageKind {
    MESSAGE_WARNING,      // warning icon, OK
    MESSAGE_QUESTION_OK,  // question icon, OK
    MESSAGE_QUESTION_YES_NO,
};

// Answers of a message box.
enum MessageAnswer {
    ANSWER_NONE = 0,  // the box could not be shown
    ANSWER_OK = 1,
    ANSWER_YES = 6,
    ANSWER_NO = 7,
};

class View {
public:
    // The control's text into buffer (size bytes, always terminated, cut to
    // fit). Returns the number of characters copied.
    virtual unsigned get_text(int id, char* buffer, unsigned size) = 0;
    virtual void set_text(int id, const char* text) = 0;
    // A check box's or radio button's state.
    virtual bool is_checked(int id) = 0;
    // Sets it as the user's click would: through the control's own
    // procedure, so that what watches the control sees it.
    virtual void set_check(int id, bool checked) = 0;
    virtual void enable(int id, bool enabled) = 0;
    virtual void show(int id, bool shown) = 0;
    // Longest text, in characters, the user can type into an edit.
    virtual void limit_text(int id, unsigned characters) = 0;

    // Drop-down lists.
    virtual void list_clear(int id) = 0;
    virtual void list_add(int id, const char* text) = 0;
    // The selected entry, or -1 with none.
    virtual int list_selection(int id) = 0;
    virtual void list_select(int id, int index) = 0;

    // A string of the applet's string table into buffer (always terminated);
    // 0 when there is no such string (buffer then empty).
    virtual unsigned load_string(uint16_t id, char* buffer, unsigned size) = 0;
    // A message box with text and caption from the string table, owned by
    // this window when owned, else by no window.
    virtual MessageAnswer message(uint16_t text_id, uint16_t caption_id, MessageKind kind,
                                  bool owned) = 0;
    // The same with a text composed by the logic.
    virtual MessageAnswer message_text(const char* text, uint16_t caption_id, MessageKind kind,
                                       bool owned) = 0;
    virtual void beep() = 0;

    // Tells the property sheet that the page changed (PSM_CHANGED).
    virtual void changed() = 0;
    // Opens the help file at a topic (HELP_CONTEXT).
    virtual void help(uint32_t topic) = 0;
    // Ends a modal dialog with this result.
    virtual void end_dialog(int result) = 0;
    // Remembers the window's position for the next sheet (X_POS, Y_POS).
    virtual void save_position() = 0;

protected:
    ~View() = default;
};
