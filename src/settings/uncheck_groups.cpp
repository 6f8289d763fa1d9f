#include "app/form1.h"
#include "gpsport/line_setting_groups.h"

namespace quorvane {

void Form1::UncheckAllBaud() {
    for (MenuItem* item : lineSettingItems(*this, LineSettingGroup::Baud)) {
        item->setChecked(false);
    }
}

void Form1::UncheckAllParity() {
    for (MenuItem* item : lineSettingItems(*this, LineSettingGroup::Parity)) {
        item->setChecked(false);
    }
}

}  // namespace quorvane
