// Patterns and settings: the pattern record and the fifteen standard patterns, applying a pattern to the
// engine, the settings store and the pattern library operations. In code a pattern is a "preset".
#pragma once
#include <cstdint>

constexpr int NUM_STANDARD_PRESETS = 15; // a pattern is standard exactly when its index is below this
constexpr int PRESET_NAME_LEN = 30;      // characters of a pattern name, without the terminating NUL

// Fields in declaration order; integer fields are 32-bit signed, flags hold 0 or 1.
struct Preset {
    char name[PRESET_NAME_LEN + 1];
    int32_t trailKinkiness;  // 0..50
    int32_t trailLength;     // 1..1000
    int32_t trailDensity;    // 1..50 (smaller is denser)
    int32_t trailWidth;      // 0..90 degrees
    int32_t numberOfTrails;  // 1..100
    int32_t sparkle;         // flag
    int32_t sparkliness;     // 4..200 (smaller sparkles more)
    int32_t fadeSpeed;       // 0..100
    int32_t colourSpeed;     // 1..300 ms (smaller is faster)
    int32_t jumpSpeed;       // 1..3600 s
    int32_t spiralTrail;     // flag
    double spiralInc;        // radians per emitted particle
    int32_t alwaysFadeHead;  // flag
    int32_t alwaysQuicksand; // flag
    int32_t alwaysPaint;     // flag, standard pattern "Quorl" only; not stored
    int32_t dontUse;         // flag: excluded from random choice
    int32_t modified;        // flag: a standard pattern with stored settings; not stored
    int32_t is3D;            // flag, standard patterns 12..14 only; not stored
};

extern Preset *gPresets;       // one heap block owned by the pattern library
extern int32_t gPresetCount;   // records in gPresets, at least 15 once loaded
extern int32_t gCurrentPreset; // index of the current pattern

void InitStandardPreset(int index); // fills gPresets[index] with built-in row index (0..14)
void ApplyPreset(int index);        // record -> working parameters, then ChoosePaintMode(index)
void ChoosePaintMode(int index);    // painting decision and effective fade speed, then RefreshTrailSettings

// ---------------------------------------------------------------------------------------------------------------
// Global settings, named after their stored values, with their defaults
// ---------------------------------------------------------------------------------------------------------------
constexpr int SETTING_TEXT_LEN = 30; // characters of a stored text ("Resolution", "Don't Use Presets")

extern int32_t gShowMoreOptions;               // "Show More Options", 1 until a stored key says otherwise
extern char gResolution[SETTING_TEXT_LEN + 1]; // "Resolution", "640 x 480"
extern int32_t gUseRandomPreset;               // "Use Random Preset", 0
extern int32_t gMorphSettings;                 // "Morph Settings", 1
extern int32_t gMorphDuration;                 // "Morph Duration", 6000 morph-clock ticks (1..20000)
extern int32_t gMorphInterval;                 // "Morph Interval", 20 seconds (0..3600)
extern int32_t gShowNames;                     // "Show Names", 0
extern int32_t gShowHints;                     // "Show Hints", 0
extern int32_t gDoubleSize;                    // "Double Size", 0
extern int32_t gPaintingMode;                  // "Painting Mode", 3: chance of painting in tenths (0..10)
extern int32_t gBackgroundBrightness;          // "Background Brightness", 100 (0..255)
extern int32_t gRandomBackground;              // "Random Background", 1
extern uint32_t gPhysicsRate;                  // "Physics Rate", 50000 physics steps per second (0 = unpaced)
extern int32_t gAllPresetsUsed;                // derived: no pattern has dontUse set
extern uint32_t gScreenWidth, gScreenHeight;   // requested display size parsed from "Resolution"
