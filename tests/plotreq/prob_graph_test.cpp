// The template graphs of QQ, probability, P-P and CDF plots: each case runs its driver
// with the template renderer and compares the graph dump (data objects and panels with
// their dynamics) with a golden file, then checks the rules the dumps show; one SVG of
// each plot kind against its golden drawing. KES_UPDATE_GOLDEN rewrites the goldens.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>

#include "core/runtime.h"
#include "kes_gram_names.h"
#include "output/output_api.h"
#include "plotreq/plot_requests.h"
#include "plotreq/prob_fixture.h"
#include "runner/runner.h"
#include "support/golden_file.h"
#include "support/svg_reader.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_prob.h"

namespace kes_test {
namespace {

std::filesystem::path golden(const std::string& name, const char* ext) {
  return std::filesystem::path(KES_SOURCE_DIR) / "tests/plotreq/golden" / (name + ext);
}

::testing::AssertionResult dump_matches(const std::string& dump, const std::string& name) {
  return text_matches_golden(dump, golden(name, ".dump"));
}

class prob_graph : public prob_fixture {
 protected:
  void SetUp() override {
    prob_fixture::SetUp();
    scratch_.emplace("probgraph");
    plat::config().graph_dump_path = (*scratch_ / "dump.txt").string();
    plat::config().graphs_dir = scratch_->path().string();
  }
  void TearDown() override {
    plat::config().graph_dump_path.clear();
    plat::config().graphs_dir.clear();
    scratch_.reset();
    prob_fixture::TearDown();
  }
  // The driver through the template renderer; the dump of its graphs.
  std::string graph(int (*driver)(kes_ctx*, int)) {
    std::filesystem::remove(*scratch_ / "dump.txt");
    plat::link_layers();
    plat::output_begin_graphs();
    real_templates();
    EXPECT_EQ(run(driver), 0) << notes();
    return slurp(*scratch_ / "dump.txt");
  }
  std::string svg(const std::string& file) { return slurp(*scratch_ / file); }
  // The value text of a dynamic "NAME = value" line of the dump.
  static std::string dynamic(const std::string& dump, const std::string& name) {
    const std::string key = "  " + name + " = ";
    const std::size_t at = dump.find(key);
    if (at == std::string::npos) return "";
    const std::size_t end = dump.find('\n', at);
    return dump.substr(at + key.size(), end - at - key.size());
  }
  static int rows(const std::string& dump) {
    int n = 0;
    for (std::size_t at = dump.find("  row "); at != std::string::npos; at = dump.find("  row ", at + 1)) ++n;
    return n;
  }

 private:
  std::optional<scratch_dir> scratch_;
};

// QQ and probability graphs over the ten scores with a normal line of the estimates.
void normal_est(plot_test::node& n) {
  n.flag(KES_PLOT_FLAG_NORMAL);
  n.param(KES_PARAM_ROWS[KES_P_NORMAL_MU], {0}, {1}).param(KES_PARAM_ROWS[KES_P_NORMAL_SIGMA], {0}, {1});
}

struct graph_case {
  const char* name;
  int type;
  const char* statement;
  int nclass;
  std::function<void(plot_test::node&, kes_preq&)> options;
};

TEST_F(prob_graph, GoldenDumps) {
  const graph_case cases[] = {
      {"qq_normal", KES_PLOT_QQ, "QQPLOT", 0, [](plot_test::node& n, kes_preq&) { normal_est(n); }},
      {"qq_rotated", KES_PLOT_QQ, "QQPLOT", 0,
       [](plot_test::node& n, kes_preq& r) {
         normal_est(n);
         n.flag(KES_PLOT_FLAG_ROTATE);
         r.rotate = 1;
       }},
      {"qq_pctlaxis_scale", KES_PLOT_QQ, "QQPLOT", 0,
       [](plot_test::node& n, kes_preq& r) {
         normal_est(n);
         n.flag(KES_PLOT_FLAG_PCTLAXIS).flag(KES_PLOT_FLAG_PCTLSCALE).flag(KES_PLOT_FLAG_PCTLAXIS_GRID);
         n.text(KES_PLOT_SLOT_PCTLAXIS_LABEL, "Normal Percentiles");
         r.pctlaxis = r.pctlscale = 1;
       }},
      {"qq_lognormal", KES_PLOT_QQ, "QQPLOT", 0,
       [](plot_test::node& n, kes_preq&) {
         n.flag(KES_PLOT_FLAG_LOGNORMAL);
         n.param(KES_PARAM_ROWS[KES_P_LOGNORMAL_SIGMA], {0.5}, {0}).param(KES_PARAM_ROWS[KES_P_LOGNORMAL_THETA], {0}, {0});
         n.param(KES_PARAM_ROWS[KES_P_LOGNORMAL_ZETA], {0}, {1});
       }},
      {"qq_su", KES_PLOT_QQ, "QQPLOT", 0,
       [](plot_test::node& n, kes_preq&) {
         n.flag(KES_PLOT_FLAG_SU);
         n.param(KES_PARAM_ROWS[KES_P_SU_DELTA], {1}, {0}).param(KES_PARAM_ROWS[KES_P_SU_GAMMA], {0}, {0});
         n.param(KES_PARAM_ROWS[KES_P_SU_THETA], {5}, {0}).param(KES_PARAM_ROWS[KES_P_SU_SIGMA], {2}, {0});
       }},
      {"qq_weibull2", KES_PLOT_QQ, "QQPLOT", 0,
       [](plot_test::node& n, kes_preq&) {
         n.flag(KES_PLOT_FLAG_WEIBULL2);
         n.list(KES_PLOT_SLOT_WEIBULL2_THETA, {0});
         n.num(KES_PLOT_SLOT_WEIBULL2_SIGMA_EST, 1).num(KES_PLOT_SLOT_WEIBULL2_C_EST, 1);
       }},
      {"qq_class", KES_PLOT_QQ, "QQPLOT", 1, [](plot_test::node& n, kes_preq&) { normal_est(n); }},
      {"prob_href50", KES_PLOT_PROB, "PROBPLOT", 0,
       [](plot_test::node& n, kes_preq& r) {
         normal_est(n);
         static const double href[1] = {50};
         r.nhref = 1;
         r.href = href;
       }},
      {"prob_href50_rotated", KES_PLOT_PROB, "PROBPLOT", 0,
       [](plot_test::node& n, kes_preq& r) {
         normal_est(n);
         n.flag(KES_PLOT_FLAG_ROTATE);
         static const double href[1] = {50};
         r.nhref = 1;
         r.href = href;
       }},
      {"pp_normal_href3", KES_PLOT_PP, "PPPLOT", 0,
       [](plot_test::node& n, kes_preq& r) {
         n.flag(KES_PLOT_FLAG_NORMAL).flag(KES_PLOT_FLAG_SQUARE);
         static const double href[3] = {0.25, 0.5, 0.75};
         r.nhref = 3;
         r.href = href;
       }},
      {"pp_noline_class", KES_PLOT_PP, "PPPLOT", 1,
       [](plot_test::node& n, kes_preq&) { n.flag(KES_PLOT_FLAG_GAMMA).flag(KES_PLOT_FLAG_NOLINE); }},
      {"cdf_normal", KES_PLOT_CDF, "CDFPLOT", 0, [](plot_test::node& n, kes_preq&) { n.flag(KES_PLOT_FLAG_NORMAL); }},
      {"cdf_nofamily", KES_PLOT_CDF, "CDFPLOT", 0, [](plot_test::node&, kes_preq&) {}},
      {"cdf_beta_proportion", KES_PLOT_CDF, "CDFPLOT", 0,
       [](plot_test::node& n, kes_preq&) {
         n.flag(KES_PLOT_FLAG_BETA).name(KES_PLOT_SLOT_VSCALE, "PROPORTI");
         n.param(KES_PARAM_ROWS[KES_P_BETA_THETA], {0}, {0}).param(KES_PARAM_ROWS[KES_P_BETA_SIGMA], {10}, {0});
       }},
      {"cdf_noecdf_class", KES_PLOT_CDF, "CDFPLOT", 1,
       [](plot_test::node& n, kes_preq&) { n.flag(KES_PLOT_FLAG_NORMAL).flag(KES_PLOT_FLAG_NOECDF); }},
  };
  for (const graph_case& c : cases) {
    SCOPED_TRACE(c.name);
    restart();
    if (c.nclass > 0) class_vars(c.nclass);
    kind(c.type, c.statement);
    req.nrows = req.ncols = 1;
    c.options(stmt, req);
    if (c.nclass > 0) {
      data({2.2, 3.3, 3.9, 4.1, 4.4}, "a");
      data({5.0, 5.3, 5.9, 6.8, 7.1}, "b");
    } else {
      data(kScores);
    }
    const int type = c.type;
    const std::string dump = graph(type == KES_PLOT_QQ ? kesqini : type == KES_PLOT_PROB ? kespini
                                   : type == KES_PLOT_PP   ? keszini
                                                           : kescini);
    EXPECT_TRUE(dump_matches(dump, c.name));
  }
}

TEST_F(prob_graph, RulesTheDumpsShow) {
  // HREF=50 on a normal probability plot sits at the median's quantile, exactly 0;
  // rotated, the percent stays.
  kind(KES_PLOT_PROB, "PROBPLOT");
  normal_est(stmt);
  static const double href[1] = {50};
  req.nhref = 1;
  req.href = href;
  data(kScores);
  std::string d = graph(kespini);
  EXPECT_NE(d.find("HRefValue=0\n"), std::string::npos) << d;
  // N = 10: the last row's percentile is 100 (10 - 0.375)/10.25.
  EXPECT_NE(d.find("Percentile=93.90243902439"), std::string::npos);

  // Three HREF= values and a fitted P-P cell with two points: three rows.
  restart();
  kind(KES_PLOT_PP, "PPPLOT");
  stmt.flag(KES_PLOT_FLAG_NORMAL);
  static const double h3[3] = {0.2, 0.4, 0.6};
  req.nhref = 3;
  req.href = h3;
  data({1, 2});
  d = graph(keszini);
  EXPECT_EQ(rows(d), 3);
  EXPECT_EQ(dynamic(d, "_REFLINE"), "1 (boolean)");

  // A cell of one value fits no family: it writes its value alone (empirical
  // probability 1, no theoretical one), with the rows of the HREF= values.
  restart();
  class_vars(1);
  kind(KES_PLOT_PP, "PPPLOT");
  req.nrows = req.ncols = 1;
  stmt.flag(KES_PLOT_FLAG_NORMAL);
  req.nhref = 3;
  req.href = h3;
  data({7}, "a");
  data(kScores, "b");
  d = graph(keszini);
  EXPECT_EQ(rows(d), 13);
  EXPECT_NE(d.find("row 1: Class2=\"a\" Theoretical=. Empirical=1 RefInt=. HRefValue=0.2\n"), std::string::npos) << d;
  EXPECT_NE(d.find("row 3: Class2=\"a\" Theoretical=. Empirical=. RefInt=. HRefValue=0.6\n"), std::string::npos) << d;

  // A QQ axis from -1 by 0.2 to 1 has an exact 0 in its middle.
  double ticks[16];
  ASSERT_EQ(kes_qntl_ticks(-1, 1, 0.2, ticks), 11);
  EXPECT_EQ(ticks[5], 0.0);
  EXPECT_EQ(kes_qntl_ticks(2, 2, 1, ticks), 1);
}

TEST_F(prob_graph, GoldenSvgOfEachKind) {
  struct svg_case {
    const char* name;
    int type;
    const char* statement;
    const char* file;
  };
  const svg_case cases[] = {
      {"qq", KES_PLOT_QQ, "QQPLOT", "QQPlot1.svg"},
      {"prob", KES_PLOT_PROB, "PROBPLOT", "ProbPlot1.svg"},
      {"pp", KES_PLOT_PP, "PPPLOT", "PPPlot1.svg"},
      {"cdf", KES_PLOT_CDF, "CDFPLOT", "CDFPlot1.svg"},
  };
  for (const svg_case& c : cases) {
    SCOPED_TRACE(c.name);
    restart();
    kind(c.type, c.statement);
    req.nrows = req.ncols = 1;
    normal_est(stmt);
    data(kScores);
    graph(c.type == KES_PLOT_QQ ? kesqini : c.type == KES_PLOT_PROB ? kespini : c.type == KES_PLOT_PP ? keszini : kescini);
    const std::string doc = svg(c.file);
    ASSERT_FALSE(doc.empty());
    EXPECT_TRUE(svg_matches_golden(doc, golden(c.name, ".svg")));
  }
}

}  // namespace
}  // namespace kes_test
