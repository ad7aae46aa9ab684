// Minimum and maximum: their NaN rule differs from the standard library's.
#include <gtest/gtest.h>

#include <cmath>

#include "util/kes_minmax.h"

namespace {

TEST(minmax, DoublesTakeTheSecondArgumentWhenEitherIsNan) {
  const double nan = std::nan("");
  EXPECT_EQ(kes::fmax(2.0, 1.0), 2.0);
  EXPECT_EQ(kes::fmax(1.0, 2.0), 2.0);
  EXPECT_EQ(kes::fmin(2.0, 1.0), 1.0);
  EXPECT_EQ(kes::fmax(nan, 1.0), 1.0);
  EXPECT_TRUE(std::isnan(kes::fmax(1.0, nan)));
  EXPECT_EQ(kes::fmin(nan, 1.0), 1.0);
  EXPECT_TRUE(std::isnan(kes::fmin(1.0, nan)));
  // Equal values: b is returned, which shows for signed zeros.
  EXPECT_TRUE(std::signbit(kes::fmax(0.0, -0.0)));
  EXPECT_FALSE(std::signbit(kes::fmin(-0.0, 0.0)));
}

}  // namespace
