// The data pass keeps, for every value list, its nodes in the order they were made,
// so that the list can be copied without walking it (the copy is flat_listed_test's): with CLASS cells sharing one
// variable's chunks, weights, missing values, ties and batches forced by a memory cap.
#include <cstdio>
#include <random>

#include "data/dataset.h"
#include "datapass_test_support.h"

namespace dp_test {
namespace {

enum { sVar = 1, sWeight = 2, sFreq = 3, sClass = 5, sData = 6 };
constexpr int kNoprint = 1;

class DatapassListed : public datapass_fixture {
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
  // Every list of every cell has its record (or, when given_up may be true, none),
  // never a wrong one. Returns the number of lists without one.
  int expect_listed(const run_result& r, bool given_up) {
    EXPECT_EQ(r.groups.size(), 1u);
    if (r.groups.size() != 1) return 0;
    int lists = 0, none = 0;
    for (const auto& [cell, vars] : r.groups[0].vars)
      for (const auto& [v, s] : vars) {
        SCOPED_TRACE("cell " + cell + " var " + std::to_string(v));
        if (s.ndistinct == 0) continue;
        ++lists;
        if (s.listed == -1 && given_up) {
          ++none;
          continue;
        }
        EXPECT_EQ(s.listed, 1);
      }
    EXPECT_GE(lists, 36);  // 12 cells, three variables
    return none;
  }
};

TEST_F(DatapassListed, EveryCellListCopiesAlikeBothWays) {
  for (bool weighted : {false, true}) {
    SCOPED_TRACE(weighted ? "weighted" : "unweighted");
    write_random(weighted ? 7 : 8, 6000);
    proc_builder p = proc(weighted);
    expect_listed(run(p), false);
    plat::close_dataset(plat::from_handle(static_cast<kes_dsh>(data_)));
    data_ = nullptr;
    ctx_ = std::make_unique<kes_ctx>();
  }
}

// Cells of one to five values: the record starts inside the cell's own record (one
// node) and moves to the pool as the list grows; ties keep one node.
TEST_F(DatapassListed, CellsOfFewValuesKeepTheirRecords) {
  std::string csv = "a,b,f,w,x,y,z\n";
  for (int level = 0; level < 60; ++level)
    for (int k = 0; k <= level % 5; ++k)
      csv += "L" + std::to_string(level) + ",0,1,1," + std::to_string(level * 10 + k) + ",3," +
             std::to_string(-k * 0.25) + "\n";
  write_csv("r", csv);
  proc_builder p = proc(false);
  run_result r = run(p);
  EXPECT_EQ(expect_listed(r, false), 0);
  ASSERT_EQ(r.groups.size(), 1u);
  const auto& cell = r.groups[0].vars.at("L4/0");
  EXPECT_EQ(cell.at(0).ndistinct, 5);  // x
  EXPECT_EQ(cell.at(1).ndistinct, 1);  // y: ties
  EXPECT_EQ(r.groups[0].vars.at("L0/0").at(0).ndistinct, 1);
}

TEST_F(DatapassListed, BatchesForcedByACapKeepTheirRecords) {
  write_random(9, 8000);
  proc_builder p = proc(true);
  // Room for the cells and about one variable's lists at a time: the records go first
  // when memory runs short; later batches reset and rebuild the lists and their
  // records.
  run_result r = run(p, 850000);
  ASSERT_EQ(r.groups.size(), 1u);
  EXPECT_TRUE(r.groups[0].notcomputed.empty());
  EXPECT_GT(r.groups[0].results.size(), 1u) << "the cap did not force several batches";
  const int none = expect_listed(r, true);
  EXPECT_GT(none, 0) << "no record was given up";
  EXPECT_LT(none, 36) << "no batch kept its records";
}

}  // namespace
}  // namespace dp_test
