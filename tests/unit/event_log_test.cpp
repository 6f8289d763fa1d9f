#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "platform/file_event_log.h"

namespace quorvane {
namespace {

using testing::FakeTextFiles;

TEST(EventLog, KeepsTheNewestLinesInOrder) {
    FakeTextFiles files;
    FileEventLog log(files, "/program/Quorvane.log");
    const std::size_t total = FileEventLog::kKeepLines + 5;
    for (std::size_t i = 0; i < total; ++i) {
        log.append("event " + std::to_string(i));
    }
    const std::string& text = files.files["/program/Quorvane.log"];
    std::size_t lines = 0;
    for (char c : text) {
        lines += c == '\n' ? 1 : 0;
    }
    EXPECT_EQ(lines, FileEventLog::kKeepLines);
    EXPECT_EQ(text.rfind("event 5", 0), 0u) << text.substr(0, 40);
    const std::string last = "event " + std::to_string(total - 1);
    EXPECT_NE(text.find(last), std::string::npos);
    EXPECT_EQ(text.back(), '\n') << "the newest line ends like every other";
}

TEST(EventLog, AFileThatCannotBeReadOrWrittenStopsNothing) {
    FakeTextFiles files;
    files.files["/program/Quorvane.log"] = "old line without end";
    FileEventLog log(files, "/program/Quorvane.log");
    log.append("new");
    // The unfinished line is ended, not joined to the new one.
    const std::string& joined = files.files["/program/Quorvane.log"];
    EXPECT_EQ(joined.find("old line without end"), 0u);
    EXPECT_NE(joined.find("new"), std::string::npos);
    EXPECT_EQ(joined.find("endnew"), std::string::npos);

    files.writeFails = 75;
    EXPECT_NO_THROW(log.append("refused"));
    files.writeFails.reset();
    files.readFails = 57;
    EXPECT_NO_THROW(log.append("after an unreadable log"));
    EXPECT_NE(files.files["/program/Quorvane.log"].find("after an unreadable log"),
              std::string::npos);
}

TEST(EventLog, AnUnreadableLogIsSetAsideNeverOverwritten) {
    const std::string path = "/program/Quorvane.log", aside = path + ".1";
    struct Case {
        int readFails;                   // too large, not an ordinary file, an input fault
        std::optional<int> renameFails;  // setting it aside fails too
    };
    for (const Case c : {Case{7, {}}, Case{75, {}}, Case{57, {}}, Case{75, 75}}) {
        FakeTextFiles files;
        files.files[path] = "precious\n";
        files.files[aside] = "older generation\n";
        std::vector<std::string> complaints;
        FileEventLog log(files, path, [&](const std::string& c) { complaints.push_back(c); });
        files.readFails = c.readFails;
        files.renameFails = c.renameFails;
        log.append("first");
        if (!c.renameFails) {
            files.readFails.reset();  // the new log reads back
        }
        log.append("second");
        if (c.renameFails) {
            EXPECT_EQ(files.files[path], "precious\n");
            EXPECT_EQ(files.files[aside], "older generation\n");
            EXPECT_EQ(complaints.size(), 1u) << "said once, not at every line";
        } else {
            EXPECT_EQ(files.files[aside], "precious\n") << c.readFails;
            EXPECT_EQ(files.files[path].rfind("first\n"), 0u) << files.files[path];
            EXPECT_NE(files.files[path].find("second"), std::string::npos);
            EXPECT_TRUE(complaints.empty());
        }
    }
}

TEST(EventLog, LinesBeginWithTheUtcTimeToTheMillisecond) {
    testing::FormFixture f;
    f.clock.local = DateTime{2026, 3, 1, 0, 30, 5, 42};
    f.clock.zone = TimeZoneInformation{TIME_ZONE_ID_DAYLIGHT, -60, 0, -60};  // UTC+2
    f.form.logEvent("port gone");
    ASSERT_EQ(f.log.lines.size(), 1u);
    EXPECT_EQ(f.log.lines[0], "2026-02-28T22:30:05.042Z port gone");
}

}  // namespace
}  // namespace quorvane
