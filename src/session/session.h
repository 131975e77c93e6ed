// The saver session: the saver window's event handling (start, frame timer, keys, pause, close, restart).
#pragma once
#include <cstdint>

#include "platform/winsys.h"

extern int gShowKeyHelp; // F1 toggle: the frame shows the two key-help text slots

// ---------------------------------------------------------------------------------------------------------------
// The saver window's procedure and the session state (saver_window.cpp, state.cpp)
// ---------------------------------------------------------------------------------------------------------------
constexpr uint32_t FRAME_TIMER_ID = 200;      // the frame timer's identifier
constexpr uint32_t FRAME_TIMER_PERIOD_MS = 1; // the engine paces itself; the timer only keeps it running
constexpr uint32_t CLOSE_GUARD_MS = 10000;    // old NT: an early close without input is ignored this long
constexpr uint32_t CENTRE_BOX_PX = 3;         // mouse moves this close to the mode's centre are not input
constexpr int HINT_TEXT_LEN = 200;            // characters of a performance-hint buffer, with its NUL

extern const char NO_HINT_TEXT[]; // shown in the hint slot when H switched hints on and no hint applies

extern int gSessionStopped;         // an accepted close stopped the session; ticks do nothing
extern int gPaused;                 // Pause key; survives a restart
extern uint32_t gStartTick;         // tick count at the last start, ms
extern int gInputSeen;              // user input went on to the host's default handling; never cleared
extern int gWindowEnabled;          // the enabled state last reported for the window
extern int gOldNtPlatform;          // NT below version 5: the close guard applies
extern uint16_t gFrameTimerStarted; // low 16 bits of the frame timer's identifier; nonzero: started
extern int gHintRequested;          // the H key last switched hints to this value

// The saver window's event handling. Events carry the Windows message numbers (EV_*); what it does not
// consume goes on to HostDefaultProc, whose answer is returned.
intptr_t SaverWindowProc(WindowHandle window, uint32_t event, uintptr_t wParam, intptr_t lParam);

// Tests: every session variable back to its start value.
void ResetSessionForTests();
