// Emission and the particle update (thinning, damping, sparkle, fading, death) against a model of their
// rules, the rotation table and HeadingAngle.
#include <cmath>
#include <numbers>
#include <vector>

#include "engine_fixture.h"

using Particles = EngineTest;

enum : unsigned {
    FOUNTAIN = 1,
    THREE_D = 2,
    FIXED = 4,
    SPEED_HEADING = 8,
    SPIRAL = 16,
    PULSE = 32,
    FAN = 64,
    COSINE = 128,
    PAINTING = 256,
    FADE_HEAD = 512,
    RAMP = 1024,
};

static uint32_t Pack(int32_t r, int32_t g, int32_t b) {
    return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

TEST_F(Particles, EmissionTakesPlaceSpeedHeadingAndColourFromTheHeadAndTheEffects) {
    const unsigned cases[] = {0,
                              FOUNTAIN | THREE_D,
                              FIXED | FAN,
                              SPEED_HEADING | SPIRAL,
                              PULSE | SPIRAL | PAINTING,
                              FAN | COSINE,
                              COSINE | PAINTING | RAMP,
                              FADE_HEAD | FIXED | PAINTING,
                              FOUNTAIN | SPEED_HEADING | PULSE};
    const struct {
        EffectId effect;
        unsigned flag;
    } hooks[] = {{EFFECT_FOUNTAIN, FOUNTAIN},
                 {EFFECT_FIXED_HEADING, FIXED},
                 {EFFECT_SPEED_HEADING, SPEED_HEADING},
                 {EFFECT_PULSE, PULSE},
                 {EFFECT_FAN, FAN},
                 {EFFECT_COSINE_SPEED, COSINE},
                 {EFFECT_FADE_HEAD, FADE_HEAD},
                 {EFFECT_COLOUR_RAMP, RAMP}};
    for (int32_t width : {0, 20}) {
        for (unsigned c : cases) {
            SCOPED_TRACE(testing::Message() << "flags " << c << " width " << width);
            for (const auto &hook : hooks)
                gEffects[hook.effect].active = (c & hook.flag) != 0;
            gTrail.is3D = (c & THREE_D) != 0;
            gTrail.spiralTrail = (c & SPIRAL) != 0;
            gTrail.spiralInc = 2.5;
            gTrail.trailWidth = width;
            gTrail.trailLength = 77;
            gFadeStartAge = 33;
            gPainting = (c & PAINTING) != 0;
            gHeadX = 100.0;
            gHeadY = 200.0;
            gHeadVX = 3.0;
            gHeadVY = -4.0;
            gColourR = 10;
            gColourG = 20;
            gColourB = 30;
            gSpiralPhase = 5.0;
            gPulsePhase = TWO_PI - 0.015;
            double spiral = gSpiralPhase, pulse = gPulsePhase;
            SeedRand(c + 1);
            Lcg rng{c + 1};
            for (int n = 0; n < 8; ++n) {
                AddTrailParticle();
                const TrailParticle &p = *gTrailParticles;
                double s = 5.0 * ((c & FOUNTAIN) ? 0.08 : 0.05) * ((c & THREE_D) ? 0.75 : 1.0);
                double h = (c & FIXED) ? 0.0 : (c & SPEED_HEADING) ? s * 5 : std::atan2(4.0, -3.0);
                if (c & SPIRAL) {
                    h += spiral;
                    spiral += 2.5;
                    if (spiral > TWO_PI) spiral -= TWO_PI;
                    s *= 0.5;
                }
                if (c & PULSE) {
                    pulse += 0.01;
                    if (pulse > TWO_PI) pulse -= TWO_PI;
                    s *= std::cos(pulse);
                }
                int32_t rgb = 10 << 16 | 20 << 8 | 30;
                if (width > 0) {
                    double d;
                    if (rng() % 1000 <= 200) {
                        d = rng() % 2 == 0 ? width : -width;
                        if (c & PAINTING) rgb = 0;
                    } else {
                        d = width * ((rng() % 2000) - 1000) * 0.001;
                    }
                    h += d * 0.017453292519943295;
                    if (c & FAN) s *= std::fabs(d) / width;
                }
                if (c & COSINE) s *= std::cos(h);
                EXPECT_EQ(p.x, (c & FOUNTAIN) ? 320.0 : 100.0);
                EXPECT_EQ(p.y, (c & FOUNTAIN) ? 240.0 : 200.0);
                EXPECT_NEAR(p.vx, std::cos(h) * s, 1e-9);
                EXPECT_NEAR(p.vy, std::sin(h) * s, 1e-9);
                EXPECT_EQ(Pack(p.r, p.g, p.b), static_cast<uint32_t>(rgb));
                EXPECT_EQ(p.colour, (c & FADE_HEAD) ? 0u : static_cast<uint32_t>(rgb));
                EXPECT_EQ(p.fadeHead, (c & FADE_HEAD) ? 1 : 0);
                EXPECT_EQ(p.bornInRamp, (c & RAMP) ? 1 : 0);
                EXPECT_EQ(p.lifetime, 77u);
                EXPECT_EQ(p.fadeStart, 33u);
                EXPECT_NEAR(gSpiralPhase, spiral, 1e-12);
                EXPECT_NEAR(gPulsePhase, pulse, 1e-12);
            }
            EXPECT_EQ(Rand(), rng()); // no draw more or less than the rule takes
            RemoveAllTrailParticles();
        }
    }
    ResetEffectsForTests();
    gTrail.alwaysFadeHead = 1; // the pattern's own flag fades in as the effect does
    AddTrailParticle();
    EXPECT_EQ(gTrailParticles->fadeHead, 1);
    AddTrailParticle();
    EXPECT_EQ(gTrailParticles->next->prev, gTrailParticles); // newest first, linked both ways
}

// The drawn colour of a lone particle of base colour (200, 120, 40) after each update of its life, by the
// rules of the update: sparkle roll, fade-in, fade-out, death.
static void ExpectLife(uint32_t lifetime, uint32_t fadeStart, int fadeHead, int sparkliness) {
    SCOPED_TRACE(testing::Message() << lifetime << "/" << fadeStart << " fadeHead " << fadeHead
                                    << " sparkliness " << sparkliness);
    gTrail.trailLength = static_cast<int32_t>(lifetime);
    gFadeStartAge = fadeStart;
    gTrail.alwaysFadeHead = fadeHead;
    gTrail.sparkle = sparkliness > 0;
    gTrail.sparkliness = sparkliness > 0 ? sparkliness : 1;
    gColourR = 200;
    gColourG = 120;
    gColourB = 40;
    AddTrailParticle();
    TrailParticle *p = gTrailParticles;
    SeedRand(lifetime);
    Lcg rng{lifetime};
    uint32_t colour = fadeHead ? 0 : Pack(200, 120, 40);
    for (uint32_t age = 0; age < lifetime; ++age) {
        SCOPED_TRACE(age);
        ASSERT_EQ(gTrailParticles, p);
        UpdateTrailParticles();
        const bool roll = sparkliness > 0 && rng() % sparkliness == 0;
        const bool fadingIn = fadeHead && age < fadeStart / 2;
        bool sparkling = false;
        double f = -1.0;
        if (roll && !fadingIn)
            sparkling = age < fadeStart + (lifetime - fadeStart) * 0.5;
        else if (fadingIn)
            f = static_cast<double>(age) / (fadeStart / 2);
        else if (age > fadeStart)
            f = static_cast<double>(lifetime - age) / (lifetime - fadeStart);
        if (f >= 0.0)
            colour = Pack(static_cast<int32_t>(200 * f), static_cast<int32_t>(120 * f),
                          static_cast<int32_t>(40 * f));
        if (age + 1 == lifetime) break;
        EXPECT_EQ(p->colour, colour);
        EXPECT_EQ(p->sparkling, sparkling ? 1 : 0);
        EXPECT_EQ(p->age, age + 1);
    }
    EXPECT_EQ(gTrailParticles, nullptr); // dies as its age reaches its lifetime
    EXPECT_EQ(Rand(), rng());
}

TEST_F(Particles, LifeSparklesHoldsFadesInAndOutAndEnds) {
    ExpectLife(10, 6, 0, 0);  // holds, then fades linearly to black
    ExpectLife(10, 10, 0, 0); // fadeStart equal to lifetime: never fades
    ExpectLife(20, 8, 1, 0);  // fades in over half the fade start age, then keeps the last fade-in colour
    ExpectLife(10, 0, 1, 0);  // no fade-in at all: black, then the fade-out
    ExpectLife(30, 12, 0, 1); // every roll wins: sparkles until the middle of the fade, colour kept
    ExpectLife(40, 16, 1, 3); // rolls while fading in do not sparkle
    ExpectLife(61, 20, 0, 4);
}

TEST_F(Particles, ThinningKeepsEveryNthFromTheFrontAndDampingFollowsTheMode) {
    for (uint32_t divisor : {2u, 3u}) {
        for (int k = 0; k < 10; ++k) {
            gHeadX = k; // the oldest at x 0, the newest at x 9
            AddTrailParticle();
        }
        gThinDivisor = divisor;
        UpdateTrailParticles();
        std::vector<double> kept, want;
        for (TrailParticle *p = gTrailParticles; p; p = p->next)
            kept.push_back(p->x);
        for (int x = 9; x >= 0; x -= static_cast<int>(divisor))
            want.push_back(x);
        EXPECT_EQ(kept, want); // the head is at rest: particles stand still
        EXPECT_EQ(gThinDivisor, 0u);
        RemoveAllTrailParticles();
    }
    const struct {
        int painting, quicksand;
        double damping;
    } modes[] = {
        {0, 0, 1.0}, {1, 0, 0.9900990099009901}, {0, 1, 0.970873786407767}, {1, 1, 0.970873786407767}};
    for (const auto &m : modes) {
        SCOPED_TRACE(m.damping);
        gHeadVX = -20.0; // velocity (1, 0) straight back
        gHeadVY = 10.0;
        gHeadX = gHeadY = 0.0;
        AddTrailParticle();
        TrailParticle *p = gTrailParticles;
        const double vx = p->vx, vy = p->vy;
        gPainting = m.painting;
        gEffects[EFFECT_QUICKSAND].active = m.quicksand;
        UpdateTrailParticles();
        UpdateTrailParticles();
        EXPECT_NEAR(p->x, vx * (1 + m.damping), 1e-12); // moved by the old velocity, then damped
        EXPECT_NEAR(p->y, vy * (1 + m.damping), 1e-12);
        EXPECT_NEAR(p->vx, vx * m.damping * m.damping, 1e-12);
        EXPECT_NEAR(p->vy, vy * m.damping * m.damping, 1e-12);
        RemoveAllTrailParticles();
    }
}

TEST_F(Particles, HeadingAngleCoversTheQuadrantsAndTheRestCases) {
    const double cases[][3] = {{1, 1, 0.25}, {-1, 1, 0.75}, {-1, -1, 1.25}, {1, -1, 1.75}, {1, 0, 0},
                               {-1, 0, 1},   {0, 2, 0.5},   {0, -2, 1.5},   {0, 0, 1.5}};
    for (const auto &c : cases)
        EXPECT_NEAR(HeadingAngle(c[0], c[1]), c[2] * std::numbers::pi, 1e-10) << c[0] << ", " << c[1];
}

TEST_F(Particles, RotationTableSpacesTheTrailsEvenly) {
    for (int32_t n : {1, 4, 7, 100}) {
        gTrail.numberOfTrails = n;
        SetupRotAngles();
        ASSERT_EQ(gRotAngleCount, static_cast<uint32_t>(n));
        for (int32_t k = 0; k < n; ++k) {
            SCOPED_TRACE(testing::Message() << n << " trails, entry " << k);
            const RotAngle &e = gRotAngle[k];
            EXPECT_EQ(e.angle, static_cast<float>(k * 6.28318530716L / n));
            const double c = std::cos(static_cast<double>(e.angle)),
                         sn = std::sin(static_cast<double>(e.angle));
            const float m[4] = {static_cast<float>(c), static_cast<float>(sn), static_cast<float>(-sn),
                                static_cast<float>(c)};
            for (int j = 0; j < 4; ++j)
                EXPECT_EQ(e.m[j], m[j]) << j;
        }
    }
}

TEST_F(Particles, FailedAllocationsAreLoggedAndCostOnlyWhatFailed) {
    gTrail.spiralTrail = 1;
    gTrail.spiralInc = 0.5;
    gEffects[EFFECT_PULSE].active = 1;
    SetAllocationFaults(0, 1);
    AddTrailParticle();
    EXPECT_EQ(gTrailParticles, nullptr);
    EXPECT_EQ(gSpiralPhase + gPulsePhase, 0.0); // nothing of the failed emission happened
    EXPECT_NE(LogContents().find("> AddTrailParticle: Allocating NewParticle failed.\n"), std::string::npos);

    SetupRotAngles();
    SetAllocationFaults(0, 1);
    SetupRotAngles();
    EXPECT_EQ(gRotAngle, nullptr);
    EXPECT_EQ(gRotAngleCount, 0u);
    EXPECT_NE(LogContents().find("> SetupRotAngles: Allocating memory for gRotAngle failed.\n"),
              std::string::npos);
}
