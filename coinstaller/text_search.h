// Whether a zero-terminated text holds an ASCII text, case as given: for the
// narrow bytes of a setup information file and for wide window titles alike.
#pragma once
#include <type_traits>

template <typename Char>
unsigned code_unit(Char c) {
    return static_cast<typename std::make_unsigned<Char>::type>(c);
}

template <typename Char>
bool contains_text(const Char* text, const char* wanted) {
    for (; *text; ++text) {
        const Char* t = text;
        const char* w = wanted;
        while (*w && *t && code_unit(*w) == code_unit(*t)) {
            ++t;
            ++w;
        }
        if (!*w) return true;
    }
    return false;
}
