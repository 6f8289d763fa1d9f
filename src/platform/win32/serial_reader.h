#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/line_handoff.h"
#include "platform/line_splitter.h"

namespace quorvane {

// Reads an open COM port on a thread of its own: stamps each chunk the moment ReadFile returns,
// splits it into lines there and hands them on. The port's read timeouts must let ReadFile
// return with nothing within LineSplitter::kReaderWake, so the thread sees when to stop and
// the splitter sees when the program was paused.
class SerialReader {
public:
    // `port` is the COM port's handle (a HANDLE), open for as long as the reader lives.
    // `gone` is called once, on the reader's thread, when the device stops answering.
    SerialReader(void* port, LineSplitter splitter, LineHandoff& handoff,
                 std::function<void()> gone);
    // Stops the thread within kStopWait, whatever the driver does; nothing is handed on after
    // it returns.
    ~SerialReader();
    SerialReader(const SerialReader&) = delete;
    SerialReader& operator=(const SerialReader&) = delete;

    // A driver may hold a read whatever the timeouts say (a USB device pulled out): the read is
    // cancelled, and a thread that still does not end within this is left to end by itself.
    static constexpr std::chrono::milliseconds kStopWait{1000};

    // Window's thread: the line's speed or terminator changed while the port is open.
    void retune(char terminator, double bitsPerSecond);

private:
    // What the thread uses, kept alive by it should it outlast the reader.
    struct Shared;

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace quorvane
