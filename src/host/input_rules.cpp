// The host's rules for the saver window: what the class procedure keeps from the session, and which input
// ends the saver (keys, buttons, a mouse move beyond the threshold, deactivation, power messages). Called by
// every host's message dispatch; no OS calls (the cursor, posting and the system default go through the
// window-system seam), and it never closes the window itself: it only posts the close request.
#include <cstdlib>

#include "host/host.h"
#include "platform/clock.h"
#include "session/session.h"

int gCloseAllowed = 0;
int gInPasswordCheck = 0;
int gOnWin9x = 0;
int gInputEndsSaver = 1;
ScreenPoint gCursorRef = {0, 0};
uint32_t gAutoPlayMessage = 0;
int (*gVerifyPassword)(WindowHandle window) = nullptr;
bool (*gCheckPasswordBeforeClose)(WindowHandle window) = nullptr;

// The cursor is the host's to hide only where input ends the saver: a preview or a window keeps it.
static bool HostHidesCursor() {
    return !gPreviewMode && gInputEndsSaver;
}

HostRoute SaverClassRoute(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t,
                          intptr_t *result) {
    switch (message) {
        case EV_CREATE:
            PlatformCursorPos(&gCursorRef);
            if (HostHidesCursor()) PlatformShowCursor(window, false);
            return HOST_ROUTE_SESSION;
        case EV_PAINT:
            if (gCloseAllowed) return HOST_ROUTE_SYSTEM;
            if (HostHidesCursor()) PlatformShowCursor(window, false);
            return HOST_ROUTE_SESSION;
        case EV_SETTEXT: *result = 0; return HOST_ROUTE_ANSWERED;
        case EV_KEYDOWN:
        case EV_SYSKEYDOWN:
        case EV_MOUSEMOVE:
        case EV_LBUTTONDOWN:
        case EV_RBUTTONDOWN:
        case EV_MBUTTONDOWN: return gCloseAllowed ? HOST_ROUTE_SYSTEM : HOST_ROUTE_SESSION;
        case EV_SYSCOMMAND:
            // No task switching away from the full-screen saver, and no second saver over it.
            if (!gPreviewMode &&
                (wParam == SYSCMD_NEXTWINDOW || wParam == SYSCMD_PREVWINDOW || wParam == SYSCMD_SCREENSAVE)) {
                *result = 0;
                return HOST_ROUTE_ANSWERED;
            }
            return HOST_ROUTE_SESSION;
        case EV_TIMER:
            if (gCloseAllowed) {
                *result = 0;
                return HOST_ROUTE_ANSWERED;
            }
            PlatformSleep(
                0); // the rest of the time slice goes to others before the frame step takes the thread
            return HOST_ROUTE_SESSION;
        default: return HOST_ROUTE_SESSION;
    }
}

intptr_t SaverClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    intptr_t result = 0;
    switch (SaverClassRoute(window, message, wParam, lParam, &result)) {
        case HOST_ROUTE_SESSION: return SaverWindowProc(window, message, wParam, lParam);
        case HOST_ROUTE_SYSTEM: return PlatformDefaultProc(window, message, wParam, lParam);
        case HOST_ROUTE_ANSWERED: break;
    }
    return result;
}

static void EndOnInput(WindowHandle window, uint32_t message, uintptr_t wParam) {
    switch (message) {
        case EV_SHOWWINDOW:
            if (wParam) PlatformShowCursor(window, false);
            break;
        case EV_ACTIVATEAPP:
            if (wParam == 0) PlatformPostClose(window);
            break;
        case EV_POWER:
            if (wParam == POWER_CRITICALRESUME) PlatformPostClose(window);
            break;
        case EV_KEYDOWN:
        case EV_SYSKEYDOWN:
        case EV_LBUTTONDOWN:
        case EV_RBUTTONDOWN:
        case EV_MBUTTONDOWN:
        case EV_POWERBROADCAST: PlatformPostClose(window); break;
        case EV_MOUSEMOVE: {
            ScreenPoint p;
            PlatformCursorPos(&p);
            const int64_t distance = std::llabs(static_cast<int64_t>(p.x) - gCursorRef.x) +
                                     std::llabs(static_cast<int64_t>(p.y) - gCursorRef.y);
            if (distance > CURSOR_MOVE_THRESHOLD) {
                PlatformPostClose(window);
                gCursorRef = p;
            }
            break;
        }
        default: break;
    }
}

bool HostInputRules(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t, intptr_t *result) {
    if (!gPreviewMode && !gCloseAllowed) {
        if (message == EV_CLOSE) {
            if (gOnWin9x && gCheckPasswordBeforeClose && !gCheckPasswordBeforeClose(window)) {
                PlatformCursorPos(&gCursorRef); // the refused user starts from where the pointer now is
                *result = 0;
                return true;
            }
        } else if (message == EV_APP) {
            if (gOnWin9x) {
                *result = gVerifyPassword ? gVerifyPassword(window) : 1;
                return true;
            }
        } else if (!gInPasswordCheck) {
            if (message == EV_SETCURSOR && gInputEndsSaver) {
                PlatformShowCursor(window, false);
                *result = 1;
                return true;
            }
            if (gInputEndsSaver) EndOnInput(window, message, wParam);
        }
    }
    if (gAutoPlayMessage != 0 && message == gAutoPlayMessage) {
        PlatformPostClose(window);
        *result = gVerifyPassword ? 1 : 0; // 1 asks the system not to start the inserted disc
        return true;
    }
    return false;
}

intptr_t HostDefaultProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    intptr_t result = 0;
    if (HostInputRules(window, message, wParam, lParam, &result)) return result;
    return PlatformDefaultProc(window, message, wParam, lParam);
}

void ResetHostInputForTests() {
    gCloseAllowed = 0;
    gInPasswordCheck = 0;
    gOnWin9x = 0;
    gInputEndsSaver = 1;
    gCursorRef = {0, 0};
    gAutoPlayMessage = 0;
    gVerifyPassword = nullptr;
    gCheckPasswordBeforeClose = nullptr;
    gPreviewMode = 0;
}
