// The side-by-side box plots of all BY groups, from a whole run: pages of boxes on a
// common axis, the BY values under it, values beyond the whiskers, and the text
// outputs in the JSON file.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "../support/json_reader.h"
#include "../support/scratch_files.h"
#include "core/runtime.h"
#include "runner/runner.h"

namespace {

// BY groups (a, b): (x, 1.5) (x, 2.5) (y, 1.5) (y, 2.5) (z, 1). v is 10..19 in each;
// the first group adds 29 (past the inner fence 27.5) and 40 (past the outer fence
// 36.5) to quartiles 12.5 and 18.5. w is missing in group (y, 1.5).
std::string data() {
  std::ostringstream d;
  d << "a,b,v,w\n";
  const char* groups[][2] = {{"x", "1.5"}, {"x", "2.5"}, {"y", "1.5"}, {"y", "2.5"}, {"z", "1"}};
  for (int g = 0; g < 5; ++g) {
    for (int i = 10; i < 20; ++i)
      d << groups[g][0] << "," << groups[g][1] << "," << i << "," << (g == 2 ? "." : std::to_string(i % 4)) << "\n";
    if (g == 0) d << "x,1.5,29,1\nx,1.5,40,2\n";
  }
  return d.str();
}

struct run_result {
  int rc;
  std::vector<std::string> lines;
  std::string json;
};

run_result run(const std::string& procopts) {
  kes_test::scratch_dir dir("lpside");
  dir.write("d.csv", data());
  dir.write("p.kes", "options linesize=64 pagesize=40;\nproc kestravine data=d " + procopts +
                         ";\n by a b;\n var v w;\nrun;\n");
  const std::vector<std::string> args = {"--module", std::string(KES_BINARY_DIR) + "/libkestravine.so",
                                         "--log",    (dir / "log").string(),
                                         "--listing", (dir / "lst").string(),
                                         "--json",   (dir / "j.json").string(),
                                         "--work",   dir.path().string(),
                                         (dir / "p.kes").string()};
  run_result r;
  r.rc = plat::run(args);
  plat::config() = plat::run_config{};
  std::istringstream in(kes_test::slurp(dir / "lst"));
  for (std::string l; std::getline(in, l);) r.lines.push_back(l);
  r.json = kes_test::slurp(dir / "j.json");
  return r;
}

bool is_axis(const std::string& l) {
  const std::size_t a = l.find_first_not_of(' ');
  return a != std::string::npos && l.find_first_not_of("-+", a) == std::string::npos && l.find("---") != std::string::npos;
}

TEST(SideBySidePlots, PagesOfBoxesShareAnAxisAndCarryTheByValues) {
  const run_result r = run("plot");
  ASSERT_EQ(r.rc, 0);
  // 64 columns hold P = (64 - 10) / 12 - 1 = 3 boxes: pages of 3 and 2 for v and w.
  std::vector<std::size_t> axes;
  for (std::size_t i = 0; i < r.lines.size(); ++i)
    if (is_axis(r.lines[i]) && r.lines[i].find("+----+") == std::string::npos) axes.push_back(i);
  ASSERT_EQ(axes.size(), 4u);
  for (std::size_t k = 0; k < axes.size(); ++k) {
    const std::string& l = r.lines[axes[k]];
    const std::size_t start = l.find('-');
    const std::string axis = l.substr(start);
    const std::size_t boxes = k % 2 == 0 ? 3 : 2;
    // Block of 58 columns centred on 64: labels from column 4, the axis from 14.
    EXPECT_EQ(start, 13u);
    EXPECT_EQ(axis.size(), 12 * boxes + 12) << axis;
    for (std::size_t i = 1; i <= boxes; ++i) EXPECT_EQ(axis[12 * i], '+') << axis;
    EXPECT_EQ(std::count(axis.begin(), axis.end(), '+'), static_cast<long>(boxes));
    // The last BY variable right under the axis, the first after it; numbers as
    // their formatted text, right-aligned in 8 columns under each box.
    const std::string& b = r.lines[axes[k] + 1];
    const std::string& a = r.lines[axes[k] + 2];
    EXPECT_EQ(b.substr(3, 10), "       b  ");
    EXPECT_EQ(a.substr(3, 10), "       a  ");
    if (k % 2 == 0) {
      EXPECT_EQ(b.substr(21, 32), "     1.5         2.5         1.5");
      EXPECT_EQ(a.substr(21, 32), "       x           x           y");
    } else {
      EXPECT_EQ(b.substr(21, 20), "     2.5           1");
      EXPECT_EQ(a.substr(21, 20), "       y           z");
    }
  }
  // v's first box: 29 is drawn '0' and 40 '*' in character 5 of the first cell.
  int zeros = 0, stars = 0;
  for (std::size_t i = axes[0] - 1; r.lines[i].size() > 12 && (r.lines[i][12] == '|' || r.lines[i][12] == '+'); --i) {
    const std::string& l = r.lines[i];
    if (l.size() > 25 && l[25] == '0') ++zeros;
    if (l.size() > 25 && l[25] == '*') ++stars;
  }
  EXPECT_EQ(zeros, 1);
  EXPECT_EQ(stars, 1);
  // w has no values in (y, 1.5): the third slot of its first page stays blank.
  for (std::size_t i = axes[1] + 3; i < axes[2]; ++i) {
    const std::string& l = r.lines[i];
    if (l.size() > 45) {
      EXPECT_EQ(l.substr(45, 8), std::string(8, ' ')) << l;
    }
  }
  // Each page is one text output of no BY group in the JSON file.
  kes_test::json doc;
  ASSERT_TRUE(kes_test::parse_json(r.json, doc));
  int side = 0;
  for (const auto& o : doc["steps"][0u]["outputs"].arr) {
    if (o["name"].str != "SSPlots") continue;
    ++side;
    EXPECT_EQ(o["kind"].str, "text");
    EXPECT_EQ(o["by"].arr.size(), 0u);
    EXPECT_GT(o["lines"].arr.size(), 10u);
  }
  EXPECT_EQ(side, 4);
}

}  // namespace
