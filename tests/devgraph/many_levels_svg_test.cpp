// Comparative device graphs of many CLASS levels whose observations come out of order:
// read back page by page, the panels name every level once, in the levels' order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "../support/scratch_files.h"
#include "../support/svg_reader.h"
#include "device_run.h"

namespace {

namespace fs = std::filesystem;

std::string level(int k) {
  char name[8];
  std::snprintf(name, sizeof name, "c%03d", k);
  return name;
}

TEST(DeviceManyLevels, EachPanelShowsItsOwnLevelInOrder) {
  constexpr int kLevels = 120;
  kes_test::scratch_dir dir("device-many-levels");
  std::vector<std::pair<int, double>> obs;
  for (int k = 0; k < kLevels; ++k)
    for (int i = 0; i <= k % 4; ++i) obs.emplace_back(k, 10 + i);
  std::mt19937 gen(7);
  std::shuffle(obs.begin(), obs.end(), gen);
  {
    std::ofstream csv(dir / "d.csv");
    csv << "g,x\n";
    for (const auto& [k, x] : obs) csv << level(k) << "," << x << "\n";
    std::ofstream kes(dir / "p.kes");
    kes << "proc kestravine data=d noprint; class g; var x; histogram x / nrows=4; run;\n";
  }
  ASSERT_EQ(devgraph_test::device_run(dir.path(), dir / "p.kes"), 0) << kes_test::slurp(dir / "log");
  // Pages in the order they were written: KESTRA, KESTRA1, KESTRA2, ...
  std::vector<std::string> files = devgraph_test::graph_files(dir.path());
  std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
    return std::make_pair(a.size(), a) < std::make_pair(b.size(), b);
  });
  ASSERT_EQ(files.size(), static_cast<std::size_t>(kLevels / 4));
  static const std::regex name("c[0-9]{3}");
  std::vector<std::string> shown;
  for (const std::string& f : files) {
    std::vector<std::string> page;
    for (const kes_test::svg_element& e : kes_test::svg_elements(kes_test::slurp(dir / "graphs" / f)))
      if (e.name == "text" && std::regex_match(e.text, name)) page.push_back(e.text);
    // A page of four panels names its four levels.
    EXPECT_EQ(page.size(), 4u) << f;
    std::sort(page.begin(), page.end());
    shown.insert(shown.end(), page.begin(), page.end());
  }
  std::vector<std::string> all;
  for (int k = 0; k < kLevels; ++k) all.push_back(level(k));
  EXPECT_EQ(shown, all);
}

}  // namespace
