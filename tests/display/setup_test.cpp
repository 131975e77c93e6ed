#include "display_fixture.h"

namespace {

DDModeDesc Mode(uint32_t w, uint32_t h, uint32_t bits) {
    if (bits == 16) return {w, h, 16, 0xF800, 0x07E0, 0x001F};
    if (bits == 8) return {w, h, 8, 0, 0, 0};
    return {w, h, bits, 0xFF0000, 0x00FF00, 0x0000FF};
}

using DisplaySetUp = SoftDisplay;

TEST_F(DisplaySetUp, DepthFollowsTheDesktopWhereThisSizeOffersIt) {
    struct Case {
        std::vector<uint32_t> offered;
        uint32_t desktopBits, expected;
    };
    const Case cases[] = {
        {{16, 32}, 32, 32}, {{16, 32}, 16, 16}, {{16, 32}, 24, 32}, {{16, 32}, 8, 32},
        {{16, 24}, 32, 24}, {{16}, 32, 16},     {{24, 32}, 16, 32},
    };
    for (const Case &c : cases) {
        std::vector<DDModeDesc> modes;
        for (uint32_t bits : c.offered)
            modes.push_back(Mode(800, 600, bits));
        SoftDeviceSetModes(modes.data(), static_cast<int>(modes.size()));
        SoftDeviceSetDesktop(1024, 768, c.desktopBits);
        ASSERT_TRUE(DDInit(TestWindow(), 800, 600));
        uint32_t w, h, bits;
        SoftDeviceCurrentMode(&w, &h, &bits);
        EXPECT_EQ(bits, c.expected) << "desktop " << c.desktopBits;
        EXPECT_EQ(gDisplay.bytesPerPixel, c.expected / 8);
        EXPECT_EQ(SoftDeviceCooperativeLevel(), DDCOOP_FULLSCREEN);
        DDCleanUp();
    }
    EXPECT_TRUE(RecordedBoxes().empty());
}

TEST_F(DisplaySetUp, SizeOfferedOnlyAtEightBitsOrWithoutMasksFailsWithTheDepthTextWhateverTheSize) {
    DDModeDesc modes[] = {Mode(1024, 768, 8), {1024, 768, 16, 0, 0x07E0, 0x001F}, Mode(640, 480, 32)};
    SoftDeviceSetModes(modes, 3);
    EXPECT_FALSE(DDInit(TestWindow(), 1024, 768));
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_EQ(RecordedBoxes()[0].text,
              "A screen resolution of 640x480 with a colour depth of 16 or 24 bits per "
              "pixel is not supported by your hardware.");
    EXPECT_EQ(SoftDeviceLiveObjects(), 0);
    EXPECT_FALSE(gDisplay.offered16 || gDisplay.offered24 || gDisplay.offered32);
}

TEST_F(DisplaySetUp, OfferedDepthsAreSettledAnewAtEachSetUp) {
    DDModeDesc modes[] = {Mode(800, 600, 32), Mode(640, 480, 16)};
    SoftDeviceSetModes(modes, 2);
    ASSERT_TRUE(DDInit(TestWindow(), 800, 600));
    DDCleanUp();
    // 640 x 480 is offered at 16 bits only; what 800 x 600 offered must not leak into this choice.
    ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    uint32_t w, h, bits;
    SoftDeviceCurrentMode(&w, &h, &bits);
    EXPECT_EQ(bits, 16u);
    EXPECT_FALSE(gDisplay.offered32);
}

TEST_F(DisplaySetUp, ModeListSkipsSmallAndPalettisedModesAndKeepsFirstReportOrder) {
    DDModeDesc modes[] = {Mode(1024, 768, 8), Mode(800, 600, 16), Mode(640, 400, 32), Mode(320, 240, 32),
                          Mode(800, 600, 24), Mode(640, 480, 32), Mode(800, 600, 32), Mode(1024, 768, 16)};
    SoftDeviceSetModes(modes, 8);
    char list[MODE_LIST_SIZE][MODE_TEXT_LEN];
    uint32_t count = 0;
    DDGetResolutions(list, &count);
    ASSERT_EQ(count, 3u);
    EXPECT_STREQ(list[0], "800 x 600");
    EXPECT_STREQ(list[1], "640 x 480");
    EXPECT_STREQ(list[2], "1024 x 768");
    EXPECT_EQ(list[3][0], '\0');
    // Filled once per process: a second call does not enumerate again.
    DDGetResolutions(list, &count);
    EXPECT_EQ(SoftDeviceCalls(SOFT_ENUM_DISPLAY_MODES), 1u);
    EXPECT_EQ(SoftDeviceLiveObjects(), 0);
}

TEST_F(DisplaySetUp, FullModeListDropsFurtherSizes) {
    std::vector<DDModeDesc> modes;
    for (uint32_t i = 0; i < 25; ++i)
        modes.push_back(Mode(640 + 16 * i, 480, 32));
    SoftDeviceSetModes(modes.data(), 25);
    char list[MODE_LIST_SIZE][MODE_TEXT_LEN];
    uint32_t count = 0;
    DDGetResolutions(list, &count);
    EXPECT_EQ(count, 20u);
    EXPECT_STREQ(list[19], "944 x 480");
}

TEST_F(DisplaySetUp, SoftwareDeviceOffersTheCommonSizesOnce) {
    char list[MODE_LIST_SIZE][MODE_TEXT_LEN];
    uint32_t count = 0;
    DDGetResolutions(list, &count);
    ASSERT_EQ(count, 17u);
    EXPECT_STREQ(list[0], "640 x 480");
    EXPECT_STREQ(list[12], "1920 x 1080");
    EXPECT_STREQ(list[16], "3840 x 2160");
    // Any reasonable size asked for is offered at every depth, whatever the screen's own modes.
    SoftDeviceSetDesktop(1920, 1080, 16);
    ASSERT_TRUE(DDInit(TestWindow(), 1000, 700));
    EXPECT_TRUE(gDisplay.offered16 && gDisplay.offered24 && gDisplay.offered32);
    EXPECT_EQ(gDisplay.bytesPerPixel, 2u);
}

TEST_F(DisplaySetUp, EveryFailureGivesItsTextOneBoxOneLogLineAndLeavesNothingAllocated) {
    struct Case {
        SoftCall call;
        int skip;
        int preview;
        const char *text;
    };
    const Case cases[] = {
        {SOFT_CREATE, 0, 0, "DirectDrawCreate failed with error: DDERR_GENERIC"},
        {SOFT_SET_COOPERATIVE_LEVEL, 0, 0, "SetCooperativeLevel failed with error: DDERR_GENERIC"},
        {SOFT_ENUM_DISPLAY_MODES, 0, 0, "EnumDisplayModes failed with error: DDERR_GENERIC"},
        {SOFT_SET_DISPLAY_MODE, 0, 0, "SetDisplayMode failed with error: DDERR_GENERIC"},
        {SOFT_CREATE_PRIMARY, 0, 0, "CreateSurface failed with error: DDERR_GENERIC"},
        {SOFT_GET_ATTACHED_SURFACE, 0, 0, "GetAttachedSurface failed with error: DDERR_GENERIC"},
        {SOFT_CREATE_OFFSCREEN, 0, 1, "Back surface CreateSurface failed with error: DDERR_GENERIC"},
        {SOFT_GET_PIXEL_FORMAT, 0, 0, "GetPixelFormat failed with error: DDERR_GENERIC"},
    };
    for (const Case &c : cases) {
        ClearRecordedBoxes();
        InstallTemporaryLog();
        SoftDeviceFail(c.call, DDERR_GENERIC, c.skip, 1);
        gPreviewMode = c.preview;
        EXPECT_FALSE(DDInit(TestWindow(), 640, 480)) << c.text;
        ASSERT_EQ(RecordedBoxes().size(), 1u) << c.text;
        EXPECT_EQ(RecordedBoxes()[0].text, c.text);
        EXPECT_EQ(RecordedBoxes()[0].title, "Initialisation Error");
        EXPECT_EQ(RecordedBoxes()[0].style, MBOX_OK | MBOX_ICONERROR);
        EXPECT_EQ(LogContents(), "6/12/2026 15:07:05> DDInitFail: " + std::string(c.text) + "\n");
        EXPECT_EQ(SoftDeviceLiveObjects(), 0) << c.text;
        EXPECT_FALSE(gDisplay.ready);
    }
}

TEST_F(DisplaySetUp, BackgroundSurfaceFailureGivesItsOwnTextThenTheSetUpText) {
    SoftDeviceFail(SOFT_CREATE_OFFSCREEN, DDERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(DDInit(TestWindow(), 640, 480));
    ASSERT_EQ(RecordedBoxes().size(), 2u);
    EXPECT_EQ(RecordedBoxes()[0].text, "DDCreateBgSurface failed with error: DDERR_OUTOFVIDEOMEMORY");
    EXPECT_EQ(RecordedBoxes()[1].text, "DDCreateBgSurface failed\n");
    EXPECT_EQ(LogContents(), "6/12/2026 15:07:05> DDInitFail: DDCreateBgSurface failed with error: "
                             "DDERR_OUTOFVIDEOMEMORY\n"
                             "6/12/2026 15:07:05> DDInitFail: DDCreateBgSurface failed\n\n");
    EXPECT_EQ(SoftDeviceLiveObjects(), 0);
}

TEST_F(DisplaySetUp, PreviewModeFailureIsSilentAndPreviewUsesTheDesktopMode) {
    gPreviewMode = 1;
    SoftDeviceSetDesktop(1280, 1024, 32);
    SoftDeviceFail(SOFT_SET_DISPLAY_MODE, DDERR_INVALIDMODE);
    EXPECT_FALSE(DDInit(TestWindow(), 640, 480));
    EXPECT_TRUE(RecordedBoxes().empty());
    EXPECT_EQ(LogContents(), "");
    EXPECT_EQ(SoftDeviceLiveObjects(), 0);

    ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    uint32_t w, h, bits;
    SoftDeviceCurrentMode(&w, &h, &bits);
    EXPECT_EQ(w, 1280u);
    EXPECT_EQ(h, 1024u);
    EXPECT_EQ(SoftDeviceCooperativeLevel(), DDCOOP_NORMAL);
}

TEST_F(DisplaySetUp, GradientRunsFromBlackToNearlyTheBrightness) {
    gBackgroundBrightness = 255;
    ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    ASSERT_NE(gDisplay.bgSurface, nullptr);
    DDLockDesc d;
    ASSERT_EQ(SoftDisplayDevice()->lock(gDisplay.bgSurface, &d), DD_OK);
    EXPECT_EQ(PixelAt(d, 4, 0, 0), 0u);
    EXPECT_EQ(PixelAt(d, 4, 639, 240), 128u);
    EXPECT_EQ(PixelAt(d, 4, 17, 479), 254u);
    SoftDisplayDevice()->unlock(gDisplay.bgSurface);
    DDCleanUp();

    gBackgroundBrightness = 0;
    ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    EXPECT_EQ(gDisplay.bgSurface, nullptr);
}

TEST_F(DisplaySetUp, PixelWritesStayInsideTheDisplayAndDoubleAsTwoByTwo) {
    gBackgroundBrightness = 0;
    DDModeDesc modes[] = {Mode(640, 480, 16)};
    SoftDeviceSetModes(modes, 1);
    SoftDeviceSetPitchPadding(64); // rows longer than width x bytes per pixel
    ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    ASSERT_TRUE(DDLockTarget());
    const DDLockDesc d = gDisplay.lockDesc;
    EXPECT_EQ(d.pitch, 640 * 2 + 64);
    EXPECT_EQ(gDisplay.bytesPerPixel, 2u);
    DDPutPixel(639, 10, 0xF800, false);
    DDPutPixel(639, 20, 0x07E0, true); // last column: no room for the double
    DDPutPixel(3, 479, 0x07E0, true);  // last row: the same
    DDPutPixel(-1, 5, 0x001F, false);
    DDPutPixel(100, 30, 0xABCD, true);
    EXPECT_EQ(PixelAt(d, 2, 639, 10), 0xF800u);
    EXPECT_EQ(PixelAt(d, 2, 639, 20), 0u);
    EXPECT_EQ(PixelAt(d, 2, 3, 479), 0u);
    EXPECT_EQ(PixelAt(d, 2, 0, 5), 0u);
    for (uint32_t dy = 0; dy < 2; ++dy)
        for (uint32_t dx = 0; dx < 2; ++dx)
            EXPECT_EQ(PixelAt(d, 2, 100 + dx, 30 + dy), 0xABCDu);
    EXPECT_EQ(PixelAt(d, 2, 102, 30), 0u);
    EXPECT_EQ(DDPackColour(128, 128, 128), 0x8410u);
    DDUnlockTarget();
}

TEST_F(DisplaySetUp, SecondSetUpReleasesTheFirst) {
    ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    const int live = SoftDeviceLiveObjects();
    ASSERT_TRUE(DDInit(TestWindow(), 800, 600));
    EXPECT_EQ(SoftDeviceLiveObjects(), live);
    EXPECT_EQ(gDisplay.centreX, 400.0f);
    EXPECT_EQ(gDisplay.centreY, 300.0f);
}

} // namespace
