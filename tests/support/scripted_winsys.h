// Scripted window system for the session and host tests: posted messages and default handling are recorded,
// the keyboard, cursor and version are whatever the test sets, timers only record their starts and stops.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/winsys.h"

struct ScriptedMessage {
    WindowHandle window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

struct ScriptedTimerCall {
    bool start; // false: a stop
    WindowHandle window;
    uint32_t id;
    uint32_t periodMs;
};

void InstallScriptedWinSys();
void UninstallScriptedWinSys();

void SetScriptedKey(uint32_t vkey, bool down);
void ReleaseAllScriptedKeys();
void SetScriptedCursor(int32_t x, int32_t y);
void SetScriptedVersion(uint32_t platformId, uint32_t major, uint32_t minor);
void SetScriptedTimerStartHook(std::function<void()> hook); // runs inside each timer start

const std::vector<ScriptedMessage> &PostedMessages();
size_t PostedCloseCount();
void ClearPostedMessages();
const std::vector<ScriptedMessage> &DefaultProcCalls();
void ClearDefaultProcCalls();
const std::vector<ScriptedTimerCall> &TimerCalls();
bool ScriptedCursorVisible();
uint32_t ScriptedCursorHides(); // times the cursor was hidden
uint32_t ScriptedPriorityCalls();
