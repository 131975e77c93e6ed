// The window-system seam as the engine sees it: whether input (any message but a timer tick) waits for the
// saver window, a wait for such a message with a timeout, and the display's refresh rate. The session and
// host issues extend this seam; tests install a scripted message source.
#pragma once
#include <cstdint>

using WindowHandle = void *; // HWND on Windows; an opaque token elsewhere

struct WindowBackend {
    bool (*nonTimerMessageWaiting)(WindowHandle window);             // peek, never removes anything
    bool (*waitForMessage)(WindowHandle window, uint32_t timeoutMs); // true when such a message waits
    uint32_t (*refreshRate)();                                       // Hz; 0 when unknown
};

const WindowBackend *SystemWindowBackend();          // window_posix.cpp / window_win32.cpp
void SetWindowBackend(const WindowBackend *backend); // nullptr puts the system backend back

bool PlatformNonTimerMessageWaiting(WindowHandle window);
bool PlatformWaitForMessage(WindowHandle window, uint32_t timeoutMs);
uint32_t PlatformRefreshRate();
