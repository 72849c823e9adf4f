// Rounding, number formats and text-to-number conversion.
#pragma once

#include <cstdint>
#include <climits>
#include <string>
#include <string_view>

namespace util {

// x + 0.5 (x >= 0) or x - 0.5, truncated toward zero: 2.5 -> 3, -2.5 -> -3.
// Values beyond the 32-bit range saturate instead of overflowing.
inline int32_t RoundHalfAway(double x) {
  const double r = x >= 0 ? x + 0.5 : x - 0.5;
  if (r < 2147483647.0 && r > -2147483648.0) return static_cast<int32_t>(r);  // truncates
  if (r != r) return 0;
  return r > 0 ? INT32_MAX : INT32_MIN;
}

// Nearest integer with halves to the even neighbour (2.5 -> 2, 3.5 -> 4),
// saturating at +-2e9; 0 for NaN.
int32_t RoundHalfEven(double x);

// Rounds |x| to n decimals (n outside 1..9 means 0) and gives it x's sign.
// mode 0 truncates, mode 1 rounds up (unless within 1e-10 above a whole
// number), any other mode rounds halves away from zero.
double RoundToDecimals(int n, int mode, double x);

// n decimals with thousands separators ("1,234.50").
std::string FormatWithSeparators(int n, double x);
// n decimals, no separators ("1234.50").
std::string FormatFixed(int n, double x);

void Swap(double& a, double& b);

// Decimal integer; 0 for an empty or invalid text (blanks around are allowed).
int32_t TextToInt(std::string_view text);
// Decimal real (with optional exponent); 0 for an empty or invalid text.
double TextToReal(std::string_view text);
// As TextToReal, but tells whether the text was a valid number.
bool ParseReal(std::string_view text, double& value);

}  // namespace util
