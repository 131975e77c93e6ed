// The screen-saver command line: the tail after the program's name and the one mode letter it carries. Kept
// free of the window system so that the Windows entry and the tests read it the same way; whether a handle
// names a real window is the entry's business.
#include "host/cmdline.h"

const char *CommandLineTail(const char *line) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(line);
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"') ++p;
    } else {
        while (*p > ' ')
            ++p;
    }
    while (*p >= 1 && *p <= ' ')
        ++p;
    return reinterpret_cast<const char *>(p);
}

uint32_t ParseWindowHandle(const char *text) {
    uint32_t value = 0; // 32-bit arithmetic: an overlong number wraps rather than overflows
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<uint32_t>(*text - '0');
    return value;
}

static const char *SkipBlanks(const char *p) {
    while (*p == ' ')
        ++p;
    return p;
}

HostCommand ParseHostCommand(const char *tail) {
    for (const char *p = tail;; ++p) {
        switch (*p) {
            case '\0': return {HOST_SETTINGS, 0, false};
            case ' ':
            case '-':
            case '/': continue;
            case 'S':
            case 's': return {HOST_SAVER, 0, false};
            case 'C':
            case 'c':
                if (p[1] == ':') return {HOST_SETTINGS, ParseWindowHandle(p + 2), true};
                return {HOST_SETTINGS, 0, false};
            case 'P':
            case 'p':
            case 'L':
            case 'l': return {HOST_PREVIEW, ParseWindowHandle(SkipBlanks(p + 1)), true};
            case 'A':
            case 'a': return {HOST_PASSWORD, ParseWindowHandle(SkipBlanks(p + 1)), true};
            default: return {HOST_INVALID, 0, false}; // only the first mode letter counts
        }
    }
}
