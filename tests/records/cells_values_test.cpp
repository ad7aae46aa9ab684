// The one walk over a CLASS record's cells and the one way to a cell's values: which
// cells are visited in which order, where a walk stops, and what a cell without
// values gives.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "records/kes_cells.h"
#include "records/kes_values.h"

namespace {

// Two levels a, b; with two CLASS variables a has children a1, a2 and b has b1.
struct tree {
  kes_cell a{}, b{}, a1{}, a2{}, b1{};
  kes_classvars cv{};
  std::vector<std::pair<const kes_cell*, char>> names;
  explicit tree(int count) {
    cv.count = count;
    cv.levels = &a;
    a.next = &b;
    if (count == 2) {
      a.child = &a1;
      a1.next = &a2;
      b.child = &b1;
    }
    names = {{&a, 'a'}, {&b, 'b'}, {&a1, '1'}, {&a2, '2'}, {&b1, '3'}};
  }
  char name(const kes_cell* c) const {
    for (const auto& [cell, n] : names)
      if (cell == c) return n;
    return '?';
  }
};

struct walk_case {
  int count;
  int stop_at;  // visit number (from 1) that returns non-zero; 0 never
  std::string visited;
  int result;
};
const walk_case kWalks[] = {
    {1, 0, "ab", 0},   {2, 0, "123", 0},  // a level with children is never visited itself
    {1, 2, "ab", 7},   {2, 2, "12", 7},   // the walk stops at the first non-zero result
    {2, 3, "123", 7},
};

}  // namespace

TEST(CellWalk, OrderAndStop) {
  for (const walk_case& w : kWalks) {
    tree t(w.count);
    std::string seen;
    const int r = kes_each_cell(&t.cv, [&](kes_cell* c) {
      seen += t.name(c);
      return static_cast<int>(seen.size()) == w.stop_at ? 7 : 0;
    });
    EXPECT_EQ(seen, w.visited) << w.count << " " << w.stop_at;
    EXPECT_EQ(r, w.result) << w.count << " " << w.stop_at;
  }
}

// Each cell comes with its level; the children here do not link back to theirs.
TEST(CellWalk, CellsWithTheirLevels) {
  struct {
    int count;
    std::string pairs;
  } const cases[] = {{1, "aabb"}, {2, "1a2a3b"}};
  for (const auto& c : cases) {
    tree t(c.count);
    std::string seen;
    kes_each_cell(&t.cv, [&](kes_cell* cell, kes_cell* level) {
      seen += t.name(cell);
      seen += t.name(level);
    });
    EXPECT_EQ(seen, c.pairs) << c.count;
  }
}

TEST(CellWalk, VoidVisitAndNoRecord) {
  tree t(2);
  int n = 0;
  EXPECT_EQ(kes_each_cell(&t.cv, [&](kes_cell*) { ++n; }), 0);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(kes_each_cell(nullptr, [&](kes_cell*) { return 1; }), 0);
}

TEST(CellValues, ViewOfTheCurrentVariable) {
  const double x[] = {1.5, 2.0, 4.0};
  const int f[] = {2, 1, 3};
  kes_valview v{};
  v.m = 3;
  v.x = x;
  v.f = f;
  kes_varsum recs[2]{};
  recs[1].view = &v;
  kes_cell cell{};
  cell.varsums = recs;
  kes_ctx ctx{};
  const kes_cell bare{};
  struct {
    int curvar;
    const kes_cell* cell;
    const kes_valview* want;
  } const cases[] = {{1, &cell, &v}, {0, &cell, nullptr}, {1, &bare, nullptr}, {1, nullptr, nullptr}};
  for (const auto& c : cases) {
    ctx.curvar = c.curvar;
    EXPECT_EQ(kes_cell_values(&ctx, c.cell), c.want) << c.curvar;
  }

  // Every value once, ascending, with its frequency; the same through the iterator
  // after its first value is passed over.
  std::vector<std::pair<double, int>> seen;
  kes_each_value(&v, [&](double xv, int fv) { seen.emplace_back(xv, fv); });
  EXPECT_EQ(seen, (std::vector<std::pair<double, int>>{{1.5, 2}, {2.0, 1}, {4.0, 3}}));
  kes_valiter it(&v);
  it.skip_first();
  double xv;
  int fv;
  ASSERT_TRUE(it.next(&xv, &fv));
  EXPECT_EQ(xv, 2.0);
  EXPECT_EQ(fv, 1);
  int none = 0;
  kes_each_value(nullptr, [&](double, int) { ++none; });
  EXPECT_EQ(none, 0);
}
