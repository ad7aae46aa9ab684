// The default axis label texts of QQ, probability, P-P and CDF plots (keshlab,
// kesvlab), with VAXISLABEL= and ROTATE.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plotdata/kes_axislabels.h"
#include "kes_gram_names.h"
#include "plotreq/prob_fixture.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"

namespace kes_test {
namespace {

class axis_labels : public prob_fixture {
 protected:
  // A request of the type over one cell whose curve holds the parameters.
  void request_of(int type, const char* name, int dist, std::vector<double> params, int nclass = 0) {
    restart();
    if (nclass > 0) class_vars(nclass);
    kind(type, name);
    req.dist = dist;
    kes_cell* c = data(kScores, nclass > 0 ? "a" : "");
    curve_ = kes_curve{};
    curve_.dist = dist;
    for (size_t i = 0; i < params.size(); ++i) curve_.params[i] = params[i];
    c->slots[0].curves = &curve_;
    c->slots[0].ncurves = 1;
  }
  std::string h() {
    char buf[KES_AXIS_LABEL_MAX];
    return std::string(buf, static_cast<size_t>(keshlab(ctx, buf)));
  }
  std::string v() {
    char buf[KES_AXIS_LABEL_MAX];
    return std::string(buf, static_cast<size_t>(kesvlab(ctx, buf)));
  }
  kes_curve curve_{};
};

struct label_case {
  const char* what;
  int type;
  int dist;
  std::vector<double> params;
  int nclass;
  bool pctlscale;
  std::string horizontal, vertical;
};

TEST_F(axis_labels, DefaultTexts) {
  const label_case cases[] = {
      {"QQ normal", KES_PLOT_QQ, 0, {0, 1}, 0, false, "Normal Quantiles", "x"},
      {"QQ normal PCTLSCALE", KES_PLOT_QQ, 0, {0, 1}, 0, true, "Normal Percentiles", "x"},
      {"probability lognormal", KES_PLOT_PROB, 1, {0, 0, 0.5}, 0, false, "Lognormal Percentiles (Sigma=0.5)", "x"},
      // Fitted values show as the legends show them: at most 8 characters.
      {"QQ lognormal, fitted sigma", KES_PLOT_QQ, 1, {0, 0, 0.165533830872348}, 0, false,
       "Lognormal Quantiles (Sigma=0.1655338)", "x"},
      {"P-P normal, fitted", KES_PLOT_PP, 0, {73.695652173913, 11.7180311044316}, 0, false,
       "Normal (Mu=73.69565, Sigma=11.71803) Cumulative Probability", "Empirical Cumulative Probability"},
      {"QQ beta", KES_PLOT_QQ, 5, {0, 1, 2, 3}, 0, false, "Beta Quantiles (Alpha=2, Beta=3)", "x"},
      {"QQ two-parameter Weibull, threshold 0", KES_PLOT_QQ, 8, {0, 1, 2}, 0, false, "Two-Parameter Weibull Quantiles",
       "log(x - Threshold)"},
      {"QQ two-parameter Weibull, threshold 1", KES_PLOT_QQ, 8, {1, 1, 2}, 0, false,
       "Two-Parameter Weibull Quantiles (Threshold=1)", "log(x - Threshold)"},
      {"P-P normal", KES_PLOT_PP, 0, {4.8, 1.5}, 0, false, "Normal (Mu=4.8, Sigma=1.5) Cumulative Probability",
       "Empirical Cumulative Probability"},
      {"P-P gamma", KES_PLOT_PP, 4, {0, 2, 3}, 0, false, "Gamma (Theta=0, Alpha=3, Sigma=2) Cumulative Probability",
       "Empirical Cumulative Probability"},
      {"P-P with a CLASS variable: the family alone", KES_PLOT_PP, 0, {4.8, 1.5}, 1, false, "Normal",
       "Empirical Cumulative Probability"},
      {"CDF", KES_PLOT_CDF, 0, {0, 1}, 0, false, "x", "Cumulative Percent"},
  };
  for (const label_case& c : cases) {
    SCOPED_TRACE(c.what);
    request_of(c.type, "QQPLOT", c.dist, c.params, c.nclass);
    req.pctlscale = c.pctlscale;
    EXPECT_EQ(h(), c.horizontal);
    EXPECT_EQ(v(), c.vertical);
  }
}

// A shape fitted in each CLASS cell places each cell's points by its own value: the
// quantile axis then names no one cell's number.
TEST_F(axis_labels, ShapesFittedPerCellAreNotNamedByTheKeyCell) {
  const struct {
    const char* what;
    int type, dist;
    std::vector<double> key, other;
    bool other_fitted;
    std::string horizontal;
  } cases[] = {
      {"lognormal sigma per cell", KES_PLOT_QQ, 1, {0, 0, 0.5}, {0, 0, 0.7}, true,
       "Lognormal Quantiles (Sigma Fitted per Cell)"},
      {"gamma alpha per cell, percent axis", KES_PLOT_PROB, 4, {0, 2, 3}, {0, 2, 4}, true,
       "Gamma Percentiles (Alpha Fitted per Cell)"},
      {"beta, the second shape differs", KES_PLOT_QQ, 5, {0, 1, 2, 3}, {0, 1, 2, 4}, true,
       "Beta Quantiles (Alpha and Beta Fitted per Cell)"},
      {"one shape for all cells, other scales: its number", KES_PLOT_QQ, 1, {0, 0, 0.5}, {1, 2, 0.5}, true,
       "Lognormal Quantiles (Sigma=0.5)"},
      // The key cell's sigma does not hold for a cell whose values it did not place.
      {"a cell whose fit failed is not described by the key's shape", KES_PLOT_QQ, 1, {0, 0, 0.5}, {0, 0, 0.7},
       false, "Lognormal Quantiles (Sigma Fitted per Cell)"},
      {"no shape: the normal's label", KES_PLOT_QQ, 0, {0, 1}, {5, 2}, true, "Normal Quantiles"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    request_of(c.type, "QQPLOT", c.dist, c.key, 1);
    curve_.fitted = 1;
    kes_cell* b = data(kScores, "b");
    kes_curve other{};
    other.dist = c.dist;
    other.fitted = c.other_fitted ? 1 : 0;
    for (size_t i = 0; i < c.other.size(); ++i) other.params[i] = c.other[i];
    b->slots[0].curves = &other;
    b->slots[0].ncurves = 1;
    EXPECT_EQ(h(), c.horizontal);
  }
}

TEST_F(axis_labels, VaxislabelNamesTheDataAxisUnlessRotated) {
  request_of(KES_PLOT_QQ, "QQPLOT", 0, {0, 1});
  stmt.text(KES_PLOT_SLOT_VAXISLABEL, "Score (points)");
  EXPECT_EQ(v(), "Score (points)");
  stmt.flag(KES_PLOT_FLAG_ROTATE);
  EXPECT_EQ(v(), "x");
}

TEST_F(axis_labels, TwoParameterWeibullLabelNotesTheVariableLabel) {
  request_of(KES_PLOT_PROB, "PROBPLOT", 8, {0, 1, 2});
  const char* label = "Failure time";
  ctx->curlabel_len = static_cast<std::uint16_t>(std::strlen(label));
  std::memcpy(ctx->curlabel, label, ctx->curlabel_len);
  note_recorder::clear();
  EXPECT_EQ(v(), "log(Failure time - Threshold)");
  EXPECT_EQ(notes(), "308/493");
}

}  // namespace
}  // namespace kes_test
