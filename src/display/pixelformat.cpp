// Pixel formats: the analysis of a channel mask and the packing of 8-bit colours into pixel values. Set once
// per display set-up; DDPackColour runs for every particle colour, so it is three shifts each way and no
// division: every divisor is a power of two, dropped as bits.
#include <bit>

#include "display/display.h"

void DDAnalyseMask(uint32_t mask, uint32_t *shift, uint32_t *divisor) {
    *shift = 0;
    *divisor = 1;
    if (mask == 0) return;
    uint32_t s = 0;
    while (!(mask & (1u << s)))
        ++s;
    uint32_t width = 0;
    while (s + width < 32 && (mask & (1u << (s + width))))
        ++width;
    *shift = s;
    *divisor = width <= 8 ? 256u >> width : 0u;
    // A channel wider than 8 bits has divisor 0 (256 / 2^width): its 8-bit value is shifted up to the
    // channel's top bits instead of being divided.
    if (width > 8) *shift = s + (width - 8);
}

// Divisor 0 (a wide channel) and 1 drop nothing.
static uint32_t DropOf(uint32_t divisor) {
    return divisor > 1 ? static_cast<uint32_t>(std::countr_zero(divisor)) : 0u;
}

void DDSetPixelFormat(const DDPixelFormat *format) {
    DDAnalyseMask(format->redMask, &gDisplay.redShift, &gDisplay.redDivisor);
    DDAnalyseMask(format->greenMask, &gDisplay.greenShift, &gDisplay.greenDivisor);
    DDAnalyseMask(format->blueMask, &gDisplay.blueShift, &gDisplay.blueDivisor);
    gDisplay.redDrop = DropOf(gDisplay.redDivisor);
    gDisplay.greenDrop = DropOf(gDisplay.greenDivisor);
    gDisplay.blueDrop = DropOf(gDisplay.blueDivisor);
    // From the format, not from the pitch: right also on surfaces whose rows are padded.
    gDisplay.bytesPerPixel = (format->bitCount + 7) / 8;
}

uint32_t DDPackColour(uint32_t red, uint32_t green, uint32_t blue) {
    return (red >> gDisplay.redDrop) << gDisplay.redShift |
           (green >> gDisplay.greenDrop) << gDisplay.greenShift |
           (blue >> gDisplay.blueDrop) << gDisplay.blueShift;
}
