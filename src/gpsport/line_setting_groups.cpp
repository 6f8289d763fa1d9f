#include "gpsport/line_setting_groups.h"

#include <span>

namespace quorvane {

namespace {

struct Entry {
    MenuItem Form1::*item;
    bool startsChecked;
};

#define QUORVANE_ENTRY(item, caption, checked) Entry{&Form1::item, checked},
constexpr Entry kBaud[] = {QUORVANE_BAUD_ITEMS(QUORVANE_ENTRY)};
constexpr Entry kParity[] = {QUORVANE_PARITY_ITEMS(QUORVANE_ENTRY)};
constexpr Entry kFlow[] = {QUORVANE_FLOW_ITEMS(QUORVANE_ENTRY)};
constexpr Entry kDataBits[] = {QUORVANE_DATABITS_ITEMS(QUORVANE_ENTRY)};
constexpr Entry kStop[] = {QUORVANE_STOP_ITEMS(QUORVANE_ENTRY)};
#undef QUORVANE_ENTRY

std::span<const Entry> entriesOf(LineSettingGroup group) {
    switch (group) {
        case LineSettingGroup::Baud:
            return kBaud;
        case LineSettingGroup::Parity:
            return kParity;
        case LineSettingGroup::Flow:
            return kFlow;
        case LineSettingGroup::DataBits:
            return kDataBits;
        case LineSettingGroup::Stop:
            return kStop;
    }
    return {};
}

}  // namespace

std::vector<MenuItem*> lineSettingItems(Form1& form, LineSettingGroup group) {
    std::vector<MenuItem*> items;
    for (const Entry& entry : entriesOf(group)) {
        items.push_back(&(form.*entry.item));
    }
    return items;
}

MenuItem& fallbackLineSettingItem(Form1& form, LineSettingGroup group) {
    for (const Entry& entry : entriesOf(group)) {
        if (entry.startsChecked) {
            return form.*entry.item;
        }
    }
    return form.*entriesOf(group).front().item;
}

std::string& lineSettingField(Form1& form, LineSettingGroup group) {
    switch (group) {
        case LineSettingGroup::Baud:
            return form.GpsPortSpeed;
        case LineSettingGroup::Parity:
            return form.GpsPortParity;
        case LineSettingGroup::Flow:
            return form.GpsPortFlowControl;
        case LineSettingGroup::DataBits:
            return form.GpsPortDataLength;
        case LineSettingGroup::Stop:
            return form.GpsPortStopBits;
    }
    return form.GpsPortSpeed;
}

std::string lineSettingInUse(Form1& form, LineSettingGroup group) {
    const std::string& value = lineSettingField(form, group);
    if (!value.empty()) {
        return value;
    }
    for (MenuItem* item : lineSettingItems(form, group)) {
        if (item->checked()) {
            return item->caption();
        }
    }
    return fallbackLineSettingItem(form, group).caption();
}

std::optional<LineSettingGroup> lineSettingGroupOf(Form1& form, const MenuItem& item) {
    for (const LineSettingGroup group : kLineSettingGroups) {
        for (const Entry& entry : entriesOf(group)) {
            if (&(form.*entry.item) == &item) {
                return group;
            }
        }
    }
    return std::nullopt;
}

void checkOnlyInGroup(Form1& form, LineSettingGroup group, MenuItem& chosen) {
    // The two long groups have their own clearing routines; the short ones set each item in
    // menu order.
    if (group == LineSettingGroup::Baud || group == LineSettingGroup::Parity) {
        if (group == LineSettingGroup::Baud) {
            form.UncheckAllBaud();
        } else {
            form.UncheckAllParity();
        }
        chosen.setChecked(true);
        return;
    }
    for (MenuItem* item : lineSettingItems(form, group)) {
        item->setChecked(item == &chosen);
    }
}

void alignGroupWithField(Form1& form, LineSettingGroup group) {
    const std::string& value = lineSettingField(form, group);
    MenuItem* chosen = &fallbackLineSettingItem(form, group);
    for (MenuItem* item : lineSettingItems(form, group)) {
        if (item->caption() == value) {
            chosen = item;
            break;
        }
    }
    checkOnlyInGroup(form, group, *chosen);
}

}  // namespace quorvane
