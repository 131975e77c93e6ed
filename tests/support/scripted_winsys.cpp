// Scripted window system for tests.
#include "support/scripted_winsys.h"

#include <cstring>

// Everything a test can set or read back; installation starts it afresh.
static struct {
    uint8_t keys[KEYBOARD_STATE_SIZE];
    ScreenPoint cursor;
    bool cursorVisible = true;
    uint32_t cursorHides;
    PlatformVersion version = {VER_PLATFORM_NT, 10, 0};
    std::function<void()> timerHook;
    std::vector<ScriptedMessage> posted, defaults;
    std::vector<ScriptedTimerCall> timers;
    uint32_t priorityCalls;
} s;

static void Post(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    s.posted.push_back({window, message, wParam, lParam});
}
static void Keys(uint8_t state[KEYBOARD_STATE_SIZE]) {
    memcpy(state, s.keys, KEYBOARD_STATE_SIZE);
}
static bool Cursor(ScreenPoint *out) {
    *out = s.cursor;
    return true;
}
static void ShowCursor(WindowHandle, bool visible) {
    if (!visible) ++s.cursorHides;
    s.cursorVisible = visible;
}
static uint32_t StartTimer(WindowHandle window, uint32_t id, uint32_t periodMs) {
    s.timers.push_back({true, window, id, periodMs});
    if (s.timerHook) s.timerHook();
    return id;
}
static void StopTimer(WindowHandle window, uint32_t id) {
    s.timers.push_back({false, window, id, 0});
}
static WindowHandle Foreground() {
    return nullptr;
}
static bool Version(PlatformVersion *out) {
    *out = s.version;
    return true;
}
static void Priority() {
    ++s.priorityCalls;
}
static intptr_t Default(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    s.defaults.push_back({window, message, wParam, lParam});
    return 0;
}

static const WinSysBackend kScriptedWinSys = {Post,      Keys,       Cursor,  ShowCursor, StartTimer,
                                              StopTimer, Foreground, Version, Priority,   Default};

void InstallScriptedWinSys() {
    s = {};
    SetWinSysBackend(&kScriptedWinSys);
}
void UninstallScriptedWinSys() {
    s.timerHook = nullptr;
    SetWinSysBackend(nullptr);
}

void SetScriptedKey(uint32_t vkey, bool down) {
    s.keys[vkey & 0xFF] = down ? KEY_DOWN_BIT : 0;
}
void ReleaseAllScriptedKeys() {
    memset(s.keys, 0, sizeof s.keys);
}
void SetScriptedCursor(int32_t x, int32_t y) {
    s.cursor = {x, y};
}
void SetScriptedVersion(uint32_t platformId, uint32_t major, uint32_t minor) {
    s.version = {platformId, major, minor};
}
void SetScriptedTimerStartHook(std::function<void()> hook) {
    s.timerHook = std::move(hook);
}

const std::vector<ScriptedMessage> &PostedMessages() {
    return s.posted;
}
size_t PostedCloseCount() {
    size_t n = 0;
    for (const ScriptedMessage &m : s.posted)
        n += m.message == EV_CLOSE;
    return n;
}
void ClearPostedMessages() {
    s.posted.clear();
}
const std::vector<ScriptedMessage> &DefaultProcCalls() {
    return s.defaults;
}
void ClearDefaultProcCalls() {
    s.defaults.clear();
}
const std::vector<ScriptedTimerCall> &TimerCalls() {
    return s.timers;
}
bool ScriptedCursorVisible() {
    return s.cursorVisible;
}
uint32_t ScriptedCursorHides() {
    return s.cursorHides;
}
uint32_t ScriptedPriorityCalls() {
    return s.priorityCalls;
}
