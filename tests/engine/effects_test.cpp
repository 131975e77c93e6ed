// The timed and keyed effects: schedules and periods against the timing table with the generator's own
// draws, the rules under which each may run, keys that wait or restart an effect, and the start and end
// actions of Centre Pull, Colour Ramp and Fountain, on a scripted clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/engine_fixture.h"

namespace {

// Per effect, in EffectId order: first and later start offsets, ms per r of the start, the duration (and its
// shorter form under 3D, or painting for Centre Pull), ms per r of the duration.
struct Timing {
    uint32_t first, later, perR, duration, shorter, durationPerR;
};
const Timing kTimes[NUM_EFFECTS] = {
    {0, 20000, 20, 10000, 5000, 5},       {60000, 60000, 30, 20000, 20000, 10},
    {0, 40000, 30, 10000, 5000, 5},       {15000, 100000, 40, 10000, 10000, 10},
    {10000, 60000, 20, 20000, 20000, 10}, {60000, 60000, 20, 15000, 15000, 5},
    {10000, 30000, 20, 15000, 15000, 10}, {10000, 70000, 30, 20000, 20000, 10},
    {10000, 80000, 30, 10000, 5000, 5},   {10000, 6000, 40, 10000, 10000, 5},
    {0, 50000, 90, 20000, 20000, 10}};

class Effects : public PatternLibraryTest {
  protected:
    void SetUp() override {
        PatternLibraryTest::SetUp();
        gPresets[15] = gPresets[0]; // a flat pattern with a short trail, for Fountain
        strncpy(gPresets[15].name, "Short", PRESET_NAME_LEN);
        gPresets[15].trailLength = 100;
        SeedRand(7);
        Apply(0);
    }
    static uint32_t Now() { return ScriptedTime(); }
    static void Update() { UpdateEffects(Now()); }
    // Schedules everything, then pushes every timer far away so only keys act.
    static void QuietSchedules() {
        Update();
        Update(); // Fixed Heading's unscheduled first run ends here
        for (Effect &e : gEffects)
            e = {0, 0, Now() + 10000000, Now() + 10001000};
    }
    // The period the rule draws now, and the Reversal period drawn with it.
    static uint32_t ModelDuration(EffectId e, Lcg &rng, bool shorter) {
        const uint32_t d =
            (shorter ? kTimes[e].shorter : kTimes[e].duration) + rng() % 1000 * kTimes[e].durationPerR;
        if (e == EFFECT_REVERSAL) {
            EXPECT_EQ(gReversalPeriod, 2000u + rng() % 3000);
        }
        return d;
    }
    static void ExpectScheduled(EffectId e, bool first, Lcg &rng, bool shorter) {
        const uint32_t start =
            Now() + (first ? kTimes[e].first : kTimes[e].later) + rng() % 1000 * kTimes[e].perR;
        EXPECT_EQ(gEffects[e].start, start) << e;
        EXPECT_EQ(gEffects[e].end, start + ModelDuration(e, rng, shorter)) << e;
    }
};

TEST_F(Effects, FirstSchedulesFollowTheTimingTableAndArmTheFirstMorph) {
    for (int pattern : {0, 13}) { // flat, 3D
        ResetEffectsForTests();
        Apply(pattern);
        gNextMorphTime = 0;
        SeedRand(11);
        Lcg rng{11};
        Update();
        for (EffectId e :
             {EFFECT_REVERSAL, EFFECT_CENTRE_PULL, EFFECT_FAN, EFFECT_COSINE_SPEED, EFFECT_QUICKSAND,
              EFFECT_COLOUR_RAMP, EFFECT_FOUNTAIN, EFFECT_FADE_HEAD, EFFECT_PULSE, EFFECT_SPEED_HEADING})
            ExpectScheduled(e, true, rng, pattern == 13);
        EXPECT_EQ(Rand(), rng());
        EXPECT_EQ(gEffects[EFFECT_FIXED_HEADING].start, 0u);
        EXPECT_EQ(EffectActive(EFFECT_FIXED_HEADING), pattern != 13); // unscheduled: due at once, if flat
        EXPECT_EQ(gNextMorphTime, Now() + 20000);
        AdvanceScriptedTime(1);
        Update(); // nothing already scheduled moves
        EXPECT_EQ(gNextMorphTime, Now() + 19999);
    }
    ResetEffectsForTests(); // Fixed Heading's first end schedules it with its first offset
    Apply(0);
    SetScriptedTime(0x90000000u);
    Update();
    SeedRand(3);
    Lcg rng{3};
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_FIXED_HEADING));
    ExpectScheduled(EFFECT_FIXED_HEADING, true, rng, false);
}

TEST_F(Effects, LaterSchedulesAndKeyedPeriodsFollowTheTimingTable) {
    const struct { int is3D, painting; } conditions[] = {{0, 0}, {1, 0}, {0, 1}};
    for (const auto &c : conditions) {
        for (int i = 0; i < NUM_EFFECTS; ++i) {
            const EffectId e = static_cast<EffectId>(i);
            if ((e == EFFECT_FOUNTAIN && c.painting) || (e == EFFECT_FIXED_HEADING && c.is3D)) continue;
            SCOPED_TRACE(testing::Message()
                         << "effect " << i << " 3D " << c.is3D << " painting " << c.painting);
            QuietSchedules();
            gTrail.trailWidth = 1; // every rule allows it
            gTrail.trailKinkiness = 0;
            gTrail.is3D = c.is3D;
            gPainting = c.painting;
            const bool shorter =
                (c.is3D && (e == EFFECT_CENTRE_PULL || e == EFFECT_REVERSAL || e == EFFECT_FOUNTAIN)) ||
                (c.painting && e == EFFECT_CENTRE_PULL);
            gEffects[e] = {1, 0, 1, Now()};
            SeedRand(i + 1);
            Lcg rng{static_cast<uint32_t>(i + 1)};
            Update();
            EXPECT_FALSE(EffectActive(e));
            ExpectScheduled(e, false, rng, shorter);
            RequestEffect(e); // a key's period runs from the moment it takes effect
            Update();
            EXPECT_TRUE(EffectActive(e));
            EXPECT_FALSE(gEffects[e].request);
            EXPECT_EQ(gEffects[e].end, Now() + ModelDuration(e, rng, shorter));
        }
    }
}

TEST_F(Effects, EachEffectRunsOnlyUnderThePatternsItsRuleAllows) {
    const struct {
        EffectId e;
        int pattern;
        int32_t width; // -1: the pattern's own
        int painting;
        bool runs;
    } cases[] = {// clang-format off
        {EFFECT_CENTRE_PULL, 0, -1, 0, true}, {EFFECT_CENTRE_PULL, 4, -1, 0, false},
        {EFFECT_CENTRE_PULL, 5, -1, 0, false}, {EFFECT_CENTRE_PULL, 9, -1, 0, false},
        {EFFECT_CENTRE_PULL, 14, -1, 0, true}, {EFFECT_REVERSAL, 1, -1, 0, true}, {EFFECT_REVERSAL, 1, 2, 0, false},
        {EFFECT_REVERSAL, 4, -1, 0, false}, {EFFECT_REVERSAL, 12, 1, 0, true}, {EFFECT_COLOUR_RAMP, 10, -1, 0, false},
        {EFFECT_COLOUR_RAMP, 11, -1, 1, true}, {EFFECT_QUICKSAND, 4, -1, 0, false}, {EFFECT_QUICKSAND, 1, -1, 1, true},
        {EFFECT_FAN, 1, -1, 0, false}, {EFFECT_FAN, 0, 29, 0, true}, {EFFECT_FAN, 0, 30, 0, false},
        {EFFECT_FAN, 0, 1, 0, true}, {EFFECT_FAN, 14, -1, 0, false}, {EFFECT_FAN, 13, -1, 0, true},
        {EFFECT_FOUNTAIN, 7, -1, 0, false}, {EFFECT_FOUNTAIN, 10, -1, 0, false}, {EFFECT_FOUNTAIN, 0, -1, 1, false},
        {EFFECT_FOUNTAIN, 6, -1, 0, true}, {EFFECT_FIXED_HEADING, 12, -1, 0, false},
        {EFFECT_FIXED_HEADING, 0, -1, 1, true}, {EFFECT_FADE_HEAD, 14, -1, 1, true}, {EFFECT_PULSE, 10, -1, 1, true},
        {EFFECT_COSINE_SPEED, 4, -1, 1, true}, {EFFECT_SPEED_HEADING, 12, -1, 0, true}};
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "effect " << c.e << " pattern " << c.pattern << " width " << c.width);
        ResetEffectsForTests();
        Apply(c.pattern);
        if (c.width >= 0) gTrail.trailWidth = c.width;
        gPainting = c.painting;
        QuietSchedules();
        RequestEffect(c.e);
        for (int n = 0; n < 3; ++n) { // a forbidden request waits
            AdvanceScriptedTime(1000);
            Update();
        }
        EXPECT_EQ(EffectActive(c.e), c.runs);
        EXPECT_EQ(gEffects[c.e].request, c.runs ? 0 : 1);
    }
    ResetEffectsForTests();
    Apply(1);
    QuietSchedules();
    RequestEffect(EFFECT_FAN);
    Update();
    Apply(0); // the waiting request starts as soon as a pattern allows it
    EXPECT_FALSE(EffectActive(EFFECT_FAN));
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_FAN));
}

TEST_F(Effects, SecondRequestSurvivesThePeriodAndRestartsTheEffect) {
    QuietSchedules();
    RequestEffect(EFFECT_CENTRE_PULL);
    for (uint32_t seed : {4u, 5u}) {
        SeedRand(seed);
        Lcg rng{seed};
        rng(); // the period
        const bool attract = rng() % 2 == 0;
        gEffects[EFFECT_CENTRE_PULL].active = 0;
        Update();
        ASSERT_TRUE(EffectActive(EFFECT_CENTRE_PULL));
        EXPECT_EQ(gAttractors[0].x * 1000 + gAttractors[0].y, 320240u);
        EXPECT_EQ(gAttractors[0].strength, attract ? 2500.0 : -2500.0);
        EXPECT_EQ(gAttractorMinDist[0], attract ? 5.0 : 2.0);
        EXPECT_EQ(gWallForce, 70.0 * 50);
        EXPECT_EQ(gHeadX, 270 + rng() % 100); // jumped near the centre
        EXPECT_EQ(gHeadY, 190 + rng() % 100);
        RequestEffect(EFFECT_CENTRE_PULL);
    }
    RequestEffect(EFFECT_CENTRE_PULL);
    SetScriptedTime(gEffects[EFFECT_CENTRE_PULL].end);
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_CENTRE_PULL));
    EXPECT_TRUE(gEffects[EFFECT_CENTRE_PULL].request);
    EXPECT_EQ(gWallForce, 140.0);
    AdvanceScriptedTime(1);
    gCurrentPreset = 10; // Pellory's Kandy: weaker walls, as with painting
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_CENTRE_PULL));
    EXPECT_EQ(gWallForce, 70.0 * 25);
    EXPECT_FALSE(gEffects[EFFECT_CENTRE_PULL].request);
}

TEST_F(Effects, CentrePullKeepsItsEndBookkeepingUnderJellyfishWormholesAndSeaSnakes) {
    for (int pattern : {4, 5, 9}) {
        SCOPED_TRACE(pattern);
        ResetEffectsForTests();
        Apply(pattern);
        Update();
        RequestEffect(EFFECT_CENTRE_PULL);
        for (uint32_t width : {640u, 800u}) {
            gDisplay.width = width;
            gWallForce = 12345.0;
            gAttractors[0].strength = 1.0;
            SetScriptedTime(gEffects[EFFECT_CENTRE_PULL].end);
            Update();
            EXPECT_FALSE(EffectActive(EFFECT_CENTRE_PULL));
            EXPECT_EQ(gWallForce, width == 640 ? 140.0 : 70.0);
            EXPECT_NE(gAttractors[0].strength, 1.0); // placed anew
            EXPECT_GE(gEffects[EFFECT_CENTRE_PULL].start - Now(), 20000u);
            EXPECT_TRUE(gEffects[EFFECT_CENTRE_PULL].request); // waits for an allowing pattern
        }
        gDisplay.width = 640;
    }
}

TEST_F(Effects, FountainRaisesShortTrailsRestoresTheCurrentPatternsLengthAndFreezesWhilePainting) {
    const struct {
        int32_t length, during, after;
        int morphTo;
    } cases[] = {{100, 300, 100, -1}, {1000, 1000, 1000, -1}, {300, 300, 300, -1}, {100, 300, 135, 9}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.length);
        gPresets[15].trailLength = c.length;
        Apply(15);
        QuietSchedules();
        RequestEffect(EFFECT_FOUNTAIN);
        Update();
        EXPECT_EQ(gTrail.trailLength, c.during);
        if (c.morphTo >= 0) { // the end restores the length of the pattern current then
            gCurrentPreset = c.morphTo;
            ApplyPreset(c.morphTo);
        }
        gHeadX = gHeadY = 7.0;
        gHeadVX = 3.0;
        SetScriptedTime(gEffects[EFFECT_FOUNTAIN].end);
        Update();
        EXPECT_FALSE(EffectActive(EFFECT_FOUNTAIN));
        EXPECT_EQ(gTrail.trailLength, c.after);
        EXPECT_EQ(gHeadX + gHeadY, 560.0);
        EXPECT_EQ(gHeadVX, 3.0);
    }
    Apply(15);
    RequestEffect(EFFECT_FOUNTAIN);
    Update();
    const uint32_t end = gEffects[EFFECT_FOUNTAIN].end;
    gPainting = 1; // painting forbids it: its end test is skipped until painting stops
    SetScriptedTime(end + 5000);
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_FOUNTAIN));
    EXPECT_EQ(gEffects[EFFECT_FOUNTAIN].end, end);
    gPainting = 0;
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_FOUNTAIN));
}

TEST_F(Effects, ColourRampLevelsFallOffPerChannel) {
    const struct {
        uint32_t seed;
        int32_t m, n, speedMode;
        int32_t levels[7][4];
    } cases[] = {// clang-format off
        {93, 42, 85, 1, {{0, 255, 255, 255}, {42, 255, 129, 3}, {43, 249, 126, 0}, {84, 5, 3, 0}, {85, 0, 0, 0},
                         {-7, 255, 255, 255}, {200, 0, 0, 0}}},
        {6, 128, 128, 1, {{0, 255, 255, 255}, {64, 127, 255, 127}, {128, 0, 255, 0}, {129, 0, 255, 0},
                          {1000, 0, 255, 0}, {1, 253, 255, 253}, {127, 1, 255, 1}}}};
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seed);
        QuietSchedules();
        RequestEffect(EFFECT_COLOUR_RAMP);
        SeedRand(c.seed); // after the period's draw: divisors (0, 3, 6) and (2, 0, 2)
        Update();
        ASSERT_TRUE(EffectActive(EFFECT_COLOUR_RAMP));
        EXPECT_EQ(gColourRampM, c.m);
        EXPECT_EQ(gColourRampN, c.n);
        EXPECT_EQ(gColourRampSpeedMode, c.speedMode);
        for (const auto &l : c.levels) {
            int32_t rgb[3];
            ColourRampColour(l[0], &rgb[0], &rgb[1], &rgb[2]);
            EXPECT_EQ(std::vector<int32_t>(rgb, rgb + 3), std::vector<int32_t>(l + 1, l + 4))
                << "level " << l[0];
        }
    }
    // Speed mode: slow particles get high levels; age mode recolours particles born in the ramp.
    gColourRampSpeedMode = 1;
    gHeadVX = 2.0; // particle speed 0.1: level trunc((1 - 0.1 / 1.3) * 128) = 118
    AddTrailParticle();
    int32_t want[3];
    ColourRampColour(118, &want[0], &want[1], &want[2]);
    EXPECT_EQ(gTrailParticles->r * 65536 + gTrailParticles->g * 256 + gTrailParticles->b,
              want[0] * 65536 + want[1] * 256 + want[2]);
    gColourRampSpeedMode = 0;
    gTrailParticles->age = 50;
    gTrailParticles->lifetime = 100;
    UpdateTrailParticles(); // level 50 x 128 / 100 = 64
    EXPECT_EQ(gTrailParticles->colour, 127u << 16 | 255u << 8 | 127u);
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
    EXPECT_EQ(gEffects[EFFECT_QUICKSAND].start + gEffects[EFFECT_FADE_HEAD].start, 0u);
    EXPECT_TRUE(EffectActive(EFFECT_QUICKSAND) && EffectActive(EFFECT_FADE_HEAD));
    gEffects[EFFECT_QUICKSAND].active = gEffects[EFFECT_FADE_HEAD].active = 0;
    SetScriptedTime(Now() + 500000);
    Update();
    EXPECT_TRUE(EffectActive(EFFECT_QUICKSAND) && EffectActive(EFFECT_FADE_HEAD)); // held on by their flags
    gPresets[7].spiralTrail = 1; // both flags: the spiral wins
    Apply(7);
    Update();
    EXPECT_FALSE(EffectActive(EFFECT_QUICKSAND));
}

TEST_F(Effects, MorphEndStopsForbiddenEffectsWithTheirEndActionsAndReschedules) {
    QuietSchedules();
    RequestEffect(EFFECT_CENTRE_PULL);
    RequestEffect(EFFECT_FOUNTAIN);
    RequestEffect(EFFECT_PULSE);
    Apply(15);
    Update();
    gWallForce = 9.0;
    gHeadX = 3.0;
    gCurrentPreset = 9; // Centre Pull not allowed; painting forbids Fountain
    ApplyPreset(9);
    gPainting = 1;
    gEffects[EFFECT_FADE_HEAD].active = gEffects[EFFECT_QUICKSAND].active = 1;
    SeedRand(5);
    Lcg rng{5};
    EndOfMorphEffects();
    EXPECT_FALSE(EffectActive(EFFECT_CENTRE_PULL) || EffectActive(EFFECT_FOUNTAIN));
    EXPECT_FALSE(EffectActive(EFFECT_FADE_HEAD) || EffectActive(EFFECT_QUICKSAND)); // their "always" flags
    EXPECT_TRUE(EffectActive(EFFECT_PULSE));                                        // still allowed
    EXPECT_EQ(gWallForce, 140.0);
    EXPECT_EQ(gHeadX, 320.0);
    EXPECT_EQ(gTrail.trailLength, 135);
    for (int n = 0; n < 4 * gTrail.trailKinkiness; ++n)
        rng();                                             // Centre Pull's end places the attractors anew
    ExpectScheduled(EFFECT_CENTRE_PULL, false, rng, true); // shorter while painting
    for (EffectId e : {EFFECT_REVERSAL, EFFECT_QUICKSAND, EFFECT_FOUNTAIN}) // forbidden under Sea Snakes
        ExpectScheduled(e, false, rng, false);
}

TEST_F(Effects, TimesAcrossTheTickWrapAreNotDueEarly) {
    SetScriptedTime(0xFFFFFF00u);
    QuietSchedules();
    gEffects[EFFECT_PULSE] = {0, 0, 0x00000100u, 0x00002000u}; // past the wrap
    const uint32_t steps[][2] = {{0xFFFFFF00u, 0}, {0x00000101u, 1}, {0x00000102u, 1}, {0x00002000u, 0}};
    for (const auto &s : steps) {
        SetScriptedTime(s[0]);
        Update();
        EXPECT_EQ(EffectActive(EFFECT_PULSE), s[1] != 0) << s[0];
    }
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

} // namespace
