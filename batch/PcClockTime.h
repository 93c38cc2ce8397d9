// The device clock record built from the PC's local time. The time passes through the
// floating-point date form that Windows automation uses (days since 1899-12-30, the time of day as
// the fraction) and back, and is sent only if it survives the round trip unchanged; our own
// conversion keeps this portable.
#pragma once

#include "devaccess/DeviceTime.h"
#include "platform/LocalTime.h"

namespace tesmara {

// Calendar time (years 100 to 9999) to the floating-point date; false outside that range or for
// fields out of their ranges.
bool CalendarToDate(const CalendarTime& time, double& date);
// The floating-point date back to calendar time, rounded to the second; false out of range.
bool DateToCalendar(double date, CalendarTime& time);

// The record for local time `local` (`valid` false: the local time could not be had). All six
// fields are -1 unless the time survives the round trip.
DeviceTime DeviceTimeFromCalendar(bool valid, const CalendarTime& local);

// The record for the PC's local time now.
DeviceTime DeviceTimeFromPcClock();

}  // namespace tesmara
