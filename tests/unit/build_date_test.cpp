#include <gtest/gtest.h>

#include <chrono>

#include "fakes/fakes.h"

namespace quorvane::testing {
namespace {

// The date below which fixes are refused is the day of this build: not the day the build tree
// was configured, and never a day still to come (the real clock is only read here).
TEST(BuildDate, IsADayThatHasComeAndNotBeforeThisCode) {
    FormFixture f;
    const DateTime& built = f.form.EarliestFixDate;
    const std::chrono::year_month_day today{
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
    const int asNumber = built.year * 10000 + built.month * 100 + built.day;
    EXPECT_LE(asNumber, static_cast<int>(today.year()) * 10000 +
                            static_cast<int>(static_cast<unsigned>(today.month())) * 100 +
                            static_cast<int>(static_cast<unsigned>(today.day())));
    EXPECT_GE(asNumber, 20261207);
}

}  // namespace
}  // namespace quorvane::testing
