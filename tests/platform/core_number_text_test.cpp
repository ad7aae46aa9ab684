// The shared number texts: the best form against an exhaustive search over every
// fixed and E text that fits, its edge cases, fixed decimals and missing-value texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "core/number_text.h"
#include "host/host_missing.h"

namespace {

using plat::best_text;
using plat::fixed_text;

int digits_shown(const std::string& s) {
  int n = 0;
  bool started = false;
  for (char c : s) {
    if (c == 'E') break;
    if (c < '1' && !started) continue;
    if (c < '0' || c > '9') continue;
    started = true;
    ++n;
  }
  return n;
}

int shortest_digits(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific);
  return digits_shown(std::string(buf, r.ptr).substr(0, std::string(buf, r.ptr).find('e')));
}

std::string trimmed(std::string s) {
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s;
}

// The most significant digits any fixed (0 to 40 decimals) or E (1 to 17 digits) text
// of v shows within width characters, counting no more than the shortest exact text has.
int most_digits_that_fit(double v, int width) {
  const int cap = shortest_digits(v);
  int best = 0;
  char buf[512];
  for (int d = 0; d <= 40; ++d) {
    std::snprintf(buf, sizeof buf, "%.*f", d, v);
    std::string s = trimmed(buf);
    if (static_cast<int>(s.size()) <= width) best = std::max(best, std::min(cap, digits_shown(s)));
  }
  for (int m = 1; m <= 17; ++m) {
    std::snprintf(buf, sizeof buf, "%.*e", m - 1, v);
    std::string s(buf);
    std::string mant = trimmed(s.substr(0, s.find('e')));
    s = mant + "E" + std::to_string(std::atoi(s.c_str() + s.find('e') + 1));
    if (static_cast<int>(s.size()) <= width) best = std::max(best, std::min(cap, digits_shown(s)));
  }
  return best;
}

TEST(BestText, ShowsTheMostDigitsThatFitAndReadsBackClose) {
  const double values[] = {1.0 / 3.0,  -2.0 / 3.0, 9.520841234, 99.96,      0.1 + 0.2,  123456789.0,
                           1234567.891, 6.02214076e23, 1.602176634e-19, 0.000123456789, 0.00123456789,
                           -7.25e88,   65535.0,    0.7,        1e15 + 1.0, 2.0 / 7e5,  5e-324,
                           1.7976931348623157e308, 3.14159265358979, -1e-5, 999999.5, 0.05};
  for (double v : values) {
    for (int w = 1; w <= 24; ++w) {
      const std::string s = best_text(v, w);
      ASSERT_LE(static_cast<int>(s.size()), w) << v << " w" << w;
      const int want = most_digits_that_fit(v, w);
      if (want == 0) {
        EXPECT_EQ(s, std::string(static_cast<std::size_t>(w), '*')) << v << " w" << w;
        continue;
      }
      // Zeros that fill an integer part beyond the shortest digits do not count.
      EXPECT_EQ(std::min(digits_shown(s), shortest_digits(v)), want) << v << " w" << w << " " << s;
      // The text is v rounded to the digits it shows: within half a unit of its last.
      const double back = std::strtod(s.c_str(), nullptr);
      if (std::isinf(back)) continue;  // "2E308": the largest double rounded up
      const int shown = digits_shown(s);
      const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(back))) - shown + 1);
      EXPECT_LE(std::fabs(back - v), 0.5 * unit * (1 + 1e-9)) << v << " w" << w << " " << s;
      // Where the width takes the whole shortest exact text, it reads back as v itself.
      if (s == best_text(v, 40)) {
        EXPECT_EQ(back, v) << v << " w" << w << " " << s;
      }
    }
  }
}

TEST(BestText, FormsChosen) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double v;
    int width;
    const char* text;
  } rows[] = {
      {1234567.891, 12, "1234567.891"},
      {1234567.891, 8, "1234568"},
      {-1234567.891, 10, "-1234567.9"},
      {123456789.0, 8, "1.2346E8"},  // the integer part does not fit
      {-123456789.0, 8, "-1.235E8"},
      {123456789.0, 10, "123456789"},
      {1.0 / 3.0, 12, "0.3333333333"},
      {3.14159265358979, 10, "3.14159265"},
      {1e-10, 12, "0.0000000001"},  // fixed wins the tie with 1E-10
      {1.234e-10, 12, "1.234E-10"},
      {1.5e-7, 8, "1.5E-7"},
      {1.5e-7, 10, "0.00000015"},
      {0.000123456789, 8, "1.235E-4"},
      {0.000123456789, 6, "1.2E-4"},
      {0.00123456789, 8, "0.001235"},
      {9.520841234, 8, "9.520841"},
      {0.1, 8, "0.1"},  // not 0.1000000
      {1e-5, 8, "0.00001"},
      {1e15, 12, "1E15"},
      {99.96, 4, "100"},  // rounding carries into the integer part
      {99.96, 3, "100"},
      {99999.5, 5, "1E5"},
      {-0.0, 4, "0"},
      // A large integer shows its shortest digits and zeros, not its whole binary value
      // (which is 99999999999999991611392).
      {1e23, 24, "100000000000000000000000"},
      {1e23, 23, "1E23"},
      {0.1 + 0.2, 19, "0.30000000000000004"},
      {0.1 + 0.2, 18, "0.3"},
      // Nothing fits, and non-numbers.
      {123456.0, 2, "**"},
      {0.4, 1, "*"},  // "0" would hide a nonzero value
      {1e-20, 4, "****"},  // "1E-20" needs five
      {1e-20, 5, "1E-20"},
      {-1e-20, 5, "*****"},
      {1.0, 0, ""},
      {inf, 8, "Inf"},
      {-inf, 4, "-Inf"},
      {-inf, 3, "***"},
      {host_missing_of_kind(HOST_MISS_STD), 8, "."},
      {host_missing_of_kind(HOST_MISS_UNDERSCORE), 8, "._"},
      {host_missing_of_kind(HOST_MISS_A + 1), 8, ".B"},
  };
  for (const auto& r : rows) EXPECT_EQ(best_text(r.v, r.width), r.text) << r.v << " w" << r.width;
}

TEST(FixedText, DecimalsSignAndFallBack) {
  EXPECT_EQ(fixed_text(2.675, 8, 2), "2.67");  // Python '%.2f' % 2.675: the stored value is below 2.675
  EXPECT_EQ(fixed_text(-0.0001, 4, 2), "0.00");  // no "-0.00", which would not fit
  EXPECT_EQ(fixed_text(-0.006, 8, 2), "-0.01");
  EXPECT_EQ(fixed_text(-2.5, 8, 0), "-2");  // halfway to even
  EXPECT_EQ(fixed_text(123456.789, 6, 2), "123457");
  EXPECT_EQ(fixed_text(1234567.5, 6, 1), "1.23E6");
  EXPECT_EQ(fixed_text(1.5, 8, -1), "1.5");  // decimals out of range: the best form
  EXPECT_EQ(fixed_text(std::numeric_limits<double>::quiet_NaN(), 8, 2), ".");
  EXPECT_EQ(fixed_text(host_missing_of_kind(HOST_MISS_A + 25), 8, 2), ".Z");
}

TEST(MissingTexts, KindsAndTexts) {
  EXPECT_EQ(plat::missing_kind(0.0), 0);
  EXPECT_EQ(plat::missing_kind(std::numeric_limits<double>::quiet_NaN()), '.');
  EXPECT_EQ(plat::missing_kind(host_missing_of_kind(HOST_MISS_UNDERSCORE)), '_');
  EXPECT_EQ(plat::missing_kind(host_missing_of_kind(HOST_MISS_A)), 'A');
  EXPECT_EQ(plat::missing_text(host_missing_of_kind(HOST_MISS_STD)), ".");
  EXPECT_EQ(plat::missing_text(host_missing_of_kind(HOST_MISS_UNDERSCORE)), "._");
  EXPECT_EQ(plat::missing_text(host_missing_of_kind(HOST_MISS_Z)), ".Z");
  EXPECT_EQ(plat::shortest_text(5e-324), "5e-324");
  EXPECT_EQ(plat::shortest_text(-0.0), "-0");
  EXPECT_EQ(std::strtod(plat::shortest_text(2.0 / 3.0).c_str(), nullptr), 2.0 / 3.0);
}

}  // namespace
