// Missing values: the bit pattern of every kind, letters, and the host constant.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runner/host_table.h"
#include "host/host_missing.h"

namespace {

TEST(MissingValues, BitPatternsOfTheKinds) {
  EXPECT_EQ(host_double_bits(host_missing_of_kind(HOST_MISS_UNDERSCORE)), 0xFFFFFF0000000000ULL);
  EXPECT_EQ(host_double_bits(host_missing_of_kind(HOST_MISS_STD)), 0xFFFFFE0000000000ULL);
  EXPECT_EQ(host_double_bits(host_missing_of_kind(HOST_MISS_A)), 0xFFFFFD0000000000ULL);
  EXPECT_EQ(host_double_bits(host_missing_of_kind(HOST_MISS_Z)), 0xFFFFE40000000000ULL);
  for (int k = HOST_MISS_UNDERSCORE; k <= HOST_MISS_Z; ++k) {
    double v = host_missing_of_kind(k);
    EXPECT_TRUE(std::isnan(v)) << k;
    EXPECT_EQ(host_missing_code(v), k);
    EXPECT_EQ(host_missing_kind(v), k);
  }
}

TEST(MissingValues, StandardMissingIsTheHostConstant) {
  EXPECT_EQ(host_double_bits(plat::anchor()->consts->std_missing), HOST_MISSING_STD_BITS);
  EXPECT_EQ(host_missing_code(plat::anchor()->consts->std_missing), HOST_MISS_STD);
}

// Their order (._ . .A ... .Z, all below every number, -0 equal to 0) is in the BY
// groups and CLASS levels of the example programs by_groups and class_missing_kinds.

TEST(MissingValues, LettersAndForeignNaNs) {
  EXPECT_EQ(host_missing_letter(HOST_MISS_UNDERSCORE), '_');
  EXPECT_EQ(host_missing_letter(HOST_MISS_STD), 0);
  EXPECT_EQ(host_missing_letter(HOST_MISS_A + 1), 'B');
  // The NaN arithmetic makes counts as the standard missing value.
  double q = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(host_missing_code(q), HOST_MISS_STD);
  EXPECT_EQ(host_missing_code(-q), HOST_MISS_STD);
  EXPECT_EQ(host_missing_code(1.5), 0);
  EXPECT_FALSE(host_is_missing(std::numeric_limits<double>::infinity()));
}

}  // namespace
