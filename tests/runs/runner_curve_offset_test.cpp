// Curves of threshold fits for data moved by a Unix-time offset, through the built
// runner: curve heights of x + c are the heights of x.  R's airquality temperatures
// (whole degrees) as read and moved by 1e6, 1.7e9 and 1e15, with bins and curve
// parameters given (so that the moved values are exact): every curve row of the graph
// dump at the offset has the height of its row as read, to the bit, and its place moved
// within the spacing of the doubles there.  With the parameters estimated (the program
// a new user writes), in CLASS cells by month: every curve is drawn whole at 1.7e9, at
// as many points off 0 as read, in both renderers (a margin of 1e-7 |theta| about the
// threshold left each one 0 at 199 of its 200 points).  On the device the curves of the
// moved data are drawn at the very pixels of those as read.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/graph_dump.h"
#include "support/runner_graphs.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;

// R's airquality: Temp and Month, May to September.
const int kTemp[] = {67, 72, 74, 62, 56, 66, 65, 59, 61, 69, 74, 69, 66, 68, 58, 64, 66, 57, 68, 62, 59, 73,
                     61, 61, 57, 58, 57, 67, 81, 79, 76, 78, 74, 67, 84, 85, 79, 82, 87, 90, 87, 93, 92, 82,
                     80, 79, 77, 72, 65, 73, 76, 77, 76, 76, 76, 75, 78, 73, 80, 77, 83, 84, 85, 81, 84, 83,
                     83, 88, 92, 92, 89, 82, 73, 81, 91, 80, 81, 82, 84, 87, 85, 74, 81, 82, 86, 85, 82, 86,
                     88, 86, 83, 81, 81, 81, 82, 86, 85, 87, 89, 90, 90, 92, 86, 86, 82, 80, 79, 77, 79, 76,
                     78, 78, 77, 72, 75, 79, 81, 86, 88, 97, 94, 96, 94, 91, 92, 93, 93, 87, 84, 80, 78, 75,
                     73, 81, 76, 77, 71, 71, 78, 67, 76, 68, 82, 64, 71, 81, 69, 63, 70, 77, 75, 76, 68};
const int kMonthStarts[] = {0, 31, 61, 92, 123, 153};  // May, June, July, August, September

// c + v as a decimal text (c whole).
std::string moved(double c, double v) {
  std::ostringstream s;
  s.precision(17);
  s << (c + v);
  return s.str();
}

// Writes the temperatures (May only, or every month with its month) moved by c.
void write_data(const fs::path& dir, double c, bool all_months) {
  std::ofstream csv(dir / "air.csv");
  csv << "temp,month\n";
  for (int m = 0; m < (all_months ? 5 : 1); ++m)
    for (int i = kMonthStarts[m]; i < kMonthStarts[m + 1]; ++i) csv << moved(c, kTemp[i]) << "," << m + 5 << "\n";
}

// Runs the program over air.csv in dir; the dump's text (template graphs), or the SVG
// files (device).
std::string run_dump(const fs::path& dir, const std::string& program, std::string* log) {
  std::ofstream(dir / "p.kes") << program;
  fs::create_directories(dir / "g");
  const std::string cmd = "cd '" + dir.string() + "' && '" + kes_test::built("kestravine") +
                          "' --graphs g --work . --listing lst --log log --graph-dump dump p.kes >/dev/null 2>err";
  const int raw = std::system(cmd.c_str());
  *log = kes_test::slurp(dir / "log") + kes_test::slurp(dir / "err");
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << *log;
  return kes_test::slurp(dir / "dump");
}

struct CurveRow {
  std::string cell, label;
  double x, y;
};

// The curve rows of the dump's histogram data, with their cell (the CLASS value) and
// the family of their legend (the text before its parenthesis: the legend's numbers
// read the fit as its own rule has it).
std::vector<CurveRow> curve_rows(const std::string& dump) {
  std::vector<CurveRow> out;
  for (const kes_test::dump_block& b : kes_test::read_dump(dump)) {
    if (b.is_panel()) continue;
    for (const auto& row : b.rows()) {
      const auto x = row.find("CurveX"), y = row.find("CurveY"), l = row.find("CurveLabel");
      if (x == row.end() || y == row.end() || x->second == ".") continue;
      const auto cls = row.find("Class1");
      const std::string label = l == row.end() ? "" : l->second.substr(0, l->second.find('('));
      out.push_back({cls == row.end() ? "" : cls->second, label, kes_test::dump_number(x->second),
                     kes_test::dump_number(y->second)});
    }
  }
  return out;
}

// The program with its numbers moved by c: "{t}" stands for the threshold 50, "{m}" and
// "{e}" for the first and last midpoints, 52.5 and 87.5 (the bins start at the
// threshold), all moved.  The beta law's mode, 50 + 36/3, is a whole number: a mode
// that the doubles at 1e15 round would move the peak among the grid's points.
std::string given_program(double c) {
  std::string p =
      "proc kestravine data=air noprint;\n"
      "  histogram temp / midpoints={m} to {e} by 5\n"
      "    gamma(theta={t} sigma=6.5 alpha=1.5) lognormal(theta={t} zeta=2.5 sigma=0.4)\n"
      "    weibull(theta={t} {t} sigma=20 20 c=2.5 0.8)\n"
      "    beta(theta={t} sigma=36 alpha=2 beta=3);\n"
      "run;\n";
  const std::map<std::string, std::string> subs = {
      {"{t}", moved(c, 50)}, {"{m}", moved(c, 52.5)}, {"{e}", moved(c, 87.5)}};
  for (const auto& [k, v] : subs)
    for (size_t at; (at = p.find(k)) != std::string::npos;) p.replace(at, k.size(), v);
  return p;
}

TEST(RunnerCurveOffset, CurveRowsOfXPlusCAreTheRowsOfXMoved) {
  kes_test::scratch_dir dir{"curve-offset"};
  std::string log;
  write_data(dir.path(), 0.0, false);
  const std::vector<CurveRow> read = curve_rows(run_dump(dir.path(), given_program(0.0), &log));
  ASSERT_EQ(read.size(), 5u * 200) << log;
  for (const double c : {1e6, 1.7e9, 1e15}) {
    SCOPED_TRACE(c);
    write_data(dir.path(), c, false);
    const std::vector<CurveRow> rows = curve_rows(run_dump(dir.path(), given_program(c), &log));
    ASSERT_EQ(rows.size(), read.size()) << log;
    const double spacing = std::nextafter(c + 100.0, HUGE_VAL) - (c + 100.0);
    for (size_t i = 0; i < rows.size(); ++i) {
      ASSERT_EQ(rows[i].label, read[i].label) << "row " << i;
      ASSERT_EQ(rows[i].y, read[i].y) << read[i].label << " row " << i << " at " << read[i].x;
      ASSERT_LE(std::fabs(rows[i].x - (read[i].x + c)), spacing) << read[i].label << " row " << i;
    }
  }
}

// The polylines of an SVG document, as their point texts.
std::vector<std::string> polylines(const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<std::string> out;
  const std::regex poly("<polyline[^>]*points=\"([^\"]*)\"");
  for (const auto& [name, svg] : files)
    for (std::sregex_iterator it(svg.begin(), svg.end(), poly), end; it != end; ++it) out.push_back((*it)[1].str());
  return out;
}

// On the device the curves of the data moved by c are drawn at the very pixels of
// those as read.
TEST(RunnerCurveOffset, DeviceCurvesOfXPlusCAreDrawnAsThoseOfX) {
  kes_test::scratch_dir dir{"curve-offset-device"};
  std::string log;
  int status = -1;
  write_data(dir.path(), 0.0, false);
  const std::vector<std::string> read =
      polylines(kes_test::run_graphs(dir.path(), given_program(0.0), "device", &status, &log));
  ASSERT_EQ(read.size(), 5u) << log;
  for (const double c : {1e6, 1.7e9}) {
    SCOPED_TRACE(c);
    write_data(dir.path(), c, false);
    EXPECT_EQ(polylines(kes_test::run_graphs(dir.path(), given_program(c), "device", &status, &log)), read) << log;
  }
}

// Points off 0 per cell and family.
std::map<std::string, int> whole_counts(const std::vector<CurveRow>& rows) {
  std::map<std::string, int> n;
  for (const CurveRow& r : rows) n[r.cell + "/" + r.label] += r.y > 0.0;
  return n;
}

TEST(RunnerCurveOffset, EstimatedThresholdCurvesAreWholeInEveryCell) {
  kes_test::scratch_dir dir{"curve-offset-est"};
  const std::string program =
      "proc kestravine data=air noprint;\n"
      "  class month;\n"
      "  histogram temp / gamma(theta=est) lognormal(theta=est) weibull(theta=est);\n"
      "run;\n";
  std::string log;
  write_data(dir.path(), 0.0, true);
  const std::map<std::string, int> read = whole_counts(curve_rows(run_dump(dir.path(), program, &log)));
  write_data(dir.path(), 1.7e9, true);
  const std::map<std::string, int> far = whole_counts(curve_rows(run_dump(dir.path(), program, &log)));
  ASSERT_FALSE(read.empty());
  for (const auto& [curve, n] : read) {
    SCOPED_TRACE(curve);
    // A whole curve as read (its far tails may be 0) and at the offset alike, within
    // the points where the fit's rounding at the offset and the axis there move a tail
    // across 0.
    EXPECT_GE(n, 150);
    ASSERT_EQ(far.count(curve), 1u) << log;
    EXPECT_GE(far.at(curve), n * 9 / 10);
  }
  EXPECT_EQ(far.size(), read.size());
  // The device draws each curve as a polyline of many points, not a spike.
  int status = -1;
  const std::vector<std::string> lines = polylines(kes_test::run_graphs(dir.path(), program, "device", &status, &log));
  EXPECT_EQ(status, 0) << log;
  for (const std::string& line : lines) {
    std::istringstream pts(line);
    int n = 0;
    for (std::string p; pts >> p;) ++n;
    EXPECT_GT(n, 10);
  }
  EXPECT_EQ(lines.size(), read.size());
}

}  // namespace
