// The timed and keyed effects: schedules, the rules under which each may run, keys that wait or restart an
// effect, and the start and end actions of Centre Pull, Colour Ramp and Fountain, on a scripted clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/engine_fixture.h"

class Effects : public PatternLibraryTest {
  protected:
    void SetUp() override {
        PatternLibraryTest::SetUp();
        // Flat patterns with a short and a slightly longer trail, for Fountain.
        UserPattern(15, "Short", 100);
        UserPattern(16, "Medium", 150);
        SeedRand(7);
        Apply(0);
    }
    static void UserPattern(int index, const char *name, int32_t length) {
        gPresets[index] = gPresets[0];
        strncpy(gPresets[index].name, name, PRESET_NAME_LEN);
        gPresets[index].trailLength = length;
    }
    static uint32_t Now() { return ScriptedTime(); }
    static void Update() { UpdateEffects(Now()); }
    // Schedules everything, then pushes every timer far away so only keys act.
    static void QuietSchedules() {
        Update();
        Update(); // Fixed Heading's unscheduled first run ends here
        for (Effect &e : gEffects) {
            e.active = 0;
            e.start = Now() + 10000000;
            e.end = e.start + 1000;
        }
    }
    static uint32_t Remaining(EffectId e) { return gEffects[e].end - Now(); }
};

TEST_F(Effects, FirstSchedulesUseTheFirstOffsetsAndArmTheFirstMorph) {
    Update();
    const uint32_t t = Now();
    struct Range {
        EffectId e;
        uint32_t lo, hi;
    };
    const Range ranges[] = {{EFFECT_CENTRE_PULL, 0, 19980},     {EFFECT_FADE_HEAD, 60000, 89970},
                            {EFFECT_REVERSAL, 0, 29970},        {EFFECT_PULSE, 15000, 54960},
                            {EFFECT_COLOUR_RAMP, 10000, 29980}, {EFFECT_QUICKSAND, 60000, 79980},
                            {EFFECT_FAN, 10000, 29980},         {EFFECT_COSINE_SPEED, 10000, 39970},
                            {EFFECT_FOUNTAIN, 10000, 39970},    {EFFECT_SPEED_HEADING, 0, 89910}};
    for (const Range &r : ranges) {
        SCOPED_TRACE(r.e);
        const uint32_t offset = gEffects[r.e].start - t;
        EXPECT_GE(offset, r.lo);
        EXPECT_LE(offset, r.hi);
        EXPECT_TRUE(TickAfter(gEffects[r.e].end, gEffects[r.e].start));
    }
    EXPECT_EQ(gEffects[EFFECT_FIXED_HEADING].start, 0u);
    EXPECT_EQ(gNextMorphTime, t + 20000);

    // Later schedules do not move what is already scheduled.
    const uint32_t pull = gEffects[EFFECT_CENTRE_PULL].start;
    AdvanceScriptedTime(1);
    gEffects[EFFECT_CENTRE_PULL].start = pull + 1000000; // keep it from starting
    Update();
    EXPECT_EQ(gEffects[EFFECT_CENTRE_PULL].start, pull + 1000000);
    EXPECT_EQ(gNextMorphTime, t + 20000);
}

TEST_F(Effects, FixedHeadingRunsUnscheduledOnceThenUsesItsOffsets) {
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_FIXED_HEADING));
    AdvanceScriptedTime(1);
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_FIXED_HEADING));
    uint32_t offset = gEffects[EFFECT_FIXED_HEADING].start - Now();
    EXPECT_GE(offset, 10000u);
    EXPECT_LE(offset, 49960u);
    SetScriptedTime(gEffects[EFFECT_FIXED_HEADING].end);
    Update(); // starts by its timer
    EXPECT_TRUE(EffectActive(EFFECT_FIXED_HEADING));
    Update(); // its end is now
    EXPECT_FALSE(EffectActive(EFFECT_FIXED_HEADING));
    offset = gEffects[EFFECT_FIXED_HEADING].start - Now();
    EXPECT_GE(offset, 6000u);
    EXPECT_LE(offset, 45960u);

    // Unscheduled means due at once, at any uptime, but never under a 3D pattern.
    ResetEffectsForTests();
    SetScriptedTime(0x90000000u);
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_FIXED_HEADING));
    ResetEffectsForTests();
    Apply(13);
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_FIXED_HEADING));
}

TEST_F(Effects, RequestUnderAForbiddingPatternWaitsAndStartsWhenAllowed) {
    Apply(1); // trail width 0: no Fan
    QuietSchedules();
    RequestEffect(EFFECT_FAN);
    for (int i = 0; i < 5; ++i) {
        AdvanceScriptedTime(1000);
        Update();
    }
    EXPECT_FALSE(EffectActive(EFFECT_FAN));
    EXPECT_TRUE(gEffects[EFFECT_FAN].request);
    Apply(0); // width 20
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_FAN));
    EXPECT_FALSE(gEffects[EFFECT_FAN].request);
    EXPECT_GE(Remaining(EFFECT_FAN), 15000u);
    EXPECT_LE(Remaining(EFFECT_FAN), 24990u);
}

TEST_F(Effects, SecondRequestSurvivesThePeriodAndRestartsTheEffect) {
    QuietSchedules();
    RequestEffect(EFFECT_CENTRE_PULL);
    Update();
    ASSERT_TRUE(EffectActive(EFFECT_CENTRE_PULL));
    EXPECT_EQ(gAttractors[0].x, 320u);
    EXPECT_EQ(gAttractors[0].y, 240u);
    EXPECT_EQ(std::fabs(gAttractors[0].strength), 2500.0);
    EXPECT_EQ(gWallForce, 70.0 * 50);
    RequestEffect(EFFECT_CENTRE_PULL);
    SetScriptedTime(gEffects[EFFECT_CENTRE_PULL].end);
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_CENTRE_PULL));
    EXPECT_TRUE(gEffects[EFFECT_CENTRE_PULL].request);
    EXPECT_EQ(gWallForce, 140.0);
    const uint32_t offset = gEffects[EFFECT_CENTRE_PULL].start - Now();
    EXPECT_GE(offset, 20000u);
    EXPECT_LE(offset, 39980u);
    AdvanceScriptedTime(1);
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_CENTRE_PULL));
    EXPECT_FALSE(gEffects[EFFECT_CENTRE_PULL].request);
    EXPECT_GE(Remaining(EFFECT_CENTRE_PULL), 10000u);
}

TEST_F(Effects, CentrePullKeepsItsEndBookkeepingUnderJellyfishWormholesAndSeaSnakes) {
    for (int pattern : {4, 5, 9}) {
        SCOPED_TRACE(pattern);
        ResetEffectsForTests();
        Apply(pattern);
        Update();
        RequestEffect(EFFECT_CENTRE_PULL);
        for (int width : {640, 800}) {
            gDisplay.width = static_cast<uint32_t>(width);
            gWallForce = 12345.0;
            gAttractors[0].strength = 1.0;
            SetScriptedTime(gEffects[EFFECT_CENTRE_PULL].end);
            Update();
            EXPECT_FALSE(EffectActive(EFFECT_CENTRE_PULL));
            EXPECT_EQ(gWallForce, width == 640 ? 140.0 : 70.0);
            EXPECT_NE(gAttractors[0].strength, 1.0); // placed anew
            const uint32_t offset = gEffects[EFFECT_CENTRE_PULL].start - Now();
            EXPECT_GE(offset, 20000u);
            EXPECT_LE(offset, 39980u);
            EXPECT_TRUE(gEffects[EFFECT_CENTRE_PULL].request); // waits for an allowing pattern
        }
        gDisplay.width = 640;
    }
}

TEST_F(Effects, ThreeDHalvesReversalCentrePullAndFountainAsPaintingHalvesCentrePull) {
    struct Case {
        int pattern;
        int painting;
        uint32_t pullLo, reversalLo, fountainLo;
    };
    // Pattern 3 is flat and pattern 12 is 3D; both have width 0 and no spiral, so Reversal may run.
    const Case cases[] = {{3, 0, 10000, 10000, 10000}, {12, 0, 5000, 5000, 5000}, {3, 1, 5000, 10000, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pattern * 10 + c.painting);
        ResetEffectsForTests();
        Apply(c.pattern);
        gPainting = c.painting;
        QuietSchedules();
        RequestEffect(EFFECT_CENTRE_PULL);
        RequestEffect(EFFECT_REVERSAL);
        RequestEffect(EFFECT_FOUNTAIN);
        Update();
        EXPECT_GE(Remaining(EFFECT_CENTRE_PULL), c.pullLo);
        EXPECT_LE(Remaining(EFFECT_CENTRE_PULL), c.pullLo + 4995);
        EXPECT_GE(Remaining(EFFECT_REVERSAL), c.reversalLo);
        EXPECT_LE(Remaining(EFFECT_REVERSAL), c.reversalLo + 4995);
        EXPECT_GE(gReversalPeriod, 2000u);
        EXPECT_LE(gReversalPeriod, 4999u);
        if (c.fountainLo) {
            EXPECT_GE(Remaining(EFFECT_FOUNTAIN), c.fountainLo);
            EXPECT_LE(Remaining(EFFECT_FOUNTAIN), c.fountainLo + 4995);
        } else {
            EXPECT_FALSE(EffectActive(EFFECT_FOUNTAIN)); // painting forbids it
        }
    }
}

TEST_F(Effects, FountainRaisesShortTrailsAndRestoresTheCurrentPatternsLength) {
    Apply(15);
    QuietSchedules();
    RequestEffect(EFFECT_FOUNTAIN);
    Update();
    EXPECT_EQ(gTrail.trailLength, 300);
    gHeadX = gHeadY = 7.0;
    SetScriptedTime(gEffects[EFFECT_FOUNTAIN].end);
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_FOUNTAIN));
    EXPECT_EQ(gTrail.trailLength, 100);
    EXPECT_EQ(gHeadX, 320.0);
    EXPECT_EQ(gHeadY, 240.0);

    gPresets[15].trailLength = 1000;
    Apply(15);
    RequestEffect(EFFECT_FOUNTAIN);
    Update();
    EXPECT_EQ(gTrail.trailLength, 1000);

    // A morph in between: the end restores the new pattern's length.
    gPresets[15].trailLength = 100;
    Apply(15);
    SetScriptedTime(gEffects[EFFECT_FOUNTAIN].end);
    Update();
    RequestEffect(EFFECT_FOUNTAIN);
    Update();
    ASSERT_EQ(gTrail.trailLength, 300);
    gMorphDuration = 10;
    RequestMorph(16);
    for (int i = 0; i < 20; ++i) {
        ++gMorphClock;
        MorphLogic(Now());
    }
    ASSERT_EQ(gCurrentPreset, 16);
    EXPECT_TRUE(EffectActive(EFFECT_FOUNTAIN));
    gTrail.trailLength = 300;
    SetScriptedTime(gEffects[EFFECT_FOUNTAIN].end);
    Update();
    EXPECT_EQ(gTrail.trailLength, 150);
}

TEST_F(Effects, PaintingDuringFountainFreezesItUntilPaintingStops) {
    QuietSchedules();
    RequestEffect(EFFECT_FOUNTAIN);
    Update();
    const uint32_t end = gEffects[EFFECT_FOUNTAIN].end;
    gPainting = 1;
    SetScriptedTime(end + 5000);
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_FOUNTAIN));
    EXPECT_EQ(gEffects[EFFECT_FOUNTAIN].end, end);
    gPainting = 0;
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_FOUNTAIN));
}

TEST_F(Effects, ColourRampWithDivisorsZeroThreeSixFallsOffAsDescribed) {
    QuietSchedules();
    RequestEffect(EFFECT_COLOUR_RAMP);
    SeedRand(93); // after the duration's draw: divisors (0, 3, 6) and the speed mode
    Update();
    ASSERT_TRUE(EffectActive(EFFECT_COLOUR_RAMP));
    EXPECT_EQ(gColourRampM, 42);
    EXPECT_EQ(gColourRampN, 85);
    EXPECT_EQ(gColourRampSpeedMode, 1);
    struct Level {
        int32_t k, r, g, b;
    };
    const Level levels[] = {{0, 255, 255, 255}, {42, 255, 129, 3},   {43, 249, 126, 0}, {84, 5, 3, 0},
                            {85, 0, 0, 0},      {-7, 255, 255, 255}, {200, 0, 0, 0}};
    for (const Level &l : levels) {
        SCOPED_TRACE(l.k);
        int32_t r, g, b;
        ColourRampColour(l.k, &r, &g, &b);
        EXPECT_EQ(r, l.r);
        EXPECT_EQ(g, l.g);
        EXPECT_EQ(b, l.b);
    }
}

TEST_F(Effects, ColourRampWithEqualLevelsNeverDividesByZero) {
    QuietSchedules();
    RequestEffect(EFFECT_COLOUR_RAMP);
    SeedRand(6); // divisors 2, 0, 2: M and N are both 128
    Update();
    ASSERT_EQ(gColourRampM, 128);
    ASSERT_EQ(gColourRampN, 128);
    for (int32_t k : {0, 128, 129, 1000}) {
        int32_t r, g, b;
        ColourRampColour(k, &r, &g, &b);
        EXPECT_EQ(g, 255);
        EXPECT_EQ(r, b);
    }
}

TEST_F(Effects, QuicksandIsForcedOffBySpiralsAndOnByItsAlwaysFlag) {
    Apply(4); // spiral trails
    Update();
    RequestEffect(EFFECT_QUICKSAND);
    gEffects[EFFECT_QUICKSAND].active = 1;
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_QUICKSAND));
    EXPECT_TRUE(gEffects[EFFECT_QUICKSAND].request);

    ResetEffectsForTests();
    Apply(7); // "Rose Tattoo": always Quicksand, always Fade Head
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_QUICKSAND));
    EXPECT_TRUE(EffectActive(EFFECT_FADE_HEAD));
    EXPECT_EQ(gEffects[EFFECT_QUICKSAND].start, 0u);
    EXPECT_EQ(gEffects[EFFECT_FADE_HEAD].start, 0u);
    SetScriptedTime(Now() + 500000);
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_QUICKSAND));
    EXPECT_TRUE(EffectActive(EFFECT_FADE_HEAD));

    gPresets[7].spiralTrail = 1; // both flags: the spiral wins
    Apply(7);
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_QUICKSAND));
}

TEST_F(Effects, MorphEndStopsForbiddenEffectsWithTheirEndActionsAndReschedules) {
    QuietSchedules();
    RequestEffect(EFFECT_CENTRE_PULL);
    RequestEffect(EFFECT_FOUNTAIN);
    Apply(15);
    Update();
    ASSERT_TRUE(EffectActive(EFFECT_CENTRE_PULL));
    ASSERT_TRUE(EffectActive(EFFECT_FOUNTAIN));
    gWallForce = 9.0;
    gHeadX = 3.0;

    gCurrentPreset = 9; // Centre Pull not allowed; painting forbids Fountain
    ApplyPreset(9);
    gPainting = 1;
    EndOfMorphEffects();
    EXPECT_FALSE(EffectActive(EFFECT_CENTRE_PULL));
    EXPECT_FALSE(EffectActive(EFFECT_FOUNTAIN));
    EXPECT_EQ(gWallForce, 140.0);
    EXPECT_EQ(gHeadX, 320.0);
    EXPECT_EQ(gTrail.trailLength, 135);
    uint32_t offset = gEffects[EFFECT_CENTRE_PULL].start - Now();
    EXPECT_GE(offset, 20000u);
    EXPECT_LE(offset, 39980u);
    offset = gEffects[EFFECT_FOUNTAIN].start - Now();
    EXPECT_GE(offset, 80000u);
    EXPECT_LE(offset, 109970u);
}

TEST_F(Effects, TimesAcrossTheTickWrapAreNotDueEarly) {
    SetScriptedTime(0xFFFFFF00u);
    QuietSchedules();
    gEffects[EFFECT_PULSE].start = 0x00000100u; // past the wrap
    gEffects[EFFECT_PULSE].end = 0x00002000u;
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_PULSE));
    SetScriptedTime(0x00000101u);
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_PULSE));
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_PULSE)); // its end lies ahead
    SetScriptedTime(0x00002000u);
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_PULSE));
}

TEST_F(Effects, AKeyTakesHoldAtTheNextFrameStep) {
    QuietHeadAtCentre();
    gHeadX = gHeadY = 100.0;
    RequestEffect(EFFECT_FOUNTAIN);
    RunOnePhysicsStep();
    EXPECT_TRUE(EffectActive(EFFECT_FOUNTAIN));
    EXPECT_EQ(gTrail.trailLength, 300);
    ASSERT_NE(gTrailParticles, nullptr);
    // Born at the centre, not at the head, then moved once by the step's particle update.
    EXPECT_NEAR(gTrailParticles->x - gTrailParticles->vx, 320.0, 1e-9);
    EXPECT_NEAR(gTrailParticles->y - gTrailParticles->vy, 240.0, 1e-9);
}
