#include "settings/time_share_file.h"

#include <charconv>

#include "settings/settings_reader.h"

namespace quorvane {

namespace {

constexpr const char* kRoot = "CHRONY";
constexpr const char* kShareTag = "SHARE_TIME";
constexpr const char* kUnitTag = "SHM_UNIT";
// Units a server may be given; keys stay within the NTP range.
constexpr int kLargestUnit = 99;

std::string filePath(Form1& form) {
    return joinPath(form.files().programFolder(), kTimeShareFileName);
}

std::string formatFile(bool on, int unit) {
    return std::string("<?xml version=\"1.0\" standalone=\"no\"?>\r\n <") + kRoot + ">\r\n   <" +
           kShareTag + ">" + (on ? "True" : "False") + "</" + kShareTag + ">\r\n   <" + kUnitTag +
           ">" + std::to_string(unit) + "</" + kUnitTag + ">\r\n </" + kRoot + ">\r\n";
}

}  // namespace

void loadTimeShareFile(Form1& form) {
    bool on = false;
    int unit = kDefaultTimeShareUnit;
    try {
        const std::string bytes = form.files().readAll(filePath(form));
        // A file cut short by a failed write is not to be trusted.
        if (bytes.find(std::string(" </") + kRoot + ">") != std::string::npos) {
            readSettingsEntries(bytes, [&](std::string_view tag, const std::string& value) {
                int number = -1;
                if (tag == kShareTag) {
                    on = value == "True";
                } else if (tag == kUnitTag &&
                           std::from_chars(value.data(), value.data() + value.size(), number).ptr ==
                               value.data() + value.size() &&
                           number >= 0 && number <= kLargestUnit) {
                    unit = number;
                }
            });
        }
    } catch (const std::exception&) {
        on = false;  // missing or unreadable: the defaults, without a word
    }
    form.ShareTimeWithChrony.setChecked(on);
    form.TimeShareUnit = unit;
}

bool toggleTimeShareFile(Form1& form) {
    const bool on = !form.ShareTimeWithChrony.checked();
    try {
        form.files().replaceWhole(filePath(form), formatFile(on, form.TimeShareUnit));
    } catch (const std::exception& error) {
        const std::string text = std::string("Quorvane could not save ") + kTimeShareFileName +
                                 ", so \"Share Time with chrony\" stays " + (on ? "off" : "on") +
                                 ".\n\n(" + error.what() + ")";
        form.logEvent(text);
        form.desktop().messageBox(text, kProgramTitle);
        return false;
    }
    form.ShareTimeWithChrony.setChecked(on);
    return true;
}

}  // namespace quorvane
