#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "settings/option_file.h"

namespace quorvane::testing {
namespace {

TEST(OptionFile, ReadsBackWhatItSavesAndFallsBackQuietly) {
    const std::string bytes = formatOptionFile("OPTS", {{"A", "True"}, {"B", "x y"}});
    EXPECT_EQ(bytes,
              "<?xml version=\"1.0\" standalone=\"no\"?>\r\n <OPTS>\r\n   <A>True</A>\r\n"
              "   <B>x y</B>\r\n </OPTS>\r\n");
    EXPECT_EQ(parseOptionFile("OPTS", bytes),
              (std::vector<OptionEntry>{{"A", "True"}, {"B", "x y"}}));
    EXPECT_EQ(parseOptionFile("OPTS", bytes.substr(0, bytes.size() - 10)), std::nullopt);
    EXPECT_EQ(parseOptionFile("OTHER", bytes), std::nullopt);

    FormFixture f;
    MenuItem item{"Item", "Some Option"};
    const CheckOption option{"QuorvaneTest.XML", "OPTS", "SOME_OPTION"};
    const std::string path = joinPath(f.files.folder, option.fileName);
    const std::string settings = f.files.files[f.settingsPath()] = "untouched";
    // Missing, cut short, unreadable: unchecked and nothing said.
    item.setChecked(true);
    loadCheckOption(f.form, item, option);
    EXPECT_FALSE(item.checked());
    f.files.files[path] = formatOptionFile("OPTS", {{"SOME_OPTION", "True"}}).substr(0, 60);
    loadCheckOption(f.form, item, option);
    EXPECT_FALSE(item.checked());
    f.files.files[path] = formatOptionFile("OPTS", {{"SOME_OPTION", "True"}});
    f.files.readFails = 75;
    loadCheckOption(f.form, item, option);
    EXPECT_FALSE(item.checked());
    f.files.readFails.reset();
    EXPECT_TRUE(f.log.lines.empty() && f.desktop.messages.empty());

    loadCheckOption(f.form, item, option);
    EXPECT_TRUE(item.checked());
    EXPECT_TRUE(toggleCheckOption(f.form, item, option));
    EXPECT_EQ(f.files.files.at(path), formatOptionFile("OPTS", {{"SOME_OPTION", "False"}}));

    // A failed save: the mark goes back, the file stays, the log and a box say why.
    f.files.writeFails = 61;
    EXPECT_FALSE(toggleCheckOption(f.form, item, option));
    EXPECT_FALSE(item.checked());
    EXPECT_EQ(f.files.files.at(path), formatOptionFile("OPTS", {{"SOME_OPTION", "False"}}));
    ASSERT_EQ(f.log.lines.size(), 1u);
    EXPECT_NE(f.log.lines[0].find("Could not save QuorvaneTest.XML"), std::string::npos);
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_NE(f.desktop.messages[0].text.find("\"Some Option\" stays off"), std::string::npos);
    EXPECT_EQ(f.files.files.at(f.settingsPath()), settings);
}

}  // namespace
}  // namespace quorvane::testing
