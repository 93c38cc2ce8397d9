#include <time.h>

#include "platform/LocalTime.h"

namespace tesmara {

int64_t UtcSecondsNow() {
    return static_cast<int64_t>(_time64(nullptr));
}

bool ToLocalCalendar(int64_t utcSeconds, CalendarTime& local) {
    const __time64_t seconds = utcSeconds;
    struct tm fields {};
    if (_localtime64_s(&fields, &seconds) != 0) return false;
    local = {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
             fields.tm_hour,        fields.tm_min,     fields.tm_sec};
    return true;
}

}  // namespace tesmara
