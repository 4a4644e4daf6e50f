// RCCOINST48.DLL's entries: the co-installer entry that the device installer
// calls, and LibMain, the image's entry point. The third export, the window
// enumeration callback, is in win32_host.cpp. SetupAPI's types end here.
#include <windows.h>

#include <setupapi.h>

#include "coinstaller.h"
#include "win32_host.h"

static_assert(COINST_DIF_REMOVE == DIF_REMOVE, "DI_FUNCTION code");
static_assert(COINST_DIF_NEWDEVICEWIZARD_FINISHINSTALL == DIF_NEWDEVICEWIZARD_FINISHINSTALL,
              "DI_FUNCTION code");
static_assert(COINST_NO_ERROR == NO_ERROR, "Win32 code");
static_assert(COINST_ERROR_DI_POSTPROCESSING_REQUIRED == ERROR_DI_POSTPROCESSING_REQUIRED,
              "SetupAPI code");

extern "C" {

// Called by the loader itself (the linker's entry point): the C runtime's
// start-up never runs in this library, so it has no static constructors and
// keeps no C runtime state of its own.
BOOL WINAPI LibMain(HINSTANCE module, DWORD reason, LPVOID) {
    // No per-thread work: the loader need not call in for every thread.
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
    return TRUE;
}

DWORD WINAPI RLDeviceCoInstaller(DI_FUNCTION function, HDEVINFO, PSP_DEVINFO_DATA,
                                 PCOINSTALLER_CONTEXT_DATA context) {
    if (!context) return device_co_installer(win32_coinstaller_host(), function, nullptr);
    const InstallContext c = {context->PostProcessing != FALSE, context->InstallResult};
    return device_co_installer(win32_coinstaller_host(), function, &c);
}

}  // extern "C"
