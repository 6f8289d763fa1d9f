#include "platform/win32/serial_reader.h"

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

SerialReader::SerialReader(void* port, LineSplitter splitter, LineHandoff& handoff,
                           std::function<void()> gone)
    : port_(port), splitter_(std::move(splitter)), handoff_(handoff), gone_(std::move(gone)) {
    thread_ = std::thread([this] {
        raiseReaderPriority();
        run();
    });
}

SerialReader::~SerialReader() {
    stop_ = true;
    thread_.join();
}

void SerialReader::retune(char terminator, double bitsPerSecond) {
    const std::lock_guard lock(mutex_);
    splitter_.setTerminator(terminator);
    splitter_.setLineSpeed(bitsPerSecond);
}

bool SerialReader::deviceAnswers() {
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(static_cast<HANDLE>(port_), &errors, &status) != 0;
}

void SerialReader::run() {
    char buffer[kChunk];
    while (!stop_) {
        const MonoTime asked = MonoClock::now();
        DWORD got = 0;
        const bool read = ReadFile(static_cast<HANDLE>(port_), buffer, kChunk, &got, nullptr) != 0;
        // The stamp is taken before anything else, so nothing delays it.
        const MonoTime arrival = MonoClock::now();
        if (stop_) {
            break;
        }
        if (!read || (got == 0 && !deviceAnswers())) {
            // Unplugged, or hung up: the window closes the port and says so, once.
            gone_();
            break;
        }
        if (got == 0) {
            {
                const std::lock_guard lock(mutex_);
                splitter_.readerRan(arrival);
            }
            if (arrival - asked < kEmptyReadFloor) {
                Sleep(static_cast<DWORD>(kEmptyReadFloor.count()));
            }
            continue;
        }
        std::vector<ReceivedLine> lines;
        {
            const std::lock_guard lock(mutex_);
            lines = splitter_.feed(std::string_view(buffer, got), arrival);
        }
        handoff_.push(std::move(lines));
    }
}

}  // namespace quorvane
