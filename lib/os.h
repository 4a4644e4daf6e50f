// Windows version detection.
#pragma once
#include <cstdint>

typedef uint32_t OsClass;
enum : OsClass {
    OS_UNKNOWN = 0,
    OS_WIN95 = 1,
    OS_WIN98 = 2,
    OS_WINNT = 4,
    OS_WIN2000 = 8,
    OS_WIN2001 = 32,
};
enum : OsClass {
    OS_MASK_WIN9X = 0x03,
    OS_MASK_NT = 0x3C,
};

enum { OS_VERSION_TEXT_SIZE = 128 };

extern OsClass os_class;
extern char os_version_text[OS_VERSION_TEXT_SIZE];

// Classifies the running Windows into os_class; copies the version text into
// text (at least OS_VERSION_TEXT_SIZE bytes) when given.
OsClass detect_os_class(char* text);

// Back to program start (tests).
void os_reset();
