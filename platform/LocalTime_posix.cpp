#include <ctime>

#include "platform/LocalTime.h"

namespace tesmara {

int64_t UtcSecondsNow() {
    return static_cast<int64_t>(std::time(nullptr));
}

bool ToLocalCalendar(int64_t utcSeconds, CalendarTime& local) {
    const time_t seconds = static_cast<time_t>(utcSeconds);
    std::tm fields{};
    if (!localtime_r(&seconds, &fields)) return false;
    local = {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
             fields.tm_hour,        fields.tm_min,     fields.tm_sec};
    return true;
}

}  // namespace tesmara
