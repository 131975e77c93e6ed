// The Linux program's command line: the option table and the one parser over it. --help and the manual page
// are printed from the same table, so an option cannot be offered that the parser refuses, or the reverse.
// Every number goes through ParseWholeNumber: nothing wraps, and a refusal names the option and its range.
#include "host/options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "display/display.h"
#include "engine/engine.h"
#include "patterns/patterns.h"
#include "platform/store.h"

constexpr int64_t MAX_SIDE = 16384; // pixels
constexpr int64_t MAX_DELAY_US = 10000000;

// clang-format off
const OptionSpec kOptions[] = {
    {"help", OPT_HELP, ARG_NONE, GROUP_PROGRAM, nullptr, 0, 0, nullptr, "show this text"},
    {"h", OPT_HELP, ARG_NONE, GROUP_PROGRAM, nullptr, 0, 0, nullptr, nullptr},
    {"version", OPT_VERSION, ARG_NONE, GROUP_PROGRAM, nullptr, 0, 0, nullptr, "show the version"},
    {"check-options", OPT_CHECK, ARG_NONE, GROUP_PROGRAM, nullptr, 0, 0, nullptr,
     "check the other options (and a pattern's name against the settings) and exit:\n"
     "0 when tavo would run with them, 2 with the reason when not"},

    {"window", OPT_WINDOW, ARG_OPTIONAL_SIZE, GROUP_MODE, "[WxH]", 1, MAX_SIDE, nullptr,
     "in a window (default 960x720); input does not end it, closing the window does"},
    {"root", OPT_ROOT, ARG_NONE, GROUP_MODE, nullptr, 0, 0, nullptr,
     "draw into the root window (XScreenSaver; its own window when $XSCREENSAVER_WINDOW\n"
     "names one, and the window of --window-id when one is given)"},
    {"window-id", OPT_WINDOW_ID, ARG_WINDOW_ID, GROUP_MODE, "ID", 1, 0x1FFFFFFF, nullptr,
     "draw into the X window ID, decimal or 0x hex (XScreenSaver); input does not end it\n"
     "and the window's owner ends the saver; a window smaller than 640x480 shows a preview"},
    {"snapshot", OPT_SNAPSHOT, ARG_TEXT, GROUP_MODE, "DIR", 0, 0, nullptr,
     "render headless to PNG files in DIR (created if missing); see the snapshot options"},

    {"pattern", OPT_PATTERN, ARG_PATTERN, GROUP_SETTING, "P", 0, 0x7FFFFFFF, nullptr,
     "start with pattern P: its number (as --list-patterns shows), its name, or random"},
    {"morph", OPT_FLAG, ARG_NONE, GROUP_SETTING, nullptr, 1, 0, &gMorphSettings, "morph between patterns"},
    {"no-morph", OPT_FLAG, ARG_NONE, GROUP_SETTING, nullptr, 0, 0, &gMorphSettings, "stay with one pattern"},
    {"morph-interval", OPT_GLOBAL, ARG_NUMBER, GROUP_SETTING, "S", 0, 3600, &gMorphInterval,
     "seconds between morphs, 0 to 3600"},
    {"morph-duration", OPT_GLOBAL, ARG_NUMBER, GROUP_SETTING, "T", 1, 20000, &gMorphDuration,
     "length of a morph in morph-clock ticks, 1 to 20000"},
    {"names", OPT_FLAG, ARG_NONE, GROUP_SETTING, nullptr, 1, 0, &gShowNames, "show the pattern's name"},
    {"no-names", OPT_FLAG, ARG_NONE, GROUP_SETTING, nullptr, 0, 0, &gShowNames, "hide the pattern's name"},
    {"hints", OPT_FLAG, ARG_NONE, GROUP_SETTING, nullptr, 1, 0, &gShowHints, "show the performance hint"},
    {"no-hints", OPT_FLAG, ARG_NONE, GROUP_SETTING, nullptr, 0, 0, &gShowHints, "hide the performance hint"},
    {"double-size", OPT_FLAG, ARG_NONE, GROUP_SETTING, nullptr, 1, 0, &gDoubleSize,
     "draw particles as 2 x 2 blocks"},
    {"no-double-size", OPT_FLAG, ARG_NONE, GROUP_SETTING, nullptr, 0, 0, &gDoubleSize,
     "draw particles as single pixels"},
    {"painting", OPT_GLOBAL, ARG_NUMBER, GROUP_SETTING, "N", 0, 10, &gPaintingMode,
     "chance in tenths that a jump paints, 0 to 10"},
    {"brightness", OPT_GLOBAL, ARG_NUMBER, GROUP_SETTING, "N", 0, 255, &gBackgroundBrightness,
     "background brightness, 0 to 255"},
    {"random-background", OPT_FLAG, ARG_NONE, GROUP_SETTING, nullptr, 1, 0, &gRandomBackground,
     "a background of a random colour"},
    {"no-random-background", OPT_FLAG, ARG_NONE, GROUP_SETTING, nullptr, 0, 0, &gRandomBackground,
     "the blue background"},
    {"physics-rate", OPT_PHYSICS_RATE, ARG_NUMBER, GROUP_SETTING, "N", 0, MAX_PHYSICS_RATE, nullptr,
     "physics steps per second, 0 (unpaced) to 10000000"},
    {"resolution", OPT_RESOLUTION, ARG_SIZE, GROUP_SETTING, "WxH", 320, MAX_SIDE, nullptr,
     "display size, 320 to 16384 each (default: the screen's or window's own size;\n"
     "with --snapshot 640x480)"},
    {"fps", OPT_FPS, ARG_NONE, GROUP_SETTING, nullptr, 0, 0, nullptr,
     "show the frame rate and CPU use in a corner (with --snapshot and a number after it:\n"
     "the same as --snapshot-fps)"},
    {"no-fps", OPT_NO_FPS, ARG_NONE, GROUP_SETTING, nullptr, 0, 0, nullptr, "do not show the frame rate"},
    {"delay", OPT_DELAY, ARG_NUMBER, GROUP_SETTING, "US", 0, MAX_DELAY_US, nullptr,
     "at least US microseconds between frames, 0 to 10000000"},

    {"seed", OPT_SEED, ARG_NUMBER, GROUP_SNAPSHOT, "S", 0, 0xFFFFFFFFll, nullptr,
     "random seed, 0 to 4294967295 (default 1)"},
    {"depth", OPT_DEPTH, ARG_NUMBER, GROUP_SNAPSHOT, "16|24|32", 16, 32, nullptr,
     "bits per pixel (default 32)"},
    {"seconds", OPT_SECONDS, ARG_DECIMAL, GROUP_SNAPSHOT, "T", 0, 3600, nullptr,
     "simulated seconds to run, up to 3600 (default 5)"},
    {"snapshot-fps", OPT_PICTURE_RATE, ARG_DECIMAL, GROUP_SNAPSHOT, "F", 0, 100, nullptr,
     "PNG files per simulated second, up to 100 (default 1)"},
    {"paint", OPT_PAINT, ARG_NONE, GROUP_SNAPSHOT, nullptr, 0, 0, nullptr,
     "painting mode at once: trails accumulate between jumps"},
    {"morph-to", OPT_MORPH_TO, ARG_PATTERN, GROUP_SNAPSHOT, "N", 0, NUM_STANDARD_PRESETS - 1, nullptr,
     "morph to standard pattern N (0 to 14, or random) at once"},
    {"effect", OPT_EFFECT, ARG_EFFECT, GROUP_SNAPSHOT, "KEY", 0, 0, nullptr,
     "start the effect of key C, F, J, L, O, Q, S, V, W or Z at once"},

    {"settings-file", OPT_SETTINGS_FILE, ARG_TEXT, GROUP_COMMAND, "FILE", 0, 0, nullptr,
     "use FILE instead of $XDG_CONFIG_HOME/tavo/tavo.reg (in every mode)"},
    {"list-patterns", OPT_LIST_PATTERNS, ARG_NONE, GROUP_COMMAND, nullptr, 0, 0, nullptr,
     "list the patterns: * the current one, (user) your own, [not used] excluded"},
    {"settings", OPT_SHOW_SETTINGS, ARG_NONE, GROUP_COMMAND, nullptr, 0, 0, nullptr,
     "show the settings in use"},
    {"set", OPT_SET, ARG_TEXT, GROUP_COMMAND, "\"NAME=VALUE\"", 0, 0, nullptr,
     "change a setting, for example --set \"Show Names=1\""},
    {"copy-pattern", OPT_COPY_PATTERN, ARG_TWO_TEXTS, GROUP_COMMAND, "NAME NEW", 0, 0, nullptr,
     "copy pattern NAME to a new user pattern NEW"},
    {"rename-pattern", OPT_RENAME_PATTERN, ARG_TWO_TEXTS, GROUP_COMMAND, "NAME NEW", 0, 0, nullptr,
     "rename user pattern NAME to NEW"},
    {"delete-pattern", OPT_DELETE_PATTERN, ARG_TEXT, GROUP_COMMAND, "NAME", 0, 0, nullptr,
     "delete user pattern NAME"},
    {"revert-pattern", OPT_REVERT_PATTERN, ARG_TEXT, GROUP_COMMAND, "NAME", 0, 0, nullptr,
     "give standard pattern NAME its default settings back"},
    {"exclude-pattern", OPT_EXCLUDE_PATTERN, ARG_TEXT, GROUP_COMMAND, "NAME", 0, 0, nullptr,
     "leave pattern NAME out of the random choice and the morphs"},
    {"include-pattern", OPT_INCLUDE_PATTERN, ARG_TEXT, GROUP_COMMAND, "NAME", 0, 0, nullptr,
     "use pattern NAME again"},
    {"set-pattern", OPT_SET_PATTERN, ARG_TWO_TEXTS, GROUP_COMMAND, "NAME \"FIELD=VALUE\"", 0, 0, nullptr,
     "change one field of pattern NAME, for example \"Trail Length=300\""},

    {"install", OPT_IGNORED, ARG_NONE, GROUP_IGNORED, nullptr, 0, 0, nullptr,
     "accepted for XScreenSaver and ignored, as are --noinstall, --visual V, --mono\nand --pair"},
    {"noinstall", OPT_IGNORED, ARG_NONE, GROUP_IGNORED, nullptr, 0, 0, nullptr, nullptr},
    {"visual", OPT_IGNORED, ARG_IGNORED, GROUP_IGNORED, "V", 0, 0, nullptr, nullptr},
    {"mono", OPT_IGNORED, ARG_NONE, GROUP_IGNORED, nullptr, 0, 0, nullptr, nullptr},
    {"pair", OPT_IGNORED, ARG_NONE, GROUP_IGNORED, nullptr, 0, 0, nullptr, nullptr},
};
// clang-format on
const int kOptionCount = static_cast<int>(sizeof kOptions / sizeof kOptions[0]);

bool ParseWholeNumber(const char *text, int64_t low, int64_t high, int64_t *out) {
    if (!text) return false;
    const char *p = text;
    const bool negative = *p == '-';
    if (negative) ++p;
    if (*p < '0' || *p > '9') return false;
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const int digit = *p - '0';
        if (magnitude > (INT64_MAX - digit) / 10) return false; // checked before it could overflow
        magnitude = magnitude * 10 + digit;
    }
    if (*p) return false;
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < low || value > high) return false;
    *out = value;
    return true;
}

static bool ParseDecimal(const char *text, double high, double *out) {
    if (!text || !*text) return false;
    char *end = nullptr;
    const double v = strtod(text, &end);
    if (*end || !std::isfinite(v) || v <= 0.0 || v > high) return false;
    *out = v;
    return true;
}

static const OptionSpec *FindOption(const char *arg) {
    if (arg[0] != '-') return nullptr;
    const char *name = arg + (arg[1] == '-' ? 2 : 1);
    for (int k = 0; k < kOptionCount; ++k)
        if (strcmp(kOptions[k].name, name) == 0) return &kOptions[k];
    return nullptr;
}

static bool EffectKey(const char *text) {
    return text && text[0] && !text[1] && strchr("CFJLOQSVWZcfjloqsvwz", text[0]);
}

// The argument's range as the messages give it.
static void DescribeArgument(const OptionSpec &s, char *out, size_t size) {
    switch (s.arg) {
        case ARG_NUMBER:
            snprintf(out, size, "a whole number from %lld to %lld", static_cast<long long>(s.low),
                     static_cast<long long>(s.high));
            break;
        case ARG_DECIMAL:
            snprintf(out, size, "a number above 0, up to %lld", static_cast<long long>(s.high));
            break;
        case ARG_SIZE:
        case ARG_OPTIONAL_SIZE:
            snprintf(out, size, "WIDTHxHEIGHT, each from %lld to %lld", static_cast<long long>(s.low),
                     static_cast<long long>(s.high));
            break;
        case ARG_WINDOW_ID: snprintf(out, size, "a window id, decimal or 0x hex, 1 to 0x1fffffff"); break;
        case ARG_PATTERN:
            snprintf(out, size, "a pattern's number from %lld to %lld, its name, or random",
                     static_cast<long long>(s.low), static_cast<long long>(s.high));
            break;
        case ARG_EFFECT: snprintf(out, size, "one of the keys C F J L O Q S V W Z"); break;
        default: snprintf(out, size, "%s", s.argName ? s.argName : "a value"); break;
    }
}

// Checks one option's argument(s) at argv[*i + 1...]; moves *i past them.
static bool ReadArgument(OptionItem *item, int argc, const char *const *argv, int *i, char *error,
                         size_t errorSize) {
    const OptionSpec &s = *item->option;
    if (s.arg == ARG_NONE) return true;
    const char *value = *i + 1 < argc ? argv[*i + 1] : nullptr;
    if (s.arg == ARG_OPTIONAL_SIZE && (!value || value[0] == '-')) return true;
    char range[96];
    DescribeArgument(s, range, sizeof range);
    if (!value) {
        snprintf(error, errorSize, "%s needs %s", item->name, range);
        return false;
    }
    bool ok = true;
    switch (s.arg) {
        case ARG_NUMBER: ok = ParseWholeNumber(value, s.low, s.high, &item->number); break;
        case ARG_DECIMAL: ok = ParseDecimal(value, static_cast<double>(s.high), &item->decimal); break;
        case ARG_SIZE:
        case ARG_OPTIONAL_SIZE:
            ok = ParseWindowSize(value, &item->width, &item->height) && item->width >= s.low &&
                 item->height >= s.low;
            break;
        case ARG_WINDOW_ID: {
            unsigned long id = 0;
            ok = ParseWindowId(value, &id);
            item->number = static_cast<int64_t>(id);
            break;
        }
        case ARG_PATTERN:
            if (strcmp(value, "random") == 0)
                item->number = PATTERN_RANDOM;
            else if (value[0] >= '0' && value[0] <= '9')
                ok = ParseWholeNumber(value, s.low, s.high, &item->number);
            else
                item->number = PATTERN_BY_NAME;
            ok = ok && value[0];
            break;
        case ARG_EFFECT: ok = EffectKey(value); break;
        case ARG_TWO_TEXTS:
            if (*i + 2 >= argc) {
                snprintf(error, errorSize, "%s needs %s", item->name, s.argName);
                return false;
            }
            item->text2 = argv[*i + 2];
            ++*i;
            break;
        default: break;
    }
    if (!ok) {
        snprintf(error, errorSize, "%s: \"%s\" is not %s", item->name, value, range);
        return false;
    }
    item->text = value;
    ++*i;
    return true;
}

static bool IsWindowMode(const OptionSpec *s) {
    return s->id == OPT_WINDOW || s->id == OPT_ROOT || s->id == OPT_WINDOW_ID;
}

// Which mode the options name: --window-id wins over --root (XScreenSaver's settings program adds it to the
// command of its file); any other two are a contradiction, named at the second.
static bool DecideMode(CommandLine *c, const char *screenSaverWindow, char *error, size_t errorSize) {
    const OptionItem *mode = nullptr, *snapshot = nullptr;
    for (int k = 0; k < c->count; ++k) {
        const OptionItem *item = &c->items[k];
        if (item->option->id == OPT_SNAPSHOT) {
            if (snapshot) {
                snprintf(error, errorSize, "%s: only one --snapshot can be given", item->name);
                return false;
            }
            snapshot = item;
        }
        if (!IsWindowMode(item->option)) continue;
        if (mode && mode->option->id != item->option->id) {
            const bool rootAndId = (mode->option->id == OPT_ROOT && item->option->id == OPT_WINDOW_ID) ||
                                   (mode->option->id == OPT_WINDOW_ID && item->option->id == OPT_ROOT);
            if (!rootAndId) {
                snprintf(error, errorSize, "%s: only one mode can be given (%s came first)", item->name,
                         mode->name);
                return false;
            }
            if (item->option->id == OPT_ROOT) continue;
        } else if (mode) {
            snprintf(error, errorSize, "%s: given twice", item->name);
            return false;
        }
        mode = item;
    }
    if (snapshot && mode) {
        snprintf(error, errorSize, "%s: --snapshot draws without a display and takes no other mode",
                 mode->name);
        return false;
    }
    c->mode = mode;
    c->snapshot = snapshot != nullptr;
    c->saver = {SAVER_FULL_SCREEN, DEFAULT_WINDOW_WIDTH, DEFAULT_WINDOW_HEIGHT, 0};
    if (mode && mode->option->id == OPT_WINDOW) {
        c->saver.mode = SAVER_WINDOW;
        if (mode->text) {
            c->saver.width = mode->width;
            c->saver.height = mode->height;
        }
    } else if (mode && mode->option->id == OPT_WINDOW_ID) {
        c->saver.mode = SAVER_WINDOW_ID;
        c->saver.windowId = static_cast<unsigned long>(mode->number);
    } else if (!snapshot && screenSaverWindow && *screenSaverWindow) {
        // XScreenSaver names its window this way; with --root it is the daemon's own window over the real
        // root, so drawing into the real root would not be seen.
        if (!ParseWindowId(screenSaverWindow, &c->saver.windowId)) {
            snprintf(error, errorSize,
                     "XSCREENSAVER_WINDOW=\"%.40s\" is not a window id (decimal or 0x hex, 1 to 0x1fffffff)",
                     screenSaverWindow);
            return false;
        }
        c->saver.mode = mode ? SAVER_ROOT : SAVER_WINDOW_ID;
    } else if (mode) {
        c->saver.mode = SAVER_ROOT;
    }
    return true;
}

// The snapshot's own options, and the settings it takes its own way.
static bool FillSnapshot(CommandLine *c, char *error, size_t errorSize) {
    SnapshotOptions *o = &c->snap;
    DefaultSnapshotOptions(o);
    for (int k = 0; k < c->count; ++k) {
        const OptionItem &item = c->items[k];
        switch (item.option->id) {
            case OPT_SNAPSHOT: o->directory = item.text; break;
            case OPT_PATTERN:
                if (item.number < 0 || item.number >= NUM_STANDARD_PRESETS) {
                    snprintf(error, errorSize, "%s: --snapshot draws a standard pattern, 0 to 14", item.name);
                    return false;
                }
                o->pattern = static_cast<int32_t>(item.number);
                break;
            case OPT_SEED: o->seed = static_cast<uint32_t>(item.number); break;
            case OPT_RESOLUTION:
                o->width = item.width;
                o->height = item.height;
                break;
            case OPT_DEPTH:
                if (item.number != 16 && item.number != 24 && item.number != 32) {
                    snprintf(error, errorSize, "%s: \"%s\" is not 16, 24 or 32", item.name, item.text);
                    return false;
                }
                o->depth = static_cast<uint32_t>(item.number);
                break;
            case OPT_SECONDS: o->seconds = item.decimal; break;
            case OPT_PICTURE_RATE: o->framesPerSecond = item.decimal; break;
            case OPT_PAINT: o->paint = 1; break;
            case OPT_MORPH_TO: o->morphTo = static_cast<int32_t>(item.number); break;
            case OPT_EFFECT: o->effectKey = item.text[0]; break;
            default: break;
        }
    }
    if (o->seconds * o->framesPerSecond < 1.0) {
        snprintf(error, errorSize, "--seconds x --snapshot-fps gives no frame to write");
        return false;
    }
    return true;
}

bool ParseCommandLine(int argc, const char *const *argv, const char *screenSaverWindow, CommandLine *c,
                      char *error, size_t errorSize) {
    *c = {};
    const bool snapshot = [&] {
        for (int i = 1; i < argc; ++i) {
            const OptionSpec *s = FindOption(argv[i]);
            if (s && s->id == OPT_SNAPSHOT) return true;
        }
        return false;
    }();
    for (int i = 1; i < argc; ++i) {
        const OptionSpec *s = FindOption(argv[i]);
        if (!s) {
            snprintf(error, errorSize,
                     argv[i][0] == '-' ? "unknown option \"%s\"" : "unexpected argument \"%s\"", argv[i]);
            return false;
        }
        if (c->count == MAX_OPTION_ITEMS) {
            snprintf(error, errorSize, "%s: more than %d options", argv[i], MAX_OPTION_ITEMS);
            return false;
        }
        OptionItem *item = &c->items[c->count];
        *item = {s, argv[i], nullptr, nullptr, 0, 0.0, 0, 0};
        // In the snapshot a number after --fps is the old picture rate; elsewhere --fps takes none.
        if (s->id == OPT_FPS && snapshot && i + 1 < argc && argv[i + 1][0] != '-') {
            static const OptionSpec *const rate = FindOption("--snapshot-fps");
            item->option = rate;
        }
        if (!ReadArgument(item, argc, argv, &i, error, errorSize)) return false;
        switch (item->option->id) {
            case OPT_HELP: c->help = true; break;
            case OPT_VERSION: c->version = true; break;
            case OPT_CHECK: c->check = true; break;
            case OPT_SETTINGS_FILE: c->settingsFile = item->text; break;
            case OPT_IGNORED: continue;
            default: break;
        }
        if (item->option->group == GROUP_COMMAND && item->option->id != OPT_SETTINGS_FILE) ++c->commands;
        if (item->option->group == GROUP_SNAPSHOT && !snapshot) {
            snprintf(error, errorSize, "%s works only with --snapshot", item->name);
            return false;
        }
        ++c->count;
    }
    if (c->help || c->version) return true;
    if (!DecideMode(c, screenSaverWindow, error, errorSize)) return false;
    return !c->snapshot || FillSnapshot(c, error, errorSize);
}

// ---------------------------------------------------------------------------------------------------------------
// Help
// ---------------------------------------------------------------------------------------------------------------
static void PrintGroup(FILE *out, OptionGroup group) {
    for (int k = 0; k < kOptionCount; ++k) {
        const OptionSpec &s = kOptions[k];
        if (s.group != group || !s.help) continue;
        char left[64];
        snprintf(left, sizeof left, "--%s%s%s", s.name, s.argName ? " " : "", s.argName ? s.argName : "");
        const char *line = s.help;
        fprintf(out, "  %-24s", left);
        if (strlen(left) > 22) fprintf(out, "\n  %-24s", "");
        for (const char *next; (next = strchr(line, '\n')); line = next + 1)
            fprintf(out, "%.*s\n  %-24s", static_cast<int>(next - line), line, "");
        fprintf(out, "%s\n", line);
    }
}

void PrintHelp(FILE *out) {
    fputs("Usage: tavo [MODE] [OPTIONS]\n"
          "\n"
          "A particle-trail screen saver. Without a mode it runs full screen on the current display; a key,\n"
          "a mouse button or a mouse move ends it (the effect and command keys do not; F1 shows them).\n"
          "With $XSCREENSAVER_WINDOW set and no mode it draws into the window that variable names.\n"
          "Every option may be given with one dash or two.\n"
          "\n"
          "Modes:\n",
          out);
    PrintGroup(out, GROUP_MODE);
    fputs("\nSettings for this run (the stored settings are not changed):\n", out);
    PrintGroup(out, GROUP_SETTING);
    fputs("\nSnapshot options (tavo --snapshot DIR [OPTIONS]; --pattern takes 0 to 14 there):\n", out);
    PrintGroup(out, GROUP_SNAPSHOT);
    fputs("\nSettings file commands (they print or change the file and exit):\n", out);
    PrintGroup(out, GROUP_COMMAND);
    fputs("\nOther options:\n", out);
    PrintGroup(out, GROUP_PROGRAM);
    PrintGroup(out, GROUP_IGNORED);
    fputs("\nKeys while it runs: 1 to 0 (with Ctrl: patterns 11 to 15) morph to a pattern, M morphs,\n"
          "C F J L O Q S V W Z trigger effects, D double size, H hints, N names, P painting, Pause pauses,\n"
          "F1 key help. SIGTERM or SIGINT ends it with exit code 0.\n"
          "\n"
          "XScreenSaver: pick Tavo in xscreensaver-settings, or add this line to the programs: list in\n"
          "~/.xscreensaver:\n"
          "  tavo --root\n",
          out);
}

// ---------------------------------------------------------------------------------------------------------------
// This run's settings
// ---------------------------------------------------------------------------------------------------------------
static const CommandLine *sRunLine = nullptr;
static int32_t sRunPattern = -1; // the pattern's index once resolved, -1 none, -2 random

static int FindPatternByName(const char *name) {
    for (int k = 0; k < gPresetCount; ++k)
        if (StoreCompareNames(gPresets[k].name, name) == 0) return k;
    return -1;
}

bool SetRunSettings(const CommandLine *line, char *error, size_t errorSize) {
    sRunLine = line;
    sRunPattern = -1;
    gApplyRunSettings = line ? ApplyRunSettings : nullptr;
    if (!line || line->snapshot) return true; // the snapshot takes its pattern its own way
    for (int k = 0; k < line->count; ++k) {
        const OptionItem &item = line->items[k];
        if (item.option->id != OPT_PATTERN) continue;
        if (item.number == PATTERN_RANDOM) {
            sRunPattern = -2;
            continue;
        }
        // the library says which numbers and names there are: load it (without these settings) to see
        gApplyRunSettings = nullptr;
        if (!GetSettings(true)) {
            snprintf(error, errorSize, "%s: the pattern library could not be loaded", item.name);
            return false;
        }
        gApplyRunSettings = ApplyRunSettings;
        const int index = item.number == PATTERN_BY_NAME
                              ? FindPatternByName(item.text)
                              : (item.number < gPresetCount ? static_cast<int>(item.number) : -1);
        if (index < 0) {
            snprintf(error, errorSize, "%s: there is no pattern %s%s%s (tavo --list-patterns lists them)",
                     item.name, item.number == PATTERN_BY_NAME ? "called \"" : "", item.text,
                     item.number == PATTERN_BY_NAME ? "\"" : "");
            return false;
        }
        sRunPattern = index;
    }
    return true;
}

void ApplyRunSettings() {
    if (!sRunLine) return;
    for (int k = 0; k < sRunLine->count; ++k) {
        const OptionItem &item = sRunLine->items[k];
        const OptionSpec &s = *item.option;
        switch (s.id) {
            case OPT_FLAG: *s.target = static_cast<int32_t>(s.low); break;
            case OPT_GLOBAL: *s.target = static_cast<int32_t>(item.number); break;
            case OPT_PHYSICS_RATE: gPhysicsRate = static_cast<uint32_t>(item.number); break;
            case OPT_RESOLUTION:
                snprintf(gResolution, sizeof gResolution, "%u x %u", item.width, item.height);
                gResolutionStored = 1;
                break;
            case OPT_FPS: gShowFps = 1; break;
            case OPT_NO_FPS: gShowFps = 0; break;
            case OPT_DELAY: gFrameDelayUs = static_cast<uint32_t>(item.number); break;
            default: break;
        }
    }
    if (sRunPattern == -2) {
        gUseRandomPreset = 1;
    } else if (sRunPattern >= 0 && sRunPattern < gPresetCount) {
        gUseRandomPreset = 0;
        gCurrentPreset = sRunPattern;
    }
}
