#pragma once

#include <string>

#include "platform/date_time.h"

namespace quorvane {

// "d mmm yy  HhNn:Ss": 6 Dec 26  0436:36. Month names in English whatever the locale.
std::string formatDisplayDateTime(const DateTime& value);

}  // namespace quorvane
