// kes::ordered_map: results used in index order whatever the number of threads, over
// several rounds, and a stop part-way leaves the rest unused.
#include "util/kes_ordered_map.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(OrderedMap, UsesEveryResultInOrderAndStopsWhenAsked) {
  const long n = 2 * kes::ordered_map_block + 12345;  // three rounds, the last short
  for (const long stop_at : {-1L, kes::ordered_map_block + 7}) {
    double sum[2] = {0.0, 0.0};
    long used[2] = {0, 0};
    for (int t = 0; t < 2; ++t) {
      long expect = 0;
      kes::ordered_map<double>(
          t == 0 ? 1 : 8, n, [](long i) { return std::sqrt(static_cast<double>(i)) * 1e-3; },
          [&](long i, double v) {
            EXPECT_EQ(i, expect++);
            if (i == stop_at) return false;
            sum[t] += v;  // a rounding-sensitive sum: any change of order shows
            ++used[t];
            return true;
          });
    }
    EXPECT_EQ(used[0], stop_at < 0 ? n : stop_at);
    EXPECT_EQ(used[1], used[0]);
    EXPECT_EQ(sum[1], sum[0]);
  }
}

}  // namespace
