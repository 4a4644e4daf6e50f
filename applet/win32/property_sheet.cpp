// The property sheet for the current profile: its pages by network type, its
// caption and placement once the window exists, Help and no Apply button.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstring>

#include "dialogs.h"
#include "encryption.h"
#include "page_procs.h"
#include "page_record.h"
#include "resource.h"
#include "sheet.h"
#include "window_position.h"

namespace {

bool sheet_cancelled;

void name_the_sheet(HWND sheet) {
    char current[SHEET_CAPTION_SIZE];
    char caption[SHEET_CAPTION_SIZE];
    current[0] = '\0';
    GetWindowTextA(sheet, current, sizeof current);
    current[sizeof current - 1] = '\0';
    sheet_caption(current, caption, sizeof caption);
    SetWindowTextA(sheet, caption);
}

void place_the_sheet(HWND sheet) {
    RECT window;
    RECT desktop;
    if (!GetWindowRect(sheet, &window) || !GetWindowRect(GetDesktopWindow(), &desktop)) return;
    const WindowPosition position = place_sheet_window(
        1, window.right - window.left, window.bottom - window.top, desktop.right, desktop.bottom);
    SetWindowPos(sheet, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

int CALLBACK sheet_callback(HWND sheet, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED) {
        name_the_sheet(sheet);
        place_the_sheet(sheet);
    }
    return 0;
}

}  // namespace

void sheet_page_reset() { sheet_cancelled = true; }

int run_sheet(HWND owner, HINSTANCE module, bool* cancelled) {
    SheetPage pages[SHEET_PAGE_MAX];
    const unsigned count = sheet_pages(pages);
    // The sheet steps through its pages by each one's dwSize: they lie one
    // first-version structure (what Windows 95's sheet knows) after another,
    // whatever size these headers give the structure.
    // (The first version ends with a pointer, so each one stays aligned.)
    alignas(PROPSHEETPAGEA) unsigned char page_array[SHEET_PAGE_MAX * sizeof(PROPSHEETPAGEA)];
    std::memset(page_array, 0, sizeof page_array);
    for (unsigned i = 0; i < count; ++i) {
        PROPSHEETPAGEA page;
        std::memset(&page, 0, sizeof page);
        page.dwSize = PROPSHEETPAGEA_V1_SIZE;
        page.dwFlags = PSP_USETITLE | PSP_HASHELP;
        page.hInstance = module;
        page.pszTemplate = MAKEINTRESOURCEA(pages[i].dialog_id);
        page.pszTitle = MAKEINTRESOURCEA(pages[i].title_id);
        page.pfnDlgProc = page_proc(pages[i].dialog_id);
        page.lParam = reinterpret_cast<LPARAM>(&page_record);  // every page's parameter
        std::memcpy(page_array + i * PROPSHEETPAGEA_V1_SIZE, &page, PROPSHEETPAGEA_V1_SIZE);
    }
    PROPSHEETHEADERA header;
    std::memset(&header, 0, sizeof header);
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags =
        PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_HASHELP | PSH_NOAPPLYNOW | PSH_USEICONID;
    header.hwndParent = owner;
    header.hInstance = module;
    header.pszIcon = MAKEINTRESOURCEA(IDI_APPLET);
    header.pszCaption = MAKEINTRESOURCEA(IDS_SHEET_CAPTION);
    header.nPages = count;
    header.nStartPage = 0;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(page_array);
    header.pfnCallback = sheet_callback;

    sheet_cancelled = false;
    const INT_PTR result = PropertySheetA(&header);
    if (cancelled) *cancelled = sheet_cancelled;
    return static_cast<int>(result);
}
