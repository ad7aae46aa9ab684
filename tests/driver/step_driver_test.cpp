// The step driver's own logic, run through a stage table that returns chosen results:
// the data-pass results, the plot-request loop, OUTPUT observations per cell, output
// groups, pools, messages and the step's return code.

#include "core/runtime.h"
#include "host/host_data.h"
#include "host/kes_stmt.h"
#include "records/kes_preq.h"
#include "step_stages.h"
#include "support/fake_host.h"

namespace kes_test {
namespace {

class step : public fake_host {
 protected:
  void SetUp() override {
    fake_host::SetUp();
    setup = step_setup{};
  }
  void again() {
    TearDown();
    SetUp();
  }
  int run() { return run_step(&test_stages); }
  void request(int type, std::uint32_t varmask) { setup.requests.push_back({type, varmask}); }
  // The events from `first` (inclusive) up to `last` (exclusive), joined by blanks.
  std::string between(const std::string& first, const std::string& last) const {
    int a = find_event(first), b = find_event(last, a + 1);
    std::string s;
    for (int i = a; a >= 0 && i < (b < 0 ? static_cast<int>(rec.events.size()) : b); ++i)
      s += (s.empty() ? "" : " ") + rec.events[static_cast<size_t>(i)];
    return s;
  }
  std::vector<method_call> groups() const {
    std::vector<method_call> g;
    for (const auto& c : rec.calls)
      if (c.method == 300) g.push_back(c);
    return g;
  }
  bool only_run_pool_left() const { return rec.live_pool_flags == std::vector<int>{4226}; }
};

// ---- output groups ----
// Variable groups, NOVARCONTENTS, SUMMARYCONTENTS= and the DEBUG trace of each
// variable are the example program step_groups.

TEST_F(step, OuttableIsEndedAndClosedOnlyWhenItHasAHandle) {
  static host_dataset ds;
  for (bool handle : {true, false}) {
    again();
    setup.outtable_ds = &ds;
    setup.outtable_access = handle ? reinterpret_cast<host_access*>(&ds) : nullptr;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(count_events("otab"), 1);
    EXPECT_EQ(count_events("vpute"), handle ? 1 : 0);
    EXPECT_EQ(count_events("vputt"), handle ? 1 : 0);
    if (handle) {
      EXPECT_GT(find_event("vputt"), find_event("by", find_event("grp(V1)")));
    }
  }
}

// Side-by-side box plots, drawn once after the last BY group, are the example program
// lpplot_by.

// ---- results of the data pass ----

TEST_F(step, ResultTwoRunsOneVariableNotComputedThenRereadsTheRest) {
  setup.nvars = 3;
  setup.kesin = {2, 0};
  EXPECT_EQ(run(), 0);
  // No output group in not-computed mode; the rest is read again after a rewind.
  EXPECT_EQ(between("in(1:0,3)", "grp(V2)"), "in(1:0,3) comp(0,2) save merg cmh3 rw(66) in(1:1,2)");
  EXPECT_EQ(count_events("comp(1,0)") + count_events("comp(2,0)"), 2);
  EXPECT_EQ(count_events("cmh3"), 1);
}

TEST_F(step, ResultTwoInALaterBatchStillRewindsForTheRest) {
  setup.nvars = 3;
  setup.kesin = {2, 2, 0};
  run();
  EXPECT_EQ(count_events("rw(66)"), 2);
  EXPECT_EQ(count_events("comp(1,2)"), 1);
  EXPECT_EQ(between("in(1:2,1)", "save"), "in(1:2,1) grp(V3) comp(2,0)");
}

TEST_F(step, ResultThreeSkipsTheByGroupWithoutCountingItOrKeepingPools) {
  setup.nvars = 2;
  by_groups = 2;
  setup.kesin = {3, 0};
  EXPECT_EQ(run(), 0);
  // The second BY group is number 1 again: the skipped one was not counted.
  EXPECT_EQ(count_events("in(1:0,2)"), 2);
  EXPECT_EQ(count_events("comp(0,0)"), 1);
  EXPECT_TRUE(only_run_pool_left());
  EXPECT_EQ(rec.open_pools_added, 1);
}

TEST_F(step, ErrorResultEndsTheStepWithAFailingReturnCodeAndNoPools) {
  setup.nvars = 2;
  by_groups = 2;
  setup.kesin = {1};
  const int r = run();
  EXPECT_GE(r, 1);  // never 0 after a failed read
  EXPECT_EQ(rec.exits, std::vector<int>{r});
  EXPECT_EQ(count_events("save"), 0);
  EXPECT_EQ(count_events("by"), 1);
  EXPECT_TRUE(only_run_pool_left());
}

// ---- pools ----

TEST_F(step, PoolsOfByGroupsAndVariablesAreGoneAtStepEnd) {
  setup.nvars = 3;
  by_groups = 3;
  run();
  EXPECT_EQ(rec.pools_made, 1 + 3 * (1 + 3));  // run pool + per BY group its own and 3 variables'
  EXPECT_EQ(rec.pools_deleted, 3 * 4);
  EXPECT_TRUE(only_run_pool_left());
  EXPECT_EQ(rec.open_pools_added, 1);
}

TEST_F(step, PoolsOfVariablesTheBatchDidNotKeepAreMadeAgain) {
  setup.nvars = 3;
  setup.kesin = {2, 0};
  run();
  EXPECT_EQ(rec.pools_made, 1 + 1 + 3 + 2);  // second batch: its 2 variables again
  EXPECT_TRUE(only_run_pool_left());
}

// ---- plot requests ----

TEST_F(step, PlotDriverResultsAreMaskedAndOnlyOutOfMemoryOrStepErrorsEnd) {
  const struct {
    unsigned result;
    bool ends;
  } cases[] = {
      {1008, false},        {1, false},           {1012, false},        {0x80008001u, false},
      {1016, true},         {1020, true},         {0x80000000u | 1016u, true},
      {0x00400000u | 1016u, true}, {0x40000000u | 1020u, true},
  };
  for (const auto& c : cases) {
    again();
    request(KES_PLOT_HISTOGRAM, 1);
    request(KES_PLOT_HISTOGRAM, 1);
    setup.plot[0] = {static_cast<int>(c.result), 0};
    const int r = run();
    EXPECT_EQ(count_events("hist(2)"), c.ends ? 0 : 1) << c.result;
    if (c.ends) {
      EXPECT_GE(r, 1016) << c.result;
      EXPECT_EQ(rec.groups_open, 0) << "the variable's group is closed on the way out";
      EXPECT_TRUE(only_run_pool_left());
    } else {
      EXPECT_EQ(r, 0) << c.result;
    }
  }
}

TEST_F(step, KindsRunInTheirFixedOrderAndOnlyHistogramsWithoutGraphics) {
  for (int graphics = 0; graphics < 3; ++graphics) {
    again();
    // Given out of order: the requests are kept by kind.
    for (int t : {KES_PLOT_PP, KES_PLOT_QQ, KES_PLOT_PROB, KES_PLOT_HISTOGRAM, KES_PLOT_CDF}) request(t, 1);
    setup.devgraph = graphics == 1;
    setup.tmplgraph = graphics == 2;
    run();
    EXPECT_EQ(between("hist(1)", "close"), graphics ? "hist(1) qq(1) cdf(1) prob(1) pp(1)" : "hist(1)")
        << graphics;
  }
}

// INSET placement, noted once per step, is the example program inset_placement.

// ---- exit path and return code ----

TEST_F(step, GraphicsStopFailureGivesMessageAndReturnCode1020) {
  setup.devstarted = true;
  ggstop_result = 1;
  EXPECT_EQ(run(), 1020);
  EXPECT_EQ(count_messages("432/358"), 1);
  EXPECT_EQ(between("gpspnot", ""), "gpspnot ggstop msg(432/358)");
  plat::msg_kind kind;  // the message is never in an example program's log
  ASSERT_NE(plat::catalogue_text(432, 358, &kind), nullptr);
  EXPECT_EQ(kind, plat::msg_kind::error);
}

TEST_F(step, DeviceNotStartedIsNotStopped) {
  ggstop_result = 1;
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(count_events("gpspnot") + count_events("ggstop"), 0);
}

// A start-up that fails (no data set, no variables) ends its step with its status,
// and the next step runs: the example programs runner_steps and csv_faults.

TEST_F(step, FailedStagesRaiseTheReturnCodeAndLeaveNothingOpen) {
  const struct {
    std::deque<int> step_setup::*stage;
    int result;
  } cases[] = {{&step_setup::kesmerg, 1012}, {&step_setup::kescmh3, 1016}, {&step_setup::kesout, 1}};
  for (const auto& c : cases) {
    again();
    setup.nvars = 2;
    setup.noutvals = 3;
    setup.*c.stage = {c.result};
    EXPECT_EQ(run(), c.result);
    EXPECT_EQ(rec.groups_open, 0);
    EXPECT_TRUE(only_run_pool_left());
  }
}

TEST_F(step, NegativeXobinitEndsTheStepWithIt) {
  xobinit_result = -5;
  EXPECT_EQ(run(), -5);
  EXPECT_TRUE(rec.events.empty());
  EXPECT_EQ(rec.exits, std::vector<int>{-5});
}

TEST_F(step, FailedManagerCreationIsLoggedAndEndsTheStep) {
  create_result = static_cast<int>(0x80008001u);
  EXPECT_EQ(run(), create_result);
  EXPECT_EQ(rec.prrlogs, std::vector<int>{create_result});
  EXPECT_TRUE(rec.events.empty());
}

// ---- CLASS cells and OUTPUT observations ----

// An OUTPUT observation per BY group and per CLASS level, in level order, are the
// example programs by_groups and class_levels; level groups and their labels, blank
// levels included, are step_groups.

TEST_F(step, TwoClassVariablesSkipChildCellsWithoutOutput) {
  setup.nclass = 2;
  setup.nlevels = 2;
  setup.nchildren = 2;
  setup.no_output = 0b0110;  // L1/C2 and L2/C1
  setup.noutvals = 1;
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(count_events("comp(0,0)"), 4);
  EXPECT_EQ(count_events("outs(11)") + count_events("outs(22)"), 2);
  EXPECT_EQ(count_events("outs(12)") + count_events("outs(21)"), 0);
  EXPECT_EQ(between("out(L1/C1:11)", "by"), "out(L1/C1:11) out(L2/C2:22)");
  EXPECT_EQ(rec.groups_open, 0);
}

TEST_F(step, NotComputedModeOpensNoLevelGroups) {
  setup.nvars = 2;
  setup.nclass = 1;
  setup.nlevels = 2;
  setup.kesin = {2, 0};
  run();
  EXPECT_EQ(between("in(1:0,2)", "merg"), "in(1:0,2) comp(0,2) save comp(0,2) save");
  EXPECT_EQ(groups().size(), 3u);  // V2 and its two levels
}

TEST_F(step, LevelTextThatCannotBeHadEndsOutOfMemory) {
  setup.nvars = 2;
  setup.nclass = 1;
  setup.nlevels = 1;
  refuse_size = 16;  // the level text: max(16, format width 12)
  EXPECT_EQ(run(), 1016);
  EXPECT_EQ(rec.memmsgs, std::vector<long>{16});
  EXPECT_EQ(count_events("save"), 0);
  EXPECT_EQ(rec.groups_open, 0);
  EXPECT_TRUE(only_run_pool_left());
}

}  // namespace
}  // namespace kes_test
