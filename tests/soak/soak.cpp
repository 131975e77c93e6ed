// Soak: a saver session on the scripted clock through many simulated hours, with random keys (morphs to
// every pattern, every effect, double size, painting, names, hints, key help, pause) and automatic morphs.
// Every simulated minute the particle count must stay under its bound and, after ten minutes, the heap
// must not grow. Usage: tavo_soak [simulated hours (24)] [wall-clock seconds limit (0: none)]
// Exits 0 when every check held; prints its figures either way.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <random>
#include <string>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/softdevice.h"
#include "platform/store.h"
#include "session/session.h"
#include "support/scripted.h"
#include "support/scripted_winsys.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes(); // the sanitizer runtime's own count
static size_t HeapInUse() {
    return __sanitizer_get_current_allocated_bytes();
}
#else
static size_t HeapInUse() {
    return mallinfo2().uordblks;
}
#endif

namespace {

WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x5a5a);
constexpr uint32_t MINUTE_MS = 60000;
constexpr uint64_t WARM_UP_MS = 10 * MINUTE_MS; // the heap is judged against its size after this
constexpr size_t HEAP_SLACK = 512 * 1024;       // bytes it may move by besides particles
constexpr uint32_t FOUNTAIN_LENGTH = 300;       // Fountain lengthens every trail to at least this
constexpr uint32_t STEPS_PER_UPDATE = 100;      // physics steps between particle updates (one age unit)
constexpr uint32_t MORPH_FACTOR = 2;            // a morph keeps the old trails while the new ones grow

intptr_t Send(uint32_t event, uintptr_t wParam = 0, intptr_t lParam = 0) {
    return SaverClassProc(kWindow, event, wParam, lParam);
}

void Key(uint32_t vkey, bool ctrl = false) {
    if (ctrl) {
        SetScriptedKey(VKEY_CONTROL, true);
        SetScriptedKey(vkey, true);
    }
    Send(EV_KEYDOWN, vkey, 1);
    ReleaseAllScriptedKeys();
}

// The largest trail a standard pattern can build: longest lifetime (in particle updates) times the emission
// rate of the densest pattern (particles per update), times the morph factor.
uint32_t ParticleBound() {
    uint32_t longest = FOUNTAIN_LENGTH, densest = 1u << 30;
    for (int i = 0; i < NUM_STANDARD_PRESETS; ++i) {
        const Preset &p = gPresets[i];
        if (static_cast<uint32_t>(p.trailLength) > longest) longest = static_cast<uint32_t>(p.trailLength);
        const uint32_t density = p.trailDensity > 0 ? static_cast<uint32_t>(p.trailDensity) : 1;
        if (density < densest) densest = density;
    }
    return longest * (STEPS_PER_UPDATE / densest + 1) * MORPH_FACTOR;
}

uint32_t ParticleCount() {
    uint32_t n = 0;
    for (const TrailParticle *p = gTrailParticles; p; p = p->next)
        ++n;
    return n;
}

const uint32_t kEffectKeys[] = {'C', 'F', 'J', 'L', 'O', 'Q', 'S', 'V', 'W', 'Z'};
const uint32_t kToggleKeys[] = {'D', 'P', 'N', 'H', VKEY_F1, 'M'};

} // namespace

int main(int argc, char **argv) {
    const double hours = argc > 1 ? atof(argv[1]) : 24.0;
    const double wallLimit = argc > 2 ? atof(argv[2]) : 0.0;
    const auto wallStart = std::chrono::steady_clock::now();

    InstallScriptedClock(100000);
    InstallScriptedMessages(2); // two frames a second: the picture is drawn, the soak stays fast
    InstallScriptedWinSys();
    InstallTemporaryLog();
    InstallMessageBoxRecorder();
    SetStoreBackend(MemoryStoreBackend());
    ResetMemoryStore();
    const std::string settings = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo]\n"
                                 "\"Physics Rate\"=dword:000000fa\n\"Morph Interval\"=dword:0000000a\n"
                                 "\"Show Names\"=dword:00000001\n";
    LoadMemoryStoreFromRegText(settings.data(), settings.size());
    SoftDeviceReset();
    SetDisplayDevice(SoftDisplayDevice());
    if (Send(EV_CREATE) == -1) {
        fprintf(stderr, "soak: the session did not start\n");
        return 1;
    }
    const uint32_t bound = ParticleBound();

    std::mt19937 random(20261208);
    const uint64_t totalMs = static_cast<uint64_t>(hours * 3600000.0);
    uint64_t simulated = 0, nextMinute = MINUTE_MS, ticks = 0;
    uint32_t maxParticles = 0, failures = 0, nextPattern = 0, patternsSeen = 0, effectsSeen = 0;
    size_t heapAfterWarmUp = 0, heapPeak = 0;
    uint32_t particlesAfterWarmUp = 0;
    int keys = 0;
    while (simulated < totalMs) {
        if (wallLimit > 0 &&
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count() > wallLimit)
            break;
        // One frame-timer tick: the step runs until input becomes waiting, up to a second of physics later.
        const uint32_t step = 20 + random() % 1000;
        ScriptNonTimerMessageAt(ScriptedTime() + step);
        const uint32_t before = ScriptedTime();
        Send(EV_TIMER, FRAME_TIMER_ID);
        ClearScriptedMessages();
        if (ScriptedTime() - before < step) AdvanceScriptedTime(step - (ScriptedTime() - before));
        simulated += ScriptedTime() - before;
        ++ticks;

        const uint32_t roll = random() % 1000;
        if (roll < 8) {
            Key(kEffectKeys[random() % std::size(kEffectKeys)]);
        } else if (roll < 12) {
            Key(kToggleKeys[random() % std::size(kToggleKeys)]);
        } else if (roll < 14) {
            Key(VKEY_PAUSE);
            Key(VKEY_PAUSE); // paused for no time: a pause that lasted would only stop the clock's work
        } else if (roll < 16) {
            // Every pattern in turn: digits for the first ten, Ctrl with a digit for the last five.
            const uint32_t p = nextPattern++ % NUM_STANDARD_PRESETS;
            if (p < 10)
                Key(p == 9 ? '0' : '1' + p);
            else
                Key('1' + (p - 10), true);
        }
        keys += roll < 16;
        patternsSeen |= 1u << gCurrentPreset;
        for (int e = 0; e < NUM_EFFECTS; ++e)
            if (gEffects[e].active) effectsSeen |= 1u << e;

        if (simulated >= nextMinute) {
            nextMinute += MINUTE_MS;
            const uint32_t n = ParticleCount();
            if (n > maxParticles) maxParticles = n;
            if (n > bound) {
                ++failures;
                fprintf(stderr, "soak: %u particles at minute %llu, over the bound %u\n", n,
                        static_cast<unsigned long long>(simulated / MINUTE_MS), bound);
            }
            const size_t heap = HeapInUse();
            if (heap > heapPeak) heapPeak = heap;
            // The particle pool keeps its largest size: growth beyond the most particles seen is a leak.
            const size_t pool = (maxParticles - particlesAfterWarmUp) * sizeof(TrailParticle);
            if (simulated < WARM_UP_MS) {
                heapAfterWarmUp = heapPeak;
                particlesAfterWarmUp = maxParticles;
            } else if (heap > heapAfterWarmUp + pool + HEAP_SLACK) {
                ++failures;
                fprintf(stderr, "soak: heap %zu bytes at minute %llu, %zu after the warm-up\n", heap,
                        static_cast<unsigned long long>(simulated / MINUTE_MS), heapAfterWarmUp);
            }
        }
    }
    Send(EV_CLOSE);
    if (!RecordedBoxes().empty()) {
        ++failures;
        fprintf(stderr, "soak: a message box: %s\n", RecordedBoxes()[0].text.c_str());
    }
    if (SoftDeviceLiveObjects() != 0) {
        ++failures;
        fprintf(stderr, "soak: display objects left after the close\n");
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    printf("soak: %.2f simulated hours in %.1f s, %llu ticks, %d keys, particles max %u (bound %u), "
           "heap after the warm-up %zu, peak %zu bytes, patterns %d/15, effects %d/%d, %u failures\n",
           simulated / 3600000.0, wall, static_cast<unsigned long long>(ticks), keys, maxParticles, bound,
           heapAfterWarmUp, heapPeak, __builtin_popcount(patternsSeen), __builtin_popcount(effectsSeen),
           NUM_EFFECTS, failures);
    UninstallMessageBoxRecorder();
    UninstallTemporaryLog();
    return failures == 0 ? 0 : 1;
}
