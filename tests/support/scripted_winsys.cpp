// Scripted window system for tests.
#include "support/scripted_winsys.h"

#include <cstring>

static uint8_t sKeys[KEYBOARD_STATE_SIZE];
static ScreenPoint sCursor;
static bool sCursorVisible = true;
static uint32_t sCursorHides = 0;
static PlatformVersion sVersion;
static bool sTimerResultSet = false;
static uint32_t sTimerResult = 0;
static std::function<void()> sTimerHook;
static std::vector<ScriptedMessage> sPosted;
static std::vector<ScriptedMessage> sDefaults;
static std::vector<ScriptedTimerCall> sTimers;
static uint32_t sPriorityCalls = 0;

static void Post(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    sPosted.push_back({window, message, wParam, lParam});
}
static void Keys(uint8_t state[KEYBOARD_STATE_SIZE]) {
    memcpy(state, sKeys, KEYBOARD_STATE_SIZE);
}
static bool Cursor(ScreenPoint *out) {
    *out = sCursor;
    return true;
}
static void ShowCursor(WindowHandle, bool visible) {
    if (!visible) ++sCursorHides;
    sCursorVisible = visible;
}
static uint32_t StartTimer(WindowHandle window, uint32_t id, uint32_t periodMs) {
    sTimers.push_back({true, window, id, periodMs});
    if (sTimerHook) sTimerHook();
    return sTimerResultSet ? sTimerResult : id;
}
static void StopTimer(WindowHandle window, uint32_t id) {
    sTimers.push_back({false, window, id, 0});
}
static WindowHandle Foreground() {
    return nullptr;
}
static bool Version(PlatformVersion *out) {
    *out = sVersion;
    return true;
}
static void Priority() {
    ++sPriorityCalls;
}
static intptr_t Default(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    sDefaults.push_back({window, message, wParam, lParam});
    return 0;
}

static const WinSysBackend kScriptedWinSys = {Post,      Keys,       Cursor,  ShowCursor, StartTimer,
                                              StopTimer, Foreground, Version, Priority,   Default};

void InstallScriptedWinSys() {
    memset(sKeys, 0, sizeof sKeys);
    sCursor = {0, 0};
    sCursorVisible = true;
    sCursorHides = 0;
    sVersion = {VER_PLATFORM_NT, 10, 0};
    sTimerResultSet = false;
    sTimerHook = nullptr;
    sPosted.clear();
    sDefaults.clear();
    sTimers.clear();
    sPriorityCalls = 0;
    SetWinSysBackend(&kScriptedWinSys);
}
void UninstallScriptedWinSys() {
    sTimerHook = nullptr;
    SetWinSysBackend(nullptr);
}

void SetScriptedKey(uint32_t vkey, bool down) {
    sKeys[vkey & 0xFF] = down ? KEY_DOWN_BIT : 0;
}
void ReleaseAllScriptedKeys() {
    memset(sKeys, 0, sizeof sKeys);
}
void SetScriptedCursor(int32_t x, int32_t y) {
    sCursor = {x, y};
}
void SetScriptedVersion(uint32_t platformId, uint32_t major, uint32_t minor) {
    sVersion = {platformId, major, minor};
}
void SetScriptedTimerResult(uint32_t identifier) {
    sTimerResultSet = true;
    sTimerResult = identifier;
}
void SetScriptedTimerStartHook(std::function<void()> hook) {
    sTimerHook = std::move(hook);
}

const std::vector<ScriptedMessage> &PostedMessages() {
    return sPosted;
}
size_t PostedCloseCount() {
    size_t n = 0;
    for (const ScriptedMessage &m : sPosted)
        n += m.message == EV_CLOSE;
    return n;
}
void ClearPostedMessages() {
    sPosted.clear();
}
const std::vector<ScriptedMessage> &DefaultProcCalls() {
    return sDefaults;
}
void ClearDefaultProcCalls() {
    sDefaults.clear();
}
const std::vector<ScriptedTimerCall> &TimerCalls() {
    return sTimers;
}
bool ScriptedCursorVisible() {
    return sCursorVisible;
}
uint32_t ScriptedCursorHides() {
    return sCursorHides;
}
uint32_t ScriptedPriorityCalls() {
    return sPriorityCalls;
}
