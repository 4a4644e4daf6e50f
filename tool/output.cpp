// The tool's only output: a short text on standard output, no line end
// unless the text has one.
#include <cstring>

#include "commands.h"
#include "platform/system.h"

void tool_print(const char* text) { plat_write_stdout(text, std::strlen(text)); }
