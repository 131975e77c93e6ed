// The saver window's window-system seam without a window system (headless runs): nothing is queued, no key is
// down, no timer runs. The SDL host installs its own backend. The platform is not NT, so the old-NT close
// guard is off; the priority is left alone, since a screen-saver daemon may have lowered it on purpose.
#include <cstring>

#include "platform/winsys.h"

static void NoPost(WindowHandle, uint32_t, uintptr_t, intptr_t) {}
static void NoKeys(uint8_t state[KEYBOARD_STATE_SIZE]) {
    memset(state, 0, KEYBOARD_STATE_SIZE);
}
static bool NoCursor(ScreenPoint *out) {
    out->x = out->y = 0;
    return false;
}
static void NoShowCursor(WindowHandle, bool) {}
static uint32_t NoTimer(WindowHandle, uint32_t, uint32_t) {
    return 0;
}
static void NoStopTimer(WindowHandle, uint32_t) {}
static WindowHandle NoForeground() {
    return nullptr;
}
static bool NoVersion(PlatformVersion *out) {
    *out = {0, 0, 0};
    return false;
}
static void KeepPriority() {}
static intptr_t NoDefault(WindowHandle, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

const WinSysBackend *SystemWinSysBackend() {
    static const WinSysBackend backend = {NoPost,      NoKeys,       NoCursor,  NoShowCursor, NoTimer,
                                          NoStopTimer, NoForeground, NoVersion, KeepPriority, NoDefault};
    return &backend;
}
