// The places of a template graph's CLASS cells on its panels, found once for the whole
// graph: over many levels that come out of order, with missing combinations and
// repeated pairs, every panel's slot holds the cell a search of every key finds for its
// levels; and overlaid groups gather the same data cells a search would.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "graph/template_graph_parts.h"
#include "graph/template_overlay.h"
#include "host/template_dynamics.h"
#include "output/graph_objects.h"

namespace {

using namespace plat::graph;

// The index of the first key with the slot's levels, by looking at every key.
int searched(const std::vector<class_key>& keys, const class_key& levels) {
  for (std::size_t i = 0; i < keys.size(); ++i)
    if (keys[i].c1 == levels.c1 && keys[i].c2 == levels.c2) return static_cast<int>(i);
  return -1;
}

// Levels "r<i>" and "c<j>" in a shuffled order, every seventh pair left out and a few
// pairs repeated with another group (the first of them is the cell).
std::vector<class_key> shuffled_keys(int n1, int n2) {
  std::vector<class_key> keys;
  for (int i = 0; i < n1; ++i)
    for (int j = 0; j < n2; ++j)
      if ((i * n2 + j) % 7 != 3) keys.emplace_back(n1 > 0 ? "r" + std::to_string(i) : "", "c" + std::to_string(j));
  std::mt19937 gen(20261207);
  std::shuffle(keys.begin(), keys.end(), gen);
  for (std::size_t k = 0; k < keys.size(); k += 97) keys.push_back(class_key{keys[k].c1, keys[k].c2, "again"});
  return keys;
}

TEST(TemplateCells, EverySlotOfEveryPanelHoldsTheCellOfItsLevels) {
  struct row {
    int n1, n2, nrows, ncols;
  };
  const row rows[] = {
      {120, 45, 3, 4},   // two CLASS variables, blocks of 3 x 4
      {1, 3000, 1, 5},   // one variable across (Class2 only, Class1 one level)
      {0, 2500, 4, 1},   // Class2 alone, NROWS ignored
      {60, 50, 1, 1},    // one cell a panel
  };
  for (const row& r : rows) {
    const std::vector<class_key> keys = shuffled_keys(r.n1, r.n2);
    const cell_places places = place_cells(keys);
    std::size_t slots = 0, filled = 0;
    // Panels run over blocks of rows by blocks of columns; the last one down may be short.
    const int blocks1 = (static_cast<int>(places.rows.size()) + r.nrows - 1) / r.nrows;
    const int blocks2 = (static_cast<int>(places.cols.size()) + r.ncols - 1) / r.ncols;
    for (int panel = 1; panel <= blocks1 * blocks2; ++panel) {
      const panel_grid g = panel_cells(places, r.nrows, r.ncols, panel);
      ASSERT_TRUE(g.strips);
      for (std::size_t i = 0; i < g.index.size(); ++i) {
        ++slots;
        if (!g.on_levels[i]) {
          EXPECT_EQ(g.index[i], -1);
          continue;
        }
        EXPECT_EQ(g.index[i], searched(keys, g.levels[i])) << g.levels[i].c1 << ", " << g.levels[i].c2;
        filled += g.index[i] >= 0 ? 1 : 0;
      }
    }
    // Every distinct pair of levels is shown once over the panels.
    std::size_t pairs = 0;
    for (std::size_t k = 0; k < keys.size(); ++k) pairs += keys[k].group.empty() ? 1 : 0;
    EXPECT_EQ(filled, pairs) << r.n1 << " x " << r.n2;
    EXPECT_GE(slots, filled);
  }
}

TEST(TemplateCells, NoClassLevelsIsOnePanelOfTheOneCell) {
  const struct {
    std::vector<class_key> keys;
    int index;
  } rows[] = {{{class_key{}}, 0}, {{}, -1}};
  for (const auto& r : rows) {
    const panel_grid g = panel_cells(place_cells(r.keys), 3, 3, 1);
    EXPECT_FALSE(g.strips);
    ASSERT_EQ(g.index.size(), 1u);
    EXPECT_EQ(g.index[0], r.index);
  }
}

TEST(TemplateCells, OverlaidGroupsGatherTheCellsASearchFinds) {
  // Group levels beside Class1 levels, rows of cells out of order.
  auto t = std::make_shared<plat::out::graph_table>();
  for (const char* name : {"Class1", "Group"}) {
    plat::out::column_info c;
    c.name = name;
    c.numeric = false;
    t->columns.push_back(c);
  }
  std::vector<class_key> data_keys = shuffled_keys(40, 30);
  for (class_key& k : data_keys) {
    k.group = k.c2;
    k.c2.clear();
  }
  plat::out::graph_panel p;
  p.dynamics.push_back({KES_DYN_OVERLAY, false, "", 1});
  const plot_cells drawn = plot_cells_of(p, *t, data_keys);
  ASSERT_TRUE(drawn.overlay);
  std::vector<class_key> expected;
  for (std::size_t i = 0; i < data_keys.size(); ++i) {
    const class_key cell{data_keys[i].c1, ""};
    if (std::find(expected.begin(), expected.end(), cell) == expected.end()) expected.push_back(cell);
  }
  ASSERT_EQ(drawn.keys, expected);
  for (std::size_t k = 0; k < drawn.keys.size(); ++k)
    for (int m : drawn.members[k]) EXPECT_EQ(data_keys[static_cast<std::size_t>(m)].c1, drawn.keys[k].c1);
  std::size_t members = 0;
  for (const auto& m : drawn.members) members += m.size();
  EXPECT_EQ(members, data_keys.size());
}

}  // namespace
