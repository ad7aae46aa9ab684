// CLASS cells: every ORDER= for one and two CLASS variables, MISSING, KEYLEVEL=, and
// the comparative layout.
#include "datapass_test_support.h"
#include "driver/kes_cell.h"
#include "driver/class_cells.h"
#include "driver/kesin.h"
#include "driver/pool_alloc.h"
#include "host/host_services.h"

namespace dp_test {
namespace {

enum { sVar = 1, sFreq = 3, sClass = 5, sData = 6, sKey1 = 27, sKey2 = 28 };
enum { kFreq = -1, kData = -2, kInternal = -3, kFormatted = -4, kMissing = -5 };
constexpr int kNoprint = 1;

class DatapassClass : public datapass_fixture {
 protected:
  proc_builder base(const std::string& member, std::vector<int> cls) {
    proc_builder p;
    p.handle(sData, open_data(member)).flag(kNoprint).ints(sVar, {var_of("x")});
    std::vector<int> list;
    for (int c : cls) list.push_back(c);  // column numbers and codes
    p.ints(sClass, list);
    return p;
  }
  std::vector<std::string> cells(proc_builder& p) {
    run_result r = run(p);
    EXPECT_EQ(r.groups.size(), 1u);
    return r.groups.empty() ? std::vector<std::string>{} : r.groups[0].cells;
  }
};

using strings = std::vector<std::string>;

// Levels "c", "a", "b" first appear in that order; counts a 5, b 7, c 5.
const char* kLevels =
    "g,x\n"
    "c,1\nc,2\na,3\nb,4\nb,5\na,6\nc,7\nb,8\na,9\nb,10\nc,11\na,12\nb,13\nb,14\nc,15\na,16\nb,17\n";

// Level order of one CLASS variable under each ORDER= and MISSING; the records of a
// cell hold its own observations.
TEST_F(DatapassClass, LevelOrderOfOneVariable) {
  const char* numbers = "g,x\n100,1\n9,2\n10,3\n9,4\n";
  const char* missing = "g,x\n1,1\n.,2\n2,3\n.,4\n";
  const struct {
    const char* csv;
    std::vector<int> cls;
    strings cells;
    const char* cell;  // a cell and the sum of x in it
    double sum;
  } cases[] = {
      {kLevels, {0, kFreq}, {"b", "a", "c"}, "b", 71},  // descending counts, ties in text order
      {kLevels, {0, kData}, {"c", "a", "b"}, "c", 36},  // first appearance
      {numbers, {0, kInternal}, {"9", "10", "100"}, "9", 6},
      {numbers, {0}, {"9", "10", "100"}, "100", 1},     // INTERNAL is the default
      {numbers, {0, kFormatted}, {"10", "100", "9"}, "10", 3},
      {missing, {0}, {"1", "2"}, "1", 1},               // missing levels only with MISSING
      {missing, {0, kMissing}, {".", "1", "2"}, ".", 6},
      {"g,x\na,1\n,2\nb,3\n", {0}, {"a", "b"}, "b", 3},  // a blank level needs MISSING too
  };
  for (const auto& c : cases) {
    write_csv("c", c.csv);
    proc_builder p = base("c", c.cls);
    run_result r = run(p);
    ASSERT_EQ(r.groups.size(), 1u);
    EXPECT_EQ(r.groups[0].cells, c.cells) << c.csv;
    EXPECT_DOUBLE_EQ(r.groups[0].vars[c.cell][0].sum, c.sum) << c.csv;
    TearDown();
    data_ = nullptr;
    SetUp();
  }
}

TEST_F(DatapassClass, KeylevelChoosesTheKeyCell) {
  write_csv("c", kLevels);
  proc_builder p = base("c", {0});
  p.text(sKey1, "b");
  run_result r = run(p);
  EXPECT_EQ(r.groups[0].keycell, "b");
  EXPECT_EQ(r.rc, 0);
}

TEST_F(DatapassClass, KeylevelWithoutMatchTakesTheFirstLevel) {
  write_csv("c", kLevels);
  proc_builder p = base("c", {0});
  p.text(sKey1, "zz");
  run_result r = run(p);
  EXPECT_EQ(r.groups[0].keycell, "a");
  EXPECT_EQ(r.rc, 4);
  EXPECT_EQ(count_in_log("KEYLEVEL= value zz matches no level of CLASS variable g"), 1);
}

// Two CLASS variables: every level lists its children in one common order; a
// combination without observations has no cell.
TEST_F(DatapassClass, TwoVariablesCommonChildOrder) {
  write_csv("two", "g,h,x\nb,y,1\na,x,2\nb,z,3\na,z,4\nb,x,5\n");
  proc_builder p = base("two", {0, kFormatted, 1, kData});
  run_result r = run(p);
  // Second variable by DATA: the order count of the first child met walking levels
  // in order (a: x then z; b: x, y, z): x 2, z 4 from level a, y 1 from level b.
  EXPECT_EQ(r.groups[0].cells, (strings{"a/x", "a/z", "b/y", "b/x", "b/z"}));
  EXPECT_EQ(r.groups[0].keycell, "a/x");
  EXPECT_DOUBLE_EQ(r.groups[0].vars["b/z"][0].sum, 3);
}

TEST_F(DatapassClass, TwoVariablesKeylevelAndLayout) {
  write_csv("two", "g,h,x\nb,y,1\na,x,2\nb,z,3\na,z,4\nb,x,5\n");
  proc_builder p = base("two", {0, 1});
  p.text(sKey1, "b").text(sKey2, "z");
  run_result r = run(p);
  EXPECT_EQ(r.groups[0].keycell, "b/z");
}

TEST_F(DatapassClass, LayoutPutsTheKeyFirstAndLeavesHoles) {
  write_csv("two", "g,h,x\nb,y,1\na,x,2\nb,z,3\na,z,4\nb,x,5\n");
  proc_builder p = base("two", {0, 1});
  p.text(sKey1, "b").text(sKey2, "z");
  // Keep the BY group's pool for the layout: run the data pass by hand.
  kes_ctx* ctx = ctx_.get();
  run_result r = run(p);
  ASSERT_EQ(r.groups.size(), 1u);
  // Run once more over the data set, stopping before the pool goes.
  xbyrwnd(ctx->data, 0);
  ASSERT_GT(xbynext(ctx->data), 0);
  ctx->bypool = xmpoolc(0, 1024, KES_POOL_BYGROUP);
  ctx->batch_first = 0;
  ctx->batch_n = ctx->nvars;
  for (int v = 0; v < ctx->nvars; ++v) {
    ctx->varpools[v] = xmpoolc(8192, 8192, KES_POOL_VAR);
    ctx->node_chunk[v] = nullptr;
    ctx->nodes_used[v] = ctx->nodes_per_chunk;
  }
  ASSERT_EQ(kesin(ctx), 0);
  kes_preq req{};
  req.classvars = ctx->classvars;
  ctx->preqs = &req;
  ctx->nplots = 1;
  ASSERT_EQ(kescmh3(ctx), 0);
  kes_classvars* cv = ctx->classvars;
  ASSERT_EQ(cv->nlevels, 2);
  ASSERT_EQ(cv->nlevels2, 3);
  auto* l1 = static_cast<kes_textdesc*>(cv->labels1);
  auto* l2 = static_cast<kes_textdesc*>(cv->labels2);
  EXPECT_EQ(std::string(l1[0].text, l1[0].len), "b");
  EXPECT_EQ(std::string(l2[0].text, l2[0].len), "z");
  auto* grid = static_cast<kes_cell**>(cv->grid);
  // Rows b, a; columns z, x, y: level a has no y.
  int holes = 0;
  for (int i = 0; i < 6; ++i) holes += grid[i] == nullptr;
  EXPECT_EQ(holes, 1);
  EXPECT_EQ(grid[3 + 2], nullptr);
  EXPECT_EQ(std::string(grid[0]->fmt.text, grid[0]->fmt.len), "z");
  ctx->preqs = nullptr;
  ctx->nplots = 0;
  for (int v = 0; v < ctx->nvars; ++v) xmpoold(ctx->varpools[v]), ctx->varpools[v] = nullptr;
  xmpoold(ctx->bypool);
  ctx->bypool = nullptr;
}

TEST_F(DatapassClass, WeightedFreqCountsInLevels) {
  write_csv("f", "g,f,x\na,3,1\nb,1,2\nb,1,3\n");
  proc_builder p = base("f", {0, kFreq});
  p.ints(sFreq, {var_of("f")});
  run_result r = run(p);
  EXPECT_EQ(r.groups[0].cells, (strings{"a", "b"}));
  // A CLASS cell's pass total is its own N + NMISS.
  EXPECT_DOUBLE_EQ(r.groups[0].vars["a"][0].pass_total, 3);
}

}  // namespace
}  // namespace dp_test

namespace dp_test {
namespace {

// The histogram's empty-cell mark and the no-OUTPUT mark are two fields: marking a
// cell empty for a histogram must not take its OUTPUT observation away.
TEST(DatapassCellRecord, EmptyHistogramAndNoOutputAreSeparate) {
  kes_cell c{};
  c.hist_empty = 1;
  EXPECT_EQ(c.no_output, 0);
  EXPECT_NE(offsetof(kes_cell, hist_empty), offsetof(kes_cell, no_output));
}

}  // namespace
}  // namespace dp_test
