#include "batch/PcClockTime.h"

#include <cmath>
#include <cstdint>

namespace tesmara {
namespace {

constexpr int kFirstYear = 100;
constexpr int kLastYear = 9999;
constexpr int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

int DaysInMonth(int year, int month) {
    return static_cast<int>(
        DaysFromCivil(month == 12 ? year + 1 : year, month == 12 ? 1 : month + 1, 1) -
        DaysFromCivil(year, month, 1));
}

const int64_t kDateZero = DaysFromCivil(1899, 12, 30);

}  // namespace

bool CalendarToDate(const CalendarTime& t, double& date) {
    if (t.year < kFirstYear || t.year > kLastYear || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
        t.minute > 59 || t.second < 0 || t.second > 59) {
        return false;
    }
    const int64_t days = DaysFromCivil(t.year, t.month, t.day) - kDateZero;
    const double fraction =
        static_cast<double>(t.hour * 3600 + t.minute * 60 + t.second) / kSecondsPerDay;
    // Before the zero day the whole days count backwards but the time of day still forwards.
    date = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
    return true;
}

bool DateToCalendar(double date, CalendarTime& t) {
    if (!std::isfinite(date)) return false;
    double whole = std::trunc(date);
    int64_t days = static_cast<int64_t>(whole);
    int64_t seconds = std::llround(std::fabs(date - whole) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) {  // rounded up to the next midnight
        seconds -= kSecondsPerDay;
        days += date >= 0 ? 1 : -1;
    }
    CalendarTime out;
    CivilFromDays(days + kDateZero, out.year, out.month, out.day);
    if (out.year < kFirstYear || out.year > kLastYear) return false;
    out.hour = static_cast<int>(seconds / 3600);
    out.minute = static_cast<int>(seconds / 60 % 60);
    out.second = static_cast<int>(seconds % 60);
    t = out;
    return true;
}

DeviceTime DeviceTimeFromCalendar(bool valid, const CalendarTime& local) {
    double date = 0;
    CalendarTime back;
    if (!valid || !CalendarToDate(local, date) || !DateToCalendar(date, back) || back != local) {
        return {};
    }
    DeviceTime time;
    time.year = back.year;
    time.month = back.month;
    time.day = back.day;
    time.hour = back.hour;
    time.minute = back.minute;
    time.second = back.second;
    return time;
}

DeviceTime DeviceTimeFromPcClock() {
    CalendarTime local;
    const bool valid = ToLocalCalendar(UtcSecondsNow(), local);
    return DeviceTimeFromCalendar(valid, local);
}

}  // namespace tesmara
