#include "gpsport/fix_display_reset.h"

namespace quorvane {

void resetFixDisplay(Form1& form) {
    for (TextDisplay* display :
         {&form.GPSAltitude, &form.GPSLatitude, &form.GPSLongitude, &form.TimeGPS}) {
        display->setText("");
    }
    form.GPS_CommOK.setFillColor(LampRed);
    form.RxStaleCount = 10;
    form.FixStaleCount = 10;
    form.TimeValid.setFillColor(LampRed);
    form.SetComputerClock.setEnabled(false);
}

}  // namespace quorvane
