// Morphing between patterns: target choice, the merged trail count and its gliding copies, the interpolated
// parameters, the name cross-fade and the hand-over at the end, driven tick by tick on the morph clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine_fixture.h"

namespace {
struct DrawnText {
    std::string text, second;
    float mix;
    int fill;
    int32_t size;
    int slot;
    uint32_t colour;
    int bold;
    uint32_t morphClock;
};
std::vector<DrawnText> sDrawn;
} // namespace

namespace {
// Records the name slot's draws as the morph asks for them.
void RecordDrawnText(const char *text, const char *secondText, float mix, bool fill, int32_t size, int slot,
                     uint32_t colour, bool bold) {
    sDrawn.push_back({text, secondText, mix, fill, size, slot, colour, bold, gMorphClock});
}
} // namespace

class Morph : public PatternLibraryTest {
  protected:
    void SetUp() override {
        PatternLibraryTest::SetUp();
        DDSetDrawTextProbe(RecordDrawnText);
        // Two user patterns for the trail-count cases: "Pentagonal Lines" with ten copies and with four.
        UserPattern(15, "Ten Lines", 10);
        UserPattern(16, "Four Lines", 4);
        Apply(0);
        sDrawn.clear();
    }
    void TearDown() override {
        gMorphSettings = 1;
        gMorphInterval = 20;
        gShowNames = 0;
        gBackgroundBrightness = 100;
        DDSetDrawTextProbe(nullptr);
        PatternLibraryTest::TearDown();
    }
    static void UserPattern(int index, const char *name, int32_t trails) {
        gPresets[index] = gPresets[1];
        strncpy(gPresets[index].name, name, PRESET_NAME_LEN);
        gPresets[index].numberOfTrails = trails;
    }
    // One multiple-of-10 physics step as the frame step makes it.
    static void Tick() {
        ++gMorphClock;
        MorphLogic(ScriptedTime());
    }
    static void RunUntilIdle() {
        for (int i = 0; i < 100000 && gMorphing; ++i)
            Tick();
    }
    static float Snapped(int position, int trails) {
        const float step = static_cast<float>(TWO_PI / trails);
        return static_cast<float>(static_cast<long double>(position) * step);
    }
    static float Spread(int k, int trails) {
        return static_cast<float>(static_cast<long double>(k) * TWO_PI / trails);
    }
};

TEST_F(Morph, UnequalTrailCountsGlideCopiesBetweenTheOldAndNewPositions) {
    // 5 -> 10 thins every second particle and fans out; 10 -> 4 converges without thinning.
    const struct {
        int from, to, fromTrails, toTrails;
        uint32_t thin;
        int positions[10];
    } cases[] = {{1, 15, 5, 10, 2u, {0, 0, 0, 1, 1, 2, 2, 3, 3, 4}},
                 {15, 16, 10, 4, 0u, {0, 0, 0, 1, 1, 1, 2, 2, 3, 3}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.from);
        ResetMorphForTests();
        Apply(c.from);
        RequestMorph(c.to);
        Tick();
        ASSERT_TRUE(gMorphing);
        EXPECT_EQ(gThinDivisor, c.thin);
        EXPECT_EQ(gTrail.numberOfTrails, 10);
        ASSERT_EQ(gRotAngleCount, 10u);
        const bool fanning = c.toTrails > c.fromTrails;
        for (int k = 0; k < 10; ++k) {
            SCOPED_TRACE(k);
            const float snapped = Snapped(c.positions[k], fanning ? c.fromTrails : c.toTrails);
            EXPECT_EQ(gRotAngle[k].fromAngle, fanning ? snapped : Spread(k, 10));
            EXPECT_EQ(gRotAngle[k].toAngle, fanning ? Spread(k, 10) : snapped);
            EXPECT_EQ(gRotAngle[k].angle, gRotAngle[k].fromAngle);
        }
        if (fanning) {
            gMorphProgress = 0.5;
            MorphRotAngles();
            EXPECT_NEAR(gRotAngle[1].angle, Spread(1, 10) / 2, 1e-6);
            EXPECT_NEAR(gRotAngle[1].m[0], std::cos(gRotAngle[1].angle), 1e-6);
        }
        RunUntilIdle();
        EXPECT_EQ(gCurrentPreset, c.to);
        EXPECT_EQ(gTrail.numberOfTrails, c.toTrails);
        ASSERT_EQ(gRotAngleCount, static_cast<uint32_t>(c.toTrails));
        EXPECT_NEAR(gRotAngle[c.toTrails - 1].angle, Spread(c.toTrails - 1, c.toTrails), 1e-6);
    }
}

TEST_F(Morph, BeginMergesTrailsDensityAnd3DAndDrawsTheBackgroundAgain) {
    const struct {
        int from, to, painting, brightness, randomBackground;
        int paintingAfter, is3D, density;
    } cases[] = {{0, 2, 1, 100, 1, 1, 0, 8},
                 {2, 0, 1, 0, 1, 1, 0, 8},
                 {0, 13, 1, 100, 0, 0, 1, 8},
                 {12, 3, 1, 100, 1, 0, 1, 30},
                 {1, 4, 0, 100, 1, 0, 0, 10}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.from * 100 + c.to);
        Apply(c.from);
        gPainting = c.painting;
        gBackgroundBrightness = c.brightness;
        gRandomBackground = c.randomBackground;
        gBlueBackground = 7;
        SeedRand(c.to);
        Lcg rng{static_cast<uint32_t>(c.to)};
        const RotAngle *table = gRotAngle;
        RequestMorph(c.to);
        Tick();
        ASSERT_TRUE(gMorphing);
        EXPECT_EQ(gBlueBackground, c.brightness && c.randomBackground ? rng() % 2 : 7);
        EXPECT_EQ(Rand(), rng()); // no other draw
        EXPECT_EQ(gPainting, c.paintingAfter);
        EXPECT_EQ(gTrail.is3D, c.is3D);
        EXPECT_EQ(gMorphFrom3D * 2 + gMorphTo3D, gPresets[c.from].is3D * 2 + gPresets[c.to].is3D);
        EXPECT_EQ(gTrail.trailDensity, c.density); // the sparser of the two
        if (gPresets[c.from].numberOfTrails == gPresets[c.to].numberOfTrails) {
            EXPECT_EQ(gRotAngle, table); // equal counts leave the table alone for the whole morph
            for (int i = 0; i < 100; ++i)
                Tick();
            EXPECT_EQ(gRotAngle, table);
            EXPECT_EQ(gRotAngle[1].angle, Spread(1, gPresets[c.from].numberOfTrails));
        }
        RunUntilIdle();
    }
}

TEST_F(Morph, RandomTargetsFavourThreeDSpirographOnceAndSkipTheSourceAndExcluded) {
    gPresets[3].dontUse = 1;
    gBackgroundBrightness = 0; // no background draw
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        SCOPED_TRACE(seed);
        ResetMorphForTests();
        gPresets[12].dontUse = seed > 20; // excluded, it is never favoured
        Apply(seed % 2 ? 0 : 12);
        SeedRand(seed);
        Lcg rng{seed};
        bool favour = true;
        for (int morph = 0; morph < 4; ++morph) {
            int32_t pick;
            do {
                if (favour && !gPresets[12].dontUse && rng() % 10 < 6) {
                    favour = false;
                    pick = 12;
                } else {
                    pick = rng() % gPresetCount;
                }
            } while (pick == gCurrentPreset || gPresets[pick].dontUse);
            BeginMorph(0, -1);
            EXPECT_EQ(gMorphTarget, pick);
            EXPECT_EQ(gMorphSource, gCurrentPreset);
        }
        EXPECT_EQ(Rand(), rng());
    }
}

TEST_F(Morph, RandomMorphWithNoUsableTargetIsDroppedAndRearmed) {
    for (int i = 0; i < gPresetCount; ++i)
        gPresets[i].dontUse = i != 0;
    gNextMorphTime = ScriptedTime() + 5000;
    RequestMorph(-1);
    Tick();
    EXPECT_FALSE(gMorphing);
    EXPECT_FALSE(gMorphRequested);
    EXPECT_EQ(gMorphRequestTarget, -1);
    EXPECT_EQ(gNextMorphTime, ScriptedTime() + 20000);
    EXPECT_EQ(gCurrentPreset, 0);

    // An automatic morph is dropped the same way, and not tried again at every step.
    AdvanceScriptedTime(20001);
    Tick();
    EXPECT_FALSE(gMorphing);
    EXPECT_EQ(gNextMorphTime, ScriptedTime() + 20000);

    // A digit still morphs to an excluded pattern; one past the library is refused.
    RequestMorph(5);
    Tick();
    EXPECT_TRUE(gMorphing);
    RunUntilIdle();
    EXPECT_EQ(gCurrentPreset, 5);
    RequestMorph(gPresetCount);
    Tick();
    EXPECT_FALSE(gMorphing);
    EXPECT_EQ(gCurrentPreset, 5);
}

TEST_F(Morph, DigitDuringAMorphIsServedRightAfterIt) {
    gMorphDuration = 100;
    RequestMorph(3);
    Tick();
    for (int i = 0; i < 50; ++i)
        Tick();
    RequestMorph(5);
    EXPECT_EQ(gMorphTarget, 3);
    while (gMorphing)
        Tick();
    EXPECT_EQ(gCurrentPreset, 3);
    EXPECT_TRUE(gMorphRequested);
    Tick();
    EXPECT_TRUE(gMorphing);
    EXPECT_EQ(gMorphSource, 3);
    EXPECT_EQ(gMorphTarget, 5);
    EXPECT_FALSE(gMorphRequested);
}

TEST_F(Morph, AutomaticMorphsCountFromTheEndOfTheLastOne) {
    gMorphDuration = 50;
    gMorphSettings = 1;
    gNextMorphTime = ScriptedTime() + 1000;
    Tick();
    EXPECT_FALSE(gMorphing);
    AdvanceScriptedTime(1001);
    Tick();
    ASSERT_TRUE(gMorphing);
    AdvanceScriptedTime(30000); // the morph takes longer than the interval
    RunUntilIdle();
    EXPECT_EQ(gNextMorphTime, ScriptedTime() + 20000);
    Tick();
    EXPECT_FALSE(gMorphing);
    gMorphSettings = 0;
    AdvanceScriptedTime(20001);
    Tick();
    EXPECT_FALSE(gMorphing);
}

TEST_F(Morph, ParametersInterpolateWithTruncationTowardZero) {
    gMorphDuration = 100;
    gMorphEnd = 1000;
    for (const auto &pair : {std::pair{0, 4}, {4, 0}, {10, 11}}) {
        gMorphSource = pair.first;
        gMorphTarget = pair.second;
        Apply(pair.first);
        const Preset &a = gPresets[pair.first], &b = gPresets[pair.second];
        for (uint32_t clock : {900u, 901u, 933u, 950u, 999u, 1000u, 1010u}) {
            SCOPED_TRACE(testing::Message() << pair.first << " to " << pair.second << " at " << clock);
            StepMorph(clock);
            const double p = std::min(1.0, 1.0 - (1000.0 - clock) / 100.0);
            EXPECT_EQ(gMorphProgress, p);
            auto mix = [p](int32_t x, int32_t y) { return x + static_cast<int32_t>((y - x) * p); };
            const int32_t want[] = {mix(a.trailLength, b.trailLength),
                                    mix(a.trailWidth, b.trailWidth),
                                    mix(a.sparkle, b.sparkle),
                                    mix(a.sparkliness, b.sparkliness),
                                    mix(a.fadeSpeed, b.fadeSpeed),
                                    mix(a.colourSpeed, b.colourSpeed),
                                    a.spiralTrail | b.spiralTrail,
                                    a.trailKinkiness,
                                    a.jumpSpeed,
                                    a.alwaysFadeHead};
            const int32_t got[] = {gTrail.trailLength,   gTrail.trailWidth,     gTrail.sparkle,
                                   gTrail.sparkliness,   gTrail.fadeSpeed,      gTrail.colourSpeed,
                                   gTrail.spiralTrail,   gTrail.trailKinkiness, gTrail.jumpSpeed,
                                   gTrail.alwaysFadeHead};
            EXPECT_EQ(std::vector<int32_t>(got, got + 10), std::vector<int32_t>(want, want + 10));
            EXPECT_DOUBLE_EQ(gTrail.spiralInc, a.spiralInc + (b.spiralInc - a.spiralInc) * p);
        }
    }
}

TEST_F(Morph, NamesCrossFadeTwentyTimesAndBlackenOnlyAtTheEdges) {
    gShowNames = 1;
    gMorphDuration = 1000;
    gMorphClock = 2;
    RequestMorph(3);
    Tick(); // begins at clock 3, ends at 1003
    RunUntilIdle();
    ASSERT_EQ(sDrawn.size(), 21u);
    for (size_t i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        const DrawnText &d = sDrawn[i];
        EXPECT_EQ(d.morphClock, 50u * (i + 1));
        EXPECT_EQ(d.text, "Tavo");
        EXPECT_EQ(d.second, "Spirograph");
        EXPECT_FLOAT_EQ(d.mix, static_cast<float>(1.0 - (1.0 - (1003.0 - d.morphClock) / 1000.0)));
        EXPECT_EQ(d.fill, (i == 0 || i == 19) ? 1 : 0); // start-up, then from p >= 0.995
        EXPECT_EQ(d.slot, 3);
    }
    EXPECT_EQ(sDrawn[0].size, 16);
    EXPECT_EQ(sDrawn[0].colour, 0u);
    EXPECT_EQ(sDrawn[0].bold, 1);
    const DrawnText &last = sDrawn[20];
    EXPECT_EQ(last.text, "Spirograph");
    EXPECT_EQ(last.second, "");
    EXPECT_EQ(last.mix, 1.0f);
    EXPECT_EQ(last.fill, 1);
    EXPECT_EQ(last.slot, 3);

    // A morph shorter than twenty ticks redraws on every tick.
    sDrawn.clear();
    gMorphDuration = 7;
    RequestMorph(0);
    Tick();
    RunUntilIdle();
    EXPECT_EQ(sDrawn.size(), 7u); // six steps and the final name
}

TEST_F(Morph, EndOfMorphHandsOverToTheTarget) {
    gMorphDuration = 20;
    gPaintingMode = 10; // "Quorl" paints anyway; the target is painted too
    gClearRequest = 0;
    gEffects[EFFECT_FADE_HEAD].active = 1;
    gEffects[EFFECT_QUICKSAND].active = 0;
    RequestMorph(11);
    Tick();
    RunUntilIdle();
    EXPECT_EQ(gCurrentPreset, 11);
    EXPECT_EQ(gTrail.trailLength, 113);
    EXPECT_EQ(gTrail.numberOfTrails, 6);
    EXPECT_EQ(gPainting, 1);
    EXPECT_EQ(gClearRequest, 0); // the source was not painted at the end test
    EXPECT_EQ(gEffects[EFFECT_FADE_HEAD].active, 1);
    EXPECT_EQ(gEffects[EFFECT_QUICKSAND].active, 1);
    EXPECT_EQ(gNextMorphTime, ScriptedTime() + 20000);

    RequestMorph(1);
    Tick();
    RunUntilIdle();
    EXPECT_EQ(gClearRequest, 1); // painting when the morph ended
    EXPECT_EQ(gEffects[EFFECT_FADE_HEAD].active, 0);
    EXPECT_EQ(gEffects[EFFECT_QUICKSAND].active, 0);
}

TEST_F(Morph, FailedTableAllocationIsLoggedAndTheMorphGoesOn) {
    Apply(1);
    SetAllocationFaults(0, 1);
    RequestMorph(15);
    Tick();
    SetAllocationFaults(0, 0);
    EXPECT_TRUE(gMorphing);
    EXPECT_EQ(gRotAngle, nullptr);
    EXPECT_EQ(gRotAngleCount, 0u);
    EXPECT_NE(LogContents().find("> SetupMorphRotAngles: Allocating memory for gRotAngle failed.\n"),
              std::string::npos);
    for (int i = 0; i < 10; ++i)
        Tick();
    RunUntilIdle();
    EXPECT_EQ(gRotAngleCount, 10u); // rebuilt for the target at the end
}

TEST_F(Morph, MorphClockAndTickTimesKeepTheirMeaningAcrossTheWrap) {
    gMorphDuration = 100;
    gMorphClock = 0xFFFFFFC0u;
    RequestMorph(2);
    Tick();
    int steps = 0;
    double lastP = -1.0;
    while (gMorphing && steps < 1000) {
        Tick();
        ++steps;
        if (gMorphing) {
            EXPECT_GT(gMorphProgress, lastP);
            lastP = gMorphProgress;
        }
    }
    EXPECT_EQ(steps, 100);
    EXPECT_EQ(gCurrentPreset, 2);
    EXPECT_GE(lastP, 0.99);

    // The next automatic time lies past the tick count's wrap: not due before it.
    SetScriptedTime(0xFFFFF000u);
    gNextMorphTime = ScriptedTime() + 20000;
    Tick();
    EXPECT_FALSE(gMorphing);
    SetScriptedTime(gNextMorphTime + 1);
    Tick();
    EXPECT_TRUE(gMorphing);
}

TEST_F(Morph, AFrameStepCarriesARequestedMorphThroughToTheTarget) {
    gPhysicsRate = 10000; // a thousand morph-clock ticks in one second-long step
    gMorphDuration = 300;
    gShowNames = 1;
    Apply(1);
    RequestMorph(15);
    UpdateTrails(nullptr);
    EXPECT_FALSE(gMorphing);
    EXPECT_EQ(gCurrentPreset, 15);
    EXPECT_EQ(gRotAngleCount, 10u);
    ASSERT_EQ(sDrawn.size(), 21u);
    EXPECT_EQ(sDrawn.front().second, "Ten Lines");
    EXPECT_EQ(sDrawn.back().text, "Ten Lines");
    EXPECT_TRUE(TickAfter(gNextMorphTime, ScriptedTime()));
}
