// The system clock on POSIX systems: a monotonic millisecond count and the local time.
#include "platform/clock.h"

#include <ctime>

static uint32_t PosixTickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

static void PosixLocalTime(LocalTime *out) {
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    out->year = static_cast<uint32_t>(local.tm_year + 1900);
    out->month = static_cast<uint32_t>(local.tm_mon + 1);
    out->day = static_cast<uint32_t>(local.tm_mday);
    out->hour = static_cast<uint32_t>(local.tm_hour);
    out->minute = static_cast<uint32_t>(local.tm_min);
    out->second = static_cast<uint32_t>(local.tm_sec);
}

static uint32_t PosixCalendarSeconds() {
    return static_cast<uint32_t>(time(nullptr));
}

static void PosixSleep(uint32_t ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    nanosleep(&ts, nullptr);
}

uint64_t SystemProcessCpuUs() {
    timespec ts{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts) != 0) return 0;
    return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

const ClockBackend *SystemClockBackend() {
    static const ClockBackend backend = {PosixTickCount, PosixLocalTime, PosixCalendarSeconds, PosixSleep};
    return &backend;
}
