// 'V': the tool's own release line.
#include <cstdio>

#include "commands.h"
#include "exit_codes.h"
#include "rc_version.h"

namespace {

const char TOOL_FILE_NAME[] = "RCTOOL48.EXE";
const int TOOL_VARIANT = 1;

}  // namespace

int command_version() {
    char line[80];
    std::snprintf(line, sizeof line, "%s Variant %d, Version %s\n", TOOL_FILE_NAME, TOOL_VARIANT,
                  RC_VERSION_TEXT);
    tool_print(line);
    return EXIT_OK;
}
