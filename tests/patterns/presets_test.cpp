// The standard patterns, applying a pattern to the engine's working parameters, and the painting decision.
#include <cstring>
#include <vector>

#include "../engine/engine_fixture.h"

class Presets : public PatternLibraryTest {
  protected:
    void SetUp() override {
        PatternLibraryTest::SetUp();
        gPresets[15] = gPresets[11]; // a user copy of "Quorl" is not always painted
        gPresets[15].alwaysPaint = 0;
    }
};

// FNV-1a over the bytes of the fifteen records as built on a zero-filled block: every field of every row,
// the names with their NUL padding and the exact spiral doubles. Re-create after an intended change with
// the value the failure prints.
TEST_F(Presets, StandardTableHoldsEveryFieldOfEveryRow) {
    uint64_t hash = 14695981039346656037u;
    const auto *bytes = reinterpret_cast<const unsigned char *>(gPresets);
    for (size_t k = 0; k < sizeof(Preset) * NUM_STANDARD_PRESETS; ++k)
        hash = (hash ^ bytes[k]) * 1099511628211u;
    EXPECT_EQ(hash, 0xa127676a5797edd5u) << "golden 0x" << std::hex << hash;
    EXPECT_STREQ(gPresets[12].name, "3D Spirograph"); // a few rows spelled out, for a readable failure
    EXPECT_EQ(gPresets[4].spiralInc, 0x1.0c2585d0a6913p+0);
    EXPECT_EQ(gPresets[14].spiralInc, 0x1.496b7c53c1471p-10);

    const Preset built = gPresets[3]; // rebuilding restores the row and clears the run-time flags
    memset(gPresets[3].name, 'x', sizeof gPresets[3].name);
    gPresets[3].trailLength = gPresets[3].dontUse = gPresets[3].modified = 1;
    InitStandardPreset(3);
    EXPECT_EQ(memcmp(&built, &gPresets[3], sizeof built), 0);
    InitStandardPreset(NUM_STANDARD_PRESETS); // not a standard row: nothing is written
    EXPECT_EQ(gPresets[15].trailLength, 113);
}

TEST_F(Presets, ApplyCopiesTheWorkingParametersAndKeepsDivisorsAtOneOrMore) {
    for (int i = 0; i < NUM_STANDARD_PRESETS; ++i) {
        SCOPED_TRACE(i);
        const Preset &p = gPresets[i];
        ApplyPreset(i);
        const int32_t want[] = {p.trailKinkiness,  p.trailLength, p.trailDensity, p.trailWidth,
                                p.numberOfTrails,  p.sparkle,     p.sparkliness,  i == 11 ? 0 : p.fadeSpeed,
                                p.colourSpeed,     p.jumpSpeed,   p.spiralTrail,  p.alwaysFadeHead,
                                p.alwaysQuicksand, p.is3D};
        const TrailSettings &t = gTrail;
        const int32_t got[] = {t.trailKinkiness,  t.trailLength, t.trailDensity, t.trailWidth,
                               t.numberOfTrails,  t.sparkle,     t.sparkliness,  t.fadeSpeed,
                               t.colourSpeed,     t.jumpSpeed,   t.spiralTrail,  t.alwaysFadeHead,
                               t.alwaysQuicksand, t.is3D};
        EXPECT_EQ(std::vector<int32_t>(got, got + 14), std::vector<int32_t>(want, want + 14));
        EXPECT_EQ(t.spiralInc, p.spiralInc);
        EXPECT_EQ(gFadeStartAge, static_cast<uint32_t>((100 - t.fadeSpeed) * p.trailLength * 0.01));
        EXPECT_EQ(gRotAngleCount, static_cast<uint32_t>(p.numberOfTrails));
    }
    const int32_t edited[][4] = {{0, -3, 0, 400}, {-7, 0, -1, -5}}; // a hand-edited store
    for (const auto &e : edited) {
        gPresets[15].trailDensity = e[0];
        gPresets[15].sparkliness = e[1];
        gPresets[15].numberOfTrails = e[2];
        gPresets[15].trailKinkiness = e[3];
        ApplyPreset(15);
        EXPECT_EQ(gTrail.trailDensity + gTrail.sparkliness * 10 + gTrail.numberOfTrails * 100, 111);
        EXPECT_EQ(gTrail.trailKinkiness, e[3] > 0 ? MAX_ATTRACTORS : 0);
    }
}

TEST_F(Presets, PaintingIsTheChanceInTenthsExceptForQuorlThreeDPreviewsAndThreeDMorphs) {
    uint32_t seed = 1;
    for (int index : {0, 4, 10, 11, 12, 15})
        for (int32_t mode : {0, 3, 10})
            for (int preview : {0, 1})
                for (int morph3D : {0, 1}) {
                    SCOPED_TRACE(testing::Message() << index << " mode " << mode << " preview " << preview
                                                    << " 3D morph " << morph3D);
                    const Preset &p = gPresets[index];
                    gPaintingMode = mode;
                    gPreviewMode = preview;
                    gMorphing = morph3D;
                    gMorphTo3D = 1;
                    gTrail.spiralTrail = p.spiralTrail;
                    gTrail.trailKinkiness = 0; // the painting roll is the only draw
                    SeedRand(++seed);
                    Lcg rng{seed};
                    for (int n = 0; n < 5; ++n) {
                        ChoosePaintMode(index);
                        const bool paint =
                            !(preview || p.is3D || morph3D) && (p.alwaysPaint || rng() % 10 < mode);
                        EXPECT_EQ(gPainting, paint ? 1 : 0);
                        EXPECT_EQ(gTrail.fadeSpeed, paint && !p.spiralTrail && index != 10 ? 0 : p.fadeSpeed);
                    }
                    EXPECT_EQ(Rand(), rng());
                }
    gPreviewMode = gMorphing = gMorphTo3D = 0;
}
