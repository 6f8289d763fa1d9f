// Scaffolding: replaced by the nmea room's real files, then deleted.
#include "app/form1.h"

namespace quorvane {
void Form1::MSPort1_OnRead(const std::optional<std::string>&, const ArrivalStamps&) {}
void Form1::DecodeSentence() {}
void Form1::DisplayFeet_Click() {}
void Form1::DisplayMeters_Click() {}
}  // namespace quorvane
