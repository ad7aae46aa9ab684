// Default bins of values at an offset and scale: wherever the doubles hold distinct
// bins there is more than one, the edges are strictly increasing doubles, and the
// counting puts every value in the bin whose edges hold it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "numeric/zhist.h"
#include "plotreq/hist_bins.h"

namespace {

// Spacing of the doubles at x.
double gap(double x) { return std::nextafter(std::fabs(x), INFINITY) - std::fabs(x); }

struct Offset {
  const char* what;
  double at, unit;  // values at + unit * k
};

TEST(HistOffsetBins, DistinctBinsWhereverTheDoublesHoldThem) {
  const Offset offsets[] = {
      {"0", 0.0, 1.0},
      {"1e9", 1e9, 1.0},
      {"-1e9", -1e9, 1.0},
      {"1e15", 1e15, 1.0},
      {"unix seconds", 1733650000.0, 1.0},
      {"1e-9 scale", 1e-9, 1e-9},
      {"1e300", 1e300, 1e300},
  };
  for (const Offset& o : offsets) {
    const double g = gap(o.at == 0 ? o.unit : o.at);
    // From a few hundred doubles wide up to an ordinary spread.
    const double spreads[] = {300 * g, 5000 * g, 0.05 * o.unit, 0.5 * o.unit, 100 * o.unit};
    for (double spread : spreads) {
      if (spread < 300 * g || (o.at != 0 && spread > std::fabs(o.at) && o.unit == 1.0)) continue;
      for (bool endpoints : {false, true}) {
        SCOPED_TRACE(testing::Message() << o.what << " spread " << spread / g << " doubles"
                                        << (endpoints ? " endpoints" : " midpoints"));
        // 400 values spread evenly, with both ends.
        std::vector<double> x;
        for (int i = 0; i < 400; ++i) x.push_back(o.at + spread * (i / 399.0));
        const double lo = x.front(), hi = x.back();
        ASSERT_LT(lo, hi);
        double out[2];
        const int k = endpoints ? zhist2(400, lo, hi, out) : zhist(400, lo, hi, out);
        EXPECT_GT(k, 1);
        const double w = out[1];
        double start = endpoints ? out[0] : out[0] - w / 2;
        // The caller widens by whole bins to the data (a value on the upper edge of
        // left-closed bins takes one more): by one at most at each end,
        // for the rounding of an edge at the offset.
        int nbins = k;
        if (start > lo) {
          start -= w;
          ++nbins;
        }
        while (start + nbins * w <= hi && nbins < k + 3) ++nbins;
        EXPECT_LE(nbins, k + 2);
        std::vector<double> edge;
        for (int i = 0; i <= nbins; ++i) edge.push_back(start + i * w);
        for (int i = 1; i <= nbins; ++i) ASSERT_LT(edge[i - 1], edge[i]) << i;
        EXPECT_LE(edge.front(), lo);
        EXPECT_GE(edge.back(), hi);
        std::vector<long long> count(nbins, 0);
        for (double v : x) {
          const long long b = kes_hist_bin_index(v, start, w, false);
          ASSERT_GE(b, 0) << v;
          ASSERT_LT(b, nbins) << v;
          // Within the bin's edges, to the counting's slack and the edges' rounding.
          const double slack = 2e-8 * w + gap(v);
          EXPECT_GE(v, edge[b] - slack) << v;
          EXPECT_LT(v, edge[b + 1] + slack) << v;
          ++count[b];
        }
        long long total = 0;
        for (long long c : count) total += c;
        EXPECT_EQ(total, 400);
      }
    }
  }
}

// A range too few doubles wide for two distinct bins keeps one bin that holds it.
TEST(HistOffsetBins, OneBinOnlyWhereNoTwoFit) {
  const double at[] = {1e15, -1e15, 1e9, 1e300, 1e-300};
  for (double a : at)
    for (int doubles : {1, 3, 7}) {
      double b = a;
      for (int i = 0; i < doubles; ++i) b = std::nextafter(b, INFINITY);
      for (bool endpoints : {false, true}) {
        SCOPED_TRACE(testing::Message() << a << " + " << doubles << " doubles" << endpoints);
        double out[2];
        EXPECT_EQ(endpoints ? zhist2(400, a, b, out) : zhist(400, a, b, out), 1);
        const double start = endpoints ? out[0] : out[0] - out[1] / 2;
        EXPECT_LE(start, a);
        EXPECT_GE(start + out[1], b);
      }
    }
}

}  // namespace

// Bins whose span passes the largest double (edges -1e308 .. 1e308 and wider) place
// each value in the bin whose edges hold it, the edges being finite doubles.
TEST(HistOffsetBins, ValuesPlacedInBinsSpanningMoreThanTheLargestDouble) {
  const struct {
    double start, width;
    int nbins;
  } bins[] = {{-1e308, 4e307, 5}, {-1.75e308, 2.5e307, 14}, {-1.6e308, 8e307, 4}, {-1.5e308, 1e308, 3}};
  for (const auto& b : bins)
    for (bool right : {false, true})
      for (int k = 0; k <= 200; ++k) {
        // Halves, so that an edge past the largest double from the first is had.
        const auto edge = [&b](double j) { return 2 * (b.start / 2 + j * (b.width / 2)); };
        const double v = edge(b.nbins * k / 200.0);  // the edges among them
        const long long i = kes_hist_bin_index(v, b.start, b.width, right);
        SCOPED_TRACE(testing::Message() << v << " from " << b.start << " by " << b.width);
        ASSERT_TRUE(i >= -1 && i <= b.nbins);
        const double lo = edge(i), hi = edge(i + 1), slack = 2e-8 * b.width;
        EXPECT_TRUE(right ? (v > lo - slack && v <= hi + slack) : (v >= lo - slack && v < hi + slack));
      }
}

// A value typed on an edge is in the same bin at any offset and in any unit: the data
// 1e9 + m/1000 under bins by 0.002 from 1e9 + 0.001 (doubles nearest the decimals, as
// the data are read and the edges drawn) are counted as the decimals say, where the
// rounding of x - start near 1e9 (6e-5 widths) is far past the counting's slack.
TEST(HistOffsetBins, AValueTypedOnAnEdgeIsOnItAtAnyOffsetAndUnit) {
  struct form {
    const char* base;  // the data's whole part as typed
    int places;        // decimals of the data (3: thousandths; scaled forms shift them)
  };
  const form forms[] = {{"0", 3}, {"1000000", 3}, {"1000000000", 3}, {"1700000000", 3}, {"1000", 9}, {"2700000000", 4}};
  for (const form& f : forms) {
    for (bool right : {false, true}) {
      SCOPED_TRACE(testing::Message() << f.base << " with " << f.places << " decimals, right-closed " << right);
      // Values base + m units of the last place, bins by two units from base + 1 unit.
      const auto typed = [&](int m) {
        char frac[32];
        std::snprintf(frac, sizeof frac, "%0*d", f.places, m);
        return std::strtod((std::string(f.base) + "." + frac).c_str(), nullptr);
      };
      char w[32];
      std::snprintf(w, sizeof w, "0.%0*d", f.places, 2);
      const double start = typed(1), width = std::strtod(w, nullptr);
      for (int m = 1; m <= 201; ++m) {
        // Left-closed: unit m lies in bin floor((m - 1) / 2); right-closed, ceil - 1.
        const long long want = right ? m / 2 - 1 : (m - 1) / 2;
        EXPECT_EQ(kes_hist_bin_index(typed(m), start, width, right), want) << m;
      }
    }
  }
}
