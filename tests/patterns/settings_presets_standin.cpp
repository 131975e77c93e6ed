// Temporary stand-ins for the pattern-applying functions until the engine's own land on this branch: the
// standard table as built in, and an apply that does nothing but let the loader link. Removed at the merge.
#include <cstring>

#include "patterns/patterns.h"

struct Row {
    const char *name;
    int32_t v[11];
    double spiralInc;
    int32_t fadeHead, quicksand, alwaysPaint, is3D;
};

static const Row kRows[NUM_STANDARD_PRESETS] = {
    {"Tavo", {30, 250, 8, 20, 6, 1, 40, 50, 50, 15, 0}, 0.0, 0, 0, 0, 0},
    {"Pentagonal Lines", {15, 400, 10, 0, 5, 1, 50, 50, 75, 20, 0}, 0.0, 0, 0, 0, 0},
    {"Slow Ripples", {50, 550, 5, 35, 6, 0, 50, 20, 50, 20, 0}, 0.0, 0, 0, 0, 0},
    {"Spirograph", {10, 700, 30, 0, 20, 0, 50, 60, 17, 25, 0}, 0.0, 0, 0, 0, 0},
    {"Jellyfish", {15, 150, 3, 0, 3, 0, 50, 20, 100, 30, 1}, 1.0474475511933334, 0, 0, 0, 0},
    {"Wormholes", {30, 200, 3, 0, 6, 0, 50, 20, 75, 20, 1}, 0.3, 0, 0, 0, 0},
    {"Ribbons", {10, 600, 7, 2, 2, 1, 50, 30, 75, 40, 0}, 0.0, 1, 0, 0, 0},
    {"Rose Tattoo", {50, 550, 5, 35, 6, 0, 50, 40, 25, 30, 0}, 0.0, 1, 1, 0, 0},
    {"Angry Spaghetti", {50, 330, 7, 0, 14, 0, 50, 20, 50, 20, 1}, 1.0474475511933334, 1, 0, 0, 0},
    {"Sea Snakes", {20, 135, 2, 2, 7, 0, 50, 50, 75, 30, 1}, 0.0010471975511933333, 0, 0, 0, 0},
    {"Pellory's Kandy", {20, 1000, 13, 90, 8, 1, 4, 95, 1, 20, 0}, 0.0, 1, 1, 0, 0},
    {"Quorl", {50, 113, 4, 81, 6, 0, 4, 0, 30, 30, 0}, 0.0, 1, 1, 1, 0},
    {"3D Spirograph", {15, 638, 30, 0, 30, 0, 40, 50, 34, 25, 0}, 0.0, 0, 0, 0, 1},
    {"3D Tavo", {30, 250, 8, 11, 12, 1, 40, 50, 50, 20, 0}, 0.0, 0, 0, 0, 1},
    {"3D Sea Snakes", {20, 354, 11, 2, 12, 0, 50, 100, 75, 30, 1}, 0.001256637061432, 0, 0, 0, 1},
};

void InitStandardPreset(int index) {
    const Row &r = kRows[index];
    Preset *p = &gPresets[index];
    memset(p->name, 0, sizeof p->name);
    memcpy(p->name, r.name, strlen(r.name));
    int32_t *fields[11] = {&p->trailKinkiness, &p->trailLength, &p->trailDensity, &p->trailWidth,
                           &p->numberOfTrails, &p->sparkle,     &p->sparkliness,  &p->fadeSpeed,
                           &p->colourSpeed,    &p->jumpSpeed,   &p->spiralTrail};
    for (int k = 0; k < 11; ++k)
        *fields[k] = r.v[k];
    p->spiralInc = r.spiralInc;
    p->alwaysFadeHead = r.fadeHead;
    p->alwaysQuicksand = r.quicksand;
    p->alwaysPaint = r.alwaysPaint;
    p->dontUse = 0;
    p->modified = 0;
    if (r.is3D) p->is3D = 1;
}

void ApplyPreset(int index) {
    ChoosePaintMode(index);
}
void ChoosePaintMode(int) {}
