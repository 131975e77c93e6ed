// Display set-up: the device, the display mode, the surfaces and the pixel format, settled once per saver
// window (DDInit), plus the display sizes for the settings dialog. Every failure is reported through
// DDInitFail with its exact text; set-up never leaves a half-built display behind.
#include <cstdio>
#include <cstring>

#include "display/display.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/window.h"

#define FAIL_WITH(text, result)                                                                              \
    do {                                                                                                     \
        DDInitFail(text, DDErrorName(result));                                                               \
        return false;                                                                                        \
    } while (0)

void DDUpdatePreviewRect() {
    DisplayDevice()->clientRectOnScreen(gDisplay.window, &gDisplay.previewRect);
}

void DDEnumModesCallback(const DDModeDesc *mode) {
    if (mode->width == gDisplay.width && mode->height == gDisplay.height && mode->redMask &&
        mode->greenMask && mode->blueMask) {
        if (mode->bitCount == 16) gDisplay.offered16 = 1;
        if (mode->bitCount == 24) gDisplay.offered24 = 1;
        if (mode->bitCount == 32) gDisplay.offered32 = 1;
    }
    if (mode->width < 640 || mode->height < 480 || mode->bitCount <= 8) return;
    char size[MODE_TEXT_LEN];
    snprintf(size, sizeof size, "%lu x %lu", static_cast<unsigned long>(mode->width),
             static_cast<unsigned long>(mode->height));
    for (uint32_t i = 0; i < gDisplay.modeCount; ++i)
        if (strcmp(gDisplay.modeList[i], size) == 0) return;
    if (gDisplay.modeCount >= MODE_LIST_SIZE) return; // a full list drops further sizes
    memcpy(gDisplay.modeList[gDisplay.modeCount++], size, sizeof size);
}

void DDGetResolutions(char list[MODE_LIST_SIZE][MODE_TEXT_LEN], uint32_t *count) {
    if (gDisplay.modeCount == 0) {
        // A device of its own for the enumeration, so a display that is set up keeps its device.
        const DisplayDeviceBackend *dd = DisplayDevice();
        DDDevice *device = nullptr;
        int32_t r = dd->create(&device);
        if (DDFailed(r)) {
            DDInitFail("DDGetResolutions: DirectDrawCreate failed with error: %s", DDErrorName(r));
        } else {
            r = dd->enumDisplayModes(device, 0, 0, DDEnumModesCallback);
            dd->releaseDevice(device);
            if (DDFailed(r))
                DDInitFail("DDGetResolutions: EnumDisplayModes failed with error: %s", DDErrorName(r));
        }
    }
    memcpy(list, gDisplay.modeList, sizeof gDisplay.modeList);
    *count = gDisplay.modeCount;
}

void DDPutPixel(int32_t x, int32_t y, uint32_t colour, bool doubled) {
    const int32_t limitX = static_cast<int32_t>(gDisplay.width) - (doubled ? 1 : 0);
    const int32_t limitY = static_cast<int32_t>(gDisplay.height) - (doubled ? 1 : 0);
    if (x < 0 || y < 0 || x >= limitX || y >= limitY) return;
    const uint32_t n = gDisplay.bytesPerPixel;
    const int32_t pitch = gDisplay.lockDesc.pitch;
    uint8_t *at =
        gDisplay.lockDesc.surface + static_cast<ptrdiff_t>(y) * pitch + static_cast<ptrdiff_t>(x) * n;
    for (uint32_t i = 0; i < n; ++i)
        at[i] = static_cast<uint8_t>(colour >> (8 * i));
    if (!doubled) return;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t b = static_cast<uint8_t>(colour >> (8 * i));
        at[n + i] = b;
        at[pitch + i] = b;
        at[pitch + n + i] = b;
    }
}

void DDPaintBgSurface() {
    const DisplayDeviceBackend *dd = DisplayDevice();
    if (!gDisplay.bgSurface || DDFailed(dd->lock(gDisplay.bgSurface, &gDisplay.lockDesc))) return;
    for (uint32_t y = 0; y < gDisplay.height; ++y) {
        const double level = static_cast<double>(gBackgroundBrightness) * y / gDisplay.height + 0.5;
        const uint32_t colour = DDPackColour(0, 0, static_cast<uint32_t>(level));
        for (uint32_t x = 0; x < gDisplay.width; ++x)
            DDPutPixel(static_cast<int32_t>(x), static_cast<int32_t>(y), colour, false);
    }
    dd->unlock(gDisplay.bgSurface);
}

bool DDCreateBgSurface() {
    const int32_t r = DisplayDevice()->createOffscreen(gDisplay.device, gDisplay.width, gDisplay.height,
                                                       &gDisplay.bgSurface);
    if (DDFailed(r)) FAIL_WITH("DDCreateBgSurface failed with error: %s", r);
    DDPaintBgSurface(); // a failed lock leaves it unfilled
    return true;
}

bool DDCreateSurfaces() {
    const DisplayDeviceBackend *dd = DisplayDevice();
    const bool fullScreen = !gPreviewMode;
    int32_t r = dd->createPrimary(gDisplay.device, fullScreen, &gDisplay.primary);
    if (DDFailed(r)) FAIL_WITH("CreateSurface failed with error: %s", r);
    if (fullScreen) {
        r = dd->getAttachedBackBuffer(gDisplay.primary, &gDisplay.back);
        if (DDFailed(r)) FAIL_WITH("GetAttachedSurface failed with error: %s", r);
    } else {
        r = dd->createOffscreen(gDisplay.device, gDisplay.width, gDisplay.height, &gDisplay.back);
        if (DDFailed(r)) FAIL_WITH("Back surface CreateSurface failed with error: %s", r);
    }
    DDPixelFormat format{};
    r = dd->getPixelFormat(gDisplay.primary, &format);
    if (DDFailed(r)) FAIL_WITH("GetPixelFormat failed with error: %s", r);
    DDSetPixelFormat(&format);
    if (gBackgroundBrightness > 0 && !DDCreateBgSurface()) {
        DDInitFail("DDCreateBgSurface failed\n");
        return false;
    }
    return true;
}

bool DDInit(WindowHandle window, uint32_t width, uint32_t height) {
    const DisplayDeviceBackend *dd = DisplayDevice();
    if (gDisplay.device) DDCleanUp(); // a second set-up replaces the first, releasing it first
    gDisplay.window = window;
    if (gPreviewMode) gDisplay.previewTopWindow = dd->previewTopWindow(window);
    gDisplay.width = width;
    gDisplay.height = height;
    // Values of this display, set anew at every set-up.
    gDisplay.centreX = static_cast<float>(width) * 0.5f;
    gDisplay.centreY = static_cast<float>(height) * 0.5f;
    gDisplay.offered16 = gDisplay.offered24 = gDisplay.offered32 = 0;
    gDisplay.bytesPerPixel = 0;
    gDisplay.refreshRate = PlatformRefreshRate(); // asking on every frame costs a round trip to the system
    uint32_t desktopWidth = 0, desktopHeight = 0, desktopBits = 0;
    dd->desktopMode(&desktopWidth, &desktopHeight, &desktopBits);

    int32_t r = dd->create(&gDisplay.device);
    if (DDFailed(r)) FAIL_WITH("DirectDrawCreate failed with error: %s", r);
    r = dd->setCooperativeLevel(gDisplay.device, window, gPreviewMode ? DDCOOP_NORMAL : DDCOOP_FULLSCREEN);
    if (DDFailed(r)) FAIL_WITH("SetCooperativeLevel failed with error: %s", r);
    if (gPreviewMode) DDUpdatePreviewRect();
    r = dd->enumDisplayModes(gDisplay.device, width, height, DDEnumModesCallback);
    if (DDFailed(r)) FAIL_WITH("EnumDisplayModes failed with error: %s", r);

    uint32_t depth = gDisplay.offered32 ? 32 : gDisplay.offered24 ? 24 : gDisplay.offered16 ? 16 : 0;
    if (depth == 0) {
        DDInitFail("A screen resolution of 640x480 with a colour depth of 16 or 24 bits per pixel is not "
                   "supported by your hardware.");
        return false;
    }
    // The desktop's own depth wins where this size offers it.
    if ((desktopBits == 32 && gDisplay.offered32) || (desktopBits == 24 && gDisplay.offered24) ||
        (desktopBits == 16 && gDisplay.offered16))
        depth = desktopBits;

    if (gPreviewMode) {
        if (DDFailed(dd->setDisplayMode(gDisplay.device, desktopWidth, desktopHeight, desktopBits))) {
            DDCleanUp();
            return false;
        }
    } else {
        r = dd->setDisplayMode(gDisplay.device, width, height, depth);
        if (DDFailed(r)) FAIL_WITH("SetDisplayMode failed with error: %s", r);
    }
    if (!DDCreateSurfaces()) return false;
    gDisplay.ready = 1;
    return true;
}
