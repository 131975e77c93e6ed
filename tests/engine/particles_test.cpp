// Particle emission, the particle update (thinning, damping, sparkle, fading, death), the list operations,
// the rotation table and HeadingAngle.
#include <cmath>
#include <vector>

#include "engine_fixture.h"

using Particles = EngineTest;

static uint32_t Grey(uint32_t v) {
    return (v << 16) | (v << 8) | v;
} // 8-8-8 packing of (v, v, v)

// One particle of base colour (200, 200, 200) with the given life, alone in the list.
static TrailParticle *OneParticle(uint32_t lifetime, uint32_t fadeStart, int fadeHead) {
    gTrail.trailLength = static_cast<int32_t>(lifetime);
    gFadeStartAge = fadeStart;
    gTrail.alwaysFadeHead = fadeHead;
    gColourR = gColourG = gColourB = 200;
    AddTrailParticle();
    return gTrailParticles;
}

TEST_F(Particles, EmissionFliesStraightBackFromTheHeadAtAFifthOfATenthOfItsSpeed) {
    gHeadX = 100.0;
    gHeadY = 200.0;
    gHeadVX = 3.0;
    gHeadVY = 4.0; // speed 5: particle speed 0.25
    gColourR = 10;
    gColourG = 20;
    gColourB = 30;
    gFadeStartAge = 40;
    gTrail.trailLength = 90;
    AddTrailParticle();
    const TrailParticle *p = gTrailParticles;
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->x, 100.0);
    EXPECT_EQ(p->y, 200.0);
    EXPECT_NEAR(p->vx, -0.15, 1e-10); // the engine's pi is short by about 1e-11
    EXPECT_NEAR(p->vy, -0.2, 1e-10);
    EXPECT_EQ(p->age, 0u);
    EXPECT_EQ(p->lifetime, 90u);
    EXPECT_EQ(p->fadeStart, 40u);
    EXPECT_EQ(p->colour, 0x0A141Eu);
    EXPECT_EQ(p->fadeHead, 0);

    gTrail.is3D = 1; // 3D particles are slower
    AddTrailParticle();
    EXPECT_NEAR(std::hypot(gTrailParticles->vx, gTrailParticles->vy), 0.1875, 1e-12);
    EXPECT_EQ(gTrailParticles->next, p); // newest first
    EXPECT_EQ(p->prev, gTrailParticles);

    gEffects[EFFECT_FOUNTAIN].active = 1; // the fountain sprays from the centre, faster
    gTrail.is3D = 0;
    AddTrailParticle();
    EXPECT_EQ(gTrailParticles->x, 320.0);
    EXPECT_EQ(gTrailParticles->y, 240.0);
    EXPECT_NEAR(std::hypot(gTrailParticles->vx, gTrailParticles->vy), 0.4, 1e-12);
}

TEST_F(Particles, SpiralTrailsTurnByTheRunningPhaseWrapAndHalveTheSpeed) {
    gHeadVX = -2.0; // straight back is heading 0
    gTrail.spiralTrail = 1;
    gTrail.spiralInc = 4.0;
    AddTrailParticle();
    EXPECT_NEAR(gTrailParticles->vx, 0.05, 1e-12); // heading 0 + phase 0, speed 0.1 halved
    EXPECT_EQ(gSpiralPhase, 4.0);
    AddTrailParticle();
    EXPECT_NEAR(gTrailParticles->vx, std::cos(4.0) * 0.05, 1e-12);
    EXPECT_NEAR(gTrailParticles->vy, std::sin(4.0) * 0.05, 1e-12);
    EXPECT_NEAR(gSpiralPhase, 8.0 - TWO_PI, 1e-12);
}

TEST_F(Particles, WidthDeviatesTheHeadingAndBlackensEdgeParticlesOnlyWhilePainting) {
    gHeadVX = -2.0;
    gTrail.trailWidth = 10;
    gColourR = gColourG = gColourB = 100;
    SeedRand(1); // 41: an edge particle; 18467 odd: deviation -10 degrees
    AddTrailParticle();
    EXPECT_NEAR(HeadingAngle(gTrailParticles->vx, gTrailParticles->vy), TWO_PI - 10 * DEG_TO_RAD, 1e-9);
    EXPECT_EQ(gTrailParticles->r, 100);

    gPainting = 1;
    SeedRand(1);
    AddTrailParticle();
    EXPECT_EQ(gTrailParticles->r, 0);
    EXPECT_EQ(gTrailParticles->colour, 0u);

    gPainting = 0;
    gEffects[EFFECT_FAN].active = 1; // the fan keeps full speed for an edge particle...
    SeedRand(1);
    AddTrailParticle();
    EXPECT_NEAR(std::hypot(gTrailParticles->vx, gTrailParticles->vy), 0.1, 1e-12);
    int inner = 0; // ...and scales an inner one by |d| / trailWidth

    for (uint32_t seed = 1; seed < 100 && !inner; ++seed) {
        SeedRand(seed);
        const int32_t first = Rand();
        const int32_t second = Rand();
        if (first % 1000 > 200) {
            SeedRand(seed);
            AddTrailParticle();
            const double d = 10 * ((second % 2000) - 1000) * 0.001;
            EXPECT_NEAR(std::hypot(gTrailParticles->vx, gTrailParticles->vy), std::fabs(d) / 10 * 0.1, 1e-12);
            inner = 1;
        }
    }
    EXPECT_TRUE(inner);
}

TEST_F(Particles, DefaultLifeHoldsColourThenFadesLinearlyToDeath) {
    TrailParticle *p = OneParticle(10, 6, 0);
    std::vector<uint32_t> colours;
    for (int update = 0; update < 9; ++update) {
        UpdateTrailParticles();
        ASSERT_EQ(gTrailParticles, p);
        colours.push_back(p->colour);
    }
    // ages 0..6 at full colour; 7, 8, 9 fade by (10 - age) / 4
    const std::vector<uint32_t> expected = {Grey(200), Grey(200), Grey(200), Grey(200), Grey(200),
                                            Grey(200), Grey(200), Grey(150), Grey(100)};
    EXPECT_EQ(colours, expected);
    UpdateTrailParticles(); // age reaches the lifetime
    EXPECT_EQ(gTrailParticles, nullptr);
}

TEST_F(Particles, FadeHeadStartsBlackAndBrightensUntilHalfTheFadeStart) {
    TrailParticle *p = OneParticle(20, 8, 1);
    EXPECT_EQ(p->colour, 0u);
    std::vector<uint32_t> colours;
    for (int update = 0; update < 6; ++update) {
        UpdateTrailParticles();
        colours.push_back(p->colour);
    }
    // factor age / 4 at ages 0..3, then the last fade-in colour stays
    const std::vector<uint32_t> expected = {Grey(0), Grey(50), Grey(100), Grey(150), Grey(150), Grey(150)};
    EXPECT_EQ(colours, expected);

    RemoveAllTrailParticles();
    p = OneParticle(10, 0, 1); // no fade-in at all: black until the fade-out starts at its second update
    UpdateTrailParticles();
    EXPECT_EQ(p->colour, 0u);
    UpdateTrailParticles();
    EXPECT_EQ(p->colour, Grey(180)); // 200 * 9 / 10
}

TEST_F(Particles, SparklesKeepTheColourAndEndAtTheMiddleOfTheFade) {
    gTrail.sparkle = 1;
    gTrail.sparkliness = 1; // every roll wins
    TrailParticle *p = OneParticle(10, 6, 0);
    for (int update = 0; update < 8; ++update) { // ages 0..7: before the middle of the fade (8)
        UpdateTrailParticles();
        EXPECT_EQ(p->sparkling, 1) << "age " << p->age - 1;
        EXPECT_EQ(p->colour, Grey(200)); // no fading while the roll wins
    }
    UpdateTrailParticles(); // age 8 wins the roll but no longer sparkles; the colour still holds
    EXPECT_EQ(p->sparkling, 0);
    EXPECT_EQ(p->colour, Grey(200));

    RemoveAllTrailParticles();
    p = OneParticle(20, 8, 1); // a particle fading in is never rolled for
    UpdateTrailParticles();
    UpdateTrailParticles();
    EXPECT_EQ(p->sparkling, 0);
    EXPECT_EQ(p->colour, Grey(50));

    RemoveAllTrailParticles();
    gTrail.sparkliness = 32768; // rand % 32768 is 0 only for a draw of 0
    p = OneParticle(10, 6, 0);
    SeedRand(1);
    UpdateTrailParticles();
    EXPECT_EQ(p->sparkling, 0);
    EXPECT_EQ(Rand(), 18467); // exactly one roll per particle update
}

TEST_F(Particles, ThinningKeepsEveryNthParticleFromTheFront) {
    for (int k = 0; k < 10; ++k) {
        gHeadX = k; // the oldest at x 0, the newest at x 9
        AddTrailParticle();
    }
    gThinDivisor = 3;
    UpdateTrailParticles();
    std::vector<double> kept;
    for (TrailParticle *p = gTrailParticles; p; p = p->next)
        kept.push_back(p->x - p->vx);
    EXPECT_EQ(kept, (std::vector<double>{9, 6, 3, 0}));
    EXPECT_EQ(gThinDivisor, 0u);
}

TEST_F(Particles, ParticlesMoveOncePerUpdateAndAreDampedInQuicksandAndWhilePainting) {
    gHeadVX = -20.0; // particle velocity (1, 0)
    AddTrailParticle();
    TrailParticle *p = gTrailParticles;
    const double x0 = p->x;
    UpdateTrailParticles();
    EXPECT_NEAR(p->x, x0 + 1.0, 1e-12);
    EXPECT_NEAR(p->vx, 1.0, 1e-12);
    gPainting = 1;
    UpdateTrailParticles();
    EXPECT_NEAR(p->x, x0 + 2.0, 1e-12);
    EXPECT_NEAR(p->vx, 0.9900990099009901, 1e-12);
    gEffects[EFFECT_QUICKSAND].active = 1; // quicksand wins over painting
    UpdateTrailParticles();
    EXPECT_NEAR(p->vx, 0.9900990099009901 * 0.970873786407767, 1e-12);
}

TEST_F(Particles, RemovingUnlinksFromAnyPlace) {
    for (int k = 0; k < 3; ++k)
        AddTrailParticle();
    TrailParticle *newest = gTrailParticles;
    TrailParticle *middle = newest->next;
    TrailParticle *oldest = middle->next;
    EXPECT_EQ(RemoveTrailParticle(middle), oldest);
    EXPECT_EQ(newest->next, oldest);
    EXPECT_EQ(oldest->prev, newest);
    EXPECT_EQ(RemoveTrailParticle(newest), oldest);
    EXPECT_EQ(gTrailParticles, oldest);
    EXPECT_EQ(oldest->prev, nullptr);
    EXPECT_EQ(RemoveTrailParticle(oldest), nullptr);
    EXPECT_EQ(gTrailParticles, nullptr);
}

TEST_F(Particles, HeadingAngleCoversTheFourQuadrantsAndTheAxes) {
    EXPECT_NEAR(HeadingAngle(1, 1), 0.7853981633974483, 1e-12);
    EXPECT_NEAR(HeadingAngle(-1, 1), 3 * 0.7853981633974483, 1e-10);
    EXPECT_NEAR(HeadingAngle(-1, -1), 5 * 0.7853981633974483, 1e-10);
    EXPECT_NEAR(HeadingAngle(1, -1), 7 * 0.7853981633974483, 1e-10);
    EXPECT_EQ(HeadingAngle(1, 0), 0.0);
    EXPECT_EQ(HeadingAngle(-1, 0), 3.14159265358);
    EXPECT_EQ(HeadingAngle(0, 2), 1.57079632679);
    EXPECT_EQ(HeadingAngle(0, -2), 4.71238898037);
    EXPECT_EQ(HeadingAngle(0, 0), 4.71238898037); // a head at rest
}

TEST_F(Particles, RotationTableSpacesTheTrailsEvenly) {
    gTrail.numberOfTrails = 1;
    SetupRotAngles();
    ASSERT_EQ(gRotAngleCount, 1u);
    EXPECT_EQ(gRotAngle[0].angle, 0.0f);
    EXPECT_EQ(gRotAngle[0].m[0], 1.0f);
    EXPECT_EQ(gRotAngle[0].m[1], 0.0f);
    EXPECT_EQ(gRotAngle[0].m[3], 1.0f);

    gTrail.numberOfTrails = 4;
    SetupRotAngles();
    ASSERT_EQ(gRotAngleCount, 4u);
    for (uint32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(gRotAngle[k].angle, static_cast<float>(k * 6.28318530716L / 4));
        EXPECT_NEAR(gRotAngle[k].m[0], std::cos(gRotAngle[k].angle), 1e-6);
        EXPECT_NEAR(gRotAngle[k].m[1], std::sin(gRotAngle[k].angle), 1e-6);
        EXPECT_EQ(gRotAngle[k].m[2], -gRotAngle[k].m[1]);
        EXPECT_EQ(gRotAngle[k].m[3], gRotAngle[k].m[0]);
    }
    EXPECT_NEAR(gRotAngle[1].m[1], 1.0f, 1e-6); // a quarter turn
    EXPECT_NEAR(gRotAngle[2].m[0], -1.0f, 1e-6);
}

TEST_F(Particles, FailedAllocationsAreLoggedAndCostOnlyWhatFailed) {
    gTrail.spiralTrail = 1;
    gTrail.spiralInc = 0.5;
    AddTrailParticle();
    SetAllocationFaults(0, 1);
    AddTrailParticle();
    EXPECT_EQ(CountParticles(), 1);
    EXPECT_EQ(gSpiralPhase, 0.5); // nothing of the failed emission happened
    EXPECT_NE(LogContents().find("> AddTrailParticle: Allocating NewParticle failed.\n"), std::string::npos);
    AddTrailParticle();
    EXPECT_EQ(CountParticles(), 2);

    gTrail.numberOfTrails = 3;
    SetupRotAngles();
    SetAllocationFaults(0, 1);
    SetupRotAngles();
    EXPECT_EQ(gRotAngle, nullptr);
    EXPECT_EQ(gRotAngleCount, 0u);
    EXPECT_NE(LogContents().find("> SetupRotAngles: Allocating memory for gRotAngle failed.\n"),
              std::string::npos);
}
