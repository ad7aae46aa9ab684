// Inset boxes of comparative template graphs through the built runner, read back
// from the SVG: the heading of a curve's block carries the curve's number only when
// its family has several curves (never as a value), and a box of many statistics in
// small cells keeps every row.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;
using kes_test::svg_element;

class RunnerCellInsets : public ::testing::Test {
 protected:
  // The program's one graph, drawn by the default renderer.
  std::vector<svg_element> graph_of(const std::string& program) {
    dir_.write("prog.kes", program);
    fs::remove_all(dir_ / "g");
    fs::create_directories(dir_ / "g");
    kes_test::runner_process p;
    p.start(dir_.path().string(), {"--log", "log", "--listing", "lst", "--graphs", "g", "prog.kes"},
            [] { ::alarm(120); });
    EXPECT_EQ(p.wait(), 0);
    log_ = slurp(dir_ / "log");
    const std::vector<std::string> files = kes_test::svg_files(dir_ / "g");
    EXPECT_EQ(files.size(), 1u) << log_;
    return files.empty() ? std::vector<svg_element>{} : kes_test::svg_elements(slurp(dir_ / "g" / files[0]));
  }
  static int count(const std::vector<svg_element>& doc, const std::string& text) {
    return static_cast<int>(
        std::count_if(doc.begin(), doc.end(), [&](const svg_element& e) { return e.name == "text" && e.text == text; }));
  }
  // Six cells (a 3 x b 2) of 30 values each.
  void write_cells() {
    std::string text = "a,b,x\n";
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 2; ++b)
        for (int i = 0; i < 30; ++i)
          text += std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(10 + a + (i * 7 % 30) / 6.0) + "\n";
    dir_.write("c.csv", text);
  }

  kes_test::scratch_dir dir_{"cellinsets"};
  std::string log_;
};

TEST_F(RunnerCellInsets, HeadingsCarryTheCurveNumberOnlyAmongSeveral) {
  write_cells();
  struct heading_case {
    const char* curves;
    const char* heading;  // the text each cell's heading reads
    int per_cell;         // headings of that text in each cell
    int legend;           // legend entries of that text
  };
  const heading_case cases[] = {
      {"normal(noprint)", "Normal", 1, 1},
      {"normal(noprint mu=est 11)", "Normal 2", 1, 0},
  };
  for (const heading_case& c : cases) {
    const std::vector<svg_element> doc = graph_of(std::string("proc kestravine data=c noprint; var x; class a; ") +
                                                  "histogram / " + c.curves + "; inset n normal(mu sigma); run;\n");
    EXPECT_EQ(count(doc, c.heading), 3 * c.per_cell + c.legend) << c.curves;
    // The number never stands alone in a value column.
    EXPECT_EQ(count(doc, "1"), 0) << c.curves;
    EXPECT_EQ(count(doc, "2"), 0) << c.curves;
    EXPECT_EQ(count(doc, "Mean"), 3 * (c.per_cell + (std::string(c.heading) == "Normal" ? 0 : 1))) << c.curves;
  }
}

TEST_F(RunnerCellInsets, TwelveStatisticsInSmallCellsKeepEveryRow) {
  write_cells();
  const std::vector<svg_element> doc =
      graph_of("proc kestravine data=c noprint; var x; class a b; histogram / normal(noprint);\n"
               "  inset n mean std min max range median q1 q3 skewness kurtosis cv; run;\n");
  for (const char* label : {"N", "Mean", "Median", "Kurtosis", "Coeff of Variation"})
    EXPECT_EQ(count(doc, label), 6) << label;
  EXPECT_EQ(log_.find("leaves out"), std::string::npos) << log_;
}

}  // namespace
