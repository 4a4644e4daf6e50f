// The property pages' procedures by template. A page without rules of its
// own yet shows its template and answers only what every page answers.
#include "page_procs.h"

#include <commctrl.h>
#include <prsht.h>

#include "resource.h"

BOOL page_common(HWND, UINT message, LPARAM lparam) {
    if (message != WM_NOTIFY || !lparam) return FALSE;
    if (reinterpret_cast<const NMHDR*>(lparam)->code == PSN_RESET) sheet_page_reset();
    return FALSE;
}

namespace {

INT_PTR CALLBACK template_page_proc(HWND page, UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_INITDIALOG) return TRUE;
    return page_common(page, message, lparam);
}

}  // namespace

DLGPROC page_proc(unsigned dialog_id) {
    switch (dialog_id) {
    case IDD_BASIC: return basic_page_proc;
    case IDD_ENCRYPTION: return encryption_page_proc;
    case IDD_ADVANCED: return advanced_page_proc;
    case IDD_ADMIN: return admin_page_proc;
    case IDD_ADAPTER: return adapter_page_proc;
    default: return template_page_proc;
    }
}
