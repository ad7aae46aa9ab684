// The panels of the line-printer plot page, on a page record of their own: leaves
// and their rounding, the "-0" line, the row test on line bounds, the box panel's
// outliers, normal scores of plotting positions, label spacing and weight per mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine_host.h"
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"
#include "stats/lp_page.h"
#include "value_list_builder.h"

namespace {

using kes_test::value_list;

// A page of L plot lines with stem scale S and K leaves per stem, split stems on.
struct page {
  std::vector<kes_lpline> buf[KES_LP_NPANELS];
  kes_lppage pg{};
  page(int L, double S, double K) {
    for (int p = 0; p < KES_LP_NPANELS; ++p) {
      buf[p].resize(L + 3);
      pg.lines[p] = buf[p].data();
    }
    pg.capacity = L + 3;
    pg.L = L;
    pg.scale = S;
    pg.K = K;
    pg.split = 1;
    kes_lp_blank(&pg, 0, L + 2);
  }
  std::string text(int panel, int line, int from, int n) const {
    return std::string(pg.lines[panel][line].text + from, static_cast<size_t>(n));
  }
};

using LinePlotPanels = kes_test::engine_host;

// Stem lines as printed (label and leaves), bottom line first, at stem scale 1; the
// count column and its '#' are the example goldens'.
TEST_F(LinePlotPanels, StemsAndLeaves) {
  struct row {
    const char* what;
    std::vector<double> xs;
    double K;
    std::vector<std::string> lines;
  };
  const row rows[] = {
      {"halves to the even leaf", {12.5, 13.49, 13.5, 13.51}, 10, {"      1 2344"}},
      {"negative halves", {-13.5, -12.5}, 10, {"     -1 42"}},
      {"a bound goes up", {10, 19.5, 20}, 10, {"      1 0", "      2 00"}},
      {"either side of zero", {-3, 5}, 10, {"     -0 3", "      0 5"}},
      {"two lines a stem", {11, 14.5, 16, 19}, 5, {"      1 14", "      1 69"}},
      {"two lines a stem, negative", {-17, -12, -3, 7}, 5,
       {"     -1 7", "     -1 2", "     -0", "     -0 3", "      0", "      0 7"}},
      {"two stems a line", {3, 17, 25}, 20, {"      0 37", "      2 5"}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    page p(8, 1, r.K);
    value_list v = value_list::of(r.xs);
    ASSERT_EQ(kesstem(&p.pg, v.view()), 0);
    ASSERT_EQ(p.pg.L, static_cast<int>(r.lines.size()));
    p.pg.w = 20;
    p.pg.g = kes_lp_spacing(p.pg.L);
    kesfmed(&p.pg, 1);
    for (int i = 1; i <= p.pg.L; ++i) {
      std::string t = p.text(KES_LP_STEM, i, 0, 20);
      EXPECT_EQ(t.substr(0, t.find_last_not_of(' ') + 1), r.lines[i - 1]) << i;
    }
  }
}

TEST_F(LinePlotPanels, MoreThanFortyEightLeavesOnALineAsksForBars) {
  page p(5, 1, 10);
  value_list v({{3, 49}, {27, 1}});
  EXPECT_EQ(kesstem(&p.pg, v.view()), 1);
  EXPECT_EQ(p.text(KES_LP_STEM, 1, 0, 20), std::string(20, ' '));  // blanked
  page q(5, 1, 10);
  value_list fits({{3, 48}, {27, 1}});
  EXPECT_EQ(kesstem(&q.pg, fits.view()), 0);
  std::string threes(48, '3');
  threes += ' ';
  EXPECT_EQ(q.text(KES_LP_STEM, 1, 8, 49), threes);
}

TEST_F(LinePlotPanels, RowTestOnTheBound) {
  struct row {
    int split;
    double K, a, b;
    int want;
  };
  const row rows[] = {
      {1, 10, 9.4, 9.5, 1},  {1, 10, 9.6, 9.5, 0},   {1, 10, 9.5, 9.5, 0},  {1, 10, -9.5, -9.5, 1},
      {1, 5, 4.5, 4.5, 1},   {1, 5, 9.5, 9.5, 0},    {1, 5, -4.5, -4.5, 0}, {1, 5, -0.5, -0.5, 1},
      {0, 10, 9.5, 9.5, 0},  {0, 10, -9.5, -9.5, 0}, {1, 20, 19.5, 19.5, 0},
  };
  for (const row& r : rows) {
    page p(3, 1, r.K);
    p.pg.split = r.split;
    EXPECT_EQ(kesrow(&p.pg, r.a, r.b), r.want) << r.split << " " << r.K << " " << r.a << " " << r.b;
  }
}

// Box panel lines 0..5 over the stems of `values` (scale 1, 10 leaves), with whisker
// ends, quartiles, median and mean as given.
std::vector<std::string> box_of(std::vector<double> values, const double (&q)[6]) {
  page p(8, 1, 10);
  value_list v = value_list::of(values);
  EXPECT_EQ(kesstem(&p.pg, v.view()), 0);
  kes_ctx ctx{};
  kes_stats st{};
  st.view = v.view();
  const int cells[5] = {KES_Q_WHISKER_LO, KES_Q_Q1, KES_Q_MEDIAN, KES_Q_Q3, KES_Q_WHISKER_HI};
  for (int i = 0; i < 5; ++i) st.qnt[cells[i]] = q[i];
  st.mom.v[KES_MOM_MEAN] = q[5];
  kesbox(&ctx, &p.pg, &st);
  std::vector<std::string> lines;
  for (int i = 0; i <= 5; ++i) lines.push_back(p.text(KES_LP_BOX, i, 0, 8));
  return lines;
}

TEST_F(LinePlotPanels, BoxWhiskersAndOutliers) {
  // Whiskers reach the lines of their ends; no mean mark when it is missing.
  const std::vector<std::string> plain = box_of({5, 15, 25, 35, 45}, {5, 15, 25, 35, 45, std::nan("")});
  EXPECT_EQ(plain, (std::vector<std::string>{"Box Plot", "    |   ", " +-----+", " *-----*", " +-----+", "    |   "}));
  // Quartiles 10 and 20: inner fences at -5 and 35, outer ones at -20 and 50. Q1,
  // median and mean share stem 1; 34.9 ends the whisker on stem 3, where 36 (past
  // 35) is '0'; 51 (past 50) is '*'.
  const std::vector<std::string> out = box_of({10, 15, 20, 34.9, 36, 51}, {10, 10, 15, 20, 34.9, 16});
  EXPECT_EQ(out, (std::vector<std::string>{"Box Plot", " *--+--*", " +-----+", "    0   ", "        ", "    *   "}));
}

TEST_F(LinePlotPanels, BlomPositionsSpanColumnsOneToFiftyOne) {
  // N = 125: the lowest position is 0.625/125.25 < 0.005, the highest > 0.995.
  page p(3, 1, 10);
  p.buf[KES_LP_STEM][1].value = 1;
  p.buf[KES_LP_STEM][2].value = 2;
  p.buf[KES_LP_STEM][3].value = 3;
  value_list v({{1, 1}, {2, 123}, {3, 1}});
  kes_stats st{};
  st.view = v.view();
  st.mom.v[KES_MOM_N] = 125;
  st.mom.v[KES_MOM_MEAN] = 2;
  st.mom.v[KES_MOM_STD] = 100;  // the reference line crosses only row 2, at column 26
  kesprb(&p.pg, &st);
  auto plot = [&](int line) { return p.text(KES_LP_NORMAL, line, 9, KES_LP_NORMCOLS); };
  EXPECT_EQ(plot(1).find_first_not_of(' '), 0u);   // column 1, position 9
  EXPECT_EQ(plot(1).find_last_not_of(' '), 0u);
  EXPECT_EQ(plot(3).find_first_not_of(' '), 50u);  // column 51, position 59
  // The tie of 123 reaches from column 4 (rank 2) to column 48 (rank 124).
  const std::string tie = plot(2);
  EXPECT_EQ(tie.find('*'), 3u);
  EXPECT_EQ(tie.rfind('*'), 47u);
  EXPECT_GT(std::count(tie.begin(), tie.end(), '*'), 20);
}

TEST_F(LinePlotPanels, LabelSpacing) {
  const int rows[][2] = {{15, 7}, {16, 3}, {11, 5}, {6, 5}, {2, 1}, {27, 13}, {10, 3}};
  for (const auto& r : rows) EXPECT_EQ(kes_lp_spacing(r[0]), r[1]) << r[0];
}

TEST_F(LinePlotPanels, WeightPerMarkIsARoundValueNearOneFortyFifth) {
  const double rows[][2] = {{90, 2}, {4500, 100}, {1000, 50}, {9, 0.2}, {1, 0.05}, {450, 10}, {20, 0.5}, {2.5, 0.1}};
  for (const auto& r : rows) {
    page p(3, 1, 10);
    p.pg.split = 0;
    p.pg.weighted = 1;
    p.pg.largest = r[0];
    kes_lp_marks(&p.pg);
    EXPECT_DOUBLE_EQ(p.pg.per_mark, r[1]) << r[0];
    EXPECT_LE(p.pg.marks, 50) << r[0];
  }
}

}  // namespace
