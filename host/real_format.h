// Real numbers as text for strFromReal.
#pragma once

#include <cstdint>
#include <string>

namespace host {

// fracDigits >= 0: exactly that many fractional digits, halves rounded away
// from zero. fracDigits < 0: fixed notation with up to 6 fractional digits,
// trailing zeros and a bare point dropped. Exponent form only when
// `exponent` is set and the magnitude is below 1e-5 or above 1e15.
// intDigits pads the integer part to at least that many digits with `fill`
// ('0' goes between sign and digits, other characters before the sign).
// NaN and infinities format as 0.
std::string FormatReal(double value, int32_t intDigits, int32_t fracDigits, bool exponent,
                       char fill);

}  // namespace host
