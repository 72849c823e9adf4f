#include "util/Numeric.h"
#include "util/Strings.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace util {

int32_t RoundHalfEven(double v) {
  if (!std::isfinite(v)) return 0;
  if (v > 2e9) return 2000000000;
  if (v < -2e9) return -2000000000;
  const double f = std::floor(v);
  const double frac = v - f;
  int64_t r = static_cast<int64_t>(f);
  if (frac > 0.5 || (frac == 0.5 && (r % 2) != 0)) ++r;
  return static_cast<int32_t>(r);
}

double RoundToDecimals(int n, int mode, double x) {
  static const double kFactors[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  const double f = (n >= 1 && n <= 9) ? kFactors[n] : 1.0;
  double v = std::fabs(x) * f;
  if (mode == 0) {
    v = std::trunc(v);
  } else if (mode == 1) {
    v = std::trunc(v + 0.9999999999);
  } else {
    v = std::trunc(v + 0.5);
  }
  const double r = v / f;
  return x < 0 ? -r : r;
}

static int ClampDecimals(int n) { return n < 0 ? 0 : (n > 18 ? 18 : n); }

std::string FormatFixed(int n, double x) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", ClampDecimals(n), x);
  return buf;
}

std::string FormatWithSeparators(int n, double x) {
  const std::string plain = FormatFixed(n, x);
  size_t start = (!plain.empty() && plain[0] == '-') ? 1 : 0;
  size_t intEnd = plain.find('.');
  if (intEnd == std::string::npos) intEnd = plain.size();
  // Only group plain digit runs ("inf"/"nan" stay as they are).
  for (size_t i = start; i < intEnd; ++i)
    if (plain[i] < '0' || plain[i] > '9') return plain;
  std::string out = plain.substr(0, start);
  const size_t digits = intEnd - start;
  for (size_t i = 0; i < digits; ++i) {
    if (i > 0 && (digits - i) % 3 == 0) out += ',';
    out += plain[start + i];
  }
  out += plain.substr(intEnd);
  return out;
}

void Swap(double& a, double& b) { std::swap(a, b); }

int32_t TextToInt(std::string_view text) {
  std::string_view s = TrimBlanks(text);
  if (s.empty()) return 0;
  size_t i = 0;
  bool negative = false;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    i = 1;
  }
  if (i >= s.size()) return 0;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return 0;
    v = v * 10 + (s[i] - '0');
    if (v > 2147483648LL) return 0;
  }
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return 0;
  return static_cast<int32_t>(v);
}

bool ParseReal(std::string_view text, double& value) {
  value = 0;
  std::string_view s = TrimBlanks(text);
  // Accept only [sign] digits [. digits] [e [sign] digits]: no hex, inf or nan.
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t mantissaDigits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++mantissaDigits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;
  std::string copy(s);
  errno = 0;
  char* end = nullptr;
  double v = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

double TextToReal(std::string_view text) {
  double v;
  return ParseReal(text, v) ? v : 0.0;
}

}  // namespace util
