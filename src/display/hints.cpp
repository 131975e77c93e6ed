// The performance hint: at start a better resolution (the desktop's own size), later, when the measured frame
// rate stays low, a cheaper way of drawing. Called by the session's start and timer tick; it only composes
// the text (the session draws it) and never changes a setting. A hint once given is never withdrawn.
#include <cstdio>
#include <cstring>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/ddevice.h"

constexpr size_t HINT_CAPACITY = 200; // characters of the hint text, with its NUL

float gLowestFrameRate = HINT_START_LOWEST_RATE;

static char sHint[HINT_CAPACITY] = "";         // the current hint; stays until replaced
static bool sFirstCall = true;                 // the next call is the start-up call
static bool sDoubleSizeHintGiven = false;      // only ever set
static bool sLowerResolutionHintGiven = false; // only ever set

static void SetHint(const char *text) {
    snprintf(sHint, sizeof sHint, "%s", text);
}

static void StartUpHint() {
    sHint[0] = '\0';
    if (gPreviewMode) return; // the preview never hints, and its next call is a start-up call again
    uint32_t width = 0, height = 0, bitCount = 0;
    DisplayDevice()->desktopMode(&width, &height, &bitCount);
    char desktop[SETTING_TEXT_LEN + 1];
    snprintf(desktop, sizeof desktop, "%lu x %lu", static_cast<unsigned long>(width),
             static_cast<unsigned long>(height));
    if (strcmp(desktop, gResolution) != 0)
        snprintf(sHint, sizeof sHint, "HINT: Try a resolution of %s", desktop);
    sFirstCall = false;
}

static void FrameRateHint() {
    const float rate = GetFrameRate();
    if (rate > 0.0f && rate < gLowestFrameRate) gLowestFrameRate = rate;
    if (gLowestFrameRate >= HINT_SLOW_RATE) return;
    if (gDoubleSize) {
        SetHint("HINT: Don't draw double size particles");
        sDoubleSizeHintGiven = true;
    } else if (!sDoubleSizeHintGiven) {
        SetHint("HINT: Try a lower resolution");
        sLowerResolutionHintGiven = true;
    } else if (!sLowerResolutionHintGiven && gBlueBackground) {
        SetHint("HINT: Try a black background");
    }
}

void GetPerformanceHint(char *text, size_t size) {
    if (sFirstCall)
        StartUpHint();
    else
        FrameRateHint();
    if (size > 0) snprintf(text, size, "%s", sHint);
}

void ResetHintsForTests() {
    gLowestFrameRate = HINT_START_LOWEST_RATE;
    sHint[0] = '\0';
    sFirstCall = true;
    sDoubleSizeHintGiven = false;
    sLowerResolutionHintGiven = false;
}
