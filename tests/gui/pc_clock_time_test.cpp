// Our floating-point date conversion against the system's own (oleaut32).
#include <gtest/gtest.h>
#include <windows.h>

#include <oleauto.h>

#include "batch/PcClockTime.h"

namespace tesmara::gui {
namespace {

TEST(PcClockTimeOnWindows, DatesMatchTheSystemConversionBothWays) {
    const CalendarTime times[] = {
        {1899, 12, 30, 0, 0, 0},   {1900, 3, 1, 6, 30, 15},  {1970, 1, 1, 0, 0, 1},
        {2000, 2, 29, 23, 59, 59}, {2026, 12, 7, 18, 4, 52}, {2038, 1, 19, 3, 14, 8},
        {9999, 12, 31, 12, 0, 0},  {1899, 12, 29, 18, 0, 0},
    };
    for (const CalendarTime& t : times) {
        SYSTEMTIME system{};
        system.wYear = static_cast<WORD>(t.year);
        system.wMonth = static_cast<WORD>(t.month);
        system.wDay = static_cast<WORD>(t.day);
        system.wHour = static_cast<WORD>(t.hour);
        system.wMinute = static_cast<WORD>(t.minute);
        system.wSecond = static_cast<WORD>(t.second);
        double theirs = 0, ours = 0;
        ASSERT_TRUE(SystemTimeToVariantTime(&system, &theirs)) << t.year;
        ASSERT_TRUE(CalendarToDate(t, ours)) << t.year;
        EXPECT_NEAR(theirs, ours, 1e-9) << t.year << "-" << t.month << "-" << t.day;

        SYSTEMTIME back{};
        CalendarTime oursBack;
        ASSERT_TRUE(VariantTimeToSystemTime(theirs, &back));
        ASSERT_TRUE(DateToCalendar(theirs, oursBack));
        EXPECT_EQ((CalendarTime{back.wYear, back.wMonth, back.wDay, back.wHour, back.wMinute,
                                back.wSecond}),
                  oursBack)
            << t.year;
    }
}

}  // namespace
}  // namespace tesmara::gui
