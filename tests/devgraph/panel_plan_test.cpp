// The comparative panel plan: pages, places on the page, cells and level labels, and
// the edge flags that decide which panel carries ticks, values and axis labels. The
// expected plans are laid out by hand from the row and column rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devgraph/chart_geometry.h"
#include "devgraph/panel_plan.h"

namespace {

// The edge flags as six characters: left label, right label, left ticks, bottom, top,
// right ticks.
std::string edges(const kes_panel& p) {
  std::string s;
  for (auto e : p.edge) s += e ? '1' : '0';
  return s;
}

int pages(const std::vector<kes_panel>& plan) {
  int n = 0;
  for (const auto& p : plan) n += p.opens;
  return n;
}

TEST(PanelPlan, FiveLevelsInTwoRowsMakeThreePages) {
  const auto plan = kes_panel_plan(1, 5, 1, 2, 1);
  ASSERT_EQ(plan.size(), 5u);
  EXPECT_EQ(pages(plan), 3);
  EXPECT_EQ(pages(plan), kes_page_count(1, 5, 1, 2, 1));
  struct want {
    int page;
    bool opens, closes;
    int vslot;
    const char* edges;
  };
  // Rows 2, 2, 1: the first of a page is on top, the last closes it and carries the
  // horizontal axis; the lone last panel is on the top row and carries both flags.
  const want w[] = {{0, true, false, 1, "111011"},
                    {0, false, true, 0, "111101"},
                    {1, true, false, 1, "111011"},
                    {1, false, true, 0, "111101"},
                    {2, true, true, 1, "111111"}};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(plan[i].page, w[i].page);
    EXPECT_EQ(plan[i].opens, w[i].opens);
    EXPECT_EQ(plan[i].closes, w[i].closes);
    EXPECT_EQ(plan[i].vslot, w[i].vslot);
    EXPECT_EQ(plan[i].hslot, -1);
    EXPECT_EQ(plan[i].cell, i);
    EXPECT_EQ(plan[i].side_label, i);
    EXPECT_EQ(edges(plan[i]), w[i].edges);
  }
}

TEST(PanelPlan, ColumnsWhenRowsAreNotAskedFor) {
  const auto plan = kes_panel_plan(1, 3, 1, 1, 2);
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_EQ(pages(plan), 2);
  // The left panel carries the vertical axis, the page's last the right-hand one.
  EXPECT_EQ(edges(plan[0]), "101110");
  EXPECT_EQ(edges(plan[1]), "010111");
  EXPECT_EQ(edges(plan[2]), "111111");
  EXPECT_EQ(plan[1].hslot, 1);
  EXPECT_EQ(plan[1].vslot, -1);
}

TEST(PanelPlan, OneCellAPageWithoutRowsOrColumns) {
  const auto plan = kes_panel_plan(1, 3, 1, 1, 1);
  ASSERT_EQ(plan.size(), 3u);
  for (const auto& p : plan) {
    EXPECT_TRUE(p.opens && p.closes);
    EXPECT_EQ(edges(p), "111111");
  }
}

TEST(PanelPlan, ThreeByThreeLevelsInTwoByTwoMakeFourPages) {
  const auto plan = kes_panel_plan(2, 3, 3, 2, 2);
  EXPECT_EQ(pages(plan), 4);
  EXPECT_EQ(pages(plan), kes_page_count(2, 3, 3, 2, 2));
  ASSERT_EQ(plan.size(), 16u);  // four places a page, the empty ones too
  // Page 1: rows 0-1, columns 0-1, all four cells.
  EXPECT_EQ(plan[0].cell, 0);
  EXPECT_EQ(plan[1].cell, 1);
  EXPECT_EQ(plan[2].cell, 3);
  EXPECT_EQ(plan[3].cell, 4);
  EXPECT_EQ(edges(plan[0]), "101010");  // top left
  EXPECT_EQ(edges(plan[3]), "010101");  // bottom right
  // Page 2: column 2 alone is the last column: it carries the right-hand edges.
  EXPECT_EQ(plan[4].cell, 2);
  EXPECT_EQ(edges(plan[4]), "111011");
  EXPECT_EQ(plan[5].cell, -1);  // beyond the last column
  EXPECT_EQ(plan[5].top_label, -1);
  // Page 4: one panel, in the top-left place; row 2 is the last level, so it is the
  // bottom row too.
  const kes_panel* last = &plan[12];
  EXPECT_TRUE(last->opens);
  EXPECT_EQ(last->page, 3);
  EXPECT_EQ(last->cell, 2 * 3 + 2);
  EXPECT_EQ(last->vslot, 1);
  EXPECT_EQ(last->hslot, 0);
  EXPECT_EQ(edges(*last), "111111");
  EXPECT_EQ(last->top_label, 2);
  EXPECT_EQ(last->side_label, 2);
  for (int i = 13; i < 16; ++i) EXPECT_EQ(plan[i].cell, -1) << i;
  EXPECT_TRUE(plan[15].closes);
}

TEST(PanelPlan, LabelsGoOnTheBlocksTopRowAndLeftColumn) {
  const auto plan = kes_panel_plan(2, 2, 2, 2, 2);
  ASSERT_EQ(plan.size(), 4u);
  const int top[] = {0, 1, -1, -1}, side[] = {0, -1, 1, -1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(plan[i].top_label, top[i]) << i;
    EXPECT_EQ(plan[i].side_label, side[i]) << i;
  }
}

TEST(PanelPlan, NoLevelsNoPanels) {
  EXPECT_TRUE(kes_panel_plan(1, 0, 1, 2, 1).empty());
  EXPECT_TRUE(kes_panel_plan(2, 3, 0, 2, 2).empty());
}

}  // namespace
