// The Advanced page (1204): card power management, interference robustness
// and RTS/CTS medium reservation, each an Off and an On radio button.
#pragma once

#include "view.h"

class AdvancedPage {
public:
    explicit AdvancedPage(View& view) : view_(view) {}

    // WM_INITDIALOG, after the glue subclassed the six radio buttons.
    void init();
    // PSN_SETACTIVE: the buttons from PMEnabled, MicroWaveRobustness and
    // RTSThreshold (On only when exactly 500).
    void set_active();
    // PSN_KILLACTIVE: the three settings from the buttons (RTSThreshold 500
    // or 2347); always true (the page goes).
    bool kill_active();
    // PSN_HELP.
    void help();

    // WM_CAPTURECHANGED of any of the six radio buttons (2121 to 2124, 1117,
    // 1118): the sheet is told the page changed.
    void clicked();

private:
    View& view_;
};
