#pragma once

#include "app/form1.h"

namespace quorvane {

// The option and the segment's unit, kept beside the program apart from the settings file.
inline constexpr const char* kTimeShareFileName = "QuorvaneChrony.XML";

// Sets the check mark and TimeShareUnit from the file; missing or unreadable: off, unit 2.
void loadTimeShareFile(Form1& form);
// A click: turns the check mark over and saves it with the unit (toggleSavedOption).
bool toggleTimeShareFile(Form1& form);

}  // namespace quorvane
