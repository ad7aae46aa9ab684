// Tests of the toolkit missing value and the shared helpers (src/numeric/zmissing.h).
// Its bit pattern is held to the host's standard missing value at compile time, and
// the host's pattern is tested with the data services.
#include "numeric/zmissing.h"

#include <gtest/gtest.h>

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
