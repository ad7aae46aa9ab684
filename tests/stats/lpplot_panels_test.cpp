// The panels of the line-printer plot page, on a page record of their own: leaves
// and their rounding, the "-0" line, the row test on line bounds, the box panel's
// outliers, normal scores of plotting positions, label spacing and weight per mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "driver/kes_ctx.h"
#include "engine_host.h"
#include "stats/kes_stats.h"
#include "stats/lp_page.h"
#include "value_list_builder.h"

namespace {

using kes_test::obs;
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
  const kes_lpline& stem(int i) const { return pg.lines[KES_LP_STEM][i]; }
};

using LinePlotPanels = kes_test::engine_host;

TEST_F(LinePlotPanels, LeavesRoundHalvesToTheEvenDigit) {
  struct row {
    double x;
    double stem;
    char leaf;
  };
  const row rows[] = {
      {12.5, 1, '2'},   {13.5, 1, '4'},  {13.49, 1, '3'}, {13.51, 1, '4'},
      {-12.5, -1, '2'}, {-13.5, -1, '4'}, {20, 2, '0'},    {10, 1, '0'},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.x);
    page p(5, 1, 10);
    value_list v = value_list::of({r.x});
    ASSERT_EQ(kesstem(&p.pg, v.head()), 0);
    ASSERT_EQ(p.pg.L, 1);
    EXPECT_EQ(p.stem(1).stem, r.stem);
    EXPECT_EQ(p.text(KES_LP_STEM, 1, 8, 2), std::string(1, r.leaf) + " ");
  }
}

TEST_F(LinePlotPanels, ValuesEitherSideOfZeroGetAMinusZeroAndAZeroLine) {
  page p(5, 1, 10);
  value_list v = value_list::of({-3, 5});
  ASSERT_EQ(kesstem(&p.pg, v.head()), 0);
  ASSERT_EQ(p.pg.L, 2);
  EXPECT_EQ(p.pg.nminus0, 1);
  EXPECT_EQ(p.text(KES_LP_STEM, 1, 8, 2), "3 ");
  EXPECT_EQ(p.text(KES_LP_STEM, 2, 8, 2), "5 ");
  p.pg.w = 20;
  p.pg.g = kes_lp_spacing(2);
  kesfmed(&p.pg, 1);
  EXPECT_EQ(p.text(KES_LP_STEM, 1, 0, 8), "     -0 ");
  EXPECT_EQ(p.text(KES_LP_STEM, 2, 0, 8), "      0 ");
  // Counts at w + 8 in six columns, the '#' over them.
  EXPECT_EQ(p.text(KES_LP_STEM, 1, 28, 6), "     1");
  EXPECT_EQ(p.pg.lines[KES_LP_STEM][0].text[33], '#');
}

TEST_F(LinePlotPanels, MoreThanFortyEightLeavesOnALineAsksForBars) {
  page p(5, 1, 10);
  value_list v({{3, 49}, {27, 1}});
  EXPECT_EQ(kesstem(&p.pg, v.head()), 1);
  EXPECT_EQ(p.text(KES_LP_STEM, 1, 0, 20), std::string(20, ' '));  // blanked
  page q(5, 1, 10);
  value_list fits({{3, 48}, {27, 1}});
  EXPECT_EQ(kesstem(&q.pg, fits.head()), 0);
  EXPECT_EQ(q.text(KES_LP_STEM, 1, 8, 49), std::string(48, '3') + " ");
}

TEST_F(LinePlotPanels, ValuesBeyondTheLinesAskForAnotherScale) {
  page p(2, 1, 10);
  value_list v = value_list::of({1, 15, 25});
  EXPECT_EQ(kesstem(&p.pg, v.head()), 2);
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

TEST_F(LinePlotPanels, FivesSplitAStemIntoTwoLines) {
  page p(5, 1, 5);
  value_list v = value_list::of({11, 14.5, 16, 19});
  ASSERT_EQ(kesstem(&p.pg, v.head()), 0);
  ASSERT_EQ(p.pg.L, 2);
  EXPECT_EQ(p.stem(1).stem, 1);
  EXPECT_EQ(p.stem(2).stem, 1);
  EXPECT_EQ(p.text(KES_LP_STEM, 1, 8, 3), "14 ");  // 14.5 rounds to the even 4
  EXPECT_EQ(p.text(KES_LP_STEM, 2, 8, 3), "69 ");  // leaves of the stem, not offsets
  page n(8, 1, 5);
  value_list neg = value_list::of({-17, -12, -3, 7});
  ASSERT_EQ(kesstem(&n.pg, neg.head()), 0);
  // Stems -1 (15..19, 10..14), -0 (5..9, 0..4), 0 (0..4, 5..9).
  ASSERT_EQ(n.pg.L, 6);
  EXPECT_EQ(n.text(KES_LP_STEM, 1, 8, 2), "7 ");
  EXPECT_EQ(n.text(KES_LP_STEM, 2, 8, 2), "2 ");
  EXPECT_EQ(n.text(KES_LP_STEM, 4, 8, 2), "3 ");
  EXPECT_EQ(n.text(KES_LP_STEM, 6, 8, 2), "7 ");
  EXPECT_EQ(n.pg.nminus0, 2);
}

// Quartiles 10 and 20: inner fences at -5 and 35, outer ones at -20 and 50.
TEST_F(LinePlotPanels, OutliersAreZeroPastOneAndAHalfAndStarPastThreeRanges) {
  page p(8, 1, 10);
  value_list v = value_list::of({10, 15, 20, 34.9, 36, 51});
  ASSERT_EQ(kesstem(&p.pg, v.head()), 0);
  kes_ctx ctx{};
  kes_stats st{};
  st.head = v.head();
  st.qnt[KES_Q_Q1] = 10;
  st.qnt[KES_Q_Q3] = 20;
  st.qnt[KES_Q_MEDIAN] = 15;
  st.qnt[KES_Q_WHISKER_LO] = 10;
  st.qnt[KES_Q_WHISKER_HI] = 34.9;
  st.mom.v[KES_MOM_MEAN] = 16;
  kesbox(&ctx, &p.pg, &st);
  ASSERT_EQ(p.pg.L, 5);  // stems 1 to 5
  auto box = [&](int line) { return p.text(KES_LP_BOX, line, 0, 8); };
  EXPECT_EQ(box(0), "Box Plot");
  EXPECT_EQ(box(1), " *--+--*");  // Q1 10, median 15 and mean 16 share stem 1
  EXPECT_EQ(box(2), " +-----+");  // Q3 20
  EXPECT_EQ(box(3), "    0   ");  // 34.9 ends the whisker on stem 3; 36 (past 35) is on it
  EXPECT_EQ(box(4), "        ");
  EXPECT_EQ(box(5), "    *   ");  // 51 is past 50
}

TEST_F(LinePlotPanels, WhiskersReachTheLinesOfTheirEnds) {
  page p(8, 1, 10);
  value_list v = value_list::of({5, 15, 25, 35, 45});
  ASSERT_EQ(kesstem(&p.pg, v.head()), 0);
  kes_ctx ctx{};
  kes_stats st{};
  st.head = v.head();
  st.qnt[KES_Q_WHISKER_LO] = 5;
  st.qnt[KES_Q_Q1] = 15;
  st.qnt[KES_Q_MEDIAN] = 25;
  st.qnt[KES_Q_Q3] = 35;
  st.qnt[KES_Q_WHISKER_HI] = 45;
  st.mom.v[KES_MOM_MEAN] = std::nan("");
  kesbox(&ctx, &p.pg, &st);
  const char* want[] = {"Box Plot", "    |   ", " +-----+", " *-----*", " +-----+", "    |   "};
  for (int i = 0; i <= 5; ++i) EXPECT_EQ(p.text(KES_LP_BOX, i, 0, 8), want[i]) << i;
}

TEST_F(LinePlotPanels, BlomPositionsSpanColumnsOneToFiftyOne) {
  // N = 125: the lowest position is 0.625/125.25 < 0.005, the highest > 0.995.
  page p(3, 1, 10);
  p.buf[KES_LP_STEM][1].value = 1;
  p.buf[KES_LP_STEM][2].value = 2;
  p.buf[KES_LP_STEM][3].value = 3;
  value_list v({{1, 1}, {2, 123}, {3, 1}});
  kes_stats st{};
  st.head = v.head();
  st.mom.v[KES_MOM_N] = 125;
  st.mom.v[KES_MOM_MEAN] = 2;
  st.mom.v[KES_MOM_STD] = 100;  // keeps the reference line off the plot's rows
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
  EXPECT_EQ(p.pg.panel[KES_LP_NORMAL].width, 60);
  EXPECT_EQ(p.pg.panel[KES_LP_NORMAL].height, 5);
}

TEST_F(LinePlotPanels, ReferenceLineFollowsMeanAndStandardDeviation) {
  // Rows 1..5 stand for 0..4; mean 2, sd 1: z = -2..+2 over rows 0..4.
  page p(5, 1, 10);
  for (int i = 1; i <= 5; ++i) p.buf[KES_LP_STEM][i].value = i - 1;
  kes_stats st{};
  st.mom.v[KES_MOM_N] = 1;
  st.mom.v[KES_MOM_MEAN] = 2;
  st.mom.v[KES_MOM_STD] = 1;
  kesprb(&p.pg, &st);
  // Column k + 1 has y = 2 + (k - 25)/10 on row trunc(1.5 + y): column 26 (z = 0)
  // on row 3, column 1 (y = -0.5) on row 1, column 51 (y = 4.5) on row 6, off the plot.
  auto at = [&](int row, int col) { return p.pg.lines[KES_LP_NORMAL][row].text[8 + col]; };
  EXPECT_EQ(at(3, 26), '+');
  EXPECT_EQ(at(1, 1), '+');
  EXPECT_EQ(at(5, 50), '+');
  EXPECT_EQ(at(5, 51), ' ');
  EXPECT_EQ(at(2, 26), ' ');
  int len = 0;
  kes_lp_msg(53, &len);
  EXPECT_EQ(p.text(KES_LP_NORMAL, 0, 9 + (51 - len) / 2, 6), "Normal");
}

TEST_F(LinePlotPanels, LabelSpacing) {
  const int rows[][2] = {{15, 7}, {16, 3}, {11, 5}, {6, 5}, {2, 1}, {27, 13}, {10, 3}};
  for (const auto& r : rows) EXPECT_EQ(kes_lp_spacing(r[0]), r[1]) << r[0];
}

TEST_F(LinePlotPanels, WeightPerMarkIsARoundValueNearOneFortyFifth) {
  const double rows[][2] = {{90, 2}, {4500, 100}, {1000, 50}, {9, 0.2}, {1, 0.05}, {450, 10}, {20, 0.5}};
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

TEST_F(LinePlotPanels, WeightedBarsAddSumsOfWeights) {
  page p(5, 1, 10);
  value_list v({{1, 1, 2.5}, {2, 2, 0.25}, {14, 1, 4}}, true);
  ASSERT_EQ(keswbar(&p.pg, v.head()), 0);
  EXPECT_EQ(p.pg.split, 0);
  ASSERT_EQ(p.pg.L, 2);
  EXPECT_DOUBLE_EQ(p.stem(1).total, 3.0);
  EXPECT_DOUBLE_EQ(p.stem(2).total, 4.0);
  EXPECT_DOUBLE_EQ(p.pg.largest, 4.0);
  // Bars of count lines cut values at the stem: the bound is 10 above the stem.
  EXPECT_DOUBLE_EQ(p.stem(1).upper, 10.0);
}

}  // namespace
