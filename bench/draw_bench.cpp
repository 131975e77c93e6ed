// Frame draw time on the software device at 32 bpp with a full particle load, for every standard pattern at
// three display sizes, next to the floor of a bare clear + present of the same surface; the peak memory of
// the process is reported with the largest size. Presenting includes what a window system's presenter does
// with the frame: a copy of what the frame changed into a window-sized buffer.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <vector>

#include "display/display.h"
#include "engine/engine.h"
#include "patterns/patterns.h"
#include "platform/clock.h"
#include "platform/softdevice.h"
#include "platform/window.h"

namespace {

uint64_t gNowUs = 1000000; // simulated time: the engine runs its physics without waiting for real time
uint32_t SimTick() {
    return static_cast<uint32_t>(gNowUs / 1000);
}
void SimLocal(LocalTime *t) {
    *t = {2026, 1, 1, 0, 0, 0};
}
uint32_t SimSeconds() {
    return 0;
}
void SimSleep(uint32_t ms) {
    gNowUs += ms * 1000ull;
}
const ClockBackend kClock = {SimTick, SimLocal, SimSeconds, SimSleep};
bool NoInput(WindowHandle) {
    return false;
}
bool SimWait(WindowHandle, uint32_t ms) {
    gNowUs += ms * 1000ull;
    return false;
}
uint32_t Hz() {
    return 60;
}
const WindowBackend kWindow = {NoInput, SimWait, Hz};

const uint32_t kSizes[][2] = {{640, 480}, {1920, 1080}, {3840, 2160}};

std::vector<uint8_t> gWindowPixels; // the window's buffer the presenter copies each frame into

// The presenter's copy of a rectangle of the surface into the window's buffer of the same size.
void CopyToWindow(DDSurface *surface, const DDRect *area) {
    const DisplayDeviceBackend *dd = DisplayDevice();
    DDLockDesc desc{};
    if (DDFailed(dd->lock(surface, &desc))) return;
    const size_t windowPitch = static_cast<size_t>(desc.width) * 4;
    gWindowPixels.resize(windowPitch * desc.height);
    const DDRect whole = {0, 0, static_cast<int32_t>(desc.width), static_cast<int32_t>(desc.height)};
    const DDRect r = area ? *area : whole;
    for (int32_t y = r.top; y < r.bottom; ++y)
        memcpy(&gWindowPixels[y * windowPitch + r.left * 4u],
               desc.surface + static_cast<size_t>(y) * desc.pitch + r.left * 4u,
               static_cast<size_t>(r.right - r.left) * 4);
    dd->unlock(surface);
}

void PresentToWindow(DDSurface *target) {
    DDRect changed;
    CopyToWindow(target, DDGetChangedRect(&changed) ? &changed : nullptr);
}

uint32_t CountParticles() {
    uint32_t n = 0;
    for (TrailParticle *p = gTrailParticles; p; p = p->next)
        ++n;
    return n;
}

double PeakMemoryMB() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// The display at this size and the pattern run for three simulated seconds without drawing, so every
// particle of the trail is alive.
bool StartPattern(uint32_t width, uint32_t height, int pattern) {
    SetClockBackend(&kClock);
    SetWindowBackend(&kWindow);
    SetDisplayDevice(SoftDisplayDevice());
    DDResetForTests();
    SoftDeviceReset();
    SoftDeviceSetDesktop(width, height, 32);
    ResetEngineForTests();
    SeedRand(7);
    if (!gPresets) {
        gPresets = static_cast<Preset *>(calloc(NUM_STANDARD_PRESETS, sizeof(Preset)));
        gPresetCount = NUM_STANDARD_PRESETS;
        for (int i = 0; i < NUM_STANDARD_PRESETS; ++i)
            InitStandardPreset(i);
    }
    gBackgroundBrightness = 0;
    gPaintingMode = 0;
    gShowNames = 1;
    if (!DDInit(nullptr, width, height)) return false;
    gCurrentPreset = pattern;
    ApplyPreset(pattern);
    gPainting = 0; // every frame cleared: the heavier case
    DDDrawText(gPresets[pattern].name, "", 1.0f, true, 16, TEXT_SLOT_NAME, 0, true);
    ResetTrailHead();
    gDisplay.ready = 0; // no frames while the trail fills
    for (int second = 0; second < 3; ++second)
        UpdateTrails(nullptr);
    gDisplay.ready = 1;
    DDSetPresentProbe(PresentToWindow);
    return true;
}

void BM_DrawFrame(benchmark::State &state) {
    const uint32_t w = kSizes[state.range(1)][0], h = kSizes[state.range(1)][1];
    const int pattern = static_cast<int>(state.range(0));
    if (!StartPattern(w, h, pattern)) {
        state.SkipWithError("display set-up failed");
        return;
    }
    state.SetLabel(gPresets[pattern].name);
    for (auto _ : state)
        DrawTrails();
    state.counters["particles"] = CountParticles();
    state.counters["trails"] = gTrail.numberOfTrails;
    if (h == 2160) state.counters["peak_MB"] = PeakMemoryMB();
}

void BM_ClearPresentFloor(benchmark::State &state) {
    const uint32_t w = kSizes[state.range(0)][0], h = kSizes[state.range(0)][1];
    if (!StartPattern(w, h, 0)) {
        state.SkipWithError("display set-up failed");
        return;
    }
    // A whole-frame clear, the whole frame into the window and a flip: what a frame costs that draws nothing
    // and knows nothing of what changed.
    const DisplayDeviceBackend *dd = DisplayDevice();
    for (auto _ : state) {
        dd->colourFill(gDisplay.back, nullptr, 0);
        CopyToWindow(gDisplay.back, nullptr);
        dd->flip(gDisplay.primary);
    }
    if (h == 2160) state.counters["peak_MB"] = PeakMemoryMB();
}

void PatternsAndSizes(benchmark::internal::Benchmark *b) {
    for (int size = 0; size < 3; ++size)
        for (int p = 0; p < NUM_STANDARD_PRESETS; ++p)
            b->Args({p, size});
}

} // namespace

BENCHMARK(BM_ClearPresentFloor)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawFrame)->Apply(PatternsAndSizes)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
