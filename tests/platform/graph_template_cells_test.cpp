// The places of a template graph's CLASS cells on its panels, found once for the whole
// graph: over many levels that come out of order, with missing combinations and
// repeated pairs, every panel's slot holds the cell a search of every key finds for its
// levels; and overlaid groups gather the same data cells a search would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "graph/template_graph_parts.h"
#include "graph/template_overlay.h"
#include "graph/template_parts.h"
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
  for (std::size_t k = 0; k < drawn.members.size(); ++k) members += drawn.members[k].size();
  EXPECT_EQ(members, data_keys.size());
}

// The levels of the keys in the order they first come, by looking at every key before.
std::vector<std::string> first_come(const std::vector<class_key>& keys, bool across) {
  std::vector<std::string> levels;
  for (const class_key& k : keys) {
    const std::string& level = across ? k.c2 : k.c1;
    if (std::find(levels.begin(), levels.end(), level) == levels.end()) levels.push_back(level);
  }
  return levels;
}

TEST(TemplateCells, LevelsTakeTheOrderTheyFirstCome) {
  for (const auto& [n1, n2] : {std::pair{120, 45}, std::pair{1, 3000}, std::pair{0, 25}, std::pair{7, 1}}) {
    const std::vector<class_key> keys = shuffled_keys(n1, n2);
    const cell_places places = place_cells(keys);
    EXPECT_EQ(places.rows, first_come(keys, false)) << n1 << " x " << n2;
    EXPECT_EQ(places.cols, first_come(keys, true)) << n1 << " x " << n2;
  }
}

// A data object of CLASS texts, a row each: Class1 (and Class2 and Group when given).
std::shared_ptr<plat::out::graph_table> class_table(const std::vector<class_key>& rows, int columns) {
  auto t = std::make_shared<plat::out::graph_table>();
  const char* names[] = {"Class1", "Class2", "Group"};
  for (int k = 0; k < columns; ++k) {
    plat::out::column_info c;
    c.name = names[k];
    c.numeric = false;
    t->columns.push_back(c);
  }
  for (const class_key& r : rows) {
    const std::string* texts[] = {&r.c1, &r.c2, &r.group};
    std::vector<plat::out::cell> row;
    for (int k = 0; k < columns; ++k) row.push_back({true, *texts[k], 0});
    t->add_row(row);
  }
  return t;
}

TEST(TemplateCells, RowsGatherIntoTheirCellsWhateverTheLevelsCount) {
  // Few combinations of levels (found by their place in a table of all of them) and
  // many (found by hashing): 3 columns of 40 levels over 400 rows pass the table's size.
  struct row {
    int columns, levels, rows;
  };
  for (const row& r : {row{1, 30, 900}, row{2, 12, 700}, row{3, 40, 400}, row{3, 3, 500}}) {
    std::mt19937 gen(static_cast<unsigned>(r.columns * 1000 + r.levels));
    std::vector<class_key> rows;
    for (int i = 0; i < r.rows; ++i) {
      // Runs of a few rows of one cell, the cells coming back out of order.
      const auto level = [&](const char* name, int column) {
        return r.columns > column ? name + std::to_string(gen() % static_cast<unsigned>(r.levels)) : std::string();
      };
      const class_key k{level("a", 0), level("b", 1), level("g", 2)};
      for (unsigned n = 1 + gen() % 3; n > 0 && static_cast<int>(rows.size()) < r.rows; --n) rows.push_back(k);
    }
    const auto t = class_table(rows, r.columns);
    const std::vector<cell_rows>& cells = cells_of(*t);
    // The cells in the order their first rows come, each row in its cell's runs once.
    std::vector<class_key> expected;
    for (const class_key& k : rows)
      if (std::find(expected.begin(), expected.end(), k) == expected.end()) expected.push_back(k);
    ASSERT_EQ(cells.size(), expected.size());
    std::vector<int> seen(rows.size(), 0);
    for (std::size_t c = 0; c < cells.size(); ++c) {
      EXPECT_EQ(cells[c].key, expected[c]);
      std::size_t last_end = 0;
      for (const auto& [first, end] : cells[c].runs) {
        EXPECT_LT(first, end);
        EXPECT_TRUE(first >= last_end) << "runs in row order";
        last_end = end;
        for (std::size_t row = first; row < end; ++row) {
          EXPECT_EQ(rows[row], cells[c].key) << "row " << row;
          ++seen[row];
        }
      }
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
  }
}

TEST(TemplateCells, NumbersOfAListAreReadAsAStreamReadsItsWords) {
  // The words as a stream splits them, each a number only when read whole and finite.
  const auto streamed = [](const std::string& text) {
    std::vector<double> out;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
      char* end = nullptr;
      const double v = std::strtod(word.c_str(), &end);
      if (end != word.c_str() && *end == '\0' && std::isfinite(v)) out.push_back(v);
    }
    return out;
  };
  const char* pieces[] = {"0",   "1.5", "-2e3", "1e400", "inf", "nan", "x",  "3x", "0x1p-3", " ",
                          "\t", "\n", "  ",   "1E-7",  ".5",  "-0",  "+4", "\r", "\v",     "17000000000.25"};
  std::mt19937 gen(20261209);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int k = static_cast<int>(gen() % 9); k > 0; --k) {
      text += pieces[gen() % std::size(pieces)];
      if (gen() % 3 != 0) text += ' ';
    }
    const std::vector<double> got = parse_numbers(text), want = streamed(text);
    ASSERT_EQ(got.size(), want.size()) << '"' << text << '"';
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(std::signbit(got[i]), std::signbit(want[i]));
    EXPECT_EQ(got, want) << '"' << text << '"';
  }
}

}  // namespace
