// The frame step: pacing of physics and frames on the scripted clock, the message check, the effect hooks of
// the loop, an allocation failure inside a frame, and the wrap of the tick count.
#include "engine_fixture.h"

using FrameStep = EngineTest;

// Physics only: no attractors, the head at rest at the centre, one particle per step and no deaths, so the
// particle count is the number of physics steps.
static void CountingSteps() {
    QuietHeadAtCentre();
    gTrail.trailDensity = 1;
    gTrail.trailLength = 100000;
}

// Every tick reading of a paced call is one of the prologue's three, one per step, one per wait, or one of
// the three of a frame drawn (DrawTrails at its start and at its end, and the frame step after it).
static uint32_t FramesDrawnIn(uint32_t readings, uint32_t steps) {
    return (readings - 3 - steps - ScriptedWaitCalls()) / 3;
}

TEST_F(FrameStep, PacedSecondHoldsExactlyTheRateAndFramesFollowTheRefreshRate) {
    CountingSteps();
    gPhysicsRate = 20000;
    const uint32_t start = ScriptedTime();
    UpdateTrails(nullptr);
    EXPECT_EQ(ScriptedTime(), start + 1000); // the whole budget, waiting when ahead, never spinning
    EXPECT_EQ(ScriptedWaitedMs(), 1000u);
    EXPECT_EQ(CountParticles(), 20000);
    TrailParticle *oldest = gTrailParticles;
    while (oldest->next)
        oldest = oldest->next;
    EXPECT_EQ(oldest->age, 200u); // rate / 100 particle updates
    EXPECT_NEAR(FramesDrawnIn(ScriptedTickReadings(), 20000), 60, 1);

    for (uint32_t hz : {0u, 144u}) { // 60 Hz where the display does not tell
        ResetEngineForTests();
        InstallScriptedMessages(hz);
        gDisplay.refreshRate = hz; // as the display's set-up reads it
        CountingSteps();
        gTrail.trailDensity = 1000000;
        gPhysicsRate = 10000;
        const uint32_t before = ScriptedTickReadings();
        UpdateTrails(nullptr);
        EXPECT_NEAR(FramesDrawnIn(ScriptedTickReadings() - before, 10000), hz ? hz : 60, 1) << hz;
    }
}

TEST_F(FrameStep, ALongStallOwesNoMoreThanAQuarterSecondOfSteps) {
    CountingSteps();
    gPhysicsRate = 50000;
    gTrail.trailDensity = 1000000; // count only the steps after the stall
    UpdateTrails(nullptr);
    RemoveAllTrailParticles();
    gTrail.trailDensity = 1;
    AdvanceScriptedTime(10000); // the saver was paused or the machine stalled
    ScriptNonTimerMessageAt(ScriptedTime() + 1);
    UpdateTrails(nullptr);
    EXPECT_EQ(CountParticles(), 12500); // 250 ms of steps, then input ends the call at the next wait
}

TEST_F(FrameStep, InputEndsTheStepBeforeTheNextPhysics) {
    CountingSteps();
    gHeadVX = 5.0;
    ScriptNonTimerMessageAt(ScriptedTime());
    UpdateTrails(nullptr);
    EXPECT_EQ(gHeadX, 320.0);
    EXPECT_EQ(CountParticles(), 0);
    EXPECT_EQ(gMorphClock, 2u); // the call's own tick and the first step's, then the check

    ClearScriptedMessages();
    gPhysicsRate = 1000;
    const uint32_t start = ScriptedTime();
    ScriptNonTimerMessageAt(start + 100);
    UpdateTrails(nullptr);
    EXPECT_EQ(ScriptedTime(), start + 100); // input arriving during a wait is handled at once
    EXPECT_EQ(CountParticles(), 100);
}

TEST_F(FrameStep, JumpsAndColourCyclingFollowTheirTimesUnlessAnEffectHoldsThem) {
    CountingSteps();
    gTrail.jumpSpeed = 2;
    gNextJumpTime = gNextColourTime = ScriptedTime() - 1;
    gColourR = 100;
    gColourStepR = 1;
    RunOnePhysicsStep();
    EXPECT_EQ(gNextJumpTime, ScriptedTime() - 1 + 2000);
    EXPECT_EQ(gNextColourTime, ScriptedTime() - 1 + 50);
    EXPECT_EQ(gColourR, 101);
    EXPECT_NE(gHeadX, 320.0); // jumped

    const uint32_t jumpTime = gNextJumpTime;
    gEffects[EFFECT_CENTRE_PULL].active = 1;
    gEffects[EFFECT_COLOUR_RAMP].active = 1;
    AdvanceScriptedTime(3000);
    RunOnePhysicsStep();
    EXPECT_EQ(gNextJumpTime, jumpTime);
    EXPECT_EQ(gColourR, 101);
}

TEST_F(FrameStep, ReversalNegatesTheVelocityOnTheFirstStepOfEveryCall) {
    CountingSteps();
    gHeadVX = 5.0;
    gEffects[EFFECT_REVERSAL].active = 1;
    gReversalPeriod = 2000;
    RunOnePhysicsStep();
    EXPECT_EQ(gHeadVX, -5.0); // centred horizontally: the walls add nothing
    EXPECT_DOUBLE_EQ(gHeadX, 320.0 - 0.005);
    RunOnePhysicsStep();
    EXPECT_NEAR(gHeadVX, 5.0, 1e-6);
}

TEST_F(FrameStep, AFailedEmissionIsLoggedAndTheFrameGoesOn) {
    CountingSteps();
    gPhysicsRate = 1000;
    ScriptNonTimerMessageAt(ScriptedTime() + 10);
    SetAllocationFaults(0, 1); // the first emission finds no memory
    UpdateTrails(nullptr);
    EXPECT_EQ(CountParticles(), 9);
    EXPECT_NE(LogContents().find("AddTrailParticle: Allocating NewParticle failed.\n"), std::string::npos);
}

TEST_F(FrameStep, KeepsItsRhythmAcrossTheWrapOfTheTickCount) {
    SetScriptedTime(0xFFFFFFFFu - 499); // half a second before the wrap
    CountingSteps();
    gTrail.jumpSpeed = 1;
    gNextColourTime = gNextJumpTime = 0; // not scheduled yet: due at once
    gPhysicsRate = 5000;
    UpdateTrails(nullptr);
    UpdateTrails(nullptr);
    const uint32_t now = ScriptedTime();
    EXPECT_EQ(now, 1500u);
    EXPECT_EQ(CountParticles(), 10000); // no step lost or repeated at the wrap
    // colour cycling, jumps and frames kept firing after the wrap
    EXPECT_GT(static_cast<int32_t>(gNextColourTime - now), 0);
    EXPECT_LE(static_cast<int32_t>(gNextColourTime - now), 50);
    EXPECT_GT(static_cast<int32_t>(gNextJumpTime - now), 0);
    EXPECT_LE(static_cast<int32_t>(gNextJumpTime - now), 1000);
    EXPECT_LE(static_cast<int32_t>(now - gNextDrawTime), 17);

    SetScriptedTime(0x90000000u); // an unscheduled time is due at any uptime, not only in the first half
    gNextColourTime = 0;
    const int32_t red = gColourR;
    RunOnePhysicsStep();
    EXPECT_NE(gColourR, red);
}
