// The goodness-of-fit tests and the curves drawn of one sample at scales 2^k from
// 2^-1000 to 2^900, run by the built runner: every fitted curve has the same tests at
// every scale, with the same statistics, relations and p-values, the same notes of
// tests not computed, and every graph draws the same curves, in both renderers. And a
// hand case: R's lynx data in units of 1e-18 test as in units of 1.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/json_reader.h"
#include "support/scratch_files.h"
#include "support/svg_marks.h"
#include "support/svg_parts.h"
#include "support/svg_reader.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;

// R's data set lynx: annual numbers of lynx trappings in Canada, 1821-1934 (R 4.2.2,
// r-base-core 4.2.2.20221110-2: as.numeric(lynx)).
constexpr double kLynx[114] = {
    269,  321,  585,  871,  1475, 2821, 3928, 5943, 4950, 2577, 523,  98,   184,  279,  409,  2285, 2685, 3409, 1824,
    409,  151,  45,   68,   213,  546,  1033, 2129, 2536, 957,  361,  377,  225,  360,  731,  1638, 2725, 2871, 2119,
    684,  299,  236,  245,  552,  1623, 3311, 6721, 4254, 687,  255,  473,  358,  784,  1594, 1676, 2251, 1426, 756,
    299,  201,  229,  469,  736,  2042, 2811, 4431, 2511, 389,  73,   39,   49,   59,   188,  377,  1292, 4031, 3495,
    587,  105,  153,  387,  758,  1307, 3465, 6991, 6313, 3794, 1836, 345,  382,  808,  1388, 2713, 3800, 3091, 2985,
    3790, 674,  81,   80,   108,  229,  399,  1132, 2432, 3574, 2935, 1537, 529,  485,  662,  1000, 1590, 2657, 3396};

// 40 values on a grid of 1/64 (exact at every scale), right-skewed above 1.
std::vector<double> skewed() {
  std::vector<double> x;
  for (int i = 0; i < 40; ++i) {
    const double p = (i + 0.5) / 40;
    x.push_back(std::round(64 * (1 + 8 * std::pow(-std::log(1 - p), 1 / 1.8))) / 64);
  }
  return x;
}

// Scales 2^k: the ends the issue names, units of about 1e-17 and 1e-18 (2^-57, 2^-60),
// and the squares' overflow and underflow (2^520, 2^-530).
constexpr int kScales[] = {-1000, -530, -60, -57, 0, 520, 900};

std::string var(const char* stem, int k) { return stem + (k < 0 ? "m" + std::to_string(-k) : std::to_string(k)); }

// Every family with EDF tests, with thresholds known (0) and estimated, and a kernel.
constexpr const char* kCurves[2] = {"normal lognormal exponential gamma weibull kernel",
                                    "lognormal(theta=est) exponential(theta=est) gamma(theta=est) weibull(theta=est)"};

struct run_out {
  std::string log;
  kes_test::json json;
  std::map<std::string, std::string> svgs;  // by file name
};

run_out run(const fs::path& dir, const std::string& program, const char* renderer) {
  run_out r;
  fs::remove_all(dir / "g");
  fs::create_directories(dir / "g");
  std::ofstream(dir / "p.kes") << program;
  const std::string cmd = "cd '" + dir.string() + "' && '" + kes_test::built("kestravine") + "' --graphics " +
                          renderer +
                          " --graphs g --work . --listing lst --log log --json out.json p.kes >/dev/null 2>err";
  const int raw = std::system(cmd.c_str());
  r.log = kes_test::slurp(dir / "log");
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << r.log << kes_test::slurp(dir / "err");
  EXPECT_TRUE(kes_test::parse_json(kes_test::slurp(dir / "out.json"), r.json));
  for (const auto& e : fs::directory_iterator(dir / "g"))
    if (e.path().extension() == ".svg") r.svgs[e.path().filename().string()] = kes_test::slurp(e.path());
  return r;
}

struct test_row {
  double stat, p;
  std::string rel;
};
// "variable|Histogram n|Family|test" to its row, over the GoodnessOfFit tables.
std::map<std::string, test_row> gof_rows(const kes_test::json& out) {
  std::map<std::string, test_row> rows;
  for (const kes_test::json& step : out["steps"].arr)
    for (const kes_test::json& t : step["outputs"].arr) {
      if (t["name"].str != "GoodnessOfFit") continue;
      const std::string key =
          t["variable"].str + "|" + t["groups"][1]["label"].str + "|" + t["groups"][2]["name"].str + "|";
      for (const kes_test::json& row : t["rows"].arr)
        rows[key + row["TestLab"].str] = {row["Stat"].cell(), row["pValue"].cell(), row["pSign"].str};
    }
  return rows;
}

// The log's notes on the tests (of one variable's step), its name put as "#".
std::multiset<std::string> test_notes(const std::string& log, const std::string& variable) {
  std::multiset<std::string> notes;
  std::istringstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("goodness-of-fit") == std::string::npos && line.find("EDF tests") == std::string::npos &&
        line.find("Anderson-Darling") == std::string::npos)
      continue;
    for (std::size_t at; (at = line.find(" " + variable)) != std::string::npos;)
      line.replace(at + 1, variable.size(), "#");
    notes.insert(line);
  }
  return notes;
}

// The curves (by colour and dashes) a histogram draws inside its cell: a curve counts
// where at least 5 of its points or segments lie inside, so that a curve drawn past
// the frame, or far off the data, does not.
std::set<std::string> curves_drawn(const std::string& svg) {
  const kes_test::graph_parts g = kes_test::read_parts(svg);
  std::map<std::string, int> inside;
  auto count = [&](const std::string& key, double x, double y) {
    for (const kes_test::box& cell : g.cells)
      if (cell.holds(x, y, 1)) ++inside[key];
  };
  for (const kes_test::svg_element& e : kes_test::svg_elements(svg)) {
    if (e.get("stroke").empty() || e.get("stroke") == "none") continue;
    const std::string key = e.get("stroke") + " " + e.get("stroke-dasharray");
    if (e.name == "polyline") {
      for (const kes_test::svg_xy& p : kes_test::svg_points(e.get("points"))) count(key, p.x, p.y);
    } else if (e.name == "line") {
      count(key, (e.num("x1") + e.num("x2")) / 2, (e.num("y1") + e.num("y2")) / 2);
    }
  }
  std::set<std::string> keys;
  for (const auto& [key, n] : inside)
    if (n >= 5) keys.insert(key);
  return keys;
}

TEST(EdfScale, TestsAndCurvesAreTheSameAtEveryPowerOfTwo) {
  const std::vector<double> s = skewed();
  kes_test::scratch_dir dir("edfscale");
  for (const char* renderer : {"device", "template"}) {
    for (const auto& [stem, data] : std::map<std::string, std::vector<double>>{
             {"l", std::vector<double>(kLynx, kLynx + 114)}, {"s", s}}) {
      SCOPED_TRACE(std::string(renderer) + ", sample " + stem);
      std::ostringstream csv;
      csv.precision(17);
      std::string vars;
      for (int k : kScales) vars += " " + var(stem.c_str(), k);
      csv << "i";
      for (int k : kScales) csv << "," << var(stem.c_str(), k);
      csv << "\n";
      for (std::size_t i = 0; i < data.size(); ++i) {
        csv << i;
        for (int k : kScales) csv << "," << std::ldexp(data[i], k);
        csv << "\n";
      }
      std::ofstream(dir.path() / "d.csv") << csv.str();
      // One variable per step, so that each step's log holds that variable's notes alone.
      std::map<int, run_out> outs;
      for (int k : kScales) {
        const std::string v = var(stem.c_str(), k);
        outs[k] = run(dir.path(),
                      "proc kestravine data=d noprint; var " + v + ";\n  histogram " + v + " / " + kCurves[0] +
                          ";\n  histogram " + v + " / " + kCurves[1] + ";\nrun;\n",
                      renderer);
      }
      const std::map<std::string, test_row> base = gof_rows(outs[0].json);
      ASSERT_GE(base.size(), 10u) << "the sample at 1 has its tests";
      const std::string v0 = var(stem.c_str(), 0);
      const std::multiset<std::string> base_notes = test_notes(outs[0].log, v0);
      ASSERT_EQ(outs[0].svgs.size(), 2u);
      std::map<std::string, std::set<std::string>> base_curves;
      for (const auto& [name, svg] : outs[0].svgs) base_curves[name] = curves_drawn(svg);
      EXPECT_GE(base_curves.begin()->second.size(), 6u) << "every curve with known threshold is drawn at 1";
      for (int k : kScales) {
        if (k == 0) continue;
        SCOPED_TRACE("2^" + std::to_string(k));
        const std::string v = var(stem.c_str(), k);
        std::map<std::string, test_row> rows;
        for (const auto& [key, row] : gof_rows(outs[k].json)) rows[v0 + key.substr(key.find('|'))] = row;
        for (const auto& [key, want] : base) {
          const auto it = rows.find(key);
          if (it == rows.end()) {
            ADD_FAILURE() << key << " has no test at this scale";
            continue;
          }
          EXPECT_NEAR(it->second.stat, want.stat, 1e-9 * std::fabs(want.stat)) << key;
          EXPECT_NEAR(it->second.p, want.p, 1e-9) << key;
          EXPECT_EQ(it->second.rel, want.rel) << key;
        }
        EXPECT_EQ(rows.size(), base.size()) << "tests present here and not at 1";
        EXPECT_EQ(test_notes(outs[k].log, v), base_notes);
        ASSERT_EQ(outs[k].svgs.size(), 2u);
        for (const auto& [name, svg] : outs[k].svgs) EXPECT_EQ(curves_drawn(svg), base_curves[name]) << name;
      }
    }
  }
}

// The exponential fit of lynx, threshold 0 known: R's ks.test(x, "pexp", 1/mean(x))
// gives D = 0.1173724676 (R 4.2.2). The tests keep every value, the smallest (39 units)
// among them, in units of 1e-18 as in units of 1, 2^900 and 2^-1000.
TEST(EdfScale, LynxInUnitsOf1e18TestsAsInUnitsOf1) {
  kes_test::scratch_dir dir("lynxunits");
  std::ostringstream csv;
  csv.precision(17);
  csv << "u1,e18,e15,p900,m1000\n";
  for (double x : kLynx)
    csv << x << "," << x * 1e-18 << "," << x * 1e-15 << "," << std::ldexp(x, 900) << "," << std::ldexp(x, -1000)
        << "\n";
  std::ofstream(dir.path() / "d.csv") << csv.str();
  const run_out r = run(dir.path(),
                        "proc kestravine data=d noprint; var u1 e18 e15 p900 m1000;\n"
                        "  histogram u1 e18 e15 p900 m1000 / noplot exponential;\nrun;\n",
                        "device");
  EXPECT_EQ(r.log.find("equal to the known threshold"), std::string::npos) << r.log;
  const std::map<std::string, test_row> rows = gof_rows(r.json);
  for (const char* v : {"u1", "e18", "e15", "p900", "m1000"}) {
    SCOPED_TRACE(v);
    const std::string key = std::string(v) + "|Histogram 1|Exponential|";
    ASSERT_TRUE(rows.count(key + "D"));
    EXPECT_NEAR(rows.at(key + "D").stat, 0.1173724676, 5e-11);
    EXPECT_NEAR(rows.at(key + "D").p, rows.at("u1|Histogram 1|Exponential|D").p, 1e-12);
    for (const char* t : {"W-Sq", "A-Sq"}) {
      ASSERT_TRUE(rows.count(key + t)) << t;
      const test_row& want = rows.at(std::string("u1|Histogram 1|Exponential|") + t);
      EXPECT_NEAR(rows.at(key + t).stat, want.stat, 1e-10 * want.stat) << t;
      EXPECT_NEAR(rows.at(key + t).p, want.p, 1e-10) << t;
    }
  }
}

// A known exponential threshold leaves out exactly the values equal to it as doubles:
// at an offset (1e9 + 0.05 above 1e9, 1e15 plus integers at 1e15), in units of 1e-18,
// and at 2^-1000, with the threshold at the smallest value or just below it.
TEST(EdfScale, AKnownThresholdLeavesOutTheValuesEqualToIt) {
  kes_test::scratch_dir dir("knownthreshold");
  struct row {
    double offset, unit, theta;
    int left_out;
  };
  const row rows[] = {
      {1e9, 1, 1e9 + 0.05 - 0.5, 0}, {1e9, 1, 1e9 + 39, 1},  {1e15, 1, 1e15 + 39, 1}, {1e15, 1, 1e15 + 38, 0},
      {0, 1e-18, 39 * 1e-18, 1},      {0, 1e-18, 38 * 1e-18, 0},   {0, 1e-18, 0, 0},
      {0, std::ldexp(1.0, -1000), std::ldexp(39.0, -1000), 1}, {0, std::ldexp(1.0, -1000), 0, 0},
  };
  for (const row& r : rows) {
    std::ostringstream csv, theta;
    csv.precision(17);
    theta.precision(17);
    csv << "x\n";
    for (double x : kLynx) csv << r.offset + x * r.unit << "\n";
    theta << r.theta;
    std::ofstream(dir.path() / "d.csv") << csv.str();
    const std::string program = "proc kestravine data=d noprint; var x;\n  histogram x / noplot exponential(theta=" +
                                theta.str() + ");\nrun;\n";
    SCOPED_TRACE(program);
    const run_out out = run(dir.path(), program, "device");
    const std::string note = "leave out 1 observation equal to the known threshold";
    EXPECT_EQ(out.log.find(note) != std::string::npos, r.left_out == 1) << out.log;
    EXPECT_EQ(gof_rows(out.json).count("x|Histogram 1|Exponential|A-Sq"), 1u) << out.log;
  }
}

}  // namespace
