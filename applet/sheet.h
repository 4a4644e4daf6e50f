// The property sheet's composition: which pages the current profile gets, and
// the caption that names the profile.
#pragma once
#include <cstdint>

struct SheetPage {
    uint16_t dialog_id;
    uint16_t title_id;
};

enum : unsigned {
    SHEET_PAGE_MAX = 5,
    SHEET_CAPTION_SIZE = 256,
};

// The pages, in order, for the current profile's network type, SoftexPcmcia
// and the Windows version. Returns how many (0 to 5).
unsigned sheet_pages(SheetPage pages[SHEET_PAGE_MAX]);

// The caption rule: current (the sheet's caption) cut before any "[", then
// " [" + the current profile's name + "]", into out (cut to fit, always
// terminated). A current_profile outside 1 to 4 becomes 1 first.
void sheet_caption(const char* current, char* out, unsigned size);
