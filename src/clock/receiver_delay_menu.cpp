#include "app/form1.h"
#include "clock/receiver_delay_messages.h"
#include "settings/receiver_file.h"

namespace quorvane {

std::string Form1::receiverFilePath() {
    return joinPath(files_.programFolder(), kReceiverFileName);
}

void Form1::LoadReceiverDelay() {
    try {
        ReceiverDelayMs = readReceiverDelay(files_.readAll(receiverFilePath()));
    } catch (const std::exception&) {
        // A missing or unreadable file is no delay, silently.
        ReceiverDelayMs.reset();
    }
    if (ReceiverDelayMs) {
        Menu_ReceiverDelay_Using.setCaption(usingDelayCaption(*ReceiverDelayMs));
    }
    Menu_ReceiverDelay_Using.setVisible(ReceiverDelayMs.has_value());
}

std::string Form1::UseReceiverDelay(int delayMs) {
    // Numbers of the settings file's message table; 51 for a failure that is not the file's.
    std::optional<int> failed;
    const std::string path = receiverFilePath();
    try {
        files_.replaceWhole(path, formatReceiverFile(delayMs));
    } catch (const FileError& error) {
        failed = error.number();
    } catch (const std::exception&) {
        failed = 51;
    }
    // What is used is what the file holds: after a failed save, the delay saved before.
    LoadReceiverDelay();
    return failed ? delaySaveFailedMessage(*failed, path, ReceiverDelayMs) : std::string();
}

void Form1::Menu_ReceiverDelay_Zero_Click() {
    if (const std::string failure = UseReceiverDelay(0); !failure.empty()) {
        desktop_.messageBox(failure, kProgramTitle);
    }
}

void Form1::Menu_ReceiverDelay_Enter_Click() {
    const std::optional<int> typed = desktop_.askNumber(
        delayEnterQuestion(), kProgramTitle, ReceiverDelayMs.value_or(0), 0, kMaxReceiverDelayMs);
    if (!typed || ProgramEnded) {
        return;
    }
    if (const std::string failure = UseReceiverDelay(*typed); !failure.empty()) {
        desktop_.messageBox(failure, kProgramTitle);
    }
}

}  // namespace quorvane
