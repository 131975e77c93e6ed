// The generator, the head's physics, reset, attractors, jumps and colour cycling, each against a small model
// of its rule that draws from its own copy of the generator.
#include <cmath>
#include <vector>

#include "engine_fixture.h"

using HeadPhysics = EngineTest;

TEST(RandomGenerator, FollowsTheCongruentialSequenceFromAnySeed) {
    SeedRand(1);
    EXPECT_EQ(Rand(), 41); // the known start anchors the model itself
    EXPECT_EQ(Rand(), 18467);
    for (uint32_t seed : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu, 1765033625u >> 1}) {
        SeedRand(seed);
        Lcg model{seed};
        for (int i = 0; i < 2000; ++i)
            ASSERT_EQ(Rand(), model()) << "seed " << seed << " draw " << i;
        EXPECT_EQ(gRandState, model.state);
    }
}

// One physics step of the head by the rule: inverse-square attractors outside their minimum distance, walls
// 50 pixels beyond each edge, the position moved by the old velocity.
static void ModelStep(double *x, double *y, double *vx, double *vy, int kinks) {
    double ax = 0.0, ay = 0.0;
    for (int k = 0; k < kinks; ++k) {
        const double dx = gAttractors[k].x - *x, dy = gAttractors[k].y - *y;
        const double r = std::hypot(dx, dy);
        if (r < gAttractorMinDist[k]) continue;
        ax += gGravity * gAttractors[k].strength / (r * r * r) * dx;
        ay += gGravity * gAttractors[k].strength / (r * r * r) * dy;
    }
    const double w = gDisplay.width, h = gDisplay.height;
    ax += gWallForce / (*x + 50) - gWallForce / (w + 50 - *x);
    ay += gWallForce / (*y + 50) - gWallForce / (h + 50 - *y);
    *x += 0.001 * *vx + 5e-7 * ax;
    *y += 0.001 * *vy + 5e-7 * ay;
    *vx += 0.001 * ax;
    *vy += 0.001 * ay;
}

TEST_F(HeadPhysics, StepsFollowTheAttractorsAndWallsAtEveryWidth) {
    for (uint32_t width : {640u, 800u}) {
        SCOPED_TRACE(width);
        UseDisplay(width, width * 3 / 4);
        QuietHeadAtCentre();
        gTrail.trailKinkiness = 0;
        for (int i = 0; i < 2000; ++i) // at rest at the centre the walls cancel
            MoveTrailHead();
        EXPECT_EQ(gHeadX, width / 2);
        EXPECT_EQ(gHeadY, width * 3 / 8);
        gGravity = 1.25;
        gWallForce = 140.0;
        gTrail.trailKinkiness = 3;
        gAttractors[0] = {2300.0, 400, 300};  // pulls
        gAttractors[1] = {-2100.0, 100, 200}; // pushes
        gAttractors[2] = {2000.0, 150, 101};  // the head passes inside its minimum distance
        for (int k = 0; k < 3; ++k)
            gAttractorMinDist[k] = 30.0;
        gHeadX = 150.0;
        gHeadY = 120.0;
        gHeadVX = 40.0;
        gHeadVY = -30.0;
        double x = gHeadX, y = gHeadY, vx = gHeadVX, vy = gHeadVY;
        for (int i = 0; i < 3000; ++i) {
            MoveTrailHead();
            ModelStep(&x, &y, &vx, &vy, 3);
        }
        EXPECT_NEAR(gHeadX, x, 1e-9);
        EXPECT_NEAR(gHeadY, y, 1e-9);
        EXPECT_NEAR(gHeadVX, vx, 1e-9);
        EXPECT_NEAR(gHeadVY, vy, 1e-9);
    }
}

TEST_F(HeadPhysics, ResetCentresTheHeadWithGravityPerWidthAndAFreshColour) {
    const struct {
        uint32_t width, height;
        double gravity, wallForce;
    } cases[] = {{801, 601, 801 * 0.0015625, 70.0},
                 {1024, 768, 1.6, 70.0},
                 {640, 480, 1.5, 140.0},
                 {640, 480, 1.5, 140.0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.width);
        UseDisplay(c.width, c.height);
        gTrail.colourSpeed = 40;
        gTrail.jumpSpeed = 7;
        gHeadVX = gHeadVY = 3.0;
        gNextDrawTime = 5;
        AddTrailParticle();
        SeedRand(c.width);
        Lcg model{c.width};
        ResetTrailHead(); // no attractors: the colours are the first draws
        EXPECT_EQ(gHeadX, c.width / 2);
        EXPECT_EQ(gHeadY, c.height / 2);
        EXPECT_EQ(gHeadVX + gHeadVY, 0.0);
        EXPECT_EQ(gTrailParticles, nullptr);
        EXPECT_EQ(gTimeStep, 0.001);
        EXPECT_EQ(gHalfStepSq, 5e-7);
        EXPECT_DOUBLE_EQ(gGravity, c.gravity);
        EXPECT_EQ(gWallForce, c.wallForce); // at 640 it never compounds from reset to reset
        const int32_t colours[] = {gColourR, gColourG, gColourB, gColourStepR, gColourStepG, gColourStepB};
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(colours[k], k < 3 ? model() % 256 : model() % 3 + 1) << k;
        EXPECT_EQ(gNextDrawTime, 0u);
        EXPECT_EQ(gNextColourTime, ScriptedTime() + 40);
        EXPECT_EQ(gNextJumpTime, ScriptedTime() + 7000);
    }
    gEffects[EFFECT_CENTRE_PULL].active = 1; // Centre Pull's strong walls last until its own end
    gWallForce = 3500.0;
    ResetTrailHead();
    EXPECT_EQ(gWallForce, 3500.0);
}

TEST_F(HeadPhysics, AttractorsAndJumpsTakeTheirDrawsInOrder) {
    gTrail.trailKinkiness = 30;
    SeedRand(3);
    Lcg model{3};
    SetupAttractors();
    int repellers = 0;
    for (int k = 0; k < 30; ++k) {
        SCOPED_TRACE(k);
        double strength = 2000 + model() % 500;
        if (model() % 10 == 0) strength = -strength;
        repellers += strength < 0;
        EXPECT_EQ(gAttractors[k].strength, strength);
        EXPECT_EQ(gAttractors[k].x, 20u + static_cast<uint32_t>(model()) % 600);
        EXPECT_EQ(gAttractors[k].y, 20u + static_cast<uint32_t>(model()) % 440);
        EXPECT_DOUBLE_EQ(gAttractorMinDist[k], (std::fabs(strength) - 2000) * 0.002 + 1.5);
    }
    EXPECT_GT(repellers, 0);
    EXPECT_EQ(gAttractors[30].strength, 0.0); // only the live ones
    EXPECT_EQ(Rand(), model());

    AddTrailParticle();
    TrailParticle *const trail = gTrailParticles;
    for (bool nearCentre : {false, true, false, true}) {
        SCOPED_TRACE(nearCentre);
        JumpTrailHead(nearCentre);
        const double x = nearCentre ? 270 + model() % 100 : 20 + model() % 600;
        const double y = nearCentre ? 190 + model() % 100 : 20 + model() % 440;
        EXPECT_EQ(gHeadX, x);
        EXPECT_EQ(gHeadY, y);
        for (double v : {gHeadVX, gHeadVY}) {
            const double speed = 3.5 + (model() % 3000) * 0.001;
            EXPECT_DOUBLE_EQ(v, model() % 2 ? -speed : speed);
        }
    }
    EXPECT_EQ(gTrailParticles, trail); // the trail continues from the new place
}

TEST_F(HeadPhysics, ColourChannelsBounceBetweenFiftyAndFullWithFreshSteps) {
    gColourR = 0; // below 50 from a reset: climbs to 50 at the first step
    gColourG = 254;
    gColourB = 100;
    gColourStepR = 2;
    gColourStepG = 3;
    gColourStepB = -4;
    int32_t model[6] = {0, 254, 100, 2, 3, -4};
    SeedRand(5);
    Lcg rng{5};
    int bounces = 0;
    for (int n = 0; n < 600; ++n) {
        CycleColour();
        for (int c = 0; c < 3; ++c) {
            int32_t &v = model[c], &step = model[c + 3];
            v += step;
            if (v < 50) {
                v = 50, step = rng() % 5 + 1, ++bounces;
            } else if (v > 255) {
                v = 255, step = -1 - rng() % 5, ++bounces;
            }
        }
        const int32_t got[6] = {gColourR, gColourG, gColourB, gColourStepR, gColourStepG, gColourStepB};
        ASSERT_EQ(std::vector<int32_t>(got, got + 6), std::vector<int32_t>(model, model + 6)) << n;
    }
    EXPECT_GT(bounces, 10);
}

TEST_F(HeadPhysics, EscapedOrNonFiniteHeadIsResetWithItsTrailCleared) {
    const double out[][2] = {{-51, 240}, {691, 240}, {320, -51}, {320, 531}, {NAN, 240}, {320, INFINITY}};
    for (const auto &at : out) {
        SCOPED_TRACE(at[0] + at[1]);
        QuietHeadAtCentre();
        AddTrailParticle();
        gHeadX = at[0];
        gHeadY = at[1];
        RunOnePhysicsStep();
        EXPECT_EQ(gHeadX, 320.0);
        EXPECT_EQ(gHeadY, 240.0);
        EXPECT_EQ(gTrailParticles, nullptr);
    }
    QuietHeadAtCentre(); // just inside on every side: the head flies on
    for (const auto &at : {std::pair{-49.0, 240.0}, {689.0, 240.0}, {320.0, -49.0}, {320.0, 529.0}}) {
        gHeadX = at.first;
        gHeadY = at.second;
        gHeadVX = gHeadVY = 0.0;
        gWallForce = 0.0;
        RunOnePhysicsStep();
        EXPECT_EQ(gHeadX, at.first);
        EXPECT_EQ(gHeadY, at.second);
    }
}
