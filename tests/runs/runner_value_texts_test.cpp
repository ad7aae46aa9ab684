// The numbers in legends and inset boxes read the same at any offset and in any unit,
// in both renderers: for a sample x as read and x + c (c = 1e6, 1.7e9, 1e15), every
// location (Mu, Mean, the extremes, the median, quartiles and percentiles) reads the
// value of x moved by c with the decimals it shows as read, as far as the doubles at
// c hold them, and every spread (Sigma, Std Dev) reads as read; for k x (k = 1e6,
// 1e-6) every number shows the same significant digits, its power of ten moved by k.
// The locations of one box read apart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "runs/number_reading.h"
#include "support/runner_graphs.h"
#include "support/scratch_files.h"
#include "support/svg_parts.h"

namespace {

using kes_test::read_number;
using reading = kes_test::number_reading;

// The named numbers of a graph: "Name=value" in texts (legends and axis labels), and
// each inset label followed by its value text.
std::vector<std::pair<std::string, std::string>> named_numbers(const std::string& svg) {
  static const std::regex kv(R"re((Mu|Sigma)=([-+0-9.E]+))re");
  static const char* const kLabels[] = {"Mean",   "Std Deviation",  "Minimum",        "Maximum",
                                        "Median", "Lower Quartile", "Upper Quartile", "5th Percentile",
                                        "95th Percentile"};
  std::vector<std::pair<std::string, std::string>> out;
  const auto texts = kes_test::read_parts(svg).texts;
  std::vector<const kes_test::text_item*> ordered;
  for (const auto& t : texts) ordered.push_back(&t);
  std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->order < b->order; });
  for (std::size_t i = 0; i < ordered.size(); ++i) {
    const std::string& s = ordered[i]->text;
    for (auto it = std::sregex_iterator(s.begin(), s.end(), kv); it != std::sregex_iterator(); ++it)
      out.emplace_back((*it)[1].str(), (*it)[2].str());
    for (const char* l : kLabels)
      if (s == l && i + 1 < ordered.size()) out.emplace_back(l, ordered[i + 1]->text);
  }
  return out;
}

bool is_spread(const std::string& name) { return name == "Sigma" || name == "Std Deviation"; }

// 60 values from 30 to 69.75 in quarters, the sample as read: moved to 1e15 they stay
// exact (the doubles there lie an eighth apart).
std::vector<std::string> sample_texts() {
  std::vector<std::string> out;
  unsigned s = 20261209;
  for (int i = 0; i < 60; ++i) {
    s = s * 1103515245u + 12345u;
    const int hundredths = 3000 + 25 * static_cast<int>((s >> 8) % 160);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d.%02d", hundredths / 100, hundredths % 100);
    out.push_back(buf);
  }
  return out;
}

// x + c for a whole c, as a decimal text.
std::string moved(const std::string& x, long long c) {
  const std::size_t dot = x.find('.');
  return std::to_string(std::atoll(x.substr(0, dot).c_str()) + c) + x.substr(dot);
}

// x k for k = 10^p, as a decimal text.
std::string scaled(const std::string& x, int p) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%se%d", x.c_str(), p);
  return buf;
}

std::vector<std::pair<std::string, std::string>> run(const std::filesystem::path& dir,
                                                     const std::vector<std::string>& values,
                                                     const std::string& renderer) {
  std::string csv = "x\n";
  for (const std::string& v : values) csv += v + "\n";
  std::ofstream(dir / "d.csv") << csv;
  const std::string program =
      "proc kestravine data=d noprint; var x;\n"
      "  histogram / normal;\n"
      "  inset mean std min max median p5 p95 q1 q3 / pos=ne;\n"
      "  cdfplot / normal;\n"
      "  ppplot / normal;\n"
      "run;\n";
  int status = -1;
  std::string log;
  auto files = kes_test::run_graphs(dir, program, renderer, &status, &log);
  EXPECT_EQ(status, 0) << log;
  std::sort(files.begin(), files.end());
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& [name, svg] : files)
    for (auto& n : named_numbers(svg)) out.push_back(n);
  return out;
}

// The faults of a location text at offset c against its text as read.
std::string moved_fault(const reading& at0, const reading& atc, double c) {
  const double ulp = std::nextafter(c, INFINITY) - c;
  const double unit = std::pow(10.0, -atc.decimals);
  // Where the doubles at c hold the decimals as read, the text is the text as read
  // moved: its whole part moved by c, its decimals the same.
  if (std::pow(10.0, -at0.decimals) >= 1000 * ulp) {
    const std::size_t dot = at0.text.find('.');
    const std::string want =
        moved(dot == std::string::npos ? at0.text + "." : at0.text, static_cast<long long>(c));
    const std::string w = want.back() == '.' ? want.substr(0, want.size() - 1) : want;
    return atc.text == w ? "" : "reads " + atc.text + ", not " + w;
  }
  // Else it reads that value to the digits the doubles hold.
  if (atc.decimals > at0.decimals) return "shows more decimals than as read: " + atc.text;
  if (std::fabs(atc.value - (at0.value + c)) > unit / 2 + 2 * ulp) return atc.text + " is not " + at0.text + " moved";
  return "";
}

TEST(RunnerValueTexts, LegendsAndInsetsReadTheValuesAsReadMovedOrScaled) {
  kes_test::scratch_dir dir{"value-texts"};
  const std::vector<std::string> x = sample_texts();
  for (const char* renderer : {"template", "device"}) {
    SCOPED_TRACE(renderer);
    const auto base = run(dir.path(), x, renderer);
    ASSERT_GE(base.size(), 11u);  // Mu and Sigma of the P-P axis (and the legends), nine inset values
    // The locations of one inset read apart from one another.
    std::map<std::string, std::string> box;
    for (const auto& [name, text] : base) box.emplace(name, text);
    EXPECT_NE(box["Median"], box["Mean"]);
    // Offsets c (p 0) and scales 10^p (c 0).
    const struct {
      long long c;
      int p;
    } runs[] = {{1000000LL, 0}, {1700000000LL, 0}, {1000000000000000LL, 0}, {0, 6}, {0, -6}};
    for (const auto& t : runs) {
      SCOPED_TRACE("offset " + std::to_string(t.c) + ", scale 1e" + std::to_string(t.p));
      std::vector<std::string> xt;
      for (const std::string& v : x) xt.push_back(t.c != 0 ? moved(v, t.c) : scaled(v, t.p));
      const auto at = run(dir.path(), xt, renderer);
      ASSERT_EQ(at.size(), base.size());
      for (std::size_t i = 0; i < at.size(); ++i) {
        SCOPED_TRACE(base[i].first + " " + base[i].second + " / " + at[i].second);
        ASSERT_EQ(at[i].first, base[i].first);
        const reading a = read_number(base[i].second), b = read_number(at[i].second);
        if (t.c == 0) {
          EXPECT_EQ(b.digits, a.digits);
          EXPECT_EQ(b.exp, a.exp + t.p);
        } else if (is_spread(base[i].first)) {
          EXPECT_EQ(at[i].second, base[i].second);
        } else {
          EXPECT_EQ(moved_fault(a, b, static_cast<double>(t.c)), "");
        }
      }
    }
  }
}

// Cells whose means differ by less than the digits their spread asks for read apart,
// at any offset: cell b is cell a moved by 0.00003.
TEST(RunnerValueTexts, TheSameStatisticOfTwoCellsReadsApart) {
  kes_test::scratch_dir dir{"value-texts-cells"};
  for (long long c : {0LL, 1700000000LL})
    for (const char* renderer : {"template", "device"}) {
      SCOPED_TRACE(std::string(renderer) + " offset " + std::to_string(c));
      std::string csv = "g,x\n";
      for (const char* v : {"0.00000", "100.00000", "200.00000"}) csv += "a," + moved(v, c) + "\n";
      for (const char* v : {"0.00003", "100.00003", "200.00003"}) csv += "b," + moved(v, c) + "\n";
      std::ofstream(dir.path() / "d.csv") << csv;
      int status = -1;
      std::string log;
      const auto files = kes_test::run_graphs(
          dir.path(), "proc kestravine data=d noprint; class g; var x; histogram; inset mean median; run;\n", renderer,
          &status, &log);
      ASSERT_EQ(status, 0) << log;
      ASSERT_EQ(files.size(), 1u) << log;
      std::vector<std::string> means;
      for (const auto& [name, text] : named_numbers(files.front().second))
        if (name == "Mean") means.push_back(text);
      ASSERT_EQ(means.size(), 2u);
      std::sort(means.begin(), means.end());
      EXPECT_EQ(means[0], moved("100.", c).substr(0, moved("100.", c).size() - 1));
      EXPECT_EQ(means[1], moved("100.00003", c));
    }
}

}  // namespace
