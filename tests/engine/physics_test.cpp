// The head's physics, reset, jump and attractors against steps computed by hand.
#include <cmath>

#include "engine_fixture.h"

using HeadPhysics = EngineTest;

TEST_F(HeadPhysics, WallsCancelAtTheCentreAndPushInwardsNearAnEdge) {
    for (uint32_t width : {640u, 800u, 1024u}) {
        UseDisplay(width, width * 3 / 4);
        QuietHeadAtCentre();
        for (int i = 0; i < 1000; ++i)
            MoveTrailHead();
        EXPECT_EQ(gHeadX, width / 2);
        EXPECT_EQ(gHeadY, width * 3 / 8);
        EXPECT_EQ(gHeadVX, 0.0);
    }
    UseDisplay(640, 480);
    QuietHeadAtCentre();
    gHeadX = 100.0;
    gHeadVX = 2.0;
    MoveTrailHead();
    const double ax = 70.0 / 150.0 - 70.0 / 590.0;       // walls 150 and 590 pixels away
    EXPECT_DOUBLE_EQ(gHeadX, 100.0 + 0.002 + 5e-7 * ax); // the old velocity moves the head
    EXPECT_DOUBLE_EQ(gHeadVX, 2.0 + 0.001 * ax);
    EXPECT_EQ(gHeadVY, 0.0);
}

TEST_F(HeadPhysics, AttractorsPullByInverseSquareOutsideTheirMinimumDistanceOnly) {
    gGravity = 1.5;
    gTrail.trailKinkiness = 1;
    gAttractorMinDist[0] = 1.5;
    struct Case {
        Attractor a;
        double vx;
    };
    // 100 pixels to the right: f = 1.5 * 2000 / 100^3 = 0.003, a = 0.3; a repeller pushes; 1 pixel is too
    // close
    for (const Case &c : {Case{{2000.0, 420, 240}, 0.0003}, Case{{-2000.0, 420, 240}, -0.0003},
                          Case{{2000.0, 321, 240}, 0.0}}) {
        QuietHeadAtCentre();
        gAttractors[0] = c.a;
        MoveTrailHead();
        EXPECT_NEAR(gHeadVX, c.vx, 1e-15);
        EXPECT_EQ(gHeadVY, 0.0);
    }
}

TEST_F(HeadPhysics, ResetSetsGravityPerWidthAndTheSmallScreensWallsNeverCompound) {
    UseDisplay(800, 600);
    ResetTrailHead();
    EXPECT_DOUBLE_EQ(gGravity, 1.25);
    EXPECT_EQ(gWallForce, 70.0);
    UseDisplay(1024, 768);
    ResetTrailHead();
    EXPECT_DOUBLE_EQ(gGravity, 1.6);
    UseDisplay(640, 480);
    for (int reset = 0; reset < 3; ++reset) {
        ResetTrailHead();
        EXPECT_EQ(gGravity, 1.5);
        EXPECT_EQ(gWallForce, 140.0);
    }
    gEffects[EFFECT_CENTRE_PULL].active = 1; // Centre Pull's strong walls last until its own end
    gWallForce = 3500.0;
    ResetTrailHead();
    EXPECT_EQ(gWallForce, 3500.0);
}

TEST_F(HeadPhysics, AttractorsAndJumpsTakeTheirDrawsInOrder) {
    gTrail.trailKinkiness = 2;
    SeedRand(1); // 41, 18467, 6334, 26500 | 19169, 15724, 11478, 29358
    SetupAttractors();
    EXPECT_EQ(gAttractors[0].strength, 2041.0);
    EXPECT_EQ(gAttractors[0].x, 354u);
    EXPECT_EQ(gAttractors[0].y, 120u);
    EXPECT_DOUBLE_EQ(gAttractorMinDist[0], 1.582);
    EXPECT_EQ(gAttractors[1].strength, 2169.0);
    EXPECT_EQ(gAttractors[1].x, 98u);
    EXPECT_EQ(gAttractors[1].y, 338u);
    EXPECT_EQ(Rand(), 26962); // exactly eight draws
    gTrail.trailKinkiness = 1;
    SeedRand(8); // 64, 28170 (a tenth: repels), 311, 31103
    SetupAttractors();
    EXPECT_EQ(gAttractors[0].strength, -2064.0);
    EXPECT_DOUBLE_EQ(gAttractorMinDist[0], 1.628);

    SeedRand(1);
    JumpTrailHead(false);
    EXPECT_EQ(gHeadX, 61.0);
    EXPECT_EQ(gHeadY, 447.0);
    EXPECT_DOUBLE_EQ(gHeadVX, 3.834);
    EXPECT_DOUBLE_EQ(gHeadVY, 4.669);
    AddTrailParticle();
    TrailParticle *const trail = gTrailParticles;
    SeedRand(2); // 45, 29216, 24198, 17795 (odd: negated), 29484, 19650
    JumpTrailHead(true);
    EXPECT_EQ(gHeadX, 315.0);
    EXPECT_EQ(gHeadY, 206.0);
    EXPECT_DOUBLE_EQ(gHeadVX, -3.698);
    EXPECT_DOUBLE_EQ(gHeadVY, 5.984);
    EXPECT_EQ(gTrailParticles, trail); // the trail continues from the new place
}

TEST_F(HeadPhysics, EscapedOrNonFiniteHeadIsResetWithItsTrailClearedAndANewColour) {
    gTrail.colourSpeed = 40;
    ResetTrailHead();
    QuietHeadAtCentre();
    for (int i = 0; i < 3; ++i)
        AddTrailParticle();
    gHeadX = -49.9;
    gHeadVX = -1000.0;             // one step carries it past 50 pixels beyond the left edge
    UpdateEffects(ScriptedTime()); // the effects' first schedules and Fixed Heading's first run draw now,
    UpdateEffects(ScriptedTime()); // so the step's own effect bookkeeping draws nothing
    SeedRand(1);                   // nothing else draws on this step: the colours are the first draws
    const uint32_t start = ScriptedTime();
    RunOnePhysicsStep();
    EXPECT_EQ(gHeadX, 320.0);
    EXPECT_EQ(gHeadY, 240.0);
    EXPECT_EQ(gHeadVX, 0.0);
    EXPECT_EQ(gTrailParticles, nullptr);
    EXPECT_EQ(gColourR, 41);
    EXPECT_EQ(gColourG, 35);
    EXPECT_EQ(gColourB, 190);
    EXPECT_EQ(gColourStepR, 2); // 26500 % 3 + 1
    EXPECT_EQ(gColourStepG, 3);
    EXPECT_EQ(gColourStepB, 2);
    EXPECT_EQ(gNextColourTime, start + 40);

    QuietHeadAtCentre();
    gHeadY = std::nan("");
    RunOnePhysicsStep();
    EXPECT_EQ(gHeadY, 240.0);
}
