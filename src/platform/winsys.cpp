// Dispatch of the saver window's window-system seam to the installed backend.
#include "platform/winsys.h"

static const WinSysBackend *sWinSys = nullptr; // nullptr: the system backend

static const WinSysBackend *WinSys() {
    return sWinSys ? sWinSys : SystemWinSysBackend();
}

void SetWinSysBackend(const WinSysBackend *backend) {
    sWinSys = backend;
}

void PlatformPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    WinSys()->postMessage(window, message, wParam, lParam);
}
void PlatformPostClose(WindowHandle window) {
    WinSys()->postMessage(window, EV_CLOSE, 0, 0);
}
void PlatformKeyboardState(uint8_t state[KEYBOARD_STATE_SIZE]) {
    WinSys()->keyboardState(state);
}
bool PlatformCursorPos(ScreenPoint *out) {
    return WinSys()->cursorPos(out);
}
void PlatformShowCursor(WindowHandle window, bool visible) {
    WinSys()->showCursor(window, visible);
}
uint32_t PlatformStartTimer(WindowHandle window, uint32_t id, uint32_t periodMs) {
    return WinSys()->startTimer(window, id, periodMs);
}
void PlatformStopTimer(WindowHandle window, uint32_t id) {
    WinSys()->stopTimer(window, id);
}
WindowHandle PlatformForegroundWindow() {
    return WinSys()->foregroundWindow();
}
bool PlatformVersionInfo(PlatformVersion *out) {
    return WinSys()->version(out);
}
void PlatformSetNormalPriority() {
    WinSys()->setNormalPriority();
}
intptr_t PlatformDefaultProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return WinSys()->defaultProc(window, message, wParam, lParam);
}
