// Pattern morphing: when a morph starts and where it goes, the gliding of the rotated copies, the cross-fade
// of the names and the hand-over to the target at its end. Driven by the frame step at every tenth physics
// step; no OS calls here, and no search that can run forever.
#include <algorithm>
#include <cmath>

#include "display/display.h"
#include "engine/engine.h"
#include "patterns/patterns.h"
#include "platform/clock.h"
#include "platform/memory.h"

uint32_t gMorphClock = 0;
int gMorphing = 0;
uint32_t gMorphEnd = 0;
uint32_t gNextMorphTime = 0;
int gMorphRequested = 0;
int32_t gMorphRequestTarget = -1;
int32_t gMorphSource = 0, gMorphTarget = 0;
double gMorphProgress = 0.0;
int gMorphFrom3D = 0, gMorphTo3D = 0;

constexpr int32_t FAVOURED_FIRST_TARGET = 12; // "3D Spirograph", favoured once as the first random target
constexpr int32_t NAME_REDRAWS = 20;          // name cross-fade steps over one morph
constexpr int32_t NAME_SIZE = 16;             // pixels
constexpr int NAME_SLOT = 3;

static int sFirstPickTaken = 0; // the favoured first target has been taken; never cleared in a session
static int sNameFill = 1;       // blacken the name slot at the next cross-fade redraw

void ResetMorphForTests() {
    gMorphClock = 0;
    gMorphing = 0;
    gMorphEnd = 0;
    gNextMorphTime = 0;
    gMorphRequested = 0;
    gMorphRequestTarget = -1;
    gMorphSource = gMorphTarget = 0;
    gMorphProgress = 0.0;
    gMorphFrom3D = gMorphTo3D = 0;
    sFirstPickTaken = 0;
    sNameFill = 1;
}

static const Preset *PresetAt(int32_t index) {
    if (!gPresets || index < 0 || index >= gPresetCount) return nullptr;
    return &gPresets[index];
}

static uint32_t MorphIntervalMs() {
    return static_cast<uint32_t>(gMorphInterval) * 1000u;
}
static int32_t MorphDuration() {
    return gMorphDuration > 0 ? gMorphDuration : 1;
}

void RequestMorph(int32_t target) {
    gMorphRequested = 1;
    gMorphRequestTarget = target;
}

// The next automatic morph counts from now, as at the end of a morph.
static void DropMorph() {
    gMorphing = 0;
    gMorphRequested = 0;
    gMorphRequestTarget = -1;
    gNextMorphTime = PlatformTickCount() + MorphIntervalMs();
}

static bool UsableRandomTarget(int32_t index, int32_t source) {
    return index != source && !gPresets[index].dontUse;
}

// A random target other than the source and not excluded, or -1 when there is none.
static int32_t ChooseRandomTarget(int32_t source) {
    bool any = false;
    for (int32_t i = 0; i < gPresetCount && !any; ++i)
        any = UsableRandomTarget(i, source);
    if (!any) return -1;
    for (;;) {
        int32_t pick;
        if (!sFirstPickTaken && gPresetCount > FAVOURED_FIRST_TARGET &&
            !gPresets[FAVOURED_FIRST_TARGET].dontUse && Rand() % 10 < 6) {
            sFirstPickTaken = 1;
            pick = FAVOURED_FIRST_TARGET;
        } else {
            pick = Rand() % gPresetCount;
        }
        if (UsableRandomTarget(pick, source)) return pick;
    }
}

void BeginMorph(uint32_t clock, int32_t requested) {
    gMorphEnd = clock + static_cast<uint32_t>(MorphDuration());
    gMorphSource = gCurrentPreset;
    gMorphProgress = 0.0;
    const Preset *source = PresetAt(gMorphSource);
    int32_t target = -1;
    if (source) target = requested == -1 ? ChooseRandomTarget(gMorphSource) : requested;
    const Preset *to = PresetAt(target);
    if (!source || !to) {
        DropMorph();
        return;
    }
    gMorphTarget = target;

    // Going to at least twice as many copies, the living particles are thinned so the drawn points stay
    // about as many.
    const uint32_t working = gTrail.numberOfTrails > 0 ? static_cast<uint32_t>(gTrail.numberOfTrails) : 0;
    const uint32_t divisor = working ? static_cast<uint32_t>(to->numberOfTrails) / working : 0;
    gThinDivisor = divisor < 2 ? 0 : divisor;

    if (to->numberOfTrails > gTrail.numberOfTrails) gTrail.numberOfTrails = to->numberOfTrails;
    // Never denser than either pattern while both are on screen.
    gTrail.trailDensity = source->trailDensity > to->trailDensity ? source->trailDensity : to->trailDensity;

    if (gRandomBackground && gBackgroundBrightness != 0) gBlueBackground = Rand() % 2;

    gMorphFrom3D = source->is3D;
    gMorphTo3D = to->is3D;
    if (!gMorphFrom3D && !gMorphTo3D) {
        gTrail.is3D = 0;
    } else {
        gTrail.is3D = 1;
        gPainting = 0; // a tilting picture cannot be painted
    }
}

static void ReleaseRotAngles() {
    HeapRelease(gRotAngle);
    gRotAngle = nullptr;
    gRotAngleCount = 0;
}

static bool TrailCountsDiffer(int32_t *from, int32_t *to) {
    const Preset *source = PresetAt(gMorphSource);
    const Preset *target = PresetAt(gMorphTarget);
    if (!source || !target) return false;
    *from = source->numberOfTrails;
    *to = target->numberOfTrails;
    return *from != *to;
}

void SetupMorphRotAngles() {
    int32_t from, to;
    if (!TrailCountsDiffer(&from, &to)) return;
    const int32_t n = gTrail.numberOfTrails > 0 ? gTrail.numberOfTrails : 1;
    const int32_t m = std::max(1, std::min(from, to));

    ReleaseRotAngles();
    gRotAngle = static_cast<RotAngle *>(HeapAllocate(sizeof(RotAngle) * static_cast<size_t>(n)));
    if (!gRotAngle) {
        LogMessage("SetupMorphRotAngles: Allocating memory for gRotAngle failed.\n");
        return;
    }
    gRotAngleCount = static_cast<uint32_t>(n);

    // The float step is a little larger than the exact spacing, so an angle lying exactly on an old position
    // snaps to the one below it.
    const float step = static_cast<float>(TWO_PI / m);
    for (int32_t k = 0; k < n; ++k) {
        const long double a = static_cast<long double>(k) * TWO_PI / n;
        const long double b = std::floor(a / step) * step;
        RotAngle *entry = &gRotAngle[k];
        if (from < to) { // new copies start stacked on the old positions and fan out
            entry->fromAngle = static_cast<float>(b);
            entry->toAngle = static_cast<float>(a);
        } else { // copies converge on the positions that remain
            entry->fromAngle = static_cast<float>(a);
            entry->toAngle = static_cast<float>(b);
        }
        SetRotAngleEntry(entry, entry->fromAngle);
    }
}

void MorphRotAngles() {
    int32_t from, to;
    if (!TrailCountsDiffer(&from, &to) || !gRotAngle) return;
    for (uint32_t k = 0; k < gRotAngleCount; ++k) {
        RotAngle *entry = &gRotAngle[k];
        if (entry->toAngle == entry->fromAngle) continue;
        const double angle =
            entry->fromAngle + gMorphProgress * (static_cast<double>(entry->toAngle) - entry->fromAngle);
        SetRotAngleEntry(entry, static_cast<float>(angle));
    }
}

static int32_t Interpolate(int32_t from, int32_t to, double p) {
    return from + static_cast<int32_t>(static_cast<double>(to - from) * p);
}

void StepMorph(uint32_t clock) {
    const Preset *source = PresetAt(gMorphSource);
    const Preset *target = PresetAt(gMorphTarget);
    if (!source || !target) return;

    const int32_t duration = MorphDuration();
    // Signed difference: the morph clock may wrap during a morph.
    double p = 1.0 - static_cast<double>(static_cast<int32_t>(gMorphEnd - clock)) / duration;
    if (p > 1.0) {
        p = 1.0;
        sNameFill = 1;
    } else if (p >= 0.995) {
        sNameFill = 1;
    }
    gMorphProgress = p;

    // Twenty redraws per morph; a morph shorter than 20 ticks redraws on every tick.
    const uint32_t redrawEvery = static_cast<uint32_t>(duration / NAME_REDRAWS);
    if (gShowNames && (redrawEvery == 0 || clock % redrawEvery == 0)) {
        DDDrawText(source->name, target->name, static_cast<float>(1.0 - p), sNameFill, NAME_SIZE, NAME_SLOT,
                   0, 1);
        sNameFill = 0;
    }

    gTrail.trailLength = Interpolate(source->trailLength, target->trailLength, p);
    gTrail.trailWidth = Interpolate(source->trailWidth, target->trailWidth, p);
    gTrail.sparkle = Interpolate(source->sparkle, target->sparkle, p);
    gTrail.sparkliness = Interpolate(source->sparkliness, target->sparkliness, p);
    gTrail.fadeSpeed = Interpolate(source->fadeSpeed, target->fadeSpeed, p);
    gTrail.colourSpeed = Interpolate(source->colourSpeed, target->colourSpeed, p);
    gTrail.spiralTrail = (source->spiralTrail || target->spiralTrail) ? 1 : 0;
    gTrail.spiralInc = source->spiralInc + (target->spiralInc - source->spiralInc) * p;
}

void EndMorph() {
    gCurrentPreset = gMorphTarget;
    ApplyPreset(gMorphTarget);
}

void MorphLogic(uint32_t clock) {
    if (!gMorphing) {
        if (!((gMorphSettings && TickDue(clock, gNextMorphTime)) || gMorphRequested)) return;
        gMorphing = 1;
        BeginMorph(gMorphClock, gMorphRequestTarget);
        if (!gMorphing) return; // no target: dropped, next time re-armed
        SetupMorphRotAngles();
        gNextMorphTime = PlatformTickCount() + MorphIntervalMs();
        gMorphEnd = gMorphClock + static_cast<uint32_t>(MorphDuration());
        gMorphRequested = 0;
        gMorphRequestTarget = -1;
    } else if (TickAfter(gMorphEnd, gMorphClock)) {
        StepMorph(gMorphClock);
        RefreshTrailSettings();
    } else {
        if (gPainting) gClearRequest = 1;
        gMorphing = 0;
        EndMorph();
        const Preset *current = PresetAt(gCurrentPreset);
        if (current) DDDrawText(current->name, "", 1.0f, 1, NAME_SIZE, NAME_SLOT, 0, 1);
        RefreshTrailSettings();
        gNextMorphTime = PlatformTickCount() + MorphIntervalMs();
        EndOfMorphEffects();
    }
}
