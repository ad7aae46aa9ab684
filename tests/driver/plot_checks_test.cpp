// The option checks of plot statements on statement nodes built by hand: the cases
// a program cannot reach through the parser (marker lists to rebuild, missing
// values, lists at the edge of the spacing tolerance) and one table per check of
// which message each case draws and what it leaves in the request.
#include <cmath>
#include <memory>

#include "driver/kesstmt.h"
#include "driver/plot_test_support.h"
#include "driver/unbuilt_notes.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "records/kes_stages.h"

namespace {

using namespace plot_test;

const kes_param_slots kNormalSigma = KES_PARAM_ROWS[KES_P_NORMAL_SIGMA];
const kes_param_slots kLognormalSigma = KES_PARAM_ROWS[KES_P_LOGNORMAL_SIGMA];
const kes_param_slots kBetaAlpha = KES_PARAM_ROWS[KES_P_BETA_ALPHA];

// MIDPOINTS= lists: no step may pass the first by more than 1e-12 of the larger of 1
// and the first step; a smaller step passes with a note.
TEST_F(plot_checks, bin_lists_must_be_equally_spaced) {
  struct row {
    std::vector<double> values;
    int slot;
    const char* messages;
    int result;
  };
  const double tenth = 0.1;
  std::vector<double> tenths;
  for (int i = 0; i <= 10; ++i) tenths.push_back(i * tenth);
  const row rows[] = {
      {tenths, KES_PLOT_SLOT_MIDPOINTS, "", 0},
      {{0, 1e6, 2e6 + 1e-7}, KES_PLOT_SLOT_MIDPOINTS, "", 0},        // within 1e-12 x 1e6
      {{0, 1, 2 + 1e-11}, KES_PLOT_SLOT_MIDPOINTS, "308/95", 1},     // beyond 1e-12 x 1
      {{0, 1, 2 - 1e-11}, KES_PLOT_SLOT_MIDPOINTS, "308/2252", 0},   // a smaller step passes, said
      {{-5, -3, -1, 1}, KES_PLOT_SLOT_MIDPOINTS, "", 0},
      {{1, NAN}, KES_PLOT_SLOT_MIDPOINTS, "308/94", 1},              // no order with NaN
      {{0, 20, 30}, KES_PLOT_SLOT_ENDPOINTS, "308/2253", 0},
      {{0, 10, 25}, KES_PLOT_SLOT_ENDPOINTS, "308/1366", 1},
      // Steps of the typed decimals: 10000.3 - 10000.2 is a few units of the doubles'
      // last place above 0.1 - a list at 1e4 passes; a larger step by a digit does not.
      {{10000.1, 10000.2, 10000.3, 10000.4, 10000.5}, KES_PLOT_SLOT_MIDPOINTS, "", 0},
      {{1700000000.1, 1700000000.2, 1700000000.3}, KES_PLOT_SLOT_ENDPOINTS, "", 0},
      {{1700000000.1, 1700000000.2, 1700000000.31}, KES_PLOT_SLOT_ENDPOINTS, "308/1366", 1},
      // Decimals of three places times 2^20 near 1e15 have no short decimal: their
      // steps are differences of doubles, a unit of 0.125 apart at most, and pass; a
      // step larger by 7 does not.
      {{1048576000062914.56, 1048576000068157.44, 1048576000073400.32}, KES_PLOT_SLOT_MIDPOINTS, "", 0},
      {{1048576000062914.56, 1048576000068157.44, 1048576000073407.32}, KES_PLOT_SLOT_MIDPOINTS, "308/95", 1},
      {{}, KES_PLOT_SLOT_ENDPOINTS, "308/1364", 1},
  };
  for (const row& r : rows) {
    node n("HISTOGRA");
    n.list(r.slot, r.values, 3);
    int code = -1;
    req.bincode = &code;
    logged.clear();
    EXPECT_EQ(run(kesmchk, n, KES_PLOT_HISTOGRAM), r.result) << r.values.size();
    EXPECT_EQ(messages(), r.messages) << r.values.size();
    if (r.result == 0) {
      EXPECT_EQ(code, KES_BINS_EXPLICIT);
    }
  }
}

// A marker list shorter than its value list is rebuilt from the EST positions.
TEST_F(plot_checks, markers_are_rebuilt_from_the_pairing_positions) {
  node n("HISTOGRA");
  n.flag(KES_PLOT_FLAG_NORMAL).flag(KES_PLOT_FLAG_NOPLOT);
  n.list(kNormalSigma.values, {2, 0, 0});
  n.slots[kNormalSigma.values].given2 = 1;
  n.marks(kNormalSigma.markers, {0});
  n.marks(kNormalSigma.pairs, {1, 2});
  ctx.proc = nullptr;
  node proc("PROC");
  proc.s.next = &n.s;
  ctx.proc = &proc.s;
  ASSERT_EQ(kesstmt(&ctx), 0);
  const kes_optslot& m = n.slots[kNormalSigma.markers];
  ASSERT_EQ(m.v.count, 3);
  const int* w = static_cast<const int*>(m.list);
  EXPECT_EQ(std::vector<int>(w, w + 3), (std::vector<int>{0, 1, 1}));
  EXPECT_EQ(ctx.nhist, 1);
  EXPECT_EQ(ctx.preqs[0].ncurves_dist[0], 3);
  EXPECT_EQ(ctx.preqs[0].varslot[0], 0);
}

// Parameter tests: which values are tested and which message a failure draws. A
// missing value passes every test.
TEST_F(plot_checks, parameter_tests) {
  struct row {
    const char* what;
    kes_param_test test;
    std::vector<double> values;
    std::vector<int> est;
    bool ok;
    const char* message;
  };
  const kes_param_test every{kNormalSigma.values, kNormalSigma.markers, 0, true, 77, 0, true, false, false};
  const kes_param_test first{kNormalSigma.values, kNormalSigma.markers, 0, false, 77, 0, false, false, false};
  const kes_param_test shape{kLognormalSigma.values, kLognormalSigma.markers, 0, true, 79, 106, true, false, false};
  const kes_param_test beta{kBetaAlpha.values, kBetaAlpha.markers, 0.15, false, 177, 176, true, true, false};
  const row rows[] = {
      {"every given value", every, {1, 2, 0}, {0, 0, 0}, false, "308/77"},
      {"EST values untested", every, {1, 0}, {0, 1}, true, ""},
      {"NaN passes", every, {NAN}, {0}, true, ""},
      {"first value only", first, {1, -1}, {0, 0}, true, ""},
      {"first value below 0", first, {-1}, {0}, false, "308/77"},
      {"first value 0 passes a non-strict test", first, {0}, {0}, true, ""},
      {"first EST", first, {0, -1}, {1, 0}, true, ""},
      {"shape absent", shape, {}, {}, false, "308/106"},
      {"shape EST", shape, {0}, {1}, true, ""},
      {"beta shape below 0.15", beta, {0.1}, {0}, false, "308/177"},
      {"beta shape at 0.15", beta, {0.15}, {0}, true, ""},
  };
  for (const row& r : rows) {
    node n("QQPLOT");
    if (!r.values.empty()) n.param({r.test.values, r.test.markers, KES_PARAM_ROWS[KES_P_NORMAL_SIGMA].pairs}, r.values, r.est);
    logged.clear();
    EXPECT_EQ(kes_param_ok(&n.s, r.test), r.ok) << r.what;
    EXPECT_EQ(messages(), r.message) << r.what;
  }
}

// NADJ= and RANKADJ=: defaults, bounds, order; NaN passes.
TEST_F(plot_checks, plotting_positions) {
  struct row {
    double nadj, rankadj;  // -99: not given
    int result;
    const char* message;
    double want_nadj, want_rankadj;
  };
  const double none = -99;
  const row rows[] = {
      {none, none, 0, "", 0.25, -0.375},
      {1, none, 0, "", 1, -0.375},
      {-1.5, none, 1, "308/116", -1.5, 0},
      {none, 1.25, 1, "308/117", 0.25, 1.25},
      {0.25, 0.25, 1, "308/204", 0.25, 0.25},
      {NAN, 0.5, 0, "", NAN, 0.5},
  };
  for (const row& r : rows) {
    node n("PPPLOT");
    if (r.nadj != none) n.num(KES_PLOT_SLOT_NADJ, r.nadj);
    if (r.rankadj != none) n.num(KES_PLOT_SLOT_RANKADJ, r.rankadj);
    logged.clear();
    req = kes_preq{};
    req.varslot = varslot;
    EXPECT_EQ(run(keszchk, n, KES_PLOT_PP), r.result) << r.nadj << " " << r.rankadj;
    EXPECT_EQ(messages(), r.message) << r.nadj << " " << r.rankadj;
    if (!std::isnan(r.want_nadj)) {
      EXPECT_EQ(req.nadj, r.want_nadj);
    }
    if (r.result == 0) {
      EXPECT_EQ(req.rankadj, r.want_rankadj);
    }
  }
}

// The HISTOGRAM check keeps what the histogram driver needs.
TEST_F(plot_checks, histogram_request_fields) {
  node n("HISTOGRA");
  n.flag(KES_PLOT_FLAG_WEIBULL).flag(KES_PLOT_FLAG_KERNEL).flag(KES_PLOT_FLAG_RTINCLUDE);
  n.flag(KES_PLOT_FLAG_NOTABCONTENTS).flag(KES_PLOT_FLAG_NOBARS);
  n.param(KES_PARAM_ROWS[KES_P_WEIBULL_C], {1, 0, 3}, {0, 1, 0});  // Weibull C=1 EST 3
  n.list(KES_PLOT_SLOT_KERNEL_C, {KES_KERNEL_C_MISE, 0.5, KES_KERNEL_C_MISE});
  n.num(KES_PLOT_SLOT_MAXSIGMAS, 3.9);
  n.list(KES_PLOT_SLOT_VAXIS, {0, 5, 10, 15});
  ASSERT_EQ(run(keshchk, n, KES_PLOT_HISTOGRAM), 0) << messages();
  EXPECT_EQ(messages(), "431/15");
  EXPECT_EQ(req.ncurves_dist[3], 3);
  EXPECT_EQ(req.nkernels, 3);
  EXPECT_EQ(req.ncurves, 6);
  EXPECT_EQ(req.maxsigmas, 3);
  EXPECT_EQ(req.binlimit, KES_BINLIMIT_MAXSIGMAS);
  EXPECT_EQ(req.tabcontents, 0);
  EXPECT_EQ(req.rtinclude, 1);
  EXPECT_EQ(req.nobars, 1);
  EXPECT_EQ(req.nvvalues, 4);
  EXPECT_EQ(req.bincode[0], KES_BINS_KEY);
  EXPECT_EQ(ctx.fitted_curves, 1);
  EXPECT_EQ(ctx.printed, 1);
}

// MAXNBIN= and MAXSIGMAS= above 0 are kept truncated toward zero (0.5 keeps 0); 0
// and below are refused.
TEST_F(plot_checks, bin_limits_are_truncated) {
  const struct { int slot; double v; int result; const char* message; int kind, kept; } rows[] = {
      {KES_PLOT_SLOT_MAXNBIN, 0.5, 0, "", KES_BINLIMIT_MAXNBIN, 0},
      {KES_PLOT_SLOT_MAXNBIN, 7.9, 0, "", KES_BINLIMIT_MAXNBIN, 7},
      {KES_PLOT_SLOT_MAXNBIN, 0, 1, "189/296", KES_BINLIMIT_NONE, -1},
      {KES_PLOT_SLOT_MAXSIGMAS, 0.9, 0, "", KES_BINLIMIT_MAXSIGMAS, 0},
      {KES_PLOT_SLOT_MAXSIGMAS, -1, 1, "189/297", KES_BINLIMIT_NONE, -1}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.v);
    node n("HISTOGRA");
    n.num(r.slot, r.v);
    logged.clear();
    EXPECT_EQ(run(keshchk, n, KES_PLOT_HISTOGRAM), r.result);
    EXPECT_EQ(messages(), r.message);
    EXPECT_EQ(req.binlimit, r.kind);
    if (r.kept >= 0) {
      EXPECT_EQ(r.slot == KES_PLOT_SLOT_MAXNBIN ? req.maxnbin : req.maxsigmas, r.kept);
    }
  }
}

// The family options of a statement in order (slot 257): a family given more than once
// is noted once, naming the statement and the option.
TEST_F(plot_checks, family_given_twice_is_noted) {
  const struct { std::vector<double> seen; std::string message; } rows[] = {
      {{KES_PLOT_FLAG_NORMAL, KES_PLOT_FLAG_LOGNORMAL}, ""},
      {{KES_PLOT_FLAG_NORMAL, KES_PLOT_FLAG_GAMMA, KES_PLOT_FLAG_NORMAL, KES_PLOT_FLAG_NORMAL}, "431/997"},
      {{KES_PLOT_FLAG_KERNEL, KES_PLOT_FLAG_EXPONENTIAL, KES_PLOT_FLAG_KERNEL, KES_PLOT_FLAG_EXPONENTIAL},
       "431/997 431/997"}};
  for (const auto& r : rows) {
    node n("HISTOGRA");
    n.list(KES_PLOT_SLOT_FAMILIES, r.seen);
    req.stmt = &n.s;
    req.type = KES_PLOT_HISTOGRAM;
    logged.clear();
    kesfamrep(&req, 1);
    EXPECT_EQ(messages(), r.message) << r.seen.size();
  }
}

// Cells per panel from the CLASS variables and NROWS=/NCOLS=; the tick-label and
// reference-label fields.
TEST_F(plot_checks, layout_fields) {
  struct row {
    int nclass;
    double nrows, ncols;  // 0: not given
    int result, want_rows, want_cols;
    const char* messages;
  };
  const row rows[] = {
      {0, 0, 0, 0, 1, 1, ""},          {0, 2, 0, 0, 1, 1, "439/102"},   {1, 0, 0, 0, 0, 1, ""},
      {1, 3, 0, 0, 3, 1, ""},          {2, 0, 0, 0, 0, 0, ""},          {2, 2, 4, 0, 2, 4, ""},
      {2, 10, 10, 0, 10, 10, ""},      {1, 0, 11, 1, 0, 0, "189/349"},  {1, -1, 0, 1, 0, 0, "189/337"},
      {1, NAN, 0, 1, 0, 0, "189/337"},
  };
  for (const row& r : rows) {
    node n("HISTOGRA");
    if (r.nrows != 0) n.num(KES_PLOT_SLOT_NROWS, r.nrows);
    if (r.ncols != 0) n.num(KES_PLOT_SLOT_NCOLS, r.ncols);
    kes_classvars cv{};
    cv.count = r.nclass;
    req = kes_preq{};
    req.classvars = &cv;
    logged.clear();
    EXPECT_EQ(run(kes_layout_options, n, KES_PLOT_HISTOGRAM), r.result) << r.nclass << " " << r.nrows << " " << r.ncols;
    EXPECT_EQ(messages(), r.messages) << r.nclass << " " << r.nrows << " " << r.ncols;
    if (r.result == 0) {
      EXPECT_EQ(req.nrows, r.want_rows);
      EXPECT_EQ(req.ncols, r.want_cols);
    }
  }
  node n("QQPLOT");
  n.flag(KES_PLOT_FLAG_NOVTICK).list(KES_PLOT_SLOT_VREF, {1, 2});
  std::vector<kes_textentry> labels = {{3, "one"}, {20, "a much longer label!"}};
  n.slots[KES_PLOT_SLOT_VREF_LABELS].given = 1;
  n.slots[KES_PLOT_SLOT_VREF_LABELS].v.count = 2;
  n.slots[KES_PLOT_SLOT_VREF_LABELS].list = labels.data();
  req = kes_preq{};
  logged.clear();
  ASSERT_EQ(run(kes_layout_options, n, KES_PLOT_QQ), 0);
  EXPECT_EQ(messages(), "439/227");
  EXPECT_EQ(req.novlabel, 1);
  EXPECT_EQ(req.nvref, 2);
  ASSERT_NE(req.vreflabels, nullptr);
  EXPECT_STREQ(req.vreflabels[0].text, "one");
  // Cut to 16 bytes, the last three an ellipsis, so that a reader sees it was cut.
  EXPECT_STREQ(req.vreflabels[1].text, "a much longer\xE2\x80\xA6");
  EXPECT_EQ(req.hreflabels, nullptr);
}

}  // namespace

namespace {

// Graphics start-up through a table of steps: which steps run, and what a device that
// cannot be loaded does with and without template graphics.
int g_destination, g_template, g_load, g_start;
std::string g_calls;
int t_destination(kes_ctx*) { return g_destination; }
int t_template(kes_ctx*) { return g_template; }
// A destination with a blank device name.
gdevopts g_opts;
int t_dest(kes_layout* layout) {
  g_calls += "dest;";
  g_opts = gdevopts{};
  std::memset(g_opts.device, ' ', 8);
  layout->gopts = &g_opts;
  return 0;
}
int t_load(gdevopts* options, int, int) {
  g_calls += std::string("load(") + std::string(options->device, 8) + ");";
  return g_load;
}
int t_release(kes_layout* layout) {
  g_calls += std::string("free(") + std::string(layout->gopts->device, 8) + ");";
  return 0;
}
int t_start(kes_ctx*) { g_calls += "start;"; return g_start; }
const kes_graphics_startup kTestGraphics = {t_destination, t_template, t_dest, t_load, t_release, t_start};

// A context for the whole statement pass over the PROC node and what follows it.
kes_ctx pass_context(host_pool* pool, int* varnums, node& proc) {
  kes_ctx c{};
  c.runpool = pool;
  c.nvars = 1;
  c.varnums = varnums;
  c.proc = &proc.s;
  return c;
}

TEST_F(plot_checks, graphics_startup) {
  struct row {
    const char* what;
    int destination, template_on, load, start;
    bool noplot;  // the only statement is a HISTOGRAM with NOPLOT
    int result, devgraph, tmplgraph;
    const char* calls;
    const char* messages;
  };
  const row rows[] = {
      {"no destination", 0, 0, 0, 0, false, 0, 0, 0, "", ""},
      {"device graphics", 1, 0, 0, 0, false, 0, 1, 0, "dest;load(javaimg );free(        );start;", ""},
      {"no graph needed", 1, 0, 0, 0, true, 0, 0, 0, "", ""},
      {"template graphics", 1, 1, 0, 0, false, 0, 0, 1, "dest;load(javaimg );free(        );", ""},
      {"device fails", 1, 0, -1, 0, false, 1012, 0, 0, "dest;load(javaimg );free(        );", "435/14 435/15"},
      {"image missing", 1, 0, 1, 0, false, 1012, 0, 0, "dest;load(javaimg );free(        );", "308/280"},
      {"template, device fails", 1, 1, -1, 0, false, 0, 0, 1, "dest;load(javaimg );free(        );",
       "435/14 435/15 435/16"},
      {"start fails", 1, 0, 0, 1012, false, 1012, 1, 0, "dest;load(javaimg );free(        );start;", ""},
  };
  for (const row& r : rows) {
    g_destination = r.destination, g_template = r.template_on, g_load = r.load, g_start = r.start;
    g_calls.clear();
    node h("HISTOGRA");
    if (r.noplot) h.flag(KES_PLOT_FLAG_NOPLOT);
    node proc("PROC");
    proc.s.next = &h.s;
    kes_ctx c = pass_context(ctx.runpool, varnums, proc);
    logged.clear();
    EXPECT_EQ(kesstmt_with(&c, &kTestGraphics), r.result) << r.what;
    EXPECT_EQ(c.devgraph, r.devgraph) << r.what;
    EXPECT_EQ(c.tmplgraph, r.tmplgraph) << r.what;
    EXPECT_EQ(g_calls, r.calls) << r.what;
    EXPECT_EQ(messages(), r.messages) << r.what;
  }
}

}  // namespace

namespace {

// When the BY variables cannot be copied into OUTHISTOGRAM=, the check fails with a
// message instead of leaving the data set half defined.
host_access dummy_access{};
int t_xvputi(kes_dsh, int, int, host_access** handle) {
  *handle = &dummy_access;
  return 0;
}
int t_xvputcv(host_access*, kes_dsh, const int*, int, int) { return 1; }

TEST_F(plot_checks, outhistogram_by_copy_failure_fails_the_check) {
  const auto& vi = kes_host::services[kes_host::svc_xvputi];
  const auto& vc = kes_host::services[kes_host::svc_xvputcv];
  host_routine old_i = plat::replace_service(vi.vector, vi.slot, reinterpret_cast<host_routine>(t_xvputi));
  host_routine old_c = plat::replace_service(vc.vector, vc.slot, reinterpret_cast<host_routine>(t_xvputcv));
  int byvar = 3;
  ctx.nbyvars = 1;
  kes_dp(&ctx)->byvarnums = &byvar;
  kes_name32 names[1] = {{5, "score"}};
  ctx.varnames = names;
  node n("HISTOGRA");
  n.slots[KES_PLOT_SLOT_OUTHISTOGRAM].given = 1;
  EXPECT_EQ(run(keshchk, n, KES_PLOT_HISTOGRAM), 1);
  EXPECT_EQ(messages(), "189/329");
  plat::replace_service(vi.vector, vi.slot, old_i);
  plat::replace_service(vc.vector, vc.slot, old_c);
}

}  // namespace

namespace {

// The variable check: listed variables must be analysis variables; each request's
// plot slots follow the ones before it.
TEST_F(plot_checks, variable_lists_and_plot_slots) {
  int nums[3] = {4, 7, 9};
  int slots[3];
  kes_name32 names[3] = {{1, "a"}, {12, "longer_names"}, {2, "bb"}};
  ctx.nvars = 3;
  ctx.varnums = nums;
  ctx.varnames = names;
  struct row {
    std::vector<int> list;  // input variable numbers; empty: no list
    int result;
    std::vector<int> slots;
    int first, total;
  };
  const row rows[] = {
      {{}, 0, {0, 1, 2}, 0, 3},
      {{9, 4}, 0, {1, -1, 0}, 3, 5},
      {{7}, 0, {-1, 0, -1}, 5, 6},
      {{7, 5}, 1, {-1, 0, -1}, 0, 6},  // 5 is no analysis variable
  };
  for (const row& r : rows) {
    node n("QQPLOT");
    if (!r.list.empty()) n.marks(KES_PLOT_SLOT_VAR, r.list);
    for (int& s : slots) s = -1;
    req = kes_preq{};
    req.varslot = slots;
    req.stmt = &n.s;
    logged.clear();
    EXPECT_EQ(kesvchk(&ctx, &req, KES_PLOT_SLOT_VAR), r.result);
    EXPECT_EQ(std::vector<int>(slots, slots + 3), r.slots);
    if (r.result == 0) {
      EXPECT_EQ(req.first_slot, r.first);
      EXPECT_EQ(messages(), "");
    } else {
      EXPECT_EQ(messages(), "308/75");
    }
    EXPECT_EQ(ctx.nplotslots, r.total);
  }
  node n("HISTOGRA");
  EXPECT_EQ(kesnlen(&ctx, &n.s, KES_PLOT_SLOT_VAR), 12);
  names[1].len = 3;
  EXPECT_EQ(kesnlen(&ctx, &n.s, KES_PLOT_SLOT_VAR), 8);
}

// The INSET statements right after a plot statement mark it for robust statistics
// (codes 35 to 38, and 37 also the second mark), up to their end code.
TEST_F(plot_checks, robust_statistics_of_the_insets) {
  struct row {
    std::vector<std::vector<double>> insets;  // code lists of the INSET statements
    bool other_between;                       // a non-INSET statement before the last
    int robust, robust2;
  };
  const row rows[] = {
      {{{1, 2, 300}}, false, 0, 0},
      {{{1, 35, 300}}, false, 1, 0},
      {{{2, 300}, {37, 300}}, false, 1, 1},
      {{{300, 37}}, false, 0, 0},         // after the end code
      {{{1, 300}, {38, 300}}, true, 0, 0},  // not directly after the plot statement
  };
  for (const row& r : rows) {
    node plot("HISTOGRA");
    std::vector<std::unique_ptr<node>> insets;
    node other("VAR");
    kes_stmt* prev = &plot.s;
    for (size_t i = 0; i < r.insets.size(); ++i) {
      if (r.other_between && i + 1 == r.insets.size()) {
        prev->next = &other.s;
        prev = &other.s;
      }
      insets.push_back(std::make_unique<node>("INSET"));
      insets.back()->list(1, r.insets[i]);
      prev->next = &insets.back()->s;
      prev = &insets.back()->s;
    }
    req = kes_preq{};
    kesrobchk(&req, &plot.s);
    EXPECT_EQ(req.robust, r.robust);
    EXPECT_EQ(req.robust2, r.robust2);
  }
}

}  // namespace

// The renderer is chosen once per step: template graphs first, then device graphs;
// a mode whose renderer is not built draws nothing.
namespace {
int template_renderer(kes_ctx*) { return 1; }
int device_renderer(kes_ctx*) { return 2; }
}  // namespace

TEST(RendererChoice, TemplateFirstThenDevice) {
  struct row {
    int tmplgraph, devgraph;
    bool template_built, device_built;
    int (*expected)(kes_ctx*);
  };
  const row rows[] = {
      {0, 0, true, true, nullptr},
      {1, 0, true, true, template_renderer},
      {1, 1, true, true, template_renderer},  // template graphs win
      {1, 0, false, true, nullptr},           // no fall back to the device
      {0, 1, true, true, device_renderer},
      {0, 1, true, false, nullptr},
  };
  for (const row& r : rows) {
    kes_stages stages{};
    stages.kesstgr = r.template_built ? template_renderer : nullptr;
    stages.kesgcht = r.device_built ? device_renderer : nullptr;
    kes_ctx ctx{};
    ctx.stages = &stages;
    ctx.tmplgraph = r.tmplgraph;
    ctx.devgraph = r.devgraph;
    kes_choose_renderer(&ctx);
    EXPECT_EQ(ctx.renderer, r.expected) << r.tmplgraph << r.devgraph << r.template_built << r.device_built;
  }
  kes_ctx none{};
  none.renderer = device_renderer;
  kes_choose_renderer(&none);  // no stage table: nothing to draw with
  EXPECT_EQ(none.renderer, nullptr);
}

namespace {

// ANNOTATE= needs the annotate image. The host's install is replaced: the image for
// vector 117 is there or missing; what is installed is recorded.
int g_anno_fail;
std::string g_installed;
int t_wiinstl(int vector, const char* name8, int) {
  g_installed += std::to_string(vector - 0x40000) + ":" + std::string(name8, 8) + ";";
  return vector == 0x40000 + 117 && g_anno_fail ? 1 : 0;
}

TEST_F(plot_checks, annotate_image_install) {
  struct row {
    const char* what;
    bool on_proc, on_plot, image_missing;
    const char* installed;
    const char* messages;
    bool proc_kept, plot_kept, annotate_set;
  };
  const row rows[] = {
      {"no ANNOTATE=", false, false, false, "", "", false, false, false},
      {"PROC ANNOTATE=", true, false, false, "117:QORXGANO;", "", true, false, true},
      {"plot ANNOTATE=", false, true, false, "117:QORXGANO;", "", false, true, false},
      {"both, image missing", true, true, true, "117:QORXGANO;", "129/53 431/83", false, false, false},
      {"plot, image missing", false, true, true, "117:QORXGANO;", "129/53 431/83", false, false, false},
  };
  const auto& svc = kes_host::services[kes_host::svc_wiinstl];
  const host_routine old = plat::replace_service(svc.vector, svc.slot, reinterpret_cast<host_routine>(t_wiinstl));
  int annotate_data = 0;  // stands for the opened data set
  for (const row& r : rows) {
    g_anno_fail = r.image_missing;
    g_installed.clear();
    g_destination = 0;  // no graphs: only the statement pass's own steps run
    node h("HISTOGRA");
    h.flag(KES_PLOT_FLAG_NOPLOT);
    if (r.on_plot) h.slots[KES_PLOT_SLOT_ANNOTATE].given = 1;
    node proc("PROC");
    proc.s.next = &h.s;
    if (r.on_proc) {
      proc.slots[KES_PROC_SLOT_ANNOTATE].given = 1;
      proc.slots[KES_PROC_SLOT_ANNOTATE].v.handle = &annotate_data;
    }
    kes_ctx c = pass_context(ctx.runpool, varnums, proc);
    logged.clear();
    EXPECT_EQ(kesstmt_with(&c, &kTestGraphics), 0) << r.what;
    EXPECT_EQ(g_installed, r.installed) << r.what;
    EXPECT_EQ(messages(), r.messages) << r.what;
    EXPECT_EQ(proc.slots[KES_PROC_SLOT_ANNOTATE].given != 0, r.proc_kept) << r.what;
    EXPECT_EQ(h.slots[KES_PLOT_SLOT_ANNOTATE].given != 0, r.plot_kept) << r.what;
    EXPECT_EQ(c.annotate == static_cast<void*>(&annotate_data), r.annotate_set) << r.what;
  }
  plat::replace_service(svc.vector, svc.slot, old);
}

}  // namespace
