// Particle emission, the particle update (thinning, damping, sparkle, fading, death), the rotation table and
// HeadingAngle.
#include <cmath>
#include <vector>

#include "engine_fixture.h"

using Particles = EngineTest;

static uint32_t Grey(uint32_t v) {
    return (v << 16) | (v << 8) | v;
} // (v, v, v) packed 8-8-8

// A lone particle of base colour (200, 200, 200) with the given life.
static TrailParticle *OneParticle(uint32_t lifetime, uint32_t fadeStart, int fadeHead) {
    RemoveAllTrailParticles();
    gTrail.trailLength = static_cast<int32_t>(lifetime);
    gFadeStartAge = fadeStart;
    gTrail.alwaysFadeHead = fadeHead;
    gColourR = gColourG = gColourB = 200;
    AddTrailParticle();
    return gTrailParticles;
}

// The drawn colour after each of n particle updates.
static std::vector<uint32_t> ColoursOverUpdates(TrailParticle *p, int n) {
    std::vector<uint32_t> colours;
    for (int k = 0; k < n; ++k) {
        UpdateTrailParticles();
        colours.push_back(p->colour);
    }
    return colours;
}

TEST_F(Particles, EmissionFliesStraightBackFromTheHeadWithSpiralAndWidth) {
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
    EXPECT_EQ(p->x, 100.0);
    EXPECT_NEAR(p->vx, -0.15, 1e-10); // the engine's pi is short by about 1e-11
    EXPECT_NEAR(p->vy, -0.2, 1e-10);
    EXPECT_EQ(p->lifetime, 90u);
    EXPECT_EQ(p->fadeStart, 40u);
    EXPECT_EQ(p->colour, 0x0A141Eu);

    gHeadVX = -2.0; // straight back is heading 0, speed 0.1
    gHeadVY = 0.0;
    gTrail.spiralTrail = 1;
    gTrail.spiralInc = 4.0;
    AddTrailParticle();
    AddTrailParticle(); // turned by the phase 4.0, at half speed; the phase wraps past 2 pi
    EXPECT_NEAR(gTrailParticles->vx, std::cos(4.0) * 0.05, 1e-12);
    EXPECT_NEAR(gTrailParticles->vy, std::sin(4.0) * 0.05, 1e-12);
    EXPECT_NEAR(gSpiralPhase, 8.0 - TWO_PI, 1e-12);
    EXPECT_EQ(gTrailParticles->next->next, p); // newest first

    gTrail.spiralTrail = 0;
    gTrail.trailWidth = 10;
    gPainting = 1;
    SeedRand(1); // 41: an edge particle; 18467 odd: -10 degrees; black while painting
    AddTrailParticle();
    EXPECT_NEAR(HeadingAngle(gTrailParticles->vx, gTrailParticles->vy), TWO_PI - 10 * DEG_TO_RAD, 1e-9);
    EXPECT_EQ(gTrailParticles->r, 0);
}

TEST_F(Particles, LifeHoldsTheColourThenFadesLinearlyToDeath) {
    TrailParticle *p = OneParticle(10, 6, 0);
    const uint32_t g = 200;
    EXPECT_EQ(ColoursOverUpdates(p, 9), (std::vector<uint32_t>{Grey(g), Grey(g), Grey(g), Grey(g), Grey(g),
                                                               Grey(g), Grey(g), Grey(150), Grey(100)}));
    UpdateTrailParticles(); // the age reaches the lifetime
    EXPECT_EQ(gTrailParticles, nullptr);

    p = OneParticle(20, 8, 1); // fade-in: black, brightening by age / 4, then the last fade-in colour stays
    EXPECT_EQ(p->colour, 0u);
    EXPECT_EQ(ColoursOverUpdates(p, 6),
              (std::vector<uint32_t>{0, Grey(50), Grey(100), Grey(150), Grey(150), Grey(150)}));

    p = OneParticle(10, 0, 1); // no fade-in at all: black until the fade-out begins at its second update
    EXPECT_EQ(ColoursOverUpdates(p, 2), (std::vector<uint32_t>{0, Grey(180)}));
}

TEST_F(Particles, SparklesKeepTheColourAndEndAtTheMiddleOfTheFade) {
    gTrail.sparkle = 1;
    gTrail.sparkliness = 1; // every roll wins
    TrailParticle *p = OneParticle(10, 6, 0);
    for (int update = 0; update < 8; ++update) { // ages 0..7 are before the middle of the fade (8)
        UpdateTrailParticles();
        EXPECT_EQ(p->sparkling, 1);
    }
    UpdateTrailParticles(); // age 8 wins the roll but no longer sparkles, and is not faded either
    EXPECT_EQ(p->sparkling, 0);
    EXPECT_EQ(p->colour, Grey(200));

    p = OneParticle(20, 8, 1); // a particle fading in goes on fading in
    EXPECT_EQ(ColoursOverUpdates(p, 2), (std::vector<uint32_t>{0, Grey(50)}));
    EXPECT_EQ(p->sparkling, 0);
}

TEST_F(Particles, ThinningKeepsEveryNthFromTheFrontAndDampingFollowsTheMode) {
    for (int k = 0; k < 10; ++k) {
        gHeadX = k; // the oldest at x 0, the newest at x 9
        AddTrailParticle();
    }
    gThinDivisor = 3;
    UpdateTrailParticles();
    std::vector<double> kept;
    for (TrailParticle *p = gTrailParticles; p; p = p->next)
        kept.push_back(p->x);
    EXPECT_EQ(kept, (std::vector<double>{9, 6, 3, 0})); // the head is at rest: particles stand still
    EXPECT_EQ(gThinDivisor, 0u);

    gHeadVX = -20.0; // velocity (1, 0)
    AddTrailParticle();
    TrailParticle *p = gTrailParticles;
    gPainting = 1;
    UpdateTrailParticles();
    EXPECT_NEAR(p->x, 10.0, 1e-12); // moved by the old velocity, then damped
    EXPECT_NEAR(p->vx, 0.9900990099009901, 1e-12);
    gEffects[EFFECT_QUICKSAND].active = 1; // quicksand wins over painting
    UpdateTrailParticles();
    EXPECT_NEAR(p->vx, 0.9900990099009901 * 0.970873786407767, 1e-12);
}

TEST_F(Particles, HeadingAngleCoversTheQuadrantsAndTheRestCases) {
    const double q = 0.7853981633974483;
    EXPECT_NEAR(HeadingAngle(1, 1), q, 1e-10);
    EXPECT_NEAR(HeadingAngle(-1, 1), 3 * q, 1e-10);
    EXPECT_NEAR(HeadingAngle(-1, -1), 5 * q, 1e-10);
    EXPECT_NEAR(HeadingAngle(1, -1), 7 * q, 1e-10);
    EXPECT_EQ(HeadingAngle(1, 0), 0.0);
    EXPECT_EQ(HeadingAngle(-1, 0), 3.14159265358);
    EXPECT_EQ(HeadingAngle(0, 2), 1.57079632679);
    EXPECT_EQ(HeadingAngle(0, 0), 4.71238898037); // a head at rest
}

TEST_F(Particles, RotationTableSpacesTheTrailsEvenly) {
    SetupRotAngles(); // one trail: a single entry at angle 0
    ASSERT_EQ(gRotAngleCount, 1u);
    EXPECT_EQ(gRotAngle[0].angle, 0.0f);
    EXPECT_EQ(gRotAngle[0].m[0], 1.0f);
    EXPECT_EQ(gRotAngle[0].m[1], 0.0f);
    gTrail.numberOfTrails = 4;
    SetupRotAngles();
    ASSERT_EQ(gRotAngleCount, 4u);
    for (uint32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(gRotAngle[k].angle, static_cast<float>(k * 6.28318530716L / 4));
        EXPECT_EQ(gRotAngle[k].m[2], -gRotAngle[k].m[1]);
        EXPECT_EQ(gRotAngle[k].m[3], gRotAngle[k].m[0]);
    }
    EXPECT_NEAR(gRotAngle[1].m[1], 1.0f, 1e-6); // a quarter turn
    EXPECT_NEAR(gRotAngle[2].m[0], -1.0f, 1e-6);
}

TEST_F(Particles, FailedAllocationsAreLoggedAndCostOnlyWhatFailed) {
    gTrail.spiralTrail = 1;
    gTrail.spiralInc = 0.5;
    SetAllocationFaults(0, 1);
    AddTrailParticle();
    EXPECT_EQ(gTrailParticles, nullptr);
    EXPECT_EQ(gSpiralPhase, 0.0); // nothing of the failed emission happened
    EXPECT_NE(LogContents().find("> AddTrailParticle: Allocating NewParticle failed.\n"), std::string::npos);

    SetupRotAngles();
    SetAllocationFaults(0, 1);
    SetupRotAngles();
    EXPECT_EQ(gRotAngle, nullptr);
    EXPECT_EQ(gRotAngleCount, 0u);
    EXPECT_NE(LogContents().find("> SetupRotAngles: Allocating memory for gRotAngle failed.\n"),
              std::string::npos);
}
