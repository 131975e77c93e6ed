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
        gPresets[15] = gPresets[11]; // a user copy of "Quorl" is not always painted
        gPresets[15].alwaysPaint = 0;
    }
    void TearDown() override {
        HeapRelease(gPresets);
        gPresets = nullptr;
        gPresetCount = 0;
        EngineTest::TearDown();
    }
    // The painting decision; kinkiness 0, so the painting roll is the only draw.
    static int PaintedWith(int index, int32_t paintingMode) {
        gPaintingMode = paintingMode;
        gTrail.spiralTrail = gPresets[index].spiralTrail;
        ChoosePaintMode(index);
        return gPainting;
    }
};

TEST_F(Presets, StandardTableKeepsItsOrderFlagsAndExactSpiralIncrements) {
    const char *names[NUM_STANDARD_PRESETS] = {
        "Tavo",          "Pentagonal Lines", "Slow Ripples",    "Spirograph", "Jellyfish",       "Wormholes",
        "Ribbons",       "Rose Tattoo",      "Angry Spaghetti", "Sea Snakes", "Pellory's Kandy", "Quorl",
        "3D Spirograph", "3D Tavo",          "3D Sea Snakes"};
    for (int i = 0; i < NUM_STANDARD_PRESETS; ++i) {
        EXPECT_STREQ(gPresets[i].name, names[i]);
        EXPECT_EQ(gPresets[i].is3D, i >= 12 ? 1 : 0) << i;
        EXPECT_EQ(gPresets[i].alwaysPaint, i == 11 ? 1 : 0) << i;
    }
    const Preset &k = gPresets[10];
    const int32_t row[] = {k.trailKinkiness, k.trailLength, k.trailDensity, k.trailWidth,
                           k.numberOfTrails, k.sparkle,     k.sparkliness,  k.fadeSpeed,
                           k.colourSpeed,    k.jumpSpeed,   k.spiralTrail,  k.alwaysFadeHead,
                           k.alwaysQuicksand};
    const int32_t kandy[] = {20, 1000, 13, 90, 8, 1, 4, 95, 1, 20, 0, 1, 1};
    EXPECT_EQ(0, memcmp(row, kandy, sizeof row));
    // the doubles the spiral patterns have always held, not values recomputed from pi
    EXPECT_EQ(gPresets[4].spiralInc, 0x1.0c2585d0a6913p+0);
    EXPECT_EQ(gPresets[8].spiralInc, 0x1.0c2585d0a6913p+0);
    EXPECT_EQ(gPresets[9].spiralInc, 0x1.12843cf07665ep-10);
    EXPECT_EQ(gPresets[14].spiralInc, 0x1.496b7c53c1471p-10);

    Preset &p = gPresets[3]; // rebuilding clears the flags and pads the name, but leaves is3D of a flat row
    memset(p.name, 'x', sizeof p.name);
    p.dontUse = p.modified = 1;
    InitStandardPreset(3);
    EXPECT_STREQ(p.name, "Spirograph");
    EXPECT_EQ(p.name[PRESET_NAME_LEN], '\0');
    EXPECT_EQ(p.name[PRESET_NAME_LEN - 1], '\0');
    EXPECT_EQ(p.dontUse + p.modified + p.is3D, 0);
}

TEST_F(Presets, ApplyCopiesTheWorkingParametersAndKeepsDivisorsAtOneOrMore) {
    gPaintingMode = 0;
    ApplyPreset(14);
    EXPECT_EQ(gTrail.trailLength, 354);
    EXPECT_EQ(gTrail.trailDensity, 11);
    EXPECT_EQ(gTrail.spiralInc, gPresets[14].spiralInc);
    EXPECT_EQ(gTrail.is3D, 1);
    EXPECT_EQ(gFadeStartAge, 0u); // fade 100: the whole life fades
    EXPECT_EQ(gRotAngleCount, 12u);
    ApplyPreset(0);
    EXPECT_EQ(gTrail.is3D, 0);
    EXPECT_EQ(gFadeStartAge, 125u); // (100 - 50) x 250 x 0.01
    EXPECT_EQ(gRotAngleCount, 6u);

    Preset &p = gPresets[15]; // a hand-edited store
    p.trailDensity = 0;
    p.sparkliness = -3;
    p.numberOfTrails = 0;
    p.trailKinkiness = 400;
    ApplyPreset(15);
    EXPECT_EQ(gTrail.trailDensity, 1);
    EXPECT_EQ(gTrail.sparkliness, 1);
    EXPECT_EQ(gTrail.numberOfTrails, 1);
    EXPECT_EQ(gTrail.trailKinkiness, MAX_ATTRACTORS);
}

TEST_F(Presets, PaintingModeIsTheChanceInTenthsAndPaintingStopsTheFade) {
    SeedRand(1); // draws 41, 18467, 6334, 26500: last digits 1, 7, 4, 0
    EXPECT_EQ(PaintedWith(0, 3), 1);
    EXPECT_EQ(gTrail.fadeSpeed, 0);
    EXPECT_EQ(PaintedWith(0, 3), 0);
    EXPECT_EQ(gTrail.fadeSpeed, 50);
    EXPECT_EQ(PaintedWith(0, 3), 0);
    EXPECT_EQ(PaintedWith(0, 3), 1);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(PaintedWith(1, 0), 0);
        EXPECT_EQ(PaintedWith(1, 10), 1);
    }
    EXPECT_EQ(PaintedWith(10, 10), 1); // "Pellory's Kandy" keeps its fade
    EXPECT_EQ(gTrail.fadeSpeed, 95);
    EXPECT_EQ(PaintedWith(4, 10), 1); // so do spiral trails
    EXPECT_EQ(gTrail.fadeSpeed, 20);
}

TEST_F(Presets, QuorlAlwaysPaintsThreeDNeverAndNothingInAPreviewOrA3DMorph) {
    for (int round = 0; round < 10; ++round) {
        EXPECT_EQ(PaintedWith(11, 0), 1);
        EXPECT_EQ(PaintedWith(15, 0), 0);
        for (int i = 12; i <= 14; ++i)
            EXPECT_EQ(PaintedWith(i, 10), 0) << i;
    }
    gPreviewMode = 1;
    const uint32_t state = gRandState;
    EXPECT_EQ(PaintedWith(11, 10), 0);
    EXPECT_EQ(gRandState, state); // no roll at all
    gPreviewMode = 0;
    gMorphing = 1;
    gMorphTo3D = 1;
    EXPECT_EQ(PaintedWith(11, 10), 0);
    gMorphTo3D = 0;
    EXPECT_EQ(PaintedWith(0, 10), 1);
}
