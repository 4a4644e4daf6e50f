#include "os.h"

#include <cstdio>

#include "platform/system.h"

OsClass os_class = OS_UNKNOWN;
char os_version_text[OS_VERSION_TEXT_SIZE];

OsClass detect_os_class(char* text) {
    os_class = OS_UNKNOWN;
    PlatVersionInfo v;
    if (!plat_get_version(&v)) {
        std::snprintf(os_version_text, sizeof os_version_text, "Unknown OS!");
    } else {
        const char* format = nullptr;
        if (v.platform_id == PLAT_VER_PLATFORM_WIN32_WINDOWS) {
            if (v.major < 4 || (v.major == 4 && v.minor == 0)) {
                os_class = OS_WIN95;
                format = "WIN95 Versie %ld.%02ld %s Build %u";
            } else {
                os_class = OS_WIN98;
                format = "WIN98 Versie %ld.%02ld %s Build %u";
            }
        } else if (v.platform_id == PLAT_VER_PLATFORM_WIN32_NT) {
            if (v.major <= 4) {
                os_class = OS_WINNT;
                format = "WINNT Versie %ld.%02ld %s Build %u";
            } else if (v.minor == 0) {
                os_class = OS_WIN2000;
                format = "WIN2000 Versie %ld.%02ld %s Build %u";
            } else {
                os_class = OS_WIN2001;
                format = "WIN2001 Versie %ld.%02ld %s Build %u";
            }
        }
        if (format) {
            // On the 9x platform the upper half of the build number carries the
            // version; only the low half is the build.
            v.csd_version[sizeof v.csd_version - 1] = 0;
            std::snprintf(os_version_text, sizeof os_version_text, format,
                          static_cast<long>(v.major), static_cast<long>(v.minor), v.csd_version,
                          static_cast<unsigned>(v.build & 0xFFFF));
        }
    }
    if (text) std::snprintf(text, OS_VERSION_TEXT_SIZE, "%s", os_version_text);
    return os_class;
}

void os_reset() {
    os_class = OS_UNKNOWN;
    os_version_text[0] = 0;
}
