// Bounded formatting into UTF-16 buffers: "%s" takes a wide or a narrow
// (ASCII) text, "%d" an unsigned number. A result that does not fit whole is
// refused rather than cut, since a cut path names another file.
#pragma once
#include <cstddef>
#include <initializer_list>

#include "coinstaller_host.h"

struct FormatArgument {
    FormatArgument(const WideChar* text) : wide(text) {}
    FormatArgument(const char* text) : narrow(text) {}
    FormatArgument(unsigned value) : number(value), is_number(true) {}

    const WideChar* wide = nullptr;
    const char* narrow = nullptr;
    unsigned number = 0;
    bool is_number = false;
};

// Writes the format with its arguments, in order, and a terminator into out
// (capacity characters). Returns true when all of it fitted; otherwise, or on
// a conversion it does not know or a missing argument, out is left empty and
// it returns false.
bool format_wide(WideChar* out, size_t capacity, const char* format,
                 std::initializer_list<FormatArgument> arguments);
