// The Linux program's command line: one table of options (name, argument, range, what it sets, help line)
// that the parser, --help and the manual page are all made from. Portable; reads only its arguments.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "host/host.h"
#include "host/saver_options.h"

enum OptionArg : uint8_t {
    ARG_NONE,
    ARG_NUMBER,        // a whole number in [low, high]
    ARG_DECIMAL,       // a number above 0, up to high
    ARG_SIZE,          // WIDTHxHEIGHT, low..high each
    ARG_OPTIONAL_SIZE, // as ARG_SIZE when the next argument does not start with '-'
    ARG_WINDOW_ID,     // an X window id, decimal or 0x hex
    ARG_TEXT,          // any text
    ARG_TWO_TEXTS,     // two texts
    ARG_PATTERN,       // a pattern's number or name, or "random"
    ARG_EFFECT,        // an effect's key letter
    ARG_IGNORED,       // one argument, accepted and ignored
};

enum OptionGroup : uint8_t {
    GROUP_MODE,     // where the saver draws
    GROUP_SETTING,  // a global setting for this run only
    GROUP_SNAPSHOT, // the headless renderer's own options
    GROUP_COMMAND,  // prints or changes the settings file, then exits
    GROUP_PROGRAM,  // help, version, the check of the options
    GROUP_IGNORED,  // accepted for XScreenSaver and ignored
};

enum OptionId : uint8_t {
    OPT_HELP,
    OPT_VERSION,
    OPT_CHECK,
    OPT_WINDOW,
    OPT_ROOT,
    OPT_WINDOW_ID,
    OPT_SNAPSHOT,
    OPT_PATTERN,
    OPT_FLAG,          // sets *target to low
    OPT_GLOBAL,        // sets *target to the number given
    OPT_PHYSICS_RATE,  // gPhysicsRate, unsigned
    OPT_RESOLUTION,    // the display size
    OPT_FPS,           // the frame-rate figure on; in --snapshot with a number after it, the picture rate
    OPT_NO_FPS,        // the frame-rate figure off
    OPT_DELAY,         // gFrameDelayUs
    OPT_SEED,          // snapshot
    OPT_DEPTH,         // snapshot
    OPT_SECONDS,       // snapshot
    OPT_PICTURE_RATE,  // snapshot
    OPT_PAINT,         // snapshot: painting on at once
    OPT_MORPH_TO,      // snapshot
    OPT_EFFECT,        // snapshot
    OPT_SETTINGS_FILE, // taken first: applies to whatever runs
    OPT_LIST_PATTERNS,
    OPT_SHOW_SETTINGS,
    OPT_SET,
    OPT_COPY_PATTERN,
    OPT_RENAME_PATTERN,
    OPT_DELETE_PATTERN,
    OPT_REVERT_PATTERN,
    OPT_EXCLUDE_PATTERN,
    OPT_INCLUDE_PATTERN,
    OPT_SET_PATTERN,
    OPT_IGNORED,
};

struct OptionSpec {
    const char *name; // without its dashes; one or two may be given
    OptionId id;
    OptionArg arg;
    OptionGroup group;
    const char *argName; // in the help, or nullptr
    int64_t low, high;   // the range of a number or size; OPT_FLAG: the value set
    int32_t *target;     // OPT_FLAG, OPT_GLOBAL: the setting
    const char *help;    // one line or more ('\n' between them); nullptr: not listed
};
extern const OptionSpec kOptions[];
extern const int kOptionCount;

// One option as given, its argument checked against the table.
struct OptionItem {
    const OptionSpec *option;
    const char *name; // as typed, for messages
    const char *text, *text2;
    int64_t number;         // ARG_NUMBER; ARG_PATTERN: the number, -1 random, -2 a name in text
    double decimal;         // ARG_DECIMAL
    uint32_t width, height; // ARG_SIZE
};

constexpr int MAX_OPTION_ITEMS = 64;
constexpr int64_t PATTERN_RANDOM = -1, PATTERN_BY_NAME = -2;

struct CommandLine {
    bool help, version, check;
    const char *settingsFile;
    const OptionItem *mode; // the mode option that decides, nullptr: full screen
    SaverOptions saver;     // what mode says, with $XSCREENSAVER_WINDOW taken in
    bool snapshot;          // --snapshot: snap is filled
    SnapshotOptions snap;
    int commands; // the settings commands among items
    OptionItem items[MAX_OPTION_ITEMS];
    int count;
};

// An overflow-safe whole decimal number in [low, high]: digits with an optional leading '-', nothing else.
bool ParseWholeNumber(const char *text, int64_t low, int64_t high, int64_t *out);
// Reads every argument through the table. False with a message naming the option at fault.
bool ParseCommandLine(int argc, const char *const *argv, const char *screenSaverWindow, CommandLine *out,
                      char *error, size_t errorSize);
void PrintHelp(FILE *out);

// Takes this run's settings from `line` (kept by pointer until the next call; nullptr: none) and applies
// them to the global settings each time the settings are loaded. A pattern given by name is resolved
// against the library then loaded: false with a message when it names none.
bool SetRunSettings(const CommandLine *line, char *error, size_t errorSize);
void ApplyRunSettings();

// Runs the settings commands of `line` in their order (--settings and --list-patterns print at the end);
// the exit code: 0 done, 1 the settings could not be read or written, 2 a command was refused.
int RunSettingsCommands(const CommandLine &line, FILE *out, FILE *err);
