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
    files.readFails.reset();
    log.append("readable again");
    EXPECT_NE(files.files["/program/Quorvane.log"].find("after an unreadable log"),
              std::string::npos);
}

// Nothing is ever written over. A log that can never serve is set aside, three generations
// kept; one whose read failed in passing stays, and its lines wait for the next read.
TEST(EventLog, OnlyALogThatCanNeverServeIsSetAside) {
    const struct {
        int readFails;
        bool unfit;
        int failingReads, renameFails;
        const char *log, *one, *two, *three;
        int complaints;
    } cases[] = {
        // Too large: the older generations move up and the oldest goes.
        {7, true, 1, 0, "first\nsecond\nthird\n", "kept\n", "one\n", "two\n", 0},
        // Not an ordinary file, and it cannot be moved: left alone, said once.
        {75, true, 3, 75, "kept\n", "one\n", "two\n", "three\n", 1},
        // Locked for one read, out of file handles for two: said once the failure lasts.
        {70, false, 1, 0, "kept\nfirst\nsecond\nthird\n", "one\n", "two\n", "three\n", 0},
        {67, false, 2, 0, "kept\nfirst\nsecond\nthird\n", "one\n", "two\n", "three\n", 1},
    };
    for (const auto& c : cases) {
        FakeTextFiles files;
        const std::string path = "/program/Quorvane.log";
        files.files = {{path, "kept\n"},
                       {path + ".1", "one\n"},
                       {path + ".2", "two\n"},
                       {path + ".3", "three\n"}};
        int complaints = 0;
        FileEventLog log(files, path, [&](const std::string&) { ++complaints; });
        files.readUnfit = c.unfit;
        files.renameFails = c.renameFails ? std::optional(c.renameFails) : std::nullopt;
        for (int line = 0; line < 3; ++line) {
            files.readFails = line < c.failingReads ? std::optional(c.readFails) : std::nullopt;
            log.append(line == 0 ? "first" : line == 1 ? "second" : "third");
        }
        const auto text = [&](const std::string& name) {
            std::string bytes = files.files[name];
            std::erase(bytes, '\r');
            return bytes;
        };
        EXPECT_EQ(text(path), c.log) << c.readFails;
        EXPECT_EQ(text(path + ".1"), c.one) << c.readFails;
        EXPECT_EQ(text(path + ".2"), c.two) << c.readFails;
        EXPECT_EQ(text(path + ".3"), c.three) << c.readFails;
        EXPECT_FALSE(files.files.contains(path + ".4"));
        EXPECT_EQ(complaints, c.complaints) << c.readFails;
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
