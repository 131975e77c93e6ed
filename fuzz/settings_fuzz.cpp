// GetSettings and the library operations over arbitrary stored values: the input fills a memory store value
// by value; whatever it holds, the library that loads must satisfy every range the engine relies on.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/logfile.h"
#include "platform/msgbox.h"
#include "platform/store.h"

static const char *const kKeys[] = {"Tavo",
                                    "tavo",
                                    "Mine",
                                    "Jellyfish",
                                    "3D TAVO",
                                    "Caf\xe9",
                                    "0123456789012345678901234567890",
                                    "012345678901234567890123456789",
                                    "B",
                                    "Quorl"};
static const char *const kValues[] = {"Show More Options", "Resolution",       "Preset",
                                      "Use Random Preset", "Morph Settings",   "Morph Duration",
                                      "Morph Interval",    "Show Names",       "Show Hints",
                                      "Double Size",       "Painting Mode",    "Background Brightness",
                                      "Random Background", "Physics Rate",     "Don't Use Presets",
                                      "Trail Kinkiness",   "Trail Length",     "Trail Density",
                                      "Trail Width",       "Number Of Trails", "Sparkle",
                                      "Sparkliness",       "Fade Speed",       "Colour Speed",
                                      "Jump Speed",        "Spiral Trail",     "Spiral Inc",
                                      "Always Fade Head",  "Always Quicksand"};

static int AnswerYes(const char *, const char *, uint32_t) {
    return MBOX_IDYES;
}
static const MessageBoxBackend kSilent = {AnswerYes};

static void Check(bool ok) {
    if (!ok) abort();
}

static void CheckLibrary() {
    Check(gPresets && gPresetCount >= NUM_STANDARD_PRESETS);
    Check(gCurrentPreset >= 0 && gCurrentPreset < gPresetCount);
    for (int k = 0; k < gPresetCount; ++k) {
        const Preset &p = gPresets[k];
        Check(memchr(p.name, 0, sizeof p.name) != nullptr);
        Check(p.trailDensity >= 1 && p.trailDensity <= 50 && p.numberOfTrails >= 1 &&
              p.numberOfTrails <= 100);
        Check(p.sparkliness >= 4 && p.sparkliness <= 200 && p.trailLength >= 1 && p.trailLength <= 1000);
        Check(p.colourSpeed >= 1 && p.jumpSpeed >= 1 && p.fadeSpeed >= 0 && p.fadeSpeed <= 100);
        Check(std::isfinite(p.spiralInc) && std::fabs(p.spiralInc) <= TWO_PI);
        Check((p.dontUse | p.sparkle | p.spiralTrail) <= 1);
        if (k >= NUM_STANDARD_PRESETS) Check(!p.alwaysPaint && !p.modified && !p.is3D);
    }
    Check(memchr(gResolution, 0, sizeof gResolution) != nullptr);
    Check(gScreenWidth >= 320 && gScreenWidth <= 16384 && gScreenHeight >= 320 && gScreenHeight <= 16384);
    Check(gMorphDuration >= 1 && gMorphDuration <= 20000 && gPaintingMode >= 0 && gPaintingMode <= 10);
    Check(gPhysicsRate <= uint32_t(MAX_PHYSICS_RATE));
    Check(gAllPresetsUsed == (CountExcludedPresets() == 0));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool once = false;
    if (!once) {
        once = true;
        SetMessageBoxBackend(&kSilent);
        SetLogPathOverride("/dev/null");
        SetStoreBackend(MemoryStoreBackend());
    }
    ResetMemoryStore();
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    size_t at = 1;
    // records: key (0 = the settings key), value name, type, length, data
    while (at + 4 <= size) {
        const uint8_t keyPick = data[at], valuePick = data[at + 1], type = data[at + 2],
                      length = data[at + 3];
        at += 4;
        const size_t n = length < size - at ? length : size - at;
        std::string path = SETTINGS_KEY;
        if (keyPick) path += std::string("\\") + kKeys[keyPick % (sizeof kKeys / sizeof kKeys[0])];
        StoreKey key;
        if (StoreCreateKey(path.c_str(), &key) == STORE_SUCCESS) {
            const char *name = kValues[valuePick % (sizeof kValues / sizeof kValues[0])];
            StoreWriteValue(key, name, type % 8, data + at, static_cast<uint32_t>(n));
            StoreCloseKey(key);
        }
        at += n;
    }
    gPreviewMode = (flags & 2) != 0;
    Check(GetSettings((flags & 1) != 0));
    CheckLibrary();

    // the operations the dialog offers, on whatever loaded
    SeedRand(flags);
    const int pick = flags % gPresetCount;
    SetPresetExcluded(pick, (flags & 4) != 0);
    Preset pane = gPresets[pick];
    char name[PRESET_NAME_LEN + 1];
    MakeCopyName(pick, name, sizeof name);
    if (IsPresetNameFree(name) && IsPresetNameAllowed(name)) CopyPreset(pick, name, &pane);
    if (gPresetCount > NUM_STANDARD_PRESETS && IsPresetNameFree("Renamed"))
        RenamePreset(gPresetCount - 1, "Renamed");
    if (flags & 8) UseAllPresets();
    if (flags & 16) {
        for (int k = 0; k < gPresetCount; ++k)
            gPresets[k].dontUse = 1;
        ChooseStartingPreset(); // every pattern excluded: must still end
        UseAllPresets();
    }
    ChooseStartingPreset();
    if (gPresetCount > NUM_STANDARD_PRESETS) DeletePreset(gPresetCount - 1);
    CheckLibrary();
    SaveSettings();
    Check(GetSettings(false));
    CheckLibrary();
    return 0;
}
