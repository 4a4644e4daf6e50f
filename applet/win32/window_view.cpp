#include "window_view.h"

#include <commctrl.h>
#include <prsht.h>

#include "applet_module.h"
#include "help.h"
#include "messages.h"
#include "window_position.h"

unsigned WindowView::get_text(int id, char* buffer, unsigned size) {
    if (!buffer || size == 0) return 0;
    buffer[0] = '\0';
    const UINT n = GetDlgItemTextA(window_, id, buffer, static_cast<int>(size));
    buffer[size - 1] = '\0';
    return n < size ? n : size - 1;
}

void WindowView::set_text(int id, const char* text) { SetDlgItemTextA(window_, id, text); }

bool WindowView::is_checked(int id) { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }

void WindowView::set_check(int id, bool checked) {
    // Sent to the control, so that its replacement procedure sees it.
    SendMessageA(item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void WindowView::enable(int id, bool enabled) { EnableWindow(item(id), enabled ? TRUE : FALSE); }

void WindowView::show(int id, bool shown) { ShowWindow(item(id), shown ? SW_SHOW : SW_HIDE); }

void WindowView::limit_text(int id, unsigned characters) {
    SendMessageA(item(id), EM_LIMITTEXT, characters, 0);
}

void WindowView::list_clear(int id) { SendMessageA(item(id), CB_RESETCONTENT, 0, 0); }

void WindowView::list_add(int id, const char* text) {
    SendMessageA(item(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

int WindowView::list_selection(int id) {
    const LRESULT selected = SendMessageA(item(id), CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

void WindowView::list_select(int id, int index) {
    SendMessageA(item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

unsigned WindowView::load_string(uint16_t id, char* buffer, unsigned size) {
    if (!buffer || size == 0) return 0;
    buffer[0] = '\0';
    const int n = LoadStringA(resource_module(), id, buffer, static_cast<int>(size));
    buffer[size - 1] = '\0';
    if (n <= 0) {
        buffer[0] = '\0';
        return 0;
    }
    return static_cast<unsigned>(n) < size ? static_cast<unsigned>(n) : size - 1;
}

MessageAnswer WindowView::message(uint16_t text_id, uint16_t caption_id, MessageKind kind,
                                  bool owned) {
    return static_cast<MessageAnswer>(show_message(
        resource_module(), text_id, owned ? window_ : nullptr, caption_id, message_style(kind)));
}

MessageAnswer WindowView::message_text(const char* text, uint16_t caption_id, MessageKind kind,
                                       bool owned) {
    return static_cast<MessageAnswer>(show_message_text(
        resource_module(), text, owned ? window_ : nullptr, caption_id, message_style(kind)));
}

void WindowView::beep() { MessageBeep(0xFFFFFFFF); }

void WindowView::changed() { PropSheet_Changed(GetParent(window_), window_); }

void WindowView::help(uint32_t topic) { open_help_topic(window_, topic); }

void WindowView::end_dialog(int result) { EndDialog(window_, result); }

void WindowView::save_position() {
    RECT r;
    if (GetWindowRect(position_, &r)) save_dialog_position(r.left, r.top);
}
