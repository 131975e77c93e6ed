// Unpaced physics steps per second of the frame step for each standard pattern with its full particle load,
// next to a bare head-physics loop with the same number of attractors. A scripted clock and a window that
// never has input keep anything from waiting; frames, morphs and automatic effects are held off, so each row
// measures its own pattern's physics with its own attractors.
#include <benchmark/benchmark.h>

#include <string>

#include "display/display.h"
#include "engine/engine.h"
#include "patterns/patterns.h"
#include "platform/clock.h"
#include "platform/memory.h"
#include "platform/window.h"

namespace {

constexpr uint64_t READINGS_PER_MS = 10; // the scripted clock moves a millisecond every ten readings

uint64_t sReadings = 0; // tick-count readings so far: one per physics step, three more per frame step

uint32_t BenchTickCount() {
    return static_cast<uint32_t>(sReadings++ / READINGS_PER_MS);
}
void BenchLocalTime(LocalTime *out) {
    *out = LocalTime{2026, 1, 1, 0, 0, 0};
}
uint32_t BenchCalendarSeconds() {
    return 0;
}
void BenchSleep(uint32_t) {}
const ClockBackend kBenchClock = {BenchTickCount, BenchLocalTime, BenchCalendarSeconds, BenchSleep};

bool BenchNoInput(WindowHandle) {
    return false;
}
bool BenchWait(WindowHandle, uint32_t) {
    return false;
}
uint32_t BenchRefresh() {
    return 60;
}
const WindowBackend kBenchWindow = {BenchNoInput, BenchWait, BenchRefresh};

void SetUpPattern(int index) {
    SetClockBackend(&kBenchClock);
    SetWindowBackend(&kBenchWindow);
    ResetEngineForTests();
    gDisplay = {};
    gDisplay.width = 640;
    gDisplay.height = 480;
    gDisplay.redShift = 16;
    gDisplay.greenShift = 8;
    if (!gPresets) {
        gPresets = static_cast<Preset *>(HeapAllocateZeroed(NUM_STANDARD_PRESETS * sizeof(Preset)));
        gPresetCount = NUM_STANDARD_PRESETS;
        for (int i = 0; i < NUM_STANDARD_PRESETS; ++i)
            InitStandardPreset(i);
    }
    SeedRand(12345);
    gPaintingMode = 0; // painted only where the pattern always paints
    gPhysicsRate = 0;  // unpaced: as fast as the machine goes
    gCurrentPreset = index;
    ApplyPreset(index);
    ResetTrailHead();
}

int ParticleCount() {
    int n = 0;
    for (TrailParticle *p = gTrailParticles; p; p = p->next)
        ++n;
    return n;
}

constexpr uint32_t FAR_AHEAD_MS = 0x40000000u;

// One frame step with frames, morphs and effects not yet due; returns the physics steps it ran.
uint64_t FrameStepOnce() {
    const uint32_t now = PlatformTickCount();
    gNextDrawTime = now + FAR_AHEAD_MS;
    gNextMorphTime = now + FAR_AHEAD_MS;
    for (Effect &fx : gEffects)
        if (!fx.active) fx.start = now + FAR_AHEAD_MS;
    const uint64_t before = sReadings;
    UpdateTrails(nullptr);
    return sReadings - before - 3;
}

void BM_FrameStep(benchmark::State &state, int index) {
    SetUpPattern(index);
    // Run until the trail has its full load: a particle lives trailLength updates of 100 steps each.
    const uint64_t warmUp = static_cast<uint64_t>(gTrail.trailLength) * 100 + 1000;
    for (uint64_t steps = 0; steps < warmUp;)
        steps += FrameStepOnce();
    uint64_t steps = 0;
    for (auto _ : state)
        steps += FrameStepOnce();
    state.counters["steps/s"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
    state.counters["particles"] = ParticleCount();
    state.counters["attractors"] = gTrail.trailKinkiness;
    state.counters["morphing"] = gMorphing;
}

void BM_HeadPhysics(benchmark::State &state, int index) {
    SetUpPattern(index);
    RemoveAllTrailParticles();
    JumpTrailHead(false);
    uint64_t steps = 0;
    for (auto _ : state) {
        for (int k = 0; k < 1000; ++k) {
            MoveTrailHead();
            if (!(gHeadX > -50.0 && gHeadX < 690.0 && gHeadY > -50.0 && gHeadY < 530.0)) {
                gHeadX = 320.0; // escaped: back to the centre, as the frame step would
                gHeadY = 240.0;
                gHeadVX = gHeadVY = 0.0;
            }
        }
        steps += 1000;
    }
    benchmark::DoNotOptimize(gHeadX);
    state.counters["steps/s"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
    state.counters["attractors"] = gTrail.trailKinkiness;
}

const int kRegistered = [] {
    const char *names[NUM_STANDARD_PRESETS] = {
        "Tavo",          "PentagonalLines", "SlowRipples",  "Spirograph",     "Jellyfish",
        "Wormholes",     "Ribbons",         "RoseTattoo",   "AngrySpaghetti", "SeaSnakes",
        "PellorysKandy", "Quorl",           "3DSpirograph", "3DTavo",         "3DSeaSnakes"};
    for (int i = 0; i < NUM_STANDARD_PRESETS; ++i) {
        const std::string suffix = std::to_string(i) + "-" + names[i];
        benchmark::RegisterBenchmark(("FrameStep/" + suffix).c_str(), BM_FrameStep, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("HeadPhysics/" + suffix).c_str(), BM_HeadPhysics, i)
            ->Unit(benchmark::kMicrosecond);
    }
    return 0;
}();

} // namespace

BENCHMARK_MAIN();
