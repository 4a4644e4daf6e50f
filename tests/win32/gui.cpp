#include "gui.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>

namespace {

struct FindTitle {
    const std::string* title;
    HWND found;
};

BOOL CALLBACK find_title(HWND window, LPARAM data) {
    auto* find = reinterpret_cast<FindTitle*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    if (window_text(window) != *find->title) return TRUE;
    find->found = window;
    return FALSE;
}

BOOL CALLBACK find_box(HWND window, LPARAM data) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    char name[16];
    if (!GetClassNameA(window, name, sizeof name) || std::string(name) != "#32770") return TRUE;
    // The box's text is a static with id 0xFFFF (a dialog's unnamed group
    // box has that id too, but is a button).
    HWND text = GetDlgItem(window, 0xFFFF);
    char kind[16];
    if (!text || !GetClassNameA(text, kind, sizeof kind) || lstrcmpiA(kind, "Static") != 0)
        return TRUE;
    // A message box owns no dialog controls of the applet (a button id 1 or
    // 2 it may have; nothing above).
    if (GetDlgItem(window, 2100) || GetDlgItem(window, 1005)) return TRUE;
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
}

template <typename Find>
HWND wait_for(DWORD timeout_ms, Find find) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND found = find();
        if (found) return found;
        if (GetTickCount() - start >= timeout_ms) return nullptr;
        pump_for(20);
    }
}

std::vector<HelpRequest> help_requests;

LRESULT CALLBACK help_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA) {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        // WinHelp's block: size, command, data, reserved, then the offsets of
        // the file name and of any extra data.
        struct Block {
            WORD size, command;
            LONG data;
            LONG reserved;
            WORD file_offset, data_offset;
        };
        if (copy && copy->dwData == 0xA1DE505 && copy->cbData >= sizeof(Block)) {
            const auto* block = static_cast<const Block*>(copy->lpData);
            HelpRequest request{block->command, static_cast<DWORD_PTR>(block->data), ""};
            if (block->file_offset && block->file_offset < copy->cbData)
                request.file = reinterpret_cast<const char*>(copy->lpData) + block->file_offset;
            help_requests.push_back(request);
        }
        return TRUE;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

void pump_for(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

HWND wait_for_window(const std::string& title, DWORD timeout_ms) {
    return wait_for(timeout_ms, [&] {
        FindTitle find{&title, nullptr};
        EnumWindows(find_title, reinterpret_cast<LPARAM>(&find));
        return find.found;
    });
}

bool wait_until_gone(HWND window, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= timeout_ms) return false;
        pump_for(20);
    }
    return true;
}

HWND wait_for_message_box(DWORD timeout_ms) {
    return wait_for(timeout_ms, [] {
        HWND found = nullptr;
        EnumWindows(find_box, reinterpret_cast<LPARAM>(&found));
        return found;
    });
}

std::string window_text(HWND window) {
    char text[1024];
    if (!window) return "<no window>";
    const int n = GetWindowTextA(window, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

std::string item_text(HWND dialog, int id) { return window_text(GetDlgItem(dialog, id)); }

bool item_enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

bool item_visible(HWND dialog, int id) {
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool item_checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

std::vector<std::string> combo_items(HWND dialog, int id) {
    HWND combo = GetDlgItem(dialog, id);
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[256];
        const LRESULT n = SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(n > 0 ? std::string(text, n) : std::string());
    }
    return items;
}

int combo_selection(HWND dialog, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

std::string message_box_text(HWND box) { return item_text(box, 0xFFFF); }

void type_text(HWND dialog, int id, const std::string& text) {
    HWND edit = GetDlgItem(dialog, id);
    for (char c : text) {
        const SHORT scan = VkKeyScanA(c);
        const WPARAM key = scan == -1 ? 0 : LOBYTE(scan);
        SendMessageA(edit, WM_KEYDOWN, key, 1);
        SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
        SendMessageA(edit, WM_KEYUP, key, 0xC0000001);
    }
}

void clear_text(HWND dialog, int id) { SetDlgItemTextA(dialog, id, ""); }

void press(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

HWND sheet_page(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

HWND select_page(HWND sheet, int index, std::string* refusal) {
    // With a time limit: a refusing page's modal box would hold a plain
    // SendMessage until someone answered it.
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(sheet, PSM_SETCURSEL, index, 0, SMTO_NORMAL, 3000, &result))
        return sheet_page(sheet);
    HWND box = wait_for_message_box(2000);
    if (refusal) *refusal = box ? message_box_text(box) : "<no answer and no message box>";
    if (box) {
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        wait_until_gone(box);
    }
    return nullptr;
}

std::vector<std::string> sheet_tabs(HWND sheet) {
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    std::vector<std::string> names;
    const LRESULT count = SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[128] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        names.push_back(text);
    }
    return names;
}

void press_sheet_button(HWND sheet, int button) {
    // Posted, then a WM_NULL: a sent PSM_PRESSBUTTON can hang in the modal loop.
    PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
    PostMessageA(sheet, WM_NULL, 0, 0);
}

bool save_screenshot(HWND window, const std::string& path) {
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
        const DWORD row = ((width * 3 + 3) / 4) * 4, size = row * height;
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + size;
        if (FILE* out = std::fopen(path.c_str(), "wb")) {
            ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                 std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                 std::fwrite(bits, size, 1, out) == 1;
            std::fclose(out);
        }
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

HelpStandIn::HelpStandIn() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = help_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MS_WINHELP";
    RegisterClassA(&wc);
    window_ = CreateWindowA("MS_WINHELP", "help stand-in", 0, 0, 0, 0, 0, nullptr, nullptr,
                            wc.hInstance, nullptr);
    help_requests.clear();
}

HelpStandIn::~HelpStandIn() {
    if (window_) DestroyWindow(window_);
    help_requests.clear();
}

const std::vector<HelpRequest>& HelpStandIn::requests() const { return help_requests; }

void HelpStandIn::clear() { help_requests.clear(); }
