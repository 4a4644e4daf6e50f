// The applet's process-wide window state: its own module, the window that
// owns its dialogs, the host the runs go through.
#pragma once
#include <windows.h>

#include "host.h"

// The DLL's instance, as DllMain received it.
extern HINSTANCE applet_instance;
// The reference to the applet's own file every resource is loaded from; null
// while no entry holds it.
extern HMODULE applet_module;
// Owner of the applet's windows: the Control Panel's window, or the caller's
// active window for the installer entries.
extern HWND parent_window;

// The module every resource comes from: applet_module while held, else the
// instance itself.
HINSTANCE resource_module();

// The AppletHost over real windows.
AppletHost& win32_host();
