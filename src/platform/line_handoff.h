#pragma once

#include <cstddef>
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

    // Lines waiting for the window's thread beyond this many are dropped, oldest first: over a
    // minute of a fast receiver.
    static constexpr std::size_t kMaxQueued = 10000;

    LineHandoff(Post post, Deliver deliver);
    // Calls already posted find nothing to deliver.
    ~LineHandoff();
    LineHandoff(const LineHandoff&) = delete;
    LineHandoff& operator=(const LineHandoff&) = delete;

    // Reader thread: queues the lines and asks the window's thread to deliver them.
    void push(std::vector<ReceivedLine> lines);
    // Either thread: lines queued so far are never delivered (the port was closed). From the
    // reader, after its last read of the port, it also takes the lines no later call could.
    void discard();

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace quorvane
