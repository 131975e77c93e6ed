// The fifteen standard patterns, and applying a pattern to the engine's working parameters with the painting
// decision. Called by the settings loader, the library operations, the session start and the end of a morph.
// Never lets a value the engine divides by reach it below 1.
#include <cstring>

#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"

namespace {

struct StandardRow {
    const char *name;
    int32_t trailKinkiness, trailLength, trailDensity, trailWidth, numberOfTrails;
    int32_t sparkle, sparkliness, fadeSpeed, colourSpeed, jumpSpeed, spiralTrail;
    double spiralInc;
    int32_t alwaysFadeHead, alwaysQuicksand, alwaysPaint, is3D;
};

// Other parts of the saver refer to these by index (7, 10, 12, 14): the order is binding. The spiral
// increments are the exact doubles the patterns have always held, written as such.
const StandardRow kStandardPresets[NUM_STANDARD_PRESETS] = {
    {"Tavo", 30, 250, 8, 20, 6, 1, 40, 50, 50, 15, 0, 0.0, 0, 0, 0, 0},
    {"Pentagonal Lines", 15, 400, 10, 0, 5, 1, 50, 50, 75, 20, 0, 0.0, 0, 0, 0, 0},
    {"Slow Ripples", 50, 550, 5, 35, 6, 0, 50, 20, 50, 20, 0, 0.0, 0, 0, 0, 0},
    {"Spirograph", 10, 700, 30, 0, 20, 0, 50, 60, 17, 25, 0, 0.0, 0, 0, 0, 0},
    {"Jellyfish", 15, 150, 3, 0, 3, 0, 50, 20, 100, 30, 1, 1.0474475511933334, 0, 0, 0, 0},
    {"Wormholes", 30, 200, 3, 0, 6, 0, 50, 20, 75, 20, 1, 0.3, 0, 0, 0, 0},
    {"Ribbons", 10, 600, 7, 2, 2, 1, 50, 30, 75, 40, 0, 0.0, 1, 0, 0, 0},
    {"Rose Tattoo", 50, 550, 5, 35, 6, 0, 50, 40, 25, 30, 0, 0.0, 1, 1, 0, 0},
    {"Angry Spaghetti", 50, 330, 7, 0, 14, 0, 50, 20, 50, 20, 1, 1.0474475511933334, 1, 0, 0, 0},
    {"Sea Snakes", 20, 135, 2, 2, 7, 0, 50, 50, 75, 30, 1, 0.0010471975511933333, 0, 0, 0, 0},
    {"Pellory's Kandy", 20, 1000, 13, 90, 8, 1, 4, 95, 1, 20, 0, 0.0, 1, 1, 0, 0},
    {"Quorl", 50, 113, 4, 81, 6, 0, 4, 0, 30, 30, 0, 0.0, 1, 1, 1, 0},
    {"3D Spirograph", 15, 638, 30, 0, 30, 0, 40, 50, 34, 25, 0, 0.0, 0, 0, 0, 1},
    {"3D Tavo", 30, 250, 8, 11, 12, 1, 40, 50, 50, 20, 0, 0.0, 0, 0, 0, 1},
    {"3D Sea Snakes", 20, 354, 11, 2, 12, 0, 50, 100, 75, 30, 1, 0.001256637061432, 0, 0, 0, 1},
};

// "Pellory's Kandy" keeps its fade while painting: its look depends on it.
constexpr int PELLORYS_KANDY = 10;

int32_t AtLeastOne(int32_t v) {
    return v < 1 ? 1 : v;
}

} // namespace

void InitStandardPreset(int index) {
    if (index < 0 || index >= NUM_STANDARD_PRESETS || !gPresets) return;
    const StandardRow &row = kStandardPresets[index];
    Preset &p = gPresets[index];
    strncpy(p.name, row.name, PRESET_NAME_LEN); // pads the rest of the buffer with NULs
    p.name[PRESET_NAME_LEN] = '\0';
    p.trailKinkiness = row.trailKinkiness;
    p.trailLength = row.trailLength;
    p.trailDensity = row.trailDensity;
    p.trailWidth = row.trailWidth;
    p.numberOfTrails = row.numberOfTrails;
    p.sparkle = row.sparkle;
    p.sparkliness = row.sparkliness;
    p.fadeSpeed = row.fadeSpeed;
    p.colourSpeed = row.colourSpeed;
    p.jumpSpeed = row.jumpSpeed;
    p.spiralTrail = row.spiralTrail;
    p.spiralInc = row.spiralInc;
    p.alwaysFadeHead = row.alwaysFadeHead;
    p.alwaysQuicksand = row.alwaysQuicksand;
    p.alwaysPaint = row.alwaysPaint;
    p.dontUse = 0;
    p.modified = 0;
    // Only the 3D rows write the flag; the others rely on the zero-filled block they are built in.
    if (row.is3D) p.is3D = 1;
}

void ApplyPreset(int index) {
    if (index < 0 || index >= gPresetCount || !gPresets) return;
    const Preset &p = gPresets[index];
    gTrail.trailKinkiness =
        p.trailKinkiness < 0 ? 0 : (p.trailKinkiness > MAX_ATTRACTORS ? MAX_ATTRACTORS : p.trailKinkiness);
    gTrail.trailLength = p.trailLength;
    gTrail.trailDensity = AtLeastOne(p.trailDensity);
    gTrail.trailWidth = p.trailWidth;
    gTrail.numberOfTrails = AtLeastOne(p.numberOfTrails);
    gTrail.sparkle = p.sparkle;
    gTrail.sparkliness = AtLeastOne(p.sparkliness);
    gTrail.fadeSpeed = p.fadeSpeed;
    gTrail.colourSpeed = p.colourSpeed;
    gTrail.jumpSpeed = p.jumpSpeed;
    gTrail.spiralTrail = p.spiralTrail;
    gTrail.spiralInc = p.spiralInc;
    gTrail.alwaysFadeHead = p.alwaysFadeHead;
    gTrail.alwaysQuicksand = p.alwaysQuicksand;
    gTrail.is3D = p.is3D;
    ChoosePaintMode(index);
}

void ChoosePaintMode(int index) {
    if (index < 0 || index >= gPresetCount || !gPresets) return;
    const Preset &p = gPresets[index];
    // A morph to or from a 3D pattern keeps painting off until it ends, jumps included.
    const bool morphing3D = gMorphing && (gMorphFrom3D || gMorphTo3D);
    if (gPreviewMode || p.is3D || morphing3D) {
        gPainting = 0;
        gTrail.fadeSpeed = p.fadeSpeed;
    } else if (p.alwaysPaint || (Rand() % 10) < gPaintingMode) {
        gPainting = 1;
        // Painted trails accumulate on the screen, so they are normally not faded at all.
        gTrail.fadeSpeed = (gTrail.spiralTrail == 0 && index != PELLORYS_KANDY) ? 0 : p.fadeSpeed;
    } else {
        gPainting = 0;
        gTrail.fadeSpeed = p.fadeSpeed;
    }
    RefreshTrailSettings();
}
