// The head's physics, reset, jump and colour cycling against steps computed by hand.
#include <cmath>

#include "engine_fixture.h"

using HeadPhysics = EngineTest;

TEST_F(HeadPhysics, WallsCancelAtTheCentreSoAHeadAtRestStaysThere) {
    for (uint32_t width : {640u, 800u, 1024u}) {
        UseDisplay(width, width * 3 / 4);
        QuietHeadAtCentre();
        gWallForce = 140.0;
        for (int i = 0; i < 1000; ++i)
            MoveTrailHead();
        EXPECT_EQ(gHeadX, width / 2);
        EXPECT_EQ(gHeadY, width * 3 / 8);
        EXPECT_EQ(gHeadVX, 0.0);
        EXPECT_EQ(gHeadVY, 0.0);
    }
}

TEST_F(HeadPhysics, WallNearTheLeftEdgePushesInwardsWithOldVelocityInThePositionUpdate) {
    QuietHeadAtCentre();
    gHeadX = 100.0;
    gHeadVX = 2.0;
    MoveTrailHead();
    const double ax = 70.0 / 150.0 - 70.0 / 590.0; // walls 150 and 590 pixels away
    EXPECT_DOUBLE_EQ(gHeadX, 100.0 + 0.002 + 5e-7 * ax);
    EXPECT_DOUBLE_EQ(gHeadVX, 2.0 + 0.001 * ax);
    EXPECT_EQ(gHeadY, 240.0); // vertically centred: no vertical force
    EXPECT_EQ(gHeadVY, 0.0);
}

TEST_F(HeadPhysics, AttractorPullsByInverseSquareOutsideItsMinimumDistanceOnly) {
    QuietHeadAtCentre();
    gGravity = 1.5;
    gTrail.trailKinkiness = 1;
    gAttractors[0] = {2000.0, 420, 240}; // 100 pixels to the right: f = 1.5 * 2000 / 100^3 = 0.003
    gAttractorMinDist[0] = 1.5;
    MoveTrailHead();
    EXPECT_NEAR(gHeadVX, 0.001 * 0.3, 1e-15);
    EXPECT_NEAR(gHeadX, 320.0 + 5e-7 * 0.3, 1e-12);
    EXPECT_EQ(gHeadVY, 0.0);

    QuietHeadAtCentre();
    gAttractors[0] = {-2000.0, 420, 240}; // a repeller pushes away
    MoveTrailHead();
    EXPECT_NEAR(gHeadVX, -0.001 * 0.3, 1e-15);

    QuietHeadAtCentre();
    gAttractors[0] = {2000.0, 321, 240}; // 1 pixel away, inside the minimum distance
    MoveTrailHead();
    EXPECT_EQ(gHeadX, 320.0);
    EXPECT_EQ(gHeadVX, 0.0);

    QuietHeadAtCentre();
    gTrail.trailKinkiness = 0; // attractors beyond the kinkiness are not live
    gAttractors[0] = {2000.0, 420, 240};
    MoveTrailHead();
    EXPECT_EQ(gHeadVX, 0.0);
}

TEST_F(HeadPhysics, ResetSetsGravityPerWidthAndKeepsTheSmallScreensWallsAtTwiceTheForce) {
    UseDisplay(800, 600);
    ResetTrailHead();
    EXPECT_DOUBLE_EQ(gGravity, 1.25);
    EXPECT_EQ(gWallForce, 70.0);
    UseDisplay(1024, 768);
    ResetTrailHead();
    EXPECT_DOUBLE_EQ(gGravity, 1.6);
    EXPECT_EQ(gWallForce, 70.0);

    UseDisplay(640, 480);
    for (int reset = 0; reset < 5; ++reset) { // escapes never compound the wall force
        ResetTrailHead();
        EXPECT_EQ(gGravity, 1.5);
        EXPECT_EQ(gWallForce, 140.0);
    }
    gEffects[EFFECT_CENTRE_PULL].active = 1; // Centre Pull's strong walls stay until its end
    gWallForce = 3500.0;
    ResetTrailHead();
    EXPECT_EQ(gWallForce, 3500.0);
}

TEST_F(HeadPhysics, ResetPutsTheHeadAtRestAtTheCentreAndDrawsColoursThenSteps) {
    gTrail.colourSpeed = 40;
    gTrail.jumpSpeed = 20;
    gHeadX = 3.0;
    gHeadVX = 9.0;
    gNextDrawTime = 5;
    AddTrailParticle();
    SeedRand(1); // draws 41, 18467, 6334, 26500, 19169, 15724
    ResetTrailHead();
    EXPECT_EQ(gHeadX, 320.0);
    EXPECT_EQ(gHeadY, 240.0);
    EXPECT_EQ(gHeadVX, 0.0);
    EXPECT_EQ(gTrailParticles, nullptr);
    EXPECT_EQ(gColourR, 41);
    EXPECT_EQ(gColourG, 35);
    EXPECT_EQ(gColourB, 190);
    EXPECT_EQ(gColourStepR, 2);
    EXPECT_EQ(gColourStepG, 3);
    EXPECT_EQ(gColourStepB, 2);
    EXPECT_EQ(gNextDrawTime, 0u);
    EXPECT_EQ(gNextColourTime, 100040u);
    EXPECT_EQ(gNextJumpTime, 120000u);
    EXPECT_EQ(gTimeStep, 0.001);
    EXPECT_EQ(gHalfStepSq, 5e-7);
}

TEST_F(HeadPhysics, AttractorsTakeFourDrawsEachInOrder) {
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
    EXPECT_EQ(Rand(), 26962); // exactly eight draws taken

    gTrail.trailKinkiness = 1;
    SeedRand(8); // 64, 28170 (a tenth: repels), 311, 31103
    SetupAttractors();
    EXPECT_EQ(gAttractors[0].strength, -2064.0);
    EXPECT_EQ(gAttractors[0].x, 331u);
    EXPECT_EQ(gAttractors[0].y, 323u);
    EXPECT_DOUBLE_EQ(gAttractorMinDist[0], 1.628);
}

TEST_F(HeadPhysics, JumpTakesPositionThenSpeedAndSignDraws) {
    SeedRand(1); // 41, 18467, 6334, 26500, 19169, 15724
    JumpTrailHead(false);
    EXPECT_EQ(gHeadX, 61.0);
    EXPECT_EQ(gHeadY, 447.0);
    EXPECT_DOUBLE_EQ(gHeadVX, 3.834);
    EXPECT_DOUBLE_EQ(gHeadVY, 4.669);

    SeedRand(2); // 45, 29216, 24198, 17795 (odd: negated), 29484, 19650
    AddTrailParticle();
    const TrailParticle *before = gTrailParticles;
    SeedRand(2);
    JumpTrailHead(true);
    EXPECT_EQ(gHeadX, 315.0);
    EXPECT_EQ(gHeadY, 206.0);
    EXPECT_DOUBLE_EQ(gHeadVX, -3.698);
    EXPECT_DOUBLE_EQ(gHeadVY, 5.984);
    EXPECT_EQ(gTrailParticles, before); // the trail continues from the new place
}

TEST_F(HeadPhysics, ColourChannelsBounceBetween50And255WithFreshSteps) {
    gColourR = 0;   // below 50: climbs to 50 at once
    gColourG = 254; // 254 + 3 is above 255
    gColourB = 100;
    gColourStepR = 1;
    gColourStepG = 3;
    gColourStepB = -2;
    SeedRand(1); // 41 -> R step 41 % 5 + 1 = 2; 18467 -> G step -1 - 2 = -3
    CycleColour();
    EXPECT_EQ(gColourR, 50);
    EXPECT_EQ(gColourStepR, 2);
    EXPECT_EQ(gColourG, 255);
    EXPECT_EQ(gColourStepG, -3);
    EXPECT_EQ(gColourB, 98);
    EXPECT_EQ(gColourStepB, -2);
    EXPECT_EQ(Rand(), 6334);
}

TEST_F(HeadPhysics, AnEscapedHeadIsResetWithItsTrailClearedAndANewColour) {
    ResetTrailHead();
    QuietHeadAtCentre();
    for (int i = 0; i < 3; ++i)
        AddTrailParticle();
    gHeadX = -49.9;
    gHeadVX = -1000.0; // one step carries it past 50 pixels beyond the left edge
    gColourR = gColourG = gColourB = 7;
    SeedRand(1);
    RunOnePhysicsStep();
    EXPECT_EQ(gHeadX, 320.0);
    EXPECT_EQ(gHeadY, 240.0);
    EXPECT_EQ(gHeadVX, 0.0);
    EXPECT_EQ(gTrailParticles, nullptr);
    EXPECT_EQ(gColourR, 41); // the first draws after the seed: nothing else drew on this step
    EXPECT_EQ(gColourG, 35);
    EXPECT_EQ(gColourB, 190);
}

TEST_F(HeadPhysics, AHeadThatIsNotAFiniteNumberCountsAsEscaped) {
    ResetTrailHead();
    QuietHeadAtCentre();
    gHeadY = std::nan("");
    RunOnePhysicsStep();
    EXPECT_EQ(gHeadX, 320.0);
    EXPECT_EQ(gHeadY, 240.0);
    QuietHeadAtCentre();
    gHeadVX = INFINITY;
    RunOnePhysicsStep();
    EXPECT_EQ(gHeadX, 320.0);
    EXPECT_EQ(gHeadVX, 0.0);
}
