// The frame step: pacing of physics and drawing on the scripted clock, the message check, the effect hooks
// of the loop, allocation failures inside a frame, and the wrap of the tick count.
#include "engine_fixture.h"

using FrameStep = EngineTest;

// A run that only steps physics: no attractors, head at rest at the centre, one particle per step and no
// deaths for 100 particle updates, so the particle count is the number of physics steps.
static void CountingSteps() {
    gTrail.trailKinkiness = 0;
    gTrail.trailDensity = 1;
    gTrail.trailLength = 100000;
    gNextColourTime = gNextJumpTime = ScriptedTime() + 3600000;
    gTimeStep = 0.001;
    gHalfStepSq = 5e-7;
    gHeadX = 320.0;
    gHeadY = 240.0;
}

TEST_F(FrameStep, PacedSecondHoldsExactlyTheRateAndAParticleUpdateEveryHundredSteps) {
    CountingSteps();
    gPhysicsRate = 20000;
    const uint32_t start = ScriptedTime();
    const uint32_t readingsBefore = ScriptedTickReadings();
    UpdateTrails(nullptr);
    EXPECT_EQ(ScriptedTime(), start + 1000); // the call used its whole budget, waiting, never spinning
    EXPECT_EQ(CountParticles(), 20000);
    TrailParticle *oldest = gTrailParticles;
    while (oldest->next)
        oldest = oldest->next;
    EXPECT_EQ(oldest->age, 200u); // rate / 100 particle updates
    EXPECT_EQ(ScriptedWaitedMs(), 1000u);

    // every tick reading is the prologue's three, one per step, one per wait, and one per frame drawn
    const uint32_t readings = ScriptedTickReadings() - readingsBefore;
    const uint32_t draws = readings - 3 - 20000 - ScriptedWaitCalls();
    EXPECT_NEAR(draws, 60, 1); // no more frames than the display's 60 Hz
}

TEST_F(FrameStep, FramesFollowTheDisplaysRefreshRateWithSixtyWhereItIsUnknown) {
    for (uint32_t hz : {0u, 144u}) {
        ResetEngineForTests();
        InstallScriptedMessages(hz);
        CountingSteps();
        gTrail.trailDensity = 1000000; // a frame step of physics only
        gTrail.numberOfTrails = 1;
        gPhysicsRate = 10000;
        const uint32_t before = ScriptedTickReadings();
        UpdateTrails(nullptr);
        const uint32_t draws = ScriptedTickReadings() - before - 3 - 10000 - ScriptedWaitCalls();
        EXPECT_NEAR(draws, hz ? hz : 60, 1) << hz << " Hz";
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

TEST_F(FrameStep, UnpacedRunsUntilTheBudgetWithoutWaiting) {
    CountingSteps();
    gTrail.trailLength = 1000;
    SetScriptedAutoAdvanceUs(100); // every reading of the clock costs 0.1 ms
    const uint32_t start = ScriptedTime();
    UpdateTrails(nullptr);
    EXPECT_EQ(ScriptedWaitCalls(), 0u);
    EXPECT_GE(ScriptedTime() - start, 1000u);
    EXPECT_LE(ScriptedTime() - start, 1001u);
    EXPECT_GT(CountParticles(), 9000);
}

TEST_F(FrameStep, InputWaitingEndsTheStepBeforeAnyPhysics) {
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

TEST_F(FrameStep, JumpsAndColourCyclingFollowTheirTimesAndEffectsHoldThem) {
    CountingSteps();
    gTrail.jumpSpeed = 2;
    gTrail.colourSpeed = 50;
    gCurrentPreset = 0;
    gNextJumpTime = ScriptedTime() - 1;
    gNextColourTime = ScriptedTime() - 1;
    gColourR = gColourG = gColourB = 100;
    gColourStepR = gColourStepG = gColourStepB = 1;
    RunOnePhysicsStep(); // ChoosePaintMode on a missing pattern array does nothing
    EXPECT_EQ(gNextJumpTime, ScriptedTime() - 1 + 2000);
    EXPECT_EQ(gNextColourTime, ScriptedTime() - 1 + 50);
    EXPECT_EQ(gColourR, 101);
    EXPECT_NE(gHeadX, 320.0); // jumped

    const uint32_t jumpTime = gNextJumpTime;
    const uint32_t colourTime = gNextColourTime;
    gEffects[EFFECT_CENTRE_PULL].active = 1;
    gEffects[EFFECT_COLOUR_RAMP].active = 1;
    AdvanceScriptedTime(3000);
    RunOnePhysicsStep();
    EXPECT_EQ(gNextJumpTime, jumpTime);
    EXPECT_EQ(gNextColourTime, colourTime);
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
    EXPECT_NEAR(gHeadVX, 5.0, 1e-6); // the walls add a trace off the centre
    gEffects[EFFECT_REVERSAL].active = 0;
}

TEST_F(FrameStep, AFailedParticleAllocationInsideAFrameIsLoggedAndTheFrameGoesOn) {
    CountingSteps();
    gPhysicsRate = 1000;
    ScriptNonTimerMessageAt(ScriptedTime() + 10);
    SetAllocationFaults(3, 1); // the fourth emission fails
    UpdateTrails(nullptr);
    EXPECT_EQ(CountParticles(), 9);
    EXPECT_NE(LogContents().find("AddTrailParticle: Allocating NewParticle failed.\n"), std::string::npos);
}

TEST_F(FrameStep, KeepsItsRhythmAcrossTheWrapOfTheTickCount) {
    SetScriptedTime(0xFFFFFFFFu - 499); // half a second before the wrap
    CountingSteps();
    gTrail.colourSpeed = 50;
    gTrail.jumpSpeed = 1;
    gNextColourTime = ScriptedTime() + 50;
    gNextJumpTime = ScriptedTime() + 1000;
    gPhysicsRate = 5000;
    UpdateTrails(nullptr);
    UpdateTrails(nullptr);
    const uint32_t now = ScriptedTime();
    EXPECT_EQ(now, 1500u);
    EXPECT_EQ(CountParticles(), 10000); // no step lost or repeated at the wrap
    // colour, jump and drawing kept firing after the wrap
    EXPECT_GT(static_cast<int32_t>(gNextColourTime - now), 0);
    EXPECT_LE(static_cast<int32_t>(gNextColourTime - now), 50);
    EXPECT_GT(static_cast<int32_t>(gNextJumpTime - now), 0);
    EXPECT_LE(static_cast<int32_t>(gNextJumpTime - now), 1000);
    EXPECT_LE(static_cast<int32_t>(now - gNextDrawTime), 17);
}

TEST_F(FrameStep, UnscheduledTimesAreDueAtOnceAtAnyUptime) {
    SetScriptedTime(0x90000000u); // past half the range: 0 reads as "in the future" to a signed test alone
    CountingSteps();
    gNextJumpTime = 0;
    gNextColourTime = 0;
    gColourR = gColourG = gColourB = 100;
    gColourStepR = gColourStepG = gColourStepB = 1;
    RunOnePhysicsStep();
    EXPECT_EQ(gColourR, 101);
    EXPECT_NE(gNextJumpTime, 0u);
}
