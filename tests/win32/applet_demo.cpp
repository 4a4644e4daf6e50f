// The applet for scripts/demo: what an installer's call does, and what a user
// sees. Loads RCPANEL48.CPL from the folder given and
//   applet_demo DIST cmconfigure WORD DEVICE  calls CMConfigure(WORD) and prints
//                                              its answer and what the card got;
//   applet_demo DIST time WORD RUNS            times RUNS calls of CMConfigure(WORD)
//                                              in this process (for scripts/bench);
//   applet_demo DIST screenshot FILE.bmp       opens the profile dialog as the
//                                              Control Panel would, saves what it
//                                              shows, and cancels it.
#include <windows.h>

#include <cpl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "gui.h"
#include "simcard_service.h"

namespace {

typedef LONG(WINAPI* CplAppletFn)(HWND, UINT, LPARAM, LPARAM);
typedef DWORD(WINAPI* CmConfigureFn)(DWORD);

template <typename Fn>
Fn entry(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

std::string card_text(const std::string& device, uint16_t id) {
    std::vector<uint16_t> data;
    if (simcard_read_record(device, id, &data) < 1) return "<not stored>";
    std::string text;
    for (size_t i = 1; i < data.size(); ++i) {
        text += static_cast<char>(data[i] & 0xFF);
        text += static_cast<char>(data[i] >> 8);
    }
    return text.substr(0, data[0]);
}

int cm_configure(HMODULE module, DWORD word, const std::string& device) {
    auto call = entry<CmConfigureFn>(module, "CMConfigure");
    if (!call) return 2;
    simcard_clear_counters(device);
    const DWORD status = call(word);
    std::printf("CMConfigure(0x%04lX) = 0x%lX\n", static_cast<unsigned long>(word),
                static_cast<unsigned long>(status));
    SimCardControlAnswer answer{};
    if (simcard_read(device, 0, &answer)) {
        std::printf("the card received %lu records and action %lu in %lu exchanges\n",
                    static_cast<unsigned long>(answer.counters.puts),
                    static_cast<unsigned long>(answer.counters.last_action),
                    static_cast<unsigned long>(answer.counters.exchanges));
        std::printf("the card's network name (record 0xFC02): %s\n",
                    card_text(device, 0xFC02).c_str());
    }
    return 0;
}

int time_calls(HMODULE module, DWORD word, int runs) {
    auto call = entry<CmConfigureFn>(module, "CMConfigure");
    if (!call || runs < 1) return 2;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < runs; ++i)
        if (call(word) != 0) return 1;  // a failing call gets no figure
    QueryPerformanceCounter(&end);
    std::printf("%.3f\n", 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart / runs);
    return 0;
}

int screenshot(HMODULE module, const std::string& path) {
    auto cpl = entry<CplAppletFn>(module, "CPlApplet");
    if (!cpl) return 2;
    volatile bool done = false;
    std::thread run([&] {
        HWND desktop = GetDesktopWindow();
        if (cpl(desktop, CPL_INIT, 0, 0)) {
            CPLINFO info{};
            cpl(desktop, CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info));
            cpl(desktop, CPL_DBLCLK, 0, info.lData);
            cpl(desktop, CPL_STOP, 0, info.lData);
        }
        cpl(desktop, CPL_EXIT, 0, 0);
        done = true;
    });
    int result = 1;
    if (HWND dialog = wait_for_window("Add/Edit Configuration Profile")) {
        pump_for(500);
        if (save_screenshot(dialog, path)) result = 0;
        press(dialog, IDCANCEL);
    }
    while (!done) pump_for(20);
    run.join();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: applet_demo DIST cmconfigure WORD DEVICE | time WORD RUNS | "
                     "screenshot FILE\n");
        return 2;
    }
    HMODULE module = LoadLibraryA((std::string(argv[1]) + "\\RCPANEL48.CPL").c_str());
    if (!module) {
        std::fprintf(stderr, "cannot load %s\\RCPANEL48.CPL\n", argv[1]);
        return 2;
    }
    const std::string what = argv[2];
    int result = 2;
    if (what == "cmconfigure" && argc >= 5)
        result = cm_configure(module, std::strtoul(argv[3], nullptr, 0), argv[4]);
    else if (what == "time" && argc >= 5)
        result = time_calls(module, std::strtoul(argv[3], nullptr, 0), std::atoi(argv[4]));
    else if (what == "screenshot")
        result = screenshot(module, argv[3]);
    FreeLibrary(module);
    return result;
}
