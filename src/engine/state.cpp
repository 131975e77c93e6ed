// The engine's process-wide state with its start values: the head, its attractors and walls, the emission
// colour, the tick times of the periodic actions, the working parameters and the particle list.
#include "engine/engine.h"

TrailSettings gTrail = {};
int gPainting = 0;
uint32_t gFrameDelayUs = 0;

double gHeadX = 0.0, gHeadY = 0.0;
double gHeadVX = 0.0, gHeadVY = 0.0;
double gTimeStep = 0.0;
double gHalfStepSq = 0.0;
double gGravity = 1.0;
double gWallForce = 70.0;
Attractor gAttractors[MAX_ATTRACTORS] = {};
double gAttractorMinDist[MAX_ATTRACTORS] = {};
uint32_t gFadeStartAge = 0;
int32_t gColourR = 0, gColourG = 0, gColourB = 0;
int32_t gColourStepR = 0, gColourStepG = 0, gColourStepB = 0;
uint32_t gNextColourTime = 0;
uint32_t gNextJumpTime = 0;
uint32_t gNextDrawTime = 0;
int gClearRequest = 1;

TrailParticle *gTrailParticles = nullptr;
RotAngle *gRotAngle = nullptr;
uint32_t gRotAngleCount = 0;
double gSpiralPhase = 0.0;
double gPulsePhase = 0.0;
uint32_t gThinDivisor = 0;
