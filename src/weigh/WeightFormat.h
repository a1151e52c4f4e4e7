#pragma once

#include <string>
#include <string_view>

namespace vesk {

// A weight text read as a decimal number (blanks around it allowed, a point as the decimal
// separator, an optional exponent); 0 for anything else, and for a magnitude no double holds.
double weightTextToNumber(std::string_view text);

// The weight in the panel's "0.####" form: at most four decimals, rounded half away from zero
// on the digits as written (so 1.23455 gives 1.2346, which binary rounding would miss), no
// trailing zeros, no thousands separators, never "-0". Text that is no number gives "0".
std::string formatWeight(std::string_view text);

}  // namespace vesk
