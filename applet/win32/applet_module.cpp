// The applet's own module reference and the host of its runs.
#include "applet_module.h"

#include <commctrl.h>

#include "dialogs.h"
#include "messages.h"
#include "resource.h"

HINSTANCE applet_instance;
HMODULE applet_module;
HWND parent_window;

HINSTANCE resource_module() { return applet_module ? applet_module : applet_instance; }

namespace {

class Win32Host : public AppletHost {
public:
    void acquire_module() override {
        // The sheet's tab control and the other common controls (the first
        // version's call: Windows 95 has no InitCommonControlsEx).
        InitCommonControls();
        if (applet_module) return;
        // By the file's own path: an applet loaded from another folder or
        // under another name still finds itself.
        char path[MAX_PATH + 1];
        const DWORD n = GetModuleFileNameA(applet_instance, path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return;
        path[n] = '\0';
        applet_module = LoadLibraryA(path);
    }

    void release_module() override {
        if (!applet_module) return;
        FreeLibrary(applet_module);
        applet_module = nullptr;
    }

    int run_profile_dialog() override {
        return static_cast<int>(DialogBoxParamA(resource_module(), MAKEINTRESOURCEA(IDD_PROFILES),
                                                parent_window, profile_dialog_proc, 0));
    }

    int run_property_sheet(bool* cancelled) override {
        return run_sheet(parent_window, resource_module(), cancelled);
    }

    MessageAnswer message(uint16_t text_id, uint16_t caption_id, MessageKind kind) override {
        return static_cast<MessageAnswer>(show_message(resource_module(), text_id, parent_window,
                                                       caption_id, message_style(kind)));
    }
};

Win32Host host;

}  // namespace

AppletHost& win32_host() { return host; }
