// Frame presentation: clearing the drawing target, copying text slots onto it, locking it for the pixel
// writer and showing the frame, each with bounded recovery of lost surfaces, and the tear-down. After a
// failure has torn the display down, every operation here does nothing until the next successful set-up.
#include <cstring>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"

constexpr int MAX_RESTORE_RETRIES = 3; // a display that keeps losing its surfaces drops the frame after this

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

// Text slots copied onto the drawing target since it was last cleared: what a restored target gets back.
static uint32_t sSlotsCopied = 0;

static const DDRect *sFillRect = nullptr; // the part of the target the next fill restores; nullptr: all of it

static int32_t FillTarget() {
    const DisplayDeviceBackend *dd = DisplayDevice();
    if (gBlueBackground && gDisplay.bgSurface)
        return dd->blt(Target(), sFillRect, gDisplay.bgSurface, sFillRect);
    return dd->colourFill(Target(), sFillRect, sFillColour);
}

static int32_t CopySlot(int slot) {
    const DDRect &r = gTextSlotRect[slot];
    if (r.right <= r.left || r.bottom <= r.top) return DD_OK; // never drawn, or empty text: nothing to copy
    return DisplayDevice()->blt(Target(), &r, gDisplay.textSurface, &r);
}

static bool sLostThisFrame = false; // a surface was restored since the last presentation

enum RestoreResult { RESTORE_FAILED = -1, NOT_LOST = 0, RESTORED = 1 };

static RestoreResult RestoreIfLost(DDSurface *surface) {
    const DisplayDeviceBackend *dd = DisplayDevice();
    if (!surface || dd->isLost(surface) != DDERR_SURFACELOST) return NOT_LOST;
    return DDFailed(dd->restore(surface)) ? RESTORE_FAILED : RESTORED;
}

// Restores every surface that reports itself lost and puts back what a restore leaves undefined: the
// gradient, the text slots and, when the drawing target itself came back, its background and the slots
// already copied this frame. False when a restore failed: the caller gives up on this frame.
static bool RestoreSurfaces() {
    const RestoreResult primary = RestoreIfLost(gDisplay.primary);
    if (primary == RESTORE_FAILED) return false;
    const RestoreResult back = RestoreIfLost(gDisplay.back);
    if (back == RESTORE_FAILED) return false;
    const RestoreResult bg = RestoreIfLost(gDisplay.bgSurface);
    if (bg == RESTORE_FAILED) return false;
    const RestoreResult text = RestoreIfLost(gDisplay.textSurface);
    if (text == RESTORE_FAILED) return false;
    if (primary == RESTORED || back == RESTORED || bg == RESTORED || text == RESTORED) {
        ForgetDrawnAreas(); // a restored surface holds nothing known
        sLostThisFrame = true;
    }
    if (bg == RESTORED) DDPaintBgSurface();
    if (text == RESTORED) DDRedrawTextSlots();
    const bool targetBack = Target() == gDisplay.primary ? primary == RESTORED : back == RESTORED;
    if (targetBack || bg == RESTORED || text == RESTORED) {
        sFillRect = nullptr;
        FillTarget();
        for (int slot = 0; slot < NUM_TEXT_SLOTS; ++slot)
            if (sSlotsCopied & (1u << slot)) CopySlot(slot);
    }
    return true;
}

// One surface operation of the frame; while it reports a lost surface the surfaces are restored and the
// operation retried, a bounded number of times and never after a failed restore.
template <typename Operation> static int32_t WithRecovery(Operation operation) {
    int32_t r = operation();
    for (int retry = 0; r == DDERR_SURFACELOST && retry < MAX_RESTORE_RETRIES; ++retry) {
        if (!RestoreSurfaces()) break;
        r = operation();
    }
    return r;
}

bool DDRestoreLostSurfaces() {
    return Usable() && RestoreSurfaces();
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
#if defined(_WIN32)
    // DirectDraw's flip chain may hand back any of its buffers: there the clear stays whole.
    const bool clearAll = true || painted;
#else
    const bool clearAll = painted;
#endif
    const DDRect area =
        clearAll ? WholeDisplay() : ClipToDisplay(Union(Union(sDrawn[0], sDrawn[1]), sDrawn[2]));
    sDrawn[0] = {};
    if (IsEmpty(area)) return;
    sCleared = Union(sCleared, area);
    const DDRect whole = WholeDisplay();
    const bool all =
        area.left == 0 && area.top == 0 && area.right == whole.right && area.bottom == whole.bottom;
    const DDRect *rect = all ? nullptr : &area;
    sSlotsCopied = 0;
    sFillRect = rect;
    WithRecovery(FillTarget);
    sFillRect = nullptr;
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
    sSlotsCopied |= 1u << slot;
    WithRecovery([slot] { return CopySlot(slot); });
    DDNoteDrawn(&gTextSlotRect[slot]);
}

static bool sUnlockFailed = false; // the target may still be locked: let go before locking it again

static int32_t LockOnce() {
    const DisplayDeviceBackend *dd = DisplayDevice();
    // Without letting go of a surface whose unlock failed, every later frame would fail to lock it.
    if (sUnlockFailed) sUnlockFailed = DDFailed(dd->unlock(Target()));
    return dd->lock(Target(), &gDisplay.lockDesc);
}

bool DDLockTarget() {
    if (!Usable()) return false;
    return !DDFailed(WithRecovery(LockOnce));
}

void DDUnlockTarget() {
    if (!Usable()) return;
    sUnlockFailed = DDFailed(DisplayDevice()->unlock(Target()));
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
    sChangedKnown = !gPreviewMode && !sLostThisFrame;
    if (sPresentProbe) sPresentProbe(Target());
    const bool lost = WithRecovery(PresentOnce) == DDERR_SURFACELOST || sLostThisFrame;
    NoteShown(lost);
    sLostThisFrame = false;
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
    sSlotsCopied = 0;
    sUnlockFailed = false;
    sLostThisFrame = false;
    sFillRect = nullptr;
    sPresentProbe = nullptr;
    sClearedBlue = -1;
    sDrawn[0] = sDrawn[1] = sDrawn[2] = sCleared = sChanged = {};
    sChangedKnown = false;
    gBlueBackground = 0;
    DDResetFpsForTests();
}
