#include <gtest/gtest.h>

#include <string>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/softdevice.h"
#include "session/session_fixture.h"

namespace {

class Hints : public SessionTest {
  protected:
    static std::string Hint() {
        char text[HINT_TEXT_LEN];
        GetPerformanceHint(text, sizeof text);
        return text;
    }
    // A later call after a frame-rate measurement of `rate` frames per second.
    static std::string HintAfterRate(float rate) {
        SetMeasuredFrameRate(rate);
        return Hint();
    }
    static void SetMeasuredFrameRate(float rate) { gFrameRate = rate; }
    static void SetDesktopSize(uint32_t width, uint32_t height) { SoftDeviceSetDesktop(width, height, 32); }
    static void StartUpCallDone() {
        SetDesktopSize(640, 480);
        snprintf(gResolution, sizeof gResolution, "640 x 480");
        ASSERT_EQ(Hint(), "");
    }
};

TEST_F(Hints, StartUpHintNamesTheDesktopSizeWhenResolutionDiffers) {
    SetDesktopSize(1024, 768);
    snprintf(gResolution, sizeof gResolution, "800 x 600");
    EXPECT_EQ(Hint(), "HINT: Try a resolution of 1024 x 768");
    // The text is compared byte for byte: the same size written otherwise still differs.
    ResetHintsForTests();
    SetDesktopSize(800, 600);
    snprintf(gResolution, sizeof gResolution, "800x600");
    EXPECT_EQ(Hint(), "HINT: Try a resolution of 800 x 600");
    ResetHintsForTests();
    snprintf(gResolution, sizeof gResolution, "800 x 600");
    EXPECT_EQ(Hint(), "");
}

TEST_F(Hints, TheStartUpHintStaysUntilASlowFrameRateReplacesIt) {
    SetDesktopSize(1024, 768);
    snprintf(gResolution, sizeof gResolution, "640 x 480");
    EXPECT_EQ(Hint(), "HINT: Try a resolution of 1024 x 768");
    EXPECT_EQ(HintAfterRate(0.0f), "HINT: Try a resolution of 1024 x 768");
    EXPECT_EQ(HintAfterRate(45.0f), "HINT: Try a resolution of 1024 x 768");
    EXPECT_EQ(HintAfterRate(19.5f), "HINT: Try a lower resolution");
}

TEST_F(Hints, ANoMeasurementNeverLowersTheLowestRate) {
    StartUpCallDone();
    HintAfterRate(0.0f);
    EXPECT_EQ(gLowestFrameRate, HINT_START_LOWEST_RATE);
    HintAfterRate(30.0f);
    HintAfterRate(0.0f);
    HintAfterRate(50.0f);
    EXPECT_EQ(gLowestFrameRate, 30.0f);
}

TEST_F(Hints, SlowFramesAdviseAgainstDoubleSizeThenABlueBackground) {
    SetDesktopSize(640, 480);
    StoreSettings("\"Double Size\"=dword:00000001\n\"Random Background\"=dword:00000000\n");
    ASSERT_NE(Create(), -1); // the start-up call: no hint
    ASSERT_EQ(gBlueBackground, 1);
    EXPECT_EQ(HintAfterRate(12.0f), "HINT: Don't draw double size particles");
    // The D key: double size off and the rate judged afresh; the hint stays until a new slow measurement.
    Key('D');
    EXPECT_EQ(gDoubleSize, 0);
    EXPECT_EQ(gLowestFrameRate, HINT_RATE_AFTER_DOUBLE_SIZE);
    EXPECT_EQ(HintAfterRate(0.0f), "HINT: Don't draw double size particles");
    EXPECT_EQ(HintAfterRate(25.0f), "HINT: Don't draw double size particles");
    EXPECT_EQ(HintAfterRate(15.0f), "HINT: Try a black background");
    // Never withdrawn, even when the rate recovers.
    EXPECT_EQ(HintAfterRate(60.0f), "HINT: Try a black background");
}

TEST_F(Hints, ASlowSaverThatNeverDrewDoubleSizeKeepsAskingForALowerResolution) {
    StartUpCallDone();
    gBlueBackground = 1;
    EXPECT_EQ(HintAfterRate(19.5f), "HINT: Try a lower resolution");
    EXPECT_EQ(HintAfterRate(10.0f), "HINT: Try a lower resolution");
}

TEST_F(Hints, ThePreviewNeverHints) {
    gPreviewMode = 1;
    SetDesktopSize(1024, 768);
    snprintf(gResolution, sizeof gResolution, "640 x 480");
    EXPECT_EQ(Hint(), "");
    EXPECT_EQ(HintAfterRate(5.0f), ""); // every preview call is a start-up call
    gPreviewMode = 0;
}

} // namespace
