#include <gtest/gtest.h>

#include "fakes/fakes.h"

namespace quorvane::testing {
namespace {

TEST(TimeZoneBias, FollowsTheZoneStatusInHoursWithUtcEqualLocalPlusBias) {
    FormFixture f;
    struct Case {
        TimeZoneInformation zone;
        float hours;
        const char* why;
    };
    // Fields chosen so that every wrong pairing gives a different answer.
    const Case cases[] = {
        {{TIME_ZONE_ID_UNKNOWN, -60, -15, -60}, -1.25f, "no daylight saving: standard part"},
        {{TIME_ZONE_ID_STANDARD, -60, -15, -60}, -1.25f, "standard time"},
        {{TIME_ZONE_ID_DAYLIGHT, -60, -15, -60}, -2.0f, "daylight time"},
        {{TIME_ZONE_ID_DAYLIGHT, 300, 0, -60}, 4.0f, "west of Greenwich in summer"},
        {{TIME_ZONE_ID_UNKNOWN, -330, 0, 0}, -5.5f, "five and a half hours east"},
        {{TIME_ZONE_ID_STANDARD, -600, 0, -60}, -10.0f, "ten hours east"},
        {{TIME_ZONE_ID_INVALID, -60, 0, -60}, 0.0f, "the call failed"},
        {{3, -60, 0, -60}, 0.0f, "an unknown status"},
    };
    for (const Case& c : cases) {
        f.clock.zone = c.zone;
        EXPECT_EQ(f.form.GetTimeZoneBias(), c.hours) << c.why;
    }
}

}  // namespace
}  // namespace quorvane::testing
