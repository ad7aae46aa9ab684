// CLASS cells: KEYLEVEL=, the comparative layout and pass totals of a level.
#include "datapass_test_support.h"
#include "driver/class_cells.h"
#include "datapass/kesin.h"
#include "host/host_services.h"
#include "records/kes_cell.h"
#include "records/pool_alloc.h"

namespace dp_test {
namespace {

enum { sVar = 1, sFreq = 3, sClass = 5, sData = 6, sKey1 = 27, sKey2 = 28 };
enum { kFreq = -1 };
constexpr int kNoprint = 1;

class DatapassClass : public datapass_fixture {
 protected:
  proc_builder base(const std::string& member, std::vector<int> cls) {
    proc_builder p;
    p.handle(sData, open_data(member)).flag(kNoprint).ints(sVar, {var_of("x")});
    std::vector<int> list;
    for (int c : cls) list.push_back(c);  // column numbers and codes
    p.marks(sClass, list);
    return p;
  }
};

using strings = std::vector<std::string>;

// Levels "c", "a", "b" first appear in that order; counts a 5, b 7, c 5.
const char* kLevels =
    "g,x\n"
    "c,1\nc,2\na,3\nb,4\nb,5\na,6\nc,7\nb,8\na,9\nb,10\nc,11\na,12\nb,13\nb,14\nc,15\na,16\nb,17\n";

// The level order under each ORDER= and MISSING, for one and two CLASS variables, is
// the example program class_levels.

TEST_F(DatapassClass, KeylevelChoosesTheKeyCell) {
  write_csv("c", kLevels);
  proc_builder p = base("c", {0});
  p.text(sKey1, "b");
  run_result r = run(p);
  EXPECT_EQ(r.groups[0].keycell, "b");
  EXPECT_EQ(r.rc, 0);
}

// The warning and return code 4 are the example datapass_steps.
TEST_F(DatapassClass, KeylevelWithoutMatchTakesTheFirstLevel) {
  write_csv("c", kLevels);
  proc_builder p = base("c", {0});
  p.text(sKey1, "zz");
  EXPECT_EQ(run(p).groups[0].keycell, "a");
}

TEST_F(DatapassClass, LayoutPutsTheKeyFirstAndLeavesHoles) {
  write_csv("two", "g,h,x\nb,y,1\na,x,2\nb,z,3\na,z,4\nb,x,5\n");
  proc_builder p = base("two", {0, 1});
  p.text(sKey1, "b").text(sKey2, "z");
  // Keep the BY group's pool for the layout: run the data pass by hand.
  kes_ctx* ctx = ctx_.get();
  run_result r = run(p);
  ASSERT_EQ(r.groups.size(), 1u);
  EXPECT_EQ(r.groups[0].keycell, "b/z");
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
