// Scripted platform backends for tests.
#include "support/scripted.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "platform/logfile.h"
#include "platform/msgbox.h"
#include "platform/window.h"

// --- clock
// -------------------------------------------------------------------------------------------------------
static uint64_t sNowUs = 0;
static uint32_t sAutoAdvanceUs = 0;
static uint32_t sReadings = 0;
static LocalTime sLocalTime = {2026, 12, 6, 15, 7, 5};

static uint32_t ScriptedTickCount() {
    ++sReadings;
    const uint32_t now = static_cast<uint32_t>(sNowUs / 1000);
    sNowUs += sAutoAdvanceUs;
    return now;
}
static void ScriptedLocal(LocalTime *out) {
    *out = sLocalTime;
}
static uint32_t ScriptedCalendar() {
    return 1765033625u; // a fixed calendar time
}
static void ScriptedSleep(uint32_t ms) {
    AdvanceScriptedTime(ms);
}

static const ClockBackend kScriptedClock = {ScriptedTickCount, ScriptedLocal, ScriptedCalendar,
                                            ScriptedSleep};

void InstallScriptedClock(uint32_t startMs) {
    sNowUs = static_cast<uint64_t>(startMs) * 1000;
    sAutoAdvanceUs = 0;
    sReadings = 0;
    SetClockBackend(&kScriptedClock);
}
void UninstallScriptedClock() {
    SetClockBackend(nullptr);
}
void SetScriptedTime(uint32_t ms) {
    sNowUs = static_cast<uint64_t>(ms) * 1000;
}
void AdvanceScriptedTime(uint32_t ms) {
    sNowUs += static_cast<uint64_t>(ms) * 1000;
}
uint32_t ScriptedTime() {
    return static_cast<uint32_t>(sNowUs / 1000);
}
void SetScriptedAutoAdvanceUs(uint32_t us) {
    sAutoAdvanceUs = us;
}
uint32_t ScriptedTickReadings() {
    return sReadings;
}
void SetScriptedLocalTime(const LocalTime &t) {
    sLocalTime = t;
}

// --- messages
// ----------------------------------------------------------------------------------------------------
static std::vector<uint32_t> sMessageTimes; // tick times at which non-timer messages become waiting
static uint32_t sRefreshRate = 60;
static uint32_t sWaitCalls = 0;
static uint32_t sWaitedMs = 0;

static bool ScriptedWaiting(WindowHandle) {
    const uint32_t now = ScriptedTime();
    return std::any_of(sMessageTimes.begin(), sMessageTimes.end(),
                       [now](uint32_t t) { return static_cast<int32_t>(now - t) >= 0; });
}

static bool ScriptedWait(WindowHandle window, uint32_t timeoutMs) {
    ++sWaitCalls;
    if (ScriptedWaiting(window)) return true;
    const uint32_t now = ScriptedTime();
    uint32_t wait = timeoutMs;
    for (uint32_t t : sMessageTimes) {
        const int32_t until = static_cast<int32_t>(t - now);
        if (until > 0 && static_cast<uint32_t>(until) < wait) wait = static_cast<uint32_t>(until);
    }
    sWaitedMs += wait;
    sNowUs += static_cast<uint64_t>(wait) * 1000;
    return ScriptedWaiting(window);
}

static uint32_t ScriptedRefresh() {
    return sRefreshRate;
}

static const WindowBackend kScriptedWindow = {ScriptedWaiting, ScriptedWait, ScriptedRefresh};

void InstallScriptedMessages(uint32_t refreshRateHz) {
    sMessageTimes.clear();
    sRefreshRate = refreshRateHz;
    sWaitCalls = 0;
    sWaitedMs = 0;
    SetWindowBackend(&kScriptedWindow);
}
void UninstallScriptedMessages() {
    sMessageTimes.clear();
    SetWindowBackend(nullptr);
}
void ScriptNonTimerMessageAt(uint32_t tickMs) {
    sMessageTimes.push_back(tickMs);
}
void ClearScriptedMessages() {
    sMessageTimes.clear();
}
uint32_t ScriptedWaitCalls() {
    return sWaitCalls;
}
uint32_t ScriptedWaitedMs() {
    return sWaitedMs;
}

// --- message boxes
// -----------------------------------------------------------------------------------------------
static std::vector<RecordedBox> sBoxes;
static std::vector<int> sAnswers;

static int RecordBox(const char *text, const char *title, uint32_t style) {
    sBoxes.push_back({text, title, style});
    if (!sAnswers.empty()) {
        const int answer = sAnswers.front();
        sAnswers.erase(sAnswers.begin());
        return answer;
    }
    if (style & MBOX_YESNO) return (style & MBOX_DEFBUTTON2) ? MBOX_IDNO : MBOX_IDYES;
    return MBOX_IDOK;
}

static const MessageBoxBackend kRecorder = {RecordBox};

void InstallMessageBoxRecorder() {
    sBoxes.clear();
    sAnswers.clear();
    SetMessageBoxBackend(&kRecorder);
}
void UninstallMessageBoxRecorder() {
    SetMessageBoxBackend(nullptr);
}
void QueueMessageBoxAnswer(int answer) {
    sAnswers.push_back(answer);
}
const std::vector<RecordedBox> &RecordedBoxes() {
    return sBoxes;
}
void ClearRecordedBoxes() {
    sBoxes.clear();
}

// --- log file
// ----------------------------------------------------------------------------------------------------
static std::string sLogPath;

void InstallTemporaryLog() {
    static int counter = 0;
    const auto dir = std::filesystem::temp_directory_path();
    sLogPath = (dir / ("tavo-test-log-" + std::to_string(++counter) + "-" +
                       std::to_string(std::random_device{}()) + ".txt"))
                   .string();
    std::remove(sLogPath.c_str());
    SetLogPathOverride(sLogPath.c_str());
}

void UninstallTemporaryLog() {
    SetLogPathOverride(nullptr);
    if (!sLogPath.empty()) std::remove(sLogPath.c_str());
    sLogPath.clear();
}

std::string LogContents() {
    std::string text;
    if (FILE *f = fopen(sLogPath.c_str(), "r")) { // text mode: the file has CR LF line ends on Windows
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        fclose(f);
    }
    return text;
}
