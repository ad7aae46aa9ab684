// The label tables of inset blocks, against the catalogue texts they must give.
#include <gtest/gtest.h>

#include <string>

#include "core/runtime.h"
#include "inset/kes_inset.h"
#include "kes_msg_names.h"
#include "records/kes_curve.h"
#include "records/kes_preq.h"

namespace {

std::string text(int number) {
  if (number < 0) return "<none>";
  const std::string* t = plat::catalogue_text(KES_SET_LABEL, number);
  return t != nullptr ? *t : "<no message " + std::to_string(number) + ">";
}

TEST(InsetLabels, OneCurveHeadersNameACurveOrALineByPlot) {
  const char* const words[9] = {"Normal", "Lognormal", "Exponential", "Weibull", "Gamma",
                                "Beta",   "Johnson SB", "Johnson SU", "Weibull2"};
  for (int f = 0; f <= KES_DIST_WEIBULL2; ++f) {
    const std::string w = words[f];
    EXPECT_EQ(text(kesiheader(KES_PLOT_HISTOGRAM, f, 0)), w + " Curve") << f;
    EXPECT_EQ(text(kesiheader(KES_PLOT_CDF, f, 0)), w + " Curve") << f;
    EXPECT_EQ(text(kesiheader(KES_PLOT_QQ, f, 0)), w + " Line") << f;
    EXPECT_EQ(text(kesiheader(KES_PLOT_PROB, f, 0)), w + " Line") << f;
  }
  const struct {
    int type;
    const char* header;
  } kernels[] = {{0, "Kernel"}, {1, "Normal Kernel"}, {2, "Triangular Kernel"}, {3, "Quadratic Kernel"}, {4, "<none>"}};
  for (const auto& k : kernels) EXPECT_EQ(text(kesiheader(KES_PLOT_HISTOGRAM, KES_DIST_KERNEL, k.type)), k.header);
  EXPECT_EQ(kesiheader(KES_PLOT_QQ, -1, 0), -1);
}

TEST(InsetLabels, KernelRowsAndDistributionRows) {
  EXPECT_EQ(text(kesknlmsg(0, 2)), "Triangular");
  EXPECT_EQ(text(kesknlmsg(0, 0)), "<none>");
  EXPECT_EQ(text(kesknlmsg(1, 0)), "Bandwidth Parameter C");
  EXPECT_EQ(text(kesknlmsg(3, 0)), "AMISE");
  EXPECT_EQ(kesknlmsg(4, 0), -1);
  // Sub-codes: 0..3 parameters, 4..9 EDF statistics and p-values, 10 and 11 fitted
  // moments, 23..25 the Johnson families' fitted skewness, kurtosis and mode.
  const struct {
    int family, sub;
    const char* label;
  } rows[] = {
      {KES_DIST_NORMAL, 2, "Std Dev"},       {KES_DIST_NORMAL, 3, "Mean"},
      {KES_DIST_NORMAL, 0, "<none>"},        {KES_DIST_LOGNORMAL, 0, "Sigma"},
      {KES_DIST_BETA, 1, "Beta"},            {KES_DIST_GAMMA, 3, "Threshold"},
      {KES_DIST_GAMMA, 4, "A-Sq"},           {KES_DIST_GAMMA, 9, "Pr > D"},
      {KES_DIST_NORMAL, 10, "<none>"},       {KES_DIST_WEIBULL, 11, "Fitted Std Dev"},
      {KES_DIST_SB, 25, "Fitted Mode"},      {KES_DIST_BETA, 23, "<none>"},
      {KES_DIST_GAMMA, 12, "<none>"},        {KES_DIST_WEIBULL2, 4, "<none>"},
  };
  for (const auto& r : rows) EXPECT_EQ(text(kesdistmsg(r.family, r.sub)), r.label) << r.family << "/" << r.sub;
}

}  // namespace
