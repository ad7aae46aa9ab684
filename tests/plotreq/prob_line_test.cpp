// The reference line from given options (kesline) and the family callbacks of QQ and
// probability plots: given, partly given and estimated parameters, the shape-value
// graph counts, the notes of fits that fail, ROTATE and the two-parameter Weibull.
// Reference values: R 4.x (mean, sd, closed-form maximum-likelihood scales, uniroot on
// the Weibull shape equation), quoted beside each value.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "kes_gram_names.h"
#include "plotreq/kes_probfns.h"
#include "plotreq/plot_requests.h"
#include "plotreq/prob_fixture.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"

namespace kes_test {
namespace {

const double kE = std::exp(1.0);

class prob_line : public prob_fixture {};

// kesline on one cell with the request's family set as its driver sets it.
struct line_case {
  const char* what;
  int type;
  int dist;
  std::vector<std::pair<int, double>> lists;   // slot, first value (a one-value list)
  std::vector<std::pair<int, double>> singles; // slot, single number
  int islot, sslot, aslot;
  bool noline;
  int line;
  double intercept, slope;
};

TEST_F(prob_line, GivenValuesSetTheLineOfTheCell) {
  const line_case cases[] = {
      {"normal MU=10 SIGMA=2", KES_PLOT_QQ, 0, {{187, 10}, {142, 2}}, {}, 187, 142, 0, false, 1, 10, 2},
      {"lognormal THETA=0 ZETA=0: slope exp(0)", KES_PLOT_QQ, 1, {{188, 0}, {189, 0}}, {}, 188, 189, 60, false, 1, 0, 1},
      {"lognormal THETA=1 SLOPE=3 without ZETA", KES_PLOT_QQ, 1, {{188, 1}, {60, 3}}, {}, 188, 189, 60, false, 1, 1, 3},
      {"lognormal SLOPE=3 beside ZETA=0: SLOPE= wins", KES_PLOT_QQ, 1, {{188, 1}, {189, 0}, {60, 3}}, {}, 188, 189, 60, false, 1, 1, 3},
      {"normal MU= alone: no line", KES_PLOT_QQ, 0, {{187, 10}}, {}, 187, 142, 0, false, 0, NAN, NAN},
      {"WEIBULL2 SIGMA=e C=2", KES_PLOT_PROB, 8, {}, {{88, kE}, {89, 2}}, 86, 88, 95, false, 1, 1, 0.5},
      {"WEIBULL2 SIGMA=e SLOPE=0.25", KES_PLOT_QQ, 8, {}, {{88, kE}, {95, 0.25}}, 86, 88, 95, false, 1, 1, 0.25},
      // Probability plots draw the line of SLOPE= too (the statement pass says so).
      {"PROBPLOT WEIBULL2 SIGMA=e SLOPE=0.25", KES_PLOT_PROB, 8, {}, {{88, kE}, {95, 0.25}}, 86, 88, 95, false, 1, 1, 0.25},
      {"PROBPLOT lognormal THETA=1 SLOPE=3", KES_PLOT_PROB, 1, {{188, 1}, {60, 3}}, {}, 188, 189, 60, false, 1, 1, 3},
      {"WEIBULL2 without SIGMA", KES_PLOT_QQ, 8, {}, {{89, 2}}, 86, 88, 95, false, 0, NAN, NAN},
      {"PPPLOT with nothing given", KES_PLOT_PP, 0, {}, {}, 187, 142, 0, false, 1, NAN, NAN},
      {"PPPLOT NOLINE with values", KES_PLOT_PP, 0, {{187, 1}, {142, 2}}, {}, 187, 142, 0, true, 0, 1, 2},
  };
  for (const line_case& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    kind(c.type, "QQPLOT");
    req.dist = c.dist;
    for (auto [slot, v] : c.lists) stmt.list(slot, {v});
    for (auto [slot, v] : c.singles) stmt.num(slot, v, true);
    if (c.noline) stmt.flag(KES_PLOT_FLAG_NOLINE);
    kes_plotslot s{};
    s.intercept = s.slope = NAN;
    kesline(ctx, &s, c.islot, c.sslot, c.aslot);
    EXPECT_EQ(static_cast<int>(s.line), c.line);
    EXPECT_EQ(req.line_wanted, c.line);
    if (!std::isnan(c.intercept)) {
      EXPECT_DOUBLE_EQ(s.intercept, c.intercept);
    }
    if (!std::isnan(c.slope)) {
      EXPECT_DOUBLE_EQ(s.slope, c.slope);
    }
  }
}

// One QQPLOT over the ten scores; the statement built by `options`.
struct family_case {
  const char* what;
  int flag;
  std::function<void(plot_test::node&)> options;
  int graphs;           // shape pairs drawn
  bool line;            // the key cell has a line
  double intercept, slope;
  std::string notes;    // keys of the notes, in order
};

const kes_param_slots& row(kes_param_row r) { return KES_PARAM_ROWS[r]; }

TEST_F(prob_line, FamiliesWithGivenPartlyGivenAndEstimatedParameters) {
  const family_case cases[] = {
      {"normal MU=10 SIGMA=2: given, nothing fitted", KES_PLOT_FLAG_NORMAL,
       [](plot_test::node& n) { n.param(row(KES_P_NORMAL_MU), {10}, {0}).param(row(KES_P_NORMAL_SIGMA), {2}, {0}); },
       1, true, 10, 2, ""},
      // R: mean(x) = 4.8, sd(x) = 1.5369522511198004.
      {"normal MU=EST SIGMA=EST", KES_PLOT_FLAG_NORMAL,
       [](plot_test::node& n) { n.param(row(KES_P_NORMAL_MU), {0}, {1}).param(row(KES_P_NORMAL_SIGMA), {0}, {1}); },
       1, true, 4.8, 1.5369522511198004, ""},
      {"normal without parameters: points only", KES_PLOT_FLAG_NORMAL, [](plot_test::node&) {}, 1, false, NAN, NAN, ""},
      {"normal MU=10 alone: no line", KES_PLOT_FLAG_NORMAL,
       [](plot_test::node& n) { n.param(row(KES_P_NORMAL_MU), {10}, {0}); }, 1, false, NAN, NAN, ""},
      // R: mean(x - 0) = 4.8, the exponential scale with the threshold given.
      {"exponential THETA=0 SIGMA=EST", KES_PLOT_FLAG_EXPONENTIAL,
       [](plot_test::node& n) {
         n.param(row(KES_P_EXPONENTIAL_THETA), {0}, {0}).param(row(KES_P_EXPONENTIAL_SIGMA), {0}, {1});
       },
       1, true, 0, 4.8, ""},
      {"lognormal SIGMA=0.5 THETA=0 ZETA=0", KES_PLOT_FLAG_LOGNORMAL,
       [](plot_test::node& n) {
         n.param(row(KES_P_LOGNORMAL_SIGMA), {0.5}, {0}).param(row(KES_P_LOGNORMAL_THETA), {0}, {0});
         n.param(row(KES_P_LOGNORMAL_ZETA), {0}, {0});
       },
       1, true, 0, 1, ""},
      {"lognormal SIGMA=0.5 0.7 1 THETA=1 SLOPE=3: one graph per sigma", KES_PLOT_FLAG_LOGNORMAL,
       [](plot_test::node& n) {
         n.param(row(KES_P_LOGNORMAL_SIGMA), {0.5, 0.7, 1}, {0, 0, 0}).param(row(KES_P_LOGNORMAL_THETA), {1}, {0});
         n.param(KES_PARAM_LOGNORMAL_SLOPE, {3}, {0});
       },
       3, true, 1, 3, ""},
      // R: sqrt(mean(x^2)) = 5.0165725351080095, the Weibull scale for c = 2, theta = 0.
      {"Weibull C=2 THETA=0 SIGMA=EST", KES_PLOT_FLAG_WEIBULL,
       [](plot_test::node& n) {
         n.param(row(KES_P_WEIBULL_C), {2}, {0}).param(row(KES_P_WEIBULL_THETA), {0}, {0});
         n.param(row(KES_P_WEIBULL_SIGMA), {0}, {1});
       },
       1, true, 0, 5.0165725351080095, ""},
      // R: mean(x) / 3 = 1.6, the gamma scale for alpha = 3, theta = 0.
      {"gamma ALPHA=3 THETA=0 SIGMA=EST", KES_PLOT_FLAG_GAMMA,
       [](plot_test::node& n) {
         n.param(row(KES_P_GAMMA_ALPHA), {3}, {0}).param(row(KES_P_GAMMA_THETA), {0}, {0});
         n.param(row(KES_P_GAMMA_SIGMA), {0}, {1});
       },
       1, true, 0, 1.6, ""},
      {"beta two ALPHA and three BETA values given: six graphs", KES_PLOT_FLAG_BETA,
       [](plot_test::node& n) {
         n.param(row(KES_P_BETA_ALPHA), {2, 3}, {0, 0}).param(row(KES_P_BETA_BETA), {2, 3, 4}, {0, 0, 0});
         n.param(row(KES_P_BETA_THETA), {0}, {0}).param(row(KES_P_BETA_SIGMA), {10}, {0});
       },
       6, true, 0, 10, ""},
      {"beta ALPHA=EST with two BETA values: one graph per BETA", KES_PLOT_FLAG_BETA,
       [](plot_test::node& n) {
         n.param(row(KES_P_BETA_ALPHA), {0}, {1}).param(row(KES_P_BETA_BETA), {2, 3}, {0, 0});
         n.param(row(KES_P_BETA_THETA), {0}, {0}).param(row(KES_P_BETA_SIGMA), {10}, {0});
       },
       2, true, NAN, NAN, ""},
      {"SU DELTA=1 GAMMA=0 given, location and scale given", KES_PLOT_FLAG_SU,
       [](plot_test::node& n) {
         n.param(row(KES_P_SU_DELTA), {1}, {0}).param(row(KES_P_SU_GAMMA), {0}, {0});
         n.param(row(KES_P_SU_THETA), {5}, {0}).param(row(KES_P_SU_SIGMA), {2}, {0});
       },
       1, true, 5, 2, ""},
      // The threshold lies above the smallest value: the fit fails in the only cell.
      {"lognormal THETA=10 with SIGMA=EST: no usable cell", KES_PLOT_FLAG_LOGNORMAL,
       [](plot_test::node& n) {
         n.param(row(KES_P_LOGNORMAL_SIGMA), {0}, {1}).param(row(KES_P_LOGNORMAL_THETA), {10}, {0});
         n.param(row(KES_P_LOGNORMAL_ZETA), {0}, {1});
       },
       0, false, NAN, NAN, "308/248 308/249 189/280 308/1408"},
      {"lognormal THETA=10 with SIGMA=0.5: points without a line", KES_PLOT_FLAG_LOGNORMAL,
       [](plot_test::node& n) {
         n.param(row(KES_P_LOGNORMAL_SIGMA), {0.5}, {0}).param(row(KES_P_LOGNORMAL_THETA), {10}, {0});
         n.param(row(KES_P_LOGNORMAL_ZETA), {0}, {1});
       },
       1, false, NAN, NAN, "308/248 308/249"},
  };
  for (const family_case& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    kind(KES_PLOT_QQ, "QQPLOT");
    stmt.flag(c.flag);
    c.options(stmt);
    data(kScores);
    const int rc = run(kesqini);
    EXPECT_EQ(notes(), c.notes);
    ASSERT_EQ(static_cast<int>(graphs.size()), c.graphs);
    EXPECT_EQ(rc, c.graphs > 0 ? 0 : 1008);
    if (c.graphs == 0) continue;
    const drawn_graph& g = graphs[0];
    EXPECT_EQ(static_cast<int>(g.key.line), c.line ? 1 : 0);
    EXPECT_EQ(g.line_wanted, c.line);
    EXPECT_EQ(g.key_curve.fitted, 1u);
    if (!std::isnan(c.intercept)) {
      EXPECT_NEAR(g.key.intercept, c.intercept, 1e-9 * (1 + std::fabs(c.intercept)));
    }
    if (!std::isnan(c.slope)) {
      EXPECT_NEAR(g.key.slope, c.slope, 1e-9 * c.slope);
    }
  }
}

TEST_F(prob_line, RotateTurnsRoundTheLineEachShapeValueFitted) {
  // Weibull C=1 2, THETA=1, SIGMA=EST: the second graph refits the scale with c = 2.
  // R: mean(x - 1) = 3.8 and sqrt(mean((x - 1)^2)) = 4.0701351328917816.
  for (const bool rotate : {false, true}) {
    SCOPED_TRACE(rotate ? "ROTATE" : "not rotated");
    restart();
    kind(KES_PLOT_QQ, "QQPLOT");
    stmt.flag(KES_PLOT_FLAG_WEIBULL);
    if (rotate) stmt.flag(KES_PLOT_FLAG_ROTATE);
    stmt.param(row(KES_P_WEIBULL_C), {1, 2}, {0, 0}).param(row(KES_P_WEIBULL_THETA), {1}, {0});
    stmt.param(row(KES_P_WEIBULL_SIGMA), {0}, {1});
    data(kScores);
    ASSERT_EQ(run(kesqini), 0);
    ASSERT_EQ(graphs.size(), 2u);
    const double sigma[2] = {3.8, 4.0701351328917816};
    for (int i = 0; i < 2; ++i) {
      const kes_plotslot& k = graphs[i].key;
      // data = 1 + sigma q; turned round: q = -1/sigma + (1/sigma) data.
      EXPECT_NEAR(k.slope, rotate ? 1 / sigma[i] : sigma[i], 1e-9);
      EXPECT_NEAR(k.intercept, rotate ? -1 / sigma[i] : 1, 1e-9);
    }
  }
}

TEST_F(prob_line, ComparativeCellsKeepTheirOwnLines) {
  class_vars(1);
  kind(KES_PLOT_QQ, "QQPLOT");
  stmt.flag(KES_PLOT_FLAG_NORMAL);
  stmt.param(row(KES_P_NORMAL_MU), {0}, {1}).param(row(KES_P_NORMAL_SIGMA), {0}, {1});
  data({1, 2, 3, 4}, "a");
  data({10, 20, 30}, "b");
  ASSERT_EQ(run(kesqini), 0);
  ASSERT_EQ(graphs.size(), 1u);
  // R: mean and sd of each cell.
  EXPECT_DOUBLE_EQ(graphs[0].cells[0].intercept, 2.5);
  EXPECT_NEAR(graphs[0].cells[0].slope, 1.2909944487358056, 1e-12);
  EXPECT_DOUBLE_EQ(graphs[0].cells[1].intercept, 20);
  EXPECT_DOUBLE_EQ(graphs[0].cells[1].slope, 10);
}

TEST_F(prob_line, EmptyKeyCellGivesWayToTheFirstFittedCell) {
  class_vars(1);
  kind(KES_PLOT_PROB, "PROBPLOT");
  kes_cell* a = data({3, 3, 3}, "a");  // no spread
  kes_cell* b = data(kScores, "b");
  ASSERT_EQ(cv.keycell, a);
  ASSERT_EQ(run(kespini), 0);
  EXPECT_EQ(notes(), "308/1397");
  ASSERT_EQ(graphs.size(), 1u);
  EXPECT_EQ(graphs[0].keycell, b);
  EXPECT_EQ(cv.keycell, a);  // restored after the request
}

// Two-parameter Weibull (code 8): log(value - threshold) against log(-log(1 - p)).
TEST_F(prob_line, TwoParameterWeibullFitsPerThreshold) {
  kind(KES_PLOT_PROB, "PROBPLOT");
  stmt.flag(KES_PLOT_FLAG_WEIBULL2);
  stmt.list(KES_PLOT_SLOT_WEIBULL2_THETA, {0, 1});
  stmt.num(KES_PLOT_SLOT_WEIBULL2_SIGMA_EST, 1).num(KES_PLOT_SLOT_WEIBULL2_C_EST, 1);
  data(kScores);
  ASSERT_EQ(run(kespini), 0) << notes();
  ASSERT_EQ(graphs.size(), 2u);
  // R: uniroot on the shape equation: c = 3.7152562719628164, sigma = 5.32811539447935.
  const drawn_graph& g = graphs[0];
  EXPECT_NEAR(g.key.intercept, std::log(5.32811539447935), 1e-7);
  EXPECT_NEAR(g.key.slope, 1 / 3.7152562719628164, 1e-7);
  // R: log(range(x)) = 0.78845736036427028, 1.9600947840472698.
  EXPECT_NEAR(g.key.logrange[0], 0.78845736036427028, 1e-14);
  EXPECT_NEAR(g.key.logrange[1], 1.9600947840472698, 1e-14);
  EXPECT_LE(g.key.dstart, g.key.logrange[0]);
  EXPECT_GE(g.key.dend, g.key.logrange[1]);
  // The second graph fits with threshold 1: its own line and log range.
  EXPECT_DOUBLE_EQ(graphs[1].key_curve.params[0], 1);
  EXPECT_NEAR(graphs[1].key.logrange[0], std::log(1.2), 1e-14);
  EXPECT_NE(graphs[1].key.intercept, g.key.intercept);
}

TEST_F(prob_line, TwoParameterWeibullNeedsValuesAboveTheThreshold) {
  kind(KES_PLOT_QQ, "QQPLOT");
  stmt.flag(KES_PLOT_FLAG_WEIBULL2);
  stmt.list(KES_PLOT_SLOT_WEIBULL2_THETA, {5});
  data({5.0005, 6, 7});
  // The value within 0.001 of the threshold is left out with its note; the others
  // are plotted on a log axis from the smallest of them.
  EXPECT_EQ(run(kesqini), 0);
  EXPECT_EQ(notes(), "308/1661");
  ASSERT_EQ(graphs.size(), 1u);
  EXPECT_NEAR(graphs[0].key.logrange[0], std::log(1.0), 1e-14);
}

TEST_F(prob_line, TwoParameterWeibullWithoutValuesAboveTheThresholdDrawsNothing) {
  kind(KES_PLOT_QQ, "QQPLOT");
  stmt.flag(KES_PLOT_FLAG_WEIBULL2);
  stmt.list(KES_PLOT_SLOT_WEIBULL2_THETA, {5});
  data({4, 5, 5.0005});
  EXPECT_EQ(run(kesqini), 0);
  EXPECT_EQ(notes(), "308/1661");
  EXPECT_TRUE(graphs.empty());
}

TEST_F(prob_line, TwoParameterWeibullScalesOneLogAxisOverAllCells) {
  class_vars(1);
  kind(KES_PLOT_QQ, "QQPLOT");
  stmt.flag(KES_PLOT_FLAG_WEIBULL2);
  data({1, 2, 3}, "a");
  data({20, 50, 90}, "b");
  ASSERT_EQ(run(kesqini), 0);
  ASSERT_EQ(graphs.size(), 1u);
  const kes_plotslot& key = graphs[0].key;
  EXPECT_LE(key.dstart, std::log(1.0));
  EXPECT_GE(key.dend, std::log(90.0));
  // The other cell keeps the scale of its own values.
  EXPECT_GT(graphs[0].cells[1].dstart, 1.5);
  EXPECT_GE(graphs[0].cells[1].dend, std::log(90.0));
}

}  // namespace
}  // namespace kes_test
