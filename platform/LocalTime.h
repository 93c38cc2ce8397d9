// The PC's clock as local wall-clock time (the C runtime's time zone rules), to the second.
#pragma once

#include <cstdint>

namespace tesmara {

struct CalendarTime {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

// Seconds since 1970-01-01 UTC, now.
int64_t UtcSecondsNow();

// `utcSeconds` as local calendar time; false when the runtime cannot convert it.
bool ToLocalCalendar(int64_t utcSeconds, CalendarTime& local);

}  // namespace tesmara
