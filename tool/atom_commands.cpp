// '#' and '@': what an installer asks about the machine, answered with an exit
// code and a global atom it can look for.
#include "commands.h"
#include "discovery.h"
#include "exit_codes.h"
#include "platform/system.h"
#include "registry.h"

namespace {

const char CLIENT_MANAGER_KEY[] = "Software\\Orvix\\Calyx Client Manager";

}  // namespace

int command_count_adapters() {
    if (count_adapters(adapter_hardware_ids) >= 2) {
        plat_global_add_atom("MORE INSTALLED");
        return EXIT_MORE_ADAPTERS;
    }
    plat_global_add_atom("ONE INSTALLED");
    return EXIT_ONE_ADAPTER;
}

int command_client_manager() {
    char version[REG_STRING_SIZE];
    if (reg_read_string(PLAT_HKEY_LOCAL_MACHINE, CLIENT_MANAGER_KEY, "version", version)) {
        plat_global_add_atom("CQI INSTALLED 1");
        return EXIT_CLIENT_MANAGER_PRESENT;
    }
    plat_global_add_atom("CQI INSTALLED 0");
    return EXIT_CLIENT_MANAGER_ABSENT;
}
