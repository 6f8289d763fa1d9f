#include "app/form1.h"
#include "settings/option_file.h"

namespace quorvane {

namespace {

std::string optionPath(Form1& form, const char* fileName) {
    return joinPath(form.files().programFolder(), fileName);
}

}  // namespace

std::vector<OptionEntry> readOptionFile(Form1& form, const char* fileName, std::string_view root) {
    try {
        return parseOptionFile(root, form.files().readAll(optionPath(form, fileName)))
            .value_or(std::vector<OptionEntry>{});
    } catch (const std::exception&) {
        return {};  // missing or unreadable: the defaults
    }
}

std::string saveOptionFile(Form1& form, const char* fileName, std::string_view root,
                           const std::vector<OptionEntry>& entries) {
    try {
        form.files().replaceWhole(optionPath(form, fileName), formatOptionFile(root, entries));
    } catch (const std::exception& error) {
        form.logEvent(std::string("Could not save ") + fileName + ": " + error.what());
        return error.what();
    }
    return {};
}

bool toggleSavedOption(Form1& form, MenuItem& item, const char* fileName,
                       const std::function<std::string()>& save) {
    const bool on = !item.checked();
    item.setChecked(on);
    const std::string failure = save();
    if (failure.empty()) {
        return true;
    }
    item.setChecked(!on);
    form.desktop().messageBox(std::string("Quorvane could not save ") + fileName + ", so \"" +
                                  item.caption() + "\" stays " + (on ? "off" : "on") + ".\n\n(" +
                                  failure + ")",
                              kProgramTitle);
    return false;
}

void loadCheckOption(Form1& form, MenuItem& item, const CheckOption& option) {
    bool on = false;
    for (const OptionEntry& entry : readOptionFile(form, option.fileName, option.root)) {
        if (entry.tag == option.tag) {
            on = entry.value == "True";
        }
    }
    item.setChecked(on);
}

bool toggleCheckOption(Form1& form, MenuItem& item, const CheckOption& option) {
    return toggleSavedOption(form, item, option.fileName, [&] {
        return saveOptionFile(form, option.fileName, option.root,
                              {{option.tag, item.checked() ? "True" : "False"}});
    });
}

}  // namespace quorvane
