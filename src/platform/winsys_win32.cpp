// The saver window's window-system seam on Windows: the thinnest adapter over user32. The frame timer raises
// the system timer resolution to 1 ms while it runs, so its 1 ms period means about 1 ms and not 15.6.
#include <windows.h>

#include "platform/winsys.h"

// The portable numbers must be the system's own, or the session would misread every message.
static_assert(EV_CREATE == WM_CREATE && EV_DESTROY == WM_DESTROY && EV_ENABLE == WM_ENABLE);
static_assert(EV_SETTEXT == WM_SETTEXT && EV_PAINT == WM_PAINT && EV_CLOSE == WM_CLOSE && EV_QUIT == WM_QUIT);
static_assert(EV_SHOWWINDOW == WM_SHOWWINDOW && EV_ACTIVATEAPP == WM_ACTIVATEAPP &&
              EV_SETCURSOR == WM_SETCURSOR);
static_assert(EV_POWER == WM_POWER && EV_HELP == WM_HELP && EV_CONTEXTMENU == WM_CONTEXTMENU);
static_assert(EV_NCPAINT == WM_NCPAINT && EV_KEYDOWN == WM_KEYDOWN && EV_KEYUP == WM_KEYUP);
static_assert(EV_SYSKEYDOWN == WM_SYSKEYDOWN && EV_SYSKEYUP == WM_SYSKEYUP && EV_SYSCOMMAND == WM_SYSCOMMAND);
static_assert(EV_TIMER == WM_TIMER && EV_MOUSEMOVE == WM_MOUSEMOVE && EV_LBUTTONDOWN == WM_LBUTTONDOWN);
static_assert(EV_RBUTTONDOWN == WM_RBUTTONDOWN && EV_MBUTTONDOWN == WM_MBUTTONDOWN);
static_assert(EV_POWERBROADCAST == WM_POWERBROADCAST && EV_APP == WM_APP);
static_assert(SYSCMD_NEXTWINDOW == SC_NEXTWINDOW && SYSCMD_PREVWINDOW == SC_PREVWINDOW &&
              SYSCMD_SCREENSAVE == SC_SCREENSAVE);
static_assert(VKEY_CONTROL == VK_CONTROL && VKEY_PAUSE == VK_PAUSE && VKEY_F1 == VK_F1 &&
              VKEY_SHIFT == VK_SHIFT);
static_assert(VKEY_MENU == VK_MENU && VKEY_ESCAPE == VK_ESCAPE && VKEY_NUMPAD0 == VK_NUMPAD0);
static_assert(VER_PLATFORM_NT == VER_PLATFORM_WIN32_NT && VER_PLATFORM_WIN9X == VER_PLATFORM_WIN32_WINDOWS);

static void Win32Post(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    PostMessageA(static_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                 static_cast<LPARAM>(lParam));
}

static void Win32Keys(uint8_t state[KEYBOARD_STATE_SIZE]) {
    if (!GetKeyboardState(state)) ZeroMemory(state, KEYBOARD_STATE_SIZE);
}

static bool Win32Cursor(ScreenPoint *out) {
    POINT p{};
    const bool ok = GetCursorPos(&p) != 0;
    out->x = p.x;
    out->y = p.y;
    return ok;
}

static void Win32ShowCursor(WindowHandle, bool visible) {
    SetCursor(visible ? LoadCursor(nullptr, IDC_ARROW) : nullptr);
}

static bool sResolutionRaised = false; // timeBeginPeriod(1) is in force for the frame timer

static uint32_t Win32StartTimer(WindowHandle window, uint32_t id, uint32_t periodMs) {
    if (!sResolutionRaised && timeBeginPeriod(1) == TIMERR_NOERROR) sResolutionRaised = true;
    return static_cast<uint32_t>(SetTimer(static_cast<HWND>(window), id, periodMs, nullptr));
}

static void Win32StopTimer(WindowHandle window, uint32_t id) {
    KillTimer(static_cast<HWND>(window), id);
    if (sResolutionRaised) {
        timeEndPeriod(1);
        sResolutionRaised = false;
    }
}

static WindowHandle Win32Foreground() {
    return GetForegroundWindow();
}

static bool Win32Version(PlatformVersion *out) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const bool ok = GetVersionExA(&info) != 0;
#pragma GCC diagnostic pop
    *out = {ok ? info.dwPlatformId : 0u, ok ? info.dwMajorVersion : 0u, ok ? info.dwMinorVersion : 0u};
    return ok;
}

static void Win32NormalPriority() {
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}

static intptr_t Win32Default(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return DefWindowProcA(static_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                          static_cast<LPARAM>(lParam));
}

const WinSysBackend *SystemWinSysBackend() {
    static const WinSysBackend backend = {
        Win32Post,      Win32Keys,       Win32Cursor,  Win32ShowCursor,     Win32StartTimer,
        Win32StopTimer, Win32Foreground, Win32Version, Win32NormalPriority, Win32Default};
    return &backend;
}
