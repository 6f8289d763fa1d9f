#include "platform/line_handoff.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace quorvane {
namespace {

// The window's thread as a queue of posted calls that the test runs. Each case pushes lines as
// a reader would (the tag "box" is a handler that pumps events, the tag "discard" a close) and
// names what the window gets, in order, and how many calls were posted.
TEST(LineHandoff, DeliversEveryLineOnceInOrder) {
    struct Case {
        std::vector<std::vector<std::string>> pushes;
        std::vector<std::string> delivered;
        std::size_t posted;
    };
    const std::vector<Case> cases{
        {{{"a"}, {"b", "c"}}, {"a", "b", "c"}, 1},
        {{{"old"}, {"discard"}, {"new"}}, {"new"}, 1},
        {{{"box", "after"}}, {"box", "after", "during"}, 2},
        {{{"first", "x"}, {std::vector<std::string>(LineHandoff::kMaxQueued, "x")}},
         std::vector<std::string>(LineHandoff::kMaxQueued, "x"),
         1},
    };
    for (const Case& c : cases) {
        std::deque<std::function<void()>> calls;
        const auto runAll = [&calls] {
            while (!calls.empty()) {
                auto call = std::move(calls.front());
                calls.pop_front();
                call();
            }
        };
        std::vector<std::string> delivered;
        std::size_t posted = 0;
        std::unique_ptr<LineHandoff> handoff;
        const auto push = [&](const std::vector<std::string>& texts) {
            std::vector<ReceivedLine> lines;
            for (const std::string& text : texts) {
                lines.push_back({text, {}});
            }
            handoff->push(std::move(lines));
        };
        handoff = std::make_unique<LineHandoff>(
            [&](std::function<void()> call) {
                ++posted;
                calls.push_back(std::move(call));
            },
            [&](const ReceivedLine& line) {
                delivered.push_back(line.text);
                if (line.text == "box") {
                    push({"during"});
                    runAll();
                }
            });
        for (const auto& texts : c.pushes) {
            texts == std::vector<std::string>{"discard"} ? handoff->discard() : push(texts);
        }
        runAll();
        EXPECT_EQ(delivered, c.delivered) << c.pushes.front().front();
        EXPECT_EQ(posted, c.posted) << c.pushes.front().front();

        // Once the handoff is gone, a posted call finds nothing.
        push({"late"});
        handoff.reset();
        runAll();
        EXPECT_EQ(delivered, c.delivered);
    }
}

}  // namespace
}  // namespace quorvane
