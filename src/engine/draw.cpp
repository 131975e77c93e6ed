// Trail drawing. Until the display is built, a frame draws nothing and takes no time.
#include "engine/engine.h"

float gFrameRate = 0.0f;
double gTiltPhase = 0.0;

uint32_t DrawTrails() {
    return 0;
}

float GetFrameRate() {
    return gFrameRate;
}
