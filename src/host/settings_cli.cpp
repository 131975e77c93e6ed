// The settings commands of the command line: another settings file, the pattern library and the global
// settings printed, one global value written after checking it against its range. Called by the program's
// entry before anything else; it never writes a value it has not checked, and never more than that value.
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/store.h"

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

void PrintSettings(FILE *out) {
    for (const GlobalSetting &g : kGlobals) {
        if (g.value)
            fprintf(out, "%s=%d\n", g.name, *g.value);
        else if (!strcmp(g.name, "Resolution"))
            fprintf(out, "%s=%s\n", g.name, gResolution);
        else
            fprintf(out, "%s=%u\n", g.name, gPhysicsRate);
    }
}

void ListPatterns(FILE *out) {
    for (int k = 0; k < gPresetCount; ++k) {
        const Preset &p = gPresets[k];
        fprintf(out, "%c%3d  %s%s%s\n", k == gCurrentPreset ? '*' : ' ', k, p.name,
                p.modified ? " (Modified)" : "", p.dontUse ? "  [not used]" : "");
    }
}

// A whole decimal number, nothing else.
bool ParseNumber(const char *text, int64_t *out) {
    if (!*text || strlen(text) > 12) return false;
    char *end = nullptr;
    const long long value = strtoll(text, &end, 10);
    if (*end || text[0] == '+' || text[0] == ' ') return false;
    *out = value;
    return true;
}

int SetOne(const char *assignment, FILE *err) {
    const char *equals = strchr(assignment, '=');
    if (!equals) {
        fprintf(err, "tavo: --set needs \"Value Name=value\", not \"%s\".\n", assignment);
        return 2;
    }
    const std::string name(assignment, static_cast<size_t>(equals - assignment));
    const char *text = equals + 1;
    const GlobalSetting *setting = nullptr;
    for (const GlobalSetting &g : kGlobals)
        if (StoreCompareNames(g.name, name.c_str()) == 0) setting = &g;
    if (!setting) {
        fprintf(err, "tavo: there is no setting called \"%s\". The settings are:\n", name.c_str());
        for (const GlobalSetting &g : kGlobals)
            fprintf(err, "  %s\n", g.name);
        return 2;
    }
    unsigned char data[SETTING_TEXT_LEN + 1];
    uint32_t type = STORE_DWORD, size = 4;
    if (!strcmp(setting->name, "Resolution")) {
        uint32_t width, height;
        if (!ParseResolution(text, &width, &height)) {
            fprintf(err,
                    "tavo: \"Resolution\" must be \"WIDTH x HEIGHT\", each from 320 to 16384, not \"%s\".\n",
                    text);
            return 2;
        }
        type = STORE_SZ;
        size = static_cast<uint32_t>(
            snprintf(reinterpret_cast<char *>(data), sizeof data, "%u x %u", width, height));
    } else {
        const int64_t high = !strcmp(setting->name, "Preset") ? gPresetCount - 1 : setting->high;
        int64_t value;
        if (!ParseNumber(text, &value) || value < setting->low || value > high) {
            fprintf(err, "tavo: \"%s\" must be a whole number from %lld to %lld, not \"%s\".\n",
                    setting->name, static_cast<long long>(setting->low), static_cast<long long>(high), text);
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

} // namespace

int RunSettingsCommandTo(int *argc, char **argv, bool *handled, FILE *out, FILE *err) {
    *handled = false;
    // take "--settings-file PATH" out of the arguments first: it applies to whatever runs next
    int kept = 1;
    for (int k = 1; k < *argc; ++k) {
        if (!strcmp(argv[k], "--settings-file")) {
            if (k + 1 >= *argc) {
                fprintf(err, "tavo: --settings-file needs the path of a settings file.\n");
                *handled = true;
                return 2;
            }
            SetRegFilePath(argv[++k]);
            SetStoreBackend(RegFileStoreBackend());
            continue;
        }
        argv[kept++] = argv[k];
    }
    *argc = kept;
    argv[kept] = nullptr;

    bool list = false, show = false;
    int sets = 0;
    for (int k = 1; k < *argc; ++k) {
        if (!strcmp(argv[k], "--list-patterns"))
            list = true;
        else if (!strcmp(argv[k], "--settings"))
            show = true;
        else if (!strcmp(argv[k], "--set")) {
            if (k + 1 >= *argc) {
                fprintf(err, "tavo: --set needs \"Value Name=value\".\n");
                *handled = true;
                return 2;
            }
            ++sets;
            ++k;
        }
    }
    if (!list && !show && !sets) return 0;
    *handled = true;
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
    for (int k = 1; k < *argc; ++k) {
        if (strcmp(argv[k], "--set")) continue;
        const int result = SetOne(argv[++k], err);
        if (result) return result;
    }
    if (sets && !GetSettings(false)) return 1; // print what is now stored
    if (show) PrintSettings(out);
    if (list) ListPatterns(out);
    return 0;
}

int RunSettingsCommand(int *argc, char **argv, bool *handled) {
    return RunSettingsCommandTo(argc, argv, handled, stdout, stderr);
}
