#include "platform/win32/serial_reader.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string_view>
#include <utility>

#include "platform/mono_time.h"
#include "platform/reader_priority.h"

// After the program's own headers: its macros would rename their constants.
#include <windows.h>

namespace quorvane {
namespace {

// One read takes what the driver holds, up to this; a receiver sends far less between reads.
constexpr DWORD kChunk = 4096;
// An empty read that came back sooner than this was no wait at all: a driver that answers every
// read at once with nothing must not keep a core busy.
constexpr auto kEmptyReadFloor = std::chrono::milliseconds(5);

}  // namespace

struct SerialReader::Shared {
    Shared(void* p, LineSplitter s, LineHandoff& h, std::function<void()> g)
        : port(p), splitter(std::move(s)), handoff(h), gone(std::move(g)) {}
    ~Shared() {
        if (thread != nullptr) {
            CloseHandle(thread);
        }
    }

    void run();
    // Whether the device still answers; a device unplugged or hung up does not.
    bool deviceAnswers() const;

    void* port;
    std::mutex mutex;  // guards everything below but `stop`'s reads
    std::condition_variable ended;
    LineSplitter splitter;
    // Handing on and telling happen under the mutex and only while not stopped, so nothing
    // reaches the component once the reader has gone, even from a thread left behind.
    LineHandoff& handoff;
    std::function<void()> gone;
    std::atomic<bool> stop{false};
    bool finished = false;
    HANDLE thread = nullptr;  // the reading thread, for cancelling its read
};

SerialReader::SerialReader(void* port, LineSplitter splitter, LineHandoff& handoff,
                           std::function<void()> gone)
    : shared_(std::make_shared<Shared>(port, std::move(splitter), handoff, std::move(gone))) {
    thread_ = std::thread([shared = shared_] {
        raiseReaderPriority();
        HANDLE self = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0,
                        FALSE, DUPLICATE_SAME_ACCESS);
        {
            const std::lock_guard lock(shared->mutex);
            shared->thread = self;
        }
        shared->run();
        const std::lock_guard lock(shared->mutex);
        shared->finished = true;
        shared->ended.notify_all();
    });
}

SerialReader::~SerialReader() {
    std::unique_lock lock(shared_->mutex);
    shared_->stop = true;
    const auto until = MonoClock::now() + kStopWait;
    while (!shared_->finished && MonoClock::now() < until) {
        if (shared_->thread != nullptr) {
            CancelSynchronousIo(shared_->thread);
        }
        shared_->ended.wait_for(lock, std::chrono::milliseconds(10));
    }
    const bool finished = shared_->finished;
    lock.unlock();
    if (finished) {
        thread_.join();
    } else {
        thread_.detach();  // it holds its own share of what it uses
    }
}

void SerialReader::retune(char terminator, double bitsPerSecond) {
    const std::lock_guard lock(shared_->mutex);
    shared_->splitter.setTerminator(terminator);
    shared_->splitter.setLineSpeed(bitsPerSecond);
}

bool SerialReader::Shared::deviceAnswers() const {
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(static_cast<HANDLE>(port), &errors, &status) != 0;
}

void SerialReader::Shared::run() {
    char buffer[kChunk];
    for (;;) {
        const MonoTime asked = MonoClock::now();
        DWORD got = 0;
        const bool read = ReadFile(static_cast<HANDLE>(port), buffer, kChunk, &got, nullptr) != 0;
        // The stamp is taken before anything else, so nothing delays it.
        const MonoTime arrival = MonoClock::now();
        {
            const std::lock_guard lock(mutex);
            if (stop) {
                return;
            }
            if (!read || (got == 0 && !deviceAnswers())) {
                // Unplugged, or hung up: the window closes the port and says so, once.
                gone();
                return;
            }
            if (got > 0) {
                handoff.push(splitter.feed(std::string_view(buffer, got), arrival));
                continue;
            }
            splitter.readerRan(arrival);
        }
        if (arrival - asked < kEmptyReadFloor) {
            Sleep(static_cast<DWORD>(kEmptyReadFloor.count()));
        }
    }
}

}  // namespace quorvane
