// The trail: emission of particles at the head, the particle update that moves, damps, sparkles, fades and
// kills them, and the rotation table that turns one list into several symmetric trails. Called by the frame
// step and by morphing. A failed allocation costs one particle or the copies, never the frame.
#include <cmath>

#include "display/display.h"
#include "engine/engine.h"
#include "platform/memory.h"

constexpr double QUICKSAND_DAMPING = 0.970873786407767; // 1/1.03 per particle update
constexpr double PAINTING_DAMPING = 0.9900990099009901; // 1/1.01 per particle update
constexpr double RAMP_TOP_SPEED = 1.3;                  // speeds at or above this get ramp level 0

// Particles come from blocks of nodes handed out first in, first out: particles die in about the order they
// were born, so a walk of the list from newest to oldest runs through memory in order and stays fast.
constexpr uint32_t PARTICLES_PER_BLOCK = 1024;

struct ParticleBlock {
    ParticleBlock *nextBlock;
    TrailParticle nodes[PARTICLES_PER_BLOCK];
};

static ParticleBlock *sBlocks = nullptr;    // every block, released by FreeTrails
static TrailParticle *sFreeFirst = nullptr; // free nodes, linked through `next`: the next one handed out
static TrailParticle *sFreeLast = nullptr;  // the most recently freed node
static uint32_t sLiveParticles = 0;         // nodes handed out and not yet freed

static void PushFree(TrailParticle *p) {
    p->next = nullptr;
    if (sFreeLast)
        sFreeLast->next = p;
    else
        sFreeFirst = p;
    sFreeLast = p;
}

static TrailParticle *NewParticle() {
    if (!sFreeFirst) {
        ParticleBlock *block = static_cast<ParticleBlock *>(HeapAllocate(sizeof(ParticleBlock)));
        if (!block) return nullptr;
        block->nextBlock = sBlocks;
        sBlocks = block;
        for (TrailParticle &node : block->nodes)
            PushFree(&node);
    }
    TrailParticle *p = sFreeFirst;
    sFreeFirst = p->next;
    if (!sFreeFirst) sFreeLast = nullptr;
    ++sLiveParticles;
    return p;
}

static void FreeParticle(TrailParticle *p) {
    PushFree(p);
    --sLiveParticles;
}

void ReleaseParticleBlocks() {
    if (sLiveParticles) return; // only once every particle is gone
    while (sBlocks) {
        ParticleBlock *next = sBlocks->nextBlock;
        HeapRelease(sBlocks);
        sBlocks = next;
    }
    sFreeFirst = sFreeLast = nullptr;
}

// The ramp level of a speed, clamped to 0..N: a pulse can make the speed negative.
static int32_t RampLevelOfSpeed(double speed) {
    const double s = speed < RAMP_TOP_SPEED ? speed : RAMP_TOP_SPEED;
    const double level = (1.0 - s / RAMP_TOP_SPEED) * gColourRampN;
    if (!(level > 0.0)) return 0;
    if (level >= gColourRampN) return gColourRampN;
    return static_cast<int32_t>(level);
}

static uint32_t PackScaled(int32_t r, int32_t g, int32_t b, double f) {
    return DDPackColour(static_cast<uint32_t>(static_cast<int32_t>(r * f)),
                        static_cast<uint32_t>(static_cast<int32_t>(g * f)),
                        static_cast<uint32_t>(static_cast<int32_t>(b * f)));
}

void AddTrailParticle() {
    TrailParticle *p = NewParticle();
    if (!p) {
        LogMessage("AddTrailParticle: Allocating NewParticle failed.\n");
        return;
    }
    const bool fountain = EffectActive(EFFECT_FOUNTAIN);
    if (fountain) {
        p->x = gDisplay.width / 2;
        p->y = gDisplay.height / 2;
    } else {
        p->x = gHeadX;
        p->y = gHeadY;
    }
    p->age = 0;
    p->lifetime = gTrail.trailLength > 0 ? static_cast<uint32_t>(gTrail.trailLength) : 0;
    p->fadeStart = gFadeStartAge;
    p->sparkling = 0;
    p->bornInRamp = EffectActive(EFFECT_COLOUR_RAMP);
    p->fadeHead = EffectActive(EFFECT_FADE_HEAD) || gTrail.alwaysFadeHead;

    double s = std::sqrt(gHeadVX * gHeadVX + gHeadVY * gHeadVY) * (fountain ? 0.08 : 0.05);
    if (gTrail.is3D) s *= 0.75;

    double h;
    if (EffectActive(EFFECT_FIXED_HEADING))
        h = 0.0;
    else if (EffectActive(EFFECT_SPEED_HEADING))
        h = s * 5.0;
    else
        h = HeadingAngle(-gHeadVX, -gHeadVY); // straight back from the head's motion

    if (gTrail.spiralTrail) {
        h += gSpiralPhase;
        gSpiralPhase += gTrail.spiralInc;
        if (gSpiralPhase > TWO_PI) gSpiralPhase -= TWO_PI;
        s *= 0.5;
    }
    if (EffectActive(EFFECT_PULSE)) {
        gPulsePhase += 0.01;
        if (gPulsePhase > TWO_PI) gPulsePhase -= TWO_PI;
        s = std::cos(gPulsePhase) * s; // negative: the particle flies forwards
    }

    if (EffectActive(EFFECT_COLOUR_RAMP) && gColourRampSpeedMode) {
        ColourRampColour(RampLevelOfSpeed(s), &p->r, &p->g, &p->b);
    } else {
        p->r = gColourR;
        p->g = gColourG;
        p->b = gColourB;
    }

    if (gTrail.trailWidth > 0) {
        double d;
        if (Rand() % 1000 <= 200) {
            d = (Rand() % 2 == 0) ? gTrail.trailWidth : -gTrail.trailWidth;
            if (gPainting) p->r = p->g = p->b = 0; // dark edges on painted trails
        } else {
            d = static_cast<double>(gTrail.trailWidth * ((Rand() % 2000) - 1000)) * 0.001;
        }
        h += d * DEG_TO_RAD;
        if (EffectActive(EFFECT_FAN)) s = (std::fabs(d) / gTrail.trailWidth) * s;
    }
    if (EffectActive(EFFECT_COSINE_SPEED)) s = std::cos(h) * s;

    p->colour = p->fadeHead ? DDPackColour(0, 0, 0)
                            : DDPackColour(static_cast<uint32_t>(p->r), static_cast<uint32_t>(p->g),
                                           static_cast<uint32_t>(p->b));
    p->vx = std::cos(h) * s;
    p->vy = std::sin(h) * s;

    p->prev = nullptr;
    p->next = gTrailParticles;
    if (gTrailParticles) gTrailParticles->prev = p;
    gTrailParticles = p;
}

void UpdateTrailParticles() {
    if (gThinDivisor > 0) { // a morph to fewer trails keeps every n-th particle
        uint32_t j = 0;
        for (TrailParticle *p = gTrailParticles; p; ++j)
            p = (j % gThinDivisor == 0) ? p->next : RemoveTrailParticle(p);
        gThinDivisor = 0;
    }

    const bool quicksand = EffectActive(EFFECT_QUICKSAND);
    const bool rampByAge = EffectActive(EFFECT_COLOUR_RAMP) && !gColourRampSpeedMode;
    TrailParticle *p = gTrailParticles;
    while (p) {
        p->x += p->vx;
        p->y += p->vy;
        if (quicksand) {
            p->vx *= QUICKSAND_DAMPING;
            p->vy *= QUICKSAND_DAMPING;
        } else if (gPainting) {
            p->vx *= PAINTING_DAMPING;
            p->vy *= PAINTING_DAMPING;
        }
        p->sparkling = 0;

        if (rampByAge && p->bornInRamp) {
            const uint32_t level =
                p->lifetime ? p->age * static_cast<uint32_t>(gColourRampN) / p->lifetime : 0;
            ColourRampColour(static_cast<int32_t>(level), &p->r, &p->g, &p->b);
            p->colour = DDPackColour(static_cast<uint32_t>(p->r), static_cast<uint32_t>(p->g),
                                     static_cast<uint32_t>(p->b));
        }

        const uint32_t fadeInEnd = p->fadeStart / 2;
        const bool fadingIn = p->fadeHead && p->age < fadeInEnd;
        if (gTrail.sparkle && Rand() % gTrail.sparkliness == 0 && !fadingIn) {
            // A particle past the middle of its fade may win the roll but no longer sparkles; either way its
            // colour stays as it was for this update.
            const double fadeMiddle = p->fadeStart + (static_cast<double>(p->lifetime) - p->fadeStart) * 0.5;
            if (p->age < fadeMiddle) p->sparkling = 1;
        } else if (fadingIn) {
            p->colour = PackScaled(p->r, p->g, p->b, static_cast<double>(p->age) / fadeInEnd);
        } else if (p->age > p->fadeStart && !rampByAge) {
            const double f = (static_cast<double>(p->lifetime) - p->age) /
                             (static_cast<double>(p->lifetime) - p->fadeStart);
            p->colour = PackScaled(p->r, p->g, p->b, f);
        }

        ++p->age;
        p = (p->age >= p->lifetime) ? RemoveTrailParticle(p) : p->next;
    }
}

TrailParticle *RemoveTrailParticle(TrailParticle *p) {
    TrailParticle *const older = p->next;
    if (p->prev)
        p->prev->next = older;
    else
        gTrailParticles = older;
    if (older) older->prev = p->prev;
    FreeParticle(p);
    return older;
}

void RemoveAllTrailParticles() {
    while (gTrailParticles)
        RemoveTrailParticle(gTrailParticles);
}

void SetRotAngleEntry(RotAngle *entry, float angle) {
    const double c = std::cos(static_cast<double>(angle));
    const double s = std::sin(static_cast<double>(angle));
    entry->angle = angle;
    entry->m[0] = static_cast<float>(c);
    entry->m[1] = static_cast<float>(s);
    entry->m[2] = static_cast<float>(-s);
    entry->m[3] = static_cast<float>(c);
}

void SetupRotAngles() {
    HeapRelease(gRotAngle);
    gRotAngle = nullptr;
    gRotAngleCount = 0;
    const uint32_t count = gTrail.numberOfTrails > 0 ? static_cast<uint32_t>(gTrail.numberOfTrails) : 1;
    gRotAngle = static_cast<RotAngle *>(HeapAllocate(count * sizeof(RotAngle)));
    if (!gRotAngle) {
        LogMessage("SetupRotAngles: Allocating memory for gRotAngle failed.\n");
        return; // no table, no copies drawn until the next set-up
    }
    gRotAngleCount = count;
    for (uint32_t k = 0; k < count; ++k) {
        const float angle = static_cast<float>(static_cast<long double>(k) * TWO_PI / count);
        SetRotAngleEntry(&gRotAngle[k], angle);
        gRotAngle[k].fromAngle = angle; // only a morph gives these meaning; keep them defined
        gRotAngle[k].toAngle = angle;
    }
}

double HeadingAngle(double a, double b) {
    if (a != 0.0) {
        const double t = std::atan(b / a);
        if (a < 0.0) return t + PI;
        if (b < 0.0) return t + TWO_PI;
        return t;
    }
    return b > 0.0 ? 1.57079632679 : 4.71238898037; // (0, 0) counts as pointing to negative b
}
