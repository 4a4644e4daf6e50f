// The View over a real dialog or property page window.
#pragma once
#include <windows.h>

#include "view.h"

class WindowView : public View {
public:
    // window: the dialog or page; position_window: the window whose position
    // is remembered (the dialog itself, or a page's sheet).
    WindowView(HWND window, HWND position_window) : window_(window), position_(position_window) {}

    HWND window() const { return window_; }

    unsigned get_text(int id, char* buffer, unsigned size) override;
    void set_text(int id, const char* text) override;
    bool is_checked(int id) override;
    void set_check(int id, bool checked) override;
    void enable(int id, bool enabled) override;
    void show(int id, bool shown) override;
    void limit_text(int id, unsigned characters) override;
    void list_clear(int id) override;
    void list_add(int id, const char* text) override;
    int list_selection(int id) override;
    void list_select(int id, int index) override;
    unsigned load_string(uint16_t id, char* buffer, unsigned size) override;
    MessageAnswer message(uint16_t text_id, uint16_t caption_id, MessageKind kind,
                          bool owned) override;
    MessageAnswer message_text(const char* text, uint16_t caption_id, MessageKind kind,
                               bool owned) override;
    void beep() override;
    void changed() override;
    void help(uint32_t topic) override;
    void end_dialog(int result) override;
    void save_position() override;

private:
    HWND item(int id) const { return GetDlgItem(window_, id); }

    HWND window_;
    HWND position_;
};
