#include <cmath>

#include "../display/display_fixture.h"
#include "session/session.h"

namespace {

class TrailDrawing : public SoftDisplay {
  protected:
    void SetUp() override {
        SoftDisplay::SetUp();
        gBackgroundBrightness = 0;
        ResetDrawForTests();
        gFrameRate = 0.0f;
        gTiltPhase = 0.0;
        gTrail = {};
        gMorphing = 0;
        gDoubleSize = gShowNames = gShowHints = gShowKeyHelp = 0;
        gClearRequest = 1;
        SetTrails(4);
        ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    }
    void TearDown() override {
        gTrailParticles = nullptr;
        gRotAngle = nullptr;
        gRotAngleCount = 0;
        gTrail = {};
        gMorphing = 0;
        gMorphProgress = 0.0;
        gMorphFrom3D = gMorphTo3D = 0;
        gDoubleSize = gShowNames = gShowHints = gShowKeyHelp = 0;
        SoftDisplay::TearDown();
    }
    // n copies evenly round the circle, as the rotation table holds them.
    void SetTrails(int n) {
        for (int i = 0; i < n; ++i) {
            const float a = static_cast<float>(i * TWO_PI / n);
            table_[i] = {a, a, a, {cosf(a), sinf(a), -sinf(a), cosf(a)}};
        }
        gRotAngle = table_;
        gRotAngleCount = static_cast<uint32_t>(n);
        gTrail.numberOfTrails = n;
    }
    // Particles newest first.
    void SetParticles(std::initializer_list<std::pair<double, double>> at, uint32_t colour = 0x123456) {
        particles_.assign(at.size(), TrailParticle{});
        size_t i = 0;
        for (const auto &xy : at) {
            particles_[i].x = xy.first;
            particles_[i].y = xy.second;
            particles_[i].colour = colour;
            ++i;
        }
        for (i = 0; i < particles_.size(); ++i)
            particles_[i].next = i + 1 < particles_.size() ? &particles_[i + 1] : nullptr;
        gTrailParticles = particles_.empty() ? nullptr : &particles_[0];
    }
    static int LitPixels() {
        int lit = 0;
        for (uint32_t y = 0; y < 480; ++y)
            for (uint32_t x = 0; x < 640; ++x)
                lit += FrontPixel(x, y) != 0;
        return lit;
    }
    RotAngle table_[8] = {};
    std::vector<TrailParticle> particles_;
};

TEST_F(TrailDrawing, ParticleAtTheCentreIsDrawnOnceAtTheCentrePixel) {
    SetParticles({{320.0, 240.0}});
    DrawTrails();
    EXPECT_EQ(FrontPixel(320, 240), 0x123456u);
    EXPECT_EQ(LitPixels(), 1);
}

TEST_F(TrailDrawing, FourTrailsRotateRightAboveLeftBelowInTableOrder) {
    SetParticles({{330.0, 240.0}});
    DrawTrails();
    EXPECT_EQ(FrontPixel(330, 240), 0x123456u);
    EXPECT_EQ(FrontPixel(320, 230), 0x123456u); // π/2: rows grow downwards, so above
    EXPECT_EQ(FrontPixel(310, 240), 0x123456u);
    EXPECT_EQ(FrontPixel(320, 250), 0x123456u);
    EXPECT_EQ(LitPixels(), 4);

    // An entry at the closing angle ends the copies of the particle: only those before it in the table show.
    table_[2].angle = 6.2731853f;
    DrawTrails();
    EXPECT_EQ(FrontPixel(330, 240), 0x123456u);
    EXPECT_EQ(FrontPixel(320, 230), 0x123456u);
    EXPECT_EQ(LitPixels(), 2);
}

TEST_F(TrailDrawing, DoubleSizeDrawsTwoByTwoAndSkipsTheLastColumnAndRow) {
    gDoubleSize = 1;
    SetTrails(1);
    SetParticles({{100.0, 100.0}, {639.0, 50.0}, {50.0, 479.0}, {638.0, 478.0}});
    DrawTrails();
    EXPECT_EQ(FrontPixel(101, 101), 0x123456u);
    EXPECT_EQ(FrontPixel(639, 479), 0x123456u);
    EXPECT_EQ(LitPixels(), 8);
}

TEST_F(TrailDrawing, SparklingParticlesAreWhiteAndNonFiniteOnesAreSkipped) {
    SetTrails(1);
    SetParticles({{NAN, 10.0}, {10.0, INFINITY}, {1e300, 1e300}, {20.0, 20.0}, {-0.4, 5.0}});
    particles_[3].sparkling = 1;
    DrawTrails();
    EXPECT_EQ(FrontPixel(20, 20), 0xFFFFFFu);
    EXPECT_EQ(FrontPixel(0, 5), 0x123456u); // -0.4 + 0.5 truncates to column 0
    EXPECT_EQ(LitPixels(), 2);
}

TEST_F(TrailDrawing, PaintingClearsOnlyOnRequestAndNeverFlips) {
    gPainting = 1;
    SetTrails(1);
    DDClearTarget();
    ASSERT_TRUE(DDLockTarget());
    DDPutPixel(5, 5, 0xFF, false); // left from before the request
    DDUnlockTarget();
    SetParticles({{10.0, 10.0}});
    DrawTrails();
    EXPECT_EQ(FrontPixel(5, 5), 0u) << "the pending clear request";
    EXPECT_EQ(gClearRequest, 0);
    SetParticles({{20.0, 20.0}});
    DrawTrails();
    EXPECT_EQ(FrontPixel(10, 10), 0x123456u) << "painted trails accumulate";
    EXPECT_EQ(FrontPixel(20, 20), 0x123456u);
    EXPECT_EQ(SoftDeviceCalls(SOFT_FLIP), 0u);
}

TEST_F(TrailDrawing, FailedLockSkipsTheFrameAndShownSlotsAreCopied) {
    SetParticles({{10.0, 10.0}});
    SoftDeviceFail(SOFT_LOCK, DDERR_SURFACEBUSY);
    DrawTrails();
    EXPECT_EQ(SoftDeviceCalls(SOFT_FLIP), 0u);
    EXPECT_EQ(SoftDeviceCalls(SOFT_UNLOCK), 0u);

    DDDrawText("Name", "", 1.0f, true, 16, TEXT_SLOT_NAME, 0, true);
    DDDrawText("Hint", "", 1.0f, true, 16, TEXT_SLOT_HINT, 255, true);
    DDDrawText(kKeyHelpLine1, "", 1.0f, true, 12, TEXT_SLOT_KEYHELP1, 0, true);
    DDDrawText(kKeyHelpLine2, "", 1.0f, true, 12, TEXT_SLOT_KEYHELP2, 0, true);
    const uint32_t before = SoftDeviceCalls(SOFT_BLT);
    gShowNames = 1;
    DrawTrails();
    EXPECT_EQ(SoftDeviceCalls(SOFT_BLT), before + 1);
    gShowHints = gShowKeyHelp = 1;
    DrawTrails();
    EXPECT_EQ(SoftDeviceCalls(SOFT_BLT), before + 5);
    EXPECT_EQ(SoftDeviceCalls(SOFT_FLIP), 2u);
}

TEST_F(TrailDrawing, FrameRateWindowOfTenPointTwoSecondsGivesFiftyAndElevenGivesZero) {
    const uint32_t t0 = ScriptedTime();
    DrawTrails(); // opens the window
    for (uint32_t i = 1; i < 510; ++i) {
        SetScriptedTime(t0 + i * 19);
        DrawTrails();
    }
    SetScriptedTime(t0 + 10200);
    DrawTrails();
    EXPECT_FLOAT_EQ(GetFrameRate(), 50.0f);
    SetScriptedTime(t0 + 10200 + 11000);
    DrawTrails();
    EXPECT_EQ(GetFrameRate(), 0.0f);
}

TEST_F(TrailDrawing, FirstRateAfterAMorphCountsOnlyItsOwnFrames) {
    uint32_t t = ScriptedTime() + 1;
    gMorphing = 1;
    for (int i = 0; i < 500; ++i, t += 10) {
        SetScriptedTime(t);
        DrawTrails();
    }
    gMorphing = 0;
    const uint32_t windowStart = t - 10;
    for (uint32_t k = 1; k < 510; ++k) {
        SetScriptedTime(windowStart + 19 * k);
        DrawTrails();
    }
    SetScriptedTime(windowStart + 10200);
    DrawTrails();
    EXPECT_FLOAT_EQ(GetFrameRate(), 50.0f); // not the 500 morph frames as well
}

TEST_F(TrailDrawing, TiltFlattensTheCopiesOntoAnEllipseAndMorphsBlendIt) {
    gTrail.is3D = 1;
    SetParticles({{330.0, 240.0}});
    DrawTrails(); // tilt = 0.3 sin(0.015): the copy above the centre is pulled onto the particle's row
    EXPECT_NEAR(gTiltPhase, 0.015, 1e-12);
    EXPECT_EQ(FrontPixel(320, 240), 0x123456u);
    EXPECT_EQ(FrontPixel(320, 230), 0u);

    gMorphing = 1;
    gMorphFrom3D = 0;
    gMorphTo3D = 1;
    gMorphProgress = 0.0; // still flat
    DrawTrails();
    EXPECT_EQ(FrontPixel(320, 230), 0x123456u);
    gMorphFrom3D = 1;
    gMorphTo3D = 0; // leaving 3D, at its start
    DrawTrails();
    EXPECT_EQ(FrontPixel(320, 230), 0u);
    EXPECT_EQ(FrontPixel(320, 240), 0x123456u);
}

} // namespace
