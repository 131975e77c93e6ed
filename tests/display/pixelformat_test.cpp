#include <gtest/gtest.h>

#include "display/display.h"

namespace {

void UseMasks(uint32_t red, uint32_t green, uint32_t blue) {
    DDAnalyseMask(red, &gDisplay.redShift, &gDisplay.redDivisor);
    DDAnalyseMask(green, &gDisplay.greenShift, &gDisplay.greenDivisor);
    DDAnalyseMask(blue, &gDisplay.blueShift, &gDisplay.blueDivisor);
}

struct MaskCase {
    uint32_t mask, shift, divisor;
};

TEST(PixelFormat, MaskAnalysisOfCommonFormats) {
    const MaskCase cases[] = {
        {0xF800, 11, 8},   {0x07E0, 5, 4},   {0x001F, 0, 8},   // 5-6-5
        {0x7C00, 10, 8},   {0x03E0, 5, 8},                     // 5-5-5
        {0xFF0000, 16, 1}, {0x00FF00, 8, 1}, {0x0000FF, 0, 1}, // 8-8-8
        {0, 0, 1},                                             // no channel
    };
    for (const MaskCase &c : cases) {
        uint32_t shift = 99, divisor = 99;
        DDAnalyseMask(c.mask, &shift, &divisor);
        EXPECT_EQ(shift, c.shift) << std::hex << c.mask;
        EXPECT_EQ(divisor, c.divisor) << std::hex << c.mask;
    }
}

TEST(PixelFormat, PackingKeepsTheTopBitsOfEachChannel) {
    UseMasks(0xF800, 0x07E0, 0x001F);
    EXPECT_EQ(DDPackColour(255, 255, 255), 0xFFFFu);
    EXPECT_EQ(DDPackColour(128, 128, 128), 0x8410u);
    EXPECT_EQ(DDPackColour(0, 0, 0), 0u);
    UseMasks(0xFF0000, 0x00FF00, 0x0000FF);
    EXPECT_EQ(DDPackColour(255, 128, 0), 0xFF8000u);
    EXPECT_EQ(DDPackColour(0, 0, 0), 0u);
    UseMasks(0x7C00, 0x03E0, 0x001F);
    EXPECT_EQ(DDPackColour(255, 255, 255), 0x7FFFu);
}

TEST(PixelFormat, ChannelWiderThanEightBitsIsShiftedUpInsteadOfDividedByZero) {
    uint32_t shift = 0, divisor = 1;
    DDAnalyseMask(0x3FF00000, &shift, &divisor); // 10-bit channel at bit 20
    EXPECT_EQ(divisor, 0u);
    EXPECT_EQ(shift, 22u);
    DDAnalyseMask(0xFFFFFFFF, &shift, &divisor); // a full-width mask stops at bit 31
    EXPECT_EQ(divisor, 0u);
    EXPECT_EQ(shift, 24u);
    UseMasks(0x3FF00000, 0x000FFC00, 0x000003FF);
    EXPECT_EQ(DDPackColour(255, 255, 255), (0xFFu << 22) | (0xFFu << 12) | (0xFFu << 2));
}

} // namespace
