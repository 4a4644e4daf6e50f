// The co-installer's host over the wide-character Win32 calls, and the window
// enumeration callback that RCCOINST48.DLL exports as _EnumWindowsProc@8.
#pragma once
#include <windows.h>

#include "coinstaller_host.h"

CoinstallerHost& win32_coinstaller_host();

extern "C" BOOL CALLBACK EnumWindowsProc(HWND window, LPARAM unused);
