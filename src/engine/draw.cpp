// Trail drawing: one frame from the particle list. Measures the frame rate, clears the drawing target (unless
// painting), lays the shown text slots over it, plots every particle once per rotation-table entry (3D tilt,
// double size) and presents. Called by the frame step when a draw is due; no OS calls here.
#include <cmath>

#include "display/display.h"
#include "engine/engine.h"
#include "patterns/patterns.h"
#include "platform/clock.h"
#include "session/session.h"

float gFrameRate = 0.0f;
double gTiltPhase = 0.0;

constexpr uint32_t FRAME_RATE_WINDOW_MS = 10000;     // a measurement completes after this long
constexpr uint32_t FRAME_RATE_MAX_WINDOW_MS = 10500; // longer windows (a pause, a stall) give 0
constexpr float LAST_ROTATION_ANGLE = 6.2731853f;    // table entries from here on are not drawn

static uint32_t sFrameCount = 0;  // frames drawn since the measurement window began
static uint32_t sWindowStart = 0; // tick time at which the measurement window began

void ResetDrawForTests() {
    sFrameCount = 0;
    sWindowStart = 0;
}

float GetFrameRate() {
    return gFrameRate;
}

static void MeasureFrameRate(uint32_t now) {
    const uint32_t elapsed = now - sWindowStart;
    if (elapsed > FRAME_RATE_WINDOW_MS) {
        gFrameRate = elapsed <= FRAME_RATE_MAX_WINDOW_MS
                         ? static_cast<float>(sFrameCount) / (static_cast<float>(elapsed) * 0.001f)
                         : 0.0f;
        sWindowStart = now;
        sFrameCount = 0;
    }
    // No measurement spans a morph: the window restarts with no frames on every morph draw, so the first
    // rate after a morph counts only frames of its own window.
    if (gMorphing) {
        sWindowStart = now;
        sFrameCount = 0;
    }
    ++sFrameCount;
}

// The low `bytes` bytes of the colour, least significant first.
static inline void StorePixel(uint8_t *at, uint32_t colour, uint32_t bytes) {
    at[0] = static_cast<uint8_t>(colour);
    at[1] = static_cast<uint8_t>(colour >> 8);
    if (bytes > 2) at[2] = static_cast<uint8_t>(colour >> 16);
    if (bytes > 3) at[3] = static_cast<uint8_t>(colour >> 24);
}

// trunc(v) lies in [0, limit): the same test as on the truncated integer, without converting values that
// do not fit an integer.
static inline bool TruncInside(double v, int32_t limit) {
    return v > -1.0 && v < static_cast<double>(limit);
}

uint32_t DrawTrails() {
    const uint32_t t = PlatformTickCount();
    const uint32_t white = DDPackColour(255, 255, 255);
    MeasureFrameRate(t);

    if (!gPainting) {
        DDClearTarget();
    } else if (gClearRequest) {
        DDClearTarget();
        gClearRequest = 0;
    }

    if (gShowNames) DDBltTextSlot(TEXT_SLOT_NAME);
    if (gShowHints) DDBltTextSlot(TEXT_SLOT_HINT);
    if (gShowKeyHelp) {
        DDBltTextSlot(TEXT_SLOT_KEYHELP1);
        DDBltTextSlot(TEXT_SLOT_KEYHELP2);
    }

    double tilt = 0.0;
    if (gTrail.is3D) {
        gTiltPhase += 0.015;
        if (gTiltPhase > TWO_PI) gTiltPhase -= TWO_PI;
        tilt = sin(gTiltPhase) * 0.3;
    }

    if (!DDLockTarget()) return PlatformTickCount() - t;

    const float cx = gDisplay.centreX, cy = gDisplay.centreY;
    const bool doubled = gDoubleSize != 0;
    const int32_t limitX = static_cast<int32_t>(gDisplay.width) - (doubled ? 1 : 0);
    const int32_t limitY = static_cast<int32_t>(gDisplay.height) - (doubled ? 1 : 0);
    const uint32_t bytes = gDisplay.bytesPerPixel;
    const int32_t pitch = gDisplay.lockDesc.pitch;
    uint8_t *const base = gDisplay.lockDesc.surface;
    const uint32_t copies =
        gTrail.numberOfTrails > 0 && static_cast<uint32_t>(gTrail.numberOfTrails) < gRotAngleCount
            ? static_cast<uint32_t>(gTrail.numberOfTrails)
            : gRotAngleCount;
    const bool is3D = gTrail.is3D != 0;
    const double p = gMorphProgress;

    for (const TrailParticle *particle = gTrailParticles; particle; particle = particle->next) {
        if (!std::isfinite(particle->x) || !std::isfinite(particle->y)) continue;
        const uint32_t colour = particle->sparkling ? white : particle->colour;
        const float dx = static_cast<float>(particle->x - cx);
        const float dy = static_cast<float>(particle->y - cy);
        for (uint32_t i = 0; i < copies; ++i) {
            const RotAngle &entry = gRotAngle[i];
            if (entry.angle >= LAST_ROTATION_ANGLE) break;
            const double fx = dx * entry.m[0] + dy * entry.m[1] + cx + 0.5;
            double fy = dx * entry.m[2] + dy * entry.m[3] + cy + 0.5;
            if (!TruncInside(fx, limitX) || !(fy > -2147483648.0 && fy < 2147483647.0)) continue;
            if (is3D) {
                const double py = std::trunc(fy);
                const double y3 = (py - cy) * tilt + particle->y;
                if (!gMorphing || (gMorphFrom3D && gMorphTo3D))
                    fy = y3 + 0.5;
                else if (gMorphTo3D)
                    fy = y3 * p + py * (1.0 - p) + 0.5; // flat to 3D: the ellipse opens
                else
                    fy = y3 * (1.0 - p) + py * p + 0.5; // 3D to flat: it closes
            }
            if (!TruncInside(fy, limitY)) continue;
            const int32_t px = static_cast<int32_t>(fx), py = static_cast<int32_t>(fy);
            uint8_t *at = base + static_cast<ptrdiff_t>(py) * pitch + static_cast<ptrdiff_t>(px) * bytes;
            StorePixel(at, colour, bytes);
            if (doubled) {
                StorePixel(at + bytes, colour, bytes);
                StorePixel(at + pitch, colour, bytes);
                StorePixel(at + pitch + bytes, colour, bytes);
            }
        }
    }

    DDUnlockTarget();
    DDPresent();
    return PlatformTickCount() - t;
}
