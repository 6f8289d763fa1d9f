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

}  // namespace

void loadTimeShareFile(Form1& form) {
    bool on = false;
    int unit = kDefaultTimeShareUnit;
    for (const OptionEntry& entry : readOptionFile(form, kTimeShareFileName, kRoot)) {
        const std::string& v = entry.value;
        int number = -1;
        on = entry.tag == kShareTag ? v == "True" : on;
        if (entry.tag == kUnitTag &&
            std::from_chars(v.data(), v.data() + v.size(), number).ptr == v.data() + v.size() &&
            number >= 0 && number <= kLargestUnit) {
            unit = number;
        }
    }
    form.ShareTimeWithChrony.setChecked(on);
    form.TimeShareUnit = unit;
}

bool toggleTimeShareFile(Form1& form) {
    return toggleSavedOption(form, form.ShareTimeWithChrony, kTimeShareFileName, [&form] {
        return saveOptionFile(form, kTimeShareFileName, kRoot,
                              {{kShareTag, form.ShareTimeWithChrony.checked() ? "True" : "False"},
                               {kUnitTag, std::to_string(form.TimeShareUnit)}});
    });
}

}  // namespace quorvane
