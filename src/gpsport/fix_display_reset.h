#pragma once

#include "app/form1.h"

namespace quorvane {

// Returns the fix side of the window to its start-up look: the four fix displays empty, both
// lamps red, both staleness counters at 10, "SET TIME" disabled. After a load or any change of
// port or line setting the lamps must be earned again from newly received sentences.
void resetFixDisplay(Form1& form);

}  // namespace quorvane
