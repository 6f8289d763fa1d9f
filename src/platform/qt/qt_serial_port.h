#pragma once

#include <QObject>
#include <QSerialPort>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/line_splitter.h"
#include "platform/port_numbering.h"
#include "platform/serial_port.h"

namespace quorvane {

// The serial component over QSerialPort. Ports are numbered by device family plus the ComN
// links of a `ports` folder. Line settings written while the port is closed take effect, in the
// order they were written, when it opens; each refusal names the port, the device and the setting.
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
    void setPortNumber(double number) override { portNumber_ = number; }
    void setTerminator(const std::string& terminator) override;
    void setNumericSetting(std::int16_t value) override { numericSetting_ = value; }

private:
    enum class Setting { Parity, StopBits, FlowControl, DataBits, Speed };
    struct Written {
        Setting setting;
        double value;
    };

    void write(Setting setting, double value);
    void apply(const Written& written);
    void open();
    void close();
    std::vector<NumberedPort> scan();
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    // "Com7 (/dev/ttyUSB0)", for messages.
    std::string portText() const;

    QSerialPort* port_;
    std::string portsFolder_;
    DeviceList devices_;
    std::vector<NumberedPort> known_;
    std::vector<Written> settings_;
    double portNumber_ = 0;
    std::string openDevice_;
    bool flagA_ = false;
    bool flagB_ = false;
    std::int16_t numericSetting_ = 0;
    LineSplitter splitter_;
    std::deque<ReceivedLine> ready_;
    bool delivering_ = false;
    // Inside a call of the window: errors Qt raises meanwhile belong to that call.
    bool busy_ = false;
};

}  // namespace quorvane
