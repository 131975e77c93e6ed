// Pixel formats: the analysis of a channel mask and the packing of 8-bit colours into pixel values. Set once
// per display set-up; DDPackColour runs for every particle colour, so it stays three divisions and three
// shifts.
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

static uint32_t PackChannel(uint32_t value, uint32_t divisor, uint32_t shift) {
    if (divisor == 0) return value << shift;
    return (value / divisor) << shift;
}

uint32_t DDPackColour(uint32_t red, uint32_t green, uint32_t blue) {
    return PackChannel(red, gDisplay.redDivisor, gDisplay.redShift) |
           PackChannel(green, gDisplay.greenDivisor, gDisplay.greenShift) |
           PackChannel(blue, gDisplay.blueDivisor, gDisplay.blueShift);
}
