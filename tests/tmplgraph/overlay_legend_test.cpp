// What overlay and comparative legends promise, read back from the SVG files of whole
// runs: every level a legend lists is drawn in each cell or named there with why; the
// plot keeps half of a page at any number of groups and no text leaves the page; texts
// cut to their room stay distinct; a histogram's curve legend comes from any cell's
// fit; a CDF overlay's legend is titled by its CLASS variable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "graph_run.h"
#include "support/svg_marks.h"
#include "support/svg_reader.h"

namespace {

using kes_test::svg_element;

std::vector<svg_element> only_graph(const kes_test::graph_run& r) {
  EXPECT_EQ(r.svg.size(), 1u) << r.log;
  return r.svg.empty() ? std::vector<svg_element>{} : kes_test::svg_elements(r.svg.begin()->second);
}

kes_test::graph_run run(const std::string& csv, const std::string& statements) {
  return kes_test::run_program(csv, "proc kestravine data=d noprint; " + statements + " run;\n");
}

// The top of the legend: its bold title.
double legend_top(const std::vector<svg_element>& els, const std::string& title) {
  for (const svg_element& e : els)
    if (e.name == "text" && e.get("font-weight") == "bold" && e.text == title) return e.num("y");
  return NAN;
}

// The plot area of each cell: the rectangle of a clipPath, and the markers drawn inside
// the group it clips, by the shape they use.
struct cell_marks {
  double x, y, w, h;
  std::map<std::string, int> markers;
  std::vector<std::string> texts;  // texts drawn inside the rectangle
};
std::vector<cell_marks> cells_of(const std::vector<svg_element>& els) {
  std::vector<cell_marks> cells;
  std::map<std::string, std::size_t> by_id;
  for (std::size_t k = 0; k + 1 < els.size(); ++k)
    if (els[k].name == "clipPath" && els[k + 1].name == "rect") {
      by_id["url(#" + els[k].get("id") + ")"] = cells.size();
      const svg_element& r = els[k + 1];
      cells.push_back({r.num("x"), r.num("y"), r.num("width"), r.num("height"), {}, {}});
    }
  for (const svg_element& e : els) {
    if (e.name == "use")
      for (long p = e.parent; p >= 0; p = els[p].parent)
        if (auto it = by_id.find(els[p].get("clip-path")); it != by_id.end()) {
          cell_marks& c = cells[it->second];
          const double x = e.num("x"), y = e.num("y");
          EXPECT_TRUE(x >= c.x - 0.01 && x <= c.x + c.w + 0.01 && y >= c.y - 0.01 && y <= c.y + c.h + 0.01);
          ++c.markers[e.get("href")];
          break;
        }
    if (e.name == "text")
      for (cell_marks& c : cells)
        if (e.num("x") > c.x && e.num("x") < c.x + c.w && e.num("y") > c.y && e.num("y") < c.y + c.h)
          c.texts.push_back(e.text);
  }
  return cells;
}

// Each legend level below `top` and the marker its swatch uses (the nearest to the
// left on its row).
std::map<std::string, std::string> legend_markers(const std::vector<svg_element>& els, double top) {
  std::map<std::string, std::string> out;
  for (const svg_element& t : els) {
    if (t.name != "text" || !(t.num("y") > top)) continue;
    const svg_element* best = nullptr;
    for (const svg_element& u : els)
      if (u.name == "use" && u.num("y") > top && std::fabs(u.num("y") - t.num("y")) < 8 && u.num("x") < t.num("x") &&
          (best == nullptr || u.num("x") > best->num("x")))
        best = &u;
    if (best != nullptr) out[t.text] = best->get("href");
  }
  return out;
}

// Coast holds one Dry value and fifteen Wet ones; Valley twelve equal Wet values and
// fourteen Dry ones.
std::string sites_csv() {
  std::string csv = "site,season,y\nCoast,Dry,5.5\n";
  for (int i = 0; i < 15; ++i) csv += "Coast,Wet," + std::to_string(3 + 0.27 * i) + "\n";
  for (int i = 0; i < 12; ++i) csv += "Valley,Wet,4.2\n";
  for (int i = 0; i < 14; ++i) csv += "Valley,Dry," + std::to_string(2 + 0.35 * i) + "\n";
  return csv;
}

TEST(OverlayLegend, EveryLevelTheLegendListsIsDrawnInEachCellOrNamedThereWithWhy) {
  struct row {
    const char* statement;
    int coast, valley;  // markers drawn in each cell
  };
  const row rows[] = {
      {"qqplot / lognormal(theta=0 sigma=est zeta=est) overlay;", 15, 14},
      {"probplot / normal(mu=est sigma=est) overlay;", 15, 14},
      {"ppplot / normal overlay;", 15, 14},
      {"qqplot / normal(mu=est sigma=est) overlay rotate;", 15, 14},
  };
  // Why each left-out group is not drawn, by the cell's site.
  const std::map<std::string, std::string> notes = {{"Coast", "Dry: 1 value, not drawn"},
                                                    {"Valley", "Wet: all values equal, not drawn"}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.statement);
    const kes_test::graph_run run_ = run(sites_csv(), std::string("var y; class site season; ") + r.statement);
    ASSERT_EQ(run_.status, 0) << run_.log;
    const std::vector<svg_element> els = only_graph(run_);
    const double top = legend_top(els, "season");
    ASSERT_TRUE(std::isfinite(top));
    const std::map<std::string, std::string> legend = legend_markers(els, top);
    ASSERT_EQ(legend.size(), 2u);
    const std::vector<cell_marks> cells = cells_of(els);
    ASSERT_EQ(cells.size(), 2u);
    for (std::size_t k = 0; k < cells.size(); ++k) {
      const std::string site = k == 0 ? "Coast" : "Valley";
      int markers = 0;
      for (const auto& [id, n] : cells[k].markers) markers += n;
      EXPECT_EQ(markers, k == 0 ? r.coast : r.valley) << site;
      // Each level: its markers in the cell, or a text there that names it, never both.
      for (const auto& [level, id] : legend) {
        const bool drawn = cells[k].markers.count(id) > 0;
        const bool named = std::any_of(cells[k].texts.begin(), cells[k].texts.end(),
                                       [&](const std::string& t) { return t.rfind(level + ":", 0) == 0; });
        EXPECT_NE(drawn, named) << site << " " << level;
      }
      EXPECT_EQ(std::count(cells[k].texts.begin(), cells[k].texts.end(), notes.at(site)), 1) << site;
    }
  }
}

// n levels of g, five values each; `long_names` gives each a text of 57 characters.
std::string many_groups_csv(int n, bool long_names) {
  std::string csv = "g,y\n";
  for (int k = 0; k < n; ++k) {
    char name[80];
    std::snprintf(name, sizeof name, long_names ? "Level with a long descriptive name for group number %03d i" : "L%03d", k);
    for (int i = 0; i < 5; ++i) csv += std::string(name) + "," + std::to_string(1 + 0.01 * k + 0.2 * i) + "\n";
  }
  return csv;
}

TEST(OverlayLegend, ThePlotKeepsHalfThePageAndEveryTextStaysOnItAtAnyNumberOfGroups) {
  struct row {
    int groups;
    bool long_names;
    const char* statement;
  };
  const row rows[] = {
      {150, false, "qqplot / normal(mu=est sigma=est) overlay;"},
      {150, true, "qqplot / normal(mu=est sigma=est) overlay;"},
      {200, false, "ppplot / normal overlay;"},
      {200, true, "qqplot / normal(mu=est sigma=est) overlay;"},
      {200, true, "cdfplot / normal overlay;"},
      {12, true, "probplot / normal(mu=est sigma=est) overlay;"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(std::to_string(r.groups) + (r.long_names ? " long " : " short ") + r.statement);
    const kes_test::graph_run run_ = run(many_groups_csv(r.groups, r.long_names), std::string("var y; class g; ") + r.statement);
    ASSERT_EQ(run_.status, 0) << run_.log;
    const std::vector<svg_element> els = only_graph(run_);
    ASSERT_FALSE(els.empty());
    const double width = els[0].num("width"), height = els[0].num("height");
    ASSERT_GT(height, 0);
    const std::vector<cell_marks> cells = cells_of(els);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_GE(cells[0].h, height / 2 - 1) << "page " << height;
    for (const svg_element& e : els)
      if (e.name == "text") {
        EXPECT_TRUE(e.num("y") > 0 && e.num("y") < height && e.num("x") >= 0 && e.num("x") <= width) << e.text;
      }
    // The legend names every level once, each in a text of its own.
    const double top = legend_top(els, "g");
    std::set<std::string> shown;
    int entries = 0;
    for (const svg_element& e : els)
      if (e.name == "text" && e.num("y") > top) ++entries, shown.insert(e.text);
    EXPECT_EQ(entries, r.groups);
    EXPECT_EQ(shown.size(), static_cast<std::size_t>(r.groups));
  }
}

TEST(OverlayLegend, TextsCutToTheirRoomStayDistinct) {
  // Twelve legend entries too long for two columns, whose texts part only at the end.
  std::string csv = "g,y\n";
  for (int k = 0; k < 12; ++k)
    for (int i = 0; i < 6; ++i)
      csv += "Treatment group with a long descriptive name and a few more words at level " + std::string(k < 10 ? "0" : "") +
             std::to_string(k) + "," + std::to_string(2 + 0.3 * k + 0.1 * i) + "\n";
  const kes_test::graph_run legend = run(csv, "var y; class g; qqplot / normal(mu=est sigma=est) overlay;");
  ASSERT_EQ(legend.status, 0) << legend.log;
  std::vector<svg_element> els = only_graph(legend);
  const double top = legend_top(els, "g");
  std::set<std::string> entries;
  int cut = 0;
  for (const svg_element& e : els)
    if (e.name == "text" && e.num("y") > top) {
      entries.insert(e.text);
      cut += e.text.find("\xE2\x80\xA6") != std::string::npos ? 1 : 0;
    }
  EXPECT_EQ(entries.size(), 12u);
  EXPECT_EQ(cut, 12);
  // Strips of 2 x 10 cells side by side, each too narrow for its levels.
  std::string ab = "a,b,y\n";
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 10; ++b)
      for (int i = 0; i < 5; ++i)
        ab += std::to_string(a) + ",condition " + std::to_string(b) + "," + std::to_string(2 + 0.1 * i) + "\n";
  const kes_test::graph_run strips = run(ab, "var y; class a b; histogram / ncols=10 nrows=2;");
  ASSERT_EQ(strips.status, 0) << strips.log;
  els = only_graph(strips);
  std::set<std::string> texts;
  int strip_texts = 0;
  for (std::size_t k = 0; k + 1 < els.size(); ++k)
    if (els[k].name == "rect" && els[k].get("fill") == "#EFEFEF" && els[k + 1].name == "text")
      ++strip_texts, texts.insert(els[k + 1].text);
  EXPECT_EQ(strip_texts, 20);
  EXPECT_EQ(texts.size(), 20u);
}

TEST(OverlayLegend, ANoteGivesTheLengthACutReferenceLabelIsDrawnAt) {
  std::string csv = "y\n";
  for (int i = 0; i < 30; ++i) csv += std::to_string(1 + 0.2 * i) + "\n";
  const std::string program = "proc kestravine data=d noprint; var y; histogram / href=2 4 hreflabels="
                              "'A reference line with a long label' 'Short'; run;\n";
  for (const char* kind : {"template", "device"}) {
    SCOPED_TRACE(kind);
    const kes_test::graph_run r = kes_test::run_program(csv, program, {"--graphics", kind});
    ASSERT_EQ(r.status, 0) << r.log;
    const std::size_t at = r.log.find("are cut to ");
    ASSERT_NE(at, std::string::npos) << r.log;
    const int said = std::stoi(r.log.substr(at + 11));
    ASSERT_EQ(r.svg.size(), 1u);
    int drawn = -1;
    for (const svg_element& e : kes_test::svg_elements(r.svg.begin()->second))
      if (e.name == "text" && e.text.rfind("A reference", 0) == 0) {
        drawn = 0;
        for (unsigned char ch : e.text) drawn += (ch & 0xC0) != 0x80 ? 1 : 0;
      }
    EXPECT_EQ(drawn, said);
  }
}

TEST(OverlayLegend, AHistogramCurveLegendNamesTheCurvesAnyCellDraws) {
  // The key cell A holds one value and fits nothing; B to E fit a normal curve.
  std::string csv = "g,y\nA,5\n";
  for (const char* g : {"B", "C", "D", "E"})
    for (int i = 0; i < 20; ++i) csv += std::string(g) + "," + std::to_string(3 + 0.2 * i) + "\n";
  struct row {
    const char* statement;
    bool legend;
  };
  const row rows[] = {
      {"histogram / normal;", true},
      {"histogram / normal lognormal(theta=0);", true},
      {"histogram / normal nocurvelegend;", false},
      {"histogram;", false},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.statement);
    const kes_test::graph_run run_ = run(csv, std::string("var y; class g; ") + r.statement);
    ASSERT_EQ(run_.status, 0) << run_.log;
    const std::vector<svg_element> els = only_graph(run_);
    const bool one = std::isfinite(legend_top(els, "Fitted Distribution"));
    const bool more = std::isfinite(legend_top(els, "Fitted Distributions"));
    EXPECT_EQ(one || more, r.legend);
    if (r.legend) {
      EXPECT_EQ(more, std::string(r.statement).find("lognormal") != std::string::npos);
    }
  }
}

TEST(OverlayLegend, ACdfOverlayIsTitledByItsClassVariableAsTheOtherOverlaysAre) {
  std::string csv = "feed,weight\n";
  for (const char* feed : {"casein", "horsebean", "linseed", "meatmeal", "soybean", "sunflower"})
    for (int i = 0; i < 10; ++i) csv += std::string(feed) + "," + std::to_string(150 + 17 * i + feed[0]) + "\n";
  for (const char* statement : {"cdfplot / normal overlay;", "cdfplot / overlay;", "qqplot / normal overlay;",
                                "ppplot / normal overlay;"}) {
    SCOPED_TRACE(statement);
    const kes_test::graph_run run_ = run(csv, std::string("var weight; class feed; ") + statement);
    ASSERT_EQ(run_.status, 0) << run_.log;
    const std::vector<svg_element> els = only_graph(run_);
    EXPECT_TRUE(std::isfinite(legend_top(els, "feed")));
    EXPECT_FALSE(std::isfinite(legend_top(els, "Normal")));
  }
}

}  // namespace
