// Without a window system (headless runs) nothing is ever waiting: waits simply sleep. The SDL host
// installs its own backend.
#include "platform/clock.h"
#include "platform/window.h"

static bool NoMessageWaiting(WindowHandle) {
    return false;
}

static bool SleepForMessage(WindowHandle, uint32_t timeoutMs) {
    PlatformSleep(timeoutMs);
    return false;
}

static uint32_t UnknownRefreshRate() {
    return 0;
}

const WindowBackend *SystemWindowBackend() {
    static const WindowBackend backend = {NoMessageWaiting, SleepForMessage, UnknownRefreshRate};
    return &backend;
}
