// The step driver run through stand-in bodies that return chosen results: the order
// of its work, the data-pass results, the plot-request loop, OUTPUT observations per
// cell, output groups, pools, messages and the step's return code.
#include <cstdio>
#include <cstring>

#include "driver/kes_preq.h"
#include "driver/kes_stmt.h"
#include "fake_host.h"

namespace kes_test {
namespace {

using step = fake_host;

void vars(int n) { kes_ph.nvars = n; }
void request(int type, std::uint32_t varmask) { kes_ph.req[kes_ph.nreq++] = {type, varmask}; }

// ---- order of the work ----

TEST_F(step, OneByGroupTwoVariablesRunsEachStageInOrder) {
  vars(2);
  request(KES_PLOT_HISTOGRAM, 3);
  EXPECT_EQ(run_step(), 0);
  EXPECT_EQ(trace(),
            "init;xvem;by;in(1:0,2);"
            "grp(V1);comp(0,0);save;merg;cmh3;hist(1);close;"
            "grp(V2);comp(1,0);save;merg;hist(1);close;by;");
  EXPECT_EQ(rec.exits, std::vector<int>{0});
  EXPECT_EQ(rec.groups_open, 0);
}

TEST_F(step, ManagerAndHeadingAreMadeBeforeTheParse) {
  vars(1);
  kes_ph.noprint = 1;
  run_step();
  ASSERT_GE(rec.calls.size(), 3u);
  // Create: 143 "vem", 146 "manager", 144 handle, 383 = 189, 2481 NOPRINT (still 0).
  EXPECT_EQ(rec.calls[0].method, 147);
  EXPECT_EQ(rec.calls[0].ids, (std::vector<int>{143, 146, 144, 383, 2481}));
  EXPECT_EQ(rec.calls[0].ints, std::vector<int>{189});
  // Heading: an unfilled leading record, then 440, 2558, 148, 577.
  EXPECT_EQ(rec.calls[1].method, 439);
  EXPECT_EQ(rec.calls[1].ids, (std::vector<int>{0, 440, 2558, 148, 577}));
  EXPECT_EQ(rec.calls[1].ints, (std::vector<int>{1, -1}));
  // Nothing printed: method 431 with 433 = 1.
  EXPECT_EQ(rec.calls[2].method, 431);
  EXPECT_EQ(rec.calls[2].ids, std::vector<int>{433});
  EXPECT_EQ(rec.calls[2].ints, std::vector<int>{1});
}

TEST_F(step, VariableGroupCarriesNameAndWidestNameWidth) {
  vars(2);
  kes_ph.varnames[0] = "HEIGHT";
  kes_ph.varnames[1] = "WEIGHTKG";
  run_step();
  std::vector<method_call> groups;
  for (const auto& c : rec.calls)
    if (c.method == 300) groups.push_back(c);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].ids, (std::vector<int>{144, 138, 289, 288, 296, 286}));
  EXPECT_EQ(groups[0].name, "HEIGHT");
  EXPECT_EQ(groups[0].label, "HEIGHT");
  EXPECT_EQ(groups[0].ints, std::vector<int>{8});  // the widest name has 8 characters
  EXPECT_EQ(groups[1].name, "WEIGHTKG");
}

TEST_F(step, NoVarContentsOpensNoVariableGroups) {
  vars(2);
  kes_ph.novarcontents = 1;
  run_step();
  EXPECT_EQ(trace().find("grp("), std::string::npos);
}

TEST_F(step, SummaryContentsGetsTheVariableNameAndIsClosedBeforeTheBins) {
  vars(1);
  kes_ph.varnames[0] = "HEIGHT";
  kes_ph.summary = "Summary of #varname.";
  run_step();
  EXPECT_NE(trace().find("grp(HEIGHT);grp(Summary);comp(0,0);save;close;merg;"), std::string::npos);
  bool found = false;
  for (const auto& c : rec.calls)
    if (c.method == 300 && c.name == "Summary") {
      found = true;
      EXPECT_EQ(c.label, "Summary of HEIGHT");
    }
  EXPECT_TRUE(found);
}

TEST_F(step, NoprintOpensNoSummaryGroup) {
  vars(1);
  kes_ph.noprint = 1;
  kes_ph.summary = "Summary of #VARNAME";
  run_step();
  EXPECT_EQ(trace().find("grp(Summary)"), std::string::npos);
}

TEST_F(step, OuttableIsOpenedEndedAndClosedAroundTheByGroups) {
  vars(1);
  static host_dataset ds;
  kes_ph.outtable_ds = &ds;
  kes_ph.outtable_access = reinterpret_cast<host_access*>(&ds);
  run_step();
  EXPECT_EQ(trace().substr(0, 22), "init;otab;vpute;xvem;b");
  EXPECT_NE(trace().find("by;vputt;"), std::string::npos);
}

TEST_F(step, OuttableWithoutHandleIsNeitherEndedNorClosed) {
  vars(1);
  static host_dataset ds;
  kes_ph.outtable_ds = &ds;  // kesotab returns no handle
  EXPECT_EQ(run_step(), 0);
  EXPECT_EQ(trace().find("vpute"), std::string::npos);
  EXPECT_EQ(trace().find("vputt"), std::string::npos);
}

TEST_F(step, SidePlotsRunAfterTheLastByGroup) {
  vars(1);
  kes_ph.sideplots = 1;
  by_groups = 2;
  run_step();
  EXPECT_TRUE(trace().ends_with("by;side;")) << trace();
}

// ---- results of the data pass ----

TEST_F(step, ResultTwoRunsOneVariableNotComputedThenRereadsTheRest) {
  vars(3);
  kes_ph_set(kes_ph.kesin, {2, 0});
  EXPECT_EQ(run_step(), 0);
  EXPECT_EQ(trace(),
            "init;xvem;by;in(1:0,3);"
            "comp(0,2);save;merg;cmh3;rw(66);"  // no output group in not-computed mode
            "in(1:1,2);"
            "grp(V2);comp(1,0);save;merg;close;"
            "grp(V3);comp(2,0);save;merg;close;by;");
}

TEST_F(step, ResultTwoInALaterBatchStillRewindsForTheRest) {
  vars(3);
  kes_ph_set(kes_ph.kesin, {2, 2, 0});
  run_step();
  EXPECT_NE(trace().find("in(1:0,3);comp(0,2);save;merg;cmh3;rw(66);in(1:1,2);comp(1,2);save;merg;rw(66);"
                         "in(1:2,1);grp(V3);"),
            std::string::npos);
}

TEST_F(step, ResultThreeSkipsTheByGroupWithoutCountingIt) {
  vars(1);
  by_groups = 2;
  kes_ph_set(kes_ph.kesin, {3, 0});
  EXPECT_EQ(run_step(), 0);
  // The second BY group is number 1 again: the skipped one was not counted.
  EXPECT_EQ(trace(), "init;xvem;by;in(1:0,1);by;in(1:0,1);grp(V1);comp(0,0);save;merg;cmh3;close;by;");
}

TEST_F(step, ResultThreeLeavesNoPoolOfTheSkippedGroup) {
  vars(2);
  by_groups = 1;
  kes_ph_set(kes_ph.kesin, {3});
  run_step();
  EXPECT_EQ(rec.live_pool_flags, std::vector<int>{4226});  // the run pool only
  EXPECT_EQ(rec.open_pools_added, 1);
}

TEST_F(step, ErrorResultEndsTheStepWithAFailingReturnCode) {
  vars(2);
  by_groups = 2;
  kes_ph_set(kes_ph.kesin, {1});
  const int r = run_step();
  EXPECT_EQ(trace(), "init;xvem;by;in(1:0,2);");
  EXPECT_GE(r, 1);  // never 0 after a failed read
  EXPECT_EQ(rec.exits, std::vector<int>{r});
  EXPECT_EQ(rec.live_pool_flags, std::vector<int>{4226});
}

// ---- pools ----

TEST_F(step, PoolsOfByGroupsAndVariablesAreGoneAtStepEnd) {
  vars(3);
  by_groups = 3;
  run_step();
  // Run pool + 3 BY groups x (1 + 3 variables).
  EXPECT_EQ(rec.pools_made, 1 + 3 * 4);
  EXPECT_EQ(rec.pools_deleted, 3 * 4);
  EXPECT_EQ(rec.live_pool_flags, std::vector<int>{4226});
  EXPECT_EQ(rec.open_pools_added, 1);
}

TEST_F(step, PoolsOfVariablesTheBatchDidNotKeepAreMadeAgain) {
  vars(3);
  kes_ph_set(kes_ph.kesin, {2, 0});
  run_step();
  // First batch: 3 pools, two dropped after the read; second batch: 2 again.
  EXPECT_EQ(rec.pools_made, 1 + 1 + 3 + 2);
  EXPECT_EQ(rec.live_pool_flags, std::vector<int>{4226});
}

// ---- plot requests ----

TEST_F(step, PlotDriverResultsAreMaskedAndOnlyOutOfMemoryOrStepErrorsEnd) {
  struct outcome {
    int result;
    bool ends;
  };
  const outcome cases[] = {
      {1008, false}, {1, false}, {1012, false}, {static_cast<int>(0x80008001u), false},
      {1016, true},  {1020, true}, {static_cast<int>(0x80000000u | 1016u), true},
      {0x00400000 | 1016, true}, {0x40000000 | 1020, true},
  };
  for (const outcome& c : cases) {
    TearDown();
    SetUp();
    vars(1);
    request(KES_PLOT_HISTOGRAM, 1);
    request(KES_PLOT_HISTOGRAM, 1);
    kes_ph_set(kes_ph.keshini, {c.result, 0});
    const int r = run_step();
    const bool second_ran = trace().find("hist(2);") != std::string::npos;
    EXPECT_EQ(second_ran, !c.ends) << "result " << c.result;
    if (c.ends) {
      EXPECT_GE(r, 1016) << "result " << c.result;
      EXPECT_EQ(rec.groups_open, 0) << "the variable's group is closed on the way out";
    } else {
      EXPECT_EQ(r, 0) << "result " << c.result;
    }
  }
}

TEST_F(step, OnlyHistogramsRunWithoutGraphics) {
  vars(1);
  request(KES_PLOT_HISTOGRAM, 1);
  request(KES_PLOT_QQ, 1);
  request(KES_PLOT_CDF, 1);
  request(KES_PLOT_PROB, 1);
  request(KES_PLOT_PP, 1);
  run_step();
  EXPECT_NE(trace().find("hist(1);close;"), std::string::npos);
  for (const char* k : {"qq(", "cdf(", "prob(", "pp("}) EXPECT_EQ(trace().find(k), std::string::npos) << k;
}

TEST_F(step, WithGraphicsTheKindsRunInTheirFixedOrder) {
  for (int mode = 0; mode < 2; ++mode) {
    TearDown();
    SetUp();
    vars(1);
    // Given out of order: the requests are kept by kind.
    request(KES_PLOT_PP, 1);
    request(KES_PLOT_QQ, 1);
    request(KES_PLOT_PROB, 1);
    request(KES_PLOT_HISTOGRAM, 1);
    request(KES_PLOT_CDF, 1);
    (mode == 0 ? kes_ph.devgraph : kes_ph.tmplgraph) = 1;
    run_step();
    EXPECT_NE(trace().find("hist(1);qq(1);cdf(1);prob(1);pp(1);close;"), std::string::npos) << mode;
  }
}

TEST_F(step, RequestNotNamingTheVariableIsSkippedButKeepsItsNumber) {
  vars(2);
  kes_ph.devgraph = 1;
  request(KES_PLOT_HISTOGRAM, 2);  // V2 only
  request(KES_PLOT_HISTOGRAM, 3);
  request(KES_PLOT_QQ, 1);         // V1 only
  request(KES_PLOT_QQ, 2);         // V2 only
  run_step();
  EXPECT_NE(trace().find("grp(V1);comp(0,0);save;merg;cmh3;hist(2);qq(1);close;"), std::string::npos);
  EXPECT_NE(trace().find("grp(V2);comp(1,0);save;merg;hist(1);hist(2);qq(2);close;"), std::string::npos);
}

TEST_F(step, DebugTraceNamesEachVariableAndEachRequestRun) {
  vars(2);
  kes_ph.varnames[0] = "AGE";
  kes_ph.varnames[1] = "HEIGHT";
  kes_ph.debug = 1;
  request(KES_PLOT_HISTOGRAM, 2);
  request(KES_PLOT_HISTOGRAM, 3);
  run_step();
  std::vector<std::string> traced;
  for (size_t i = 0; i < rec.messages.size(); ++i)
    if (rec.messages[i].rfind("431/", 0) == 0) traced.push_back(rec.messages[i] + " " + rec.msg_args[i]);
  EXPECT_EQ(traced, (std::vector<std::string>{"431/876 AGE", "431/877 HISTOGRAM 2", "431/876 HEIGHT",
                                              "431/877 HISTOGRAM 1", "431/877 HISTOGRAM 2"}));
}

// ---- INSET placement ----

struct stmt_list {
  kes_stmt nodes[8];
  explicit stmt_list(std::initializer_list<const char*> names) {
    std::memset(nodes, 0, sizeof nodes);
    int i = 0;
    for (const char* n : names) {
      char padded[9];
      std::snprintf(padded, sizeof padded, "%-8s", n);
      std::memcpy(nodes[i].name, padded, 8);
      if (i > 0) nodes[i - 1].next = &nodes[i];
      ++i;
    }
  }
};

TEST_F(step, InsetRightAfterProcIsNotedOncePerStep) {
  static stmt_list after({"INSET", "HISTOGRA", "INSET", "INSET"});
  vars(2);
  by_groups = 2;
  kes_ph.stmts = &after.nodes[0];
  run_step();
  EXPECT_EQ(count_messages("189/303"), 1);
}

TEST_F(step, InsetAfterOutputIsNoted) {
  static stmt_list after({"HIST", "INSET", "OUTPUT", "INSET"});
  vars(1);
  kes_ph.stmts = &after.nodes[0];
  run_step();
  EXPECT_EQ(count_messages("189/303"), 1);
}

TEST_F(step, InsetsAfterPlotStatementsAndEachOtherAreNotNoted) {
  static stmt_list after({"CDFPLOT", "INSET", "INSET", "HIST", "INSET", "PPPLOT", "INSET"});
  vars(1);
  kes_ph.stmts = &after.nodes[0];
  run_step();
  EXPECT_EQ(count_messages("189/303"), 0);
}

TEST_F(step, InsetAfterProbAndQqIsNotNoted) {
  static stmt_list after({"PROBPLOT", "INSET", "QQ", "INSET"});
  vars(1);
  kes_ph.stmts = &after.nodes[0];
  run_step();
  EXPECT_EQ(count_messages("189/303"), 0);
}

// ---- exit path and return code ----

TEST_F(step, GraphicsStopFailureGivesMessageAndReturnCode1020) {
  vars(1);
  kes_ph.devstarted = 1;
  ggstop_result = 1;
  EXPECT_EQ(run_step(), 1020);
  EXPECT_EQ(count_messages("432/358"), 1);
  EXPECT_EQ(kes_ph.gpspnot_calls, 1);
  EXPECT_TRUE(trace().ends_with("by;gpspnot;ggstop;msg(432/358);")) << trace();
}

TEST_F(step, DeviceNotStartedIsNotStopped) {
  vars(1);
  ggstop_result = 1;
  EXPECT_EQ(run_step(), 0);
  EXPECT_EQ(kes_ph.gpspnot_calls, 0);
  EXPECT_EQ(trace().find("ggstop"), std::string::npos);
}

TEST_F(step, FailedStartUpEndsWithItsStatusAfterGpspnot) {
  vars(1);
  kes_ph_set(kes_ph.kesinit, {1008});
  EXPECT_EQ(run_step(), 1008);
  EXPECT_EQ(trace(), "init;gpspnot;");
  EXPECT_EQ(rec.exits, std::vector<int>{1008});
}

TEST_F(step, FailedStagesRaiseTheReturnCode) {
  struct stage {
    kes_ph_script kes_placeholder_hooks::*script;
    int result;
  };
  const stage stages[] = {
      {&kes_placeholder_hooks::kesmerg, 1012},
      {&kes_placeholder_hooks::kescmh3, 1016},
      {&kes_placeholder_hooks::kesout, 1},
  };
  for (const stage& s : stages) {
    TearDown();
    SetUp();
    vars(2);
    kes_ph.noutvals = 3;
    kes_ph_set(kes_ph.*s.script, {s.result});
    EXPECT_EQ(run_step(), s.result);
    EXPECT_EQ(rec.groups_open, 0);
    EXPECT_EQ(rec.live_pool_flags, std::vector<int>{4226});
  }
}

TEST_F(step, NegativeXobinitEndsTheStepWithIt) {
  vars(1);
  xobinit_result = -5;
  EXPECT_EQ(run_step(), -5);
  EXPECT_EQ(trace(), "");
  EXPECT_EQ(rec.exits, std::vector<int>{-5});
}

TEST_F(step, FailedManagerCreationIsLoggedAndEndsTheStep) {
  vars(1);
  create_result = static_cast<int>(0x80008001u);
  EXPECT_EQ(run_step(), static_cast<int>(0x80008001u));
  EXPECT_EQ(rec.prrlogs, std::vector<int>{static_cast<int>(0x80008001u)});
  EXPECT_EQ(trace(), "");
}

// ---- CLASS cells and OUTPUT observations ----

TEST_F(step, NoClassWritesOneOutputObservationPerByGroup) {
  vars(2);
  kes_ph.noutvals = 4;
  by_groups = 2;
  run_step();
  const std::string t = trace();
  // The values are preset missing at each BY group.
  EXPECT_NE(t.find("grp(V1);comp(0,0);save;outs(.);merg;cmh3;close;grp(V2);comp(1,0);save;outs(.);merg;close;"
                   "out(:.);by;"),
            std::string::npos);
  size_t n = 0;
  for (size_t at = t.find("out(:"); at != std::string::npos; at = t.find("out(:", at + 1)) ++n;
  EXPECT_EQ(n, 2u);
}

TEST_F(step, OneClassVariableComputesPerLevelInLevelGroups) {
  vars(1);
  kes_ph.nclass = 1;
  kes_ph.nlevels = 2;
  kes_ph.noutvals = 2;
  run_step();
  EXPECT_NE(trace().find("grp(V1);grp(L1);comp(0,0);save;outs(1);close;grp(L2);comp(0,0);save;outs(11);close;"
                         "merg;cmh3;close;out(L1:1);out(L2:11);by;"),
            std::string::npos);
  // The level group's label is "NAME = level", its name the level text.
  int levels = 0;
  for (const auto& c : rec.calls) {
    if (c.method != 300 || c.name.rfind("L", 0) != 0) continue;
    ++levels;
    EXPECT_EQ(c.ids, (std::vector<int>{144, 138, 289, 288, 340, 270, 272, 296, 286}));
    EXPECT_EQ(c.label, "189/9:GROUP=" + c.name);
    EXPECT_EQ(c.ints, (std::vector<int>{16, 2, 12}));  // text width, level length, format width
  }
  EXPECT_EQ(levels, 2);
}

TEST_F(step, BlankCharacterLevelIsLabelledAsBlank) {
  vars(1);
  kes_ph.nclass = 1;
  kes_ph.class_char = 1;
  kes_ph.nlevels = 2;
  kes_ph.blank_levels = 1;
  run_step();
  std::vector<std::string> labels;
  std::vector<int> widths;
  for (const auto& c : rec.calls)
    if (c.method == 300 && c.ids.size() == 9) {
      labels.push_back(c.label);
      widths.push_back(c.ints[0]);
    }
  EXPECT_EQ(labels, (std::vector<std::string>{"189/10:GROUP", "189/9:GROUP=L2"}));
  EXPECT_EQ(widths, (std::vector<int>{0, 16}));
}

TEST_F(step, TwoClassVariablesSkipChildCellsWithoutOutput) {
  vars(1);
  kes_ph.nclass = 2;
  kes_ph.nlevels = 2;
  kes_ph.nchildren = 2;
  kes_ph.no_output = 0b0110;  // L1/C2 and L2/C1
  kes_ph.noutvals = 1;
  EXPECT_EQ(run_step(), 0);
  EXPECT_NE(trace().find("grp(V1);grp(L1);grp(C1);comp(0,0);save;outs(11);close;"
                         "grp(C2);comp(0,0);save;close;close;"
                         "grp(L2);grp(C1);comp(0,0);save;close;grp(C2);comp(0,0);save;outs(22);close;close;"
                         "merg;cmh3;close;"
                         "out(L1/C1:11);out(L2/C2:22);by;"),
            std::string::npos);
  EXPECT_EQ(rec.groups_open, 0);
}

TEST_F(step, NotComputedModeOpensNoLevelGroups) {
  vars(2);
  kes_ph.nclass = 1;
  kes_ph.nlevels = 2;
  kes_ph_set(kes_ph.kesin, {2, 0});
  run_step();
  EXPECT_NE(trace().find("in(1:0,2);comp(0,2);save;comp(0,2);save;merg;cmh3;rw(66);in(1:1,1);grp(V2);grp(L1);"),
            std::string::npos);
}

TEST_F(step, LevelTextThatCannotBeHadEndsOutOfMemory) {
  vars(2);
  kes_ph.nclass = 1;
  kes_ph.nlevels = 1;
  refuse_size = 16;  // the level text: max(16, format width 12)
  EXPECT_EQ(run_step(), 1016);
  EXPECT_EQ(rec.memmsgs, std::vector<long>{16});
  EXPECT_NE(trace().find("grp(V1);"), std::string::npos);
  EXPECT_EQ(trace().find("comp("), std::string::npos);
  EXPECT_EQ(rec.groups_open, 0);
  EXPECT_EQ(rec.live_pool_flags, std::vector<int>{4226});
}

}  // namespace
}  // namespace kes_test
