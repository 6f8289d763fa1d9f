#include "app/form1.h"
#include "gpsport/line_setting_groups.h"

namespace quorvane {

namespace {

// The one body of all thirty line-setting handlers: the chosen item becomes its group's only
// checked item, its caption the group's setting, and the port restarts with it.
void chooseLineSetting(Form1& form, MenuItem& item) {
    const std::optional<LineSettingGroup> group = lineSettingGroupOf(form, item);
    if (!group) {
        return;
    }
    checkOnlyInGroup(form, *group, item);
    lineSettingField(form, *group) = item.caption();
    form.RestartGPSPort();
}

}  // namespace

#define QUORVANE_DEFINE_HANDLER(item, caption, checked) \
    void Form1::item##_Click() {                        \
        chooseLineSetting(*this, item);                 \
    }
QUORVANE_LINE_SETTING_ITEMS(QUORVANE_DEFINE_HANDLER)
#undef QUORVANE_DEFINE_HANDLER

}  // namespace quorvane
