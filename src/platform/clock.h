// The clock seam: the 32-bit millisecond tick count, the local time of the log prefix and the calendar
// seconds that seed the random generator. Tests install a scripted clock; nothing else reads the time.
#pragma once
#include <cstdint>

struct LocalTime {
    uint32_t year, month, day;     // calendar date, month 1..12, day 1..31
    uint32_t hour, minute, second; // 0..23, 0..59, 0..59
};

struct ClockBackend {
    uint32_t (*tickCount)();           // milliseconds since some start, wrapping at 2^32
    void (*localTime)(LocalTime *out); // the local wall-clock time
    uint32_t (*calendarSeconds)();     // seconds since 1970, truncated to 32 bits
    void (*sleepMs)(uint32_t ms);      // give up the processor for about this long
};

// The system's own clock of this build (clock_posix.cpp or clock_win32.cpp).
const ClockBackend *SystemClockBackend();
uint64_t SystemProcessCpuUs();
// Installs a clock; nullptr puts the system clock back.
void SetClockBackend(const ClockBackend *backend);

uint32_t PlatformTickCount();
// Processor time used by this process so far, user and system together, in microseconds.
uint64_t PlatformProcessCpuUs();
// Tests: a source for PlatformProcessCpuUs; nullptr puts the system's back.
void SetProcessCpuSource(uint64_t (*source)());
void PlatformLocalTime(LocalTime *out);
uint32_t PlatformCalendarSeconds();
void PlatformSleep(uint32_t ms);

// "Is this tick time due": the signed difference of two tick times, so every comparison keeps its meaning
// across the wrap of the 32-bit count after 49.7 days. TickAfter(a, b) is a > b.
inline bool TickAfter(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b) > 0;
}
