#include "window_position.h"

#include "registry.h"
#include "store.h"

namespace {

// Unsigned as the desktop edges are, and wide enough that a position near the
// top of the range cannot wrap round to fit.
bool fits(int32_t start, int32_t extent, int32_t edge) {
    return static_cast<uint64_t>(static_cast<uint32_t>(start)) + static_cast<uint32_t>(extent) <=
           static_cast<uint64_t>(static_cast<uint32_t>(edge));
}

void read_position(const char* name, int32_t* field) {
    const char* key = store_instance_key();
    int32_t value;
    if (key && reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, key, name, &value)) *field = value;
}

}  // namespace

WindowPosition sheet_window_position(int32_t saved_x, int32_t saved_y, int32_t width,
                                     int32_t height, int32_t desktop_right,
                                     int32_t desktop_bottom) {
    if (fits(saved_x, width, desktop_right) && fits(saved_y, height, desktop_bottom))
        return WindowPosition{saved_x, saved_y, 0};
    // In 64 bits: the difference of two 32-bit values may not fit in 32.
    int32_t x = static_cast<int32_t>((static_cast<int64_t>(desktop_right) - width) / 2);
    int32_t y = static_cast<int32_t>((static_cast<int64_t>(desktop_bottom) - height) / 2);
    return WindowPosition{x, y, 1};
}

WindowPosition place_sheet_window(int read_saved, int32_t width, int32_t height,
                                  int32_t desktop_right, int32_t desktop_bottom) {
    ActiveConfiguration& config = active_configuration;
    if (read_saved) {
        read_position("X_POS", &config.window_x);
        read_position("Y_POS", &config.window_y);
    }
    WindowPosition position = sheet_window_position(config.window_x, config.window_y, width, height,
                                                    desktop_right, desktop_bottom);
    if (position.centred) {
        config.window_x = position.x;
        config.window_y = position.y;
    }
    return position;
}

void save_dialog_position(int32_t x, int32_t y) {
    ActiveConfiguration& config = active_configuration;
    config.window_x = x;
    config.window_y = y;
    const char* key = store_instance_key();
    if (!key) return;
    reg_write_dword(PLAT_HKEY_LOCAL_MACHINE, key, "X_POS", x);
    reg_write_dword(PLAT_HKEY_LOCAL_MACHINE, key, "Y_POS", y);
}
