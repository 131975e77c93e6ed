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
// Called at the end of a full GetSettings: the command line's settings for this run, over the stored ones.
extern void (*gApplyRunSettings)();
extern int gResolutionStored; // 1 once "Resolution" came from the store or the command line, else 0
// The size of the host's own screen or window, drawn at when no "Resolution" is stored (a host with no
// display modes to change); 0 x 0 where the stored or default size always applies.
extern uint32_t gNativeScreenWidth, gNativeScreenHeight;

// ---------------------------------------------------------------------------------------------------------------
// The settings store: the global values of SETTINGS_KEY and one subkey per stored pattern
// ---------------------------------------------------------------------------------------------------------------
#define SETTINGS_KEY "Software\\Halvex\\Tavo"  // below the user's root of the store
constexpr int32_t MAX_PHYSICS_RATE = 10000000; // "Physics Rate" upper bound, physics steps per second

// Each reads exactly the destination's width and stores the default when the read fails for any reason, or
// when a DWORD or binary value is shorter than asked; the stored type is not looked at. `key` is a store key.
void ReadRegDword(void *key, const char *valueName, int32_t *dest, int32_t defaultValue);
void ReadRegDouble(void *key, const char *valueName, double *dest, double defaultValue);
// A text of at most maxChars characters (a longer one reads as missing), always terminated in dest, which has
// room for maxChars + 1 bytes; the default is copied in whole (cut at maxChars).
void ReadRegString(void *key, const char *valueName, char *dest, int maxChars, const char *defaultText);

// Loads the library and the global settings (patternsOnly: the patterns, "Preset" and the exclusions only),
// then applies gCurrentPreset. False when no library could be built (gPresets then stays as it was).
bool GetSettings(bool patternsOnly);
void SaveSettings();        // the global values, in their fixed order
void SavePreset(int index); // the fifteen values of one pattern's subkey; a standard pattern becomes modified
bool WritePresetKey(
    int index); // SavePreset's writing alone: true when the subkey and every value were written
bool ParseResolution(const char *text, uint32_t *width, uint32_t *height); // "%lu x %lu", 320..16384 each

// ---------------------------------------------------------------------------------------------------------------
// The pattern library operations (the settings dialog's buttons, the saver's start)
// ---------------------------------------------------------------------------------------------------------------
int CountExcludedPresets();
bool CheckSomePresetUsed();                 // false (after an error box) when every pattern is excluded
bool IsPresetNameFree(const char *name);    // false (after an error box) when any pattern has it, in any case
bool IsPresetNameAllowed(const char *name); // false (after an error box) for a name with a backslash
void MakeCopyName(int source, char *out, int outSize); // "Copy of %s", cut to a name's 30 characters
void SetPresetExcluded(int index, bool excluded);
void UseAllPresets();
// The copy takes the pane's editable fields; returns its index (user patterns are put in the store's order),
// or -1 when the library could not grow (after an error box).
int CopyPreset(int source, const char *newName, const Preset *pane);
// Returns the pattern's index after renaming (user patterns are put in the store's order), or -1 when
// refused.
int RenamePreset(int index, const char *newName);
void DeletePresetKey(int index);
bool DeletePreset(int index); // the "Delete" button: refusal, question (default No), delete, reload
bool RevertPreset(int index); // the "Defaults" button: refusal, question (default No), delete, rebuild
void ChooseRandomPreset();    // a random pattern in use (any pattern when all are excluded), applied
void ChooseStartingPreset();  // the saver's start: starting pattern, then the background
