// Template tick texts over generated axes: every text reads its tick (read back, it
// lies within half a unit of its last digit of the tick, and within half a unit of the
// last digit the step needs: 0.12 needs hundredths), neighbours read apart, and of the
// true forms the narrower is taken where the size of the ticks calls for E notation
// (1e9 by 0.01 reads 1000000000.01, not 1.00000000001E9; 2^52 + 1 reads in its 16
// digits). The references here build the true fixed and E forms from printf alone.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <string>
#include <vector>

#include "graph/template_parts.h"
#include "host/kes_tick_truth.h"

namespace {

using plat::graph::nice_scale;
using plat::graph::tick_texts;

// The unit of a text's last digit: "1000000000.01" 0.01, "1.0001E-9" 1e-13, "2E7" 1e7.
long double last_unit(const std::string& t) {
  const std::size_t e = t.find('E');
  const std::string mantissa = t.substr(0, e);
  const std::size_t dot = mantissa.find('.');
  const int after = dot == std::string::npos ? 0 : static_cast<int>(mantissa.size() - dot - 1);
  const int exp = e == std::string::npos ? 0 : std::atoi(t.c_str() + e + 1);
  return std::pow(10.0L, exp - after);
}

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

// The narrowest true E form: for each tick the fewest significant digits true to
// `unit` (trailing mantissa zeros dropped), all with more digits where neighbours
// would read alike.
std::size_t e_width(const std::vector<double>& ticks, long double unit) {
  const auto e = [](double v, int m) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", m - 1, v);
    std::string s(buf);
    const std::size_t at = s.find('e');
    std::string mantissa = s.substr(0, at);
    if (mantissa.find('.') != std::string::npos) {
      while (mantissa.back() == '0') mantissa.pop_back();
      if (mantissa.back() == '.') mantissa.pop_back();
    }
    return mantissa + "E" + std::to_string(std::atoi(s.c_str() + at + 1));
  };
  std::vector<int> digits;
  for (double v : ticks) {
    int m = 1;
    while (m < 17 && !(std::fabs(std::strtold(e(v, m).c_str(), nullptr) - v) <= unit / 2 + std::fabs(v) * 0x1p-62L))
      ++m;
    digits.push_back(m);
  }
  for (int more = 0; more <= 17; ++more) {
    std::vector<std::string> t;
    for (std::size_t i = 0; i < ticks.size(); ++i) t.push_back(ticks[i] == 0 ? "0" : e(ticks[i], std::min(digits[i] + more, 17)));
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
        for (const std::vector<double>& ticks : {sums, nice_scale(at, at + 5 * step).ticks}) {
          const std::vector<std::string> t = tick_texts(ticks);
          SCOPED_TRACE(testing::Message() << std::setprecision(17) << "at " << at << " by " << step << ": "
                                          << testing::PrintToString(t));
          ASSERT_EQ(t.size(), ticks.size());
          ++axes;
          for (std::size_t i = 0; i < t.size(); ++i) {
            ASSERT_FALSE(std::isnan(kes_tick_read_back(t[i]))) << t[i];
            // Read as a long double, whose own rounding (a 64-bit mantissa) is allowed.
            const long double off = std::fabs(std::strtold(t[i].c_str(), nullptr) - ticks[i]);
            const long double reading = std::fabs(ticks[i]) * 0x1p-62L;
            EXPECT_LE(off, last_unit(t[i]) / 2 + reading) << t[i] << " for " << ticks[i];
            if (step >= 1000 * ulp) {
              EXPECT_LE(off, needed / 2 + reading) << t[i] << " for " << ticks[i];
            }
            if (i > 0) {
              EXPECT_NE(t[i], t[i - 1]);
            }
          }
          double big = 0;
          for (double v : ticks) big = std::max(big, std::fabs(v));
          const std::size_t fw = fixed_width(ticks, needed), ew = e_width(ticks, needed);
          const std::size_t w = widest_nonzero(ticks, t);
          // Ticks a few doubles apart stand unevenly in the doubles (5e-7 apart at
          // 1e9 they are 4 or 5 doubles apart): their texts take the digits of the
          // gaps the doubles give, not of the step asked.
          if (step < 1000 * ulp) continue;
          if (big >= 1e7 || big < 1e-4) {
            EXPECT_LE(w, std::min(fw, ew)) << "fixed " << fw << ", E " << ew;
            fixed_at_large += t.back().find('E') == std::string::npos ? 1 : 0;
          } else {
            EXPECT_LE(w, fw);  // everyday sizes read in fixed notation: 1000, not 1E3
          }
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
