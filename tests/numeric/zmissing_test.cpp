// Tests of the toolkit missing value and the shared helpers (src/numeric/zmissing.h).
#include "numeric/zmissing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

TEST(ZMissing, BitPatternAndBytes) {
  const double m = zmissing();
  std::uint64_t bits;
  std::memcpy(&bits, &m, sizeof bits);
  EXPECT_EQ(bits, 0xFFFFFE0000000000ULL);
  const unsigned char want[8] = {0x00, 0x00, 0x00, 0x00, 0x00, 0xfe, 0xff, 0xff};
  EXPECT_EQ(std::memcmp(&m, want, 8), 0);  // little-endian memory image
  EXPECT_TRUE(std::isnan(m));
}

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
