// The applet's windows among the top-level windows: its profile dialog ("Add/
// Edit Configuration Profile") and its property sheet ("Edit Configuration"
// and the profile's name) both hold the text. Any window with it counts,
// whichever process shows it.
#include "coinstaller.h"
#include "text_search.h"

const char APPLET_WINDOW_TEXT[] = "Edit Configuration";

bool window_seen;

int window_test(CoinstallerHost& host, void* window) {
    WideChar title[TITLE_CAPACITY];
    const uint32_t n = host.window_text(window, title, TITLE_CAPACITY);
    title[n < TITLE_CAPACITY ? n : TITLE_CAPACITY - 1] = 0;
    if (contains_text(title, APPLET_WINDOW_TEXT)) window_seen = true;
    return 1;
}

bool applet_window_shown(CoinstallerHost& host) {
    window_seen = false;
    host.enumerate_windows();
    return window_seen;
}
