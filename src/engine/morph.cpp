// Pattern morphing. Until morphing is built, the morph logic does nothing: no morph ever starts, and a key's
// request simply stays pending.
#include "engine/engine.h"

uint32_t gMorphClock = 0;
int gMorphing = 0;
uint32_t gMorphEnd = 0;
uint32_t gNextMorphTime = 0;
int gMorphRequested = 0;
int32_t gMorphRequestTarget = -1;
int32_t gMorphSource = 0, gMorphTarget = 0;
double gMorphProgress = 0.0;
int gMorphFrom3D = 0, gMorphTo3D = 0;

void RequestMorph(int32_t target) {
    gMorphRequested = 1;
    gMorphRequestTarget = target;
}

void MorphLogic(uint32_t) {}
void BeginMorph(uint32_t, int32_t) {}
void StepMorph(uint32_t) {}
void EndMorph() {}
void SetupMorphRotAngles() {}
void MorphRotAngles() {}
