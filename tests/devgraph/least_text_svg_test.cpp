// Every text of a graph reads: none is drawn below 6 px, in both renderers. Twelve
// narrow cells (monthly temperatures by month, squared) whose fits fail say so in a
// word where the whole note would shrink past that; a note of an overlay says once
// that its values are not drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../support/runner_graphs.h"
#include "../support/scratch_files.h"
#include "../support/svg_parts.h"

namespace {

// Twenty years of monthly mean temperatures (deg F) in a yearly wave, as R's nottem
// holds them; months "01" to "12", or the first `months` of them.
std::string monthly_csv(int months) {
  std::ostringstream o;
  o << "temp,month\n";
  unsigned s = 2024;
  for (int y = 0; y < 20; ++y)
    for (int m = 0; m < months; ++m) {
      s = s * 1103515245u + 12345u;
      const double noise = (static_cast<double>((s >> 8) % 1000) / 1000.0 - 0.5) * 8;
      const double t = 49 + 15 * std::sin((m - 3) * 3.14159265358979 / 6) + noise;
      o << std::round(t * 10) / 10 << "," << (m < 9 ? "0" : "") << m + 1 << "\n";
    }
  return o.str();
}

struct small_case {
  const char* what;
  int months;
  std::string program;
};

TEST(LeastText, NoTextIsDrawnBelowSixPixels) {
  const small_case cases[] = {
      {"twelve squared P-P cells, some fits failing", 12,
       "class month;\n  ppplot temp / lognormal(theta=est) square;"},
      {"the same without SQUARE", 12, "class month;\n  ppplot temp / lognormal(theta=est);"},
      {"twelve squared Q-Q cells", 12, "class month;\n  qqplot temp / lognormal(theta=est sigma=est) square;"},
      {"twelve histogram cells with a failing curve and NOBARS", 12,
       "class month;\n  histogram temp / lognormal(theta=est) nobars nrows=10;"},
  };
  kes_test::scratch_dir dir("least-text");
  for (const small_case& k : cases) {
    std::ofstream(dir.path() / "t.csv") << monthly_csv(k.months);
    for (const std::string renderer : {"template", "device"}) {
      SCOPED_TRACE(renderer + ": " + k.what);
      int status = 0;
      std::string log;
      const auto files = kes_test::run_graphs(
          dir.path(), "proc kestravine data=t noprint;\n  " + k.program + "\nrun;\n", renderer, &status, &log);
      ASSERT_EQ(status, 0) << log;
      ASSERT_FALSE(files.empty()) << log;
      for (const auto& [name, svg] : files)
        for (const kes_test::text_item& t : kes_test::read_parts(svg).texts)
          if (!t.text.empty()) {
            EXPECT_GE(t.size, 6) << name << ": '" << t.text << "' " << kes_test::place(t.ink);
          }
    }
  }
}

TEST(LeastText, AnOverlayNoteSaysOnceThatValuesAreNotDrawn) {
  kes_test::scratch_dir dir("overlay-note");
  std::ofstream(dir.path() / "t.csv") << monthly_csv(4);
  for (const std::string renderer : {"template", "device"}) {
    SCOPED_TRACE(renderer);
    int status = 0;
    std::string log;
    const auto files = kes_test::run_graphs(
        dir.path(), "proc kestravine data=t noprint;\n  class month;\n  ppplot temp / lognormal(theta=est) overlay;\nrun;\n",
        renderer, &status, &log);
    ASSERT_EQ(status, 0) << log;
    ASSERT_FALSE(files.empty()) << log;
    for (const auto& [name, svg] : files)
      for (const kes_test::text_item& t : kes_test::read_parts(svg).texts) {
        const std::size_t at = t.text.find("not drawn");
        if (at != std::string::npos) {
          EXPECT_EQ(t.text.find("not drawn", at + 1), std::string::npos) << name << ": " << t.text;
        }
      }
  }
}

// Text seven character cells tall (HEIGHT=7): the lowest vertical tick value, centred
// on the plot area's foot, and the horizontal tick values under it keep apart, in
// every cell and at values far from 1.
TEST(LeastText, TallTickValuesKeepApart) {
  kes_test::scratch_dir dir("tall-ticks");
  for (const char* scale : {"1", "1e-300", "1e6"}) {
    std::istringstream in(monthly_csv(3));
    std::ostringstream csv;
    std::string line;
    std::getline(in, line);
    csv << line << "\n";
    csv.precision(17);
    while (std::getline(in, line)) {
      const std::size_t comma = line.find(',');
      csv << std::stod(line.substr(0, comma)) * std::stod(scale) << line.substr(comma) << "\n";
    }
    std::ofstream(dir.path() / "t.csv") << csv.str();
    for (const char* height : {"3", "7"}) {
      SCOPED_TRACE(std::string("values times ") + scale + ", HEIGHT=" + height);
      int status = 0;
      std::string log;
      const auto files = kes_test::run_graphs(
          dir.path(),
          std::string("proc kestravine data=t noprint;\n  class month;\n  histogram temp / height=") + height +
              " normal;\nrun;\n",
          "device", &status, &log);
      ASSERT_EQ(status, 0) << log;
      ASSERT_EQ(files.size(), 1u) << log;
      const kes_test::graph_parts g = kes_test::read_parts(files[0].second);
      for (std::size_t i = 0; i < g.texts.size(); ++i)
        for (std::size_t j = i + 1; j < g.texts.size(); ++j)
          if (!g.texts[i].text.empty() && !g.texts[j].text.empty()) {
            EXPECT_FALSE(g.texts[i].ink.overlaps(g.texts[j].ink, kes_test::kSlack))
                << "'" << g.texts[i].text << "' " << kes_test::place(g.texts[i].ink) << " over '" << g.texts[j].text
                << "' " << kes_test::place(g.texts[j].ink);
          }
    }
  }
}

}  // namespace
