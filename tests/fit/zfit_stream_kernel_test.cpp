// The streamed kernel fit: grid sizes, sample quantiles, the estimate against the grid
// code on the grid the points lie on, frequencies against repeated values, refused c.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fit/zkernel.h"
#include "support/fit_fixture.h"
#include "zfit_stream_source.h"

namespace {

using kes_test::stream_source;

class StreamKernel : public kes_test::fit_fixture {
 protected:
  std::vector<double> x;  // 200 spread values, not sorted
  void SetUp() override {
    fit_fixture::SetUp();
    for (int i = 0; i < 200; ++i) x.push_back(std::sin(i * 2.3) * 3 + std::cos(i * 0.7) + (i % 9) * 0.4);
  }
};

TEST_F(StreamKernel, GridSizeFollowsThePointsWanted) {
  // {points, c, grid}: the default c reaches past the margin and doubles the grid.
  const double m = zmissing(), cases[][3] = {{m, 0.1, 256}, {1000, 0.1, 256}, {100, 0.1, 64}, {100, m, 128}, {1, 0.1, 8}};
  for (const auto& c : cases) {
    stream_source s(ZFIT_KERNEL, x, {}, 7);
    s.req.npoints = c[0], s.req.params[0] = c[1];
    ASSERT_EQ(s.fit(), 0);
    EXPECT_EQ(s.req.npoints, c[2]) << c[0];
  }
}

TEST_F(StreamKernel, QuantilesAndTheEstimateOnItsGrid) {
  stream_source q(ZFIT_KERNEL, {7, 3, 10, 1, 5, 2, 9, 4, 8, 6});
  ASSERT_EQ(q.fit(), 0);
  const double want[9] = {1, 1, 1.5, 3, 5.5, 8, 9.5, 10, 10};  // quantile definition 5
  for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(q.req.quantiles[i], want[i]) << i;
  EXPECT_DOUBLE_EQ(q.req.params[0], 0.78520352);
  // Each kernel with h = c IQR / N^0.2 on the grid the points lie on (hi rebuilt from
  // them, so to rounding), heights N w density; the grid reaches a kernel's reach out.
  std::vector<double> sorted = x;
  std::sort(sorted.begin(), sorted.end());
  for (int type : {1, 2, 3}) {
    stream_source s(ZFIT_KERNEL, x, {}, 1);
    s.req.kernel_type = type, s.req.width = 0.5;
    ASSERT_EQ(s.fit(), 0);
    const int m = static_cast<int>(s.req.npoints);
    const double lo = s.px(0), hi = s.px(m - 1) + (s.px(m - 1) - lo) / (m - 1);
    const double h = s.req.params[0] * (s.req.quantiles[5] - s.req.quantiles[3]) / std::pow(200, 0.2);
    std::vector<double> grid(m), transform(m), density(m);
    ASSERT_EQ(zkerset(sorted.data(), nullptr, nullptr, 200, lo, hi, grid.data(), transform.data(), m), 0);
    ASSERT_EQ(zkerfit(type, 0, h, lo, hi, transform.data(), density.data(), m), 0);
    EXPECT_LE(lo, sorted.front() - (type == 1 ? 3 : 1) * h + 1e-12);
    EXPECT_GE(hi, sorted.back() + (type == 1 ? 3 : 1) * h - 1e-12);
    const double peak = *std::max_element(density.begin(), density.end()) * 100;
    for (int i = 0; i < m; ++i) EXPECT_NEAR(s.py(i), density[i] * 100, 1e-10 * peak) << type << " " << i;
  }
}

TEST_F(StreamKernel, FrequenciesCountByTheirIntegerPart) {
  // 2.9 counts twice; frequencies of 0, below 0 or missing, and missing values, drop out.
  const double m = zmissing();
  x.resize(60);
  std::vector<double> twice, freqs(60, 2.9);
  for (double v : x) twice.insert(twice.end(), {v, v});
  x.insert(x.end(), {100, 200, 300, m}), freqs.insert(freqs.end(), {0, -1, m, 1});
  stream_source weighted(ZFIT_KERNEL, x, freqs, 7), repeated(ZFIT_KERNEL, twice);
  ASSERT_EQ(weighted.fit(), 0);
  ASSERT_EQ(repeated.fit(), 0);
  ASSERT_EQ(weighted.req.npoints, repeated.req.npoints);
  for (int i = 0; i < 2 * weighted.req.npoints; ++i) EXPECT_EQ(weighted.req.points[i], repeated.req.points[i]) << i;
}

TEST_F(StreamKernel, NonPositiveCIsRefusedWithANote) {
  for (double c : {0.0, -1.0}) {
    stream_source s(ZFIT_KERNEL, x);
    s.req.params[0] = c;
    EXPECT_EQ(s.fit(), 1);
  }
  EXPECT_EQ(count("Kernel C= value", log()), 2);
}

}  // namespace
