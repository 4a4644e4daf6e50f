// Command dispatch: the command table, the argument rules and the order of
// checks that decides the exit code.
#include <cstring>

#include "card_records.h"
#include "commands.h"
#include "discovery.h"
#include "encryption.h"
#include "exit_codes.h"
#include "os.h"
#include "tool.h"

namespace {

enum Needs { NEEDS_NOTHING, NEEDS_ADAPTER };

struct Command {
    char character;
    int min_arguments;
    int max_arguments;  // -1: no upper limit
    int profile_index;  // argument that is a profile number, or -1
    Needs needs;
};

const Command COMMANDS[] = {
    {'#', 0, 0, -1, NEEDS_NOTHING}, {'@', 0, 0, -1, NEEDS_NOTHING}, {'D', 1, -1, -1, NEEDS_NOTHING},
    {'E', 1, 2, 1, NEEDS_ADAPTER},  {'e', 1, 2, 1, NEEDS_ADAPTER},  {'H', 0, 1, 0, NEEDS_ADAPTER},
    {'K', 5, 5, -1, NEEDS_NOTHING}, {'M', 0, 0, -1, NEEDS_NOTHING}, {'R', 1, 1, -1, NEEDS_ADAPTER},
    {'V', 0, 0, -1, NEEDS_NOTHING}, {'W', 1, 2, 1, NEEDS_ADAPTER},
};

const Command* find_command(char c) {
    for (const Command& command : COMMANDS)
        if (command.character == c) return &command;
    return nullptr;
}

bool valid_profile(const char* argument) {
    return argument[0] >= '0' && argument[0] <= '4' && argument[1] == 0;
}

// Step 5: argument count, text length, profile number, 'R''s argument.
bool arguments_ok(const Command& command, int count, const char* const* arguments) {
    if (count < command.min_arguments) return false;
    if (command.max_arguments >= 0 && count > command.max_arguments) return false;
    if ((command.character == 'E' || command.character == 'e') &&
        std::strlen(arguments[0]) != ENCRYPTION_TEXT_LENGTH)
        return false;
    if (command.profile_index >= 0 && command.profile_index < count &&
        !valid_profile(arguments[command.profile_index]))
        return false;
    if (command.character == 'R' && (arguments[0][0] < '0' || arguments[0][0] > '2')) return false;
    return true;
}

int profile_argument(const Command& command, int count, const char* const* arguments) {
    if (command.profile_index < 0 || command.profile_index >= count) return 1;
    return arguments[command.profile_index][0] - '0';
}

}  // namespace

int rctool_run(int argc, const char* const* argv) {
    if (argc < 2 || !argv || !argv[1]) return EXIT_NO_COMMAND;
    const char* word = argv[1];
    if (std::strlen(word) > 1) return EXIT_BAD_ARGUMENTS;

    detect_os_class(nullptr);

    const Command* command = word[0] ? find_command(word[0]) : nullptr;
    if (!command) return EXIT_NO_COMMAND;

    const int count = argc - 2;
    const char* const* arguments = argv + 2;
    for (int i = 0; i < count; ++i)
        if (!arguments[i]) return EXIT_BAD_ARGUMENTS;
    if (!arguments_ok(*command, count, arguments)) {
        if (command->character == 'M') tool_print(MAC_PLACEHOLDER);
        return EXIT_BAD_ARGUMENTS;
    }
    const int profile = profile_argument(*command, count, arguments);

    if (command->needs == NEEDS_ADAPTER) {
        if (!find_adapter(adapter_hardware_ids)) {
            if (command->character == 'H') tool_print(NAME_PLACEHOLDER);
            return EXIT_NO_ADAPTER;
        }
        // 'H' prints the name first and checks the release after it.
        if (command->character == 'H') return command_network_name(profile);
        if (!registry_release_ok()) return EXIT_WRONG_RELEASE;
    }

    switch (command->character) {
    case '#': return command_count_adapters();
    case '@': return command_client_manager();
    case 'D': return command_remove_old_files(arguments[0][0]);
    case 'E': return command_store_text(arguments[0], profile, false);
    case 'e': return command_store_text(arguments[0], profile, true);
    case 'K': return command_set_keys(arguments);
    case 'M': return command_mac_address();
    case 'R': return command_driver_enable(arguments[0][0]);
    case 'V': return command_version();
    case 'W': return command_first_key(arguments[0], profile);
    default: return EXIT_NO_COMMAND;
    }
}
