#pragma once

#include <atomic>
#include <functional>
#include <mutex>
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
    // Stops the thread and waits for it; nothing is handed on after it returns.
    ~SerialReader();
    SerialReader(const SerialReader&) = delete;
    SerialReader& operator=(const SerialReader&) = delete;

    // Window's thread: the line's speed or terminator changed while the port is open.
    void retune(char terminator, double bitsPerSecond);

private:
    void run();
    // Whether the device still answers; a device unplugged or hung up does not.
    bool deviceAnswers();

    void* port_;
    std::mutex mutex_;
    LineSplitter splitter_;  // guarded by mutex_
    LineHandoff& handoff_;
    std::function<void()> gone_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace quorvane
