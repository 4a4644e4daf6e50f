// Where the property sheet opens: at the position remembered in X_POS and
// Y_POS when the window fits there, else centred on the desktop.
#pragma once
#include <cstdint>

struct WindowPosition {
    int32_t x;
    int32_t y;
    int centred;  // 1 when the saved position did not fit
};

// Keeps (saved_x, saved_y) when the window's right and bottom edges stay
// within the desktop's; otherwise centres it, halves truncated toward zero.
// A negative saved coordinate never fits.
WindowPosition sheet_window_position(int32_t saved_x, int32_t saved_y, int32_t width,
                                     int32_t height, int32_t desktop_right, int32_t desktop_bottom);

// The position to move the sheet to, from window_x / window_y, first read
// from X_POS / Y_POS (unchanged when missing) when read_saved is set. A
// centred position is remembered in memory only.
WindowPosition place_sheet_window(int read_saved, int32_t width, int32_t height,
                                  int32_t desktop_right, int32_t desktop_bottom);

// Remembers a window's top-left corner and writes it as X_POS and Y_POS.
void save_dialog_position(int32_t x, int32_t y);
