#pragma once

#include <cstdint>
#include <string>

#include "options.h"

namespace nmeasim {

// "$" + body + "*" + checksum + CR LF. The checksum is the XOR of the body's bytes.
std::string sentence(const std::string& body);

// One second's sentences, each complete with its checksum and CR LF, one after the other.
// utcSecond: the whole UTC second the fix describes, in seconds since 1970.
std::string burst(const Options& options, std::int64_t utcSecond);

}  // namespace nmeasim
