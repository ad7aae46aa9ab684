// Whole runs of HISTOGRAM / MIDPERCENTS through the stand-in, read back from the JSON
// output: every HistogramBins row is checked against a direct count of the CSV data
// of its cell (BY group and CLASS levels), and the request's output group against
// CONTENTS=.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "../support/json_reader.h"
#include "../support/scratch_files.h"
#include "core/runtime.h"
#include "runner/runner.h"

namespace {

using kes_test::json;

struct obs {
  std::string by, c1, c2;
  double x;  // NaN: missing
};

// 60 observations over two BY groups, three first and two second CLASS levels, on a
// grid of halves so that many values lie on bin edges; a few missing values.
std::vector<obs> make_data() {
  std::vector<obs> d;
  const char* c1[3] = {"p", "q", "r"};
  const char* c2[2] = {"u", "v"};
  for (int i = 0; i < 60; ++i) {
    const double x = (i % 7 == 3) ? NAN : ((i * 37) % 41) / 2.0 + (i % 3) * 4;
    d.push_back({i < 30 ? "e" : "w", c1[(i / 2) % 3], c2[i % 2], x});
  }
  return d;
}

std::string csv_of(const std::vector<obs>& d) {
  std::string t = "g,c1,c2,x\n";
  for (const obs& o : d) {
    char num[32] = "";
    if (!std::isnan(o.x)) std::snprintf(num, sizeof num, "%.17g", o.x);
    t += o.by + "," + o.c1 + "," + o.c2 + "," + num + "\n";
  }
  return t;
}

json run_program(kes_test::scratch_dir& dir, const std::string& program) {
  dir.write("prog.kes", program);
  const std::vector<std::string> args = {"--module", std::string(KES_BINARY_DIR) + "/libkestravine.so", "--log",
                                         (dir / "log").string(), "--listing", (dir / "lst").string(), "--json",
                                         (dir / "out.json").string(), "--work", dir.path().string(),
                                         (dir / "prog.kes").string()};
  EXPECT_EQ(plat::run(args), 0);
  plat::config() = plat::run_config{};
  json j;
  EXPECT_TRUE(kes_test::parse_json(kes_test::slurp(dir / "out.json"), j));
  return j;
}

// The level of CLASS (or BY) variable `name` in a table, or "" when absent.
std::string level_of(const json& table, const char* list, const char* field, const std::string& name) {
  for (const json& e : table[list].arr)
    if (e["name"].str == name) return e[field].str;
  return "";
}

struct check {
  const char* what;
  const char* statements;  // CLASS, BY and HISTOGRAM statements of the step
  bool by, c1, c2;
  bool endpoints, rtinclude;
  int tables;
};

TEST(HistogramRuns, EveryBinPercentMatchesADirectCount) {
  const std::vector<obs> data = make_data();
  kes_test::scratch_dir dir("hist-runs");
  dir.write("d.csv", csv_of(data));
  const check checks[] = {
      {"no CLASS", "histogram / midpercents;", false, false, false, false, false, 1},
      {"one CLASS", "class c1; histogram / midpercents;", false, true, false, false, false, 3},
      {"two CLASS", "class c1 c2; histogram / midpercents nmidpoints=5;", false, true, true, false, false, 6},
      {"BY", "by g; histogram / midpercents endpoints;", true, false, false, true, false, 2},
      {"BY and CLASS", "by g; class c2; histogram / midpercents endpoints rtinclude vscale=proportion;", true,
       false, true, true, true, 4},
      {"uniform", "class c1; histogram / midpercents midpoints=uniform vscale=count;", false, true, false, false,
       false, 3},
  };
  for (const check& c : checks) {
    const json out = run_program(dir, std::string("proc kestravine data=d noprint; var x; ") + c.statements +
                                          " run;\n");
    int tables = 0;
    for (const json& t : out["steps"][0]["outputs"].arr) {
      if (t["name"].str != "HistogramBins") continue;
      ++tables;
      const std::string by = c.by ? level_of(t, "by", "value", "g") : "";
      const std::string l1 = c.c1 ? level_of(t, "class", "level", "c1") : "";
      const std::string l2 = c.c2 ? level_of(t, "class", "level", "c2") : "";
      const std::vector<json>& rows = t["rows"].arr;
      ASSERT_GE(rows.size(), 2u) << c.what;
      const char* column = !c.endpoints ? "Midpoint" : (c.rtinclude ? "MaxPoint" : "MinPoint");
      const double w = rows[1][column].num - rows[0][column].num;
      double total = 0, cell_n = 0, sum = 0;
      for (const obs& o : data) {
        if ((c.by && o.by != by) || (c.c1 && o.c1 != l1) || (c.c2 && o.c2 != l2)) continue;
        ++total;
        cell_n += !std::isnan(o.x);
      }
      for (const json& r : rows) {
        const double p = r[column].num;
        // The bin's edges: around a midpoint, from a lower end, or up to an upper end.
        const double lo = !c.endpoints ? p - w / 2 : (c.rtinclude ? p - w : p);
        double n = 0;
        for (const obs& o : data) {
          if ((c.by && o.by != by) || (c.c1 && o.c1 != l1) || (c.c2 && o.c2 != l2) || std::isnan(o.x)) continue;
          n += c.rtinclude ? (o.x > lo && o.x <= lo + w) : (o.x >= lo && o.x < lo + w);
        }
        EXPECT_NEAR(r["ObsPercent"].num, 100 * n / total, 1e-9) << c.what << " " << by << l1 << l2 << " at " << p;
        sum += r["ObsPercent"].num;
      }
      // Every value of the cell is in some bin of its table.
      EXPECT_NEAR(sum, 100 * cell_n / total, 1e-9) << c.what << " " << by << l1 << l2;
    }
    EXPECT_EQ(tables, c.tables) << c.what;
  }
}

// CONTENTS= names the request's output group ("#VARNAME" replaced); an empty text opens
// none; by default the group is "Histogram k".
TEST(HistogramRuns, OutputGroupOfTheRequest) {
  kes_test::scratch_dir dir("hist-groups");
  dir.write("d.csv", "x\n1\n2\n3\n5\n8\n");
  struct row {
    const char* options;
    const char* label;  // "" when no group
  };
  const row rows[] = {
      {"midpercents", "Histogram 1"},
      {"midpercents contents='Bins of #VARNAME'", "Bins of x"},
      {"midpercents contents=''", ""},
  };
  for (const row& r : rows) {
    const json out = run_program(dir, std::string("proc kestravine data=d noprint; var x; histogram / ") +
                                          r.options + "; run;\n");
    const json& t = out["steps"][0]["outputs"][0];
    ASSERT_EQ(t["name"].str, "HistogramBins") << r.options;
    std::string label;
    for (const json& g : t["groups"].arr)
      if (g["kind"].str == "Histogram") label = g["label"].str;
    EXPECT_EQ(label, r.label) << r.options;
  }
}

}  // namespace
