// The floating-point date round trip of the device clock record.
#include <gtest/gtest.h>

#include "batch/PcClockTime.h"

namespace tesmara {
namespace {

TEST(PcClockTime, CalendarTimeToDate) {
    struct Case {
        CalendarTime time;
        bool ok;
        double date;
    };
    const Case cases[] = {
        {{1899, 12, 30, 0, 0, 0}, true, 0.0},
        {{1900, 1, 1, 0, 0, 0}, true, 2.0},
        {{2000, 1, 1, 12, 0, 0}, true, 36526.5},
        {{1899, 12, 29, 6, 0, 0}, true, -1.25},  // before day zero the fraction still counts up
        {{2024, 2, 29, 18, 0, 0}, true, 45351.75},
        {{2023, 2, 29, 0, 0, 0}, false, 0},
        {{2026, 13, 1, 0, 0, 0}, false, 0},
        {{10000, 1, 1, 0, 0, 0}, false, 0},
        {{2026, 1, 1, 24, 0, 0}, false, 0},
    };
    for (const Case& c : cases) {
        double date = 0;
        EXPECT_EQ(c.ok, CalendarToDate(c.time, date)) << c.time.year << "-" << c.time.month;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(c.date, date) << c.time.year;
        }
    }
}

TEST(PcClockTime, EverySecondOfADaySurvivesTheRoundTrip) {
    for (int second = 0; second < 86400; second += 7) {
        const CalendarTime time{2026, 12, 7, second / 3600, second / 60 % 60, second % 60};
        double date = 0;
        CalendarTime back;
        ASSERT_TRUE(CalendarToDate(time, date));
        ASSERT_TRUE(DateToCalendar(date, back));
        ASSERT_EQ(time, back) << second;
    }
}

TEST(PcClockTime, AnInvalidTimeGivesARecordOfMinusOnes) {
    EXPECT_EQ(DeviceTime{}, DeviceTimeFromCalendar(false, {2026, 12, 7, 1, 2, 3}));
    EXPECT_EQ(DeviceTime{}, DeviceTimeFromCalendar(true, {2026, 2, 30, 1, 2, 3}));
    EXPECT_EQ((DeviceTime{2026, 12, 7, 1, 2, 3}),
              DeviceTimeFromCalendar(true, {2026, 12, 7, 1, 2, 3}));
}

}  // namespace
}  // namespace tesmara
