#include "format.h"

#include <cstdarg>
#include <cstdio>

int format_bounded(char* out, unsigned size, const char* format, ...) {
    if (!out || size == 0) return 0;
    va_list arguments;
    va_start(arguments, format);
    const int n = std::vsnprintf(out, size, format, arguments);
    va_end(arguments);
    return n >= 0 && static_cast<unsigned>(n) < size ? 1 : 0;
}
