// The timed and keyed effects. Until the effects are built, none is ever scheduled or started: their flags
// stay clear and the engine's hooks read them as inactive.
#include "engine/engine.h"

Effect gEffects[NUM_EFFECTS] = {};
uint32_t gReversalPeriod = 2000;
int gColourRampSpeedMode = 0;
int32_t gColourRampM = 0, gColourRampN = 0;

void RequestEffect(EffectId e) {
    gEffects[e].request = 1;
}
void UpdateEffects(uint32_t) {}
void EndOfMorphEffects() {}

void ColourRampColour(int32_t, int32_t *r, int32_t *g, int32_t *b) {
    *r = gColourR;
    *g = gColourG;
    *b = gColourB;
}
