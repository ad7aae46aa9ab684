// Tick, midpoint and percent texts of both renderers read their values exactly: over
// offsets from 1e-9 to 1e306 and nice steps, every tick k x step and every midpoint a
// half step off reads the decimal it is, in the module's axes (ticks walked as start
// + k step), in the template's (ticks as the module's lists give them) and in the
// lists the module hands the template; percents of a PCTLORDER= list read as given.
// The expected decimals are computed here in integers, apart from any double.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "exact_decimal.h"
#include "core/runtime.h"
#include "runner/host_table.h"
#include "devgraph/pctl_ticks.h"
#include "devgraph/tick_text.h"
#include "graph/template_parts.h"
#include "host/host_anchor.h"
#include "host/host_services.h"
#include "host/kes_decimal_grid.h"
#include "host/kes_tick_text.h"
#include "tmplgraph/kes_stgraph.h"

namespace {

// An exact decimal m x 10^q.
struct dec {
  __int128 m;
  int q;
};

using kes_test_decimal::digits;
// The decimal as text that strtod reads exactly as the decimal it is.
std::string text(const dec& d) { return digits(d.m) + "e" + std::to_string(d.q); }
double value(const dec& d) { return std::strtod(text(d).c_str(), nullptr); }

// d at the exponent q (q not above d.q).
__int128 at(const dec& d, int q) {
  __int128 m = d.m;
  for (int i = q; i < d.q; ++i) m *= 10;
  return m;
}

// The exact decimal a text writes ("1.25E7", "-.5", "1000000000.005").
dec read(const std::string& t) {
  dec d{0, 0};
  bool neg = false, point = false;
  std::size_t i = 0;
  if (i < t.size() && t[i] == '-') neg = true, ++i;
  for (; i < t.size() && t[i] != 'E' && t[i] != 'e'; ++i) {
    if (t[i] == '.') {
      point = true;
      continue;
    }
    d.m = d.m * 10 + (t[i] - '0');
    if (point) --d.q;
  }
  if (i < t.size()) d.q += std::atoi(t.c_str() + i + 1);
  if (neg) d.m = -d.m;
  return d;
}
bool same(dec a, dec b) {
  const int q = std::min(a.q, b.q);
  return at(a, q) == at(b, q);
}

std::vector<std::string> words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> w;
  for (std::string x; in >> x;) w.push_back(x);
  return w;
}

class TickTexts : public ::testing::Test {
 protected:
  // makenumlist takes its memory from the step's pool.
  void SetUp() override { saved_ = std::exchange(v_global_gcb_anchor, plat::anchor()), plat::begin_step(); }
  void TearDown() override { plat::finish_step(), v_global_gcb_anchor = saved_; }
  // The text the module hands the template for a list of values.
  static std::string listed(const std::vector<double>& v, int width) {
    int status = 0;
    void* h = makenumlist(v.data(), static_cast<int>(v.size()), width, &status);
    char buf[4096];
    const int n = vemtget(h, buf, sizeof buf);
    return n < 0 ? "" : std::string(buf, static_cast<std::size_t>(n));
  }
  host_gcb* saved_ = nullptr;
};

struct offset {
  dec o;
  int finest;  // the least exponent of a step the doubles there hold four to a unit
};

TEST_F(TickTexts, EveryTickAndMidpointReadsItsDecimalInBothRenderers) {
  const offset offsets[] = {
      {{0, 0}, -12},  {{1, 6}, -9},   {{1, 9}, -6},       {{17, 8}, -6},
      {{1, 15}, -1},  {{1, -9}, -24}, {{1, 306}, 292},
      // Subnormals, whose doubles lie 4.94e-324 apart.
      {{0, 0}, -320}, {{1, -318}, -320}, {{3, -316}, -319},
  };
  // Steps m x 10^k, m as tenths: 1, 2, 2.5, 5.
  const int mantissas[] = {10, 20, 25, 50};
  int axes = 0;
  for (const offset& off : offsets)
    for (int k = off.finest; k <= off.finest + 14; ++k)
      for (int m10 : mantissas)
        for (bool half : {false, true}) {
          const dec step{m10, k - 1};
          const int q = std::min(off.o.q, step.q - 1);
          const __int128 o = at(off.o, q), s = at(step, q);
          if (o / s > static_cast<__int128>(1e15)) continue;  // finer than the doubles hold
          // The first tick at or below the offset, moved a half step for midpoints.
          const __int128 first = (o / s) * s - (half ? s / 2 : 0);
          std::vector<dec> want;
          std::vector<double> given;
          bool held = true;  // the doubles hold each decimal and the steps between them
          for (int i = 0; i < 7; ++i) {
            want.push_back({first + i * s, q});
            given.push_back(value(want.back()));
            char buf[32];
            const auto r = std::to_chars(buf, buf + sizeof buf, given.back());
            held = held && same(read(std::string(buf, r.ptr)), want.back());
          }
          const double ulp = std::nextafter(std::fabs(given.back()), INFINITY) - std::fabs(given.back());
          if (!held || value(step) < 4 * ulp) continue;
          SCOPED_TRACE(text(want[0]) + " by " + text(step));
          ++axes;
          // The template: the values as the module's lists give them, and those lists.
          const std::vector<std::string> tt = plat::graph::tick_texts(given);
          const std::vector<std::string> lw = words(listed(given, 8));
          ASSERT_EQ(lw.size(), given.size());
          // The module's axes: ticks walked from the first by the step.
          const double d = value(step), s0 = given[0];
          const kes_tick_style style = kes_axis_tick_style(s0, given.back(), d, 0);
          for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_TRUE(same(read(tt[i]), want[i])) << "template " << tt[i] << " for " << text(want[i]);
            EXPECT_TRUE(same(read(lw[i]), want[i])) << "list " << lw[i] << " for " << text(want[i]);
            char buf[KES_TICK_TEXT];
            const double v = kes_tick_at(s0, d, static_cast<long>(i));
            const std::string dt(buf, static_cast<std::size_t>(kes_tick_text(v, nullptr, style, 0, buf)));
            EXPECT_TRUE(same(read(dt), want[i])) << "device " << dt << " for " << text(want[i]);
            // With ZCOMPRESS the same value, without the zero before the point.
            const std::string zt(buf, static_cast<std::size_t>(kes_tick_text(v, nullptr, style, 1, buf)));
            EXPECT_TRUE(same(read(zt), want[i])) << "device " << zt << " for " << text(want[i]);
          }
        }
  EXPECT_GT(axes, 700);
}

TEST_F(TickTexts, PercentsReadAsListedInBothRenderers) {
  const std::vector<double> pctl = {0.00001, 0.001, 0.1, 1, 2.5, 5,      10,      25,       50,      75,
                                    90,      95,    97.5, 99, 99.9, 99.99, 99.999, 99.9999, 99.99995, 99.99999};
  const std::vector<std::string> w = words(listed(pctl, 7));
  ASSERT_EQ(w.size(), pctl.size());
  for (std::size_t i = 0; i < pctl.size(); ++i) {
    char buf[KES_PCTL_TEXT];
    const std::string device(buf, static_cast<std::size_t>(kes_pctl_text(pctl[i], buf)));
    EXPECT_EQ(std::strtod(device.c_str(), nullptr), pctl[i]) << device;
    EXPECT_EQ(std::strtod(w[i].c_str(), nullptr), pctl[i]) << w[i];
    EXPECT_EQ(device, w[i]);
  }
  EXPECT_EQ(w.back(), "99.99999");  // not 100
  EXPECT_EQ(w[w.size() - 2], "99.99995");
}

// The cases a text once stated another value for, as each renderer writes them.
TEST_F(TickTexts, TheTextsOnceADigitShort) {
  using v = std::vector<std::string>;
  // Bins of values in the millions, their midpoints a half bin off: 2E6, 8E6 once.
  EXPECT_EQ(plat::graph::tick_texts({2500000, 7500000, 12500000, 17500000}), (v{"2.5E6", "7.5E6", "1.25E7", "1.75E7"}));
  EXPECT_EQ(plat::graph::tick_texts({2.5e-6, 7.5e-6, 1.25e-5}), (v{"2.5E-6", "7.5E-6", "1.25E-5"}));
  EXPECT_EQ(plat::graph::tick_texts({7.5e306, 1.25e307}), (v{"7.5E306", "1.25E307"}));
  // Listed midpoints at 1e9 + 0.005 by 0.01: 1000000000.00 once.
  EXPECT_EQ(plat::graph::tick_texts({1000000000.005, 1000000000.015, 1000000000.025}),
            (v{"1000000000.005", "1000000000.015", "1000000000.025"}));
  // A one-value histogram near the largest double.
  EXPECT_EQ(plat::graph::tick_texts({-1.250435e308}), (v{"-1.250435E308"}));
  // Zero beside E texts reads 0, not 0.0000000.
  EXPECT_EQ(plat::graph::tick_texts({0, 1e-7, 2e-7}), (v{"0", "1E-7", "2E-7"}));
  // Everyday axes keep their look.
  EXPECT_EQ(plat::graph::tick_texts({0, 0.5, 1, 1.5}), (v{"0", "0.5", "1.0", "1.5"}));
  EXPECT_EQ(plat::graph::tick_texts({1700000000, 1700003600}), (v{"1700000000", "1700003600"}));
  // A device Q-Q axis 0.025 apart at 1e9: 999999999.93 once.
  const double s = 999999999.925, d = 0.025;
  const kes_tick_style style = kes_axis_tick_style(s, s + 7 * d, d, 0);
  v device;
  char buf[KES_TICK_TEXT];
  for (long i = 0; i < 8; ++i)
    device.emplace_back(buf, static_cast<std::size_t>(kes_tick_text(kes_tick_at(s, d, i), nullptr, style, 0, buf)));
  EXPECT_EQ(device, (v{"999999999.925", "999999999.950", "999999999.975", "1000000000.000", "1000000000.025",
                       "1000000000.050", "1000000000.075", "1000000000.100"}));
}

// A value with no short decimal (a fitted quantile, a sum of steps) is rounded: to the
// step's last digit at the coarsest, finer where neighbours would read alike, with at
// least the digits a list asks for.
TEST_F(TickTexts, ValuesWithNoShortDecimalAreRoundedNoCoarserThanTheStep) {
  using v = std::vector<std::string>;
  EXPECT_EQ(kes_tick_texts({0.1, 0.2, 0.1 + 0.2, 0.4}), (v{"0.1", "0.2", "0.3", "0.4"}));
  // 0.025 apart: hundredths would tell these apart but misstate .025.
  EXPECT_EQ(kes_tick_texts({-0.075, -0.075 + 0.025, -0.075 + 2 * 0.025, -0.075 + 3 * 0.025}),
            (v{"-0.075", "-0.050", "-0.025", "0"}));
  // Quantiles of a normal (scipy.stats.norm.ppf of 0.1, 0.5, 0.9).
  const std::vector<double> q = {-1.2815515655446004, 0, 1.2815515655446004};
  EXPECT_EQ(kes_value_texts(q, 7), (v{"-1.281552", "0", "1.281552"}));
  EXPECT_EQ(kes_value_texts(q, 17), (v{"-1.2815515655446004", "0", "1.2815515655446004"}));
  // Neighbours one unit of rounding apart read apart.
  const double a = 1.2815515655446004, b = std::nextafter(a, 2.0);
  const v ab = kes_value_texts({a, b}, 4);
  EXPECT_NE(ab[0], ab[1]);
  EXPECT_EQ(std::strtod(ab[0].c_str(), nullptr), a);
  EXPECT_EQ(std::strtod(ab[1].c_str(), nullptr), b);
}

// Subnormal ticks: each reads its value where that is a short decimal, else the value
// rounded to the nearest at the digit shown, no coarser than the step and no finer than
// the digits the doubles there hold (a digit at 1e-323 is as likely the rounding of
// the sum that made the value).
TEST_F(TickTexts, SubnormalTicksReadTheirValuesOrAreRoundedToTheNearest) {
  using v = std::vector<std::string>;
  struct row {
    std::vector<double> values;
    double step;
    v want;
  };
  const row rows[] = {
      {{1e-318, 2e-318, 3e-318, 4e-318}, 1e-318, {"1E-318", "2E-318", "3E-318", "4E-318"}},
      {{0, 2.5e-320, 5e-320, 7.5e-320, 1e-319}, 2.5e-320, {"0", "2.5E-320", "5E-320", "7.5E-320", "1E-319"}},
      // k x step in doubles: 3 x 2.5e-320 is not the double nearest 7.5e-320.
      {{0, 2.5e-320, 2 * 2.5e-320, 3 * 2.5e-320}, 2.5e-320, {"0", "2.5E-320", "5E-320", "7.5E-320"}},
      // A histogram's lone midpoint, (1.832993e-318 + 5.49898e-318) / 2.
      {{3.665987e-318}, 0, {"3.666E-318"}},
      {{-2e-322, -1e-322, 0, 1e-322, 2e-322}, 1e-322, {"-2E-322", "-1E-322", "0", "1E-322", "2E-322"}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.want.front() + "..." + r.want.back());
    EXPECT_EQ(kes_tick_texts(r.values, r.step), r.want);
    EXPECT_EQ(plat::graph::tick_texts(r.values), r.want);
  }
  // Ticks from a start by a step near the least double: k x step strays from the
  // decimal k x 1e-322 by more than the digit shown, and a grid that reads it must
  // still round each value to the nearest (0 stays 0, not 5E-324).
  for (const double step : {1e-322, 2e-322, 5e-322, 1e-321}) {
    for (int k0 = -7; k0 <= 40; ++k0) {
      std::vector<double> ticks;
      for (int k = 0; k < 6; ++k) ticks.push_back(k0 * step + k * step);
      const kes_tick_style s = kes_grid_tick_style(ticks, k0 * step, step);
      for (double t : ticks) {
        const std::string text = kes_tick_text_of(t, s);
        SCOPED_TRACE(text);
        // The text is t, or t rounded to the nearest at a digit no coarser than the step's.
        bool rounded = kes_tick_read_back(text) == t;
        for (int p = kes_shortest_decimal(step).last_place(); p >= -324 && !rounded; --p)
          rounded = same(read(text), read(kes_decimal_text(kes_rounded_decimal(t, p), true, 0)));
        EXPECT_TRUE(rounded) << t;
      }
    }
  }
}

// Where the doubles' spacing nears the step's last digit (near 1e15 it is 0.125, near
// 4.5e15 it is 0.5), a list of points first + k w, first and w no short decimals,
// must not be taken for a grid of a rounder step that lies within k units of rounding
// of them (971.625 + 56.75 k read as 972, 1029, 1086): every text, of the module's
// lists and of both renderers' ticks, is its value rounded at the text's last digit.
TEST_F(TickTexts, PointsNearTheDoublesLastDigitReadThemselvesRounded) {
  int lists = 0;
  for (const double base : {1e15, 999999999999943.0, 4.5e15, 1.7e9, 1e9 + 0.5})
    for (const double w : {56.75, 113.5, 7.125, 0.375, 1.0 / 1024 * 100, 3.0 / 7})
      for (const double off : {0.625, 0.125, 0.5, 0.3})
        for (std::size_t n = 2; n <= 6; ++n) {
          std::vector<double> v;
          for (std::size_t k = 0; k < n; ++k) v.push_back(kes_grid_point(base + off, static_cast<double>(k), w));
          if (!(v.back() > v.front())) continue;
          ++lists;
          const std::vector<std::vector<std::string>> forms = {
              kes_value_texts(v, 8), kes_tick_texts(v), plat::graph::tick_texts(v), words(listed(v, 8))};
          for (const std::vector<std::string>& texts : forms) {
            ASSERT_EQ(texts.size(), v.size());
            for (std::size_t k = 0; k < n; ++k) {
              const dec d = read(texts[k]);
              const std::string want = kes_decimal_text(kes_rounded_decimal(v[k], d.q), true, 0);
              EXPECT_TRUE(same(d, read(want)))
                  << texts[k] << " for " << kes_decimal_text(kes_shortest_decimal(v[k]), false, 0);
            }
          }
        }
  EXPECT_GT(lists, 500);
}

}  // namespace
