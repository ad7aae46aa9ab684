// Whole runs with template graphs (see graph_run.h).
#include "graph_run.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "core/runtime.h"
#include "runner/runner.h"
#include "support/test_settings.h"

namespace kes_test {

std::vector<const dump_block*> graph_run::panels() const {
  std::vector<const dump_block*> out;
  for (const dump_block& b : blocks)
    if (b.is_panel()) out.push_back(&b);
  return out;
}

const dump_block* graph_run::data() const {
  for (const dump_block& b : blocks)
    if (!b.is_panel()) return &b;
  return nullptr;
}

double legend_top(const std::vector<svg_element>& els, const std::string& title) {
  for (const svg_element& e : els)
    if (e.name == "text" && e.get("font-weight") == "bold" && e.text == title) return e.num("y");
  return NAN;
}

std::string sixty_values_csv() {
  std::string csv = "x\n";
  for (int k = 1; k <= 60; ++k) csv += std::to_string(20 + (k * 37) % 23 + (k % 7) * 0.25) + "\n";
  return csv;
}

graph_run run_graphs(const std::string& statements, const std::string& options) {
  // A fixed sample: the normal quantiles of 120 evenly spaced probabilities, scaled
  // to mean 50 and standard deviation 8, in a shuffled order so that every cell of c
  // and d gets values from the whole range.
  std::string csv = "x,c,d\n";
  for (int i = 0; i < 120; ++i) {
    const int k = (i * 77) % 120;
    const double p = (k + 0.5) / 120;
    // Inverse normal by bisection on erfc (enough for a test sample).
    double lo = -6, hi = 6;
    for (int it = 0; it < 80; ++it) {
      const double mid = (lo + hi) / 2;
      (0.5 * std::erfc(-mid / std::sqrt(2.0)) < p ? lo : hi) = mid;
    }
    char line[64];
    std::snprintf(line, sizeof line, "%.3f,%c,%c\n", 50 + 8 * (lo + hi) / 2, "abc"[i % 3], "uv"[(i / 3) % 2]);
    csv += line;
  }
  const std::string data = options.empty() ? "d" : "d(" + options + ")";
  return run_program(csv, "proc kestravine data=" + data + " noprint; var x; " + statements + " run;\n");
}

graph_run run_program(const std::string& csv, const std::string& program, const std::vector<std::string>& options) {
  scratch_dir dir("tmplgraph");
  dir.write("d.csv", csv);
  dir.write("prog.kes", program);
  std::filesystem::create_directories(dir / "graphs");
  graph_run r;
  std::vector<std::string> args = {"--module", kes_test::built("libkestravine.so")};
  args.insert(args.end(), options.begin(), options.end());
  for (const std::string& a : {std::string("--log"), (dir / "log").string(), std::string("--listing"),
                               (dir / "lst").string(), std::string("--json"), (dir / "out.json").string(),
                               std::string("--graph-dump"), (dir / "dump").string(), std::string("--graphs"),
                               (dir / "graphs").string(), std::string("--work"), dir.path().string(),
                               (dir / "prog.kes").string()})
    args.push_back(a);
  r.status = plat::run(args);
  plat::config() = plat::run_config{};
  r.dump = slurp(dir / "dump");
  r.log = slurp(dir / "log");
  r.listing = slurp(dir / "lst");
  r.json = slurp(dir / "out.json");
  r.blocks = read_dump(r.dump);
  for (const auto& e : std::filesystem::directory_iterator(dir / "graphs"))
    r.svg[e.path().filename().string()] = slurp(e.path());
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    if (e.path().extension() == ".csv" && e.path().filename() != "d.csv") r.sets[e.path().filename().string()] = slurp(e.path());
  return r;
}

}  // namespace kes_test
