// The frame-rate figure: frames presented per second and the process's share of one processor over the
// last second, drawn as a small text in the bottom-left corner of every frame. Called by the presentation;
// the text is re-drawn once a second, only copied in between.
#include <cstdio>

#include "display/display.h"
#include "platform/clock.h"

constexpr uint32_t FPS_PERIOD_MS = 1000; // how often the figure is measured anew
constexpr int32_t FPS_TEXT_SIZE = 14;    // pixels

static uint32_t sPeriodStart = 0; // tick time at which the current measurement began
static uint64_t sCpuAtStart = 0;  // process processor time then, microseconds
static uint32_t sFrames = 0;      // frames presented since
static bool sMeasuring = false;

void DDShowFps() {
    const uint32_t now = PlatformTickCount();
    const uint64_t cpu = PlatformProcessCpuUs();
    if (!sMeasuring) {
        sMeasuring = true;
        sPeriodStart = now;
        sCpuAtStart = cpu;
        sFrames = 0;
    }
    ++sFrames;
    const uint32_t elapsed = now - sPeriodStart;
    if (elapsed >= FPS_PERIOD_MS) {
        const double seconds = elapsed * 0.001;
        char text[48];
        snprintf(text, sizeof text, "%.0f fps  %.1f%% CPU", (sFrames - 1) / seconds,
                 static_cast<double>(cpu - sCpuAtStart) / (elapsed * 10.0));
        DDDrawText(text, "", 1.0f, true, FPS_TEXT_SIZE, TEXT_SLOT_FPS, 0, false);
        sPeriodStart = now;
        sCpuAtStart = cpu;
        sFrames = 1;
    }
    DDBltTextSlot(TEXT_SLOT_FPS);
}

void DDResetFpsForTests() {
    sMeasuring = false;
}
