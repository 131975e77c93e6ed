// The window-system seam on Windows: the thread's message queue, peeked without removing anything.
#include "platform/window.h"

#include <windows.h>

static bool Win32NonTimerMessageWaiting(WindowHandle) {
    MSG msg;
    return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_TIMER;
}

// Timer ticks do not wake the wait: the frame timer fires every millisecond and would turn it into a spin.
static bool Win32WaitForMessage(WindowHandle window, uint32_t timeoutMs) {
    if (Win32NonTimerMessageWaiting(window)) return true;
    const DWORD wake = QS_ALLINPUT & ~QS_TIMER;
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, wake, MWMO_INPUTAVAILABLE);
    return Win32NonTimerMessageWaiting(window);
}

static uint32_t Win32RefreshRate() {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
    // 0 and 1 mean "the hardware's default rate", which Windows does not tell.
    return mode.dmDisplayFrequency > 1 ? mode.dmDisplayFrequency : 0;
}

const WindowBackend *SystemWindowBackend() {
    static const WindowBackend backend = {Win32NonTimerMessageWaiting, Win32WaitForMessage, Win32RefreshRate};
    return &backend;
}
