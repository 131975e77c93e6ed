// The global settings in memory with their defaults; the settings store loads and saves them.
#include "patterns/patterns.h"

Preset *gPresets = nullptr;
int32_t gPresetCount = 0;
int32_t gCurrentPreset = 0;

int32_t gShowMoreOptions = 1;
char gResolution[SETTING_TEXT_LEN + 1] = "640 x 480";
int32_t gUseRandomPreset = 0;
int32_t gMorphSettings = 1;
int32_t gMorphDuration = 6000;
int32_t gMorphInterval = 20;
int32_t gShowNames = 0;
int32_t gShowHints = 0;
int32_t gDoubleSize = 0;
int32_t gPaintingMode = 3;
int32_t gBackgroundBrightness = 100;
int32_t gRandomBackground = 1;
uint32_t gPhysicsRate = 50000;
int gResolutionStored = 0;
void (*gApplyRunSettings)() = nullptr;
int32_t gAllPresetsUsed = 1;
uint32_t gScreenWidth = 640, gScreenHeight = 480;
uint32_t gNativeScreenWidth = 0, gNativeScreenHeight = 0;
