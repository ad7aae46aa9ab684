// The tests for normality under exact shifts: x + c, every x + c exact (multiples of
// a power of two, c from 1e6 to 1e15, spreads down to 1e-13 of the offset), has the
// D, W-Sq and A-Sq of x, as the values are standardized about the centre of the
// moments, not about the mean the sum gives, which is units of rounding off there.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine_samples.h"
#include "metamorphic/dyadic_draws.h"
#include "numeric/zmissing.h"
#include "stats/kes_stats.h"
#include "stats/zkesnrm.h"

namespace {

using kes_test::value_list;

kes_nrmres tests_of(const std::vector<double>& x) {
  value_list vl = value_list::of(x);
  const kes_moments m = kes_test::moments_of(vl);
  kes_nrmres r;
  zkesnrm_arrays(vl.size(), &m, vl.view()->x, vl.view()->f, KES_NRM_BOTH_EST, 1, zmissing(), zmissing(), &r);
  return r;
}

TEST(NormalityShift, EdfStatisticsKeepTheirValuesUnderExactShifts) {
  kes_meta::draws d{72011};
  const double offsets[] = {1e6, 1e9, 0x1p40, 1e11, 1e12, 1e15};
  const double shares[] = {1e-3, 1e-7, 1e-10, 1e-13};
  int k = 0;
  for (double c : offsets)
    for (double share : shares) {
      const int form = k++ % 3;
      // Above 2,000 values too, where D comes first.
      const int n = k % 5 == 0 ? 2100 : 20 + static_cast<int>(d.u() * 400);
      const kes_meta::moved_sample m = kes_meta::dyadic_at(d, n, c, std::fmax(c * share, 0x1p-20), form);
      SCOPED_TRACE("c " + std::to_string(c) + ", spread " + std::to_string(share) + ", form " +
                   std::to_string(form) + ", n " + std::to_string(n));
      const kes_nrmres a = tests_of(m.x), b = tests_of(m.at);
      for (auto [g, w, name] : {std::tuple{b.d, a.d, "D"}, {b.wsq, a.wsq, "W-Sq"}, {b.asq, a.asq, "A-Sq"}}) {
        ASSERT_FALSE(is_missing(w)) << name;
        EXPECT_LE(std::fabs(g - w), 1e-12 * std::fabs(w)) << name << " " << g << " at the offset, " << w;
      }
    }
}

}  // namespace
