// Listing texts of data moved and scaled: a value of x + c reads the value of x moved
// by c with the decimals its text shows as read, and of k x with the significant digits,
// as far as the doubles hold them. Generated values of up to five integer digits and
// three decimals, in best-form columns of widths 8 and 12 and in fixed columns; the
// moved and scaled values are the doubles nearest the exact decimals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "output/listing_render.h"
#include "output/number_format.h"

namespace {

using namespace plat::out;

double reading(const std::string& t) { return std::strtod(t.c_str(), nullptr); }

// The decimals a fixed text shows; -1 for E notation.
int decimals_of(const std::string& t) {
  if (t.find('E') != std::string::npos) return -1;
  const std::size_t p = t.find('.');
  return p == std::string::npos ? 0 : static_cast<int>(t.size() - p - 1);
}

// The significant digits a text shows, from its first nonzero digit.
int digits_of(const std::string& t) {
  int n = 0;
  bool started = false;
  for (char ch : t) {
    if (ch == 'E') break;
    if (ch < '0' || ch > '9') continue;
    started = started || ch != '0';
    n += started;
  }
  return n;
}

std::string fixed(double v, int decimals) {
  char b[64];
  std::snprintf(b, sizeof b, "%.*f", decimals, v);
  return b;
}

std::string mantissa(double v, int digits) {
  char b[64];
  std::snprintf(b, sizeof b, "%.*e", digits - 1, v);
  std::string s = b;
  return s.substr(0, s.find('e'));
}

// x = sign (whole + th / 1000), pseudo-random over seed k: its exact decimal's text and
// the double nearest it.
struct datum {
  long whole;
  int th;
  bool neg;
  std::string text;
  double x;
};

datum data_value(unsigned k) {
  unsigned s = k * 2654435761u + 12345u;
  auto next = [&](unsigned n) {
    s = s * 1103515245u + 12345u;
    return (s >> 8) % n;
  };
  static const long kTop[] = {10, 100, 1000, 10000, 100000};
  datum d;
  d.whole = static_cast<long>(next(static_cast<unsigned>(kTop[next(5)])));
  const int places = static_cast<int>(next(4));  // 0 to 3 decimals
  static const int kUnit[] = {1000, 100, 10, 1};
  d.th = static_cast<int>(next(1000)) / kUnit[places] * kUnit[places];
  d.neg = next(4) == 0;
  char b[64];
  std::snprintf(b, sizeof b, "%s%ld.%03d", d.neg ? "-" : "", d.whole, d.th);
  d.text = b;
  d.x = std::strtod(b, nullptr);
  return d;
}

std::string best_text_in(double v, int width) {
  column_info col;
  col.width = width;
  col.decimals = kBestDecimals;
  return numeric_column_texts({v}, col, nullptr)[0];
}

TEST(ListingOffsetDigits, MovedValuesReadWithTheDecimalsShownAsRead) {
  for (const int width : {8, 12})
    for (const long c : {1000000L, 1700000000L, 1000000000000000L})
      for (unsigned k = 0; k < 1500; ++k) {
        const datum dt = data_value(k);
        const std::string& xt = dt.text;
        const double x = dt.x;
        // x + c as an exact decimal, then its nearest double.
        const long long milli = (dt.neg ? -1 : 1) * (dt.whole * 1000LL + dt.th) + c * 1000LL;
        char b[64];
        std::snprintf(b, sizeof b, "%s%lld.%03lld", milli < 0 ? "-" : "", std::llabs(milli) / 1000,
                      std::llabs(milli) % 1000);
        const double xc = std::strtod(b, nullptr);
        const std::string t0 = best_text_in(x, width), tc = best_text_in(xc, width);
        SCOPED_TRACE(xt + " + " + std::to_string(c) + " width " + std::to_string(width) + ": " + t0 + " / " + tc);
        ASSERT_GE(decimals_of(t0), 0);
        // The decimals the doubles hold of x + c: 15 significant digits in all.
        const int integer = static_cast<int>(std::to_string(std::llabs(milli) / 1000).size());
        const int want = std::min(decimals_of(t0), std::max(0, 15 - integer));
        ASSERT_GE(decimals_of(tc), 0);
        EXPECT_TRUE(decimals_of(tc) >= want || reading(tc) == reading(fixed(xc, want)));
        EXPECT_LE(std::fabs(reading(tc) - xc), 0.5 * std::pow(10.0, -std::max(decimals_of(tc), 0)) * (1 + 1e-9));
        // Less c (below 2^53 the moved doubles hold three decimals), the text reads the
        // text as read.
        if (c < 1000000000000000L) {
          // tc in units of its last decimal, less c, as a decimal text.
          const int dc = decimals_of(tc);
          std::string digits = tc;
          digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
          long long unit = 1;
          for (int i = 0; i < dc; ++i) unit *= 10;
          const long long units = std::atoll(digits.c_str()) - c * unit;
          char bb[64];
          std::snprintf(bb, sizeof bb, "%s%lld.%0*lld", units < 0 ? "-" : "", std::llabs(units) / unit, dc,
                        std::llabs(units) % unit);
          const std::string back = bb;
          EXPECT_EQ(fixed(reading(back), decimals_of(t0)), fixed(reading(t0), decimals_of(t0))) << back;
        }
      }
}

TEST(ListingOffsetDigits, ScaledValuesReadWithTheDigitsShownAsRead) {
  for (const int width : {8, 12})
    for (const int scale : {-6, 6, 20})  // 1e-6, 1e6, 2^20
      for (unsigned k = 0; k < 1500; ++k) {
        const datum dt = data_value(k);
        const std::string& xt = dt.text;
        const double x = dt.x;
        if (x == 0) continue;
        const double xk = scale == 20 ? std::ldexp(x, 20) : std::strtod((xt + "e" + std::to_string(scale)).c_str(), nullptr);
        const std::string t0 = best_text_in(x, width), tk = best_text_in(xk, width);
        SCOPED_TRACE(xt + " scale " + std::to_string(scale) + " width " + std::to_string(width) + ": " + t0 + " / " + tk);
        // As many significant digits as read (its dropped zeros counted: it reads x
        // rounded there), where the width shows them of a value near 1.
        int d = digits_of(t0);
        if (decimals_of(t0) >= 0) d = std::max(d, digits_of(fixed(x, decimals_of(t0))));
        const int want = std::min(d, width - 1);
        char r[64];
        std::snprintf(r, sizeof r, "%.*e", want - 1, xk);
        EXPECT_TRUE(digits_of(tk) >= want || reading(tk) == reading(r));
        // Scaled by a power of 10, the digits are those of x (where x has no more: a
        // decimal tie past them is rounded as each double lies).
        if (scale != 20 && digits_of(fixed(x, 3)) - (dt.th % 10 == 0) - (dt.th % 100 == 0) - (dt.th % 1000 == 0) <= want) {
          EXPECT_EQ(mantissa(reading(tk), want), mantissa(x, want));
        }
      }
}

}  // namespace
