// The Advanced page's logic.
#include "advanced_page.h"

#include <cstdint>

#include "resource.h"
#include "store.h"

namespace {

enum : uint32_t {
    RTS_ON = 500,    // RTS/CTS for every frame longer than this
    RTS_OFF = 2347,  // never: longer than any frame
};

// CheckRadioButton(first, second, first + value): with a value other than 0
// or 1 neither button of the pair is checked.
void check_pair(View& view, int off_id, int on_id, uint32_t value) {
    view.set_check(off_id, value == 0);
    view.set_check(on_id, value == 1);
}

}  // namespace

void AdvancedPage::init() {}

void AdvancedPage::set_active() {
    const ActiveConfiguration& config = active_configuration;
    check_pair(view_, IDC_ADVANCED_POWER_OFF, IDC_ADVANCED_POWER_ON, config.pm_enabled);
    check_pair(view_, IDC_ADVANCED_ROBUSTNESS_OFF, IDC_ADVANCED_ROBUSTNESS_ON,
               config.microwave_robustness);
    const bool rts = config.rts_threshold == RTS_ON;
    view_.set_check(IDC_ADVANCED_RTS_OFF, !rts);
    view_.set_check(IDC_ADVANCED_RTS_ON, rts);
}

bool AdvancedPage::kill_active() {
    ActiveConfiguration& config = active_configuration;
    config.pm_enabled = view_.is_checked(IDC_ADVANCED_POWER_ON) ? 1 : 0;
    config.microwave_robustness = view_.is_checked(IDC_ADVANCED_ROBUSTNESS_ON) ? 1 : 0;
    config.rts_threshold = view_.is_checked(IDC_ADVANCED_RTS_ON) ? RTS_ON : RTS_OFF;
    return true;
}

void AdvancedPage::help() { view_.help(HELP_TOPIC_ADVANCED); }

void AdvancedPage::clicked() { view_.changed(); }
