// The common display format of a column, widened value by value: the widest integer
// part (with its sign) plus the decimals the most precise value needs.
#include "stats/value_format.h"

#include <gtest/gtest.h>

namespace {

TEST(ValueFormat, WidensValueByValue) {
  struct row {
    double x;
    int width, decimals;  // after x
  };
  const row rows[] = {{1, 1, 0}, {2.5, 3, 1}, {-10.25, 6, 2}, {100, 6, 2}, {0.125, 7, 3}, {1234.5, 8, 3}};
  int w = 1, d = 0;
  for (const row& r : rows) {
    kes_widen_format(r.x, &w, &d);
    EXPECT_EQ(w, r.width) << r.x;
    EXPECT_EQ(d, r.decimals) << r.x;
  }
  kes_cap_format(&w, &d);
  EXPECT_EQ(w, 8);
  kes_widen_format(1e20, &w, &d);
  kes_cap_format(&w, &d);
  EXPECT_EQ(w, 15);
  EXPECT_EQ(d, 99);  // too wide: the best-fit form
}

}  // namespace
