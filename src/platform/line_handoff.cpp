#include "platform/line_handoff.h"

#include <deque>
#include <mutex>
#include <utility>

namespace quorvane {

struct LineHandoff::State {
    Post post;
    Deliver deliver;
    std::mutex mutex;
    std::deque<ReceivedLine> queued;  // guarded by mutex
    bool alive = true;                // guarded by mutex; false once the handoff is gone
    bool posted = false;              // guarded by mutex; a drain is on its way
    bool delivering = false;          // window's thread only

    // Window's thread. A handler that pumps events may run another drain inside this one: it
    // leaves the lines to the outer one, so they keep their order.
    void drain() {
        {
            const std::lock_guard lock(mutex);
            posted = false;
        }
        if (delivering) {
            return;
        }
        delivering = true;
        for (;;) {
            ReceivedLine line;
            {
                const std::lock_guard lock(mutex);
                if (!alive || queued.empty()) {
                    break;
                }
                line = std::move(queued.front());
                queued.pop_front();
            }
            deliver(line);
        }
        delivering = false;
    }
};

LineHandoff::LineHandoff(Post post, Deliver deliver) : state_(std::make_shared<State>()) {
    state_->post = std::move(post);
    state_->deliver = std::move(deliver);
}

LineHandoff::~LineHandoff() {
    const std::lock_guard lock(state_->mutex);
    state_->alive = false;
    state_->queued.clear();
}

void LineHandoff::push(std::vector<ReceivedLine> lines) {
    if (lines.empty()) {
        return;
    }
    {
        const std::lock_guard lock(state_->mutex);
        for (ReceivedLine& line : lines) {
            state_->queued.push_back(std::move(line));
        }
        // A window's thread stuck for minutes must not cost memory without end; the oldest
        // lines are the least worth keeping.
        while (state_->queued.size() > kMaxQueued) {
            state_->queued.pop_front();
        }
        // One drain on its way takes every line queued before it runs.
        if (std::exchange(state_->posted, true)) {
            return;
        }
    }
    // The posted call holds the state, not the handoff: it may run after the handoff is gone.
    state_->post([state = state_] { state->drain(); });
}

void LineHandoff::discard() {
    const std::lock_guard lock(state_->mutex);
    state_->queued.clear();
}

}  // namespace quorvane
