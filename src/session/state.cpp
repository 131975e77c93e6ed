// The session's process-wide state, which the engine, the host and the tests read.
#include "session/session.h"

int gShowKeyHelp = 0;
int gSessionStopped = 0;
int gPaused = 0;
uint32_t gStartTick = 0;
int gInputSeen = 0;
int gWindowEnabled = 1;
int gOldNtPlatform = 0;
uint16_t gFrameTimerStarted = 0;
int gHintRequested = 0;

const char NO_HINT_TEXT[] = "There is no hint at this time.";

void ResetSessionForTests() {
    gShowKeyHelp = 0;
    gSessionStopped = 0;
    gPaused = 0;
    gStartTick = 0;
    gInputSeen = 0;
    gWindowEnabled = 1;
    gOldNtPlatform = 0;
    gFrameTimerStarted = 0;
    gHintRequested = 0;
}
