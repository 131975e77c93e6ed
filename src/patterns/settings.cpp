// The settings store: loads the pattern library and the global settings from the store (GetSettings) and
// writes them back (SaveSettings, SavePreset). Called by the saver's start, the settings dialog and the
// command line. Whatever is stored, it never leaves an unterminated text or a value the engine cannot take.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/memory.h"
#include "platform/store.h"

static const char kDefaultResolution[] = "640 x 480";

// ---------------------------------------------------------------------------------------------------------------
// Readers
// ---------------------------------------------------------------------------------------------------------------
static const char *TypeName(uint32_t type) {
    switch (type) {
        case STORE_SZ: return "text";
        case STORE_BINARY: return "binary";
        case STORE_DWORD: return "number";
        default: return "other";
    }
}

// A value of exactly `bytes` bytes of one of the two types given (0 for none); a missing one is quietly the
// default, one of another type or size is the default and a line in the log, so no destination is half
// filled and the bytes of a text never become a number.
static bool ReadExact(void *key, const char *valueName, void *dest, uint32_t bytes, uint32_t type1,
                      uint32_t type2) {
    unsigned char buffer[8];
    uint32_t type = 0, size = bytes;
    const int32_t result = StoreReadValue(key, valueName, &type, buffer, &size);
    if (result == STORE_SUCCESS && size == bytes && type && (type == type1 || type == type2)) {
        memcpy(dest, buffer, bytes);
        return true;
    }
    if (result == STORE_SUCCESS || result == STORE_MORE_DATA)
        LogMessage(
            "GetSettings: \"%s\" is stored as a %s value of %u bytes, not a %u-byte %s; the default is "
            "used.\n",
            valueName, TypeName(type), size, bytes, TypeName(type1));
    return false;
}

// A number: a DWORD, or four bytes of binary, which the registry also lets a DWORD be read from.
void ReadRegDword(void *key, const char *valueName, int32_t *dest, int32_t defaultValue) {
    if (!ReadExact(key, valueName, dest, 4, STORE_DWORD, STORE_BINARY)) *dest = defaultValue;
}

void ReadRegDouble(void *key, const char *valueName, double *dest, double defaultValue) {
    if (!ReadExact(key, valueName, dest, 8, STORE_BINARY, 0)) *dest = defaultValue;
}

void ReadRegString(void *key, const char *valueName, char *dest, int maxChars, const char *defaultText) {
    char buffer[256];
    if (maxChars < 0) maxChars = 0;
    if (maxChars > static_cast<int>(sizeof buffer) - 1) maxChars = sizeof buffer - 1;
    uint32_t type = 0, size = static_cast<uint32_t>(maxChars) + 1;
    const int32_t result = StoreReadValue(key, valueName, &type, buffer, &size);
    if (result == STORE_SUCCESS && type == STORE_SZ && size <= uint32_t(maxChars) + 1) {
        // the text ends at its first NUL or at the bytes returned; more than maxChars is too long to keep
        const size_t length = strnlen(buffer, size);
        if (length <= static_cast<size_t>(maxChars)) {
            memcpy(dest, buffer, length);
            dest[length] = '\0';
            return;
        }
    }
    if (result == STORE_SUCCESS && type != STORE_SZ)
        LogMessage("GetSettings: \"%s\" is stored as a %s value, not text; the default is used.\n", valueName,
                   TypeName(type));
    snprintf(dest, static_cast<size_t>(maxChars) + 1, "%s", defaultText);
}

static int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : value > high ? high : value;
}
static int32_t Flag(int32_t value) {
    return value != 0;
}

static void LogStoreProblems(const char *function) {
    char text[2500];
    if (StoreTakeProblem(text, sizeof text)) LogMessage("%s: %s\n", function, text);
}

bool ParseResolution(const char *text, uint32_t *width, uint32_t *height) {
    uint32_t values[2] = {0, 0};
    const char *p = text;
    for (int k = 0; k < 2; ++k) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (k == 1) {
            if (*p != 'x') return false;
            ++p;
            while (*p == ' ' || *p == '\t')
                ++p;
        }
        if (*p < '0' || *p > '9') return false;
        uint32_t value = 0;
        while (*p >= '0' && *p <= '9') {
            if (value > 100000) return false; // far out of range already; stop before it overflows
            value = value * 10 + static_cast<uint32_t>(*p++ - '0');
        }
        if (value < 320 || value > 16384) return false;
        values[k] = value;
    }
    *width = values[0];
    *height = values[1];
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Loader
// ---------------------------------------------------------------------------------------------------------------
// The fifteen values of a pattern's subkey into `p`, defaults from record 0 as it is now, then made sane.
static void ReadPresetValues(void *key, Preset *p) {
    const Preset base = gPresets[0];
    ReadRegDword(key, "Trail Kinkiness", &p->trailKinkiness, base.trailKinkiness);
    ReadRegDword(key, "Trail Length", &p->trailLength, base.trailLength);
    ReadRegDword(key, "Trail Density", &p->trailDensity, base.trailDensity);
    ReadRegDword(key, "Trail Width", &p->trailWidth, base.trailWidth);
    ReadRegDword(key, "Number Of Trails", &p->numberOfTrails, base.numberOfTrails);
    ReadRegDword(key, "Sparkle", &p->sparkle, base.sparkle);
    ReadRegDword(key, "Sparkliness", &p->sparkliness, base.sparkliness);
    ReadRegDword(key, "Fade Speed", &p->fadeSpeed, base.fadeSpeed);
    ReadRegDword(key, "Colour Speed", &p->colourSpeed, base.colourSpeed);
    ReadRegDword(key, "Jump Speed", &p->jumpSpeed, base.jumpSpeed);
    ReadRegDword(key, "Spiral Trail", &p->spiralTrail, base.spiralTrail);
    ReadRegDouble(key, "Spiral Inc", &p->spiralInc, base.spiralInc);
    ReadRegDword(key, "Always Fade Head", &p->alwaysFadeHead, 0);
    ReadRegDword(key, "Always Quicksand", &p->alwaysQuicksand, 0);
    ReadRegDword(key, "Don't Use Presets", &p->dontUse, 0);

    // a hand-edited store must not hand the engine a divisor below 1 or a length it cannot hold
    p->trailKinkiness = Clamp(p->trailKinkiness, 0, 50);
    p->trailLength = Clamp(p->trailLength, 1, 1000);
    p->trailDensity = Clamp(p->trailDensity, 1, 50);
    p->trailWidth = Clamp(p->trailWidth, 0, 90);
    p->numberOfTrails = Clamp(p->numberOfTrails, 1, 100);
    p->sparkle = Flag(p->sparkle);
    p->sparkliness = Clamp(p->sparkliness, 4, 200);
    p->fadeSpeed = Clamp(p->fadeSpeed, 0, 100);
    p->colourSpeed = Clamp(p->colourSpeed, 1, 300);
    p->jumpSpeed = Clamp(p->jumpSpeed, 1, 3600);
    p->spiralTrail = Flag(p->spiralTrail);
    if (!std::isfinite(p->spiralInc) || std::fabs(p->spiralInc) > TWO_PI) p->spiralInc = base.spiralInc;
    p->alwaysFadeHead = Flag(p->alwaysFadeHead);
    p->alwaysQuicksand = Flag(p->alwaysQuicksand);
    p->dontUse = Flag(p->dontUse);
}

static void ReadGlobals(void *key) {
    ReadRegDword(key, "Show More Options", &gShowMoreOptions, 0);
    ReadRegString(key, "Resolution", gResolution, SETTING_TEXT_LEN, "");
    if (gResolution[0])
        gResolutionStored = 1;
    else
        snprintf(gResolution, sizeof gResolution, "%s", kDefaultResolution);
    ReadRegDword(key, "Use Random Preset", &gUseRandomPreset, 0);
    ReadRegDword(key, "Morph Settings", &gMorphSettings, 1);
    ReadRegDword(key, "Morph Interval", &gMorphInterval, 20);
    ReadRegDword(key, "Morph Duration", &gMorphDuration, 6000);
    ReadRegDword(key, "Show Names", &gShowNames, 0);
    ReadRegDword(key, "Show Hints", &gShowHints, 0);
    ReadRegDword(key, "Double Size", &gDoubleSize, 0);
    ReadRegDword(key, "Painting Mode", &gPaintingMode, 3);
    ReadRegDword(key, "Background Brightness", &gBackgroundBrightness, 100);
    ReadRegDword(key, "Random Background", &gRandomBackground, 1);
    int32_t rate;
    ReadRegDword(key, "Physics Rate", &rate, 50000);

    gShowMoreOptions = Flag(gShowMoreOptions);
    gUseRandomPreset = Flag(gUseRandomPreset);
    gMorphSettings = Flag(gMorphSettings);
    gMorphInterval = Clamp(gMorphInterval, 0, 3600);
    gMorphDuration = Clamp(gMorphDuration, 1, 20000);
    gShowNames = Flag(gShowNames);
    gShowHints = Flag(gShowHints);
    gDoubleSize = Flag(gDoubleSize);
    gPaintingMode = Clamp(gPaintingMode, 0, 10);
    gBackgroundBrightness = Clamp(gBackgroundBrightness, 0, 255);
    gRandomBackground = Flag(gRandomBackground);
    // taken as unsigned: a stored "negative" rate is a huge one, clamped to the top
    gPhysicsRate =
        static_cast<uint32_t>(rate) > uint32_t(MAX_PHYSICS_RATE) ? MAX_PHYSICS_RATE : uint32_t(rate);
}

static void DefaultGlobals() {
    // "Show More Options" keeps its value: 1 on a machine that never stored settings
    snprintf(gResolution, sizeof gResolution, "%s", kDefaultResolution);
    gUseRandomPreset = 0;
    gMorphSettings = 1;
    gMorphInterval = 20;
    gMorphDuration = 6000;
    gShowNames = 0;
    gShowHints = 0;
    gDoubleSize = 0;
    gPaintingMode = 3;
    gBackgroundBrightness = 100;
    gRandomBackground = 1;
    gPhysicsRate = 50000;
}

// The entries of the exclusion list that name a standard pattern; a stray character, an index beyond the
// standard patterns or an odd tail is ignored.
static void ApplyExclusionList(const char *list) {
    for (size_t at = 0; list[at] && list[at + 1]; at += 2) {
        const char hi = list[at], lo = list[at + 1];
        if (hi < '0' || hi > '9' || lo < '0' || lo > '9') continue;
        const int index = (hi - '0') * 10 + (lo - '0');
        if (index < NUM_STANDARD_PRESETS) gPresets[index].dontUse = 1;
    }
}

// Enumerates the pattern subkeys into the library. Returns false when growing the library failed (the
// enumeration then stops; what was read stays).
static bool ReadPatternSubkeys(void *settingsKey) {
    for (uint32_t index = 0;; ++index) {
        char name[STORE_NAME_BUFFER];
        uint32_t size = sizeof name;
        const int32_t result = StoreEnumKey(settingsKey, index, name, &size);
        if (result == STORE_MORE_DATA) continue; // a name longer than a pattern name cannot be one: skipped
        if (result != STORE_SUCCESS) return true;
        name[PRESET_NAME_LEN] = '\0';

        int target = -1;
        for (int k = 0; k < NUM_STANDARD_PRESETS; ++k) {
            if (StoreCompareNames(gPresets[k].name, name) == 0) {
                target = k;
                gPresets[k].modified = 1;
                break;
            }
        }
        char path[sizeof SETTINGS_KEY + STORE_NAME_BUFFER + 1];
        snprintf(path, sizeof path, "%s\\%s", SETTINGS_KEY, name);
        void *key = nullptr;
        if (StoreOpenKey(path, STORE_READ, &key) != STORE_SUCCESS) {
            LogMessage("Couldn't open registry key \"%s\" for setting \"%s\"\n", path, name);
            continue;
        }
        if (target < 0) {
            Preset *grown = static_cast<Preset *>(
                HeapReallocate(gPresets, sizeof(Preset) * static_cast<size_t>(gPresetCount + 1)));
            if (!grown) {
                StoreCloseKey(key);
                ErrorBox("A system error occurred reading the settings from the registry.");
                return false;
            }
            gPresets = grown;
            target = gPresetCount++;
            memset(&gPresets[target], 0, sizeof(Preset));
        }
        Preset *p = &gPresets[target];
        memset(p->name, 0, sizeof p->name);
        memcpy(p->name, name, strnlen(name, PRESET_NAME_LEN));
        ReadPresetValues(key, p);
        if (target >= NUM_STANDARD_PRESETS) p->alwaysPaint = 0;
        StoreCloseKey(key);
    }
}

bool GetSettings(bool patternsOnly) {
    // the new library is built before the old one goes, so a failed allocation leaves a usable one
    Preset *fresh = static_cast<Preset *>(HeapAllocateZeroed(sizeof(Preset) * NUM_STANDARD_PRESETS));
    if (!fresh) {
        LogMessage("GetSettings: Allocating memory for gPresets failed.\n");
        return false;
    }
    HeapRelease(gPresets);
    gPresets = fresh;
    for (int k = 0; k < NUM_STANDARD_PRESETS; ++k)
        InitStandardPreset(k);
    gPresetCount = NUM_STANDARD_PRESETS;

    void *key = nullptr;
    if (StoreOpenKey(SETTINGS_KEY, STORE_READ, &key) != STORE_SUCCESS) {
        gCurrentPreset = 0;
        gAllPresetsUsed = 1;
        DefaultGlobals();
    } else {
        ReadRegDword(key, "Preset", &gCurrentPreset, 0);
        char exclusions[SETTING_TEXT_LEN + 1];
        ReadRegString(key, "Don't Use Presets", exclusions, SETTING_TEXT_LEN, "");
        if (!patternsOnly) ReadGlobals(key);

        ReadPatternSubkeys(key); // a failed growth ends the enumeration; the rest of the load still runs

        if (static_cast<uint32_t>(gCurrentPreset) > static_cast<uint32_t>(gPresetCount - 1))
            gCurrentPreset = gPresetCount - 1;
        ApplyExclusionList(exclusions);
        const int excluded = CountExcludedPresets();
        gAllPresetsUsed = excluded == 0;
        if (excluded == gPresetCount - 1) gMorphSettings = 0; // nothing left to morph to
        StoreCloseKey(key);
    }
    LogStoreProblems("GetSettings");
    if (!patternsOnly && gApplyRunSettings) gApplyRunSettings(); // this run's settings, never saved

    ApplyPreset(gCurrentPreset);

    gScreenWidth = 640;
    gScreenHeight = 480;
    if (gPreviewMode) return true;
    // No display mode to pick on a host that gives its own size: draw at that size, and let "Resolution"
    // say so, so the start-up hint does not offer the size already in use.
    char native[SETTING_TEXT_LEN + 1];
    snprintf(native, sizeof native, "%lu x %lu", static_cast<unsigned long>(gNativeScreenWidth),
             static_cast<unsigned long>(gNativeScreenHeight));
    if (!gResolutionStored && ParseResolution(native, &gScreenWidth, &gScreenHeight))
        memcpy(gResolution, native, sizeof native);
    else
        ParseResolution(gResolution, &gScreenWidth, &gScreenHeight);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Writers: a key that cannot be created is skipped silently
// ---------------------------------------------------------------------------------------------------------------
static bool WriteDword(void *key, const char *valueName, int32_t value) {
    unsigned char bytes[4];
    for (int k = 0; k < 4; ++k)
        bytes[k] = static_cast<unsigned char>(static_cast<uint32_t>(value) >> (8 * k));
    return StoreWriteValue(key, valueName, STORE_DWORD, bytes, 4) == STORE_SUCCESS;
}

static bool WriteText(void *key, const char *valueName, const char *text) {
    // the characters only, without a terminating NUL
    return StoreWriteValue(key, valueName, STORE_SZ, text, static_cast<uint32_t>(strlen(text))) ==
           STORE_SUCCESS;
}

void SaveSettings() {
    void *key = nullptr;
    if (StoreCreateKey(SETTINGS_KEY, &key) != STORE_SUCCESS) {
        LogStoreProblems("SaveSettings");
        return;
    }
    WriteDword(key, "Show More Options", gShowMoreOptions);
    WriteText(key, "Resolution", gResolution);
    WriteDword(key, "Preset", gCurrentPreset);
    WriteDword(key, "Use Random Preset", gUseRandomPreset);
    WriteDword(key, "Morph Settings", gMorphSettings);
    WriteDword(key, "Morph Duration", gMorphDuration);
    WriteDword(key, "Morph Interval", gMorphInterval);
    WriteDword(key, "Show Names", gShowNames);
    WriteDword(key, "Show Hints", gShowHints);
    WriteDword(key, "Double Size", gDoubleSize);
    WriteDword(key, "Painting Mode", gPaintingMode);
    WriteDword(key, "Background Brightness", gBackgroundBrightness);
    WriteDword(key, "Random Background", gRandomBackground);
    WriteDword(key, "Physics Rate", static_cast<int32_t>(gPhysicsRate));
    StoreCloseKey(key);
    LogStoreProblems("SaveSettings");
}

// Writes the pattern's subkey; true when every value was written.
bool WritePresetKey(int index) {
    const Preset *p = &gPresets[index];
    char path[sizeof SETTINGS_KEY + PRESET_NAME_LEN + 2];
    snprintf(path, sizeof path, "%s\\%s", SETTINGS_KEY, p->name);
    void *key = nullptr;
    if (StoreCreateKey(path, &key) != STORE_SUCCESS) {
        LogStoreProblems("SavePreset");
        return false;
    }
    unsigned char spiral[8];
    memcpy(spiral, &p->spiralInc, 8); // the double's bytes, little-endian on every platform we build for
    bool ok = WriteDword(key, "Trail Kinkiness", p->trailKinkiness);
    ok = WriteDword(key, "Trail Length", p->trailLength) && ok;
    ok = WriteDword(key, "Trail Density", p->trailDensity) && ok;
    ok = WriteDword(key, "Trail Width", p->trailWidth) && ok;
    ok = WriteDword(key, "Number Of Trails", p->numberOfTrails) && ok;
    ok = WriteDword(key, "Sparkle", p->sparkle) && ok;
    ok = WriteDword(key, "Sparkliness", p->sparkliness) && ok;
    ok = WriteDword(key, "Fade Speed", p->fadeSpeed) && ok;
    ok = WriteDword(key, "Colour Speed", p->colourSpeed) && ok;
    ok = WriteDword(key, "Jump Speed", p->jumpSpeed) && ok;
    ok = WriteDword(key, "Spiral Trail", p->spiralTrail) && ok;
    ok = StoreWriteValue(key, "Spiral Inc", STORE_BINARY, spiral, 8) == STORE_SUCCESS && ok;
    ok = WriteDword(key, "Always Fade Head", p->alwaysFadeHead) && ok;
    ok = WriteDword(key, "Always Quicksand", p->alwaysQuicksand) && ok;
    ok = WriteDword(key, "Don't Use Presets", p->dontUse) && ok;
    StoreCloseKey(key);
    LogStoreProblems("SavePreset");
    return ok;
}

void SavePreset(int index) {
    if (index < NUM_STANDARD_PRESETS) gPresets[index].modified = 1;
    WritePresetKey(index);
}
