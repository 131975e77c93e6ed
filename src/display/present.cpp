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

// What the frames drew, so a clear restores the background only there. A flip may swap the two buffers or
// copy one onto the other, so a clear covers what the last two shown frames drew (and anything drawn since).
// A frame painted onto the visible surface, a restored surface or a new set-up counts as drawn all over.
static DDRect sDrawn[3] = {}; // 0: the frame in progress; 1: the last shown; 2: the one before
static DDRect sCleared = {};  // what this frame's clear restored
static DDRect sChanged = {};  // what the last shown frame changed on the visible surface
static bool sChangedKnown = false;
static int sClearedBlue = -1; // the background the buffers were last cleared to; -1: not known

static DDRect WholeDisplay() {
    return {0, 0, static_cast<int32_t>(gDisplay.width), static_cast<int32_t>(gDisplay.height)};
}

static bool IsEmpty(const DDRect &r) {
    return r.right <= r.left || r.bottom <= r.top;
}

static DDRect Union(const DDRect &a, const DDRect &b) {
    if (IsEmpty(a)) return b;
    if (IsEmpty(b)) return a;
    return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
            a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

// Cut to the display, so a clear or a copy never reaches outside the surfaces.
static DDRect ClipToDisplay(const DDRect &r) {
    const DDRect w = WholeDisplay();
    DDRect c = {r.left > 0 ? r.left : 0, r.top > 0 ? r.top : 0, r.right < w.right ? r.right : w.right,
                r.bottom < w.bottom ? r.bottom : w.bottom};
    if (IsEmpty(c)) c = {};
    return c;
}

static void ForgetDrawnAreas() {
    sDrawn[0] = sDrawn[1] = sDrawn[2] = WholeDisplay();
    sChangedKnown = false;
}

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
    const int blue = gBlueBackground && gDisplay.bgSurface ? 1 : 0;
    if (blue != sClearedBlue) ForgetDrawnAreas(); // the other background may show anywhere
    sClearedBlue = blue;
    // A painted surface holds the paint of many frames: its clear is always whole.
    const bool painted = Target() == gDisplay.primary && !gPreviewMode;
    const DDRect area =
        painted ? WholeDisplay() : ClipToDisplay(Union(Union(sDrawn[0], sDrawn[1]), sDrawn[2]));
    sDrawn[0] = {};
    if (IsEmpty(area)) return;
    sCleared = Union(sCleared, area);
    const DDRect whole = WholeDisplay();
    const bool all =
        area.left == 0 && area.top == 0 && area.right == whole.right && area.bottom == whole.bottom;
    const DDRect *rect = all ? nullptr : &area;
    const DisplayDeviceBackend *dd = DisplayDevice();
    if (blue)
        dd->blt(Target(), rect, gDisplay.bgSurface, rect);
    else
        dd->colourFill(Target(), rect, sFillColour);
}

void DDNoteDrawn(const DDRect *rect) {
    if (rect) sDrawn[0] = Union(sDrawn[0], ClipToDisplay(*rect));
}

bool DDGetChangedRect(DDRect *rect) {
    if (!sChangedKnown) return false;
    *rect = sChanged;
    return true;
}

void DDBltTextSlot(int slot) {
    if (!Usable() || !gDisplay.textSurface || slot < 0 || slot >= NUM_TEXT_SLOTS) return;
    const DDRect &r = gTextSlotRect[slot];
    if (r.right <= r.left || r.bottom <= r.top) return; // never drawn, or empty text: nothing to copy
    DisplayDevice()->blt(Target(), &r, gDisplay.textSurface, &r);
    DDNoteDrawn(&r);
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

// The frame in progress becomes the last shown.
static void NoteShown(bool lost) {
    const DDRect drawn = sDrawn[0];
    const bool painted = Target() == gDisplay.primary && !gPreviewMode;
    sDrawn[2] = sDrawn[1];
    sDrawn[1] = painted ? WholeDisplay() : drawn;
    sDrawn[0] = {};
    sCleared = {};
    if (lost) ForgetDrawnAreas(); // a restored surface holds nothing known
}

void DDPresent() {
    if (!Usable()) return;
    if (gShowFps) DDShowFps();
    // Known before the probe, which shows the frame. The preview's copy is scaled, so what it changes on the
    // visible surface is not known.
    sChanged = ClipToDisplay(Union(sCleared, sDrawn[0]));
    if (gShowFps) sChanged = ClipToDisplay(Union(sChanged, gTextSlotRect[TEXT_SLOT_FPS]));
    sChangedKnown = !gPreviewMode;
    if (sPresentProbe) sPresentProbe(Target());
    for (int retry = 0;; ++retry) {
        if (PresentOnce() != DDERR_SURFACELOST) return NoteShown(retry > 0);
        if (retry == MAX_PRESENT_RETRIES || !RestoreIfLost(gDisplay.primary) || !RestoreIfLost(gDisplay.back))
            return NoteShown(true);
    }
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
    sClearedBlue = -1; // the next set-up starts from surfaces of unknown content
}

void DDResetForTests() {
    DDCleanUp();
    memset(&gDisplay, 0, sizeof gDisplay);
    memset(gTextSlotRect, 0, sizeof(DDRect) * NUM_TEXT_SLOTS);
    sFillColour = 0;
    sFillPacked = false;
    sPresentProbe = nullptr;
    sClearedBlue = -1;
    sDrawn[0] = sDrawn[1] = sDrawn[2] = sCleared = sChanged = {};
    sChangedKnown = false;
    gBlueBackground = 0;
    DDResetFpsForTests();
}
