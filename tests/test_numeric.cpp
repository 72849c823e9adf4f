#include <gtest/gtest.h>

#include <cmath>

#include "util/Geometry.h"
#include "util/Numeric.h"

using namespace util;

TEST(Rounding, HalfAwayFromZero) {
  EXPECT_EQ(RoundHalfAway(2.5), 3);
  EXPECT_EQ(RoundHalfAway(-2.5), -3);
  EXPECT_EQ(RoundHalfAway(-0.5), -1);
  EXPECT_EQ(RoundHalfAway(0.49999), 0);
  EXPECT_EQ(RoundHalfAway(1e300), INT32_MAX);  // saturates, no undefined conversion
  EXPECT_EQ(RoundHalfAway(-1e300), INT32_MIN);
  EXPECT_EQ(RoundHalfAway(NAN), 0);
}

TEST(Rounding, ToDecimalsInEveryMode) {
  EXPECT_DOUBLE_EQ(RoundToDecimals(2, 0, 1.239), 1.23);
  EXPECT_DOUBLE_EQ(RoundToDecimals(2, 1, 1.239), 1.24);
  EXPECT_DOUBLE_EQ(RoundToDecimals(2, 2, 1.239), 1.24);
  EXPECT_DOUBLE_EQ(RoundToDecimals(2, 0, -1.236), -1.23);
  EXPECT_DOUBLE_EQ(RoundToDecimals(1, 1, 2.0), 2.0);  // an exact value is not rounded up
  EXPECT_DOUBLE_EQ(RoundToDecimals(0, 1, 2.00000000001), 2.0);
  EXPECT_DOUBLE_EQ(RoundToDecimals(0, 1, 2.001), 3.0);
  EXPECT_DOUBLE_EQ(RoundToDecimals(0, 2, 2.5), 3.0);
  EXPECT_DOUBLE_EQ(RoundToDecimals(0, 2, -2.5), -3.0);
  // Digits outside 1..9 round to whole numbers.
  EXPECT_DOUBLE_EQ(RoundToDecimals(12, 0, 1.75), 1.0);
  EXPECT_DOUBLE_EQ(RoundToDecimals(-1, 2, 1.75), 2.0);
}

TEST(NumberFormats, SeparatorsAndFixed) {
  EXPECT_EQ(FormatWithSeparators(2, 1234.5), "1,234.50");
  EXPECT_EQ(FormatWithSeparators(0, 1234567), "1,234,567");
  EXPECT_EQ(FormatWithSeparators(1, -1234.25), "-1,234.2");
  EXPECT_EQ(FormatWithSeparators(0, 999), "999");
  EXPECT_EQ(FormatFixed(2, 1234.5), "1234.50");
  EXPECT_EQ(FormatFixed(0, 0.4), "0");
}

TEST(TextToNumber, ValidAndInvalidTexts) {
  EXPECT_EQ(TextToInt("42"), 42);
  EXPECT_EQ(TextToInt(" -7 "), -7);
  EXPECT_EQ(TextToInt(""), 0);
  EXPECT_EQ(TextToInt("12a"), 0);
  EXPECT_EQ(TextToInt("99999999999"), 0);
  EXPECT_EQ(TextToInt("-2147483648"), INT32_MIN);
  EXPECT_DOUBLE_EQ(TextToReal("40"), 40.0);
  EXPECT_DOUBLE_EQ(TextToReal(" 1.5e2"), 150.0);
  EXPECT_DOUBLE_EQ(TextToReal("-.5"), -0.5);
  EXPECT_DOUBLE_EQ(TextToReal("abc"), 0.0);
  EXPECT_DOUBLE_EQ(TextToReal("1.2.3"), 0.0);
  EXPECT_DOUBLE_EQ(TextToReal("inf"), 0.0);
  EXPECT_DOUBLE_EQ(TextToReal("nan"), 0.0);
  EXPECT_DOUBLE_EQ(TextToReal("0x10"), 0.0);
  EXPECT_DOUBLE_EQ(TextToReal("1e999"), 0.0);
}

TEST(Geometry, AnglesRotationAndLength) {
  EXPECT_DOUBLE_EQ(VectorAngle(0, -1), 3 * kPi / 2);
  EXPECT_DOUBLE_EQ(VectorAngle(1e-15, 1e-15), 0.0);
  EXPECT_DOUBLE_EQ(VectorAngle(-1, 0), kPi);
  EXPECT_NEAR(RotateX(1, 0, 0, 0, kPi / 2), 0.0, 1e-15);
  EXPECT_NEAR(RotateY(1, 0, 0, 0, kPi / 2), 1.0, 1e-15);
  EXPECT_NEAR(RotateX(2, 1, 1, 1, kPi), 0.0, 1e-15);
  EXPECT_DOUBLE_EQ(Distance(0, 0, 3, 4), 5.0);
  // "あA": a double-byte and a single-byte character with width 4, spacing 2.
  EXPECT_DOUBLE_EQ(TextLength("\x82\xa0" "A", 4, 2), 4 + 2 + 2);
  EXPECT_DOUBLE_EQ(TextLength("", 4, 2), 0.0);
}
