#pragma once

// Reading back what the settings file holds, for the tests of the settings and menu handlers.

#include <string>

#include "fakes/fakes.h"

namespace quorvane::testing {

// The text between "<tag>" and the next "</" in the saved settings file; "(none)" when absent.
inline std::string storedValue(FormFixture& f, const std::string& tag) {
    const std::string& file = f.files.files[f.settingsPath()];
    const std::string open = "<" + tag + ">";
    const std::size_t start = file.find(open);
    if (start == std::string::npos) {
        return "(none)";
    }
    const std::size_t from = start + open.size();
    return file.substr(from, file.find("</", from) - from);
}

// Names of the checked items of a menu, in menu order.
inline std::string checkedIn(const MenuItem& menu) {
    std::string names;
    for (const MenuItem* item : menu.items()) {
        if (item->checked()) {
            names += (names.empty() ? "" : ",") + item->caption();
        }
    }
    return names;
}

inline std::string checkedPortItems(const Form1& form) {
    std::string names;
    for (std::size_t i = 0; i < form.Menu_Port_Number.count(); ++i) {
        if (form.Menu_Port_Number[i].checked()) {
            names += (names.empty() ? "" : ",") + form.Menu_Port_Number[i].caption();
        }
    }
    return names;
}

}  // namespace quorvane::testing
