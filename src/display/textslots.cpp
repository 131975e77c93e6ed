// Text overlays: the off-screen text surface and its slots (key help, hint, pattern name, frame rate), drawn
// only when their text changes and copied onto every frame. A morph cross-fades the name by drawing both
// names without background, the heavier one last.
#include <cstring>

#include "display/display.h"
#include "platform/text.h"

DDRect gTextSlotRect[NUM_TEXT_SLOTS] = {};

const char *const kKeyHelpLine1 =
    "1 to 0,+Ctrl: Morph to Pattern;  D: Toggle Double Size;  H: Toggle Hint;  M: Morph;  N: Toggle Names";
const char *const kKeyHelpLine2 =
    "P: Toggle Paint Mode;  Pause: Pause/Resume;  C,F,J,L,O,Q,S,V,W,Z: Trigger Various Effects";

bool DDCreateTextSurface() {
    const int32_t r = DisplayDevice()->createOffscreen(gDisplay.device, gDisplay.width, gDisplay.height,
                                                       &gDisplay.textSurface);
    if (DDFailed(r)) {
        DDInitFail("Name surface DDCreateTextSurface failed with error: %s", DDErrorName(r));
        return false;
    }
    return true;
}

static uint32_t Grey(int32_t v) {
    const uint32_t g = static_cast<uint32_t>(v) & 0xFF;
    return g | (g << 8) | (g << 16);
}

static int32_t Clamp(int32_t v, int32_t low, int32_t high) {
    return v < low ? low : v > high ? high : v;
}

static DDDrawTextProbe sDrawTextProbe = nullptr; // tests: sees every request, drawn or not

void DDSetDrawTextProbe(DDDrawTextProbe probe) {
    sDrawTextProbe = probe;
}

// The last request of each slot, so that a restored text surface can be drawn again.
constexpr size_t SLOT_TEXT_LEN = 256;
struct SlotRequest {
    bool drawn;
    char text[SLOT_TEXT_LEN], secondText[SLOT_TEXT_LEN];
    float mix;
    int32_t size;
    uint32_t colour;
    bool bold;
};
static SlotRequest sSlotRequest[NUM_TEXT_SLOTS];

static void CopyText(char *to, const char *from) {
    size_t n = strlen(from);
    if (n >= SLOT_TEXT_LEN) n = SLOT_TEXT_LEN - 1;
    memcpy(to, from, n);
    to[n] = '\0';
}

static void DrawSlot(const char *text, const char *secondText, float mix, bool fill, int32_t size, int slot,
                     uint32_t colour, bool bold);

void DDDrawText(const char *text, const char *secondText, float mix, bool fill, int32_t size, int slot,
                uint32_t colour, bool bold) {
    if (sDrawTextProbe) sDrawTextProbe(text, secondText, mix, fill, size, slot, colour, bold);
    // A torn-down display stays down: no text surface is created on it, so a failure is reported once.
    if (!gDisplay.ready || !gDisplay.device || slot < 0 || slot >= NUM_TEXT_SLOTS) return;
    if (!gDisplay.textSurface && !DDCreateTextSurface()) return;
    SlotRequest &request = sSlotRequest[slot];
    request.drawn = true;
    CopyText(request.text, text);
    CopyText(request.secondText, secondText);
    request.mix = mix;
    request.size = size;
    request.colour = colour;
    request.bold = bold;
    // A text surface lost since the last request is restored first (which draws every slot again).
    if (DisplayDevice()->isLost(gDisplay.textSurface) == DDERR_SURFACELOST && !DDRestoreLostSurfaces())
        return;
    DrawSlot(text, secondText, mix, fill, size, slot, colour, bold);
}

void DDRedrawTextSlots() {
    if (!gDisplay.textSurface) return;
    // The restored surface holds nothing defined: every slot is drawn on its own black background.
    for (int slot = 0; slot < NUM_TEXT_SLOTS; ++slot) {
        const SlotRequest &r = sSlotRequest[slot];
        if (r.drawn) DrawSlot(r.text, r.secondText, r.mix, true, r.size, slot, r.colour, r.bold);
    }
}

void DDForgetTextSlots() {
    memset(sSlotRequest, 0, sizeof sSlotRequest);
}

static void DrawSlot(const char *text, const char *secondText, float mix, bool fill, int32_t size, int slot,
                     uint32_t colour, bool bold) {
    const TextBackend *out = TextOutput();
    TextContext *context = out->begin(gDisplay.textSurface, size, bold);
    if (!context) return;

    int32_t mainWidth = 0, mainHeight = 0, secondWidth = 0, secondHeight = 0;
    out->measure(context, text, &mainWidth, &mainHeight);
    out->measure(context, secondText, &secondWidth, &secondHeight);
    const int32_t w = mainWidth > secondWidth ? mainWidth : secondWidth;
    const int32_t h = mainHeight > secondHeight ? mainHeight : secondHeight;
    const int32_t width = static_cast<int32_t>(gDisplay.width),
                  height = static_cast<int32_t>(gDisplay.height);

    // A text wider than the display starts at the left edge and is cut at the right one.
    int32_t left = (width - w) / 2;
    if (left < 0) left = 0;
    int32_t top = slot < 2 ? slot * h : height - (4 - slot) * h;
    if (slot == TEXT_SLOT_FPS) {
        left = 0;
        top = height - h;
    }
    DDRect rect = {left, top, left + w, top + h};
    rect = {Clamp(rect.left, 0, width), Clamp(rect.top, 0, height), Clamp(rect.right, 0, width),
            Clamp(rect.bottom, 0, height)};
    gTextSlotRect[slot] = rect;
    if (fill) out->fillBlack(context, rect);

    const int32_t v = static_cast<int32_t>(mix * 255.0f);
    const bool hasSecond = secondText[0] != '\0';
    const int32_t mainX = left + (w - mainWidth) / 2, secondX = left + (w - secondWidth) / 2;
    // The heavier text is drawn last, on top.
    if (mix >= 0.5f) {
        if (hasSecond) out->draw(context, secondX, top, secondText, Grey(255 - v));
        out->draw(context, mainX, top, text, colour ? colour : Grey(v));
    } else {
        out->draw(context, mainX, top, text, Grey(v));
        if (hasSecond) out->draw(context, secondX, top, secondText, Grey(255 - v));
    }
    out->end(context);
}
