// The texts that name PCTLPTS= percentiles in OUTPUT variable names and labels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "stats/output_layout.h"

namespace {

std::string pctl(double p, bool dot = false) {
  char buf[40];
  kes_pctl_text(p, buf, sizeof buf, dot);
  return buf;
}

TEST(PercentileText, PointsAndTheirNames) {
  struct row {
    double point;
    bool dot;
    const char* text;
  };
  const row rows[] = {
      {95, false, "95"},
      {97.5, false, "97_5"},
      {99.95, false, "99_95"},
      {2.5, false, "2_5"},
      {0, false, "0"},
      {100, false, "100"},
      {0.1, false, "0_1"},
      {33.33, false, "33_33"},
      {97.5, true, "97.5"},
      // Representation error does not change the text: 0.1 + 0.2 is 0.30000000000000004,
      // 12.7 - 0.2 is 12.499999999999998.
      {(0.1 + 0.2) * 100, false, "30"},
      {12.7 - 0.2, false, "12_5"},
      {std::nextafter(50.0, 0.0), false, "50"},
      {std::nextafter(50.0, 100.0), false, "50"},
      // Hundredths are truncated, not rounded.
      {12.345, false, "12_34"},
      {0.001, false, "0_00"},
  };
  for (const row& r : rows) EXPECT_EQ(pctl(r.point, r.dot), r.text) << r.point;
}

}  // namespace
