// The headless renderer: starts the saver's engine and display logic on the software device, runs them on a
// simulated clock (no waiting, no machine speed in the result) and writes the screen to PNG files at a fixed
// rate of simulated time. Called by the program's entry for --snapshot; never shows anything on a screen.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/clock.h"
#include "platform/memory.h"
#include "platform/softdevice.h"
#include "platform/window.h"

void DefaultSnapshotOptions(SnapshotOptions *o) {
    *o = {};
    o->pattern = 0;
    o->seed = 1;
    o->width = 640;
    o->height = 480;
    o->depth = 32;
    o->seconds = 5.0;
    o->framesPerSecond = 1.0;
    o->morphTo = NO_SNAPSHOT_MORPH;
    o->effectKey = 0;
}

// The effect that a key asks for, as the saver's keys map them.
static bool EffectOfKey(char key, EffectId *effect) {
    static const struct {
        char key;
        EffectId effect;
    } kKeys[] = {{'C', EFFECT_CENTRE_PULL},  {'F', EFFECT_FADE_HEAD},    {'J', EFFECT_REVERSAL},
                 {'L', EFFECT_PULSE},        {'O', EFFECT_COLOUR_RAMP},  {'Q', EFFECT_QUICKSAND},
                 {'S', EFFECT_FAN},          {'V', EFFECT_COSINE_SPEED}, {'W', EFFECT_FOUNTAIN},
                 {'Z', EFFECT_FIXED_HEADING}};
    const char upper = (key >= 'a' && key <= 'z') ? static_cast<char>(key - 'a' + 'A') : key;
    for (const auto &k : kKeys) {
        if (k.key == upper) {
            *effect = k.effect;
            return true;
        }
    }
    return false;
}

// --- the simulated clock and window: time moves only when the engine waits
// ------------------------------------
static uint64_t sNowUs = 0;       // simulated time
static uint64_t sCaptureAtUs = 0; // the next PNG is due then; the engine's call returns when it comes

static uint32_t SimTickCount() {
    return static_cast<uint32_t>(sNowUs / 1000);
}
static void SimLocalTime(LocalTime *out) {
    *out = {2026, 1, 1, 0, 0, 0};
}
static uint32_t SimCalendarSeconds() {
    return static_cast<uint32_t>(sNowUs / 1000000);
}
static void SimSleep(uint32_t ms) {
    sNowUs += static_cast<uint64_t>(ms) * 1000;
}
static const ClockBackend kSimClock = {SimTickCount, SimLocalTime, SimCalendarSeconds, SimSleep};

static bool SimCaptureDue(WindowHandle) {
    return sNowUs >= sCaptureAtUs;
}
static bool SimWait(WindowHandle, uint32_t timeoutMs) {
    const uint64_t until = sNowUs + static_cast<uint64_t>(timeoutMs) * 1000;
    if (until >= sCaptureAtUs) {
        sNowUs = sNowUs > sCaptureAtUs ? sNowUs : sCaptureAtUs;
        return true;
    }
    sNowUs = until;
    return false;
}
static uint32_t SimRefreshRate() {
    return 60;
}
static const WindowBackend kSimWindow = {SimCaptureDue, SimWait, SimRefreshRate};

static bool MakeDirectory(const char *path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

int RunSnapshot(const SnapshotOptions &o) {
    if (!MakeDirectory(o.directory)) {
        fprintf(stderr, "tavo: cannot create the folder '%s'\n", o.directory);
        return 1;
    }
    sNowUs = 1000000; // one simulated second after "boot": tick 0 keeps its meaning of "not scheduled"
    SetClockBackend(&kSimClock);
    SetWindowBackend(&kSimWindow);
    SetDisplayDevice(SoftDisplayDevice());
    // Every run starts from the start state, also the second run of one process: same options, same files.
    DDResetForTests();
    SoftDeviceReset();
    ResetEngineForTests();
    ResetDrawForTests();
    SoftDeviceSetDesktop(o.width, o.height, o.depth);

    gScreenWidth = o.width;
    gScreenHeight = o.height;
    gShowNames = 0;
    gDoubleSize = 0;
    gPaintingMode = o.paint ? 10 : 0; // the chance, in tenths, that a jump paints
    gBlueBackground = 0;
    if (gApplyRunSettings) gApplyRunSettings(); // the command line's settings, as over stored ones
    SeedRand(o.seed);

    int code = 0;
    gPresets = static_cast<Preset *>(HeapAllocateZeroed(sizeof(Preset) * NUM_STANDARD_PRESETS));
    if (!gPresets) return 1;
    gPresetCount = NUM_STANDARD_PRESETS;
    for (int i = 0; i < NUM_STANDARD_PRESETS; ++i)
        InitStandardPreset(i);
    const WindowHandle window = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(1));
    if (!DDInit(window, o.width, o.height)) {
        code = 1;
    } else {
        gCurrentPreset = o.pattern;
        ApplyPreset(o.pattern);
        if (o.paint) gPainting = 1;
        gClearRequest = 1;
        if (gShowNames) DDDrawText(gPresets[o.pattern].name, "", 1.0f, true, 16, TEXT_SLOT_NAME, 0, true);
        ResetTrailHead();
        // Requests as the keys make them: the engine serves them at its first steps.
        if (o.morphTo != NO_SNAPSHOT_MORPH) RequestMorph(o.morphTo);
        EffectId effect;
        if (o.effectKey && EffectOfKey(o.effectKey, &effect)) RequestEffect(effect);

        const uint64_t start = sNowUs;
        const uint32_t frames = static_cast<uint32_t>(o.seconds * o.framesPerSecond + 1e-9);
        for (uint32_t f = 1; f <= frames && code == 0; ++f) {
            sCaptureAtUs = start + static_cast<uint64_t>(llround(f * 1e6 / o.framesPerSecond));
            while (sNowUs < sCaptureAtUs) {
                const uint64_t before = sNowUs;
                UpdateTrails(window);
                if (sNowUs == before) sNowUs += 1000; // unpaced physics never waits: move time on ourselves
            }
            char path[4096];
            snprintf(path, sizeof path, "%s/pattern-%02d-frame-%04u.png", o.directory, o.pattern, f);
            if (!SoftDeviceWritePng(path)) {
                fprintf(stderr, "tavo: cannot write '%s'\n", path);
                code = 1;
            }
        }
    }
    DDCleanUp();
    FreeTrails();
    HeapRelease(gPresets);
    gPresets = nullptr;
    gPresetCount = 0;
    SetWindowBackend(nullptr);
    SetClockBackend(nullptr);
    SetDisplayDevice(nullptr);
    return code;
}
