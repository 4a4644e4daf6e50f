// 'D': removes the files of older driver generations from the system
// directory.
#include "commands.h"
#include "discovery.h"
#include "exit_codes.h"
#include "format.h"
#include "platform/system.h"

namespace {

const char* const GENERATION_41_FILES[] = {
    "%s\\drivers\\orvix41.sys",
    "%s\\orvix41.dll",
    "%s\\orvix.cpl",
    "%s\\orvix.hlp",
    "%s\\orvix.cnt",
    "%s\\orvix.gid",
};
const char* const GENERATION_52_FILES[] = {
    "%s\\drivers\\rlorx52.sys", "%s\\Rcpanel52.cpl", "%s\\rcpanel.cnt",
    "%s\\rcpanel.gid",          "%s\\rcpanel.hlp",
};

// Removes a file, read-only or not; every failure is ignored.
void remove_file(const char* path) {
    uint32_t attributes = plat_get_file_attributes(path);
    if (attributes != PLAT_INVALID_FILE_ATTRIBUTES) {
        attributes &= ~static_cast<uint32_t>(PLAT_FILE_ATTRIBUTE_READONLY);
        plat_set_file_attributes(path, attributes ? attributes : PLAT_FILE_ATTRIBUTE_NORMAL);
    }
    plat_delete_file(path);
}

template <unsigned N>
void remove_files(const char* const (&formats)[N]) {
    char directory[260];
    uint32_t length = plat_get_system_directory(directory, sizeof directory);
    // Without the system directory the paths would point elsewhere: remove nothing.
    if (length == 0 || length >= sizeof directory) return;
    for (const char* format : formats) {
        char path[300];
        if (format_bounded(path, sizeof path, format, directory) && path[0]) remove_file(path);
    }
}

}  // namespace

int command_remove_old_files(char which) {
    if (which == '0') {
        remove_files(GENERATION_41_FILES);
    } else if (which == '1') {
        if (find_adapter(adapter_hardware_ids)) return EXIT_REFUSED;
        remove_files(GENERATION_52_FILES);
    }
    return EXIT_OK;
}
