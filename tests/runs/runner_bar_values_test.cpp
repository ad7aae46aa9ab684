// Values over the bars of histograms (BARLABEL=) through the built runner, read back
// from the SVG files of both renderers: no two texts of a page over each other and
// none smaller than 6 px, however narrow the bars; where even shrunk on two rows they
// could not all be read, the log says how many were left out, and those written are
// of the tallest bars.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/runner_graphs.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"
#include "support/svg_rules.h"

namespace {

constexpr const char* kRenderers[] = {"template", "device"};

// A small fixed generator: the same data on every machine.
struct lcg {
  std::uint64_t s;
  double next() {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(s >> 11) / 9007199254740992.0;
  }
};

using drawn = kes_test::drawn_run;

drawn run(const kes_test::scratch_dir& dir, const std::string& csv, const std::string& program,
          const std::string& renderer) {
  return kes_test::run_on_data(dir.path(), csv, program, renderer);
}

// Every breach of "no two texts over each other" and every text under 6 px.
std::string text_faults(const drawn& d) {
  std::string out;
  for (const auto& [name, svg] : d.files) {
    for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg))
      if (f.rule == kes_test::kRuleTextsOver || f.rule == kes_test::kRuleCellTextsApart)
        out += name + ": " + f.rule + ": " + f.detail + "\n";
    for (const kes_test::svg_element& e : kes_test::svg_elements(svg))
      if (e.name == "text" && !e.text.empty() && e.num("font-size") < 6)
        out += name + ": \"" + e.text + "\" at " + std::to_string(e.num("font-size")) + " px\n";
  }
  return out;
}

// The values over bars the log says were left out, and of how many, summed.
std::pair<long, long> left_out(const std::string& log) {
  static const std::regex graph("leaves out (\\d+) of the (\\d+) values over its bars");
  static const std::regex cell("(\\d+) of the (\\d+) values over the bars of a cell are not written");
  long out = 0, of = 0;
  for (const std::regex& re : {graph, cell})
    for (std::sregex_iterator m(log.begin(), log.end(), re), end; m != end; ++m)
      out += std::stol((*m)[1]), of += std::stol((*m)[2]);
  return {out, of};
}

// Chicks' weights by day: the first day's 50 weights 39 to 43 g (the key cell, whose
// fine bins the other days take), then days whose weights spread to hundreds of grams.
std::string chick_weights() {
  lcg g{7};
  std::ostringstream csv;
  csv << "weight,day\n";
  for (int k = 0; k < 50; ++k) csv << 39 + k % 5 << ",0\n";
  for (int day = 2; day <= 21; day += 2)
    for (int k = 0; k < 48 - day; ++k) csv << std::lround(40 + day * day * (0.4 + 0.5 * g.next())) << "," << day << "\n";
  return csv.str();
}

// 12,000 ages 1 to 70, even ages heaped: counts of three digits (every second bar, the
// even ages) between counts of two over bars 1 apart.
std::string heaped_ages() {
  lcg g{11};
  std::ostringstream csv;
  csv << "age\n";
  for (int k = 0; k < 12000; ++k) {
    int age = 1 + static_cast<int>(g.next() * 70);
    if (age % 2 == 1 && g.next() < 0.5) age = std::min(70, age + 1);
    csv << age << "\n";
  }
  return csv.str();
}

TEST(RunnerBarValues, NarrowCommonBinsWriteOnlyTheValuesThatCanBeRead) {
  kes_test::scratch_dir dir{"bar-values"};
  for (const char* renderer : kRenderers)
    for (const char* label : {"percent", "count"}) {
      SCOPED_TRACE(std::string(renderer) + " barlabel=" + label);
      const drawn d = run(dir, chick_weights(),
                          std::string("proc kestravine data=d noprint; class day; var weight;\n"
                                      "histogram weight / barlabel=") +
                              label + " nrows=4;\nrun;\n",
                          renderer);
      ASSERT_EQ(d.status, 0) << d.log;
      ASSERT_GE(d.files.size(), 2u);
      EXPECT_EQ(text_faults(d), "");
      // Hundreds of bars a page: most values are left out, and the log counts them.
      const auto [out, of] = left_out(d.log);
      EXPECT_GT(out, of / 2) << d.log;
      EXPECT_LT(out, of) << d.log;
    }
}

TEST(RunnerBarValues, CountsOverBarsOneApartShrinkOnTwoRows) {
  kes_test::scratch_dir dir{"bar-values"};
  for (const char* renderer : kRenderers) {
    SCOPED_TRACE(renderer);
    const drawn d = run(dir, heaped_ages(),
                        "proc kestravine data=d noprint; var age;\n"
                        "histogram age / midpoints=1 to 71 by 1 barlabel=count;\nrun;\n",
                        renderer);
    ASSERT_EQ(d.status, 0) << d.log;
    ASSERT_EQ(d.files.size(), 1u);
    EXPECT_EQ(text_faults(d), "");
    // Two rows hold them all: every bar keeps its count, shrunk below its full size.
    EXPECT_EQ(left_out(d.log).first, 0) << d.log;
    std::vector<double> sizes;
    for (const kes_test::svg_element& e : kes_test::svg_elements(d.files[0].second))
      if (e.name == "text" && std::regex_match(e.text, std::regex("\\d{3}"))) sizes.push_back(e.num("font-size"));
    ASSERT_GE(sizes.size(), 30u);
    EXPECT_LT(*std::max_element(sizes.begin(), sizes.end()), 9);
  }
}

// Generated rows of bars, from a few to hundreds a cell and from even to heaped: the
// values written never cover each other, and every value is written or counted.
TEST(RunnerBarValues, EveryValueIsWrittenReadablyOrCounted) {
  kes_test::scratch_dir dir{"bar-values"};
  lcg g{2024};
  for (int trial = 0; trial < 6; ++trial) {
    const int n = 40 + static_cast<int>(g.next() * 3000);
    const int bins = 5 + static_cast<int>(g.next() * 200);
    std::ostringstream csv;
    csv << "x\n";
    for (int k = 0; k < n; ++k) csv << std::floor(g.next() * g.next() * bins) << "\n";
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(std::string(renderer) + " n " + std::to_string(n) + " bins " + std::to_string(bins));
      const drawn d = run(dir, csv.str(),
                          "proc kestravine data=d noprint; var x;\nhistogram x / midpoints=0 to " +
                              std::to_string(bins) + " by 1 barlabel=percent;\nrun;\n",
                          renderer);
      ASSERT_EQ(d.status, 0) << d.log;
      EXPECT_EQ(text_faults(d), "");
      const auto [out, of] = left_out(d.log);
      EXPECT_LE(out, of);
    }
  }
}

// The two tallest bars side by side with the same count, their values too wide for one
// row: the second row would rise past the frame's top. As read and moved to Unix
// seconds, in both renderers, no value is written over another and every value is
// written or counted (the second "21" was left on its bar, over the first).
TEST(RunnerBarValues, TallestNeighboursAtTheFrameTopStayApart) {
  kes_test::scratch_dir dir{"bar-values"};
  // Counts of 33 bins rising to 21, 21 at bins 16 and 17: 187 values in all.
  const int counts[33] = {1, 0, 2, 0, 1, 4, 5, 6, 14, 9, 11, 11, 20, 19, 21, 21, 13,
                          12, 4, 3, 2, 3, 1, 1, 0, 1, 0, 1, 0, 0, 0, 0, 1};
  for (const long long base : {1000LL, 1700000000LL, 1733649675LL}) {
    std::ostringstream csv;
    csv << "x\n";
    for (int b = 0; b < 33; ++b)
      for (int k = 0; k < counts[b]; ++k) csv << base + b + 1 << "\n";
    const std::string program = "proc kestravine data=d noprint; var x;\nhistogram x / normal barlabel=count midpoints=" +
                                std::to_string(base + 1) + " to " + std::to_string(base + 33) +
                                " by 1;\ninset n mean std / pos=rm;\nrun;\n";
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(std::string(renderer) + " from " + std::to_string(base));
      const drawn d = run(dir, csv.str(), program, renderer);
      ASSERT_EQ(d.status, 0) << d.log;
      ASSERT_EQ(d.files.size(), 1u);
      EXPECT_EQ(text_faults(d), "");
      long written = 0;
      for (const kes_test::svg_element& e : kes_test::svg_elements(d.files[0].second))
        if (e.name == "text" && e.text == "21") ++written;
      const auto [out, of] = left_out(d.log);
      EXPECT_EQ(written + out, 2) << d.log;
    }
  }
}

}  // namespace
