#include <gtest/gtest.h>

#include "nmea/date_format.h"
#include "platform/date_time.h"

namespace quorvane {
namespace {

TEST(DateTime, EpochRoundTripAcrossLeapDaysCenturiesAndNegativeOffsets) {
    for (const DateTime d :
         {DateTime{1970, 1, 1, 0, 0, 0, 0}, DateTime{2000, 2, 29, 23, 59, 59, 999},
          DateTime{2100, 3, 1, 0, 0, 0, 1}, DateTime{1969, 12, 31, 23, 59, 59, 0},
          DateTime{2026, 12, 6, 4, 36, 36, 250}}) {
        EXPECT_EQ(fromEpochMilliseconds(toEpochMilliseconds(d)), d) << toIsoText(d);
    }
    EXPECT_EQ(addMilliseconds(DateTime{2026, 12, 31, 23, 30, 0, 0}, 3'600'000),
              (DateTime{2027, 1, 1, 0, 30, 0, 0}));
    EXPECT_EQ(addMilliseconds(DateTime{2024, 3, 1, 0, 0, 0, 0}, -1),
              (DateTime{2024, 2, 29, 23, 59, 59, 999}));
}

TEST(DateTime, ValidityFollowsTheCalendar) {
    EXPECT_TRUE(isValid(DateTime{2024, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(isValid(DateTime{2023, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(isValid(DateTime{2100, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(isValid(DateTime{2026, 0, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(isValid(DateTime{2026, 13, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(isValid(DateTime{2026, 4, 31, 0, 0, 0, 0}));
    EXPECT_FALSE(isValid(DateTime{2026, 4, 30, 24, 0, 0, 0}));
    EXPECT_FALSE(isValid(DateTime{2026, 4, 30, 0, 60, 0, 0}));
}

TEST(DisplayFormat, DayWithoutZeroEnglishMonthTwoSpacesAndColonBeforeSeconds) {
    EXPECT_EQ(formatDisplayDateTime(DateTime{2026, 12, 6, 4, 36, 36, 0}), "6 Dec 26  0436:36");
    EXPECT_EQ(formatDisplayDateTime(DateTime{2008, 5, 6, 19, 41, 29, 0}), "6 May 08  1941:29");
    EXPECT_EQ(formatDisplayDateTime(DateTime{1994, 3, 23, 0, 0, 5, 0}), "23 Mar 94  0000:05");
}

}  // namespace
}  // namespace quorvane
