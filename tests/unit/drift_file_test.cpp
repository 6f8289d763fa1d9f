#include <gtest/gtest.h>

#include "settings/drift_file.h"

namespace quorvane::testing {
namespace {

TEST(DriftFile, WritesOneTagPerCrLfLineAndReadsItBack) {
    const DriftFileValues values{true, 23.4};
    const std::string text = formatDriftFile(values);
    EXPECT_EQ(text,
              "<?xml version=\"1.0\" standalone=\"no\"?>\r\n"
              " <DRIFT>\r\n"
              "   <KEEP_TIME_BETWEEN_SETTINGS>True</KEEP_TIME_BETWEEN_SETTINGS>\r\n"
              "   <DRIFT_PPM>23.4000</DRIFT_PPM>\r\n"
              " </DRIFT>\r\n");
    EXPECT_EQ(parseDriftFile(text), values);
    EXPECT_EQ(parseDriftFile(formatDriftFile({})), DriftFileValues{});
}

TEST(DriftFile, KeepsOnlyADriftAWorkingClockCouldHave) {
    const std::string head =
        "<?xml version=\"1.0\" standalone=\"no\"?>\r\n <DRIFT>\r\n"
        "   <KEEP_TIME_BETWEEN_SETTINGS>True</KEEP_TIME_BETWEEN_SETTINGS>\r\n";
    const std::string tail = " </DRIFT>\r\n";
    const auto line = [](const char* tag, const char* value) {
        return std::string("   <") + tag + ">" + value + "</" + tag + ">\r\n";
    };
    const std::pair<std::string, DriftFileValues> cases[] = {
        {"", {}},
        {head + line("DRIFT_PPM", "12.5"), {}},  // cut short before its last line
        {head + line("DRIFT_PPM", "12,5") + tail, {true, std::nullopt}},
        {head + line("DRIFT_PPM", "nan") + tail, {true, std::nullopt}},
        {head + line("DRIFT_PPM", "250.5") + tail, {true, std::nullopt}},
        {head + line("DRIFT_PPM", "-250") + tail, {true, -250}},
        // An earlier version's estimates: the newest sound one is the drift to start from.
        {head + line("DRIFT_ESTIMATE", "-7.2500 ppm over 6.5000 h") +
             line("DRIFT_ESTIMATE", "23.4000 ppm over 24.0000 h") +
             line("DRIFT_ESTIMATE", "480.0000 ppm over 24.0000 h") + tail,
         {true, 23.4}},
        {head + line("DRIFT_ESTIMATE", "12.5 ppm") + tail, {true, std::nullopt}},
    };
    for (const auto& [bytes, values] : cases) {
        EXPECT_EQ(parseDriftFile(bytes), values) << bytes;
    }
    // Only "True" turns the option on.
    EXPECT_FALSE(parseDriftFile(" <DRIFT>\r\n   <KEEP_TIME_BETWEEN_SETTINGS>true"
                                "</KEEP_TIME_BETWEEN_SETTINGS>\r\n </DRIFT>\r\n")
                     .keepTime);
}

}  // namespace
}  // namespace quorvane::testing
