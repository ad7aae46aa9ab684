// Texts of graphs through the built runner, read back from their SVG files in both
// renderers: every text inside the page; the levels of one legend, strip row or set of
// row labels each read apart, whole where they fit; no two numbers on one line closer
// than a blank.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "graph/template_canvas.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace {

using kes_test::svg_element;

// A text as drawn: its words and the box it takes on the page (px, y down). The box
// across the baseline is the font's usual ascent and descent.
struct drawn_text {
  std::string text;
  double size;
  double x0, y0, x1, y1;
  bool turned;
};

std::vector<drawn_text> texts_of(const std::vector<svg_element>& els) {
  std::vector<drawn_text> out;
  for (const svg_element& e : els) {
    if (e.name != "text" || e.text.empty()) continue;
    const double x = e.num("x"), y = e.num("y"), size = e.num("font-size"), len = e.num("textLength");
    EXPECT_TRUE(std::isfinite(len)) << "a text without its length: " << e.text;
    const std::string anchor = e.get("text-anchor");
    const double start = anchor == "middle" ? x - len / 2 : anchor == "end" ? x - len : x;
    double angle = 0, cx = x, cy = y;
    const std::string t = e.get("transform");
    if (!t.empty()) {
      EXPECT_EQ(std::sscanf(t.c_str(), "rotate(%lf %lf %lf)", &angle, &cx, &cy), 3) << t;
    }
    const double a = angle * M_PI / 180, c = std::cos(a), s = std::sin(a);
    const double xs[2] = {start, start + len}, ys[2] = {y - 0.8 * size, y + 0.2 * size};
    drawn_text d{e.text, size, INFINITY, INFINITY, -INFINITY, -INFINITY, angle != 0};
    for (double px : xs)
      for (double py : ys) {
        const double rx = cx + (px - cx) * c - (py - cy) * s, ry = cy + (px - cx) * s + (py - cy) * c;
        d.x0 = std::min(d.x0, rx), d.x1 = std::max(d.x1, rx), d.y0 = std::min(d.y0, ry), d.y1 = std::max(d.y1, ry);
      }
    out.push_back(d);
  }
  return out;
}

// Every text lies inside the page.
void expect_inside_page(const std::vector<svg_element>& els, const std::string& where) {
  ASSERT_FALSE(els.empty());
  const double w = els[0].num("width"), h = els[0].num("height");
  for (const drawn_text& d : texts_of(els)) {
    const double slack = 0.5;
    EXPECT_TRUE(d.x0 >= -slack && d.y0 >= -slack && d.x1 <= w + slack && d.y1 <= h + slack)
        << where << ": \"" << d.text.substr(0, 60) << "\" takes x " << d.x0 << " to " << d.x1 << ", y " << d.y0
        << " to " << d.y1 << " on a page of " << w << " x " << h;
  }
}

// Numbers written on one line (one baseline, not turned) keep more than a blank apart.
void expect_numbers_apart(const std::vector<svg_element>& els, const std::string& where) {
  std::map<long, std::vector<drawn_text>> lines;  // by baseline, in hundredths of a px
  for (const drawn_text& d : texts_of(els)) {
    char* end = nullptr;
    std::strtod(d.text.c_str(), &end);
    if (d.turned || end == d.text.c_str() || *end != '\0') continue;
    lines[std::lround((d.y1 - 0.2 * d.size) * 100)].push_back(d);
  }
  for (auto& [y, line] : lines) {
    std::sort(line.begin(), line.end(), [](const drawn_text& a, const drawn_text& b) { return a.x0 < b.x0; });
    for (std::size_t i = 1; i < line.size(); ++i) {
      plat::graph::text_style t;
      t.size = line[i].size;
      EXPECT_GT(line[i].x0 - line[i - 1].x1, plat::graph::text_advance(" ", t) - 0.01)
          << where << ": \"" << line[i - 1].text << "\" ends at " << line[i - 1].x1 << ", \"" << line[i].text
          << "\" starts at " << line[i].x0;
    }
  }
}

class RunnerGraphTexts : public ::testing::TestWithParam<const char*> {
 protected:
  // Runs the program in the renderer under test; the documents it wrote, in order.
  std::vector<std::vector<svg_element>> run(const std::string& program) {
    dir_.write("prog.kes", program);
    for (const std::string& f : kes_test::svg_files(dir_.path())) std::filesystem::remove(dir_ / f);
    kes_test::runner_process p;
    p.start(dir_.path().string(), {"--log", "log", "--listing", "lst", "--graphics", GetParam(), "prog.kes"},
            [] { ::alarm(300); });
    const int status = p.wait();
    EXPECT_EQ(status, 0) << kes_test::slurp(dir_ / "log");
    std::vector<std::vector<svg_element>> docs;
    for (const std::string& f : kes_test::svg_files(dir_.path()))
      docs.push_back(kes_test::svg_elements(kes_test::slurp(dir_ / f)));
    EXPECT_FALSE(docs.empty()) << kes_test::slurp(dir_ / "log");
    return docs;
  }
  // The distinct texts of all documents that hold `part`, and how many texts hold it.
  static std::set<std::string> holding(const std::vector<std::vector<svg_element>>& docs, const std::string& part,
                                       std::size_t* count = nullptr) {
    std::set<std::string> out;
    for (const auto& els : docs)
      for (const svg_element& e : els)
        if (e.name == "text" && e.text.find(part) != std::string::npos) {
          out.insert(e.text);
          if (count != nullptr) ++*count;
        }
    return out;
  }
  void check_page(const std::vector<std::vector<svg_element>>& docs) {
    for (std::size_t i = 0; i < docs.size(); ++i) {
      expect_inside_page(docs[i], std::string(GetParam()) + " graph " + std::to_string(i));
      expect_numbers_apart(docs[i], std::string(GetParam()) + " graph " + std::to_string(i));
    }
  }

  kes_test::scratch_dir dir_{"graphtexts"};
};

std::string padded(int k, int digits) {
  std::string s = std::to_string(k);
  return std::string(digits - std::min<int>(digits, s.size()), '0') + s;
}

// Levels that part from their neighbours at the last digit but end like others ten
// apart ("..._004", "..._014", "..._024"), and 195 letters before five digits: one
// text per level, none alike.
TEST_P(RunnerGraphTexts, LegendLevelsReadApart) {
  struct set {
    std::string stem;
    int levels, digits;
  };
  const set sets[] = {{"north_region_monitoring_station_", 24, 3}, {std::string(195, 'Z'), 30, 5}};
  for (const set& s : sets) {
    SCOPED_TRACE(s.stem.substr(0, 20));
    std::string data = "g,x\n";
    for (int k = 0; k < s.levels; ++k)
      for (int i = 0; i < 6; ++i)
        data += s.stem + padded(k + 1, s.digits) + "," + std::to_string(10 + 0.1 * k + 0.37 * ((i * 7) % 6)) + "\n";
    dir_.write("d.csv", data);
    const auto docs = run("proc kestravine data=d noprint; var x; class g; qqplot x / normal overlay; run;\n");
    check_page(docs);
    std::size_t count = 0;
    // A label cut to a narrow strip at the least height that reads keeps its start and
    // its end: its first four characters find it.
    EXPECT_EQ(holding(docs, s.stem.substr(0, 4), &count).size(), static_cast<std::size_t>(s.levels));
    EXPECT_EQ(count, static_cast<std::size_t>(s.levels));
  }
}

// A 2 x 10 panel whose levels fit their cells: each strip (template) or top box
// (device) reads its level whole, and no two read alike.
TEST_P(RunnerGraphTexts, StripLevelsThatFitAreWhole) {
  std::string data = "r,c,x\n";
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 10; ++c)
      for (int i = 0; i < 5; ++i) data += std::to_string(r) + ",col" + padded(c, 2) + "," + std::to_string(9 + i + 0.1 * c) + "\n";
  dir_.write("d.csv", data);
  const auto docs = run("proc kestravine data=d noprint; var x; class r c; histogram x / nrows=2 ncols=10; run;\n");
  check_page(docs);
  ASSERT_EQ(docs.size(), 1u);
  std::size_t count = 0;
  const std::set<std::string> shown = holding(docs, "col", &count);
  EXPECT_EQ(shown.size(), count) << "two strips read alike";
  for (int c = 0; c < 10; ++c) {
    const std::string level = "col" + padded(c, 2);
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const std::string& t) {
      return t == level || t == "0, " + level || t == "1, " + level;
    })) << level << " is not written whole";
  }
}

// Rows of long levels: their labels (device row boxes turned up the page, template
// strips) stay on the page and apart; so do they turned upright (TURNVLABELS).
TEST_P(RunnerGraphTexts, RowLabelsOfLongLevelsStayOnThePage) {
  std::string data = "grp,x\n";
  for (const char* g : {"Control group receiving placebo tablets", "Treatment group receiving active tablets",
                        "A third group whose name is longer than any row of the page could hold"})
    for (int i = 0; i < 20; ++i) data += std::string(g) + "," + std::to_string(10 + 0.13 * ((i * 7) % 20)) + "\n";
  dir_.write("d.csv", data);
  for (const char* options : {"", " turnvlabels"}) {
    SCOPED_TRACE(options);
    const auto docs = run(std::string("proc kestravine data=d noprint; var x; class grp;\n"
                                      "  histogram x / nrows=3") + options + ";\n"
                          "  probplot x / nrows=3" + options + ";\nrun;\n");
    check_page(docs);
    for (const auto& els : docs) {
      std::vector<drawn_text> labels;
      for (const drawn_text& d : texts_of(els))
        if (d.text.find("group") != std::string::npos) labels.push_back(d);
      for (std::size_t i = 0; i < labels.size(); ++i)
        for (std::size_t j = i + 1; j < labels.size(); ++j)
          EXPECT_TRUE(labels[i].x1 <= labels[j].x0 || labels[j].x1 <= labels[i].x0 || labels[i].y1 <= labels[j].y0 ||
                      labels[j].y1 <= labels[i].y0)
              << "\"" << labels[i].text << "\" runs into \"" << labels[j].text << "\"";
    }
  }
}

// Percent axes of cells side by side, under a shape fitted per cell: the values of one
// axis keep more than a blank apart ("75" and "95" touching read "7595").
TEST_P(RunnerGraphTexts, PercentValuesKeepABlankApart) {
  std::string data = "c,x\n";
  for (int c = 0; c < 5; ++c)
    for (int i = 0; i < 25; ++i) {
      const double z = std::sqrt(2.0) * std::erfc(2.0 * (i + 0.5) / 25);
      data += "c" + std::to_string(c) + "," + std::to_string(std::exp((0.25 + 0.4 * c) * (z - 0.9))) + "\n";
    }
  dir_.write("d.csv", data);
  for (const char* layout : {"ncols=4 nrows=1", "ncols=3 nrows=2", "ncols=2 nrows=1"}) {
    SCOPED_TRACE(layout);
    check_page(run(std::string("proc kestravine data=d noprint; var x; class c;\n"
                               "  probplot x / lognormal(sigma=est theta=0) ") + layout + ";\n"
                   "  probplot x / normal " + layout + ";\nrun;\n"));
  }
}

// Cells side by side whose linear axes end with a value ("12", "120", "1.0") a tick
// before the next cell's "0": the two keep more than a blank apart, or they read as
// one number ("120" or "1200").
TEST_P(RunnerGraphTexts, TickValuesOfNeighbouringCellsKeepABlankApart) {
  std::string data = "r,c,x\n";
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < 25; ++i) {
        const double z = std::sqrt(2.0) * std::erfc(2.0 * (i + 0.5) / 25);
        data += std::to_string(r) + "," + std::to_string(c) + "," +
                std::to_string(std::exp((0.25 + 0.6 * c) * (1 + r) * (z - 0.9))) + "\n";
      }
  dir_.write("d.csv", data);
  check_page(run("proc kestravine data=d noprint; var x; class r c;\n"
                 "  qqplot x / lognormal(sigma=est theta=0);\n"
                 "  qqplot x / gamma(alpha=est theta=0);\n"
                 "  qqplot x / normal rotate;\n"
                 "  ppplot x / normal;\n"
                 "  cdfplot x / normal;\n"
                 "  probplot x / normal rotate;\n"
                 "  histogram x / endpoints;\nrun;\n"));
}

// An axis definition's LABEL line at an angle of its own (A= or R=), or a label drawn
// at that angle, stands outward of the vertical axis's tick values, in the room kept
// for it: "Pct" drawn across from the values' side overlapped "50".
TEST_P(RunnerGraphTexts, AngledAxisLabelStandsOutsideTheTickValues) {
  if (std::string(GetParam()) != "device") GTEST_SKIP() << "axis definitions are device graphs' own";
  std::string data = "x\n";
  for (int i = 0; i < 40; ++i) data += std::to_string(5 + (i * 37 % 40) * 2.2) + "\n";
  dir_.write("d.csv", data);
  struct label_case {
    const char* label;
    const char* options;  // of the plot statements
    const char* text;
  };
  const label_case cases[] = {
      {"r=90 'Pct'", "", "Pct"},
      {"a=30 'Percent'", "", "Percent"},
      {"a=-20 'Percent'", "", "Percent"},
      {"h=3 r=90 'Percent of all'", "", "Percent of all"},
      // The angle of the definition with a text of VAXISLABEL=.
      {"r=90", " vaxislabel='Percent share'", "Percent share"},
  };
  for (const label_case& c : cases) {
    SCOPED_TRACE(c.label);
    const auto docs = run(std::string("axis1 order=(0 to 100 by 25) label=(") + c.label +
                          ");\nproc kestravine data=d noprint; var x;\n  qqplot x / normal vaxis=axis1" + c.options +
                          ";\n  cdfplot x / vaxis=axis1" + c.options + ";\nrun;\n");
    for (const auto& els : docs) {
      check_page({els});
      std::vector<drawn_text> label, numbers, values;
      std::map<long, int> right_ends;
      for (const drawn_text& d : texts_of(els)) {
        if (d.text == c.text) label.push_back(d);
        else if (d.text == "0" || d.text == "25" || d.text == "50" || d.text == "75" || d.text == "100")
          numbers.push_back(d), ++right_ends[std::lround(d.x1 * 10)];
      }
      // The vertical axis's tick values: the five numbers right-aligned at one place.
      for (const drawn_text& d : numbers)
        if (right_ends[std::lround(d.x1 * 10)] == 5) values.push_back(d);
      ASSERT_EQ(label.size(), 1u);
      ASSERT_EQ(values.size(), 5u);
      double values_left = INFINITY;
      for (const drawn_text& v : values) values_left = std::min(values_left, v.x0);
      for (const drawn_text& l : label)
        EXPECT_LE(l.x1, values_left + 0.5) << "\"" << l.text << "\" reaches x " << l.x1
                                           << ", the tick values start at " << values_left;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Renderers, RunnerGraphTexts, ::testing::Values("template", "device"));

}  // namespace
