// Dispatch of the window-system seam to the installed backend.
#include "platform/window.h"

static const WindowBackend *sWindow = nullptr; // nullptr: the system backend

static const WindowBackend *Window() {
    return sWindow ? sWindow : SystemWindowBackend();
}

void SetWindowBackend(const WindowBackend *backend) {
    sWindow = backend;
}
bool PlatformNonTimerMessageWaiting(WindowHandle window) {
    return Window()->nonTimerMessageWaiting(window);
}
bool PlatformWaitForMessage(WindowHandle window, uint32_t timeoutMs) {
    return Window()->waitForMessage(window, timeoutMs);
}
uint32_t PlatformRefreshRate() {
    return Window()->refreshRate();
}
