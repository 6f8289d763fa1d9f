#include "app/form1.h"
#include "settings/option_file.h"

namespace quorvane {

namespace {

std::string optionPath(Form1& form, const CheckOption& option) {
    return joinPath(form.files().programFolder(), option.fileName);
}

}  // namespace

void loadCheckOption(Form1& form, MenuItem& item, const CheckOption& option) {
    bool on = false;
    try {
        if (const auto entries =
                parseOptionFile(option.root, form.files().readAll(optionPath(form, option)))) {
            for (const OptionEntry& entry : *entries) {
                if (entry.tag == option.tag) {
                    on = entry.value == "True";
                }
            }
        }
    } catch (const std::exception&) {
        on = false;  // missing or unreadable: the default
    }
    item.setChecked(on);
}

std::string saveCheckOption(Form1& form, const MenuItem& item, const CheckOption& option) {
    try {
        form.files().replaceWhole(
            optionPath(form, option),
            formatOptionFile(option.root, {{option.tag, item.checked() ? "True" : "False"}}));
    } catch (const std::exception& error) {
        form.logEvent(std::string("Could not save ") + option.fileName + ": " + error.what());
        return error.what();
    }
    return {};
}

bool toggleCheckOption(Form1& form, MenuItem& item, const CheckOption& option) {
    const bool on = !item.checked();
    item.setChecked(on);
    const std::string failure = saveCheckOption(form, item, option);
    if (failure.empty()) {
        return true;
    }
    item.setChecked(!on);
    form.desktop().messageBox(std::string("Quorvane could not save ") + option.fileName +
                                  ", so \"" + item.caption() + "\" stays " + (on ? "off" : "on") +
                                  ".\n\n(" + failure + ")",
                              kProgramTitle);
    return false;
}

}  // namespace quorvane
