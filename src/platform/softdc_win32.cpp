// GDI device contexts over software surfaces on Windows: a memory DC with a DIB section in the surface's
// format; the surface's pixels go in at GetDC and come back at ReleaseDC, so GDI text lands in the surface.
#include <cstring>
#include <windows.h>

#include "platform/softdevice.h"

struct SoftDC {
    HDC dc;
    HBITMAP bitmap, previous;
    uint8_t *bits;
    int32_t stride;
};
static SoftDC sDCs[4]; // a surface gives one DC at a time; a few surfaces at most hold one together

static void CopyRows(uint8_t *to, int32_t toPitch, const uint8_t *from, int32_t fromPitch, uint32_t rowBytes,
                     uint32_t rows) {
    for (uint32_t y = 0; y < rows; ++y)
        memcpy(to + static_cast<size_t>(y) * toPitch, from + static_cast<size_t>(y) * fromPitch, rowBytes);
}

int32_t SoftSurfaceGetDC(const DDLockDesc &pixels, const DDPixelFormat &format, void **dc) {
    *dc = nullptr;
    SoftDC *slot = nullptr;
    for (auto &s : sDCs)
        if (!s.dc) {
            slot = &s;
            break;
        }
    if (!slot) return DDERR_CANTCREATEDC;
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = static_cast<LONG>(pixels.width);
    info.header.biHeight = -static_cast<LONG>(pixels.height); // top-down, like the surface
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(format.bitCount);
    info.header.biCompression = format.bitCount == 16 ? BI_BITFIELDS : BI_RGB;
    info.masks[0] = format.redMask;
    info.masks[1] = format.greenMask;
    info.masks[2] = format.blueMask;
    void *bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory) return DDERR_CANTCREATEDC;
    HBITMAP bitmap =
        CreateDIBSection(memory, reinterpret_cast<BITMAPINFO *>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        DeleteDC(memory);
        return DDERR_CANTCREATEDC;
    }
    const uint32_t rowBytes = pixels.width * ((format.bitCount + 7) / 8);
    const int32_t stride = static_cast<int32_t>(((pixels.width * format.bitCount + 31) / 32) * 4);
    CopyRows(static_cast<uint8_t *>(bits), stride, pixels.surface, pixels.pitch, rowBytes, pixels.height);
    *slot = {memory, bitmap, static_cast<HBITMAP>(SelectObject(memory, bitmap)), static_cast<uint8_t *>(bits),
             stride};
    *dc = memory;
    return DD_OK;
}

void SoftSurfaceReleaseDC(const DDLockDesc &pixels, const DDPixelFormat &format, void *dc) {
    for (auto &s : sDCs) {
        if (s.dc != dc || !dc) continue;
        GdiFlush();
        const uint32_t rowBytes = pixels.width * ((format.bitCount + 7) / 8);
        CopyRows(pixels.surface, pixels.pitch, s.bits, s.stride, rowBytes, pixels.height);
        SelectObject(s.dc, s.previous);
        DeleteObject(s.bitmap);
        DeleteDC(s.dc);
        s = {};
    }
}
