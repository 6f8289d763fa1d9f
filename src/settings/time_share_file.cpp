#include "settings/time_share_file.h"

#include <charconv>

#include "settings/option_file.h"

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

}  // namespace

void loadTimeShareFile(Form1& form) {
    bool on = false;
    int unit = kDefaultTimeShareUnit;
    try {
        for (const OptionEntry& entry : parseOptionFile(kRoot, form.files().readAll(filePath(form)))
                                            .value_or(std::vector<OptionEntry>{})) {
            const std::string& v = entry.value;
            int number = -1;
            on = entry.tag == kShareTag ? v == "True" : on;
            if (entry.tag == kUnitTag &&
                std::from_chars(v.data(), v.data() + v.size(), number).ptr == v.data() + v.size() &&
                number >= 0 && number <= kLargestUnit) {
                unit = number;
            }
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
        form.files().replaceWhole(
            filePath(form),
            formatOptionFile(kRoot, {{kShareTag, on ? "True" : "False"},
                                     {kUnitTag, std::to_string(form.TimeShareUnit)}}));
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
