#include "device_run.h"

#include <algorithm>

#include "core/runtime.h"
#include "graph/device_state.h"
#include "runner/runner.h"
#include "support/svg_rules.h"
#include "support/test_settings.h"

namespace devgraph_test {

namespace fs = std::filesystem;

int device_run(const fs::path& dir, const fs::path& program) {
  fs::create_directories(dir / "graphs");
  // The graphs of the last run are checked before they go.
  kes_test::expect_graph_rules(dir / "graphs");
  for (const auto& e : fs::directory_iterator(dir / "graphs")) fs::remove(e.path());
  // Graph file names are kept unique over the process (the runner runs once per
  // process); each run here starts afresh, whatever ran before it in this program.
  plat::graph::forget_graph_files();
  const int status = plat::run({"--module", kes_test::built("libkestravine.so"), "--graphics", "device", "--graphs",
                                (dir / "graphs").string(), "--log", (dir / "log").string(), "--listing",
                                (dir / "lst").string(), "--work", dir.string(), program.string()});
  plat::config() = plat::run_config{};
  return status;
}

std::vector<std::string> graph_files(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir / "graphs"))
    if (e.path().extension() == ".svg") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace devgraph_test
