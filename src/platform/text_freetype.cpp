// Text outside Windows: FreeType glyphs, blended by their coverage straight into the surface's pixels
// (through the device's lock), with the face that fontconfig gives for "Arial" (Liberation Sans where
// fonts-liberation2 is installed). Never reads a font by path of its own choosing.
#include <cstdlib>
#include <cstring>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/text.h"

struct TextContext {
    DDSurface *surface;
    DDLockDesc pixels;
    DDPixelFormat format;
    FT_Face face;
};

static FT_Library sLibrary = nullptr;
static FT_Face sFaces[2] = {nullptr, nullptr}; // normal, bold; loaded once per process
static bool sTried[2] = {false, false};

static FT_Face LoadFace(bool bold) {
    const int which = bold ? 1 : 0;
    if (sTried[which]) return sFaces[which];
    sTried[which] = true;
    if (!sLibrary && FT_Init_FreeType(&sLibrary) != 0) return nullptr;
    if (!FcInit()) return nullptr;
    FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>("Arial"));
    if (!pattern) return nullptr;
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    FcChar8 *file = nullptr;
    int index = 0;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (FT_New_Face(sLibrary, reinterpret_cast<const char *>(file), index, &sFaces[which]) != 0)
            sFaces[which] = nullptr;
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    FcFini(); // the face is open; fontconfig's caches are not needed again
    return sFaces[which];
}

// Texts are 8-bit Windows-1252, as the settings store keeps them.
static uint32_t CodePoint(unsigned char c) {
    static const uint16_t k80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    return c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : c;
}

static TextContext *FtBegin(DDSurface *surface, int32_t pixelHeight, bool bold) {
    FT_Face face = LoadFace(bold);
    if (!face || pixelHeight <= 0) return nullptr;
    auto *c = static_cast<TextContext *>(calloc(1, sizeof(TextContext)));
    if (!c) return nullptr;
    c->surface = surface;
    c->face = face;
    if (DDFailed(DisplayDevice()->getPixelFormat(surface, &c->format)) ||
        DDFailed(DisplayDevice()->lock(surface, &c->pixels))) {
        free(c);
        return nullptr;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight));
    return c;
}

static void FtMeasure(TextContext *c, const char *text, int32_t *width, int32_t *height) {
    int32_t w = 0;
    for (const char *p = text; *p; ++p)
        if (FT_Load_Char(c->face, CodePoint(static_cast<unsigned char>(*p)), FT_LOAD_DEFAULT) == 0)
            w += static_cast<int32_t>((c->face->glyph->advance.x + 32) >> 6);
    const FT_Size_Metrics &m = c->face->size->metrics;
    *width = w;
    *height = static_cast<int32_t>((m.ascender - m.descender + 32) >> 6);
}

static bool Clip(const TextContext *c, DDRect *r) {
    if (r->left < 0) r->left = 0;
    if (r->top < 0) r->top = 0;
    if (r->right > static_cast<int32_t>(c->pixels.width)) r->right = static_cast<int32_t>(c->pixels.width);
    if (r->bottom > static_cast<int32_t>(c->pixels.height))
        r->bottom = static_cast<int32_t>(c->pixels.height);
    return r->left < r->right && r->top < r->bottom;
}

static void FtFillBlack(TextContext *c, const DDRect &rect) {
    DDRect r = rect;
    if (!Clip(c, &r)) return;
    const uint32_t bytes = (c->format.bitCount + 7) / 8;
    for (int32_t y = r.top; y < r.bottom; ++y)
        memset(c->pixels.surface + static_cast<size_t>(y) * c->pixels.pitch +
                   static_cast<size_t>(r.left) * bytes,
               0, static_cast<size_t>(r.right - r.left) * bytes);
}

// One channel: where it sits in the pixel value and how many bits it has.
struct Channel {
    uint32_t shift, bits;
};
static Channel ChannelOf(uint32_t mask) {
    Channel ch{0, 0};
    if (!mask) return ch;
    while (!(mask & (1u << ch.shift)))
        ++ch.shift;
    while (ch.shift + ch.bits < 32 && (mask & (1u << (ch.shift + ch.bits))))
        ++ch.bits;
    return ch;
}

static uint32_t Blend(uint32_t dest, uint32_t src8, uint32_t coverage, const Channel &ch) {
    if (!ch.bits) return 0;
    const uint32_t max = ch.bits >= 32 ? 0xFFFFFFFFu : (1u << ch.bits) - 1;
    const uint32_t d = (dest >> ch.shift) & max;
    const uint32_t s = static_cast<uint32_t>((static_cast<uint64_t>(src8) * max + 127) / 255);
    const uint32_t v = static_cast<uint32_t>(
        (static_cast<uint64_t>(s) * coverage + static_cast<uint64_t>(d) * (255 - coverage) + 127) / 255);
    return (v & max) << ch.shift;
}

static void FtDraw(TextContext *c, int32_t x, int32_t y, const char *text, uint32_t colorRef) {
    const uint32_t red = colorRef & 0xFF, green = (colorRef >> 8) & 0xFF, blue = (colorRef >> 16) & 0xFF;
    const Channel rc = ChannelOf(c->format.redMask), gc = ChannelOf(c->format.greenMask),
                  bc = ChannelOf(c->format.blueMask);
    const uint32_t bytes = (c->format.bitCount + 7) / 8;
    const int32_t baseline = y + static_cast<int32_t>((c->face->size->metrics.ascender + 32) >> 6);
    int32_t penX = x;
    for (const char *p = text; *p; ++p) {
        if (FT_Load_Char(c->face, CodePoint(static_cast<unsigned char>(*p)), FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = c->face->glyph;
        const FT_Bitmap &bm = g->bitmap;
        for (uint32_t row = 0; row < bm.rows; ++row) {
            const int32_t py = baseline - g->bitmap_top + static_cast<int32_t>(row);
            if (py < 0 || py >= static_cast<int32_t>(c->pixels.height)) continue;
            uint8_t *line = c->pixels.surface + static_cast<size_t>(py) * c->pixels.pitch;
            for (uint32_t col = 0; col < bm.width; ++col) {
                const int32_t px = penX + g->bitmap_left + static_cast<int32_t>(col);
                if (px < 0 || px >= static_cast<int32_t>(c->pixels.width)) continue;
                const uint32_t coverage = bm.buffer[row * bm.pitch + col];
                if (!coverage) continue;
                uint8_t *at = line + static_cast<size_t>(px) * bytes;
                uint32_t dest = 0;
                for (uint32_t i = 0; i < bytes; ++i)
                    dest |= static_cast<uint32_t>(at[i]) << (8 * i);
                const uint32_t out = Blend(dest, red, coverage, rc) | Blend(dest, green, coverage, gc) |
                                     Blend(dest, blue, coverage, bc);
                for (uint32_t i = 0; i < bytes; ++i)
                    at[i] = static_cast<uint8_t>(out >> (8 * i));
            }
        }
        penX += static_cast<int32_t>((g->advance.x + 32) >> 6);
    }
}

static void FtEnd(TextContext *c) {
    DisplayDevice()->unlock(c->surface);
    free(c);
}

const TextBackend *SystemTextBackend() {
    static const TextBackend backend = {FtBegin, FtMeasure, FtFillBlack, FtDraw, FtEnd};
    return &backend;
}
