// Graphs of many values through the runner: files whose size is set by the page (ten
// times the values, about the same file), the same bits on one thread and on eight,
// and a graph dump that keeps every row.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

// n normal values with ties (rounded to tenths) in two CLASS levels.
void write_data(const fs::path& file, std::size_t n) {
  std::mt19937_64 gen(42);
  std::normal_distribution<double> normal(50, 8);
  std::ofstream out(file);
  out << "g,x\n";
  for (std::size_t i = 0; i < n; ++i) out << (i % 2 ? "b" : "a") << ',' << std::round(normal(gen) * 10) / 10 << "\n";
}

// The plots of one variable and of two CLASS cells; device graphics draw the same
// plots but the probability plot.
std::string program(bool device) {
  return std::string("proc kestravine data=d noprint; var x;\n"
                     "  qqplot x / normal(mu=est sigma=est);\n") +
         (device ? "" : "  probplot x / normal(mu=est sigma=est) rotate;\n") +
         "  ppplot x / normal;\n"
         "  cdfplot x / normal;\n"
         "run;\n"
         "proc kestravine data=d noprint; class g; var x;\n"
         "  qqplot x / normal(mu=est sigma=est);\n"
         "  cdfplot x / normal;\n"
         "run;\n";
}

// The graph files of one run by name, with their contents.
std::map<std::string, std::string> run_graphs(const kes_test::scratch_dir& dir, const std::string& graphics,
                                              int threads, const std::string& dump = "") {
  const fs::path out = dir / ("g-" + graphics + "-" + std::to_string(threads));
  fs::remove_all(out);
  fs::create_directories(out);
  std::ofstream(dir / "p.kes") << program(graphics == "device");
  const std::string cmd = "cd '" + dir.path().string() + "' && '" + kes_test::built("kestravine") + "' --threads " +
                          std::to_string(threads) + " --graphics " + graphics + " --graphs '" + out.string() +
                          "' --work . --listing lst --log log" + (dump.empty() ? "" : " --graph-dump " + dump) +
                          " p.kes >/dev/null 2>err";
  const int raw = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << slurp(dir / "err") << slurp(dir / "log");
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(out)) files[e.path().filename().string()] = slurp(e.path());
  return files;
}

TEST(RunnerGraphScale, TenTimesTheValuesMakeFilesWithinAFifthOfTheSize) {
  kes_test::scratch_dir dir{"graph-scale"};
  for (const std::string graphics : {"template", "device"}) {
    write_data(dir / "d.csv", 10000);
    const auto small = run_graphs(dir, graphics, 1);
    write_data(dir / "d.csv", 100000);
    const auto large = run_graphs(dir, graphics, 1);
    ASSERT_GE(small.size(), 5u) << graphics;
    ASSERT_EQ(small.size(), large.size()) << graphics;
    for (const auto& [name, text] : small) {
      ASSERT_TRUE(large.count(name)) << name;
      const double growth = static_cast<double>(large.at(name).size()) / static_cast<double>(text.size()) - 1;
      EXPECT_LT(std::fabs(growth), 0.2) << graphics << " " << name << ": " << text.size() << " to "
                                        << large.at(name).size() << " bytes";
      EXPECT_LT(large.at(name).size(), 1000000u) << graphics << " " << name;
    }
  }
}

TEST(RunnerGraphScale, OneThreadAndEightWriteTheSameGraphsAndTheDumpKeepsEveryRow) {
  kes_test::scratch_dir dir{"graph-threads"};
  write_data(dir / "d.csv", 20000);
  for (const std::string graphics : {"template", "device"}) {
    const auto one = run_graphs(dir, graphics, 1, graphics == "template" ? "dump1" : "");
    const auto eight = run_graphs(dir, graphics, 8, graphics == "template" ? "dump8" : "");
    ASSERT_FALSE(one.empty());
    EXPECT_EQ(one, eight) << graphics;
  }
  const std::string dump = slurp(dir / "dump1");
  EXPECT_EQ(dump, slurp(dir / "dump8"));
  // Every row of the data objects: the QQ plot of 20,000 values has 20,000 rows, the
  // comparative one 10,000 a cell.
  std::istringstream in(dump);
  std::string line, data;
  std::map<std::string, std::size_t> rows;
  int qq = 0;
  while (std::getline(in, line)) {
    if (line.rfind("data ", 0) == 0) {
      data = line.substr(5, line.find(' ', 5) - 5);
      if (data == "QQPlotData") data += std::to_string(++qq);
    } else if (line.rfind("  row ", 0) == 0) {
      ++rows[data];
    }
  }
  EXPECT_EQ(rows["QQPlotData1"], 20000u);
  EXPECT_EQ(rows["QQPlotData2"], 20000u);
  EXPECT_EQ(rows["ProbPlotData"], 20000u);
}

}  // namespace
