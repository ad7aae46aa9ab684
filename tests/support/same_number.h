// A test predicate for results that may be missing: got equals want (to the last few
// bits, as EXPECT_DOUBLE_EQ), or both are missing (any NaN).
#pragma once
#include <gtest/gtest.h>

#include <cmath>

inline ::testing::AssertionResult same_number(double got, double want) {
  if (std::isnan(want))
    return std::isnan(got) ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << got << " is not missing";
  return ::testing::internal::CmpHelperFloatingPointEQ<double>("got", "want", got, want);
}
