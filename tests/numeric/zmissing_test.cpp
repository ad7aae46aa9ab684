// Tests of the toolkit missing value, the shared helpers and constants
// (src/numeric/zmissing.h).
// Its bit pattern is held to the host's standard missing value at compile time, and
// the host's pattern is tested with the data services.
#include "numeric/zmissing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(ZMissing, AnyNaNIsMissing) {
  EXPECT_TRUE(is_missing(zmissing()));
  EXPECT_TRUE(is_missing(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_TRUE(is_missing(-std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(is_missing(0.0));
  EXPECT_FALSE(is_missing(std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(is_missing(-1e308));
}

TEST(ZMissing, SaturatingConversions) {
  EXPECT_EQ(zd2i(1e300), std::numeric_limits<int>::max());
  EXPECT_EQ(zd2i(-1e300), std::numeric_limits<int>::min());
  EXPECT_EQ(zd2i(zmissing()), 0);
  EXPECT_EQ(zd2i(-7.9), -7);
  EXPECT_EQ(zd2ll(1e30), std::numeric_limits<long long>::max());
  EXPECT_EQ(zd2ll(-1e30), std::numeric_limits<long long>::min());
  EXPECT_EQ(zd2ll(123456789012.7), 123456789012LL);
  EXPECT_EQ(zpow2i(-1074), 4.9406564584124654e-324);
}

// The shared constants to the last bit, as hexadecimal literals of the nearest double
// (and the nearest 64-bit-mantissa long double) to mpmath's values at 300 bits:
// 1/sqrt(2 pi) = 0.39894228040143267793994605993438186847...,
// ln sqrt(2 pi) = 0.91893853320467274178032973640561763986....
TEST(ZMissing, ConstantsToTheLastBit) {
  EXPECT_EQ(ZRSQRT_2PI, 0x1.9884533d43651p-2);
  EXPECT_EQ(ZLN_SQRT_2PI, 0x1.d67f1c864beb5p-1);
  EXPECT_EQ(ZLN_SQRT_2PI_L, 0xe.b3f8e4325f5a535p-4L);
  EXPECT_EQ(static_cast<double>(ZLN_SQRT_2PI_L), ZLN_SQRT_2PI);
  // Independently of the literals: the long double computation rounded to double.
  const long double two_pi = 8.0L * std::atan(1.0L);
  EXPECT_EQ(static_cast<double>(1.0L / std::sqrt(two_pi)), ZRSQRT_2PI);
  EXPECT_EQ(static_cast<double>(0.5L * std::log(two_pi)), ZLN_SQRT_2PI);
}
