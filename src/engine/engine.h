// The trail engine: the head's physics, the particle trail, morphing, the effects and the drawing of frames.
// Plain process-wide state with the system's names; no OS calls here: time and messages come through the
// platform seams (platform/clock.h, platform/window.h).
#pragma once
#include <cstdint>

#include "platform/clock.h"
#include "platform/window.h"

// ---------------------------------------------------------------------------------------------------------------
// Shared helpers: the one random generator and the angle constants
// ---------------------------------------------------------------------------------------------------------------
constexpr double TWO_PI = 6.28318530716; // 2π as the engine writes it
constexpr double PI = 3.14159265358;     // π as the engine writes it
constexpr double DEG_TO_RAD = 0.01745329251988889;

// The program's generator: state = state × 214013 + 2531011 (mod 2^32); a draw returns bits 16..30 of the new
// state, 0..32767. Seeded once at each saver start with the calendar seconds shifted right by one.
extern uint32_t gRandState;
void SeedRand(uint32_t seed);
int32_t Rand(); // 0..32767

// ---------------------------------------------------------------------------------------------------------------
// Working parameters: the engine's copies of the current pattern's fields (set by ApplyPreset, moved by
// morphs, effects and keys)
// ---------------------------------------------------------------------------------------------------------------
struct TrailSettings {
    int32_t trailKinkiness;  // live attractors, 0..50
    int32_t trailLength;     // particle lifetime in particle updates
    int32_t trailDensity;    // one particle every this many physics steps, >= 1
    int32_t trailWidth;      // largest heading deviation of a new particle, degrees
    int32_t numberOfTrails;  // rotated copies of every particle, >= 1
    int32_t sparkle;         // particles may sparkle
    int32_t sparkliness;     // a particle sparkles with probability 1/sparkliness per update, >= 1
    int32_t fadeSpeed;       // percentage of the lifetime spent fading out, 0..100
    int32_t colourSpeed;     // milliseconds between colour-cycling steps
    int32_t jumpSpeed;       // seconds between jumps of the head
    int32_t spiralTrail;     // headings turn by the running spiral phase
    double spiralInc;        // radians added to the spiral phase per emitted particle
    int32_t alwaysFadeHead;  // Fade Head permanently on
    int32_t alwaysQuicksand; // Quicksand permanently on (unless spiralTrail)
    int32_t is3D;            // drawn with the swinging 3D tilt
};
extern TrailSettings gTrail;

// The painting-mode flag: frames are drawn straight onto the visible surface and not cleared.
extern int gPainting;
extern uint32_t gFrameDelayUs; // floor in microseconds on the time between drawn frames, 0 none

// ---------------------------------------------------------------------------------------------------------------
// Head physics and periodic actions
// ---------------------------------------------------------------------------------------------------------------
constexpr int MAX_ATTRACTORS = 50;

struct Attractor {
    double strength; // positive attracts, negative repels
    uint32_t x;      // pixel column
    uint32_t y;      // pixel row
};

extern double gHeadX, gHeadY;   // head position, pixels, origin top left
extern double gHeadVX, gHeadVY; // head velocity
extern double gTimeStep;        // integration step, 0.001 after a reset
extern double gHalfStepSq;      // acceleration term of the position update, 5e-7
extern double gGravity;         // attractor force constant, start 1.0
extern double gWallForce;       // wall repulsion constant, start 70.0
extern Attractor gAttractors[MAX_ATTRACTORS];
extern double gAttractorMinDist[MAX_ATTRACTORS];         // no force inside this distance
extern uint32_t gFadeStartAge;                           // age at which new particles begin to fade out
extern int32_t gColourR, gColourG, gColourB;             // emission colour, 0..255 each
extern int32_t gColourStepR, gColourStepG, gColourStepB; // per-step change of each channel
extern uint32_t gNextColourTime;                         // tick time of the next colour-cycling step
extern uint32_t gNextJumpTime;                           // tick time of the next jump
extern uint32_t gNextDrawTime;                           // tick time after which the next frame is drawn
extern int gClearRequest; // one-shot clear of the drawing target in painting mode, start 1

// A tick time is due once the clock has passed it, compared across the wrap of the count; a time of 0 has not
// been scheduled yet and is due at once.
inline bool TickDue(uint32_t now, uint32_t when) {
    return when == 0 || TickAfter(now, when);
}

void UpdateTrails(WindowHandle window); // the frame step, once per timer tick unless paused
void MoveTrailHead();                   // one physics step of the head: attractors, walls, integration
void ResetTrailHead();
void RefreshTrailSettings();
void SetupAttractors();
void JumpTrailHead(bool nearCentre);
void CycleColour();
void FreeTrails();
float GetFrameRate();

// ---------------------------------------------------------------------------------------------------------------
// Particles and the rotation table
// ---------------------------------------------------------------------------------------------------------------
struct TrailParticle {
    double x, y;         // position, pixels
    double vx, vy;       // velocity, pixels per particle update
    uint32_t age;        // particle updates lived so far
    uint32_t lifetime;   // age at which the particle dies
    uint32_t fadeStart;  // age at which fading out begins
    uint32_t colour;     // packed pixel value to draw
    int32_t r, g, b;     // base colour, 0..255 each
    int sparkling;       // drawn white for this update
    int bornInRamp;      // the Colour Ramp was active at birth
    int fadeHead;        // fades in at the start of its life
    TrailParticle *prev; // newer neighbour, nullptr for the newest
    TrailParticle *next; // older neighbour, nullptr for the oldest
};

// One drawn copy: its angle (radians), the morph's from/to angles, and the matrix cos, sin, −sin, cos.
struct RotAngle {
    float angle;
    float fromAngle;
    float toAngle;
    float m[4];
};

extern TrailParticle *gTrailParticles; // newest first
extern RotAngle *gRotAngle;            // numberOfTrails entries (the larger count while morphing)
extern uint32_t gRotAngleCount;        // entries in gRotAngle (0 when there is no table)
extern double gSpiralPhase;            // radians
extern double gPulsePhase;             // radians
extern uint32_t gThinDivisor;          // 0 = no thinning at the next particle update

void AddTrailParticle();
void UpdateTrailParticles();                          // the particle update, every 100 physics steps
TrailParticle *RemoveTrailParticle(TrailParticle *p); // returns p's older neighbour
void RemoveAllTrailParticles();
void ReleaseParticleBlocks(); // returns the particles' memory to the heap once no particle is left
void SetupRotAngles();
double HeadingAngle(double a, double b);             // angle of (a, b) in [0, 2π)
void SetRotAngleEntry(RotAngle *entry, float angle); // angle and its matrix

// ---------------------------------------------------------------------------------------------------------------
// Morphing between patterns
// ---------------------------------------------------------------------------------------------------------------
extern uint32_t gMorphClock;        // +1 per UpdateTrails call and per multiple-of-10 physics step
extern int gMorphing;               // a morph is running
extern uint32_t gMorphEnd;          // morph clock value at which the running morph ends
extern uint32_t gNextMorphTime;     // tick time of the next automatic morph; 0 until the first call
extern int gMorphRequested;         // a key asked for a morph
extern int32_t gMorphRequestTarget; // pattern asked for, −1 random
extern int32_t gMorphSource, gMorphTarget;
extern double gMorphProgress;        // p, 0 at the start, 1 at the end
extern int gMorphFrom3D, gMorphTo3D; // is3D of the source and the target

void RequestMorph(int32_t target);
void MorphLogic(uint32_t clock); // every multiple-of-10 physics step, after gMorphClock is increased
void BeginMorph(uint32_t clock, int32_t requested);
void StepMorph(uint32_t clock);
void EndMorph();
void SetupMorphRotAngles();
void MorphRotAngles();
void ResetMorphForTests(); // morph state, the favoured first pick and the name fill flag to start values

// ---------------------------------------------------------------------------------------------------------------
// Effects
// ---------------------------------------------------------------------------------------------------------------
enum EffectId {
    EFFECT_CENTRE_PULL,   // C
    EFFECT_FADE_HEAD,     // F
    EFFECT_REVERSAL,      // J
    EFFECT_PULSE,         // L
    EFFECT_COLOUR_RAMP,   // O
    EFFECT_QUICKSAND,     // Q
    EFFECT_FAN,           // S
    EFFECT_COSINE_SPEED,  // V
    EFFECT_FOUNTAIN,      // W
    EFFECT_FIXED_HEADING, // Z
    EFFECT_SPEED_HEADING, // no key
    NUM_EFFECTS
};

struct Effect {
    int active;     // running now
    int request;    // a key asked for it
    uint32_t start; // tick time of the next start; 0 until first scheduled
    uint32_t end;   // tick time at which the running period ends
};
extern Effect gEffects[NUM_EFFECTS];
extern uint32_t gReversalPeriod;           // physics steps between velocity reversals
extern int gColourRampSpeedMode;           // 1: ramp level from the particle's speed; 0: from its age
extern int32_t gColourRampM, gColourRampN; // ramp levels

inline bool EffectActive(EffectId e) {
    return gEffects[e].active != 0;
}
void RequestEffect(EffectId e);   // a key asked for the effect
void UpdateEffects(uint32_t now); // first-time schedules and transitions, once per UpdateTrails call
void EndOfMorphEffects();         // Fade Head / Quicksand from the "always" flags; stop forbidden effects
// The ramp colour at level k, 0..255 per channel.
void ColourRampColour(int32_t level, int32_t *r, int32_t *g, int32_t *b);
void ResetEffectsForTests(); // every effect idle and unscheduled, ramp and Reversal period to start values

// ---------------------------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------------------------
extern float gFrameRate;  // frames per second of the last completed measurement
extern double gTiltPhase; // 3D swing phase, radians

uint32_t DrawTrails();    // one frame; returns its own duration in milliseconds
void ResetDrawForTests(); // tests: the frame-rate window back to its start

// Tests: every engine variable back to its start value (frees particles and the rotation table).
void ResetEngineForTests();
