#include "app/form1.h"

namespace quorvane {

namespace {

// Shown afresh on every movement, so the balloon holds the state of the last movement.
void showBalloonAt(Form1& form, const Control& display) {
    form.Balloon1.setMode(0);
    form.Balloon1.show(display.hWnd(), form.BalloonText, form.BalloonTitle,
                       static_cast<std::int32_t>(form.BalloonIcon), 200);
}

}  // namespace

void Form1::GPSAltitude_MouseMove(int, int, float, float) {
    showBalloonAt(*this, GPSAltitude);
}

void Form1::GPSLatitude_MouseMove(int, int, float, float) {
    showBalloonAt(*this, GPSLatitude);
}

void Form1::GPSLongitude_MouseMove(int, int, float, float) {
    showBalloonAt(*this, GPSLongitude);
}

void Form1::TimeGPS_MouseMove(int, int, float, float) {
    showBalloonAt(*this, TimeGPS);
}

}  // namespace quorvane
