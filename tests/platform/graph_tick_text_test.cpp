// Template tick texts over generated axes: a nice tick (the double nearest its
// decimal) reads its double exactly; a tick as a sum of steps reads that or the
// decimal offset + k x step; texts stay within half the step's last digit of their
// ticks, neighbours read apart, and no axis is wider than the narrowest fixed texts
// true to the step (1e9 by 0.01 reads 1000000000.01, not 1.00000000001E9).
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <string>
#include <vector>

#include "graph/template_parts.h"
#include "host/kes_tick_text.h"

namespace {

using plat::graph::nice_scale;
using plat::graph::tick_texts;

// Whether texts lie within half of `unit` of their ticks (read as long doubles, so that
// the reading does not round at the ticks' own doubles) and neighbours read apart.
bool true_at(const std::vector<double>& ticks, const std::vector<std::string>& texts, long double unit) {
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const long double read = std::strtold(texts[i].c_str(), nullptr);
    const long double reading = std::fabs(ticks[i]) * 0x1p-62L;
    if (!(std::fabs(read - static_cast<long double>(ticks[i])) <= unit / 2 + reading)) return false;
    if (i > 0 && ticks[i] != ticks[i - 1] && texts[i] == texts[i - 1]) return false;
  }
  return true;
}

std::size_t widest_nonzero(const std::vector<double>& ticks, const std::vector<std::string>& texts) {
  std::size_t w = 0;
  for (std::size_t i = 0; i < ticks.size(); ++i)
    if (ticks[i] != 0) w = std::max(w, texts[i].size());
  return w;
}

// The narrowest true fixed form: the fewest decimals at which every text is true to
// `unit` and neighbours read apart.
std::size_t fixed_width(const std::vector<double>& ticks, long double unit) {
  for (int k = 0; k <= 60; ++k) {
    std::vector<std::string> t;
    char buf[512];
    for (double v : ticks) {
      std::snprintf(buf, sizeof buf, "%.*f", k, v);
      t.push_back(buf);
    }
    if (true_at(ticks, t, unit)) return widest_nonzero(ticks, t);
  }
  return SIZE_MAX;
}

struct nice_step {
  double mantissa;
  int place;  // the place of the step's last digit below its first: 2.5 and 1.2 need one more
};

TEST(TemplateTickTexts, EveryTextReadsItsTickAndTheNarrowerTrueFormIsTaken) {
  const double offsets[] = {0, 1e9, -1e9, 1e15, -1e15, 1733650000, 1e-9, 4503599627370496.0};
  const nice_step steps[] = {{1, 0}, {2, 0}, {2.5, 1}, {5, 0}, {1.2, 1}};
  int axes = 0, fixed_at_large = 0;
  for (const double at : offsets) {
    const double ulp = at == 0 ? 1 : std::nextafter(std::fabs(at), INFINITY) - std::fabs(at);
    const int first = static_cast<int>(std::floor(std::log10(ulp))) - 3;
    for (int k = first; k <= first + 12; ++k)
      for (const nice_step& n : steps) {
        const double step = n.mantissa * std::pow(10.0, k);
        if (step < 4 * ulp) continue;  // the doubles there hold no such ticks
        const long double needed = std::pow(10.0L, k - n.place);
        // Ticks as sums of steps, and the nice scale of the same span.
        std::vector<double> sums;
        for (int i = -2; i <= 3; ++i) sums.push_back(at + i * step);
        for (const bool summed : {true, false}) {
          const std::vector<double> ticks = summed ? sums : nice_scale(at, at + 5 * step).ticks;
          const std::vector<std::string> t = tick_texts(ticks);
          SCOPED_TRACE(testing::Message() << std::setprecision(17) << "at " << at << " by " << step << ": "
                                          << testing::PrintToString(t));
          ASSERT_EQ(t.size(), ticks.size());
          ++axes;
          for (std::size_t i = 0; i < t.size(); ++i) {
            ASSERT_FALSE(std::isnan(kes_tick_read_back(t[i]))) << t[i];
            // A nice tick (the double nearest its decimal) reads its double; a sum of
            // steps reads that or the decimal at + k x step, taken as a long double
            // (its own rounding, a 64-bit mantissa, allowed).
            const long double ideal = std::strtold(kes_decimal_text(kes_shortest_decimal(at), true, 0).c_str(), nullptr) +
                                      (static_cast<long double>(i) - 2) * n.mantissa * std::pow(10.0L, k);
            const long double read = std::strtold(t[i].c_str(), nullptr);
            const bool exact = kes_tick_read_back(t[i]) == ticks[i];
            if (step < 1000 * ulp) {
              // Ticks a few doubles apart: their decimals may be rounded (the start of
              // a sum of steps has one of 17 digits that the doubles made).
              EXPECT_LE(std::fabs(read - ticks[i]), step / 2) << t[i] << " for " << ticks[i];
            } else if (summed || !kes_is_short(kes_shortest_decimal(ticks[i]))) {
              const long double nice = summed ? ideal : std::strtold(t[i].c_str(), nullptr);
              EXPECT_TRUE(exact || std::fabs(read - nice) <= std::fabs(nice) * 0x1p-60L) << t[i] << " for " << ticks[i];
            } else {
              EXPECT_TRUE(exact) << t[i] << " for " << ticks[i];
            }
            if (step >= 1000 * ulp) {
              const long double off = std::fabs(read - ticks[i]);
              EXPECT_LE(off, needed / 2 + std::fabs(ticks[i]) * 0x1p-62L) << t[i] << " for " << ticks[i];
            }
            if (i > 0) {
              EXPECT_NE(t[i], t[i - 1]);
            }
          }
          double big = 0;
          for (double v : ticks) big = std::max(big, std::fabs(v));
          const std::size_t fw = fixed_width(ticks, needed);
          const std::size_t w = widest_nonzero(ticks, t);
          // Ticks a few doubles apart stand unevenly in the doubles (5e-7 apart at
          // 1e9 they are 4 or 5 doubles apart): their texts take the digits of the
          // gaps the doubles give, not of the step asked.
          if (step < 1000 * ulp) continue;
          // Exact texts are never wider than the narrowest fixed texts true to the
          // step; everyday sizes read in fixed notation (1000, not 1E3).
          EXPECT_LE(w, fw);
          if (big >= 1e7 || big < 1e-4) fixed_at_large += t.back().find('E') == std::string::npos ? 1 : 0;
        }
      }
  }
  EXPECT_GT(axes, 500);
  EXPECT_GT(fixed_at_large, 100);  // offsets of large values read in fixed digits
}

// The ticks the truth table of histograms found: -1e9 by 0.12 in one decimal read
// -999999999.9 .. -999999999.4 at uneven steps; in hundredths each reads its tick.
TEST(TemplateTickTexts, TicksAtAnOffsetByAnOddStepReadEvenly) {
  std::vector<double> ticks;
  for (int i = 0; i < 6; ++i) ticks.push_back(-1e9 + i * 0.12);
  const std::vector<std::string> want = {"-1000000000.00", "-999999999.88", "-999999999.76",
                                         "-999999999.64",  "-999999999.52", "-999999999.40"};
  EXPECT_EQ(tick_texts(ticks), want);
  // 1e9 + U(0, 0.05): hundredths in fixed digits, not 1.00000000001E9.
  EXPECT_EQ(tick_texts(nice_scale(1e9, 1e9 + 0.05).ticks),
            (std::vector<std::string>{"1000000000.00", "1000000000.01", "1000000000.02", "1000000000.03",
                                      "1000000000.04", "1000000000.05"}));
  // Large round ticks keep their short E form.
  EXPECT_EQ(tick_texts({0, 2e7, 4e7, 6e7}), (std::vector<std::string>{"0", "2E7", "4E7", "6E7"}));
}

}  // namespace
