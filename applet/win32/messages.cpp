#include "messages.h"

UINT message_style(MessageKind kind) {
    switch (kind) {
    case MESSAGE_QUESTION_OK: return MB_ICONQUESTION | MB_OK | MB_SETFOREGROUND;
    case MESSAGE_QUESTION_YES_NO: return MB_ICONQUESTION | MB_YESNO | MB_SETFOREGROUND;
    case MESSAGE_WARNING:
    default: return MB_ICONWARNING | MB_OK | MB_SETFOREGROUND;
    }
}

namespace {

// Both buffers start empty, so a string that does not load leaves no junk.
void load(HINSTANCE module, UINT id, char* buffer, int size) {
    buffer[0] = '\0';
    if (LoadStringA(module, id, buffer, size) <= 0) buffer[0] = '\0';
    buffer[size - 1] = '\0';
}

}  // namespace

int show_message(HINSTANCE module, UINT text_id, HWND owner, UINT caption_id, UINT style) {
    char text[MESSAGE_TEXT_SIZE];
    load(module, text_id, text, sizeof text);
    return show_message_text(module, text, owner, caption_id, style);
}

int show_message_text(HINSTANCE module, const char* text, HWND owner, UINT caption_id, UINT style) {
    char caption[MESSAGE_CAPTION_SIZE];
    load(module, caption_id, caption, sizeof caption);
    return MessageBoxA(owner, text ? text : "", caption, style);
}
