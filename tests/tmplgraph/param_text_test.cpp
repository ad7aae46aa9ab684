// Parameters in the legends of the template graphs: one fit shows the same numbers on
// its histogram, its QQ reference line and its CDF plot, each in the shortest text of
// at most 8 characters.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "graph_run.h"

namespace {

using kes_test::dump_block;
using kes_test::graph_run;

// The "Name=value" numbers of a legend text, in order.
std::vector<std::string> numbers(const std::string& text) {
  static const std::regex re(R"re((Mu|Sigma)=([^ ,)"]+))re");
  std::vector<std::string> out;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    out.push_back((*it)[1].str() + "=" + (*it)[2].str());
  return out;
}

TEST(ParameterTexts, OneFitShowsTheSameNumbersOnEveryGraph) {
  const graph_run r = kes_test::run_graphs("histogram / normal; qqplot / normal(mu=est sigma=est); cdfplot / normal;");
  ASSERT_EQ(r.status, 0) << r.log;
  std::string hist, qq, cdf;
  for (const dump_block& b : r.blocks) {
    if (b.head.rfind("data HistogramData", 0) == 0)
      for (const auto& row : b.rows())
        if (row.count("CurveLabel") && row.at("CurveLabel").find("Mu=") != std::string::npos) hist = row.at("CurveLabel");
    if (b.is_panel() && !b.dynamic("_REFLINELAB").empty()) qq = b.dynamic("_REFLINELAB");
    if (b.is_panel() && !b.dynamic("_CDFLAB").empty()) cdf = b.dynamic("_CDFLAB");
  }
  const std::vector<std::string> want = numbers(hist);
  ASSERT_EQ(want.size(), 2u) << hist;
  for (const std::string& n : want) EXPECT_LE(n.size() - n.find('=') - 1, 8u) << n;
  EXPECT_EQ(numbers(qq), want) << qq;
  EXPECT_EQ(numbers(cdf), want) << cdf;
}

}  // namespace
