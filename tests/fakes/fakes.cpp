#include "fakes/fakes.h"

#include <algorithm>

namespace quorvane::testing {

// ---- FakeSerialPort -----------------------------------------------------------------------

void FakeSerialPort::record(const std::string& name, const std::string& value) {
    calls.push_back(name + " " + value);
    if (failOn == name) {
        throw SerialError(failText);
    }
}

std::vector<int> FakeSerialPort::portList() {
    calls.push_back("portList");
    if (listFails) {
        throw SerialError("The port list cannot be read");
    }
    return ports;
}

std::string FakeSerialPort::portDevice(int number) {
    const auto it = devices.find(number);
    return it == devices.end() ? std::string() : it->second;
}

void FakeSerialPort::setPortOpen(bool value) {
    record("setPortOpen", value ? "1" : "0");
    if (value) {
        ++opens;
    } else {
        ++closes;
    }
    open = value;
}

void FakeSerialPort::setParity(std::int16_t code) {
    record("setParity", std::to_string(code));
    parity = code;
}

void FakeSerialPort::setStopBits(std::int16_t code) {
    record("setStopBits", std::to_string(code));
    stopBits = code;
}

void FakeSerialPort::setFlowControl(std::int16_t code) {
    record("setFlowControl", std::to_string(code));
    flowControl = code;
}

void FakeSerialPort::setDataBits(std::int16_t bits) {
    record("setDataBits", std::to_string(bits));
    dataBits = bits;
}

void FakeSerialPort::setFlagA(bool value) { record("setFlagA", value ? "1" : "0"); }

void FakeSerialPort::setFlagB(bool value) { record("setFlagB", value ? "1" : "0"); }

void FakeSerialPort::setSpeed(double value) {
    record("setSpeed", std::to_string(value));
    speed = value;
}

void FakeSerialPort::setPortNumber(double value) {
    record("setPortNumber", std::to_string(value));
    portNumber = value;
}

void FakeSerialPort::setTerminator(const std::string& value) {
    record("setTerminator", value);
    terminator = value;
}

void FakeSerialPort::setNumericSetting(std::int16_t value) {
    record("setNumericSetting", std::to_string(value));
    numericSetting = value;
}

void FakeSerialPort::goAway(const std::string& reason) {
    open = false;
    if (onGone) {
        onGone(reason);
    }
}

void FakeSerialPort::deliver(const std::optional<std::string>& value, const ArrivalStamps& stamps) {
    if (onRead) {
        onRead(value, stamps);
    }
}

std::vector<std::string> FakeSerialPort::callNames() const {
    std::vector<std::string> names;
    for (const std::string& call : calls) {
        names.push_back(call.substr(0, call.find(' ')));
    }
    return names;
}

// ---- FakeTrayIcon -------------------------------------------------------------------------

void FakeTrayIcon::add(Picture picture, const std::string& tip) {
    ++adds;
    shown = true;
    icon = picture;
    toolTip = tip;
    toolTips.push_back(tip);
}

void FakeTrayIcon::setIcon(Picture picture) {
    ++setIcons;
    icon = picture;
}

void FakeTrayIcon::setToolTip(const std::string& text) {
    toolTip = text;
    toolTips.push_back(text);
}

void FakeTrayIcon::remove() {
    ++removes;
    shown = false;
}

void FakeTrayIcon::popupMenu(MenuItem& menu, WindowHandle owner) {
    popups.emplace_back(menu.name(), owner);
}

void FakeTrayIcon::showMessage(const std::string& title, const std::string& text) {
    messages.push_back(Message{title, text});
}

// ---- FakeBalloon --------------------------------------------------------------------------

void FakeBalloon::show(WindowHandle at, const std::string& text, const std::string& title,
                       std::int32_t iconStyle, std::int32_t timeout) {
    shows.push_back(Shown{at, text, title, iconStyle, timeout});
}

// ---- FakeClock ----------------------------------------------------------------------------

ClockSetResult FakeClock::setUtc(const DateTime& utc) {
    setCalls.push_back(utc);
    return result;
}

ClockSetResult FakeClock::setFrequencyPpm(double ppm) {
    frequencyCalls.push_back(ppm);
    if (frequencyResult.outcome == ClockSetOutcome::Set) {
        disciplineState.frequencyPpm = ppm;
    }
    return frequencyResult;
}

void FakeClock::advance(std::chrono::milliseconds step) {
    local = addMilliseconds(local, step.count());
    mono += step;
}

// ---- FakeRandom ---------------------------------------------------------------------------

float FakeRandom::next() {
    if (!values.empty()) {
        last = values.front();
        values.pop_front();
    }
    return last;
}

// ---- FakeTextFiles ------------------------------------------------------------------------

std::string FakeTextFiles::readAll(const std::string& path) {
    ++reads;
    if (readFails && readUnfit) {
        throw UnfitFile(*readFails, "not fit to read");
    }
    if (readFails) {
        throw FileError(*readFails, "read refused");
    }
    const auto it = files.find(path);
    if (it == files.end()) {
        throw FileError(53, "no such file");
    }
    return it->second;
}

void FakeTextFiles::replaceWhole(const std::string& path, const std::string& bytes) {
    ++writes;
    if (writeFails) {
        throw FileError(*writeFails, "write refused");
    }
    files[path] = bytes;
}

void FakeTextFiles::rename(const std::string& path, const std::string& to) {
    const auto it = files.find(path);
    if (renameFails || it == files.end()) {
        throw FileError(renameFails.value_or(53), "rename refused");
    }
    files[to] = std::move(it->second);
    files.erase(path);
}

// ---- FakeDesktop --------------------------------------------------------------------------

void FakeDesktop::messageBox(const std::string& text, const std::string& title) {
    messages.push_back(Message{text, title});
    if (whileMessageBoxUp) {
        auto during = std::move(whileMessageBoxUp);
        whileMessageBoxUp = nullptr;
        during();
    }
}

bool FakeDesktop::askOkCancel(const std::string& text, const std::string& title) {
    questions.push_back(Message{text, title});
    if (okCancelAnswers.empty()) {
        return okCancelDefault;
    }
    const bool answer = okCancelAnswers.front();
    okCancelAnswers.pop_front();
    return answer;
}

std::optional<int> FakeDesktop::askNumber(const std::string& text, const std::string& title,
                                          int /*value*/, int low, int high) {
    questions.push_back(Message{text, title});
    if (numberAnswers.empty()) {
        return std::nullopt;
    }
    const std::optional<int> answer = numberAnswers.front();
    numberAnswers.pop_front();
    // The real dialog offers only numbers in range.
    return answer ? std::optional<int>(std::clamp(*answer, low, high)) : std::nullopt;
}

void FakeDesktop::showProgress(const std::string& text, const std::string& /*title*/, int steps,
                               std::function<void()> onCancel) {
    progressUp = true;
    progressText = text;
    progressStep = 0;
    progressSteps = steps;
    progressCancel = std::move(onCancel);
}

void FakeDesktop::setProgress(int step, const std::string& text) {
    progressStep = step;
    progressText = text;
}

void FakeDesktop::closeProgress() {
    progressUp = false;
    progressCancel = nullptr;
}

void FakeDesktop::cancelProgress() {
    auto cancel = std::move(progressCancel);
    closeProgress();
    if (cancel) {
        cancel();
    }
}

void FakeDesktop::pumpEvents() {
    ++pumps;
    // Only what was queued before this pump runs in it, as one pass of an event loop.
    std::deque<std::function<void()>> now;
    now.swap(queued);
    while (!now.empty()) {
        auto event = std::move(now.front());
        now.pop_front();
        event();
    }
}

Picture FakeDesktop::loadPicture(const std::string& path, PictureColour fallback) {
    loadedPaths.push_back(path);
    const Picture handle = static_cast<Picture>(loadedPaths.size());
    pictureColours[handle] = fallback;
    return handle;
}

void FakeDesktop::unloadAllWindows() {
    ++unloads;
    if (onUnload) {
        onUnload();
    }
}

std::optional<PictureColour> FakeDesktop::colourOf(Picture picture) const {
    const auto it = pictureColours.find(picture);
    if (it == pictureColours.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::string FakeDesktop::pathOf(Picture picture) const {
    if (picture < 1 || static_cast<std::size_t>(picture) > loadedPaths.size()) {
        return {};
    }
    return loadedPaths[static_cast<std::size_t>(picture) - 1];
}

// ---- FormFixture --------------------------------------------------------------------------

FormFixture::FormFixture() {
    desktop.onUnload = [this] { form.Form_QueryUnload(); };
}

std::string FormFixture::settingsPath() const { return joinPath(files.folder, "Quorvane.XML"); }

void FormFixture::load(const std::optional<std::string>& settingsFile) {
    if (settingsFile) {
        files.files[settingsPath()] = *settingsFile;
    }
    form.Form_Load();
    clearRecords();
}

void FormFixture::clearRecords() {
    serial.calls.clear();
    serial.opens = serial.closes = 0;
    tray.toolTips.clear();
    tray.popups.clear();
    balloon.modes.clear();
    balloon.shows.clear();
    balloon.hides = 0;
    clock.setCalls.clear();
    files.reads = files.writes = 0;
    desktop.messages.clear();
    desktop.beeps = desktop.pumps = desktop.unloads = desktop.ends = 0;
    random.reseeds = 0;
}

void FormFixture::receive(const std::string& line) { serial.deliver(line + "\r\n"); }

}  // namespace quorvane::testing
