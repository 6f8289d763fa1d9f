#include <gtest/gtest.h>

#include "settings/drift_file.h"

namespace quorvane::testing {
namespace {

TEST(DriftFile, WritesOneTagPerCrLfLineAndReadsItBack) {
    const DriftFileValues values{true, {23.4, -7.25, 0}};
    const std::string text = formatDriftFile(values);
    EXPECT_EQ(text,
              "<?xml version=\"1.0\" standalone=\"no\"?>\r\n"
              " <DRIFT>\r\n"
              "   <KEEP_TIME_BETWEEN_SETTINGS>True</KEEP_TIME_BETWEEN_SETTINGS>\r\n"
              "   <DRIFT_ESTIMATE_PPM>23.4000</DRIFT_ESTIMATE_PPM>\r\n"
              "   <DRIFT_ESTIMATE_PPM>-7.2500</DRIFT_ESTIMATE_PPM>\r\n"
              "   <DRIFT_ESTIMATE_PPM>0.0000</DRIFT_ESTIMATE_PPM>\r\n"
              " </DRIFT>\r\n");
    EXPECT_EQ(parseDriftFile(text), values);
    EXPECT_EQ(parseDriftFile(formatDriftFile({})), DriftFileValues{});
}

TEST(DriftFile, AnythingGarbledMeansOffAndNothingLearned) {
    const std::string head = "<?xml version=\"1.0\" standalone=\"no\"?>\r\n <DRIFT>\r\n"
                             "   <KEEP_TIME_BETWEEN_SETTINGS>True</KEEP_TIME_BETWEEN_SETTINGS>\r\n";
    const std::string tail = " </DRIFT>\r\n";
    const std::pair<std::string, const char*> cases[] = {
        {"", "empty"},
        {head, "cut short before its last line"},
        {head + "   <DRIFT_ESTIMATE_PPM>12,5</DRIFT_ESTIMATE_PPM>\r\n" + tail, "not a number"},
        {head + "   <DRIFT_ESTIMATE_PPM>12.5 </DRIFT_ESTIMATE_PPM>\r\n" + tail, "trailing text"},
        {head + "   <DRIFT_ESTIMATE_PPM>nan</DRIFT_ESTIMATE_PPM>\r\n" + tail, "not finite"},
        {head + "   <DRIFT_ESTIMATE_PPM>500.5</DRIFT_ESTIMATE_PPM>\r\n" + tail, "beyond 500"},
    };
    for (const auto& [bytes, what] : cases) {
        EXPECT_EQ(parseDriftFile(bytes), DriftFileValues{}) << what;
    }
    // Only "True" turns the option on.
    const std::string lower = " <DRIFT>\r\n   <KEEP_TIME_BETWEEN_SETTINGS>true"
                              "</KEEP_TIME_BETWEEN_SETTINGS>\r\n </DRIFT>\r\n";
    EXPECT_FALSE(parseDriftFile(lower).keepTime);
}

}  // namespace
}  // namespace quorvane::testing
