#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

// The settings record holds every line setting as the text its menu shows; these turn the texts
// into the values the serial component takes. Texts are compared exactly, case included.

// The value of the text's leading decimal number (sign, digits, one decimal point), blanks
// anywhere in it ignored; 0 when the text does not begin with a number. Too large a number
// gives the largest finite double of its sign.
double leadingNumber(std::string_view text);

// The port number of a name such as "Com3": the leading number of the text from its fourth
// character on. "None/Reset" and names of three characters or fewer give 0.
double portNumberOfName(std::string_view name);

double speedOfText(std::string_view text);
// "None" 0, "Odd" 1, "Even" 2, "Mark" 3, "Space" 4; anything else 0.
std::int16_t parityCodeOfText(std::string_view text);
// "1" 0, "1.5" 1, "2" 2; anything else 0.
std::int16_t stopBitsCodeOfText(std::string_view text);
// "None" 0, "RTS/CTS" 1, "DSR/DTR" 2, "Xon/Xoff" 4; anything else 0.
std::int16_t flowControlCodeOfText(std::string_view text);
// "7" 7, "8" 8; anything else 8.
std::int16_t dataBitsOfText(std::string_view text);

}  // namespace quorvane
