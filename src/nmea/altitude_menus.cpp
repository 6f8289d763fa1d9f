#include "app/form1.h"

namespace quorvane {

// The altitude already shown is not converted: the restart empties it, and the next
// altitude-carrying line writes it in the new unit. The restart also saves the choice.
void Form1::DisplayFeet_Click() {
    DisplayFeet.setChecked(true);
    DisplayMeters.setChecked(false);
    RestartGPSPort();
}

void Form1::DisplayMeters_Click() {
    DisplayMeters.setChecked(true);
    DisplayFeet.setChecked(false);
    RestartGPSPort();
}

}  // namespace quorvane
