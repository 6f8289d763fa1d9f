#pragma once

#include <cstdint>
#include <string>

#include "app/form1.h"

namespace quorvane {

// Balloon icon styles a notice may carry: all is well, or something needs the user's eye.
inline constexpr std::int32_t kNoticeGood = 0;
inline constexpr std::int32_t kNoticeWarning = 2;

// Tells the user without waiting for an answer, so nothing stops: a notification from the tray
// icon, or where no notification area shows the icon, a balloon at "SET TIME". Never a box. A
// newer notice takes the place of one still shown, so repeats do not pile up.
void notifyUser(Form1& form, const std::string& text, std::int32_t style);

}  // namespace quorvane
