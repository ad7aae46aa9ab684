// A reference label is not crossed by the data's lines where its frame has room: on a
// CDF plot (both renderers) two HREF labels at the frame's right end, where the steps and the
// fitted curve rise to the top, stand below them. Both renderers take the same first
// side of a VREF line: toward the frame's nearer edge. Generated cells (percentages,
// the same moved to 1.7e9 and scaled to millions), every label read off the SVG.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../support/runner_graphs.h"
#include "../support/scratch_files.h"
#include "../support/svg_parts.h"
#include "../support/svg_reader.h"

namespace {

struct data_form {
  const char* what;
  double shift, scale;  // a value v is written shift + scale * v
};

// Two cells of 40 to 60 values from 0 to 100, the first spread evenly, the second
// piled low (its curve meets the labels' rows lower down), and the program that plots
// them with two labelled lines half a unit apart at the right end.
void write_case(const std::filesystem::path& dir, std::mt19937& rng, const data_form& f) {
  std::ostringstream d;
  d.precision(17);
  d << "x,g\n";
  std::uniform_real_distribution<double> u(0, 100);
  const int na = 40 + static_cast<int>(rng() % 21), nb = 40 + static_cast<int>(rng() % 21);
  for (int i = 0; i < na; ++i) d << f.shift + f.scale * u(rng) << ",a\n";
  for (int i = 0; i < nb; ++i) d << f.shift + f.scale * u(rng) * u(rng) / 100 << ",b\n";
  std::ofstream(dir / "d.csv") << d.str();
  std::ostringstream p;
  p.precision(17);
  p << "proc kestravine data=d noprint;\n  var x;\n  class g;\n  cdfplot x / normal\n    href=" << f.shift + f.scale * 100
    << " " << f.shift + f.scale * 100.5 << "\n    hreflabels='short wait' 'cutoff';\n  inset n mean std / pos=ne;\nrun;\n";
  std::ofstream(dir / "p.kes") << p.str();
}

TEST(RefLabelData, NoDataLineCrossesALabelWhereTheFrameHasRoom) {
  const data_form forms[] = {{"percentages", 0, 1}, {"moved to 1.7e9", 1.7e9, 1}, {"scaled to millions", 0, 1e6}};
  std::mt19937 rng(7003626);
  int labels = 0;
  for (const data_form& f : forms)
    for (int trial = 0; trial < 4; ++trial) {
      kes_test::scratch_dir dir("ref-label-data");
      write_case(dir.path(), rng, f);
      for (const char* renderer : {"device", "template"}) {
        SCOPED_TRACE(std::string(f.what) + " trial " + std::to_string(trial) + ", " + renderer);
        int status = 0;
        std::string log;
        const auto files = kes_test::run_graphs(dir.path(), kes_test::slurp(dir.path() / "p.kes"), renderer, &status, &log);
        ASSERT_EQ(status, 0) << log;
        ASSERT_EQ(files.size(), 1u) << log;
        const std::string& svg = files.front().second;
        const kes_test::graph_parts g = kes_test::read_parts(svg);
        // The reference lines are the dashed <line> pieces; every other line is the data's.
        std::vector<kes_test::segment> refs;
        for (const kes_test::svg_element& e : kes_test::svg_elements(svg))
          if (e.name == "line" && !e.get("stroke-dasharray").empty())
            refs.push_back({e.num("x1"), e.num("y1"), e.num("x2"), e.num("y2")});
        const auto is_ref = [&](const kes_test::segment& s) {
          for (const kes_test::segment& r : refs)
            if (r.x1 == s.x1 && r.y1 == s.y1 && r.x2 == s.x2 && r.y2 == s.y2) return true;
          return false;
        };
        for (const kes_test::text_item& t : g.texts) {
          if (t.text != "short wait" && t.text != "cutoff") continue;
          ++labels;
          for (const kes_test::segment& s : g.lines)
            EXPECT_FALSE(!is_ref(s) && kes_test::crosses(s, t.ink))
                << "'" << t.text << "' at " << kes_test::place(t.ink) << " crossed by (" << s.x1 << "," << s.y1
                << ")-(" << s.x2 << "," << s.y2 << ")";
        }
      }
    }
  // Two labels, whole, in each of two cells of every case in both renderers.
  EXPECT_EQ(labels, 3 * 4 * 2 * 2 * 2);
}

// A histogram's VREF lines at a fifth and four fifths of its tallest bar, labelled at
// the left: in both renderers the lower line's label stands under it and the upper
// line's above it (each has room there).
TEST(RefLabelData, BothRenderersTakeTheSameFirstSide) {
  const data_form forms[] = {{"heights", 0, 1}, {"moved to 1.7e9", 1.7e9, 1}, {"scaled to millions", 0, 1e6}};
  std::mt19937 rng(20261209);
  for (const data_form& f : forms)
    for (const char* renderer : {"device", "template"}) {
      SCOPED_TRACE(std::string(f.what) + ", " + renderer);
      kes_test::scratch_dir dir("ref-label-side");
      std::ostringstream d;
      d.precision(17);
      d << "x\n";
      std::normal_distribution<double> heights(170, 10);
      for (int i = 0; i < 200; ++i) d << f.shift + f.scale * heights(rng) << "\n";
      std::ofstream(dir.path() / "d.csv") << d.str();
      // VSCALE=COUNT over 9 bins of 200 values: the tallest bar holds 50 to 80.
      const std::string program =
          "proc kestravine data=d noprint;\n  var x;\n  histogram x / nmidpoints=9 vscale=count vaxis=0 to 100 by 20\n"
          "    vref=20 80 vreflabels='low line' 'high line';\nrun;\n";
      int status = 0;
      std::string log;
      const auto files = kes_test::run_graphs(dir.path(), program, renderer, &status, &log);
      ASSERT_EQ(status, 0) << log;
      ASSERT_EQ(files.size(), 1u) << log;
      const kes_test::graph_parts g = kes_test::read_parts(files.front().second);
      // The horizontal dashed lines, by their y (the page's, downward).
      std::vector<double> ys;
      for (const kes_test::svg_element& e : kes_test::svg_elements(files.front().second))
        if (e.name == "line" && !e.get("stroke-dasharray").empty() && e.num("y1") == e.num("y2")) ys.push_back(e.num("y1"));
      ASSERT_FALSE(ys.empty());
      int seen = 0;
      for (const kes_test::text_item& t : g.texts) {
        const bool low = t.text == "low line";
        if (!low && t.text != "high line") continue;
        ++seen;
        double line = ys.front();
        for (double y : ys)
          if (std::fabs(y - t.cy()) < std::fabs(line - t.cy())) line = y;
        // Under a line on the page: below it, at a greater y.
        EXPECT_EQ(t.cy() > line, low) << "'" << t.text << "' at " << kes_test::place(t.ink) << ", its line at " << line;
      }
      EXPECT_EQ(seen, 2);
    }
}

}  // namespace
