// At its end the data pass gives every record of its batch a view of its values and
// gives the list nodes back: with CLASS cells sharing one variable's chunks, weights,
// missing values, ties and batches forced by a memory cap. The views hold what the
// observations give (checked against an independent tally), counts and weight sums
// add up to the record's totals, and the values ascend.
#include <algorithm>
#include <cstdio>
#include <random>

#include "data/dataset.h"
#include "datapass_test_support.h"

namespace dp_test {
namespace {

enum { sVar = 1, sWeight = 2, sFreq = 3, sClass = 5, sData = 6 };
constexpr int kNoprint = 1;

class DatapassViews : public datapass_fixture {
 protected:
  void write_random(unsigned seed, int n) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> normal;
    std::string csv = "a,b,f,w,x,y,z\n";
    char line[160];
    for (int i = 0; i < n; ++i) {
      const double x = normal(rng);
      // y: few distinct values (ties), some missing; x and z: nearly all distinct.
      const int y = static_cast<int>(rng() % 40) - 20;
      std::snprintf(line, sizeof line, "%c,%d,%d,%.3f,%.17g,%s,%.17g\n", static_cast<char>('p' + rng() % 4),
                    static_cast<int>(rng() % 3), 1 + static_cast<int>(rng() % 3), 0.5 * (rng() % 5),
                    i % 97 == 0 ? -0.0 : x, i % 13 == 0 ? "." : std::to_string(y).c_str(), normal(rng) * 1e5);
      csv += line;
    }
    write_csv("r", csv);
  }
  proc_builder proc(bool weighted) {
    proc_builder p;
    p.handle(sData, open_data("r"))
        .flag(kNoprint)
        .ints(sVar, {var_of("x"), var_of("y"), var_of("z")})
        .marks(sClass, {var_of("a"), var_of("b")})
        .ints(sFreq, {var_of("f")});
    if (weighted) p.ints(sWeight, {var_of("w")});
    return p;
  }
  // Every record of every cell has its view, its lists given up; the view's counts
  // (and weight sums) add up to the record's N (and sum of weights), its values ascend
  // and its distinct count is the record's. Returns the number of records checked.
  int expect_views(const run_result& r, bool weighted) {
    EXPECT_EQ(r.groups.size(), 1u);
    if (r.groups.size() != 1) return 0;
    int lists = 0;
    for (const auto& [cell, vars] : r.groups[0].vars)
      for (const auto& [v, s] : vars) {
        SCOPED_TRACE("cell " + cell + " var " + std::to_string(v));
        EXPECT_EQ(s.view, 1);
        EXPECT_EQ(static_cast<int>(s.values.size()), s.ndistinct);
        double n = 0, nmiss = 0, sumw = 0;
        for (size_t i = 0; i < s.values.size(); ++i) {
          n += s.values[i].second;
          if (i > 0) {
            EXPECT_LT(s.values[i - 1].first, s.values[i].first);
          }
        }
        for (const auto& k : s.missing) nmiss += k.second;
        for (const auto& w : s.weights) sumw += w[0];
        EXPECT_EQ(n, s.n);
        EXPECT_EQ(nmiss, s.nmiss);
        EXPECT_EQ(s.weights.size(), weighted ? s.values.size() : 0u);
        if (weighted) {
          EXPECT_NEAR(sumw, s.sumwgt, 1e-9 * (1 + s.sumwgt));
        }
        if (s.ndistinct > 0) ++lists;
      }
    return lists;
  }
};

TEST_F(DatapassViews, EveryCellHasItsView) {
  for (bool weighted : {false, true}) {
    SCOPED_TRACE(weighted ? "weighted" : "unweighted");
    write_random(weighted ? 7 : 8, 6000);
    proc_builder p = proc(weighted);
    EXPECT_GE(expect_views(run(p), weighted), 36);  // 12 cells, three variables
    plat::close_dataset(plat::from_handle(static_cast<kes_dsh>(data_)));
    data_ = nullptr;
    ctx_ = std::make_unique<kes_ctx>();
  }
}

// Cells of one to five values, one value repeated, and none: each view as small as
// its cell.
TEST_F(DatapassViews, CellsOfFewValues) {
  std::string csv = "a,b,f,w,x,y,z\n";
  for (int level = 0; level < 60; ++level)
    for (int k = 0; k <= level % 5; ++k)
      csv += "L" + std::to_string(level) + ",0,1,1," + std::to_string(level * 10 + k) + ",3," +
             std::to_string(-k * 0.25) + "\n";
  write_csv("r", csv);
  proc_builder p = proc(false);
  run_result r = run(p);
  EXPECT_GE(expect_views(r, false), 60);
  ASSERT_EQ(r.groups.size(), 1u);
  const auto& cell = r.groups[0].vars.at("L4/0");
  EXPECT_EQ(cell.at(0).ndistinct, 5);  // x
  EXPECT_EQ(cell.at(1).ndistinct, 1);  // y: ties
  EXPECT_EQ(r.groups[0].vars.at("L0/0").at(0).ndistinct, 1);
  EXPECT_EQ(cell.at(1).values, (std::vector<std::pair<double, int>>{{3, 5}}));
  EXPECT_EQ(cell.at(2).values.front().first, -1.0);
}

TEST_F(DatapassViews, BatchesForcedByACapMakeTheirViews) {
  write_random(9, 8000);
  proc_builder p = proc(true);
  // Room for the cells and about one variable's lists at a time: later batches reset
  // and rebuild the lists, and every batch ends with its views.
  run_result r = run(p, 1000000);
  ASSERT_EQ(r.groups.size(), 1u);
  EXPECT_TRUE(r.groups[0].notcomputed.empty());
  EXPECT_GT(r.groups[0].results.size(), 1u) << "the cap did not force several batches";
  EXPECT_GE(expect_views(r, true), 36);
}

// At every memory cap a variable is either read with a view in every cell or read
// alone and not computed: never computed from a cell whose view could not be had.
TEST_F(DatapassViews, UnderAnyCapEveryComputedVariableHasItsViews) {
  write_random(12, 3000);
  bool some_cut = false, some_alone = false;
  for (long cap = 150000; cap <= 900000; cap += 50000) {
    SCOPED_TRACE("cap " + std::to_string(cap));
    proc_builder p = proc(true);
    run_result r = run(p, cap);
    plat::close_dataset(plat::from_handle(static_cast<kes_dsh>(data_)));
    data_ = nullptr;
    ctx_ = std::make_unique<kes_ctx>();
    if (r.ended || r.groups.size() != 1) continue;
    const group_snap& g = r.groups[0];
    some_cut = some_cut || g.results.size() > 1;
    some_alone = some_alone || !g.notcomputed.empty();
    for (const auto& [cell, vars] : g.vars)
      for (const auto& [v, s] : vars) {
        const bool alone = std::find(g.notcomputed.begin(), g.notcomputed.end(), v) != g.notcomputed.end();
        if (!alone) {
          EXPECT_EQ(s.view, 1) << "cell " << cell << " var " << v;
        }
      }
  }
  EXPECT_TRUE(some_cut) << "no cap forced several batches";
  EXPECT_TRUE(some_alone) << "no cap left a variable alone";
}

// Without CLASS or WEIGHT the values are gathered and their view is made from them at
// once, without list nodes; when its room cannot be had the list is made and the view
// copied from it. Under any cap a variable read with its views holds the values and
// missing kinds of the uncapped run.
TEST_F(DatapassViews, GatheredViewsUnderAnyCapHoldTheUncappedValues) {
  write_random(13, 4000);
  auto plain = [this] {
    proc_builder p;
    p.handle(sData, open_data("r"))
        .flag(kNoprint)
        .ints(sVar, {var_of("x"), var_of("y"), var_of("z")})
        .ints(sFreq, {var_of("f")});
    return p;
  };
  auto fresh = [this] {
    plat::close_dataset(plat::from_handle(static_cast<kes_dsh>(data_)));
    data_ = nullptr;
    ctx_ = std::make_unique<kes_ctx>();
  };
  proc_builder p0 = plain();
  const run_result full = run(p0);
  fresh();
  ASSERT_EQ(full.groups.size(), 1u);
  const auto& want = full.groups[0].vars.begin()->second;
  ASSERT_EQ(want.size(), 3u);
  EXPECT_FALSE(want.at(1).missing.empty());  // y has missing values
  int checked = 0;
  for (long cap = 60000; cap <= 600000; cap += 30000) {
    SCOPED_TRACE("cap " + std::to_string(cap));
    proc_builder p = plain();
    const run_result r = run(p, cap);
    fresh();
    if (r.ended || r.groups.size() != 1) continue;
    const group_snap& g = r.groups[0];
    for (const auto& [v, s] : g.vars.begin()->second) {
      if (std::find(g.notcomputed.begin(), g.notcomputed.end(), v) != g.notcomputed.end()) continue;
      EXPECT_EQ(s.view, 1) << "var " << v;
      EXPECT_EQ(s.values, want.at(v).values) << "var " << v;
      EXPECT_EQ(s.missing, want.at(v).missing) << "var " << v;
      ++checked;
    }
  }
  EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace dp_test
