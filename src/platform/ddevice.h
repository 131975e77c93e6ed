// The display-device seam: a DirectDraw-shaped device (create, cooperative level, modes, surfaces, pixel
// format, lock, fills and copies, flip, lost and restore, release) that the display logic drives. Every call
// returns a DirectDraw result code, with the same numbers on every platform. Backends: real DirectDraw
// (Windows) and software surfaces in memory (every build; see softdevice.h).
#pragma once
#include <cstdint>

#include "platform/window.h"

// ---------------------------------------------------------------------------------------------------------------
// Result codes (the published DirectDraw numbers)
// ---------------------------------------------------------------------------------------------------------------
constexpr int32_t MakeDDResult(uint32_t code) {
    return static_cast<int32_t>(0x88760000u | code);
}

constexpr int32_t DD_OK = 0;
constexpr int32_t DDERR_UNSUPPORTED = static_cast<int32_t>(0x80004001u);    // E_NOTIMPL
constexpr int32_t DDERR_GENERIC = static_cast<int32_t>(0x80004005u);        // E_FAIL
constexpr int32_t DDERR_NOTINITIALIZED = static_cast<int32_t>(0x800401F0u); // CO_E_NOTINITIALIZED
constexpr int32_t DDERR_OUTOFMEMORY = static_cast<int32_t>(0x8007000Eu);    // E_OUTOFMEMORY
constexpr int32_t DDERR_INVALIDPARAMS = static_cast<int32_t>(0x80070057u);  // E_INVALIDARG
constexpr int32_t DDERR_INVALIDMODE = MakeDDResult(120);
constexpr int32_t DDERR_INVALIDOBJECT = MakeDDResult(130);
constexpr int32_t DDERR_NOEXCLUSIVEMODE = MakeDDResult(225);
constexpr int32_t DDERR_NOTFOUND = MakeDDResult(255);
constexpr int32_t DDERR_OUTOFVIDEOMEMORY = MakeDDResult(380);
constexpr int32_t DDERR_SURFACEBUSY = MakeDDResult(430);
constexpr int32_t DDERR_SURFACELOST = MakeDDResult(450);
constexpr int32_t DDERR_UNSUPPORTEDMODE = MakeDDResult(590);
constexpr int32_t DDERR_NODIRECTDRAWHW = MakeDDResult(563);
constexpr int32_t DDERR_NOTFLIPPABLE = MakeDDResult(582);
constexpr int32_t DDERR_NOTLOCKED = MakeDDResult(584);
constexpr int32_t DDERR_CANTCREATEDC = MakeDDResult(585);
constexpr int32_t DDERR_NODC = MakeDDResult(586);

inline bool DDFailed(int32_t result) {
    return result < 0;
}

// ---------------------------------------------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------------------------------------------
struct DDDevice;  // the device object (IDirectDraw), opaque
struct DDSurface; // a surface (IDirectDrawSurface), opaque

struct DDRect {
    int32_t left, top, right, bottom;
};

// One display mode as enumeration reports it.
struct DDModeDesc {
    uint32_t width, height;                // pixels
    uint32_t bitCount;                     // bits per pixel
    uint32_t redMask, greenMask, blueMask; // 0 for palettised modes
};

// A surface's pixel format.
struct DDPixelFormat {
    uint32_t bitCount;
    uint32_t redMask, greenMask, blueMask;
};

// What a successful lock gives: the top-left pixel and the bytes from one row to the next.
struct DDLockDesc {
    uint32_t width, height; // pixels
    int32_t pitch;          // bytes
    uint8_t *surface;
};

// Called once per enumerated mode; the enumeration always goes on.
using DDEnumModesCallbackFn = void (*)(const DDModeDesc *mode);

// Cooperative levels as the display logic asks for them.
constexpr uint32_t DDCOOP_NORMAL = 0;     // DDSCL_NORMAL
constexpr uint32_t DDCOOP_FULLSCREEN = 1; // DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT

struct DisplayDeviceBackend {
    const char *name;
    // The desktop's current mode (EnumDisplaySettingsA, current settings).
    void (*desktopMode)(uint32_t *width, uint32_t *height, uint32_t *bitCount);
    int32_t (*create)(DDDevice **device); // default display driver
    int32_t (*setCooperativeLevel)(DDDevice *device, WindowHandle window, uint32_t level);
    // Every mode, or only those of one size when width and height are not 0.
    int32_t (*enumDisplayModes)(DDDevice *device, uint32_t width, uint32_t height, DDEnumModesCallbackFn cb);
    int32_t (*setDisplayMode)(DDDevice *device, uint32_t width, uint32_t height, uint32_t bitCount);
    // The visible surface: with one attached back buffer for flipping, or a plain one (preview).
    int32_t (*createPrimary)(DDDevice *device, bool withBackBuffer, DDSurface **surface);
    int32_t (*createOffscreen)(DDDevice *device, uint32_t width, uint32_t height, DDSurface **surface);
    int32_t (*getAttachedBackBuffer)(DDSurface *primary, DDSurface **back);
    int32_t (*getPixelFormat)(DDSurface *surface, DDPixelFormat *format);
    int32_t (*lock)(DDSurface *surface, DDLockDesc *desc); // whole surface, waits
    int32_t (*unlock)(DDSurface *surface);
    // Fills a rectangle (nullptr: the whole surface) with a pixel value; waits.
    int32_t (*colourFill)(DDSurface *dest, const DDRect *destRect, uint32_t colour);
    // Copies (stretching where the sizes differ); nullptr rectangles mean the whole surface; waits.
    int32_t (*blt)(DDSurface *dest, const DDRect *destRect, DDSurface *src, const DDRect *srcRect);
    int32_t (*flip)(DDSurface *primary);   // waits
    int32_t (*isLost)(DDSurface *surface); // DD_OK or DDERR_SURFACELOST
    int32_t (*restore)(DDSurface *surface);
    // A device context for text drawing (HDC on Windows); backends without one answer DDERR_NODC.
    int32_t (*getDC)(DDSurface *surface, void **dc);
    int32_t (*releaseDC)(DDSurface *surface, void *dc);
    void (*releaseSurface)(DDSurface *surface);
    void (*releaseDevice)(DDDevice *device);
    // Window facts the preview needs: the window four parent steps above, the client area in screen
    // coordinates, and the foreground window.
    WindowHandle (*previewTopWindow)(WindowHandle window);
    void (*clientRectOnScreen)(WindowHandle window, DDRect *rect);
    WindowHandle (*foregroundWindow)();
};

// DirectDraw on Windows, the software device elsewhere.
const DisplayDeviceBackend *SystemDisplayDevice();
// Installs a backend; nullptr puts the system's back.
void SetDisplayDevice(const DisplayDeviceBackend *backend);
const DisplayDeviceBackend *DisplayDevice();
