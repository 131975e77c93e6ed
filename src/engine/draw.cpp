// Trail drawing: one frame from the particle list. Measures the frame rate, clears the drawing target (unless
// painting), lays the shown text slots over it, plots every particle once per rotation-table entry (3D tilt,
// double size) and presents. Called by the frame step when a draw is due; no OS calls here.
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>

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

// trunc(v) lies in [0, limit): the same test as on the truncated integer, without converting values that
// do not fit an integer.
static inline bool TruncInside(double v, int32_t limit) {
    return v > -1.0 && v < static_cast<double>(limit);
}

constexpr uint32_t MAX_DRAWN_COPIES = 256; // more than any pattern's trails, morphs included

// What one frame's plotting needs, read once: the pixel stores below may alias any variable, so nothing in
// the inner loop is read through a global.
struct PlotFrame {
    float cx, cy;
    int32_t limitX, limitY; // copies at or beyond these are skipped
    int32_t pitch;          // bytes
    uint8_t *base;
    uint32_t copies; // rotation entries drawn, in table order
    float m[MAX_DRAWN_COPIES][4];
    bool is3D, morphing, fromFlat, toFlat;
    double tilt, p;
    uint32_t white;
};

// The low BYTES bytes of the colour, least significant first.
template <int BYTES> static inline void StorePixel(uint8_t *at, uint32_t colour) {
    if constexpr (BYTES == 4 && std::endian::native == std::endian::little) {
        memcpy(at, &colour, 4);
    } else {
        for (int i = 0; i < BYTES; ++i)
            at[i] = static_cast<uint8_t>(colour >> (8 * i));
    }
}

// The pixel writer's bounding box, so the next clear restores only what this frame drew.
struct PlotBounds {
    int32_t minX, minY, maxX, maxY; // inclusive, of the top-left pixel of each plot
};

template <int BYTES, bool DOUBLED> static void PlotParticles(const PlotFrame &f, PlotBounds &b) {
    int32_t minX = b.minX, minY = b.minY, maxX = b.maxX, maxY = b.maxY;
    for (const TrailParticle *particle = gTrailParticles; particle; particle = particle->next) {
        if (!std::isfinite(particle->x) || !std::isfinite(particle->y)) continue;
        const uint32_t colour = particle->sparkling ? f.white : particle->colour;
        const float dx = static_cast<float>(particle->x - f.cx);
        const float dy = static_cast<float>(particle->y - f.cy);
        const double y = particle->y;
        for (uint32_t i = 0; i < f.copies; ++i) {
            const float *m = f.m[i];
            const double fx = dx * m[0] + dy * m[1] + f.cx + 0.5;
            double fy = dx * m[2] + dy * m[3] + f.cy + 0.5;
            if (!TruncInside(fx, f.limitX)) continue;
            if (f.is3D) {
                if (!(fy > -2147483648.0 && fy < 2147483647.0)) continue;
                const double py = std::trunc(fy);
                const double y3 = (py - f.cy) * f.tilt + y;
                if (!f.morphing || (!f.fromFlat && !f.toFlat))
                    fy = y3 + 0.5;
                else if (f.fromFlat)
                    fy = y3 * f.p + py * (1.0 - f.p) + 0.5; // flat to 3D: the ellipse opens
                else
                    fy = y3 * (1.0 - f.p) + py * f.p + 0.5; // 3D to flat: it closes
            }
            if (!TruncInside(fy, f.limitY)) continue;
            const int32_t px = static_cast<int32_t>(fx), py = static_cast<int32_t>(fy);
            minX = px < minX ? px : minX;
            maxX = px > maxX ? px : maxX;
            minY = py < minY ? py : minY;
            maxY = py > maxY ? py : maxY;
            uint8_t *at = f.base + static_cast<ptrdiff_t>(py) * f.pitch + static_cast<ptrdiff_t>(px) * BYTES;
            StorePixel<BYTES>(at, colour);
            if constexpr (DOUBLED) {
                StorePixel<BYTES>(at + BYTES, colour);
                StorePixel<BYTES>(at + f.pitch, colour);
                StorePixel<BYTES>(at + f.pitch + BYTES, colour);
            }
        }
    }
    b = {minX, minY, maxX, maxY};
}

template <int BYTES> static void PlotParticles(const PlotFrame &f, bool doubled, PlotBounds &b) {
    if (doubled)
        PlotParticles<BYTES, true>(f, b);
    else
        PlotParticles<BYTES, false>(f, b);
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

    static PlotFrame f; // the matrices are a few kilobytes: kept off the stack
    const bool doubled = gDoubleSize != 0;
    f.cx = gDisplay.centreX;
    f.cy = gDisplay.centreY;
    f.limitX = static_cast<int32_t>(gDisplay.width) - (doubled ? 1 : 0);
    f.limitY = static_cast<int32_t>(gDisplay.height) - (doubled ? 1 : 0);
    f.pitch = gDisplay.lockDesc.pitch;
    f.base = gDisplay.lockDesc.surface;
    uint32_t entries = gTrail.numberOfTrails > 0 ? static_cast<uint32_t>(gTrail.numberOfTrails) : 0;
    if (entries > gRotAngleCount) entries = gRotAngleCount;
    if (entries > MAX_DRAWN_COPIES) entries = MAX_DRAWN_COPIES;
    // Every particle stops its copies at the same entry: the first at the closing angle.
    f.copies = 0;
    while (f.copies < entries && gRotAngle[f.copies].angle < LAST_ROTATION_ANGLE) {
        memcpy(f.m[f.copies], gRotAngle[f.copies].m, sizeof f.m[0]);
        ++f.copies;
    }
    f.is3D = gTrail.is3D != 0;
    f.morphing = gMorphing != 0;
    f.fromFlat = !gMorphFrom3D && gMorphTo3D;
    f.toFlat = gMorphFrom3D && !gMorphTo3D;
    f.tilt = tilt;
    f.p = gMorphProgress;
    f.white = white;
    PlotBounds b = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    switch (gDisplay.bytesPerPixel) {
        case 2: PlotParticles<2>(f, doubled, b); break;
        case 3: PlotParticles<3>(f, doubled, b); break;
        case 4: PlotParticles<4>(f, doubled, b); break;
        default: break; // no display format the pixel writer knows
    }
    if (b.minX <= b.maxX) {
        const int32_t size = doubled ? 2 : 1;
        const DDRect drawn = {b.minX, b.minY, b.maxX + size, b.maxY + size};
        DDNoteDrawn(&drawn);
    }

    DDUnlockTarget();
    DDPresent();
    return PlatformTickCount() - t;
}
