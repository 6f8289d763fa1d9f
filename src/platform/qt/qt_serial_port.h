#pragma once

#include <QObject>
#include <QSerialPort>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/line_handoff.h"
#include "platform/line_settings.h"
#include "platform/line_splitter.h"
#include "platform/port_numbering.h"
#include "platform/serial_port.h"

namespace quorvane {

// The serial component over QSerialPort. Ports are numbered by device family plus the ComN
// links of a `ports` folder. Line settings written while the port is closed take effect, in the
// order they were written, when it opens; each refusal names the port, the device and the setting.
// The port lives on a reader thread of its own, which stamps and splits each chunk the moment it
// is read; the window's thread gets the lines, in order, through a LineHandoff. Every call is
// made from the window's thread and carried out on the reader, which the caller waits for.
class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT

public:
    // The device paths the system offers.
    using DeviceList = std::function<std::vector<std::string>()>;

    explicit QtSerialPort(std::string portsFolder, QObject* parent = nullptr);
    QtSerialPort(std::string portsFolder, DeviceList devices, QObject* parent = nullptr);
    ~QtSerialPort() override;

    std::vector<int> portList() override;
    std::string portDevice(int number) override;

    bool portOpen() override;
    void setPortOpen(bool open) override;
    void setParity(std::int16_t code) override;
    void setStopBits(std::int16_t code) override;
    void setFlowControl(std::int16_t code) override;
    void setDataBits(std::int16_t bits) override;
    void setFlagA(bool value) override { flagA_ = value; }
    void setFlagB(bool value) override { flagB_ = value; }
    void setSpeed(double bitsPerSecond) override;
    void setPortNumber(double number) override;
    void setTerminator(const std::string& terminator) override;
    void setNumericSetting(std::int16_t value) override { numericSetting_ = value; }

private:
    // Runs `work` on the reader thread and waits for it; what it throws is thrown here.
    void onReader(const std::function<void()>& work);
    void write(LineSetting setting, double value);
    void apply(const WrittenSetting& written);
    void open();
    void close(bool keepLines = false);
    std::vector<NumberedPort> scan();
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    // Window's thread: a loss the reader found, unless the window has opened or closed since.
    void tellGone(std::uint64_t session, const std::string& reason);
    // "Com7 (/dev/ttyUSB0)", for messages.
    std::string portText() const;

    QThread reader_;
    QSerialPort* port_;  // lives on reader_
    // Runs the reader while the port is open, so a pause of the program shows in its stamps.
    QTimer* wake_;  // lives on reader_
    std::string portsFolder_;
    DeviceList devices_;
    std::vector<NumberedPort> known_;
    WrittenSettings settings_;  // reader's
    double portNumber_ = 0;
    std::string openDevice_;
    bool flagA_ = false;
    bool flagB_ = false;
    std::int16_t numericSetting_ = 0;
    LineSplitter splitter_;  // reader's
    LineHandoff handoff_;
    std::atomic<bool> open_{false};
    // Counts the window's opens and closes; a loss belongs to the session it was found in.
    std::uint64_t session_ = 0;        // window's
    std::uint64_t openedSession_ = 0;  // reader's: the session of the open port
    // Inside a call of the window: errors Qt raises meanwhile belong to that call.
    bool busy_ = false;  // reader's
};

}  // namespace quorvane
