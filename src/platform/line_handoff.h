#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/line_splitter.h"

namespace quorvane {

// Carries received lines from a serial component's reader thread to the window's thread, in
// order. The reader stamps each chunk the moment its read returns and splits it there, so no
// box, menu or busy moment of the window delays a stamp; the window's thread gets the lines
// with their stamps through `post`.
class LineHandoff {
public:
    // Runs a function on the window's thread, later (a queued call). Called from the reader.
    using Post = std::function<void(std::function<void()>)>;
    // Takes one line on the window's thread.
    using Deliver = std::function<void(const ReceivedLine&)>;

    LineHandoff(Post post, Deliver deliver);
    // Calls already posted find nothing to deliver.
    ~LineHandoff();
    LineHandoff(const LineHandoff&) = delete;
    LineHandoff& operator=(const LineHandoff&) = delete;

    // Reader thread: queues the lines and asks the window's thread to deliver them.
    void push(std::vector<ReceivedLine> lines);
    // Window's thread: lines queued so far are never delivered (the port was closed).
    void discard();

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace quorvane
