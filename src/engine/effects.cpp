// The eleven timed and keyed effects: when each starts and ends, under which pattern it may run, and the
// start and end actions of those that do more than a hook in the physics, the emission or the particle
// update. Called once per frame step and at the end of a morph; no OS calls here, every due test is
// wrap-safe.
#include "display/display.h"
#include "engine/engine.h"
#include "patterns/patterns.h"
#include "platform/clock.h"

Effect gEffects[NUM_EFFECTS] = {};
uint32_t gReversalPeriod = 2000;
int gColourRampSpeedMode = 0;
int32_t gColourRampM = 0, gColourRampN = 0;

// Patterns that some effects treat specially, by their standard index.
constexpr int32_t PRESET_JELLYFISH = 4;
constexpr int32_t PRESET_WORMHOLES = 5;
constexpr int32_t PRESET_ROSE_TATTOO = 7;
constexpr int32_t PRESET_SEA_SNAKES = 9;
constexpr int32_t PRESET_PELLORYS_KANDY = 10;
constexpr int32_t PRESET_3D_SEA_SNAKES = 14;

constexpr double BASE_WALL_FORCE = 70.0;
constexpr int32_t FOUNTAIN_MIN_LENGTH = 300; // particle updates

static int32_t sRampDivisor[3] = {}; // red, green, blue; 0 = the channel that stays full up to level M
static double sRampScale[3] = {};    // 256 / divisor, 0 for the 0 divisor

// Start offsets and durations in milliseconds; r is a fresh rand % 1000 for every use.
struct EffectTiming {
    uint32_t firstBase; // first scheduling (start still 0)
    uint32_t laterBase; // every later scheduling
    uint32_t startPerR;
    uint32_t durationBase;
    uint32_t shortDurationBase; // with is3D (Centre Pull: or painting); equal to durationBase where none
    uint32_t durationPerR;
};

static const EffectTiming kTiming[NUM_EFFECTS] = {
    /* Centre Pull   */ {0, 20000, 20, 10000, 5000, 5},
    /* Fade Head     */ {60000, 60000, 30, 20000, 20000, 10},
    /* Reversal      */ {0, 40000, 30, 10000, 5000, 5},
    /* Pulse         */ {15000, 100000, 40, 10000, 10000, 10},
    /* Colour Ramp   */ {10000, 60000, 20, 20000, 20000, 10},
    /* Quicksand     */ {60000, 60000, 20, 15000, 15000, 5},
    /* Fan           */ {10000, 30000, 20, 15000, 15000, 10},
    /* Cosine Speed  */ {10000, 70000, 30, 20000, 20000, 10},
    /* Fountain      */ {10000, 80000, 30, 10000, 5000, 5},
    /* Fixed Heading */ {10000, 6000, 40, 10000, 10000, 5},
    /* Speed Heading */ {0, 50000, 90, 20000, 20000, 10},
};

void ResetEffectsForTests() {
    for (Effect &e : gEffects)
        e = Effect{};
    gReversalPeriod = 2000;
    gColourRampSpeedMode = 0;
    gColourRampM = gColourRampN = 0;
    for (int c = 0; c < 3; ++c) {
        sRampDivisor[c] = 0;
        sRampScale[c] = 0.0;
    }
}

void RequestEffect(EffectId e) {
    if (e >= 0 && e < NUM_EFFECTS) gEffects[e].request = 1;
}

static int32_t R1000() {
    return Rand() % 1000;
}

static uint32_t ArenaWidth() {
    return gDisplay.width;
}
static uint32_t ArenaHeight() {
    return gDisplay.height;
}

// Judged at the moment the duration is drawn: at scheduling, or when a key's request takes effect.
static uint32_t DrawDuration(EffectId e) {
    const EffectTiming &t = kTiming[e];
    bool shorter = gTrail.is3D != 0;
    if (e == EFFECT_CENTRE_PULL) shorter = shorter || gPainting;
    const uint32_t duration =
        (shorter ? t.shortDurationBase : t.durationBase) + static_cast<uint32_t>(R1000()) * t.durationPerR;
    if (e == EFFECT_REVERSAL) gReversalPeriod = 2000 + static_cast<uint32_t>(Rand() % 3000);
    return duration;
}

// Next start and end from the tick time now; the first scheduling is the one made while start is still 0.
static void Schedule(EffectId e, uint32_t now) {
    Effect &fx = gEffects[e];
    const EffectTiming &t = kTiming[e];
    const uint32_t base = fx.start == 0 ? t.firstBase : t.laterBase;
    fx.start = now + base + static_cast<uint32_t>(R1000()) * t.startPerR;
    fx.end = fx.start + DrawDuration(e);
}

static bool PresetIs(int32_t index) {
    return gCurrentPreset == index;
}

static bool MayRun(EffectId e) {
    switch (e) {
        case EFFECT_CENTRE_PULL:
            return !PresetIs(PRESET_JELLYFISH) && !PresetIs(PRESET_WORMHOLES) && !PresetIs(PRESET_SEA_SNAKES);
        case EFFECT_REVERSAL: return gTrail.trailWidth < 2 && !gTrail.spiralTrail;
        case EFFECT_COLOUR_RAMP: return !PresetIs(PRESET_PELLORYS_KANDY);
        case EFFECT_QUICKSAND: return !gTrail.spiralTrail;
        case EFFECT_FAN:
            return gTrail.trailWidth > 0 && gTrail.trailWidth < 30 && !PresetIs(PRESET_3D_SEA_SNAKES);
        case EFFECT_FOUNTAIN:
            return !PresetIs(PRESET_ROSE_TATTOO) && !PresetIs(PRESET_PELLORYS_KANDY) && !gPainting;
        case EFFECT_FIXED_HEADING: return !gTrail.is3D;
        default: return true;
    }
}

static void StartCentrePull() {
    const bool attract = Rand() % 2 == 0;
    gAttractorMinDist[0] = attract ? 5.0 : 2.0;
    gAttractors[0].strength = attract ? 2500.0 : -2500.0;
    gAttractors[0].x = ArenaWidth() / 2;
    gAttractors[0].y = ArenaHeight() / 2;
    gWallForce = BASE_WALL_FORCE * ((PresetIs(PRESET_PELLORYS_KANDY) || gPainting) ? 25 : 50);
    JumpTrailHead(true);
}

static void StartColourRamp() {
    for (int c = 0; c < 3; ++c)
        sRampDivisor[c] = Rand() % 6 + 1;
    sRampDivisor[Rand() % 3] = 0;
    int32_t largest = 0, smallest = 256; // the 0 divisor counts as 256 for the smallest
    for (int c = 0; c < 3; ++c) {
        const int32_t d = sRampDivisor[c];
        if (d > largest) largest = d;
        if ((d == 0 ? 256 : d) < smallest) smallest = d == 0 ? 256 : d;
        sRampScale[c] = d > 0 ? 256.0 / d : 0.0;
    }
    gColourRampM = 256 / largest;
    gColourRampN = 256 / smallest;
    gColourRampSpeedMode = Rand() % 2;
}

void ColourRampColour(int32_t level, int32_t *r, int32_t *g, int32_t *b) {
    // A Pulse can make a particle's speed negative, which would push the level past N.
    const int32_t k = level < 0 ? 0 : (level > gColourRampN ? gColourRampN : level);
    int32_t out[3];
    for (int c = 0; c < 3; ++c) {
        if (sRampDivisor[c] > 0) {
            double v = k / sRampScale[c];
            if (v > 1.0) v = 1.0;
            out[c] = static_cast<int32_t>((1.0 - v) * 255);
        } else if (k <= gColourRampM || gColourRampN <= gColourRampM) {
            out[c] = 255;
        } else {
            out[c] = (gColourRampN - k) * 255 / (gColourRampN - gColourRampM);
        }
    }
    *r = out[0];
    *g = out[1];
    *b = out[2];
}

static void StartActions(EffectId e) {
    switch (e) {
        case EFFECT_CENTRE_PULL: StartCentrePull(); break;
        case EFFECT_COLOUR_RAMP: StartColourRamp(); break;
        case EFFECT_FOUNTAIN:
            if (gTrail.trailLength <= FOUNTAIN_MIN_LENGTH) gTrail.trailLength = FOUNTAIN_MIN_LENGTH;
            break;
        default: break;
    }
}

// What an effect undoes when its period ends or a morph stops it; the caller schedules the next start.
static void EndActions(EffectId e) {
    switch (e) {
        case EFFECT_CENTRE_PULL:
            SetupAttractors();
            gWallForce = ArenaWidth() == 640 ? 2 * BASE_WALL_FORCE : BASE_WALL_FORCE;
            break;
        case EFFECT_FOUNTAIN: {
            gHeadX = ArenaWidth() * 0.5;
            gHeadY = ArenaHeight() * 0.5;
            if (gPresets && gCurrentPreset >= 0 && gCurrentPreset < gPresetCount)
                gTrail.trailLength = gPresets[gCurrentPreset].trailLength;
            break;
        }
        default: break;
    }
}

// An end of 0 (Fixed Heading before its first scheduling) is reached at any uptime.
static bool Reached(uint32_t now, uint32_t end) {
    return end == 0 || !TickAfter(end, now);
}

static void TryStart(EffectId e, uint32_t now) {
    Effect &fx = gEffects[e];
    if (!TickDue(now, fx.start) && !fx.request) return;
    fx.active = 1;
    if (fx.request) { // a key's period runs from the moment it takes effect
        fx.end = now + DrawDuration(e);
        fx.request = 0;
    }
    StartActions(e);
}

static void TryEnd(EffectId e, uint32_t now) {
    Effect &fx = gEffects[e];
    if (!Reached(now, fx.end)) return;
    fx.active = 0;
    EndActions(e);
    Schedule(e, now);
}

static void Transition(EffectId e, uint32_t now) {
    Effect &fx = gEffects[e];
    if (e == EFFECT_CENTRE_PULL) {
        // Under the patterns that forbid it the end bookkeeping still recurs at the scheduled times.
        if (!fx.active && MayRun(e))
            TryStart(e, now);
        else
            TryEnd(e, now);
        return;
    }
    if (e == EFFECT_QUICKSAND) {
        if (gTrail.spiralTrail) {
            fx.active = 0;
            return;
        }
        if (gTrail.alwaysQuicksand) {
            fx.active = 1;
            return;
        }
    }
    if (e == EFFECT_FADE_HEAD && gTrail.alwaysFadeHead) return;
    // A forbidden effect keeps its state: a request waits, a running period is not ended.
    if (!MayRun(e)) return;
    if (!fx.active)
        TryStart(e, now);
    else
        TryEnd(e, now);
}

static void ScheduleFirst(EffectId e, uint32_t now) {
    Effect &fx = gEffects[e];
    if (fx.start != 0) return;
    if ((e == EFFECT_QUICKSAND && gTrail.alwaysQuicksand) || (e == EFFECT_FADE_HEAD && gTrail.alwaysFadeHead))
        fx.active = 1;
    else
        Schedule(e, now);
}

void UpdateEffects(uint32_t now) {
    ScheduleFirst(EFFECT_REVERSAL, now);
    ScheduleFirst(EFFECT_CENTRE_PULL, now);
    ScheduleFirst(EFFECT_FAN, now);
    ScheduleFirst(EFFECT_COSINE_SPEED, now);
    ScheduleFirst(EFFECT_QUICKSAND, now);
    if (gNextMorphTime == 0) gNextMorphTime = now + static_cast<uint32_t>(gMorphInterval) * 1000u;
    ScheduleFirst(EFFECT_COLOUR_RAMP, now);
    ScheduleFirst(EFFECT_FOUNTAIN, now);
    ScheduleFirst(EFFECT_FADE_HEAD, now);
    ScheduleFirst(EFFECT_PULSE, now);
    ScheduleFirst(EFFECT_SPEED_HEADING, now);

    static const EffectId kOrder[] = {EFFECT_CENTRE_PULL,  EFFECT_QUICKSAND,     EFFECT_FAN,
                                      EFFECT_COSINE_SPEED, EFFECT_FIXED_HEADING, EFFECT_FADE_HEAD,
                                      EFFECT_PULSE,        EFFECT_SPEED_HEADING, EFFECT_COLOUR_RAMP,
                                      EFFECT_REVERSAL,     EFFECT_FOUNTAIN};
    for (EffectId e : kOrder)
        Transition(e, now);
}

void EndOfMorphEffects() {
    gEffects[EFFECT_FADE_HEAD].active = gTrail.alwaysFadeHead ? 1 : 0;
    gEffects[EFFECT_QUICKSAND].active = gTrail.alwaysQuicksand ? 1 : 0;
    const uint32_t now = PlatformTickCount();
    for (int i = 0; i < NUM_EFFECTS; ++i) {
        const EffectId e = static_cast<EffectId>(i);
        if (MayRun(e)) continue;
        // A stopped effect undoes what it did, as at the end of its period.
        if (gEffects[e].active) EndActions(e);
        gEffects[e].active = 0;
        Schedule(e, now);
    }
}
