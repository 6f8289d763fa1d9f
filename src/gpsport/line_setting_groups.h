#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/form1.h"

namespace quorvane {

// The five line-setting menus under "Comm", each with the settings field it writes.
enum class LineSettingGroup { Baud, Parity, Flow, DataBits, Stop };

inline constexpr LineSettingGroup kLineSettingGroups[] = {
    LineSettingGroup::Baud, LineSettingGroup::Parity, LineSettingGroup::Flow,
    LineSettingGroup::DataBits, LineSettingGroup::Stop};

// The group's items in menu order.
std::vector<MenuItem*> lineSettingItems(Form1& form, LineSettingGroup group);
// The item a value that matches no caption falls back to: the one the window starts checked.
MenuItem& fallbackLineSettingItem(Form1& form, LineSettingGroup group);
// The settings field the group writes (GpsPortSpeed for Baud, ...).
std::string& lineSettingField(Form1& form, LineSettingGroup group);
// The text the port opens with: the group's field, or while that is empty (a first run, a file
// without line settings) the caption of the item its menu shows checked. The field stays empty,
// so the settings file keeps what the user chose.
std::string lineSettingInUse(Form1& form, LineSettingGroup group);
// The group that holds the item; nullopt for an item of no group.
std::optional<LineSettingGroup> lineSettingGroupOf(Form1& form, const MenuItem& item);

// Leaves exactly `chosen` checked in its group.
void checkOnlyInGroup(Form1& form, LineSettingGroup group, MenuItem& chosen);
// Checks the item whose caption equals the group's field, or the fallback item; the field is
// not changed.
void alignGroupWithField(Form1& form, LineSettingGroup group);

}  // namespace quorvane
