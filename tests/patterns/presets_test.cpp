// The standard patterns, applying a pattern to the engine's working parameters, and the painting decision.
#include <cstring>

#include "../engine/engine_fixture.h"

class Presets : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        gPresets = static_cast<Preset *>(HeapAllocateZeroed(16 * sizeof(Preset)));
        gPresetCount = 16;
        for (int i = 0; i < NUM_STANDARD_PRESETS; ++i)
            InitStandardPreset(i);
        gPresets[15] = gPresets[11]; // a user copy of "Quorl": not always painted
        gPresets[15].alwaysPaint = 0;
    }
    void TearDown() override {
        HeapRelease(gPresets);
        gPresets = nullptr;
        gPresetCount = 0;
        gCurrentPreset = 0;
        EngineTest::TearDown();
    }
    // The painting decision for one pattern, kinkiness 0 so that the only draw is the painting roll.
    static int PaintedWith(int index, int32_t paintingMode) {
        gPaintingMode = paintingMode;
        gTrail.spiralTrail = gPresets[index].spiralTrail;
        ChoosePaintMode(index);
        return gPainting;
    }
};

TEST_F(Presets, StandardTableIsInItsBindingOrderWithTheSpiralIncrementsAsWritten) {
    const char *names[NUM_STANDARD_PRESETS] = {
        "Tavo",          "Pentagonal Lines", "Slow Ripples",    "Spirograph", "Jellyfish",       "Wormholes",
        "Ribbons",       "Rose Tattoo",      "Angry Spaghetti", "Sea Snakes", "Pellory's Kandy", "Quorl",
        "3D Spirograph", "3D Tavo",          "3D Sea Snakes"};
    for (int i = 0; i < NUM_STANDARD_PRESETS; ++i) {
        EXPECT_STREQ(gPresets[i].name, names[i]);
        EXPECT_EQ(gPresets[i].is3D, i >= 12 ? 1 : 0) << i;
        EXPECT_EQ(gPresets[i].alwaysPaint, i == 11 ? 1 : 0) << i;
    }
    const Preset &kandy = gPresets[10];
    EXPECT_EQ(kandy.trailKinkiness, 20);
    EXPECT_EQ(kandy.trailLength, 1000);
    EXPECT_EQ(kandy.trailDensity, 13);
    EXPECT_EQ(kandy.trailWidth, 90);
    EXPECT_EQ(kandy.numberOfTrails, 8);
    EXPECT_EQ(kandy.sparkle, 1);
    EXPECT_EQ(kandy.sparkliness, 4);
    EXPECT_EQ(kandy.fadeSpeed, 95);
    EXPECT_EQ(kandy.colourSpeed, 1);
    EXPECT_EQ(kandy.jumpSpeed, 20);
    EXPECT_EQ(kandy.alwaysFadeHead, 1);
    EXPECT_EQ(kandy.alwaysQuicksand, 1);
    // the exact doubles the spiral patterns have always held
    EXPECT_EQ(gPresets[4].spiralInc, 0x1.0c2585d0a6913p+0);
    EXPECT_EQ(gPresets[8].spiralInc, gPresets[4].spiralInc);
    EXPECT_EQ(gPresets[5].spiralInc, 0.3);
    EXPECT_EQ(gPresets[9].spiralInc, 0x1.12843cf07665ep-10);
    EXPECT_EQ(gPresets[14].spiralInc, 0x1.496b7c53c1471p-10);
    EXPECT_EQ(gPresets[14].trailLength, 354);
    EXPECT_EQ(gPresets[14].fadeSpeed, 100);
}

TEST_F(Presets, RebuildingClearsTheFlagsAndPadsTheNameButLeavesIs3DOfFlatRowsAlone) {
    Preset &p = gPresets[3];
    memset(p.name, 'x', sizeof p.name);
    p.dontUse = 1;
    p.modified = 1;
    p.is3D = 0;
    InitStandardPreset(3);
    EXPECT_STREQ(p.name, "Spirograph");
    for (size_t k = strlen("Spirograph"); k <= PRESET_NAME_LEN; ++k)
        EXPECT_EQ(p.name[k], '\0') << k;
    EXPECT_EQ(p.dontUse, 0);
    EXPECT_EQ(p.modified, 0);
    EXPECT_EQ(p.is3D, 0);
}

TEST_F(Presets, ApplyCopiesTheWorkingParametersAndRefreshesTheEngine) {
    gPaintingMode = 0;
    ApplyPreset(14);
    EXPECT_EQ(gTrail.trailKinkiness, 20);
    EXPECT_EQ(gTrail.trailLength, 354);
    EXPECT_EQ(gTrail.trailDensity, 11);
    EXPECT_EQ(gTrail.numberOfTrails, 12);
    EXPECT_EQ(gTrail.spiralTrail, 1);
    EXPECT_EQ(gTrail.spiralInc, gPresets[14].spiralInc);
    EXPECT_EQ(gTrail.is3D, 1);
    EXPECT_EQ(gFadeStartAge, 0u); // fade 100: the whole life fades
    EXPECT_EQ(gRotAngleCount, 12u);

    ApplyPreset(0);
    EXPECT_EQ(gTrail.is3D, 0);
    EXPECT_EQ(gFadeStartAge, 125u); // (100 - 50) x 250 x 0.01
    EXPECT_EQ(gRotAngleCount, 6u);
    EXPECT_GE(gAttractorMinDist[29], 1.5); // thirty attractors placed
}

TEST_F(Presets, ValuesTheEngineDividesByNeverReachItBelowOne) {
    Preset &p = gPresets[15];
    p.trailDensity = 0;
    p.sparkliness = -3;
    p.numberOfTrails = 0;
    p.trailKinkiness = 400;
    ApplyPreset(15);
    EXPECT_EQ(gTrail.trailDensity, 1);
    EXPECT_EQ(gTrail.sparkliness, 1);
    EXPECT_EQ(gTrail.numberOfTrails, 1);
    EXPECT_EQ(gTrail.trailKinkiness, MAX_ATTRACTORS);
    EXPECT_EQ(gRotAngleCount, 1u);
}

TEST_F(Presets, PaintingModeSettingIsTheChanceInTenths) {
    SeedRand(1); // draws 41, 18467, 6334, 26500: last digits 1, 7, 4, 0
    EXPECT_EQ(PaintedWith(0, 3), 1);
    EXPECT_EQ(PaintedWith(0, 3), 0);
    EXPECT_EQ(PaintedWith(0, 3), 0);
    EXPECT_EQ(PaintedWith(0, 3), 1);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(PaintedWith(1, 0), 0);
        EXPECT_EQ(PaintedWith(1, 10), 1);
    }
}

TEST_F(Presets, PaintingTurnsFadingOffExceptForSpiralsAndPellorysKandy) {
    EXPECT_EQ(PaintedWith(0, 10), 1);
    EXPECT_EQ(gTrail.fadeSpeed, 0);
    EXPECT_EQ(gFadeStartAge, static_cast<uint32_t>(gTrail.trailLength)); // no fade-out at all
    EXPECT_EQ(PaintedWith(10, 10), 1);
    EXPECT_EQ(gTrail.fadeSpeed, 95);
    EXPECT_EQ(PaintedWith(4, 10), 1); // "Jellyfish" has spiral trails
    EXPECT_EQ(gTrail.fadeSpeed, 20);
    EXPECT_EQ(PaintedWith(0, 0), 0);
    EXPECT_EQ(gTrail.fadeSpeed, 50);
}

TEST_F(Presets, QuorlAlwaysPaintsAndThreeDPatternsAndThePreviewNever) {
    for (int round = 0; round < 10; ++round) {
        EXPECT_EQ(PaintedWith(11, 0), 1);
        EXPECT_EQ(gTrail.fadeSpeed, 0);
        EXPECT_EQ(PaintedWith(15, 0), 0); // its user copy is not always painted
        for (int i = 12; i <= 14; ++i) {
            EXPECT_EQ(PaintedWith(i, 10), 0) << i;
            EXPECT_EQ(gTrail.fadeSpeed, gPresets[i].fadeSpeed);
        }
    }
    gPreviewMode = 1;
    const uint32_t state = gRandState;
    EXPECT_EQ(PaintedWith(11, 10), 0);
    EXPECT_EQ(PaintedWith(0, 10), 0);
    EXPECT_EQ(gRandState, state); // no painting roll in a preview
    gPreviewMode = 0;
}

TEST_F(Presets, AMorphInvolvingAThreeDPatternKeepsPaintingOffAtJumps) {
    gMorphing = 1;
    gMorphFrom3D = 0;
    gMorphTo3D = 1;
    EXPECT_EQ(PaintedWith(11, 10), 0);
    EXPECT_EQ(PaintedWith(0, 10), 0);
    gMorphTo3D = 0;
    EXPECT_EQ(PaintedWith(0, 10), 1);
}
