// The display device on Windows: DirectDraw, first interface versions, as the thinnest adapter over the
// seam. Every descriptor carries sizeof of this build's own structure (108 bytes for the surface
// description only in 32-bit builds), so the 64-bit build never hands DirectDraw a short record.
// The seam's own result constants come first: ddraw.h then redefines the same names as macros of equal value.
#include "platform/ddevice.h"

#include <windows.h>
// ddraw.h needs windows.h before it.
#include <ddraw.h>

static_assert(sizeof(void *) == 8 || sizeof(DDSURFACEDESC) == 108,
              "the 32-bit surface description is 108 bytes");
static_assert(sizeof(DDPIXELFORMAT) == 32, "the pixel format record is 32 bytes");

static IDirectDraw *DD(DDDevice *device) {
    return reinterpret_cast<IDirectDraw *>(device);
}
static IDirectDrawSurface *Surf(DDSurface *surface) {
    return reinterpret_cast<IDirectDrawSurface *>(surface);
}
static DDSurface *Wrap(IDirectDrawSurface *surface) {
    return reinterpret_cast<DDSurface *>(surface);
}

static void Win32DesktopMode(uint32_t *width, uint32_t *height, uint32_t *bitCount) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        *width = *height = *bitCount = 0;
        return;
    }
    *width = mode.dmPelsWidth;
    *height = mode.dmPelsHeight;
    *bitCount = mode.dmBitsPerPel;
}

static int32_t Win32Create(DDDevice **device) {
    IDirectDraw *dd = nullptr;
    const HRESULT r = DirectDrawCreate(nullptr, &dd, nullptr);
    *device = SUCCEEDED(r) ? reinterpret_cast<DDDevice *>(dd) : nullptr;
    return r;
}

static int32_t Win32SetCooperativeLevel(DDDevice *device, WindowHandle window, uint32_t level) {
    const DWORD flags =
        level == DDCOOP_FULLSCREEN ? DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT : DDSCL_NORMAL;
    return DD(device)->SetCooperativeLevel(static_cast<HWND>(window), flags);
}

static HRESULT WINAPI EnumThunk(LPDDSURFACEDESC desc, LPVOID context) {
    const DDModeDesc mode = {desc->dwWidth,
                             desc->dwHeight,
                             desc->ddpfPixelFormat.dwRGBBitCount,
                             desc->ddpfPixelFormat.dwRBitMask,
                             desc->ddpfPixelFormat.dwGBitMask,
                             desc->ddpfPixelFormat.dwBBitMask};
    (*static_cast<DDEnumModesCallbackFn *>(context))(&mode);
    return DDENUMRET_OK;
}

static int32_t Win32EnumDisplayModes(DDDevice *device, uint32_t width, uint32_t height,
                                     DDEnumModesCallbackFn cb) {
    DDSURFACEDESC filter{};
    filter.dwSize = sizeof filter;
    if (width && height) {
        filter.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
        filter.dwWidth = width;
        filter.dwHeight = height;
    }
    return DD(device)->EnumDisplayModes(0, &filter, &cb, EnumThunk);
}

static int32_t Win32SetDisplayMode(DDDevice *device, uint32_t width, uint32_t height, uint32_t bitCount) {
    return DD(device)->SetDisplayMode(width, height, bitCount);
}

static int32_t Win32CreatePrimary(DDDevice *device, bool withBackBuffer, DDSurface **surface) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (withBackBuffer) {
        desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
        desc.ddsCaps.dwCaps |= DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    }
    IDirectDrawSurface *s = nullptr;
    const HRESULT r = DD(device)->CreateSurface(&desc, &s, nullptr);
    *surface = SUCCEEDED(r) ? Wrap(s) : nullptr;
    return r;
}

static int32_t Win32CreateOffscreen(DDDevice *device, uint32_t width, uint32_t height, DDSurface **surface) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface *s = nullptr;
    const HRESULT r = DD(device)->CreateSurface(&desc, &s, nullptr);
    *surface = SUCCEEDED(r) ? Wrap(s) : nullptr;
    return r;
}

static int32_t Win32GetAttachedBackBuffer(DDSurface *primary, DDSurface **back) {
    DDSCAPS caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface *s = nullptr;
    const HRESULT r = Surf(primary)->GetAttachedSurface(&caps, &s);
    *back = SUCCEEDED(r) ? Wrap(s) : nullptr;
    return r;
}

static int32_t Win32GetPixelFormat(DDSurface *surface, DDPixelFormat *format) {
    DDPIXELFORMAT pf{};
    pf.dwSize = sizeof pf;
    const HRESULT r = Surf(surface)->GetPixelFormat(&pf);
    if (SUCCEEDED(r)) *format = {pf.dwRGBBitCount, pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask};
    return r;
}

static int32_t Win32Lock(DDSurface *surface, DDLockDesc *out) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    const HRESULT r = Surf(surface)->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    if (SUCCEEDED(r))
        *out = {desc.dwWidth, desc.dwHeight, desc.lPitch, static_cast<uint8_t *>(desc.lpSurface)};
    return r;
}

static int32_t Win32Unlock(DDSurface *surface) {
    return Surf(surface)->Unlock(nullptr);
}

static RECT ToRect(const DDRect &r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

static int32_t Win32ColourFill(DDSurface *dest, const DDRect *destRect, uint32_t colour) {
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = colour;
    RECT r;
    if (destRect) r = ToRect(*destRect);
    return Surf(dest)->Blt(destRect ? &r : nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

static int32_t Win32Blt(DDSurface *dest, const DDRect *destRect, DDSurface *src, const DDRect *srcRect) {
    RECT d, s;
    if (destRect) d = ToRect(*destRect);
    if (srcRect) s = ToRect(*srcRect);
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    return Surf(dest)->Blt(destRect ? &d : nullptr, Surf(src), srcRect ? &s : nullptr, DDBLT_WAIT, &fx);
}

static int32_t Win32Flip(DDSurface *primary) {
    return Surf(primary)->Flip(nullptr, DDFLIP_WAIT);
}
static int32_t Win32IsLost(DDSurface *surface) {
    return Surf(surface)->IsLost();
}
static int32_t Win32Restore(DDSurface *surface) {
    return Surf(surface)->Restore();
}

static int32_t Win32GetDC(DDSurface *surface, void **dc) {
    HDC hdc = nullptr;
    const HRESULT r = Surf(surface)->GetDC(&hdc);
    *dc = SUCCEEDED(r) ? hdc : nullptr;
    return r;
}

static int32_t Win32ReleaseDC(DDSurface *surface, void *dc) {
    return Surf(surface)->ReleaseDC(static_cast<HDC>(dc));
}
static void Win32ReleaseSurface(DDSurface *surface) {
    Surf(surface)->Release();
}
static void Win32ReleaseDevice(DDDevice *device) {
    DD(device)->Release();
}

static WindowHandle Win32PreviewTopWindow(WindowHandle window) {
    HWND w = static_cast<HWND>(window);
    for (int i = 0; i < 4; ++i)
        w = GetParent(w);
    return w;
}

static void Win32ClientRectOnScreen(WindowHandle window, DDRect *rect) {
    RECT client{};
    GetClientRect(static_cast<HWND>(window), &client);
    POINT topLeft = {client.left, client.top}, bottomRight = {client.right, client.bottom};
    ClientToScreen(static_cast<HWND>(window), &topLeft);
    ClientToScreen(static_cast<HWND>(window), &bottomRight);
    *rect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

static WindowHandle Win32ForegroundWindow() {
    return GetForegroundWindow();
}

const DisplayDeviceBackend *SystemDisplayDevice() {
    static const DisplayDeviceBackend backend = {
        "DirectDraw",
        Win32DesktopMode,
        Win32Create,
        Win32SetCooperativeLevel,
        Win32EnumDisplayModes,
        Win32SetDisplayMode,
        Win32CreatePrimary,
        Win32CreateOffscreen,
        Win32GetAttachedBackBuffer,
        Win32GetPixelFormat,
        Win32Lock,
        Win32Unlock,
        Win32ColourFill,
        Win32Blt,
        Win32Flip,
        Win32IsLost,
        Win32Restore,
        Win32GetDC,
        Win32ReleaseDC,
        Win32ReleaseSurface,
        Win32ReleaseDevice,
        Win32PreviewTopWindow,
        Win32ClientRectOnScreen,
        Win32ForegroundWindow,
    };
    return &backend;
}
