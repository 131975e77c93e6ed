// Display and text output: the display state and its set-up, colour packing and pixel writing, frame
// presentation, text overlays, hints, and failure reporting with the diagnostic log. Written once above the
// display-device seam; nothing here knows which backend it runs on.
#pragma once
#include <cstdint>

// ---------------------------------------------------------------------------------------------------------------
// Display state (one process-wide record)
// ---------------------------------------------------------------------------------------------------------------
struct DisplayState {
    uint32_t width, height;                         // display size in use, pixels
    uint32_t redShift, greenShift, blueShift;       // bit position of each channel in a pixel value
    uint32_t redDivisor, greenDivisor, blueDivisor; // 256 / 2^(channel width); 0 for wider channels
    int ready;                                      // set-up completed; cleared by tear-down
};
extern DisplayState gDisplay;

// Clear frames to the blue gradient instead of black; chosen at each start and at morph starts.
extern int gBlueBackground;

// Shift and divisor of one channel mask: shift = zero bits below the lowest set bit; divisor = 256 / 2^width.
void DDAnalyseMask(uint32_t mask, uint32_t *shift, uint32_t *divisor);
// 8-bit red, green and blue to a pixel value of the display's format (no rounding, no clamping).
uint32_t DDPackColour(uint32_t red, uint32_t green, uint32_t blue);

// ---------------------------------------------------------------------------------------------------------------
// Text overlays
// ---------------------------------------------------------------------------------------------------------------
// Draws text (and a second text cross-faded against it by mix) into one of the four text slots.
void DDDrawText(const char *text, const char *secondText, float mix, int fill, int32_t size, int slot, uint32_t colour, int bold);

// ---------------------------------------------------------------------------------------------------------------
// Failure reporting and the diagnostic log
// ---------------------------------------------------------------------------------------------------------------
// Appends one entry, "%u/%u/%u %u:%02u:%02u> " with the local date and time, then the formatted message.
void LogMessage(const char *format, ...) __attribute__((format(printf, 1, 2)));
void ErrorBox(const char *text);                  // "Tavo", OK, error icon
bool AskYesNo(const char *text, bool yesDefault); // "Tavo", Yes/No; true exactly on Yes
