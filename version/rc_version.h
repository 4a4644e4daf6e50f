/* The release number of all three programs: their version resources, the
   console tool's 'V' line and the build read it from here. Macros only, so
   that windres can take it as well as the compilers; the build parses the
   four RC_VERSION_ numbers below, one per line. */
#ifndef RC_VERSION_H
#define RC_VERSION_H

#define RC_VERSION_MAJOR 6
#define RC_VERSION_MINOR 41
#define RC_VERSION_RELEASE 1
#define RC_VERSION_BUILD 3

#define RC_VERSION_STRINGIZE_(x) #x
#define RC_VERSION_STRINGIZE(x) RC_VERSION_STRINGIZE_(x)
/* "6.41.1.3" */
/* clang-format off */
#define RC_VERSION_TEXT                                                                   \
    RC_VERSION_STRINGIZE(RC_VERSION_MAJOR) "." RC_VERSION_STRINGIZE(RC_VERSION_MINOR) "." \
    RC_VERSION_STRINGIZE(RC_VERSION_RELEASE) "." RC_VERSION_STRINGIZE(RC_VERSION_BUILD)
/* clang-format on */

#endif
