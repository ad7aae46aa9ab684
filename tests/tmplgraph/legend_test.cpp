// The texts a histogram's template graph makes: curve legends with their parameters
// in the shortest exact text, numbered duplicates that cannot run past the legend,
// tick lists, and the dynamic list that grows past its first room.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "runner/host_table.h"
#include "core/runtime.h"
#include "host/host_anchor.h"
#include "host/host_services.h"
#include "records/kes_curve.h"
#include "records/pool_alloc.h"
#include "tmplgraph/hist_graph.h"
#include "tmplgraph/kes_stgraph.h"

namespace {

class GraphTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = v_global_gcb_anchor;
    v_global_gcb_anchor = plat::anchor();
    plat::begin_step();
  }
  void TearDown() override {
    plat::finish_step();
    v_global_gcb_anchor = saved_;
  }
  static std::string text_of(void* handle) {
    char buf[512];
    const int n = vemtget(handle, buf, sizeof buf);
    return n < 0 ? "(null)" : std::string(buf, static_cast<std::size_t>(n));
  }
  static kes_curve curve(int dist, double p0, double p1, double p2 = NAN, double p3 = NAN) {
    kes_curve c{};
    c.dist = dist;
    c.params[0] = p0;
    c.params[1] = p1;
    c.params[2] = p2;
    c.params[3] = p3;
    c.fitted = 1;
    return c;
  }
  host_gcb* saved_ = nullptr;
};

std::string legend_text(const kes_legend& l) { return std::string(l.text, static_cast<std::size_t>(l.len)); }

TEST_F(GraphTexts, ParametersShowTheirShortestExactText) {
  // Fields of "%-6g" or "%-4.99g" in 8 bytes showed 1e-5 as "1.000000" and 123456789 as
  // "12345678"; the best text of at most 8 characters keeps every digit it can.
  struct row {
    kes_curve c;
    bool classes;
    const char* want;
  };
  kes_curve est = curve(KES_DIST_NORMAL, 50, 8);
  est.estimated[0] = est.estimated[1] = 1;
  kes_curve half = est;
  half.estimated[1] = 0;
  kes_curve gamma_shape = curve(KES_DIST_GAMMA, 0.5, 3, 2.5);
  gamma_shape.estimated[2] = 1;
  const row rows[] = {
      // A scale shows seven significant digits (E form where rounded above the units),
      // a location as many decimals as its scale: the same at any offset and unit.
      {curve(KES_DIST_NORMAL, 1e-5, 123456789), false, "Normal(Mu=0 Sigma=1.234568E8)"},
      {curve(KES_DIST_NORMAL, 123446.5432, 1733649754.8412345), false, "Normal(Mu=123000 Sigma=1.733650E9)"},
      {curve(KES_DIST_NORMAL, 1700044470.2612345, 18557.671234), false,
       "Normal(Mu=1700044470.26 Sigma=18557.67)"},
      {curve(KES_DIST_NORMAL, 2.4446e-320, 0.12345678901), false, "Normal(Mu=0 Sigma=0.1234568)"},
      {curve(KES_DIST_NORMAL, -0.125, 0.1), false, "Normal(Mu=-0.125 Sigma=0.1)"},
      {curve(KES_DIST_NORMAL, 1.0 / 3, 2), false, "Normal(Mu=0.333333 Sigma=2)"},
      {est, true, "Normal"},
      {est, false, "Normal(Mu=50 Sigma=8)"},
      {half, true, "Normal(Mu=EST Sigma=8)"},
      // Threshold, shape, scale: the parameter vector's entries 1, 3, 2.
      {curve(KES_DIST_LOGNORMAL, 1, 2, 0.5), false, "Lognormal(Theta=1 Shape=0.5 Scale=2)"},
      {curve(KES_DIST_EXPONENTIAL, 0, 2.5), false, "Exponential(Theta=0 Scale=2.5)"},
      {curve(KES_DIST_WEIBULL, 0, 3, 1.5), false, "Weibull(Theta=0 Shape=1.5 Scale=3)"},
      {curve(KES_DIST_BETA, 0, 1, 2, 5), false, "Beta(Theta=0 Scale=1 Alpha=2 Beta=5)"},
      // Gamma: threshold, scale, shape in the vector; shown threshold, shape, scale.
      {curve(KES_DIST_GAMMA, 0.5, 3, 2.5), false, "Gamma(Theta=0.5 Shape=2.5 Scale=3)"},
      {gamma_shape, true, "Gamma(Theta=0.5 Shape=EST Scale=3)"},
      {curve(KES_DIST_SB, 1, 10, 0.7, -0.2), false, "Johnson SB(Theta=1 Scale=10 Delta=0.7 Gamma=-0.2)"},
      {curve(KES_DIST_SU, -1, 4, 1.3, 0.4), false, "Johnson SU(Theta=-1 Scale=4 Delta=1.3 Gamma=0.4)"},
  };
  for (const row& r : rows) {
    kes_legend l;
    kes_hist_fitlegend(r.c, r.classes, &l);
    EXPECT_EQ(legend_text(l), r.want);
  }
}

TEST_F(GraphTexts, KernelLegendsNameTheTypeOnlyWhenTypesDiffer) {
  kes_curve k = curve(KES_DIST_KERNEL, NAN, NAN);
  k.kernel.type = 1;
  k.kernel.c = 0.5;
  k.kernel.lower = NAN;
  k.kernel.upper = NAN;
  kes_legend l;
  kes_hist_kernlegend(k, true, &l);
  EXPECT_EQ(legend_text(l), "Kernel(c=0.5)");
  kes_hist_kernlegend(k, false, &l);
  EXPECT_EQ(legend_text(l), "Normal Kernel(c=0.5)");
  k.kernel.type = 3;
  k.kernel.lower = 0;
  kes_hist_kernlegend(k, false, &l);
  EXPECT_EQ(legend_text(l), "Quadratic Kernel(c=0.5 Lower=0)");
  k.kernel.type = 2;
  k.kernel.upper = 10;
  kes_hist_kernlegend(k, false, &l);
  EXPECT_EQ(legend_text(l), "Triangular Kernel(c=0.5 Lower=0 Upper=10)");
}

TEST_F(GraphTexts, KernelLegendsShowTheirNumbersAsTheFittedParametersDo) {
  // Every digit of a double ("c=1.27665442008386") was shown; now c with seven
  // significant digits, the bounds to the bandwidth's last digit (here 1.5: 6 decimals).
  struct row {
    double c, lower, upper;
    const char* want;
  };
  const row rows[] = {
      {1.27665442008386, NAN, NAN, "Normal Kernel(c=1.276654)"},
      {0.378405747593997, NAN, NAN, "Normal Kernel(c=0.3784057)"},
      {0.25, -1.0 / 3, NAN, "Normal Kernel(c=0.25 Lower=-0.333333)"},
      {2, NAN, 123456789.5, "Normal Kernel(c=2 Upper=123456789.5)"},
      {2, NAN, 1234567891.25, "Normal Kernel(c=2 Upper=1234567891.25)"},
  };
  for (const row& r : rows) {
    kes_curve k{};
    k.kernel.type = 1;
    k.kernel.c = r.c;
    k.kernel.h = 1.5;
    k.kernel.lower = r.lower;
    k.kernel.upper = r.upper;
    kes_legend l;
    kes_hist_kernlegend(k, false, &l);
    EXPECT_EQ(legend_text(l), r.want);
  }
}

TEST_F(GraphTexts, NumberingAFullLegendStaysInsideIt) {
  // A legend of 256 characters once took " 2" past its end.
  struct guarded {
    kes_legend l;
    char after[8];
  } g;
  std::memset(g.after, 'G', sizeof g.after);
  std::memset(g.l.text, 'a', sizeof g.l.text);
  g.l.len = KES_LEGEND_MAX;
  kes_legend_number(&g.l, 2);
  EXPECT_EQ(g.l.len, KES_LEGEND_MAX);
  EXPECT_EQ(std::string(g.l.text + KES_LEGEND_MAX - 3, 3), "a 2");
  EXPECT_EQ(std::string(g.after, 8), "GGGGGGGG");
  kes_legend s{};
  std::memcpy(s.text, "Normal", 6);
  s.len = 6;
  kes_legend_number(&s, 12);
  EXPECT_EQ(legend_text(s), "Normal 12");
}

TEST_F(GraphTexts, NumberListsUseTheShortestTexts) {
  const double v[] = {0.5, 1e5, 2.5e-7, -3, 123456789, 0};
  int status = 0;
  EXPECT_EQ(text_of(makenumlist(v, 6, 8, &status)), "0.5 100000 2.5E-7 -3 123456789 0");
  EXPECT_EQ(status, 0);
  // A short decimal stands whatever the width; a value with none keeps its digits.
  const double w[] = {1.25, 10, 1.0 / 3};
  EXPECT_EQ(text_of(makenumlist(w, 3, 3, &status)), "1.25 10 0.333");
}

// Places the template computes with read back as the very doubles: a lognormal
// percent place under sigma 3E-8, the largest and smallest doubles, a subnormal, -0.
TEST_F(GraphTexts, ExactNumberListsReadBackAsTheirDoubles) {
  const double v[] = {0.9999998817330767, 1.0000000258135393, 1.7976931348623157e308, 2.2250738585072014e-308,
                      4.9406564584124654e-324, -0.0, 1733650000.125, -1.2815515655446004};
  int status = 0;
  std::istringstream in(text_of(makenumlist_exact(v, 8, &status)));
  std::string word;
  for (double x : v) {
    ASSERT_TRUE(in >> word);
    const double back = std::strtod(word.c_str(), nullptr);
    EXPECT_EQ(std::memcmp(&back, &x, sizeof x), 0) << word;
  }
  EXPECT_FALSE(in >> word);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(text_of(makenumlist_exact(v, 0, &status)), "");
}

host_pool g_refusing{[](host_pool*, long, int) -> void* { return nullptr; }, [](host_pool*, void*, long, int) {}};

TEST_F(GraphTexts, NumberListWithoutMemoryGivesTheMemoryStatus) {
  host_gcb copy = *plat::anchor();
  copy.taskpool = &g_refusing;
  v_global_gcb_anchor = &copy;
  const double v[] = {1, 2, 3};
  int status = 0;
  EXPECT_EQ(makenumlist(v, 3, 8, &status), nullptr);
  EXPECT_EQ(status, 1016);
  v_global_gcb_anchor = plat::anchor();
}

TEST_F(GraphTexts, DynamicListGrowsPastItsFirstRoom) {
  kes_stgraph g{};
  kes_dynlist d{};
  g.dyn = &d;
  for (int i = 0; i < 1000; ++i) kes_dyn_int(&g, "_N", i);
  EXPECT_EQ(d.count, 2000);
  EXPECT_GE(d.cap, 2000);
  EXPECT_EQ(g.status, 0);
  for (int i = 0; i < 1000; ++i) {
    EXPECT_EQ(d.items[2 * i].id, WOB_A_DYNAMIC_NAME);
    EXPECT_EQ(d.items[2 * i + 1].i, i);
  }
  vmfree_handler(plat::anchor()->taskpool, d.items, -1, 4);
}

}  // namespace
