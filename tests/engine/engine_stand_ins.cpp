// Temporary stand-ins for the engine core and the pattern table, so the morph and effect tests link before
// the engine lands. Minimal but faithful where the tests look; removed when the real pieces are merged.
#include <cmath>
#include <cstring>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/memory.h"

TrailSettings gTrail = {};
int gPainting = 0;
double gHeadX = 0, gHeadY = 0;
double gHeadVX = 0, gHeadVY = 0;
double gTimeStep = 0.001, gHalfStepSq = 5e-7, gGravity = 1.0, gWallForce = 70.0;
Attractor gAttractors[MAX_ATTRACTORS] = {};
double gAttractorMinDist[MAX_ATTRACTORS] = {};
uint32_t gFadeStartAge = 0;
int32_t gColourR = 0, gColourG = 0, gColourB = 0;
int32_t gColourStepR = 0, gColourStepG = 0, gColourStepB = 0;
uint32_t gNextColourTime = 0, gNextJumpTime = 0, gNextDrawTime = 0;
int gClearRequest = 1;
TrailParticle *gTrailParticles = nullptr;
RotAngle *gRotAngle = nullptr;
uint32_t gRotAngleCount = 0;
double gSpiralPhase = 0, gPulsePhase = 0;
uint32_t gThinDivisor = 0;

void SetRotAngleEntry(RotAngle *entry, float angle) {
    entry->angle = angle;
    entry->m[0] = std::cos(angle);
    entry->m[1] = std::sin(angle);
    entry->m[2] = -entry->m[1];
    entry->m[3] = entry->m[0];
}

void SetupRotAngles() {
    HeapRelease(gRotAngle);
    gRotAngleCount = 0;
    gRotAngle = static_cast<RotAngle *>(HeapAllocate(sizeof(RotAngle) * gTrail.numberOfTrails));
    if (!gRotAngle) return;
    gRotAngleCount = gTrail.numberOfTrails;
    for (int k = 0; k < gTrail.numberOfTrails; ++k)
        SetRotAngleEntry(&gRotAngle[k],
                         static_cast<float>(static_cast<long double>(k) * TWO_PI / gTrail.numberOfTrails));
}

void SetupAttractors() {
    const uint32_t w = gDisplay.width, h = gDisplay.height;
    for (int k = 0; k < gTrail.trailKinkiness; ++k) {
        double s = 2000 + Rand() % 500;
        if (Rand() % 10 == 0) s = -s;
        gAttractors[k].strength = s;
        gAttractors[k].x = 20 + static_cast<uint32_t>(Rand()) % (w - 40);
        gAttractors[k].y = 20 + static_cast<uint32_t>(Rand()) % (h - 40);
        gAttractorMinDist[k] = (std::fabs(s) - 2000) * 0.002 + 1.5;
    }
}

void JumpTrailHead(bool nearCentre) {
    const uint32_t w = gDisplay.width, h = gDisplay.height;
    if (nearCentre) {
        gHeadX = w / 2 - 50 + Rand() % 100;
        gHeadY = h / 2 - 50 + Rand() % 100;
    } else {
        gHeadX = 20 + static_cast<uint32_t>(Rand()) % (w - 40);
        gHeadY = 20 + static_cast<uint32_t>(Rand()) % (h - 40);
    }
    gHeadVX = 3.5 + (Rand() % 3000) * 0.001;
    if (Rand() % 2) gHeadVX = -gHeadVX;
    gHeadVY = 3.5 + (Rand() % 3000) * 0.001;
    if (Rand() % 2) gHeadVY = -gHeadVY;
}

void RefreshTrailSettings() {
    if (!gMorphing) SetupAttractors();
    gFadeStartAge = static_cast<uint32_t>((100 - gTrail.fadeSpeed) * gTrail.trailLength * 0.01);
    if (gMorphing)
        MorphRotAngles();
    else
        SetupRotAngles();
}

void ChoosePaintMode(int index) {
    const Preset &p = gPresets[index];
    if (gPreviewMode || p.is3D) {
        gPainting = 0;
    } else if (p.alwaysPaint) {
        gPainting = 1;
    } else {
        gPainting = Rand() % 10 < gPaintingMode;
    }
    gTrail.fadeSpeed = p.fadeSpeed;
    if (gPainting && !gTrail.spiralTrail && index != 10) gTrail.fadeSpeed = 0;
    RefreshTrailSettings();
}

void ApplyPreset(int index) {
    const Preset &p = gPresets[index];
    gTrail =
        TrailSettings{p.trailKinkiness, p.trailLength, p.trailDensity,   p.trailWidth,      p.numberOfTrails,
                      p.sparkle,        p.sparkliness, p.fadeSpeed,      p.colourSpeed,     p.jumpSpeed,
                      p.spiralTrail,    p.spiralInc,   p.alwaysFadeHead, p.alwaysQuicksand, p.is3D};
    ChoosePaintMode(index);
}

struct Row {
    const char *name;
    int32_t v[11];
    int32_t spiral;
    double inc;
    int32_t fadeHead, quicksand, paint, is3D;
};
static const Row kRows[NUM_STANDARD_PRESETS] = {
    {"Tavo", {30, 250, 8, 20, 6, 1, 40, 50, 50, 15}, 0, 0.0, 0, 0, 0, 0},
    {"Pentagonal Lines", {15, 400, 10, 0, 5, 1, 50, 50, 75, 20}, 0, 0.0, 0, 0, 0, 0},
    {"Slow Ripples", {50, 550, 5, 35, 6, 0, 50, 20, 50, 20}, 0, 0.0, 0, 0, 0, 0},
    {"Spirograph", {10, 700, 30, 0, 20, 0, 50, 60, 17, 25}, 0, 0.0, 0, 0, 0, 0},
    {"Jellyfish", {15, 150, 3, 0, 3, 0, 50, 20, 100, 30}, 1, 1.0474475511933334, 0, 0, 0, 0},
    {"Wormholes", {30, 200, 3, 0, 6, 0, 50, 20, 75, 20}, 1, 0.3, 0, 0, 0, 0},
    {"Ribbons", {10, 600, 7, 2, 2, 1, 50, 30, 75, 40}, 0, 0.0, 1, 0, 0, 0},
    {"Rose Tattoo", {50, 550, 5, 35, 6, 0, 50, 40, 25, 30}, 0, 0.0, 1, 1, 0, 0},
    {"Angry Spaghetti", {50, 330, 7, 0, 14, 0, 50, 20, 50, 20}, 1, 1.0474475511933334, 1, 0, 0, 0},
    {"Sea Snakes", {20, 135, 2, 2, 7, 0, 50, 50, 75, 30}, 1, 0.0010471975511933333, 0, 0, 0, 0},
    {"Pellory's Kandy", {20, 1000, 13, 90, 8, 1, 4, 95, 1, 20}, 0, 0.0, 1, 1, 0, 0},
    {"Quorl", {50, 113, 4, 81, 6, 0, 4, 0, 30, 30}, 0, 0.0, 1, 1, 1, 0},
    {"3D Spirograph", {15, 638, 30, 0, 30, 0, 40, 50, 34, 25}, 0, 0.0, 0, 0, 0, 1},
    {"3D Tavo", {30, 250, 8, 11, 12, 1, 40, 50, 50, 20}, 0, 0.0, 0, 0, 0, 1},
    {"3D Sea Snakes", {20, 354, 11, 2, 12, 0, 50, 100, 75, 30}, 1, 0.001256637061432, 0, 0, 0, 1},
};

void InitStandardPreset(int index) {
    const Row &r = kRows[index];
    Preset &p = gPresets[index];
    strncpy(p.name, r.name, PRESET_NAME_LEN);
    p.trailKinkiness = r.v[0];
    p.trailLength = r.v[1];
    p.trailDensity = r.v[2];
    p.trailWidth = r.v[3];
    p.numberOfTrails = r.v[4];
    p.sparkle = r.v[5];
    p.sparkliness = r.v[6];
    p.fadeSpeed = r.v[7];
    p.colourSpeed = r.v[8];
    p.jumpSpeed = r.v[9];
    p.spiralTrail = r.spiral;
    p.spiralInc = r.inc;
    p.alwaysFadeHead = r.fadeHead;
    p.alwaysQuicksand = r.quicksand;
    p.alwaysPaint = r.paint;
    p.dontUse = 0;
    p.modified = 0;
    if (r.is3D) p.is3D = 1;
}
