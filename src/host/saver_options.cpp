// The window id and size arguments of the Linux program's saver modes. Portable; never reads the display.
#include "host/saver_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr uint32_t MAX_WINDOW_SIDE = 16384;         // pixels
constexpr unsigned long MAX_WINDOW_ID = 0x1FFFFFFF; // X protocol ids have 29 bits

bool ParseWindowId(const char *text, unsigned long *id) {
    if (!text || !*text || *text == '-' || *text == '+') return false;
    errno = 0;
    char *end = nullptr;
    const unsigned long value = strtoul(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || value == 0 || value > MAX_WINDOW_ID) return false;
    *id = value;
    return true;
}

static bool ParseSide(const char *text, const char *stop, uint32_t *out) {
    if (text == stop || stop - text > 5) return false;
    uint32_t value = 0;
    for (const char *p = text; p < stop; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + static_cast<uint32_t>(*p - '0');
    }
    if (value == 0 || value > MAX_WINDOW_SIDE) return false;
    *out = value;
    return true;
}

bool ParseWindowSize(const char *text, uint32_t *width, uint32_t *height) {
    if (!text) return false;
    const char *x = strpbrk(text, "xX");
    if (!x) return false;
    uint32_t w, h;
    if (!ParseSide(text, x, &w) || !ParseSide(x + 1, x + 1 + strlen(x + 1), &h)) return false;
    *width = w;
    *height = h;
    return true;
}
