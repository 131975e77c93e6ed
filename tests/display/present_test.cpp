#include "display_fixture.h"

namespace {

class Presentation : public SoftDisplay {
  protected:
    void SetUp() override {
        SoftDisplay::SetUp();
        gBackgroundBrightness = 0;
        ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    }
    // One frame with one white pixel at (x, y), as the frame drawing does it.
    static void DrawDot(uint32_t x, uint32_t y) {
        DDClearTarget();
        ASSERT_TRUE(DDLockTarget());
        DDPutPixel(static_cast<int32_t>(x), static_cast<int32_t>(y), DDPackColour(255, 255, 255), false);
        DDUnlockTarget();
        DDPresent();
    }
};

TEST_F(Presentation, FlippingShowsTheBackSurfaceAndPaintingDrawsOnTheScreenItself) {
    DrawDot(10, 10);
    EXPECT_EQ(FrontPixel(10, 10), 0xFFFFFFu);
    EXPECT_EQ(SoftDeviceCalls(SOFT_FLIP), 1u);
    DrawDot(20, 20); // the next frame is cleared: the old dot is gone
    EXPECT_EQ(FrontPixel(10, 10), 0u);
    EXPECT_EQ(FrontPixel(20, 20), 0xFFFFFFu);

    gPainting = 1;
    ASSERT_TRUE(DDLockTarget());
    DDPutPixel(30, 30, DDPackColour(255, 0, 0), false);
    DDUnlockTarget();
    DDPresent();
    EXPECT_EQ(SoftDeviceCalls(SOFT_FLIP), 2u) << "painting never flips";
    EXPECT_EQ(FrontPixel(30, 30), 0xFF0000u);
    EXPECT_EQ(FrontPixel(20, 20), 0xFFFFFFu) << "painted trails accumulate";
}

TEST_F(Presentation, BlueBackgroundClearCopiesTheGradient) {
    DDCleanUp();
    gBackgroundBrightness = 200;
    ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    gBlueBackground = 1;
    DrawDot(0, 0);
    EXPECT_EQ(FrontPixel(5, 479), 200u); // 200 x 479 / 480 + 0.5, truncated
    gBlueBackground = 0;
    DrawDot(0, 0);
    EXPECT_EQ(FrontPixel(5, 479), 0u);
}

TEST_F(Presentation, LostSurfacesAreRestoredAndTheFlipRetried) {
    SoftDeviceLoseSurfaces();
    DDPresent();
    EXPECT_EQ(SoftDeviceCalls(SOFT_FLIP), 2u);
    EXPECT_EQ(SoftDeviceCalls(SOFT_RESTORE), 1u); // the flipping chain comes back whole
}

TEST_F(Presentation, RetriesEndAfterThreeAndNeverFollowAFailedRestore) {
    SoftDeviceFail(SOFT_FLIP, DDERR_SURFACELOST, 0, -1); // a display that stays taken
    DDPresent();
    EXPECT_EQ(SoftDeviceCalls(SOFT_FLIP), 4u);
    SoftDeviceFail(SOFT_FLIP, DD_OK, 0, 0);

    SoftDeviceLoseSurfaces();
    SoftDeviceFail(SOFT_RESTORE, DDERR_GENERIC, 0, -1);
    DDPresent();
    EXPECT_EQ(SoftDeviceCalls(SOFT_FLIP), 5u);
    EXPECT_EQ(SoftDeviceCalls(SOFT_RESTORE), 1u);
}

TEST_F(Presentation, PreviewCopiesIntoTheWindowOnlyWhileTheSettingsAreInFront) {
    DDCleanUp();
    gPreviewMode = 1;
    const WindowHandle top = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x77));
    SoftDeviceSetDesktop(800, 600, 32);
    SoftDeviceSetClientRect({100, 50, 420, 290}); // half size
    SoftDeviceSetPreviewWindows(top, nullptr);
    ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    DDClearTarget();
    ASSERT_TRUE(DDLockTarget());
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            DDPutPixel(x, y, DDPackColour(0, 255, 0), false);
    DDUnlockTarget();
    DDPresent();
    EXPECT_EQ(FrontPixel(200, 100), 0u) << "another window is in front";
    EXPECT_EQ(SoftDeviceCalls(SOFT_BLT), 0u);

    SoftDeviceSetPreviewWindows(top, top);
    DDPresent();
    EXPECT_EQ(FrontPixel(100, 50), 0x00FF00u);
    EXPECT_EQ(FrontPixel(419, 289), 0x00FF00u);
    EXPECT_EQ(FrontPixel(420, 290), 0u);
    EXPECT_EQ(FrontPixel(99, 50), 0u);
}

TEST_F(Presentation, TearDownIsSafeAnyTimeAndLogsOnlyAFailedLevelChange) {
    SoftDeviceFail(SOFT_SET_COOPERATIVE_LEVEL, DDERR_NOEXCLUSIVEMODE);
    DDCleanUp();
    DDCleanUp();
    EXPECT_EQ(SoftDeviceLiveObjects(), 0);
    EXPECT_EQ(LogContents(), "6/12/2026 15:07:05> DDCleanUp: SetCooperativeLevel failed with error: "
                             "DDERR_NOEXCLUSIVEMODE\n");
    EXPECT_TRUE(RecordedBoxes().empty());
}

TEST_F(Presentation, TornDownDisplayIgnoresEveryOperationUntilTheNextSetUp) {
    SoftDeviceFail(SOFT_CREATE_OFFSCREEN, DDERR_OUTOFVIDEOMEMORY);
    DDDrawText("Quorl", "", 1.0f, true, 16, TEXT_SLOT_NAME, 0, true);
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_EQ(RecordedBoxes()[0].text,
              "Name surface DDCreateTextSurface failed with error: DDERR_OUTOFVIDEOMEMORY");
    EXPECT_EQ(SoftDeviceLiveObjects(), 0);

    uint32_t before[SOFT_CALL_COUNT];
    for (int c = 0; c < SOFT_CALL_COUNT; ++c)
        before[c] = SoftDeviceCalls(static_cast<SoftCall>(c));
    DDDrawText("Quorl", "", 1.0f, true, 16, TEXT_SLOT_NAME, 0, true); // reported once, not on every tick
    DDClearTarget();
    DDBltTextSlot(TEXT_SLOT_NAME);
    EXPECT_FALSE(DDLockTarget());
    DDUnlockTarget();
    DDPresent();
    for (int c = 0; c < SOFT_CALL_COUNT; ++c)
        EXPECT_EQ(SoftDeviceCalls(static_cast<SoftCall>(c)), before[c]) << "call " << c;
    EXPECT_EQ(RecordedBoxes().size(), 1u);

    ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    EXPECT_TRUE(DDLockTarget());
    DDUnlockTarget();
}

} // namespace
