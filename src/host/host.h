// The screen-saver host: the program's entry, its command-line modes, the saver window class and the rules
// by which input ends the saver. This header is its portable face.
#pragma once
#include <cstdint>

#include "platform/winsys.h"

extern int gPreviewMode; // the saver draws into a preview window (640 x 480, double size, never painted)

// ---------------------------------------------------------------------------------------------------------------
// The saver window's class procedure and default handling: which input ends the saver (input_rules.cpp).
// Portable; every host (Win32, SDL) routes the saver window's messages through these. A close request is
// always posted, so it passes the session's close guard and StopSession before the host's password check.
// ---------------------------------------------------------------------------------------------------------------
constexpr int32_t CURSOR_MOVE_THRESHOLD = 4; // summed distance in pixels that a mouse move must exceed

extern int gCloseAllowed;      // the password check passed (or none applies): the input rules are off
extern int gInPasswordCheck;   // a password check is on screen: input posts no further close requests
extern int gOnWin9x;           // the platform is the Windows 9x family (password checks are the saver's job)
extern int gInputEndsSaver;    // 1: full screen; 0: a window or an embedding window that input never ends
extern ScreenPoint gCursorRef; // reference position of the movement rule
extern uint32_t gAutoPlayMessage; // message number of "QueryCancelAutoPlay" on Windows 9x, 0 elsewhere
extern int (*gVerifyPassword)(WindowHandle window);            // loaded verifier, or nullptr
extern bool (*gCheckPasswordBeforeClose)(WindowHandle window); // the host's password check, or nullptr

// Where the class procedure sends a message: on to the session, to the system's default handling, or
// nowhere (answered with *result).
enum HostRoute { HOST_ROUTE_SESSION, HOST_ROUTE_SYSTEM, HOST_ROUTE_ANSWERED };
HostRoute SaverClassRoute(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                          intptr_t *result);
intptr_t SaverClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The input rules of the default handling: true when they answered the message (*result), false when it
// goes on to the system's default procedure.
bool HostInputRules(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                    intptr_t *result);
intptr_t HostDefaultProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

void ResetHostInputForTests();
