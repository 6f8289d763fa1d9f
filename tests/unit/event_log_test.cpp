#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

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
    // Too large, not an ordinary file, an input fault; the last cannot even be set aside.
    for (const auto& [readFails, renameFails] : {std::pair{7, 0}, {75, 0}, {57, 0}, {75, 75}}) {
        FakeTextFiles files;
        files.files = {{"/program/Quorvane.log", "kept\n"}, {"/program/Quorvane.log.1", "old\n"}};
        int complaints = 0;
        FileEventLog log(files, "/program/Quorvane.log", [&](const std::string&) { ++complaints; });
        files.readFails = readFails;
        files.renameFails = renameFails ? std::optional(renameFails) : std::nullopt;
        log.append("first");
        EXPECT_EQ(files.files["/program/Quorvane.log.1"], renameFails ? "old\n" : "kept\n");
        EXPECT_EQ(files.files["/program/Quorvane.log"].substr(0, 5),
                  renameFails ? "kept\n" : "first");
        log.append("second");
        EXPECT_EQ(complaints, renameFails ? 1 : 0) << "said once, not at every line";
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
