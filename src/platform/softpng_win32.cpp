// The Windows build has no libpng: its software device can be read back but not written to PNG.
#include "platform/softdevice.h"

bool SoftWriteRgbPng(const char *, const uint8_t *, uint32_t, uint32_t) {
    return false;
}
