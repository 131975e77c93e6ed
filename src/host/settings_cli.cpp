// The settings commands of the command line: the pattern library and the global settings printed, one
// global value written after checking it against its range, and the settings dialog's pattern operations
// (copy, rename, delete, defaults, exclusion, one field of a pattern) through the same library calls and
// messages. Called by the program's entry; it never writes a value it has not checked.
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "display/display.h"
#include "host/options.h"
#include "host/terminal.h"
#include "patterns/patterns.h"
#include "platform/msgbox.h"
#include "platform/store.h"
#include "session/session.h"

namespace {

struct GlobalSetting {
    const char *name;
    int32_t *value; // nullptr for "Physics Rate", which is unsigned, and "Resolution", which is text
    int64_t low, high;
};

const GlobalSetting kGlobals[] = {
    {"Show More Options", &gShowMoreOptions, 0, 1},
    {"Resolution", nullptr, 0, 0},
    {"Preset", &gCurrentPreset, 0, 0}, // up to the last pattern
    {"Use Random Preset", &gUseRandomPreset, 0, 1},
    {"Morph Settings", &gMorphSettings, 0, 1},
    {"Morph Duration", &gMorphDuration, 1, 20000},
    {"Morph Interval", &gMorphInterval, 0, 3600},
    {"Show Names", &gShowNames, 0, 1},
    {"Show Hints", &gShowHints, 0, 1},
    {"Double Size", &gDoubleSize, 0, 1},
    {"Painting Mode", &gPaintingMode, 0, 10},
    {"Background Brightness", &gBackgroundBrightness, 0, 255},
    {"Random Background", &gRandomBackground, 0, 1},
    {"Physics Rate", nullptr, 0, MAX_PHYSICS_RATE},
};

// A pattern's editable fields with the dialog's ranges (a slider's ends, or its arrows' limits).
struct PatternField {
    const char *name;
    int32_t Preset::*field;
    const DialogSlider *slider; // nullptr: low and high below
    int32_t low, high;
};

const PatternField kFields[] = {
    {"Trail Kinkiness", &Preset::trailKinkiness, &kTrailKinkinessSlider, 0, 0},
    {"Trail Length", &Preset::trailLength, &kTrailLengthSlider, 0, 0},
    {"Trail Density", &Preset::trailDensity, &kTrailDensitySlider, 0, 0},
    {"Trail Width", &Preset::trailWidth, &kTrailWidthSlider, 0, 0},
    {"Number Of Trails", &Preset::numberOfTrails, nullptr, 1, 100},
    {"Sparkle", &Preset::sparkle, nullptr, 0, 1},
    {"Sparkliness", &Preset::sparkliness, &kSparklinessSlider, 0, 0},
    {"Fade Speed", &Preset::fadeSpeed, &kFadeSpeedSlider, 0, 0},
    {"Colour Speed", &Preset::colourSpeed, &kColourSpeedSlider, 0, 0},
    {"Jump Speed", &Preset::jumpSpeed, nullptr, 1, 3600},
    {"Always Fade Head", &Preset::alwaysFadeHead, nullptr, 0, 1},
    {"Always Quicksand", &Preset::alwaysQuicksand, nullptr, 0, 1},
};

FILE *sErr = stderr;

// The dialog's messages go to the terminal; its questions count as answered Yes, since the command asked.
int CommandLineMessageBox(const char *text, const char *, uint32_t style) {
    if (style & MBOX_YESNO) return MBOX_IDYES;
    fputs("tavo: ", sErr);
    for (const char *line = text;; ++line) { // one line per message
        const char *next = strchr(line, '\n');
        fprintf(sErr, "%.*s", static_cast<int>(next ? next - line : static_cast<long>(strlen(line))), line);
        if (!next) break;
        fputc(' ', sErr);
        line = next;
    }
    fputc('\n', sErr);
    return MBOX_IDOK;
}
const MessageBoxBackend kCommandLineBoxes = {CommandLineMessageBox};

void PrintSettings(FILE *out) {
    for (const GlobalSetting &g : kGlobals) {
        if (g.value) {
            fprintf(out, "%s=%d\n", g.name, *g.value);
        } else if (!strcmp(g.name, "Resolution")) {
            // the size the saver draws at: a stored text that is not a size leaves the default
            uint32_t width = 640, height = 480;
            const bool parsed = ParseResolution(gResolution, &width, &height);
            fprintf(out, "%s=%u x %u", g.name, width, height);
            if (!parsed) {
                fputs(" (the stored \"", out);
                PrintStoredText(out, gResolution);
                fputs("\" is not a size)", out);
            }
            fputc('\n', out);
        } else {
            fprintf(out, "%s=%u\n", g.name, gPhysicsRate);
        }
    }
}

void ListPatterns(FILE *out) {
    for (int k = 0; k < gPresetCount; ++k) {
        const Preset &p = gPresets[k];
        fprintf(out, "%c%3d  ", k == gCurrentPreset ? '*' : ' ', k);
        PrintStoredText(out, p.name);
        fprintf(out, "%s%s%s\n", k >= NUM_STANDARD_PRESETS ? " (user)" : "", p.modified ? " (Modified)" : "",
                p.dontUse ? "  [not used]" : "");
    }
}

int SetOne(const char *assignment, FILE *err) {
    const char *equals = strchr(assignment, '=');
    if (!equals) {
        fprintf(err, "tavo: --set needs \"Value Name=value\", not \"");
        PrintStoredText(err, assignment);
        fputs("\".\n", err);
        return 2;
    }
    const std::string name(assignment, static_cast<size_t>(equals - assignment));
    const char *text = equals + 1;
    const GlobalSetting *setting = nullptr;
    for (const GlobalSetting &g : kGlobals)
        if (StoreCompareNames(g.name, name.c_str()) == 0) setting = &g;
    if (!setting) {
        fputs("tavo: there is no setting called \"", err);
        PrintStoredText(err, name.c_str());
        fputs("\". The settings are:\n", err);
        for (const GlobalSetting &g : kGlobals)
            fprintf(err, "  %s\n", g.name);
        return 2;
    }
    unsigned char data[SETTING_TEXT_LEN + 1];
    uint32_t type = STORE_DWORD, size = 4;
    if (!strcmp(setting->name, "Resolution")) {
        uint32_t width, height;
        if (!ParseResolution(text, &width, &height)) {
            fputs("tavo: \"Resolution\" must be \"WIDTH x HEIGHT\", each from 320 to 16384, not \"", err);
            PrintStoredText(err, text);
            fputs("\".\n", err);
            return 2;
        }
        type = STORE_SZ;
        size = static_cast<uint32_t>(
            snprintf(reinterpret_cast<char *>(data), sizeof data, "%u x %u", width, height));
    } else {
        const int64_t high = !strcmp(setting->name, "Preset") ? gPresetCount - 1 : setting->high;
        int64_t value;
        if (!ParseWholeNumber(text, setting->low, high, &value)) {
            fprintf(err, "tavo: \"%s\" must be a whole number from %lld to %lld, not \"", setting->name,
                    static_cast<long long>(setting->low), static_cast<long long>(high));
            PrintStoredText(err, text);
            fputs("\".\n", err);
            return 2;
        }
        for (int k = 0; k < 4; ++k)
            data[k] = static_cast<unsigned char>(static_cast<uint64_t>(value) >> (8 * k));
    }
    StoreKey key;
    int32_t result = StoreCreateKey(SETTINGS_KEY, &key);
    if (result == STORE_SUCCESS) {
        result = StoreWriteValue(key, setting->name, type, data, size);
        StoreCloseKey(key);
    }
    char why[2500];
    if (result != STORE_SUCCESS) {
        StoreErrorText(result, why, sizeof why);
        fprintf(err, "tavo: \"%s\" could not be written to the settings: %s; nothing was changed.\n",
                setting->name, why);
        return 1;
    }
    // what the save could not keep (the lines of a hand-edited file it kept a copy of instead)
    if (StoreTakeProblem(why, sizeof why)) fprintf(err, "tavo: %s\n", why);
    return 0;
}

// ---------------------------------------------------------------------------------------------------------------
// The pattern library
// ---------------------------------------------------------------------------------------------------------------
// The pattern a typed name names, or -1 after a message.
int FindPattern(const OptionItem &item, const char *typed, FILE *err) {
    char name[256], reason[160];
    if (StoredTextFromTerminal(typed, name, sizeof name, reason, sizeof reason)) {
        for (int k = 0; k < gPresetCount; ++k)
            if (StoreCompareNames(gPresets[k].name, name) == 0) return k;
    }
    fprintf(err, "tavo: %s: there is no pattern called \"", item.name);
    PrintStoredText(err, typed);
    fputs("\" (tavo --list-patterns lists them).\n", err);
    return -1;
}

struct NameAnswer {
    char name[256];
    bool refused;
};

// The name prompt answered with the name from the command line, checked as the dialog's prompt checks it.
void AnswerNamePrompt(void *context) {
    NameAnswer *answer = static_cast<NameAnswer *>(context);
    if (!AcceptNamePromptAnswer(answer->name)) {
        gNameAnswer[0] = '\0'; // refused: the operation sees a cancelled prompt
        answer->refused = true;
    }
}

// A new name as the prompt would take it: converted from the terminal, not empty, at most 30 characters.
bool ReadNewName(const char *typed, NameAnswer *answer, FILE *err) {
    char reason[160];
    answer->refused = false;
    if (!StoredTextFromTerminal(typed, answer->name, sizeof answer->name, reason, sizeof reason)) {
        fprintf(err, "tavo: %s.\n", reason);
        return false;
    }
    if (!answer->name[0]) {
        fputs("tavo: A pattern needs a name.\n", err);
        return false;
    }
    if (strlen(answer->name) > PRESET_NAME_LEN) {
        fprintf(err, "tavo: A pattern name can't be longer than %d characters.\n", PRESET_NAME_LEN);
        return false;
    }
    return true;
}

int SetPatternField(int index, const char *assignment, FILE *err) {
    const char *equals = strchr(assignment, '=');
    const PatternField *field = nullptr;
    if (equals) {
        const std::string name(assignment, static_cast<size_t>(equals - assignment));
        for (const PatternField &f : kFields)
            if (StoreCompareNames(f.name, name.c_str()) == 0) field = &f;
    }
    if (!field) {
        fputs("tavo: --set-pattern needs \"Field=value\" with one of these fields:\n", err);
        for (const PatternField &f : kFields)
            fprintf(err, "  %s\n", f.name);
        return 2;
    }
    int32_t low = field->low, high = field->high;
    if (field->slider) {
        low = SliderValue(*field->slider, field->slider->minimum);
        high = SliderValue(*field->slider, field->slider->maximum);
        if (low > high) std::swap(low, high);
    }
    int64_t value;
    if (!ParseWholeNumber(equals + 1, low, high, &value)) {
        fprintf(err, "tavo: \"%s\" must be a whole number from %d to %d, not \"", field->name, low, high);
        PrintStoredText(err, equals + 1);
        fputs("\".\n", err);
        return 2;
    }
    gPresets[index].*(field->field) = static_cast<int32_t>(value);
    SavePreset(index);
    return 0;
}

int RunLibraryCommand(const OptionItem &item, FILE *err) {
    const int index = FindPattern(item, item.text, err);
    if (index < 0) return 2;
    NameAnswer answer;
    switch (item.option->id) {
        case OPT_COPY_PATTERN:
        case OPT_RENAME_PATTERN: {
            if (!ReadNewName(item.text2, &answer, err)) return 2;
            const PatternPane pane = PatternPaneFrom(gPresets[index]);
            const int made = item.option->id == OPT_COPY_PATTERN
                                 ? DialogCopyPattern(index, pane, AnswerNamePrompt, &answer)
                                 : DialogRenamePattern(index, pane, AnswerNamePrompt, &answer);
            return made >= 0 ? 0 : 2;
        }
        case OPT_DELETE_PATTERN: return DeletePreset(index) ? 0 : 2;
        case OPT_REVERT_PATTERN: return RevertPreset(index) ? 0 : 2;
        case OPT_INCLUDE_PATTERN: SetPresetExcluded(index, false); return 0;
        case OPT_EXCLUDE_PATTERN: {
            // the dialog would not close with every pattern excluded: checked before anything is written
            const int32_t was = gPresets[index].dontUse;
            gPresets[index].dontUse = 1;
            const bool someUsed = CheckSomePresetUsed();
            gPresets[index].dontUse = was;
            if (!someUsed) return 2;
            SetPresetExcluded(index, true);
            return 0;
        }
        case OPT_SET_PATTERN: return SetPatternField(index, item.text2, err);
        default: return 0;
    }
}

} // namespace

int RunSettingsCommands(const CommandLine &line, FILE *out, FILE *err) {
    if (!GetSettings(false)) {
        fprintf(err, "tavo: the settings could not be loaded.\n");
        return 1;
    }
    char why[2500];
    if (CurrentStoreBackend() == RegFileStoreBackend()) {
        // a settings file that is there but cannot be read is not an empty one; its path may be no path at
        // all
        if (const int problem = RegFileReadProblem(why, sizeof why)) {
            fprintf(err, "tavo: %s\n", why);
            return problem == 2 ? 2 : 1;
        }
    }
    sErr = err;
    SetMessageBoxBackend(&kCommandLineBoxes);
    int result = 0;
    for (int k = 0; k < line.count && result == 0; ++k) {
        const OptionItem &item = line.items[k];
        if (item.option->group != GROUP_COMMAND || item.option->id == OPT_SETTINGS_FILE) continue;
        if (item.option->id == OPT_LIST_PATTERNS || item.option->id == OPT_SHOW_SETTINGS) continue;
        result = item.option->id == OPT_SET ? SetOne(item.text, err) : RunLibraryCommand(item, err);
        if (result == 0 && !GetSettings(false)) result = 1; // the next command sees what is now stored
    }
    SetMessageBoxBackend(nullptr);
    sErr = stderr;
    if (result) return result;
    for (int k = 0; k < line.count; ++k) {
        if (line.items[k].option->id == OPT_SHOW_SETTINGS) PrintSettings(out);
        if (line.items[k].option->id == OPT_LIST_PATTERNS) ListPatterns(out);
    }
    return 0;
}
