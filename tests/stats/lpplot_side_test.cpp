// The side-by-side box plots of all BY groups, from a whole run. Pages, the common
// axis, BY values under it, values beyond the whiskers and the JSON text outputs are
// the example lpplot_by; here a group where a variable has no values, and BY values
// that are not whole numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "../support/scratch_files.h"
#include "core/runtime.h"
#include "runner/runner.h"

namespace {

// BY groups (a, b): (x, 1.5) (x, 2.5) (y, 1.5) (y, 2.5) (z, 1); v is 10..19 in each,
// w is missing in group (y, 1.5).
std::vector<std::string> listing() {
  std::ostringstream d;
  d << "a,b,v,w\n";
  const char* groups[][2] = {{"x", "1.5"}, {"x", "2.5"}, {"y", "1.5"}, {"y", "2.5"}, {"z", "1"}};
  for (int g = 0; g < 5; ++g)
    for (int i = 10; i < 20; ++i)
      d << groups[g][0] << "," << groups[g][1] << "," << i << "," << (g == 2 ? "." : std::to_string(i % 4)) << "\n";
  kes_test::scratch_dir dir("lpside");
  dir.write("d.csv", d.str());
  dir.write("p.kes", "options linesize=64 pagesize=40;\nproc kestravine data=d plot;\n by a b;\n var v w;\nrun;\n");
  const std::vector<std::string> args = {"--module", std::string(KES_BINARY_DIR) + "/libkestravine.so",
                                         "--log",    (dir / "log").string(),
                                         "--listing", (dir / "lst").string(),
                                         "--work",   dir.path().string(),
                                         (dir / "p.kes").string()};
  EXPECT_EQ(plat::run(args), 0);
  plat::config() = plat::run_config{};
  std::istringstream in(kes_test::slurp(dir / "lst"));
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

TEST(SideBySidePlots, AGroupWithoutValuesKeepsABlankSlot) {
  const std::vector<std::string> lines = listing();
  // The axis lines of the four pages (3 and 2 boxes for v, then for w), not the
  // scales of the other panels, which mark every fifth column.
  std::vector<std::size_t> axes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t a = lines[i].find_first_not_of(' ');
    if (a != std::string::npos && lines[i][a] == '-' && lines[i].find_first_not_of("-+", a) == std::string::npos &&
        lines[i].find("+----+") == std::string::npos)
      axes.push_back(i);
  }
  ASSERT_EQ(axes.size(), 4u);
  // Numbers as their formatted text, right-aligned in 8 columns under each box.
  EXPECT_EQ(lines[axes[0] + 1].substr(21, 32), "     1.5         2.5         1.5");
  EXPECT_EQ(lines[axes[1] + 1].substr(21, 20), "     2.5           1");
  // w's first page: the slot of (y, 1.5) stays blank from top to axis.
  for (std::size_t i = axes[1] + 3; i < axes[2]; ++i)
    EXPECT_EQ(lines[i].substr(std::min<std::size_t>(45, lines[i].size()), 8).find_first_not_of(' '), std::string::npos)
        << lines[i];
}

}  // namespace
