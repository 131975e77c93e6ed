// Display and text output: the display state and its set-up, colour packing and pixel writing, frame
// presentation, text overlays, hints, and failure reporting with the diagnostic log. Written once above the
// display-device seam; nothing here knows which backend it runs on.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/ddevice.h"

// ---------------------------------------------------------------------------------------------------------------
// Display state (one process-wide record)
// ---------------------------------------------------------------------------------------------------------------
constexpr int MODE_LIST_SIZE = 20; // display sizes the settings dialog can offer
constexpr int MODE_TEXT_LEN = 30;  // characters of one size text, terminator included
constexpr int NUM_TEXT_SLOTS = 5;  // 0, 1 key help; 2 hint; 3 pattern name; 4 frame rate
constexpr int TEXT_SLOT_KEYHELP1 = 0;
constexpr int TEXT_SLOT_KEYHELP2 = 1;
constexpr int TEXT_SLOT_HINT = 2;
constexpr int TEXT_SLOT_NAME = 3;
constexpr int TEXT_SLOT_FPS = 4; // bottom-left corner, only while gShowFps is set

struct DisplayState {
    DDDevice *device;                         // the device object, or none
    DDSurface *primary;                       // the visible surface
    DDSurface *back;                          // full screen: attached back buffer; preview: off-screen
    DDSurface *textSurface;                   // the text slots (created on first use)
    DDSurface *bgSurface;                     // the blue gradient, only with "Background Brightness" > 0
    WindowHandle window;                      // the saver window given to set-up
    WindowHandle previewTopWindow;            // preview: four parents up; presented only while foreground
    DDRect previewRect;                       // preview: the window's client area, screen coordinates
    uint32_t width, height;                   // display size in use, pixels
    int offered16, offered24, offered32;      // the requested size is offered at that depth
    int ready;                                // set-up completed; cleared by tear-down
    uint32_t redShift, greenShift, blueShift; // bit position of each channel in a pixel value
    uint32_t redDivisor, greenDivisor, blueDivisor; // 256 / 2^(channel width); 0 for wider channels
    uint32_t redDrop, greenDrop, blueDrop;          // low bits of an 8-bit value the divisor drops
    uint32_t refreshRate;                           // Hz, read at set-up; 0 where the display does not say
    DDLockDesc lockDesc;                            // the last successful lock: pitch and top-left pixel
    uint32_t bytesPerPixel;                         // of the pixel writer: the format's bit count in bytes
    float centreX, centreY;                         // centre of the drawing, pixels
    char modeList[MODE_LIST_SIZE][MODE_TEXT_LEN];   // "%lu x %lu" sizes in first-enumerated order
    uint32_t modeCount;
};
extern DisplayState gDisplay;

// Clear frames to the blue gradient instead of black; chosen at each start and at morph starts.
extern int gBlueBackground;
// Show the frame rate and the process's share of the processor in a corner of every frame.
extern int gShowFps;

// A text slot's rectangle on the text surface, equal to where it is copied onto the drawing target.
extern DDRect gTextSlotRect[NUM_TEXT_SLOTS];

// --- set-up (once per saver window)
// ----------------------------------------------------------------------------
bool DDInit(WindowHandle window, uint32_t width, uint32_t height); // false: reported and torn down
bool DDCreateSurfaces();
void DDEnumModesCallback(const DDModeDesc *mode);
void DDGetResolutions(char list[MODE_LIST_SIZE][MODE_TEXT_LEN], uint32_t *count);
bool DDCreateBgSurface();
void DDPaintBgSurface(); // the gradient, again after its surface was restored
void DDUpdatePreviewRect();
// Writes one pixel (2 x 2 when doubled) into the locked surface; positions outside the display are dropped.
void DDPutPixel(int32_t x, int32_t y, uint32_t colour, bool doubled);

// --- per frame (meaningful only between a successful DDInit and DDCleanUp)
// -------------------------------------
void DDClearTarget();
void DDBltTextSlot(int slot);
bool DDLockTarget();
void DDUnlockTarget();
void DDPresent();
// The drawing target's pixels inside rect were drawn this frame (the pixel writer's own bounding box).
void DDNoteDrawn(const DDRect *rect);
// The area of the visible surface the last shown frame changed; false when it is not known (take it whole).
bool DDGetChangedRect(DDRect *rect);
// The frame-rate figure on the drawing target (fps.cpp), called by DDPresent while gShowFps is set.
void DDShowFps();
void DDResetFpsForTests();
// Restores whatever surface reports itself lost and redraws what it held; false when a restore failed.
bool DDRestoreLostSurfaces();
void DDCleanUp(); // safe at any time, any number of times
// Tests and tools: called with the locked-then-unlocked drawing target just before each presentation.
using DDPresentProbe = void (*)(DDSurface *target);
void DDSetPresentProbe(DDPresentProbe probe);
// Tests: the whole display state, including the process-wide mode list, back to its start.
void DDResetForTests();

// --- text overlays
// -----------------------------------------------------------------------------------------------
bool DDCreateTextSurface();
// Draws `text` (cross-faded against `secondText` by `mix`, the main text's weight) into a slot.
void DDDrawText(const char *text, const char *secondText, float mix, bool fill, int32_t size, int slot,
                uint32_t colour, bool bold);
// Tests: a probe that sees every text request with its arguments, whether or not a display is there to draw
// it.
using DDDrawTextProbe = void (*)(const char *text, const char *secondText, float mix, bool fill, int32_t size,
                                 int slot, uint32_t colour, bool bold);
void DDSetDrawTextProbe(DDDrawTextProbe probe);
// Draws every slot again from its last request, after the text surface was restored.
void DDRedrawTextSlots();
void DDForgetTextSlots(); // the text surface is gone: nothing to draw again
extern const char *const kKeyHelpLine1;
extern const char *const kKeyHelpLine2;

// Shift and divisor of one channel mask: shift = zero bits below the lowest set bit; divisor = 256 / 2^width.
void DDAnalyseMask(uint32_t mask, uint32_t *shift, uint32_t *divisor);
// The display's channel shifts, divisors and bytes per pixel from its pixel format, settled once per set-up.
void DDSetPixelFormat(const DDPixelFormat *format);
// 8-bit red, green and blue to a pixel value of the display's format (no rounding, no clamping).
uint32_t DDPackColour(uint32_t red, uint32_t green, uint32_t blue);

// ---------------------------------------------------------------------------------------------------------------
// Failure reporting and the diagnostic log
// ---------------------------------------------------------------------------------------------------------------
// Appends one entry, "%u/%u/%u %u:%02u:%02u> " with the local date and time, then the formatted message.
void LogMessage(const char *format, ...) __attribute__((format(printf, 1, 2)));
void ErrorBox(const char *text);                  // "Tavo", OK, error icon
bool AskYesNo(const char *text, bool yesDefault); // "Tavo", Yes/No; true exactly on Yes
// The published name of a DirectDraw result code; "Unknown error" for any other.
const char *DDErrorName(int32_t result);
// Tears the display down, then shows the formatted message (cut to 255 characters) in a box titled
// "Initialisation Error" and logs it.
void DDInitFail(const char *format, ...) __attribute__((format(printf, 1, 2)));
// The product version text of the running program ("1.11"); left empty where the program carries none.
// `fileName` is what the caller knows the program by; the running module's own file is read instead.
void GetProductVersion(const char *fileName, char *version, size_t versionSize);

// ---------------------------------------------------------------------------------------------------------------
// Performance hints (hints.cpp)
// ---------------------------------------------------------------------------------------------------------------
constexpr float HINT_START_LOWEST_RATE = 10000.0f;       // frames per second before any measurement
constexpr float HINT_RATE_AFTER_DOUBLE_SIZE = 100000.0f; // set by the D key: the rate is judged afresh
constexpr float HINT_SLOW_RATE = 20.0f;                  // below this many frames per second a hint is given

extern float gLowestFrameRate; // lowest positive measured frame rate so far, frames per second

// Copies the current performance hint into text (at most size bytes with its NUL), after updating it: the
// first call compares the desktop's size with "Resolution", later calls judge the measured frame rate.
void GetPerformanceHint(char *text, size_t size);
void ResetHintsForTests();
