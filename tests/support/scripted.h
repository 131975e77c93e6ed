// Scripted platform for tests: a clock that moves only when told (or by a fixed amount per reading), a
// message queue with messages due at given tick times, a message-box recorder with scripted answers, and a
// log file in a temporary place. Nothing here sleeps or depends on the machine's speed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"

// --- clock
// -------------------------------------------------------------------------------------------------------
void InstallScriptedClock(uint32_t startMs = 100000);
void UninstallScriptedClock();
void SetScriptedTime(uint32_t ms); // the tick count now
void AdvanceScriptedTime(uint32_t ms);
uint32_t ScriptedTime();
// Every reading of the tick count moves the clock on by this many microseconds (0: it moves only when told or
// while the engine waits). Lets an unpaced frame step reach its 1000 ms budget.
void SetScriptedAutoAdvanceUs(uint32_t us);
uint32_t ScriptedTickReadings(); // tick-count readings since installation
void SetScriptedLocalTime(const LocalTime &t);

// --- messages (installs a window backend)
// -----------------------------------------------------------------------
void InstallScriptedMessages(uint32_t refreshRateHz = 60);
void UninstallScriptedMessages();
void ScriptNonTimerMessageAt(uint32_t tickMs); // a key or other input becomes waiting at this time
void ClearScriptedMessages();
uint32_t ScriptedWaitCalls();
uint32_t ScriptedWaitedMs(); // total time the waits moved the clock

// --- message boxes
// -----------------------------------------------------------------------------------------------
struct RecordedBox {
    std::string text, title;
    uint32_t style;
};
void InstallMessageBoxRecorder();
void UninstallMessageBoxRecorder();
void QueueMessageBoxAnswer(int answer); // the next box answers this (MBOX_IDYES...); else its default
const std::vector<RecordedBox> &RecordedBoxes();
void ClearRecordedBoxes();

// --- log file
// ----------------------------------------------------------------------------------------------------
// Redirects the diagnostic log into a fresh temporary file; LogContents reads it back.
void InstallTemporaryLog();
void UninstallTemporaryLog();
std::string LogContents();
