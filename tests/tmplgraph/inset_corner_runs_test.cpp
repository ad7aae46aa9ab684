// Where template graphs put an inset given no POSITION=, through the runner: the
// boxes take the free corners from the top left, as corners the data may move (one
// cell), and the box of a CLASS graph sits at the top left of every cell.
#include <gtest/gtest.h>

#include <string>

#include "graph_run.h"

namespace {

using kes_test::graph_run;

std::string text(const char* s) { return std::string("\"") + s + "\" (text)"; }

TEST(InsetCornerRuns, BoxesWithoutPositionTakeTheFreeCornersFromTheTopLeft) {
  struct corner_case {
    const char* statements;
    const char* box;  // prefix of the box's dynamics
    const char* valign;
    const char* halign;
    bool autoalign;
  };
  const corner_case cases[] = {
      {"histogram; inset n mean;", "_I1", "TOP", "LEFT", true},
      // The second box takes the next free corner, the first one the program left.
      {"histogram; inset n; inset mean;", "_I2", "TOP", "RIGHT", true},
      {"histogram; inset n / position=nw; inset mean;", "_I2", "TOP", "RIGHT", true},
      {"histogram; inset n / position=ne; inset mean;", "_I2", "TOP", "LEFT", true},
      // A corner the program chose stays where it is.
      {"histogram; inset n / position=se;", "_I1", "BOTTOM", "RIGHT", false},
  };
  for (const corner_case& c : cases) {
    SCOPED_TRACE(c.statements);
    const graph_run g = kes_test::run_graphs(c.statements);
    ASSERT_EQ(g.status, 0) << g.log;
    ASSERT_EQ(g.panels().size(), 1u);
    const kes_test::dump_block* p = g.panels()[0];
    const std::string box = c.box;
    EXPECT_EQ(p->dynamic(box + "_VALIGN"), text(c.valign));
    EXPECT_EQ(p->dynamic(box + "_HALIGN"), text(c.halign));
    EXPECT_EQ(p->dynamic(box + "_AUTOALIGN"), c.autoalign ? "1 (boolean)" : "");
  }
  // With CLASS cells the one box of labels and values sits at each cell's top left.
  const graph_run g = kes_test::run_graphs("class c; histogram; inset n mean;");
  ASSERT_EQ(g.status, 0) << g.log;
  ASSERT_FALSE(g.panels().empty());
  EXPECT_EQ(g.panels()[0]->dynamic("_INSETVALIGN"), text("TOP"));
  EXPECT_EQ(g.panels()[0]->dynamic("_INSETHALIGN"), text("LEFT"));
}

}  // namespace
