// The software display device: DirectDraw-shaped surfaces in memory (16 bpp 5-6-5, 24 and 32 bpp 8-8-8) for
// the Linux saver, the headless renderer and the tests. It can be given any mode list and desktop mode, told
// to fail any call with a chosen result code, and told to lose its surfaces, so every failure path is
// reachable.
#pragma once
#include <cstdint>

#include "platform/ddevice.h"

const DisplayDeviceBackend *SoftDisplayDevice();

// The calls that can be made to fail.
enum SoftCall {
    SOFT_CREATE,
    SOFT_SET_COOPERATIVE_LEVEL,
    SOFT_ENUM_DISPLAY_MODES,
    SOFT_SET_DISPLAY_MODE,
    SOFT_CREATE_PRIMARY,
    SOFT_CREATE_OFFSCREEN,
    SOFT_GET_ATTACHED_SURFACE,
    SOFT_GET_PIXEL_FORMAT,
    SOFT_LOCK,
    SOFT_UNLOCK,
    SOFT_COLOUR_FILL,
    SOFT_BLT,
    SOFT_FLIP,
    SOFT_RESTORE,
    SOFT_GET_DC,
    SOFT_CALL_COUNT
};

// Back to the defaults: no objects, the common modes, the desktop at 1920 x 1080 x 32, no faults. Objects
// still alive are freed.
void SoftDeviceReset();
// The modes enumeration reports, in this order. Without a list (the default), the device offers the common
// sizes from 640 x 480 to 3840 x 2160 at 16, 24 and 32 bpp, a few 8-bpp modes, and any size asked for.
void SoftDeviceSetModes(const DDModeDesc *modes, int count);
void SoftDeviceSetDesktop(uint32_t width, uint32_t height, uint32_t bitCount);
// Extra bytes at the end of every row of new surfaces (pitch = width x bytes per pixel + padding).
void SoftDeviceSetPitchPadding(uint32_t bytes);
// The call fails with `code` after `skip` more successful calls, `times` times (-1: for ever).
void SoftDeviceFail(SoftCall call, int32_t code, int skip = 0, int times = 1);
uint32_t SoftDeviceCalls(SoftCall call); // calls made since the reset, failed ones included
// Marks every live surface lost until it is restored.
void SoftDeviceLoseSurfaces();
// Loses every surface just before the device call made after `calls` more calls (of any kind that can fail).
void SoftDeviceLoseSurfacesAfter(int calls);
// Preview facts: the window four parents above any window, the client rectangle on screen, the foreground
// window. Unset, the top window is the window itself, the rectangle the whole screen and the foreground the
// window of the last cooperative-level call.
void SoftDeviceSetPreviewWindows(WindowHandle topWindow, WindowHandle foreground);
void SoftDeviceSetClientRect(const DDRect &rect);
// Devices and surfaces not yet released.
int SoftDeviceLiveObjects();
// The mode set on the device (0 x 0 x 0 before any), and the last cooperative level.
void SoftDeviceCurrentMode(uint32_t *width, uint32_t *height, uint32_t *bitCount);
uint32_t SoftDeviceCooperativeLevel();

// The visible (front) surface's pixels, as the screen shows them; false when there is no primary surface.
bool SoftDeviceFrontBuffer(DDLockDesc *desc, DDPixelFormat *format);
// The front surface as an RGB PNG file; false when there is none or the file cannot be written.
bool SoftDeviceWritePng(const char *path);

// Pixels of any surface as 8-bit red, green, blue (for PNG output and picture tests).
void SoftUnpackPixel(const DDPixelFormat &format, uint32_t value, uint8_t rgb[3]);
// PNG writer behind SoftDeviceWritePng (softpng_png.cpp; a build without libpng answers false).
bool SoftWriteRgbPng(const char *path, const uint8_t *rgb, uint32_t width, uint32_t height);

// Device contexts over software surfaces (softdc_win32.cpp: a memory DC with a DIB; elsewhere none).
int32_t SoftSurfaceGetDC(const DDLockDesc &pixels, const DDPixelFormat &format, void **dc);
void SoftSurfaceReleaseDC(const DDLockDesc &pixels, const DDPixelFormat &format, void *dc);
