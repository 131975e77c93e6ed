// Dispatch of the clock seam to the installed backend (the system clock unless a test installed another).
#include "platform/clock.h"

static const ClockBackend *sClock = nullptr; // nullptr: the system clock
static uint64_t (*sProcessCpu)() = nullptr;  // nullptr: the system's count

static const ClockBackend *Clock() {
    return sClock ? sClock : SystemClockBackend();
}

void SetClockBackend(const ClockBackend *backend) {
    sClock = backend;
}
uint32_t PlatformTickCount() {
    return Clock()->tickCount();
}
void PlatformLocalTime(LocalTime *out) {
    Clock()->localTime(out);
}
uint32_t PlatformCalendarSeconds() {
    return Clock()->calendarSeconds();
}
void PlatformSleep(uint32_t ms) {
    Clock()->sleepMs(ms);
}
uint64_t PlatformProcessCpuUs() {
    return sProcessCpu ? sProcessCpu() : SystemProcessCpuUs();
}
void SetProcessCpuSource(uint64_t (*source)()) {
    sProcessCpu = source;
}
