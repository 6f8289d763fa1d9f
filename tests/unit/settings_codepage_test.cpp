#include <gtest/gtest.h>

#include "settings/codepage_1252.h"

namespace quorvane {
namespace {

TEST(SettingsCodepage, EveryByteRoundTripsAndWhatCannotBeHeldBecomesAQuestionMark) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(utf8ToWindows1252(windows1252ToUtf8(all)), all);
    EXPECT_EQ(windows1252ToUtf8("\x80\x9F\xE9"), "\xE2\x82\xAC\xC5\xB8\xC3\xA9");

    EXPECT_EQ(utf8ToWindows1252("\xF0\x9F\x9B\xB0|\xC3|\xC0\xBC|\xED\xA0\x80|"),
              "?|?|??|???|");  // beyond the code page, cut short, overlong "<", a surrogate
}

}  // namespace
}  // namespace quorvane
