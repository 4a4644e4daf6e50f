// Driving real dialogs from a test: finding windows, reading their controls,
// pressing buttons, answering message boxes, taking screenshots. The dialogs
// run on another thread (a modal loop of their own); every wait here pumps
// this thread's messages, so a window of the test (the help stand-in) answers.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A visible top-level window of this process with exactly this title, waited
// for up to timeout_ms; null when none came.
HWND wait_for_window(const std::string& title, DWORD timeout_ms = 10000);
// Waits until the window is gone (or timeout_ms passed); true when gone.
bool wait_until_gone(HWND window, DWORD timeout_ms = 10000);
// A message box (#32770 with a static 0xFFFF) of this process, waited for up
// to timeout_ms.
HWND wait_for_message_box(DWORD timeout_ms = 10000);
// Pumps this thread's messages for a while.
void pump_for(DWORD milliseconds);

std::string window_text(HWND window);
std::string item_text(HWND dialog, int id);
bool item_enabled(HWND dialog, int id);
bool item_visible(HWND dialog, int id);
bool item_checked(HWND dialog, int id);
// The texts of a combo box's entries, and the selected one's index.
std::vector<std::string> combo_items(HWND dialog, int id);
int combo_selection(HWND dialog, int id);
// The text of a message box.
std::string message_box_text(HWND box);

// Types text into an edit control as the keyboard would: WM_KEYDOWN, WM_CHAR
// and WM_KEYUP for each character (sent: the control's replacement procedure
// handles each before the next).
void type_text(HWND dialog, int id, const std::string& text);
// Empties an edit control (WM_SETTEXT, no keystrokes).
void clear_text(HWND dialog, int id);

// Presses a button as a click would (posted: the press may open a modal
// window, which a sent message would wait for).
void press(HWND dialog, int id);
// A property sheet's current page and its tab titles.
HWND sheet_page(HWND sheet);
// Shows the sheet's page `index` as a click on its tab would, and returns it.
// When the page being left refuses with a message box, the box is answered
// with OK, its text goes to *refusal (when given) and the result is null.
HWND select_page(HWND sheet, int index, std::string* refusal = nullptr);
std::vector<std::string> sheet_tabs(HWND sheet);
// Presses a property sheet button (PSBTN_OK, PSBTN_CANCEL, PSBTN_HELP).
void press_sheet_button(HWND sheet, int button);

// Writes what the screen shows of the window to a 24-bit BMP file.
bool save_screenshot(HWND window, const std::string& path);

// A stand-in for the help viewer: a window of class "MS_WINHELP" on this
// thread that records WinHelp's requests (WM_COPYDATA).
struct HelpRequest {
    UINT command;
    DWORD_PTR data;
    std::string file;
};
class HelpStandIn {
public:
    HelpStandIn();
    ~HelpStandIn();
    const std::vector<HelpRequest>& requests() const;
    void clear();

private:
    HWND window_;
};
