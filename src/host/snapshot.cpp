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

const char *const kSnapshotHelp =
    "  --snapshot DIR       render headless to PNG files in DIR (created if missing)\n"
    "  --pattern N          standard pattern 0..14 (default 0)\n"
    "  --seed S             random seed, 0..4294967295 (default 1)\n"
    "  --resolution WxH     display size, 320..16384 each (default 640x480)\n"
    "  --depth 16|24|32     bits per pixel (default 32)\n"
    "  --seconds T          simulated seconds to run, up to 3600 (default 5)\n"
    "  --fps F              PNG files per simulated second, up to 100 (default 1)\n"
    "  --names              show the pattern's name\n"
    "  --double-size        draw particles as 2 x 2 blocks\n"
    "  --paint              painting mode: trails accumulate between jumps\n"
    "  --help               this text\n";

void DefaultSnapshotOptions(SnapshotOptions *o) {
    *o = {};
    o->pattern = 0;
    o->seed = 1;
    o->width = 640;
    o->height = 480;
    o->depth = 32;
    o->seconds = 5.0;
    o->framesPerSecond = 1.0;
}

static bool ParseUnsigned(const char *text, unsigned long long max, unsigned long long *out) {
    if (!text || !*text || *text == '-' || *text == '+') return false;
    char *end = nullptr;
    errno = 0;
    const unsigned long long v = strtoull(text, &end, 10);
    if (errno || *end || v > max) return false;
    *out = v;
    return true;
}

static bool ParsePositive(const char *text, double max, double *out) {
    if (!text || !*text) return false;
    char *end = nullptr;
    const double v = strtod(text, &end);
    if (*end || !std::isfinite(v) || v <= 0.0 || v > max) return false;
    *out = v;
    return true;
}

bool ParseSnapshotOptions(int argc, char **argv, SnapshotOptions *o, char *error, size_t errorSize) {
    DefaultSnapshotOptions(o);
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long long n = 0;
        bool ok = true, takesValue = true;
        if (strcmp(arg, "--snapshot") == 0) {
            ok = value && *value;
            o->directory = value;
        } else if (strcmp(arg, "--pattern") == 0) {
            ok = ParseUnsigned(value, NUM_STANDARD_PRESETS - 1, &n);
            o->pattern = static_cast<int32_t>(n);
        } else if (strcmp(arg, "--seed") == 0) {
            ok = ParseUnsigned(value, 0xFFFFFFFFull, &n);
            o->seed = static_cast<uint32_t>(n);
        } else if (strcmp(arg, "--resolution") == 0) {
            unsigned w = 0, h = 0;
            char tail = 0;
            ok = value && !strpbrk(value, "-+ ") && sscanf(value, "%ux%u%c", &w, &h, &tail) == 2 &&
                 w >= 320 && h >= 320 && w <= 16384 && h <= 16384;
            o->width = w;
            o->height = h;
        } else if (strcmp(arg, "--depth") == 0) {
            ok = ParseUnsigned(value, 32, &n) && (n == 16 || n == 24 || n == 32);
            o->depth = static_cast<uint32_t>(n);
        } else if (strcmp(arg, "--seconds") == 0) {
            ok = ParsePositive(value, 3600.0, &o->seconds);
        } else if (strcmp(arg, "--fps") == 0) {
            ok = ParsePositive(value, 100.0, &o->framesPerSecond);
        } else {
            takesValue = false;
            if (strcmp(arg, "--names") == 0)
                o->names = 1;
            else if (strcmp(arg, "--double-size") == 0)
                o->doubleSize = 1;
            else if (strcmp(arg, "--paint") == 0)
                o->paint = 1;
            else {
                snprintf(error, errorSize, "unknown option '%s'", arg);
                return false;
            }
        }
        if (!ok) {
            snprintf(error, errorSize, value ? "bad value '%s' for %s" : "%s%s needs a value",
                     value ? value : "", arg);
            return false;
        }
        if (takesValue) ++i;
    }
    if (!o->directory) {
        snprintf(error, errorSize, "--snapshot DIR is required");
        return false;
    }
    if (o->seconds * o->framesPerSecond < 1.0) {
        snprintf(error, errorSize, "--seconds x --fps gives no frame to write");
        return false;
    }
    return true;
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
    gShowNames = o.names;
    gDoubleSize = o.doubleSize;
    gPaintingMode = o.paint ? 10 : 0; // the chance, in tenths, that a jump paints
    gBlueBackground = 0;
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
        if (o.names) DDDrawText(gPresets[o.pattern].name, "", 1.0f, true, 16, TEXT_SLOT_NAME, 0, true);
        ResetTrailHead();

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
