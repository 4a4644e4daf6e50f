// Formatting into fixed buffers.
#pragma once

// snprintf that tells whether the whole text fitted: 1 when it did, 0 when it
// was cut or could not be formatted (out then holds whatever snprintf left,
// always terminated when size is not 0).
#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
int format_bounded(char* out, unsigned size, const char* format, ...);
