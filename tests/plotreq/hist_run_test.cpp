// Whole runs of HISTOGRAM / MIDPERCENTS through the stand-in, read back from the JSON
// output: every HistogramBins row is checked against a direct count of the CSV data
// of its cell (BY group and CLASS levels).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../support/json_reader.h"
#include "../support/scratch_files.h"
#include "core/runtime.h"
#include "runner/runner.h"
#include "support/test_settings.h"

namespace {

using kes_test::json;

// 60 observations: BY g (e, w), CLASS c1 (p, q, r) and c2 (u, v); values on a grid of
// halves, so that many lie on bin edges; every seventh missing.
struct obs {
  std::string g, c1, c2;
  double x;
};
std::vector<obs> make_data(std::string* csv) {
  std::vector<obs> d;
  *csv = "g,c1,c2,x\n";
  for (int i = 0; i < 60; ++i) {
    const double x = (i % 7 == 3) ? NAN : ((i * 37) % 41) / 2.0 + (i % 3) * 4;
    d.push_back({i < 30 ? "e" : "w", std::string(1, "pqr"[(i / 2) % 3]), std::string(1, "uv"[i % 2]), x});
    *csv += d.back().g + "," + d.back().c1 + "," + d.back().c2 + "," + (std::isnan(x) ? "" : std::to_string(x)) + "\n";
  }
  return d;
}

// The level of BY or CLASS variable `name` in a table's "by" or "class" list.
std::string level_of(const json& table, const char* list, const char* field, const std::string& name) {
  for (const json& e : table[list].arr)
    if (e["name"].str == name) return e[field].str;
  return "";
}

TEST(HistogramRuns, EveryBinPercentMatchesADirectCount) {
  std::string csv;
  const std::vector<obs> data = make_data(&csv);
  kes_test::scratch_dir dir("hist-runs");
  dir.write("d.csv", csv);
  std::filesystem::create_directories(dir / "graphs");
  struct check {
    const char* statements;  // BY, CLASS and HISTOGRAM statements of the step
    bool endpoints, rtinclude;
    int tables;
  };
  const check checks[] = {
      {"histogram / midpercents;", false, false, 1},
      {"class c1; histogram / midpercents;", false, false, 3},
      {"class c1 c2; histogram / midpercents nmidpoints=5;", false, false, 6},
      {"by g; histogram / midpercents endpoints;", true, false, 2},
      {"by g; class c2; histogram / midpercents endpoints rtinclude vscale=proportion;", true, true, 4},
      {"class c1; histogram / midpercents midpoints=uniform vscale=count;", false, false, 3},
  };
  for (const check& c : checks) {
    dir.write("prog.kes", std::string("proc kestravine data=d noprint; var x; ") + c.statements + " run;\n");
    ASSERT_EQ(plat::run({"--module", kes_test::built("libkestravine.so"), "--log", (dir / "log").string(), "--listing",
                         (dir / "lst").string(), "--json", (dir / "out.json").string(), "--work", dir.path().string(),
                         "--graphs", (dir / "graphs").string(), (dir / "prog.kes").string()}),
              0);
    plat::config() = plat::run_config{};
    json out;
    ASSERT_TRUE(kes_test::parse_json(kes_test::slurp(dir / "out.json"), out));
    int tables = 0;
    for (const json& t : out["steps"][0]["outputs"].arr) {
      if (t["name"].str != "HistogramBins") continue;
      ++tables;
      const std::string g = level_of(t, "by", "value", "g"), l1 = level_of(t, "class", "level", "c1"),
                        l2 = level_of(t, "class", "level", "c2");
      const auto in_cell = [&](const obs& o) {
        return (g.empty() || o.g == g) && (l1.empty() || o.c1 == l1) && (l2.empty() || o.c2 == l2);
      };
      const std::vector<json>& rows = t["rows"].arr;
      ASSERT_GE(rows.size(), 2u) << c.statements;
      const char* column = !c.endpoints ? "Midpoint" : (c.rtinclude ? "MaxPoint" : "MinPoint");
      const double w = rows[1][column].num - rows[0][column].num;
      double total = 0, values = 0, sum = 0;
      for (const obs& o : data) total += in_cell(o), values += in_cell(o) && !std::isnan(o.x);
      for (const json& r : rows) {
        // The bin's lower edge: around a midpoint, a lower end, or below an upper end.
        const double p = r[column].num, lo = !c.endpoints ? p - w / 2 : (c.rtinclude ? p - w : p);
        double n = 0;
        for (const obs& o : data)
          if (in_cell(o) && !std::isnan(o.x))
            n += c.rtinclude ? (o.x > lo && o.x <= lo + w) : (o.x >= lo && o.x < lo + w);
        EXPECT_NEAR(r["ObsPercent"].num, 100 * n / total, 1e-9) << c.statements << " " << g << l1 << l2 << " " << p;
        sum += r["ObsPercent"].num;
      }
      // Every value of the cell is in some bin of its table.
      EXPECT_NEAR(sum, 100 * values / total, 1e-9) << c.statements << " " << g << l1 << l2;
    }
    EXPECT_EQ(tables, c.tables) << c.statements;
  }
}

}  // namespace
