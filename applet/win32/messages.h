// Message boxes whose text and caption come from the applet's string table.
#pragma once
#include <windows.h>

#include "view.h"

enum : unsigned {
    MESSAGE_CAPTION_SIZE = 256,
    MESSAGE_TEXT_SIZE = 512,
};

// The MessageBoxA style of a kind of box (always set to the foreground).
UINT message_style(MessageKind kind);

// Loads the caption and the text (an id without a string gives the empty
// text: the captions have none, so the boxes show an empty title) and shows
// the box. The text is shown as it stands: no message of the applet has
// format arguments, so a '%' in one is no format. Returns the box's answer,
// 0 when it could not be shown.
int show_message(HINSTANCE module, UINT text_id, HWND owner, UINT caption_id, UINT style);

// A box with a text composed by the caller and a caption from the table.
int show_message_text(HINSTANCE module, const char* text, HWND owner, UINT caption_id, UINT style);
