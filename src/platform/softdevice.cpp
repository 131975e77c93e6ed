// The software display device: surfaces in process memory behind the DirectDraw-shaped seam. The Linux saver
// shows its front surface, the headless renderer writes it to PNG, and the tests steer its modes and faults.
// It must behave like DirectDraw where the display logic can tell (result codes, attached back buffer, flip).
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/softdevice.h"

struct DDDevice {
    int refs;
    uint32_t modeWidth, modeHeight, modeBits; // 0 until a mode is set
    uint32_t level;
    WindowHandle window;
};

struct DDSurface {
    int refs;
    DDDevice *device;
    uint32_t width, height, bitCount;
    int32_t pitch; // bytes
    uint8_t *pixels;
    bool lost, locked, primary;
    DDSurface *back; // a flipping primary's attached back buffer (one reference held)
};

// --- configuration
// ----------------------------------------------------------------------------------------------
constexpr int MAX_SOFT_MODES = 128;
static DDModeDesc sModes[MAX_SOFT_MODES];
static int sModeCount = -1; // -1: the default offer
static uint32_t sDesktopWidth = 1920, sDesktopHeight = 1080, sDesktopBits = 32;
static uint32_t sPitchPadding = 0;
static WindowHandle sTopWindow = nullptr, sForeground = nullptr;
static bool sPreviewScripted = false;
static DDRect sClientRect = {0, 0, 0, 0};
static bool sClientRectScripted = false;

struct Fault {
    int32_t code;
    int skip, times; // times 0: off; -1: for ever
};
static Fault sFaults[SOFT_CALL_COUNT];
static uint32_t sCalls[SOFT_CALL_COUNT];

// --- live objects
// -----------------------------------------------------------------------------------------------
constexpr int MAX_SOFT_OBJECTS = 64;
static DDSurface *sSurfaces[MAX_SOFT_OBJECTS];
static DDDevice *sDevice = nullptr; // the one device (DirectDraw allows one exclusive owner anyway)
static uint32_t sLastLevel = DDCOOP_NORMAL;
static WindowHandle sLastWindow = nullptr;

static int sLoseCountdown = -1; // calls until every surface is lost; -1: never

static int32_t Call(SoftCall call) {
    ++sCalls[call];
    if (sLoseCountdown >= 0 && sLoseCountdown-- == 0) SoftDeviceLoseSurfaces();
    Fault &f = sFaults[call];
    if (f.times == 0) return DD_OK;
    if (f.skip > 0) {
        --f.skip;
        return DD_OK;
    }
    if (f.times > 0) --f.times;
    return f.code;
}

static void FreeSurfaceMemory(DDSurface *s) {
    for (auto &slot : sSurfaces)
        if (slot == s) slot = nullptr;
    free(s->pixels);
    free(s);
}

void SoftDeviceReset() {
    for (auto &slot : sSurfaces) {
        if (slot) {
            free(slot->pixels);
            free(slot);
            slot = nullptr;
        }
    }
    free(sDevice);
    sDevice = nullptr;
    sModeCount = -1;
    sDesktopWidth = 1920;
    sDesktopHeight = 1080;
    sDesktopBits = 32;
    sPitchPadding = 0;
    sTopWindow = sForeground = nullptr;
    sPreviewScripted = false;
    sClientRectScripted = false;
    memset(sFaults, 0, sizeof sFaults);
    memset(sCalls, 0, sizeof sCalls);
    sLoseCountdown = -1;
    sLastLevel = DDCOOP_NORMAL;
    sLastWindow = nullptr;
}

void SoftDeviceSetModes(const DDModeDesc *modes, int count) {
    if (count > MAX_SOFT_MODES) count = MAX_SOFT_MODES;
    if (count < 0 || !modes) count = -1;
    for (int i = 0; i < count; ++i)
        sModes[i] = modes[i];
    sModeCount = count;
}

void SoftDeviceSetDesktop(uint32_t width, uint32_t height, uint32_t bitCount) {
    sDesktopWidth = width;
    sDesktopHeight = height;
    sDesktopBits = bitCount;
}

void SoftDeviceSetPitchPadding(uint32_t bytes) {
    sPitchPadding = bytes;
}

void SoftDeviceFail(SoftCall call, int32_t code, int skip, int times) {
    sFaults[call] = {code, skip, times};
}

uint32_t SoftDeviceCalls(SoftCall call) {
    return sCalls[call];
}

void SoftDeviceLoseSurfaces() {
    for (auto *s : sSurfaces)
        if (s) s->lost = true;
}

void SoftDeviceLoseSurfacesAfter(int calls) {
    sLoseCountdown = calls;
}

void SoftDeviceSetPreviewWindows(WindowHandle topWindow, WindowHandle foreground) {
    sTopWindow = topWindow;
    sForeground = foreground;
    sPreviewScripted = true;
}

void SoftDeviceSetClientRect(const DDRect &rect) {
    sClientRect = rect;
    sClientRectScripted = true;
}

int SoftDeviceLiveObjects() {
    int n = sDevice ? 1 : 0;
    for (auto *s : sSurfaces)
        if (s) ++n;
    return n;
}

void SoftDeviceCurrentMode(uint32_t *width, uint32_t *height, uint32_t *bitCount) {
    *width = sDevice ? sDevice->modeWidth : 0;
    *height = sDevice ? sDevice->modeHeight : 0;
    *bitCount = sDevice ? sDevice->modeBits : 0;
}

uint32_t SoftDeviceCooperativeLevel() {
    return sLastLevel;
}

// --- formats
// ----------------------------------------------------------------------------------------------------
static bool FormatOf(uint32_t bitCount, DDPixelFormat *format) {
    format->bitCount = bitCount;
    if (bitCount == 16) {
        format->redMask = 0xF800;
        format->greenMask = 0x07E0;
        format->blueMask = 0x001F;
        return true;
    }
    if (bitCount == 24 || bitCount == 32) {
        format->redMask = 0xFF0000;
        format->greenMask = 0x00FF00;
        format->blueMask = 0x0000FF;
        return true;
    }
    format->redMask = format->greenMask = format->blueMask = 0; // palettised
    return false;
}

static uint32_t ExpandChannel(uint32_t value, uint32_t mask) {
    if (!mask) return 0;
    uint32_t shift = 0;
    while (!(mask & (1u << shift)))
        ++shift;
    const uint32_t bits = (mask >> shift);
    uint32_t width = 0;
    while (width < 32 && (bits >> width) & 1u)
        ++width;
    const uint32_t v = (value & mask) >> shift;
    if (width >= 8) return v >> (width - 8);
    // Replicate the top bits, so full intensity stays 255.
    return (v << (8 - width)) | (v >> (2 * width > 8 ? 2 * width - 8 : 0));
}

void SoftUnpackPixel(const DDPixelFormat &format, uint32_t value, uint8_t rgb[3]) {
    rgb[0] = static_cast<uint8_t>(ExpandChannel(value, format.redMask));
    rgb[1] = static_cast<uint8_t>(ExpandChannel(value, format.greenMask));
    rgb[2] = static_cast<uint8_t>(ExpandChannel(value, format.blueMask));
}

// --- the backend
// ------------------------------------------------------------------------------------------------
static void SoftDesktopMode(uint32_t *width, uint32_t *height, uint32_t *bitCount) {
    *width = sDesktopWidth;
    *height = sDesktopHeight;
    *bitCount = sDesktopBits;
}

static int32_t SoftCreate(DDDevice **device) {
    *device = nullptr;
    if (const int32_t r = Call(SOFT_CREATE); DDFailed(r)) return r;
    if (sDevice) return MakeDDResult(562); // DDERR_DIRECTDRAWALREADYCREATED
    sDevice = static_cast<DDDevice *>(calloc(1, sizeof(DDDevice)));
    if (!sDevice) return DDERR_OUTOFMEMORY;
    sDevice->refs = 1;
    *device = sDevice;
    return DD_OK;
}

static int32_t SoftSetCooperativeLevel(DDDevice *device, WindowHandle window, uint32_t level) {
    if (!device) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_SET_COOPERATIVE_LEVEL); DDFailed(r)) return r;
    device->level = level;
    device->window = window;
    sLastLevel = level;
    sLastWindow = window;
    return DD_OK;
}

static const uint32_t kCommonSizes[][2] = {
    {640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},  {1280, 800},
    {1280, 1024}, {1366, 768},  {1440, 900},  {1600, 900},  {1600, 1200}, {1680, 1050},
    {1920, 1080}, {1920, 1200}, {2560, 1440}, {2560, 1600}, {3840, 2160},
};

static void Report(DDEnumModesCallbackFn cb, uint32_t width, uint32_t height, uint32_t bits) {
    DDModeDesc mode{width, height, bits, 0, 0, 0};
    DDPixelFormat format;
    FormatOf(bits, &format);
    mode.redMask = format.redMask;
    mode.greenMask = format.greenMask;
    mode.blueMask = format.blueMask;
    cb(&mode);
}

static bool SizeInRange(uint32_t width, uint32_t height) {
    return width >= 320 && height >= 200 && width <= 16384 && height <= 16384;
}

static int32_t SoftEnumDisplayModes(DDDevice *device, uint32_t width, uint32_t height,
                                    DDEnumModesCallbackFn cb) {
    if (!device || !cb) return DDERR_INVALIDPARAMS;
    if (const int32_t r = Call(SOFT_ENUM_DISPLAY_MODES); DDFailed(r)) return r;
    const bool filtered = width != 0 && height != 0;
    if (sModeCount >= 0) {
        for (int i = 0; i < sModeCount; ++i)
            if (!filtered || (sModes[i].width == width && sModes[i].height == height)) cb(&sModes[i]);
        return DD_OK;
    }
    // The default offer: the host scales the picture, so any reasonable size is offered at every depth.
    if (filtered) {
        if (!SizeInRange(width, height)) return DD_OK;
        Report(cb, width, height, 8);
        for (uint32_t bits : {16u, 24u, 32u})
            Report(cb, width, height, bits);
        return DD_OK;
    }
    Report(cb, 320, 200, 8);
    Report(cb, 320, 240, 16);
    Report(cb, 640, 400, 8);
    for (const auto &size : kCommonSizes) {
        Report(cb, size[0], size[1], 8);
        for (uint32_t bits : {16u, 24u, 32u})
            Report(cb, size[0], size[1], bits);
    }
    return DD_OK;
}

static bool ModeOffered(uint32_t width, uint32_t height, uint32_t bits) {
    if (sModeCount < 0) return SizeInRange(width, height) && (bits == 16 || bits == 24 || bits == 32);
    for (int i = 0; i < sModeCount; ++i)
        if (sModes[i].width == width && sModes[i].height == height && sModes[i].bitCount == bits) return true;
    return false;
}

static int32_t SoftSetDisplayMode(DDDevice *device, uint32_t width, uint32_t height, uint32_t bitCount) {
    if (!device) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_SET_DISPLAY_MODE); DDFailed(r)) return r;
    const bool desktop = width == sDesktopWidth && height == sDesktopHeight && bitCount == sDesktopBits;
    DDPixelFormat format;
    if (!FormatOf(bitCount, &format) || (!desktop && !ModeOffered(width, height, bitCount)))
        return DDERR_INVALIDMODE;
    device->modeWidth = width;
    device->modeHeight = height;
    device->modeBits = bitCount;
    return DD_OK;
}

static void ModeOf(const DDDevice *device, uint32_t *width, uint32_t *height, uint32_t *bits) {
    if (device->modeBits) {
        *width = device->modeWidth;
        *height = device->modeHeight;
        *bits = device->modeBits;
    } else {
        SoftDesktopMode(width, height, bits);
    }
}

static int32_t NewSurface(DDDevice *device, uint32_t width, uint32_t height, uint32_t bits, DDSurface **out) {
    int free_slot = -1;
    for (int i = 0; i < MAX_SOFT_OBJECTS; ++i)
        if (!sSurfaces[i]) {
            free_slot = i;
            break;
        }
    if (free_slot < 0 || width == 0 || height == 0) return DDERR_OUTOFMEMORY;
    auto *s = static_cast<DDSurface *>(calloc(1, sizeof(DDSurface)));
    if (!s) return DDERR_OUTOFMEMORY;
    const uint32_t bytes = (bits + 7) / 8;
    s->pitch = static_cast<int32_t>(((width * bytes + 3) & ~3u) + sPitchPadding);
    s->pixels = static_cast<uint8_t *>(calloc(static_cast<size_t>(s->pitch) * height, 1));
    if (!s->pixels) {
        free(s);
        return DDERR_OUTOFMEMORY;
    }
    s->refs = 1;
    s->device = device;
    s->width = width;
    s->height = height;
    s->bitCount = bits;
    sSurfaces[free_slot] = s;
    *out = s;
    return DD_OK;
}

static void SoftReleaseSurface(DDSurface *surface) {
    if (!surface || --surface->refs > 0) return;
    if (surface->back) SoftReleaseSurface(surface->back);
    FreeSurfaceMemory(surface);
}

static int32_t SoftCreatePrimary(DDDevice *device, bool withBackBuffer, DDSurface **surface) {
    *surface = nullptr;
    if (!device) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_CREATE_PRIMARY); DDFailed(r)) return r;
    // A flipping chain needs the exclusive level, as on DirectDraw.
    if (withBackBuffer && device->level != DDCOOP_FULLSCREEN) return DDERR_NOEXCLUSIVEMODE;
    uint32_t width, height, bits;
    ModeOf(device, &width, &height, &bits);
    DDSurface *primary = nullptr;
    if (const int32_t r = NewSurface(device, width, height, bits, &primary); DDFailed(r)) return r;
    primary->primary = true;
    if (withBackBuffer) {
        if (const int32_t r = NewSurface(device, width, height, bits, &primary->back); DDFailed(r)) {
            SoftReleaseSurface(primary);
            return r;
        }
    }
    *surface = primary;
    return DD_OK;
}

static int32_t SoftCreateOffscreen(DDDevice *device, uint32_t width, uint32_t height, DDSurface **surface) {
    *surface = nullptr;
    if (!device) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_CREATE_OFFSCREEN); DDFailed(r)) return r;
    uint32_t w, h, bits;
    ModeOf(device, &w, &h, &bits);
    return NewSurface(device, width, height, bits, surface);
}

static int32_t SoftGetAttachedBackBuffer(DDSurface *primary, DDSurface **back) {
    *back = nullptr;
    if (!primary) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_GET_ATTACHED_SURFACE); DDFailed(r)) return r;
    if (!primary->back) return DDERR_NOTFOUND;
    ++primary->back->refs; // the caller releases its own reference, as on DirectDraw
    *back = primary->back;
    return DD_OK;
}

static int32_t SoftGetPixelFormat(DDSurface *surface, DDPixelFormat *format) {
    if (!surface) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_GET_PIXEL_FORMAT); DDFailed(r)) return r;
    FormatOf(surface->bitCount, format);
    return DD_OK;
}

static int32_t SoftLock(DDSurface *surface, DDLockDesc *desc) {
    if (!surface) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_LOCK); DDFailed(r)) return r;
    if (surface->lost) return DDERR_SURFACELOST;
    if (surface->locked) return DDERR_SURFACEBUSY;
    surface->locked = true;
    *desc = {surface->width, surface->height, surface->pitch, surface->pixels};
    return DD_OK;
}

static int32_t SoftUnlock(DDSurface *surface) {
    if (!surface) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_UNLOCK); DDFailed(r)) return r;
    if (!surface->locked) return DDERR_NOTLOCKED;
    surface->locked = false;
    return DD_OK;
}

static bool RectInside(const DDRect &r, const DDSurface *s) {
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom &&
           static_cast<uint32_t>(r.right) <= s->width && static_cast<uint32_t>(r.bottom) <= s->height;
}

static void StorePixel(uint8_t *at, uint32_t value, uint32_t bytes) {
    for (uint32_t i = 0; i < bytes; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

static int32_t SoftColourFill(DDSurface *dest, const DDRect *destRect, uint32_t colour) {
    if (!dest) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_COLOUR_FILL); DDFailed(r)) return r;
    if (dest->lost) return DDERR_SURFACELOST;
    if (dest->locked) return DDERR_SURFACEBUSY;
    const DDRect whole = {0, 0, static_cast<int32_t>(dest->width), static_cast<int32_t>(dest->height)};
    const DDRect r = destRect ? *destRect : whole;
    if (!RectInside(r, dest)) return MakeDDResult(150); // DDERR_INVALIDRECT
    const uint32_t bytes = (dest->bitCount + 7) / 8;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint8_t *row = dest->pixels + static_cast<size_t>(y) * dest->pitch;
        if (colour == 0) {
            memset(row + static_cast<size_t>(r.left) * bytes, 0,
                   static_cast<size_t>(r.right - r.left) * bytes);
            continue;
        }
        for (int32_t x = r.left; x < r.right; ++x)
            StorePixel(row + static_cast<size_t>(x) * bytes, colour, bytes);
    }
    return DD_OK;
}

static int32_t SoftBlt(DDSurface *dest, const DDRect *destRect, DDSurface *src, const DDRect *srcRect) {
    if (!dest || !src) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_BLT); DDFailed(r)) return r;
    if (dest->lost || src->lost) return DDERR_SURFACELOST;
    if (dest->locked || src->locked) return DDERR_SURFACEBUSY;
    const DDRect d =
        destRect ? *destRect
                 : DDRect{0, 0, static_cast<int32_t>(dest->width), static_cast<int32_t>(dest->height)};
    const DDRect s = srcRect
                         ? *srcRect
                         : DDRect{0, 0, static_cast<int32_t>(src->width), static_cast<int32_t>(src->height)};
    if (!RectInside(d, dest) || !RectInside(s, src)) return MakeDDResult(150); // DDERR_INVALIDRECT
    if (dest->bitCount != src->bitCount) return MakeDDResult(145);             // DDERR_INVALIDPIXELFORMAT
    const int32_t dw = d.right - d.left, dh = d.bottom - d.top;
    const int32_t sw = s.right - s.left, sh = s.bottom - s.top;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return DD_OK;
    const uint32_t bytes = (dest->bitCount + 7) / 8;
    if (dw == sw && dh == sh) {
        for (int32_t y = 0; y < dh; ++y)
            memmove(dest->pixels + static_cast<size_t>(d.top + y) * dest->pitch +
                        static_cast<size_t>(d.left) * bytes,
                    src->pixels + static_cast<size_t>(s.top + y) * src->pitch +
                        static_cast<size_t>(s.left) * bytes,
                    static_cast<size_t>(dw) * bytes);
        return DD_OK;
    }
    // Stretch by nearest pixel, as the preview's copy into a smaller window needs.
    for (int32_t y = 0; y < dh; ++y) {
        const int32_t sy = s.top + static_cast<int32_t>(static_cast<int64_t>(y) * sh / dh);
        uint8_t *row = dest->pixels + static_cast<size_t>(d.top + y) * dest->pitch;
        const uint8_t *srow = src->pixels + static_cast<size_t>(sy) * src->pitch;
        for (int32_t x = 0; x < dw; ++x) {
            const int32_t sx = s.left + static_cast<int32_t>(static_cast<int64_t>(x) * sw / dw);
            memcpy(row + static_cast<size_t>(d.left + x) * bytes, srow + static_cast<size_t>(sx) * bytes,
                   bytes);
        }
    }
    return DD_OK;
}

static int32_t SoftFlip(DDSurface *primary) {
    if (!primary) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_FLIP); DDFailed(r)) return r;
    if (!primary->back) return DDERR_NOTFLIPPABLE;
    if (primary->lost || primary->back->lost) return DDERR_SURFACELOST;
    if (primary->locked || primary->back->locked) return DDERR_SURFACEBUSY;
    uint8_t *front = primary->pixels;
    primary->pixels = primary->back->pixels;
    primary->back->pixels = front;
    return DD_OK;
}

static int32_t SoftIsLost(DDSurface *surface) {
    if (!surface) return DDERR_INVALIDOBJECT;
    return surface->lost ? DDERR_SURFACELOST : DD_OK;
}

static int32_t SoftRestore(DDSurface *surface) {
    if (!surface) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_RESTORE); DDFailed(r)) return r;
    // A restored surface's memory holds nothing defined, as on real hardware: whoever drew it draws again.
    for (DDSurface *s : {surface, surface->back}) { // a flipping chain is restored whole
        if (!s || !s->lost) continue;
        memset(s->pixels, 0x5A, static_cast<size_t>(s->pitch) * s->height);
        s->lost = false;
    }
    return DD_OK;
}

static int32_t SoftGetDC(DDSurface *surface, void **dc) {
    *dc = nullptr;
    if (!surface) return DDERR_INVALIDOBJECT;
    if (const int32_t r = Call(SOFT_GET_DC); DDFailed(r)) return r;
    if (surface->lost) return DDERR_SURFACELOST;
    if (surface->locked) return MakeDDResult(620); // DDERR_DCALREADYCREATED
    DDPixelFormat format;
    FormatOf(surface->bitCount, &format);
    const DDLockDesc pixels = {surface->width, surface->height, surface->pitch, surface->pixels};
    const int32_t r = SoftSurfaceGetDC(pixels, format, dc);
    if (!DDFailed(r)) surface->locked = true;
    return r;
}

static int32_t SoftReleaseDC(DDSurface *surface, void *dc) {
    if (!surface) return DDERR_INVALIDOBJECT;
    if (!surface->locked) return DDERR_NODC;
    DDPixelFormat format;
    FormatOf(surface->bitCount, &format);
    const DDLockDesc pixels = {surface->width, surface->height, surface->pitch, surface->pixels};
    SoftSurfaceReleaseDC(pixels, format, dc);
    surface->locked = false;
    return DD_OK;
}

static void SoftReleaseDevice(DDDevice *device) {
    if (!device || device != sDevice || --device->refs > 0) return;
    free(device);
    sDevice = nullptr;
}

static WindowHandle SoftPreviewTopWindow(WindowHandle window) {
    return sPreviewScripted ? sTopWindow : window;
}

static void SoftClientRectOnScreen(WindowHandle, DDRect *rect) {
    if (sClientRectScripted) {
        *rect = sClientRect;
        return;
    }
    uint32_t w = sDesktopWidth, h = sDesktopHeight, bits;
    if (sDevice && sDevice->modeBits) ModeOf(sDevice, &w, &h, &bits);
    *rect = {0, 0, static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

static WindowHandle SoftForegroundWindow() {
    return sPreviewScripted ? sForeground : sLastWindow;
}

const DisplayDeviceBackend *SoftDisplayDevice() {
    static const DisplayDeviceBackend backend = {
        "software",
        SoftDesktopMode,
        SoftCreate,
        SoftSetCooperativeLevel,
        SoftEnumDisplayModes,
        SoftSetDisplayMode,
        SoftCreatePrimary,
        SoftCreateOffscreen,
        SoftGetAttachedBackBuffer,
        SoftGetPixelFormat,
        SoftLock,
        SoftUnlock,
        SoftColourFill,
        SoftBlt,
        SoftFlip,
        SoftIsLost,
        SoftRestore,
        SoftGetDC,
        SoftReleaseDC,
        SoftReleaseSurface,
        SoftReleaseDevice,
        SoftPreviewTopWindow,
        SoftClientRectOnScreen,
        SoftForegroundWindow,
    };
    return &backend;
}

// --- reading the picture back
// -----------------------------------------------------------------------------------
static DDSurface *FrontSurface() {
    for (auto *s : sSurfaces)
        if (s && s->primary) return s;
    return nullptr;
}

bool SoftDeviceFrontBuffer(DDLockDesc *desc, DDPixelFormat *format) {
    DDSurface *front = FrontSurface();
    if (!front) return false;
    *desc = {front->width, front->height, front->pitch, front->pixels};
    FormatOf(front->bitCount, format);
    return true;
}

bool SoftDeviceWritePng(const char *path) {
    DDLockDesc desc;
    DDPixelFormat format;
    if (!SoftDeviceFrontBuffer(&desc, &format)) return false;
    const uint32_t bytes = (format.bitCount + 7) / 8;
    auto *rgb = static_cast<uint8_t *>(malloc(static_cast<size_t>(desc.width) * desc.height * 3));
    if (!rgb) return false;
    for (uint32_t y = 0; y < desc.height; ++y) {
        const uint8_t *row = desc.surface + static_cast<size_t>(y) * desc.pitch;
        for (uint32_t x = 0; x < desc.width; ++x) {
            uint32_t value = 0;
            for (uint32_t i = 0; i < bytes; ++i)
                value |= static_cast<uint32_t>(row[x * bytes + i]) << (8 * i);
            SoftUnpackPixel(format, value, rgb + (static_cast<size_t>(y) * desc.width + x) * 3);
        }
    }
    const bool ok = SoftWriteRgbPng(path, rgb, desc.width, desc.height);
    free(rgb);
    return ok;
}
