// The system clock on Windows: GetTickCount, GetLocalTime and the C library's calendar time.
#include "platform/clock.h"

#include <ctime>
#include <windows.h>

static uint32_t Win32TickCount() {
    return GetTickCount();
}

static void Win32LocalTime(LocalTime *out) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    out->year = st.wYear;
    out->month = st.wMonth;
    out->day = st.wDay;
    out->hour = st.wHour;
    out->minute = st.wMinute;
    out->second = st.wSecond;
}

static uint32_t Win32CalendarSeconds() {
    return static_cast<uint32_t>(time(nullptr));
}

static void Win32Sleep(uint32_t ms) {
    Sleep(ms);
}

uint64_t SystemProcessCpuUs() {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0;
    const uint64_t k = (static_cast<uint64_t>(kernel.dwHighDateTime) << 32) | kernel.dwLowDateTime;
    const uint64_t u = (static_cast<uint64_t>(user.dwHighDateTime) << 32) | user.dwLowDateTime;
    return (k + u) / 10; // 100-nanosecond units
}

const ClockBackend *SystemClockBackend() {
    static const ClockBackend backend = {Win32TickCount, Win32LocalTime, Win32CalendarSeconds, Win32Sleep};
    return &backend;
}
