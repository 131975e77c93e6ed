// Text on Windows: GDI on the surface's device context (DirectDraw's own, or a memory DC over a software
// surface). A font is created and deleted around every draw, as the display logic asks.
#include <cstdlib>
#include <windows.h>

#include "platform/text.h"

struct TextContext {
    DDSurface *surface;
    HDC dc;
    HFONT font, previous;
};

static TextContext *GdiBegin(DDSurface *surface, int32_t pixelHeight, bool bold) {
    void *dc = nullptr;
    if (DDFailed(DisplayDevice()->getDC(surface, &dc)) || !dc) return nullptr;
    auto *c = static_cast<TextContext *>(calloc(1, sizeof(TextContext)));
    if (!c) {
        DisplayDevice()->releaseDC(surface, dc);
        return nullptr;
    }
    c->surface = surface;
    c->dc = static_cast<HDC>(dc);
    // A negative height asks for that character height.
    c->font = CreateFontA(-pixelHeight, 0, 0, 0, bold ? 700 : 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    c->previous = static_cast<HFONT>(SelectObject(c->dc, c->font));
    SetBkMode(c->dc, TRANSPARENT);
    return c;
}

static void GdiMeasure(TextContext *c, const char *text, int32_t *width, int32_t *height) {
    SIZE size{};
    GetTextExtentPointA(c->dc, text, lstrlenA(text), &size);
    *width = size.cx;
    *height = size.cy;
}

static void GdiFillBlack(TextContext *c, const DDRect &rect) {
    const RECT r = {rect.left, rect.top, rect.right, rect.bottom};
    FillRect(c->dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

static void GdiDraw(TextContext *c, int32_t x, int32_t y, const char *text, uint32_t colorRef) {
    SetTextColor(c->dc, colorRef);
    TextOutA(c->dc, x, y, text, lstrlenA(text));
}

static void GdiEnd(TextContext *c) {
    SelectObject(c->dc, c->previous);
    DeleteObject(c->font);
    DisplayDevice()->releaseDC(c->surface, c->dc);
    free(c);
}

const TextBackend *SystemTextBackend() {
    static const TextBackend backend = {GdiBegin, GdiMeasure, GdiFillBlack, GdiDraw, GdiEnd};
    return &backend;
}
