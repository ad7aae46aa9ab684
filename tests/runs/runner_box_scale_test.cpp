// The listing's box plot reads the same in any unit: the same values in units of
// 1e-9, 1 or 1e6, or at an offset, mark the same outliers and end their whiskers on
// the same lines (a fixed widening of the fences took every value at 1e-9 inside).
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "support/runner_graphs.h"
#include "support/scratch_files.h"

namespace {

// The box plot's column of the listing's plot page, line by line from its title down.
std::vector<std::string> box_column(const std::string& lst) {
  std::istringstream in(lst);
  std::vector<std::string> out;
  std::size_t at = std::string::npos;
  for (std::string line; std::getline(in, line);) {
    if (at == std::string::npos) {
      at = line.find("Box Plot");
      continue;
    }
    if (line.find("----+----") != std::string::npos) break;
    out.push_back(line.size() > at ? line.substr(at, std::min<std::size_t>(8, line.size() - at)) : "");
  }
  return out;
}

TEST(RunnerBoxScale, OutliersAndWhiskersAreTheSameInAnyUnit) {
  kes_test::scratch_dir dir{"box-scale"};
  // 20 values 1.0 to 1.4 (IQR 0.2), a far outlier at 4 and a near one at 2
  // (Q1 1.1, Q3 1.4: inner fence 1.85, outer 2.3).
  std::vector<double> shape;
  for (int i = 0; i < 20; ++i) shape.push_back(1.0 + 0.1 * (i % 5));
  shape.push_back(4.0);
  shape.push_back(2.0);
  struct unit {
    double scale, offset;
  };
  const unit units[] = {{1, 0}, {1e-9, 0}, {1e-12, 0}, {1e6, 0}, {1, 1e6}};
  std::vector<std::string> first;
  for (const unit& u : units) {
    SCOPED_TRACE(testing::Message() << "scale " << u.scale << " offset " << u.offset);
    std::ostringstream csv;
    csv.precision(17);
    csv << "x\n";
    for (double v : shape) csv << u.offset + v * u.scale << "\n";
    dir.write("d.csv", csv.str());
    int status = -1;
    std::string log;
    kes_test::run_graphs(dir.path(), "proc kestravine data=d plot; var x; run;\n", "none", &status, &log);
    ASSERT_EQ(status, 0) << log;
    const std::vector<std::string> box = box_column(kes_test::slurp(dir.path() / "lst"));
    ASSERT_GT(box.size(), 3u);
    std::string marks;
    for (const std::string& line : box) {
      if (line.find('-') != std::string::npos) continue;  // the box's own lines
      if (line.find('*') != std::string::npos) marks += '*';
      if (line.find('0') != std::string::npos) marks += '0';
    }
    EXPECT_EQ(marks, "*0");  // the far outlier above the near one
    if (first.empty()) first = box;
    else EXPECT_EQ(box, first);
  }
}

}  // namespace
