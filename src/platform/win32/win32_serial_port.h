#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/line_handoff.h"
#include "platform/line_settings.h"
#include "platform/port_numbering.h"
#include "platform/serial_port.h"

namespace quorvane {

class SerialReader;

// The serial component on the Win32 API. Port n is COMn. Line settings written while the port is
// closed take effect, in the order they were written, when it opens; each refusal names the port,
// the device and the setting. A reader thread stamps and splits what arrives; the lines, and the
// news that the device went away, reach the window's thread through `post`.
class Win32SerialPort : public SerialPort {
public:
    // The COM port names the system lists ("COM3").
    using DeviceList = std::function<std::vector<std::string>()>;

    // `post` runs a function on the window's thread later, from any thread (a queued call).
    explicit Win32SerialPort(LineHandoff::Post post);
    Win32SerialPort(LineHandoff::Post post, DeviceList devices);
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    std::vector<int> portList() override;
    std::string portDevice(int number) override;

    bool portOpen() override { return handle_ != nullptr; }
    void setPortOpen(bool open) override;
    void setParity(std::int16_t code) override { write(LineSetting::Parity, code); }
    void setStopBits(std::int16_t code) override { write(LineSetting::StopBits, code); }
    void setFlowControl(std::int16_t code) override { write(LineSetting::FlowControl, code); }
    void setDataBits(std::int16_t bits) override { write(LineSetting::DataBits, bits); }
    void setFlagA(bool value) override { flagA_ = value; }
    void setFlagB(bool value) override { flagB_ = value; }
    void setSpeed(double bitsPerSecond) override;
    void setPortNumber(double number) override { portNumber_ = number; }
    void setTerminator(const std::string& terminator) override;
    void setNumericSetting(std::int16_t value) override { numericSetting_ = value; }

private:
    // What a posted call needs to find this component, if it is still there and still on the
    // same opening of the port. Window's thread only.
    struct Life {
        Win32SerialPort* port;
        unsigned opening = 0;
    };

    // The listed ports with their numbers: COM3 is 3.
    std::vector<NumberedPort> numbered() const;
    void write(LineSetting setting, double value);
    void apply(const WrittenSetting& written);
    void open();
    void openDevice();
    void close();
    void deviceGone();
    // "Com5 (COM5)", for messages.
    std::string portText() const;

    LineHandoff::Post post_;
    DeviceList devices_;
    LineHandoff handoff_;
    std::shared_ptr<Life> life_;
    WrittenSettings settings_;
    double portNumber_ = 0;
    double speed_ = 0;
    char terminator_ = '\r';
    std::string device_;
    void* handle_ = nullptr;  // the open port's HANDLE
    std::unique_ptr<SerialReader> reader_;
    bool flagA_ = false;
    bool flagB_ = false;
    std::int16_t numericSetting_ = 0;
};

}  // namespace quorvane
