// The pieces template axes and texts are made of: nice and padded scales (round steps,
// exact decimals, no NaN from values that are not finite), texts cut with an ellipsis
// (the longest prefix that fits, found without measuring every prefix), tick texts
// thinned so that none come closer than a character, and legends that keep the plot
// its half of the page.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <iomanip>
#include <string>
#include <vector>

#include "host/exact_decimal.h"

#include "graph/template_canvas.h"
#include "graph/template_parts.h"
#include "host/kes_tick_text.h"

namespace {

using namespace plat::graph;

TEST(TemplateScale, NiceScalesStepByOneTwoOrFiveAndLandOnExactDecimals) {
  struct row {
    double lo, hi;
    std::vector<double> ticks;
  };
  // Worked by hand: the raw step (hi - lo) / 5 is rounded on a log scale to 1, 2 or 5
  // times a power of ten, and the ends widened to multiples of it.
  const row rows[] = {
      {2.0, 7.3, {2, 3, 4, 5, 6, 7, 8}},           // raw 1.06 -> 1
      {0, 34.4, {0, 5, 10, 15, 20, 25, 30, 35}},    // raw 6.88 -> 5
      {0.1, 0.7, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7}},  // raw 0.12 -> 0.1; 0.3 exactly the double of "0.3"
      {-1, 1, {-1, -0.5, 0, 0.5, 1}},              // raw 0.4 -> 0.5 (0.4 / 0.1 = 4 > sqrt 10)
      {0, 100, {0, 20, 40, 60, 80, 100}},           // raw 20 -> 20
      {1e-7, 5e-7, {1e-7, 2e-7, 3e-7, 4e-7, 5e-7}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(std::to_string(r.lo) + " " + std::to_string(r.hi));
    const scale s = nice_scale(r.lo, r.hi, 5);
    ASSERT_EQ(s.ticks.size(), r.ticks.size());
    for (std::size_t i = 0; i < r.ticks.size(); ++i) EXPECT_EQ(s.ticks[i], r.ticks[i]) << i;
    EXPECT_EQ(s.lo, r.ticks.front());
    EXPECT_EQ(s.hi, r.ticks.back());
  }
}

// Every tick of a nice scale is strtod of its decimal k x step, over offsets 0, 1e6,
// 1.7e9, 1e15 and 1e306 and their negatives, spreads from 1e-9 to 1e13 (at 1e15 by
// 0.5, k x 5 passes the doubles' integers). The decimal is read off the tick count
// from the first tick, apart from the scale's arithmetic.
TEST(TemplateScale, EveryTickIsTheDoubleNearestItsDecimal) {
  int checked = 0;
  for (const double offset : {0.0, 1e6, 1.7e9, 1e15, 1e306, -1e6, -1.7e9, -1e15, -1e306})
    for (double spread = 1e-9; spread < 1e14; spread *= 3.3) {
      const double lo = offset + 0.31 * spread, hi = offset + 1.31 * spread;
      if (!(hi > lo)) continue;
      const scale s = nice_scale(lo, hi, 5);
      if (s.ticks.size() < 3) continue;
      // The step u x 10^q: the mean gap (off by at most a quarter step over the
      // ticks' count) taken to the nearest of 1, 2, 5 and 10 times its power of ten.
      const double gap = (s.ticks.back() - s.ticks.front()) / static_cast<double>(s.ticks.size() - 1);
      int q = static_cast<int>(std::floor(std::log10(gap)));
      const double r = gap / std::pow(10.0, q);
      long long u = 10;
      for (const long long c : {1LL, 2LL, 5LL, 10LL})
        if (std::fabs(r - static_cast<double>(c)) < std::fabs(r - static_cast<double>(u))) u = c;
      if (u == 10) u = 1, ++q;
      const long long k0 = std::llround(s.ticks[0] / kes_test_decimal::nearest(u, q));
      for (std::size_t i = 0; i < s.ticks.size(); ++i) {
        const __int128 m = static_cast<__int128>(k0 + static_cast<long long>(i)) * u;
        ASSERT_EQ(s.ticks[i], kes_test_decimal::nearest(m, q)) << lo << " " << hi << " tick " << i;
        ++checked;
      }
    }
  EXPECT_GT(checked, 400);
}

TEST(TemplateScale, ValuesThatAreNotFiniteGiveAFiniteScale) {
  const double inf = INFINITY, nan = NAN;
  const double ends[][2] = {{-inf, 3}, {nan, nan}, {0, inf}, {-inf, inf}, {5, 5}, {1e308, -1e308}};
  for (const auto& e : ends) {
    for (const scale& s : {nice_scale(e[0], e[1]), padded_scale(e[0], e[1])}) {
      ASSERT_FALSE(s.ticks.empty());
      for (double t : s.ticks) EXPECT_TRUE(std::isfinite(t)) << e[0] << " " << e[1];
      EXPECT_TRUE(std::isfinite(s.lo) && std::isfinite(s.hi) && s.hi > s.lo) << e[0] << " " << e[1];
    }
  }
}

TEST(TemplateScale, PaddedScaleReachesFourPercentPastTheDataWithTicksInside) {
  // Data 1 to 4: range 3, pad 0.12 each side.
  const scale s = padded_scale(1, 4);
  EXPECT_DOUBLE_EQ(s.lo, 0.88);
  EXPECT_DOUBLE_EQ(s.hi, 4.12);
  EXPECT_EQ(s.ticks, (std::vector<double>{1, 1.5, 2, 2.5, 3, 3.5, 4}));
  // One value: a pad of a tenth of it each side.
  const scale one = padded_scale(10, 10);
  EXPECT_DOUBLE_EQ(one.lo, 9);
  EXPECT_DOUBLE_EQ(one.hi, 11);
}

// The rule a tick value keeps: its text, read back, lies within half a step of the
// tick, and no two neighbouring texts read alike. Over ranges a few units of rounding
// wide at everyday offsets (the logarithm of 1e15, Unix seconds, 1e9, 1e15 plus
// integers) and near the ends of the doubles, the ticks are distinct, rising values
// (at least the two ends of a padded range) whose texts hold the rule.
TEST(TemplateScale, RangesAFewDoublesWideKeepDistinctTicksWithTrueTexts) {
  const double centres[] = {std::log(1e15), std::log(1e9), 20.723265836946411, 1733650000.204, 1e9, 1e15, 1.5e308,
                            -1.3668e308, 1e-8, 1e-310, 0.75};
  const double ulps[] = {1, 2, 3, 4, 6, 9, 17, 40, 150};
  for (double c : centres)
    for (double n : ulps) {
      double lo = c, hi = c;
      for (int i = 0; i < n; ++i) (i % 2 ? lo : hi) = std::nextafter(i % 2 ? lo : hi, i % 2 ? -INFINITY : INFINITY);
      for (const bool padded : {false, true}) {
        SCOPED_TRACE(testing::Message() << std::setprecision(17) << lo << " " << hi << (padded ? " padded" : ""));
        const scale s = padded ? padded_scale(lo, hi) : nice_scale(lo, hi);
        ASSERT_GE(s.ticks.size(), 2u);
        for (std::size_t i = 1; i < s.ticks.size(); ++i) EXPECT_LT(s.ticks[i - 1], s.ticks[i]);
        // A nice scale reaches its ticks (each the double nearest its decimal, which
        // may lie a unit of rounding inside an end); a padded one holds them.
        if (padded) {  // within a billionth of the range, as the axes place their ticks
          EXPECT_LE(s.lo - 1e-9 * (s.hi - s.lo), s.ticks.front());
          EXPECT_GE(s.hi + 1e-9 * (s.hi - s.lo), s.ticks.back());
        } else {
          EXPECT_LE(s.ticks.front(), std::nextafter(lo, INFINITY));
          EXPECT_GE(s.ticks.back(), std::nextafter(hi, -INFINITY));
        }
        // A nice tick that is the double nearest a short decimal reads it; one the
        // doubles round off its decimal (ticks a few doubles apart, subnormal ones)
        // reads its decimal, nearer to it than to its neighbours.
        const std::vector<std::string> t = tick_texts(s.ticks);
        for (std::size_t i = 0; i < t.size(); ++i) {
          if (kes_is_short(kes_shortest_decimal(s.ticks[i])) && std::fabs(s.ticks[i]) >= DBL_MIN) {
            EXPECT_EQ(kes_tick_read_back(t[i]), s.ticks[i]) << testing::PrintToString(t);
          } else {
            const double gap = std::fabs(s.ticks[i > 0 ? i : 1] - s.ticks[i > 0 ? i - 1 : 0]);
            EXPECT_LE(std::fabs(kes_tick_read_back(t[i]) - s.ticks[i]), gap / 2) << testing::PrintToString(t);
          }
        }
      }
    }
}

// The reference cut: the longest prefix (whole characters) that fits with the ellipsis,
// searched one character at a time.
std::string slow_fit(const std::string& s, const text_style& t, double width) {
  if (text_advance(s, t) <= width) return s;
  std::string best;
  for (std::size_t i = 1; i <= s.size(); ++i) {
    if (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
    const std::string cut = s.substr(0, i) + "\xE2\x80\xA6";
    if (text_advance(cut, t) <= width) best = cut;
  }
  if (best.empty() && text_advance("\xE2\x80\xA6", t) <= width) best = "\xE2\x80\xA6";
  return best;
}

TEST(TemplateScale, FitTextKeepsTheLongestPrefixThatFitsAtACharacterBoundary) {
  text_style t;
  t.size = 11;
  const std::string texts[] = {"Treatment = a long level name", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC 12 \xC3\xA5r", "W",
                               std::string(300, 'm')};
  for (const std::string& s : texts)
    for (double width : {0.0, 5.0, 12.0, 30.0, 61.5, 100.0, 400.0}) {
      const std::string got = fit_text(s, t, width);
      EXPECT_EQ(got, slow_fit(s, t, width)) << s << " in " << width;
      if (!got.empty()) {
        EXPECT_LE(text_advance(got, t), width);
      }
    }
  // A level of 32,767 characters is cut without measuring every prefix: the result is
  // the same as the one-by-one search on a shorter text of the same letters would give.
  const std::string huge(32767, 'x');
  const std::string cut = fit_text(huge, t, 100);
  EXPECT_EQ(cut, slow_fit(std::string(200, 'x'), t, 100));
}

// A canvas that keeps the texts drawn.
class text_canvas : public canvas {
 public:
  struct text_at {
    double x, y;
    std::string s;
  };
  std::vector<text_at> texts;
  void begin(double, double, const std::string&, const std::string&) override {}
  void rect(double, double, double, double, const paint&) override {}
  void line(double, double, double, double, const paint&) override {}
  void polyline(const std::vector<point>&, const paint&) override {}
  void polygon(const std::vector<point>&, const paint&) override {}
  void text(double x, double y, const std::string& s, const text_style&) override { texts.push_back({x, y, s}); }
  void clip_begin(double, double, double, double) override {}
  void clip_end() override {}
  void end() override {}
};

TEST(TemplateScale, TickTextsAreThinnedToEveryKthAndKeepACharacterApart) {
  text_style t;
  t.size = kTickSize;
  struct row {
    double width;       // of the frame, px
    int ticks;          // 0, 1, 2 ... ticks-1
    std::size_t shown;  // texts drawn
  };
  // "10".."39": 14 px a text, a character 7 px: 30 ticks need 21 px each to show all
  // (700 px: 23.3); at 300 px (10 a tick) every third shows, at 100 px every seventh.
  const row rows[] = {{700, 30, 30}, {300, 30, 10}, {100, 30, 5}};
  for (const row& r : rows) {
    frame f;
    f.x = 50, f.y = 10, f.w = r.width, f.h = 100;
    f.xlo = -0.5, f.xhi = r.ticks - 0.5;
    std::vector<double> ticks;
    std::vector<std::string> texts;
    for (int i = 0; i < r.ticks; ++i) ticks.push_back(i), texts.push_back(std::to_string(10 + i));
    text_canvas c;
    draw_x_axis(c, f, ticks, texts, true, true);
    EXPECT_EQ(c.texts.size(), r.shown) << r.width;
    for (std::size_t i = 1; i < c.texts.size(); ++i) {
      const double gap = (c.texts[i].x - text_advance(c.texts[i].s, t) / 2) -
                         (c.texts[i - 1].x + text_advance(c.texts[i - 1].s, t) / 2);
      EXPECT_GE(gap, tick_text_room() - 1e-9) << r.width;
    }
    // Every k-th: equal steps between the texts shown.
    for (std::size_t i = 2; i < c.texts.size(); ++i)
      EXPECT_NEAR(c.texts[i].x - c.texts[i - 1].x, c.texts[1].x - c.texts[0].x, 1e-9);
  }
}

// A page passes one scratch to the axes of all its cells: what an axis finds there of
// the axis drawn before it (more ticks, other extents, texts shown) changes nothing.
TEST(TemplateScale, AnAxisDrawnWithAPageScratchIgnoresTheAxisBeforeIt) {
  frame wide;
  wide.x = 50, wide.y = 10, wide.w = 700, wide.h = 100;
  wide.xlo = -0.5, wide.xhi = 29.5;
  std::vector<double> many;
  std::vector<std::string> many_texts;
  for (int i = 0; i < 30; ++i) many.push_back(i), many_texts.push_back(std::to_string(100 + i));
  frame narrow = wide;
  narrow.w = 120, narrow.xhi = 4.5;
  const std::vector<double> few = {0, 1, 2, 3, 4};
  const std::vector<std::string> few_texts = {"0", "1", "2", "3", "4"};
  text_canvas alone, after;
  draw_x_axis(alone, narrow, few, few_texts, true, true);
  axis_scratch page;
  draw_x_axis(after, wide, many, many_texts, true, true, INFINITY, INFINITY, page);
  draw_y_axis(after, wide, many, many_texts, true, true, page);
  after.texts.clear();
  draw_x_axis(after, narrow, few, few_texts, true, true, INFINITY, INFINITY, page);
  ASSERT_EQ(after.texts.size(), alone.texts.size());
  for (std::size_t i = 0; i < alone.texts.size(); ++i) {
    EXPECT_EQ(after.texts[i].s, alone.texts[i].s);
    EXPECT_EQ(after.texts[i].x, alone.texts[i].x);
  }
  text_canvas y_alone, y_after;
  draw_y_axis(y_alone, narrow, few, few_texts, true, true);
  draw_y_axis(y_after, narrow, few, few_texts, true, true, page);
  ASSERT_EQ(y_after.texts.size(), y_alone.texts.size());
  for (std::size_t i = 0; i < y_alone.texts.size(); ++i) EXPECT_EQ(y_after.texts[i].y, y_alone.texts[i].y);
}

TEST(TemplateScale, ManyLegendEntriesTakeColumnsRatherThanThePlot) {
  std::vector<legend_entry> entries;
  for (int i = 0; i < 13; ++i) entries.push_back({"Normal(Mu=" + std::to_string(40 + i) + " Sigma=12.345678)", {}, false});
  const double natural = legend_height("Fitted Distributions", entries, 616);
  const double bounded = legend_height("Fitted Distributions", entries, 616, 100);
  EXPECT_LE(bounded, 100);
  EXPECT_LE(bounded, natural);
  // Title row, rows of 16 px, 6 px of padding: an entry with its swatch and gap takes
  // over 205 px, two to a row of 616 px, 13 of them in 7 rows; within 100 px at most 4
  // rows, so 4 columns.
  EXPECT_EQ(natural, 16 + 7 * 16 + 6);
  EXPECT_EQ(bounded, 16 + 4 * 16 + 6);
}

}  // namespace
