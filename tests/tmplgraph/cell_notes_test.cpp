// Notes on CLASS cells that a graph leaves out name the variable and the cell each in
// its place.
#include <gtest/gtest.h>

#include <string>

#include "graph_run.h"

namespace {

TEST(CellNotes, ACellWithoutSpreadIsNamedWithItsVariable) {
  // Only x = 71.1 of cell c = b passes the WHERE= condition.
  const kes_test::graph_run r = kes_test::run_graphs(
      "class c; qqplot / normal; probplot / normal; ppplot / normal; cdfplot / normal;", "where=(c ne 'b' or x > 70)");
  ASSERT_EQ(r.status, 0) << r.log;
  for (const char* plot : {"the Q-Q plot leaves the cell out", "the probability plot leaves the cell out",
                           "the P-P plot leaves the cell out"}) {
    const std::string want =
        std::string("NOTE: In the cell c = b, the standard deviation of x is missing or 0: ") + plot + ".";
    EXPECT_NE(r.log.find(want), std::string::npos) << want << "\n" << r.log;
  }
  EXPECT_EQ(r.log.find("standard deviation of c"), std::string::npos) << r.log;
}

}  // namespace
