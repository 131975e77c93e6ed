// Frame presentation: clearing the drawing target, copying text slots onto it, locking it for the pixel
// writer, showing the frame (with bounded recovery of lost surfaces), and the tear-down. After a failure has
// torn the display down, every operation here does nothing until the next successful set-up.
#include <cstring>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"

constexpr int MAX_PRESENT_RETRIES = 3; // a display that keeps losing its surfaces drops the frame after this

static uint32_t sFillColour = 0; // black in the display's format, packed at the first clear
static bool sFillPacked = false;
static DDPresentProbe sPresentProbe = nullptr;

// Painting draws straight onto the visible surface; the preview never paints.
static DDSurface *Target() {
    return gPainting && !gPreviewMode ? gDisplay.primary : gDisplay.back;
}

// Set up and not torn down since; a state that says ready without its surfaces is treated as torn down.
static bool Usable() {
    return gDisplay.ready && gDisplay.primary && gDisplay.back;
}

void DDSetPresentProbe(DDPresentProbe probe) {
    sPresentProbe = probe;
}

void DDClearTarget() {
    if (!Usable()) return;
    if (!sFillPacked) {
        sFillColour = DDPackColour(0, 0, 0);
        sFillPacked = true;
    }
    const DisplayDeviceBackend *dd = DisplayDevice();
    if (gBlueBackground && gDisplay.bgSurface)
        dd->blt(Target(), nullptr, gDisplay.bgSurface, nullptr);
    else
        dd->colourFill(Target(), nullptr, sFillColour);
}

void DDBltTextSlot(int slot) {
    if (!Usable() || !gDisplay.textSurface || slot < 0 || slot >= NUM_TEXT_SLOTS) return;
    const DDRect &r = gTextSlotRect[slot];
    if (r.right <= r.left || r.bottom <= r.top) return; // never drawn, or empty text: nothing to copy
    DisplayDevice()->blt(Target(), &r, gDisplay.textSurface, &r);
}

bool DDLockTarget() {
    if (!Usable()) return false;
    return !DDFailed(DisplayDevice()->lock(Target(), &gDisplay.lockDesc));
}

void DDUnlockTarget() {
    if (!Usable()) return;
    DisplayDevice()->unlock(Target());
}

static int32_t PresentOnce() {
    const DisplayDeviceBackend *dd = DisplayDevice();
    if (gPreviewMode) {
        // Only while the display settings are in front; otherwise the frame counts as shown.
        if (dd->foregroundWindow() != gDisplay.previewTopWindow) return DD_OK;
        DDUpdatePreviewRect();
        return dd->blt(gDisplay.primary, &gDisplay.previewRect, gDisplay.back, nullptr);
    }
    if (gPainting) return DD_OK; // the frame was drawn on the visible surface itself
    return dd->flip(gDisplay.primary);
}

// Restores a surface that reports itself lost; false when the restore failed.
static bool RestoreIfLost(DDSurface *surface) {
    const DisplayDeviceBackend *dd = DisplayDevice();
    if (!surface || dd->isLost(surface) != DDERR_SURFACELOST) return true;
    return !DDFailed(dd->restore(surface));
}

void DDPresent() {
    if (!Usable()) return;
    if (gShowFps) DDShowFps();
    if (sPresentProbe) sPresentProbe(Target());
    for (int retry = 0;; ++retry) {
        if (PresentOnce() != DDERR_SURFACELOST || retry == MAX_PRESENT_RETRIES) return;
        if (!RestoreIfLost(gDisplay.primary) || !RestoreIfLost(gDisplay.back)) return;
    }
}

bool DDGetChangedRect(DDRect *) {
    return false; // not tracked: the whole surface counts as changed
}

void DDCleanUp() {
    if (!gDisplay.device) return;
    const DisplayDeviceBackend *dd = DisplayDevice();
    const int32_t r = dd->setCooperativeLevel(gDisplay.device, gDisplay.window, DDCOOP_NORMAL);
    if (DDFailed(r)) LogMessage("DDCleanUp: SetCooperativeLevel failed with error: %s\n", DDErrorName(r));
    DDSurface **surfaces[] = {&gDisplay.textSurface, &gDisplay.bgSurface, &gDisplay.back, &gDisplay.primary};
    for (DDSurface **s : surfaces) {
        if (*s) dd->releaseSurface(*s);
        *s = nullptr;
    }
    dd->releaseDevice(gDisplay.device);
    gDisplay.device = nullptr;
    gDisplay.lockDesc = {};
    gDisplay.ready = 0;
}

void DDResetForTests() {
    DDCleanUp();
    memset(&gDisplay, 0, sizeof gDisplay);
    memset(gTextSlotRect, 0, sizeof(DDRect) * NUM_TEXT_SLOTS);
    sFillColour = 0;
    sFillPacked = false;
    sPresentProbe = nullptr;
    gBlueBackground = 0;
    DDResetFpsForTests();
}
