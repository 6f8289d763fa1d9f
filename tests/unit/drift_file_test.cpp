#include <gtest/gtest.h>

#include "settings/drift_file.h"

namespace quorvane::testing {
namespace {

TEST(DriftFile, WritesOneTagPerCrLfLineAndReadsItBack) {
    const DriftFileValues values{true, {{23.4, 24}, {-7.25, 6.5}, {0, 30}}};
    const std::string text = formatDriftFile(values);
    EXPECT_EQ(text,
              "<?xml version=\"1.0\" standalone=\"no\"?>\r\n"
              " <DRIFT>\r\n"
              "   <KEEP_TIME_BETWEEN_SETTINGS>True</KEEP_TIME_BETWEEN_SETTINGS>\r\n"
              "   <DRIFT_ESTIMATE>23.4000 ppm over 24.0000 h</DRIFT_ESTIMATE>\r\n"
              "   <DRIFT_ESTIMATE>-7.2500 ppm over 6.5000 h</DRIFT_ESTIMATE>\r\n"
              "   <DRIFT_ESTIMATE>0.0000 ppm over 30.0000 h</DRIFT_ESTIMATE>\r\n"
              " </DRIFT>\r\n");
    EXPECT_EQ(parseDriftFile(text), values);
    EXPECT_EQ(parseDriftFile(formatDriftFile({})), DriftFileValues{});
}

TEST(DriftFile, AnythingGarbledMeansOffAndNothingLearned) {
    const std::string head =
        "<?xml version=\"1.0\" standalone=\"no\"?>\r\n <DRIFT>\r\n"
        "   <KEEP_TIME_BETWEEN_SETTINGS>True</KEEP_TIME_BETWEEN_SETTINGS>\r\n";
    const std::string tail = " </DRIFT>\r\n";
    const std::pair<std::string, const char*> cases[] = {
        {"", "empty"},
        {head, "cut short before its last line"},
        {head + "   <DRIFT_ESTIMATE>12,5 ppm over 24 h</DRIFT_ESTIMATE>\r\n" + tail, "a comma"},
        {head + "   <DRIFT_ESTIMATE>12.5 ppm over 24 h </DRIFT_ESTIMATE>\r\n" + tail, "more text"},
        {head + "   <DRIFT_ESTIMATE>12.5</DRIFT_ESTIMATE>\r\n" + tail, "no interval"},
        {head + "   <DRIFT_ESTIMATE>nan ppm over 24 h</DRIFT_ESTIMATE>\r\n" + tail, "not finite"},
        {head + "   <DRIFT_ESTIMATE>500.5 ppm over 24 h</DRIFT_ESTIMATE>\r\n" + tail, "beyond 500"},
        {head + "   <DRIFT_ESTIMATE>5 ppm over 5.9 h</DRIFT_ESTIMATE>\r\n" + tail, "too short"},
    };
    for (const auto& [bytes, what] : cases) {
        EXPECT_EQ(parseDriftFile(bytes), DriftFileValues{}) << what;
    }
    // Only "True" turns the option on.
    const std::string lower =
        " <DRIFT>\r\n   <KEEP_TIME_BETWEEN_SETTINGS>true"
        "</KEEP_TIME_BETWEEN_SETTINGS>\r\n </DRIFT>\r\n";
    EXPECT_FALSE(parseDriftFile(lower).keepTime);
}

}  // namespace
}  // namespace quorvane::testing
