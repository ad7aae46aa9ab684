// Batches forced by a pool cap over several BY groups and CLASS cells.
#include <cmath>
#include <cstdio>

#include "data/dataset.h"
#include "datapass_test_support.h"
#include "records/kes_readstate.h"

namespace dp_test {
namespace {

enum { sBy = 0, sVar = 1, sWeight = 2, sClass = 5, sData = 6, sRound = 12 };
constexpr int kNoprint = 1;

class DatapassBatches : public datapass_fixture {
 protected:
  // BY groups g = 1..3, CLASS c = a/b, three analysis variables with many distinct
  // values each, a weight.
  void write_big() {
    std::string csv = "g,c,w,x,y,z\n";
    char line[128];
    for (int g = 1; g <= 3; ++g)
      for (int i = 0; i < 3000; ++i) {
        std::snprintf(line, sizeof line, "%d,%s,%d,%d.25,%d,%s\n", g, i % 3 ? "a" : "b", 1 + i % 4, i * 7 % 1999 + g,
                      (i * 13) % 2500, i % 11 == 0 ? "." : std::to_string(i % 500 + 0.5).c_str());
        csv += line;
      }
    write_csv("big", csv);
  }
  proc_builder proc() {
    proc_builder p;
    p.handle(sData, open_data("big", {"g"}))
        .flag(kNoprint)
        .ints(sBy, {var_of("g")})
        .ints(sVar, {var_of("x"), var_of("y"), var_of("z")})
        .marks(sClass, {var_of("c")})
        .ints(sWeight, {var_of("w")})
        .list(sRound, {0.5, 0, 2});
    return p;
  }
};

void expect_same(const var_snap& a, const var_snap& b) {
  EXPECT_EQ(a.n, b.n);
  EXPECT_EQ(a.nmiss, b.nmiss);
  EXPECT_EQ(a.nobs, b.nobs);
  EXPECT_EQ(a.sumwgt, b.sumwgt);
  EXPECT_EQ(a.sum, b.sum);
  EXPECT_EQ(a.uss, b.uss);
  EXPECT_EQ(a.css, b.css);
  EXPECT_EQ(a.pass_total, b.pass_total);
  EXPECT_EQ(a.values, b.values);
  EXPECT_EQ(a.missing, b.missing);
  EXPECT_EQ(a.weights, b.weights);
  EXPECT_EQ(a.lowobs, b.lowobs);
  EXPECT_EQ(a.highobs, b.highobs);
}

TEST_F(DatapassBatches, CappedRunGivesTheUncappedStatistics) {
  write_big();
  proc_builder p1 = proc();
  run_result full = run(p1);
  ASSERT_EQ(full.groups.size(), 3u);
  for (const group_snap& g : full.groups) EXPECT_EQ(g.results, (std::vector<int>{0}));
  plat::close_dataset(plat::from_handle(static_cast<kes_dsh>(data_)));
  data_ = nullptr;

  ctx_ = std::make_unique<kes_ctx>();
  proc_builder p2 = proc();
  // Room for the cells and about one variable's value lists at a time.
  run_result capped = run(p2, 300000);
  ASSERT_EQ(capped.groups.size(), 3u);
  bool batched = false;
  for (size_t gi = 0; gi < 3; ++gi) {
    const group_snap& c = capped.groups[gi];
    const group_snap& f = full.groups[gi];
    batched = batched || c.results.size() > 1;
    EXPECT_TRUE(c.notcomputed.empty());
    EXPECT_EQ(c.cells, f.cells);
    for (const auto& [cell, vars] : f.vars)
      for (const auto& [v, s] : vars) {
        SCOPED_TRACE("group " + std::to_string(gi) + " cell " + cell + " var " + std::to_string(v));
        ASSERT_TRUE(c.vars.count(cell) && c.vars.at(cell).count(v));
        expect_same(c.vars.at(cell).at(v), s);
      }
  }
  EXPECT_TRUE(batched) << "the cap did not force several batches";
  EXPECT_EQ(capped.rc, full.rc);
}

// BY groups read independently, with CLASS cells in each, are the example programs
// by_groups and tables_class.

TEST_F(DatapassBatches, CapTooSmallForOneVariableEndsEveryBatchUncomputed) {
  write_big();
  proc_builder p = proc();
  run_result r = run(p, 36000);
  // The step always ends: every variable is read on its own and not computed.
  ASSERT_EQ(r.groups.size(), 3u);
  EXPECT_FALSE(r.ended);
  for (const group_snap& g : r.groups) EXPECT_EQ(g.notcomputed, (std::vector<int>{0, 1, 2}));
}

// A CLASS cell that cannot be made is an out-of-memory failure, never a BY group
// read in part.
TEST_F(DatapassBatches, CellThatCannotBeMadeIsOutOfMemory) {
  write_big();
  proc_builder p = proc();
  run_result r = run(p, 200);
  EXPECT_TRUE(r.ended);
  EXPECT_EQ(r.rc, 1016);
  EXPECT_GE(count_in_log("Out of memory"), 1);
}

// A data set without observations, a BY group without a usable weight and files the
// reader refuses are the example programs no_observations, datapass_steps and
// csv_faults.

}  // namespace
}  // namespace dp_test
