// The saver modes' command line of the Linux program. Called by the Linux entry before anything is shown;
// reads only its arguments, never the display.
#include "host/saver_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr uint32_t MAX_WINDOW_SIDE = 16384; // pixels

const char SAVER_HELP_TEXT[] =
    "Usage: tavo [MODE] [SETTINGS OPTIONS]\n"
    "\n"
    "A particle-trail screen saver.\n"
    "\n"
    "Modes:\n"
    "  (none)               full screen on the current display; a key, a mouse button or a mouse move ends "
    "it\n"
    "                       (the effect and command keys of the key help do not; F1 shows them)\n"
    "  --window [WxH]       in a window (default 960x720); input does not end it, closing the window does\n"
    "  -window              the same as --window\n"
    "  -root                draw into the root window (XScreenSaver; its own window when "
    "$XSCREENSAVER_WINDOW\n"
    "                       names one)\n"
    "  -window-id ID        draw into the X window ID, decimal or 0x hex (XScreenSaver); input does not end "
    "it\n"
    "                       and the window's owner ends the saver; a window smaller than 640x480 shows a "
    "preview\n"
    "  (none, with $XSCREENSAVER_WINDOW set)\n"
    "                       draw into the window that variable names, as with -window-id\n"
    "  --snapshot DIR       render frames to PNG files in DIR without a display (options below)\n"
    "  --help               show this text\n"
    "\n"
    "Settings (the file applies to every mode; the commands print or change it and exit):\n"
    "  --settings-file FILE use FILE instead of $XDG_CONFIG_HOME/tavo/tavo.reg\n"
    "  --list-patterns      list the patterns\n"
    "  --settings           show the settings\n"
    "  --set \"NAME=VALUE\"   change a setting, for example --set \"Show Names=1\"\n"
    "\n"
    "Keys while it runs: 1 to 0 (with Ctrl: patterns 11 to 15) morph to a pattern, M morphs, C F J L O Q S V "
    "W Z\n"
    "trigger effects, D double size, H hints, N names, P painting, Pause pauses, F1 key help.\n"
    "SIGTERM or SIGINT ends it with exit code 0.\n"
    "\n"
    "XScreenSaver: add this line to the programs: list in ~/.xscreensaver\n"
    "  tavo -root\n";

bool ParseWindowId(const char *text, unsigned long *id) {
    if (!text || !*text || *text == '-' || *text == '+') return false;
    errno = 0;
    char *end = nullptr;
    const unsigned long value = strtoul(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || value == 0) return false;
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

static bool Is(const char *arg, const char *name) {
    return strcmp(arg, name) == 0;
}

SaverParse ParseSaverOptions(int argc, const char *const *argv, const char *screenSaverWindow,
                             SaverOptions *out, char *error, int errorSize) {
    *out = {SAVER_FULL_SCREEN, DEFAULT_WINDOW_WIDTH, DEFAULT_WINDOW_HEIGHT, 0};
    bool modeGiven = false;
    auto modeTwice = [&](const char *arg) {
        snprintf(error, static_cast<size_t>(errorSize), "%s: only one mode can be given", arg);
        return SAVER_PARSE_ERROR;
    };
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (Is(arg, "--help") || Is(arg, "-help") || Is(arg, "-h")) return SAVER_PARSE_HELP;
        if (Is(arg, "--window") || Is(arg, "-window")) {
            if (modeGiven) return modeTwice(arg);
            modeGiven = true;
            out->mode = SAVER_WINDOW;
            if (i + 1 < argc && argv[i + 1][0] != '-') {
                if (!ParseWindowSize(argv[i + 1], &out->width, &out->height)) {
                    snprintf(error, static_cast<size_t>(errorSize),
                             "%s: the size \"%s\" is not WIDTHxHEIGHT (1 to 16384 each)", arg, argv[i + 1]);
                    return SAVER_PARSE_ERROR;
                }
                ++i;
            }
        } else if (Is(arg, "-root") || Is(arg, "--root")) {
            if (modeGiven) return modeTwice(arg);
            modeGiven = true;
            out->mode = SAVER_ROOT;
        } else if (Is(arg, "-window-id") || Is(arg, "--window-id")) {
            if (modeGiven) return modeTwice(arg);
            modeGiven = true;
            if (i + 1 >= argc || !ParseWindowId(argv[i + 1], &out->windowId)) {
                snprintf(error, static_cast<size_t>(errorSize), "%s needs a window id (decimal or 0x hex)",
                         arg);
                return SAVER_PARSE_ERROR;
            }
            out->mode = SAVER_WINDOW_ID;
            ++i;
        } else {
            return SAVER_PARSE_UNKNOWN;
        }
    }
    const bool rootOrNone = !modeGiven || out->mode == SAVER_ROOT;
    if (rootOrNone && screenSaverWindow && *screenSaverWindow) {
        // XScreenSaver names its window this way; with -root it is the daemon's own window over the real
        // root, so drawing into the real root would not be seen.
        if (!ParseWindowId(screenSaverWindow, &out->windowId)) {
            snprintf(error, static_cast<size_t>(errorSize), "XSCREENSAVER_WINDOW=\"%s\" is not a window id",
                     screenSaverWindow);
            return SAVER_PARSE_ERROR;
        }
        if (!modeGiven) out->mode = SAVER_WINDOW_ID;
    }
    return SAVER_PARSE_RUN;
}
