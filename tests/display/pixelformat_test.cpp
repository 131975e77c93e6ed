// Colour packing at each depth against a model that divides as the channel widths say, over every 8-bit
// value.
#include <gtest/gtest.h>

#include "display/display.h"

namespace {

struct FormatCase {
    uint32_t bits, red, green, blue;
};

// The channel's top bits at its place; a channel wider than 8 bits takes the value in its top 8 bits.
uint32_t ModelChannel(uint32_t value, uint32_t mask) {
    uint32_t low = 0, width = 0;
    while (!(mask >> low & 1))
        ++low;
    while (low + width < 32 && (mask >> (low + width) & 1))
        ++width;
    return width <= 8 ? (value / (256u >> width)) << low : value << (low + width - 8);
}

TEST(PixelFormat, PackingMatchesTheChannelWidthsAtEveryDepth) {
    const FormatCase cases[] = {
        {16, 0xF800, 0x07E0, 0x001F},
        {16, 0x7C00, 0x03E0, 0x001F},
        {24, 0xFF0000, 0x00FF00, 0x0000FF},
        {32, 0xFF0000, 0x00FF00, 0x0000FF},
        {32, 0x0000FF, 0x00FF00, 0xFF0000},
        {32, 0x3FF00000, 0x000FFC00, 0x000003FF}, // 10-bit channels
        {32, 0xFF000000, 0x00FF0000, 0x0000FFFF}, // a 16-bit channel
    };
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bpp red " << std::hex << c.red);
        const DDPixelFormat format = {c.bits, c.red, c.green, c.blue};
        DDSetPixelFormat(&format);
        EXPECT_EQ(gDisplay.bytesPerPixel, c.bits / 8);
        for (uint32_t v = 0; v < 256; ++v) {
            const uint32_t r = v, g = (v * 7) & 255, b = 255 - v;
            ASSERT_EQ(DDPackColour(r, g, b),
                      ModelChannel(r, c.red) | ModelChannel(g, c.green) | ModelChannel(b, c.blue))
                << v;
        }
    }
    gDisplay = {};
}

} // namespace
