// The display's process-wide state.
#include "display/display.h"

DisplayState gDisplay = {};
int gBlueBackground = 0;
int gShowFps = 0;
