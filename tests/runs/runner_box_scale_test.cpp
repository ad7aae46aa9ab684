// The listing's box plot reads the same in any unit: the same values in units of
// 1e-9, 1 or 1e6, or at an offset, mark the same outliers and end their whiskers on
// the same lines (a fixed widening of the fences took every value at 1e-9 inside).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iomanip>
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

namespace {

// The body rows of the side-by-side box plots (the last page holding their axis line),
// from the top down, and the column of their axis marks.
std::vector<std::string> side_body(const std::string& lst, std::size_t* mark) {
  std::istringstream in(lst);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::size_t axis = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find("------------+-----------+") != std::string::npos) axis = i;
  std::vector<std::string> body;
  if (axis == lines.size()) return body;
  *mark = lines[axis].find('-') - 1;
  for (std::size_t i = axis; i-- > 0 && lines[i].size() > *mark && lines[i].find_first_not_of(' ') != std::string::npos;)
    body.insert(body.begin(), lines[i]);
  return body;
}

// Side-by-side box plots of BY groups show their spread at any offset: each group's
// median stands on the row of its value, read from the axis labels, and the labels
// read true and unlike each other. 0.05 at 1e9 drew every box on one line on an axis
// 0 to 1E9, its labels "1E9".
TEST(RunnerBoxScale, SideBySideBoxesAtAnOffsetStandAtTheirValues) {
  kes_test::scratch_dir dir{"side-scale"};
  struct offset {
    double at, spread;
  };
  const double g9 = std::nextafter(1e9, 2e9) - 1e9;
  const offset offsets[] = {{0, 1},         {1e9, 0.05},      {-1e9, 0.05},   {1e9, 2000 * g9},
                            {1e15, 100},    {1733650000, 0.5}, {1e-9, 1e-10}, {1e9, 0.004}};
  for (const offset& o : offsets) {
    SCOPED_TRACE(testing::Message() << std::setprecision(17) << o.at << " + " << o.spread);
    std::ostringstream csv;
    csv.precision(17);
    csv << "g,x\n";
    double medians[3];
    for (int g = 0; g < 3; ++g) {
      for (int k = 0; k < 5; ++k) csv << "abc"[g] << "," << o.at + o.spread * (0.3 * g + 0.05 * k) << "\n";
      medians[g] = o.at + o.spread * (0.3 * g + 0.1);
    }
    dir.write("d.csv", csv.str());
    int status = -1;
    std::string log;
    kes_test::run_graphs(dir.path(), "proc kestravine data=d plots; by g; var x; run;\n", "none", &status, &log);
    ASSERT_EQ(status, 0) << log;
    std::size_t mark = 0;
    const std::vector<std::string> body = side_body(kes_test::slurp(dir.path() / "lst"), &mark);
    ASSERT_GT(body.size(), 8u);
    // Labelled rows: their values and rows (counted up from the bottom).
    std::vector<double> values, rows;
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < body.size(); ++i) {
      if (body[i][mark] != '+') continue;
      std::string t = body[i].substr(0, mark);
      t = t.substr(t.find_first_not_of(' '));
      t = t.substr(0, t.find_last_not_of(' ') + 1);
      texts.push_back(t);
      values.push_back(std::strtod(t.c_str(), nullptr));
      rows.push_back(static_cast<double>(body.size() - 1 - i));
    }
    ASSERT_GE(values.size(), 3u);
    const double per_row = (values.front() - values.back()) / (rows.front() - rows.back());
    const double step = per_row * (rows[0] - rows[1]);
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i > 0) {
        EXPECT_NE(texts[i], texts[i - 1]);
      }
      const double there = values.back() + per_row * (rows[i] - rows.back());
      EXPECT_LE(std::fabs(values[i] - there), step / 2) << texts[i];
    }
    // Each median's row, slot by slot from the left.
    std::vector<double> at;
    for (std::size_t i = 0; i < body.size(); ++i)
      for (std::size_t c = body[i].find("*--"); c != std::string::npos; c = body[i].find("*--", c + 1))
        if (c + 6 < body[i].size() && body[i][c + 6] == '*')  // a mean on the line shows as '+'
          at.push_back(static_cast<double>(c) * 1000 + static_cast<double>(body.size() - 1 - i));
    std::sort(at.begin(), at.end());
    ASSERT_EQ(at.size(), 3u);
    for (int g = 0; g < 3; ++g) {
      const double row = std::fmod(at[g], 1000);
      EXPECT_LE(std::fabs(medians[g] - (values.back() + per_row * (row - rows.back()))), std::fabs(per_row))
          << "group " << g;
    }
  }
}

}  // namespace
