// The text seam: measure and draw a string at a pixel height and weight onto a display surface, without a
// background. GDI on Windows (on the surface's device context); FreeType with fontconfig elsewhere, asking
// for "Arial". Tests install a recording backend. Colours are COLORREF values (0x00BBGGRR).
#pragma once
#include <cstdint>

#include "platform/ddevice.h"

struct TextContext; // one drawing session on one surface with one font, opaque

struct TextBackend {
    // Opens the surface for drawing with the font of this character height (pixels) and weight (700 bold,
    // else the font's default); nullptr when the surface gives no drawing context.
    TextContext *(*begin)(DDSurface *surface, int32_t pixelHeight, bool bold);
    void (*measure)(TextContext *context, const char *text, int32_t *width, int32_t *height);
    void (*fillBlack)(TextContext *context, const DDRect &rect);
    // Draws the glyphs only (transparent background), top-left at (x, y), clipped to the surface.
    void (*draw)(TextContext *context, int32_t x, int32_t y, const char *text, uint32_t colorRef);
    void (*end)(TextContext *context); // the font is deleted and the surface given back
};

const TextBackend *SystemTextBackend();          // text_freetype.cpp / text_win32.cpp
void SetTextBackend(const TextBackend *backend); // nullptr puts the system's back
const TextBackend *TextOutput();
