// How the fuzz targets' fake windows answer a request for text: as much of it
// as fits with a terminator, and every byte of the rest of the buffer written,
// so that AddressSanitizer sees a caller that gave a wrong size.
#pragma once
#include <cstdlib>
#include <cstring>
#include <string>

inline unsigned fill_buffer(char* buffer, unsigned size, const std::string& text) {
    if (size == 0) abort();
    const unsigned n = text.size() < size - 1 ? static_cast<unsigned>(text.size()) : size - 1;
    std::memcpy(buffer, text.data(), n);
    std::memset(buffer + n, 0, size - n);
    return n;
}
