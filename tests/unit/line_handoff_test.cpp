#include "platform/line_handoff.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace quorvane {
namespace {

// Posted calls run when the test says. Pushes before a drain share it; a handler that pumps
// events ("box") leaves the lines to the outer drain; a discard drops what waits; beyond the
// bound the oldest go; a handoff gone delivers nothing.
TEST(LineHandoff, DeliversEveryLineOnceInOrder) {
    std::deque<std::function<void()>> calls;
    std::vector<std::string> got;
    const auto run = [&] {
        while (!calls.empty()) {
            const auto call = std::move(calls.front());
            calls.pop_front();
            call();
        }
    };
    std::unique_ptr<LineHandoff> h;
    h = std::make_unique<LineHandoff>([&](auto call) { calls.push_back(std::move(call)); },
                                      [&](const ReceivedLine& line) {
                                          got.push_back(line.text);
                                          if (line.text == "box") {
                                              h->push({{"during", {}}});
                                              run();
                                          }
                                      });
    h->push({{"old", {}}});
    h->discard();
    h->push({{"box", {}}, {"after", {}}});
    EXPECT_EQ(calls.size(), 1u);
    run();
    h->push({{"first", {}}});
    h->push(std::vector<ReceivedLine>(LineHandoff::kMaxQueued, {"x", {}}));
    run();
    ASSERT_EQ(got.size(), 3 + LineHandoff::kMaxQueued);
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + 4),
              (std::vector<std::string>{"box", "after", "during", "x"}));
    h->push({{"late", {}}});
    h.reset();
    run();
    EXPECT_EQ(got.back(), "x");
}

}  // namespace
}  // namespace quorvane
