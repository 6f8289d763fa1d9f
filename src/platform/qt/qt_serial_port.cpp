#include "platform/qt/qt_serial_port.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <utility>

#include "platform/reader_priority.h"

namespace quorvane {
namespace {

// Enough for several seconds of any receiver; beyond it Qt stops reading until we catch up.
constexpr qint64 kReadBufferSize = 64 * 1024;

std::vector<std::string> systemDevices() {
    std::vector<std::string> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef _WIN32
        devices.push_back(info.portName().toStdString());
#else
        devices.push_back(info.systemLocation().toStdString());
#endif
    }
    return devices;
}

constexpr std::array<QSerialPort::Parity, 5> kParities{
    QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity, QSerialPort::MarkParity,
    QSerialPort::SpaceParity};

// Qt reports a port that another program has locked, one held open exclusively and one this
// user may not open all as a permission error; only the description tells them apart.
bool heldByAnother(const QSerialPort& port) {
    if (port.error() != QSerialPort::PermissionError) {
        return false;
    }
#ifdef _WIN32
    // Windows opens a COM port for one program at a time and refuses the next with "access
    // denied"; nobody is denied a COM port otherwise.
    return true;
#else
    const QString text = port.errorString();
    return text == QSerialPort::tr("Permission error while locking the device") ||
           text == qt_error_string(EBUSY);
#endif
}

// Marks the component as inside a call of the window for the call's length.
struct Busy {
    explicit Busy(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~Busy() { flag_ = was_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    bool& flag_;
    bool was_;
};

}  // namespace

QtSerialPort::QtSerialPort(std::string portsFolder, QObject* parent)
    : QtSerialPort(std::move(portsFolder), systemDevices, parent) {}

QtSerialPort::QtSerialPort(std::string portsFolder, DeviceList devices, QObject* parent)
    : QObject(parent),
      port_(new QSerialPort),
      wake_(new QTimer(port_)),
      portsFolder_(std::move(portsFolder)),
      devices_(std::move(devices)),
      handoff_(
          // The posted call dies with this object, so it never runs after it is gone.
          [this](std::function<void()> call) {
              QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
          },
          [this](const ReceivedLine& line) {
              if (onRead) {
                  onRead(line.text, line.stamps);
              }
          }) {
    reader_.setObjectName(QStringLiteral("serial reader"));
    port_->setReadBufferSize(kReadBufferSize);
    wake_->setInterval(LineSplitter::kReaderWake);
    wake_->setTimerType(Qt::PreciseTimer);
    connect(wake_, &QTimer::timeout, port_, [this] { splitter_.readerRan(MonoClock::now()); });
    port_->moveToThread(&reader_);
    connect(port_, &QSerialPort::readyRead, port_, [this] { onReadyRead(); });
    connect(port_, &QSerialPort::errorOccurred, port_,
            [this](QSerialPort::SerialPortError error) { onError(error); });
    // The port goes on the thread it lives on, as that thread ends.
    connect(&reader_, &QThread::finished, port_, &QObject::deleteLater);
    connect(&reader_, &QThread::started, port_, raiseReaderPriority, Qt::DirectConnection);
    reader_.start();
}

QtSerialPort::~QtSerialPort() {
    // Closing raises signals that must not reach a half-destroyed object.
    onReader([this] {
        wake_->stop();
        port_->disconnect();
        port_->close();
    });
    reader_.quit();
    reader_.wait();
}

void QtSerialPort::onReader(const std::function<void()>& work) {
    if (QThread::currentThread() == &reader_) {
        work();
        return;
    }
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        port_,
        [&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure) {
        std::rethrow_exception(failure);
    }
}

std::vector<NumberedPort> QtSerialPort::scan() {
    known_ = numberPorts(devices_ ? devices_() : std::vector<std::string>{},
                         scanPortsFolder(portsFolder_));
    return known_;
}

std::vector<int> QtSerialPort::portList() {
    std::vector<int> numbers;
    onReader([&] {
        for (const NumberedPort& port : scan()) {
            numbers.push_back(port.number);
        }
    });
    return numbers;
}

std::string QtSerialPort::portDevice(int number) {
    std::string device;
    onReader([&] {
        for (int attempt = 0; attempt < 2 && device.empty(); ++attempt) {
            const auto& ports = attempt == 0 ? known_ : scan();
            const auto it =
                std::find_if(ports.begin(), ports.end(),
                             [number](const NumberedPort& p) { return p.number == number; });
            if (it != ports.end()) {
                device = it->device;
            }
        }
    });
    return device;
}

bool QtSerialPort::portOpen() {
    return open_;
}

void QtSerialPort::setPortOpen(bool open) {
    ++session_;
    onReader([this, open] {
        if (open) {
            this->open();
        } else {
            close();
        }
    });
}

void QtSerialPort::setPortNumber(double number) {
    // The reader names the port in its messages.
    onReader([this, number] { portNumber_ = number; });
}

void QtSerialPort::setParity(std::int16_t code) {
    write(LineSetting::Parity, code);
}

void QtSerialPort::setStopBits(std::int16_t code) {
    write(LineSetting::StopBits, code);
}

void QtSerialPort::setFlowControl(std::int16_t code) {
    write(LineSetting::FlowControl, code);
}

void QtSerialPort::setDataBits(std::int16_t bits) {
    write(LineSetting::DataBits, bits);
}

void QtSerialPort::setSpeed(double bitsPerSecond) {
    write(LineSetting::Speed, bitsPerSecond);
}

void QtSerialPort::setTerminator(const std::string& terminator) {
    if (terminator.size() != 1) {
        throw SerialError("The line terminator must be a single character.");
    }
    onReader([this, c = terminator[0]] { splitter_.setTerminator(c); });
}

// Remembers the setting in the order written (a later write of the same setting moves it to the
// end), and applies it at once when the port is open.
void QtSerialPort::write(LineSetting setting, double value) {
    onReader([=, this] {
        const Busy busy(busy_);
        const WrittenSetting& written = settings_.write(setting, value);
        if (port_->isOpen()) {
            apply(written);
        }
    });
}

void QtSerialPort::apply(const WrittenSetting& written) {
    const int code = static_cast<int>(written.value);
    bool applied = false;
    switch (written.setting) {
        case LineSetting::Parity:
            applied = port_->setParity(kParities[code]);
            break;
        case LineSetting::StopBits:
#ifndef _WIN32
            // Qt would quietly send one stop bit instead.
            if (code == 1) {
                throw SerialError(portText() +
                                  ": 1.5 stop bits are not available on this system. "
                                  "Choose 1 or 2 in the Stop menu.");
            }
#endif
            applied = port_->setStopBits(code == 0   ? QSerialPort::OneStop
                                         : code == 1 ? QSerialPort::OneAndHalfStop
                                                     : QSerialPort::TwoStop);
            break;
        case LineSetting::FlowControl:
            if (code == 2) {
                throw SerialError(portText() +
                                  ": DSR/DTR flow control is not available on this system. "
                                  "Choose None, RTS/CTS or Xon/Xoff in the Flow menu.");
            }
            applied = port_->setFlowControl(code == 0   ? QSerialPort::NoFlowControl
                                            : code == 1 ? QSerialPort::HardwareControl
                                                        : QSerialPort::SoftwareControl);
            break;
        case LineSetting::DataBits:
            applied = port_->setDataBits(static_cast<QSerialPort::DataBits>(code));
            break;
        case LineSetting::Speed:
            applied = port_->setBaudRate(static_cast<qint32>(written.value));
            splitter_.setLineSpeed(written.value);
            break;
    }
    if (!applied) {
        throw SerialError(refusalText(portText(), written, port_->errorString().toStdString()));
    }
}

void QtSerialPort::open() {
    close();
    const Busy busy(busy_);
    const auto ports = scan();
    const auto it = std::find_if(ports.begin(), ports.end(),
                                 [this](const NumberedPort& p) { return p.number == portNumber_; });
    if (it == ports.end()) {
        openDevice_.clear();
        throw SerialError(notAvailableText(portNumber_));
    }
    openDevice_ = it->device;
    port_->setPortName(QString::fromStdString(openDevice_));
    if (!port_->open(QIODevice::ReadOnly)) {
        if (heldByAnother(*port_)) {
            throw SerialError(inUseText(portText()));
        }
        throw SerialError(openFailedText(portText(), port_->errorString().toStdString()));
    }
    try {
        for (const WrittenSetting& written : settings_.inOrder()) {
            apply(written);
        }
    } catch (...) {
        close();
        throw;
    }
    // Whatever waited in the system's buffer arrived at an unknown time; stamps would lie.
    port_->clear(QSerialPort::Input);
    openedSession_ = session_;
    open_ = true;
    wake_->start();
}

void QtSerialPort::close(bool keepLines) {
    open_ = false;
    wake_->stop();
    if (port_->isOpen()) {
        const Busy busy(busy_);
        port_->close();
    }
    splitter_.reset();
    // Lines still on their way belong to the port as it was.
    if (!keepLines) {
        handoff_.discard();
    }
}

std::string QtSerialPort::portText() const {
    return "Com" + numberText(portNumber_) + " (" + openDevice_ + ")";
}

void QtSerialPort::onReadyRead() {
    const MonoTime arrival = MonoClock::now();
    const QByteArray bytes = port_->readAll();
    handoff_.push(splitter_.feed(std::string_view(bytes.constData(), bytes.size()), arrival));
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    // The device went away: unplugged (a resource error), or hung up, when reads find the end of
    // the stream (Qt calls that a read error, again at every poll). Close, then tell the window
    // once: the port is no longer open, so later reports of the same loss find nothing to do.
    // Errors raised inside a call of the window (an open, a close, a setting applied to a device
    // that has just gone) are that call's to report: closing a vanished device fails on the way
    // out, and Qt reports that too.
    if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError) || busy_ ||
        !port_->isOpen()) {
        return;
    }
    const std::string reason = portText() + ": the device went away";
    // The lines read before the loss are the receiver's last words: they still go, first.
    close(true);
    // Queued behind the lines read before the loss.
    QMetaObject::invokeMethod(
        this, [this, session = openedSession_, reason] { tellGone(session, reason); },
        Qt::QueuedConnection);
}

void QtSerialPort::tellGone(std::uint64_t session, const std::string& reason) {
    if (session == session_ && onGone) {
        onGone(reason);
    }
}

}  // namespace quorvane
