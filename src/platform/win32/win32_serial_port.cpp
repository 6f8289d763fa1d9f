#include "platform/win32/win32_serial_port.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/port_numbering.h"
#include "platform/win32/com_ports.h"
#include "platform/win32/serial_reader.h"
#include "platform/win32/wide_text.h"

// After the program's own headers: its macros would rename their constants.
#include <windows.h>

namespace quorvane {
namespace {

// Several seconds of any receiver, should the reader fall behind.
constexpr DWORD kInputBuffer = 64 * 1024;
// How long a read waits for a first byte before it returns empty: the reader sees when to stop,
// and runs often enough that a pause of the program shows in its stamps.
constexpr auto kReadWaitMs = static_cast<DWORD>(LineSplitter::kReaderWake.count());

// The line settings every opening starts from, whatever a program before us left in the driver:
// binary, 8N1, no flow control, DTR and RTS raised (some receivers draw power from them), and
// line errors that do not stop reading.
void baseSettings(DCB& dcb) {
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.Parity = NOPARITY;
    dcb.ByteSize = 8;
    dcb.StopBits = ONESTOPBIT;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
}

void flowSettings(DCB& dcb, int code) {
    dcb.fOutxCtsFlow = code == 1;
    dcb.fRtsControl = code == 1 ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.fOutxDsrFlow = code == 2;
    dcb.fDtrControl = code == 2 ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE;
    dcb.fOutX = code == 4;
    dcb.fInX = code == 4;
}

}  // namespace

Win32SerialPort::Win32SerialPort(LineHandoff::Post post)
    : Win32SerialPort(std::move(post), serialCommDevices) {}

Win32SerialPort::Win32SerialPort(LineHandoff::Post post, DeviceList devices)
    : post_(std::move(post)),
      devices_(std::move(devices)),
      handoff_(post_,
               [this](const ReceivedLine& line) {
                   if (onRead) {
                       onRead(line.text, line.stamps);
                   }
               }),
      life_(std::make_shared<Life>(Life{this})) {}

Win32SerialPort::~Win32SerialPort() {
    life_->port = nullptr;
    close();
}

std::vector<NumberedPort> Win32SerialPort::numbered() const {
    return numberPorts(devices_ ? devices_() : std::vector<std::string>{}, {});
}

std::vector<int> Win32SerialPort::portList() {
    std::vector<int> numbers;
    for (const NumberedPort& port : numbered()) {
        numbers.push_back(port.number);
    }
    return numbers;
}

std::string Win32SerialPort::portDevice(int number) {
    for (const NumberedPort& port : numbered()) {
        if (port.number == number) {
            return port.device;
        }
    }
    return {};
}

void Win32SerialPort::setPortOpen(bool open) {
    if (open) {
        this->open();
    } else {
        close();
    }
}

void Win32SerialPort::setSpeed(double bitsPerSecond) {
    write(LineSetting::Speed, bitsPerSecond);
}

void Win32SerialPort::setTerminator(const std::string& terminator) {
    if (terminator.size() != 1) {
        throw SerialError("The line terminator must be a single character.");
    }
    terminator_ = terminator[0];
    if (reader_) {
        reader_->retune(terminator_, speed_);
    }
}

void Win32SerialPort::write(LineSetting setting, double value) {
    const WrittenSetting& written = settings_.write(setting, value);
    if (setting == LineSetting::Speed) {
        speed_ = written.value;
    }
    if (portOpen()) {
        apply(written);
        if (reader_ && setting == LineSetting::Speed) {
            reader_->retune(terminator_, speed_);
        }
    }
}

void Win32SerialPort::apply(const WrittenSetting& written) {
    const auto handle = static_cast<HANDLE>(handle_);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    bool applied = GetCommState(handle, &dcb) != 0;
    const auto code = static_cast<BYTE>(written.value);
    switch (written.setting) {
        case LineSetting::Parity:  // the same codes as the system's NOPARITY to SPACEPARITY
            dcb.Parity = code;
            dcb.fParity = code != NOPARITY;
            break;
        case LineSetting::StopBits:  // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
            dcb.StopBits = code;
            break;
        case LineSetting::FlowControl:
            flowSettings(dcb, code);
            break;
        case LineSetting::DataBits:
            dcb.ByteSize = code;
            break;
        case LineSetting::Speed:
            dcb.BaudRate = static_cast<DWORD>(written.value);
            break;
    }
    applied = applied && SetCommState(handle, &dcb) != 0;
    if (!applied) {
        throw SerialError(refusalText(portText(), written, systemMessage(GetLastError())));
    }
}

void Win32SerialPort::open() {
    close();
    const double number = portNumber_;
    device_ = number == std::floor(number) && number >= 1 && number <= 255
                  ? "COM" + numberText(number)
                  : "";
    if (!device_.empty()) {
        const std::wstring path = L"\\\\.\\" + *widen(device_);
        handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) {
            handle_ = nullptr;
        }
    }
    if (handle_ == nullptr) {
        const DWORD error = device_.empty() ? ERROR_FILE_NOT_FOUND : GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            throw SerialError(notAvailableText(number));
        }
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
            // Windows opens a COM port for one program at a time.
            throw SerialError(inUseText(portText()));
        }
        throw SerialError(openFailedText(portText(), systemMessage(error)));
    }
    try {
        openDevice();
    } catch (...) {
        close();
        throw;
    }
}

// The port's buffers, starting settings, the settings written so far and read timeouts; then the
// reader.
void Win32SerialPort::openDevice() {
    const auto handle = static_cast<HANDLE>(handle_);
    SetupComm(handle, kInputBuffer, 4096);  // only a wish: a driver may keep its own size
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    bool ready = GetCommState(handle, &dcb) != 0;
    if (ready) {
        baseSettings(dcb);
        ready = SetCommState(handle, &dcb) != 0;
    }
    if (!ready) {
        throw SerialError(openFailedText(portText(), systemMessage(GetLastError())));
    }
    for (const WrittenSetting& written : settings_.inOrder()) {
        apply(written);
    }
    // A read returns at once with what has arrived, or waits up to kReadWaitMs for a first byte.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = kReadWaitMs;
    if (!SetCommTimeouts(handle, &timeouts)) {
        throw SerialError(openFailedText(portText(), systemMessage(GetLastError())));
    }
    // Whatever waited in the driver arrived at an unknown time; stamps would lie.
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_RXABORT);

    LineSplitter splitter(terminator_);
    if (speed_ > 0) {
        splitter.setLineSpeed(speed_);
    }
    const unsigned opening = ++life_->opening;
    reader_ = std::make_unique<SerialReader>(
        handle_, std::move(splitter), handoff_, [post = post_, life = life_, opening] {
            post([life, opening] {
                if (life->port != nullptr && life->opening == opening) {
                    life->port->deviceGone();
                }
            });
        });
}

void Win32SerialPort::close() {
    reader_.reset();  // the thread is gone before its handle is
    if (handle_ != nullptr) {
        CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
        ++life_->opening;  // news from the reader of this opening finds nothing to do
    }
    handoff_.discard();
}

void Win32SerialPort::deviceGone() {
    if (!portOpen()) {
        return;
    }
    const std::string reason = portText() + ": the device went away";
    close();
    if (onGone) {
        onGone(reason);
    }
}

std::string Win32SerialPort::portText() const {
    return "Com" + numberText(portNumber_) + " (" + device_ + ")";
}

}  // namespace quorvane
