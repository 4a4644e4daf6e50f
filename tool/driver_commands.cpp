// The commands that talk to the running driver or build encryption records.
#include "commands.h"
#include "exit_codes.h"

int command_read_driver_enable();

int command_store_text(const char* text, int profile, bool apply) {
    if (!store_encryption_text(text, profile)) return EXIT_STORE_FAILED;
    // Handing the text to the driver is not available yet.
    return apply ? EXIT_NO_DRIVER : EXIT_OK;
}

int command_set_keys(const char* const*) { return EXIT_STORE_FAILED; }

int command_mac_address() {
    tool_print("XXXXXXXXXXXX");
    return EXIT_NO_DRIVER;
}

int command_driver_enable(char which) {
    if (which == '2') return command_read_driver_enable();
    return EXIT_NO_DRIVER;
}

int command_first_key(const char*, int) { return EXIT_NO_DRIVER; }
