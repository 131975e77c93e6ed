// Converting names and texts between the code page the settings hold and the terminal's encoding, and
// escaping what a terminal would act on. Used by the settings commands of the command line.
#include "host/terminal.h"

#include <clocale>
#include <cstdint>
#include <cstring>
#if !defined(_WIN32)
#include <langinfo.h>
#endif

// Code page 1252 at 0x80..0x9F; 0 where it has no character.
static const uint16_t kHighRow[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

static int sUtf8 = -1;

void SetTerminalUtf8(int utf8) {
    sUtf8 = utf8;
}

static bool TerminalUtf8() {
    if (sUtf8 >= 0) return sUtf8 != 0;
#if defined(_WIN32)
    return false;
#else
    const char *codeset = nl_langinfo(CODESET);
    return codeset && (strcmp(codeset, "UTF-8") == 0 || strcmp(codeset, "utf8") == 0);
#endif
}

static uint32_t CodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighRow[byte - 0x80];
    return byte;
}

void PrintStoredText(FILE *out, const char *text) {
    const bool utf8 = TerminalUtf8();
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
        const uint32_t c = CodePoint(*p);
        if (*p == '\\') {
            fputs("\\\\", out);
        } else if (*p >= 0x20 && *p < 0x7F) {
            fputc(*p, out);
        } else if (!utf8 || c < 0xA0) { // controls (C0, DEL, C1) and the code page's holes
            fprintf(out, "\\x%02x", *p);
        } else if (c < 0x800) {
            fputc(static_cast<int>(0xC0 | (c >> 6)), out);
            fputc(static_cast<int>(0x80 | (c & 0x3F)), out);
        } else {
            fputc(static_cast<int>(0xE0 | (c >> 12)), out);
            fputc(static_cast<int>(0x80 | ((c >> 6) & 0x3F)), out);
            fputc(static_cast<int>(0x80 | (c & 0x3F)), out);
        }
    }
}

// The next UTF-8 character at *p (moved past it); false for bytes that are not UTF-8.
static bool DecodeUtf8(const unsigned char **p, uint32_t *c) {
    const unsigned char *s = *p;
    int extra = 0;
    uint32_t value = s[0];
    if (value >= 0xF0 && value < 0xF5) {
        extra = 3;
        value &= 0x07;
    } else if (value >= 0xE0) {
        extra = 2;
        value &= 0x0F;
    } else if (value >= 0xC2 && value < 0xE0) {
        extra = 1;
        value &= 0x1F;
    } else if (value >= 0x80) {
        return false;
    }
    for (int k = 1; k <= extra; ++k) {
        if ((s[k] & 0xC0) != 0x80) return false;
        value = (value << 6) | (s[k] & 0x3F);
    }
    static const uint32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
    if (value < kLeast[extra] || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000)) return false;
    *c = value;
    *p = s + 1 + extra;
    return true;
}

static int ByteOf(uint32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int k = 0; k < 32; ++k)
        if (kHighRow[k] == c) return 0x80 + k;
    return -1;
}

bool StoredTextFromTerminal(const char *typed, char *out, size_t outSize, char *error, size_t errorSize) {
    if (!TerminalUtf8()) {
        snprintf(out, outSize, "%s", typed);
        return true;
    }
    size_t length = 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(typed); *p;) {
        uint32_t c = 0;
        if (!DecodeUtf8(&p, &c)) {
            snprintf(error, errorSize, "the text given is not UTF-8, as the terminal's locale says it is");
            return false;
        }
        const int byte = ByteOf(c);
        if (byte < 0) {
            snprintf(error, errorSize,
                     "the character U+%04X cannot be stored in a name (Windows-1252 has no "
                     "such character)",
                     c);
            return false;
        }
        if (length + 1 >= outSize) {
            snprintf(error, errorSize, "the text given is too long");
            return false;
        }
        out[length++] = static_cast<char>(byte);
    }
    out[length] = '\0';
    return true;
}
