#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "fakes/fakes.h"
#include "platform/std_random.h"

namespace quorvane::testing {
namespace {

TEST(Schedule, DrawsHourAndMinuteFreshlyReseededAndShowsFourDigits) {
    FormFixture f;
    struct Case {
        float r1, r2;
        std::int16_t hhmm;
        const char* caption;
    };
    const Case cases[] = {
        {0.0f, 0.09f, 5, "0005"},
        {0.4f, 0.63f, 937, "0937"},
        {0.0f, 0.0f, 0, "0000"},
        // The largest draws below 1: minute 59 is never chosen.
        {0.99999994f, 0.99999994f, 2358, "2358"},
    };
    int reseeds = 0;
    for (const Case& c : cases) {
        f.random.values = {c.r1, c.r2};
        f.form.ScheduleNextUpdate();
        EXPECT_EQ(f.random.reseeds, ++reseeds);
        EXPECT_EQ(f.form.NextUpdateHhmm, c.hhmm);
        EXPECT_EQ(f.form.NextGPSUpdate.caption(), c.caption);
    }
    EXPECT_EQ(f.form.NextGPSUpdate.toolTip(), kNextUpdateTip);
    EXPECT_EQ(f.form.Label5.toolTip(), kNextUpdateTip);
}

TEST(Schedule, TheRealGeneratorDrawsDifferentlyAfterEachReseed) {
    StdRandomSource random;
    std::set<float> firstDraws;
    for (int run = 0; run < 3; ++run) {
        random.reseed();
        firstDraws.insert(random.next());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(firstDraws.size(), 3u) << "reseeding at different moments repeated a draw";
}

}  // namespace
}  // namespace quorvane::testing
