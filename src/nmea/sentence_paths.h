#pragma once

#include <string_view>

#include "app/form1.h"

namespace quorvane::nmea {

// One decoder per recognised sentence. Each cuts every field it needs before it changes
// anything, and changes nothing when the line lacks a comma it needs.
void decodeRmc(Form1& form, std::string_view sentence);
void decodeGga(Form1& form, std::string_view sentence);
void decodePgrmz(Form1& form, std::string_view sentence);
void decodePgrmf(Form1& form, std::string_view sentence);

}  // namespace quorvane::nmea
