// What overlay and comparative legends promise, read back from the SVG files of whole
// runs: every level a legend lists is drawn in each cell or named there with why; the
// plot keeps half of a page at any number of groups, no text leaves the page and
// texts cut to their room stay distinct; legend titles; a cut label's note.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "graph_run.h"
#include "support/svg_reader.h"

namespace {

using kes_test::svg_element;

std::vector<svg_element> run_graph(const std::string& csv, const std::string& statements,
                                   const std::vector<std::string>& options = {}, std::string* log = nullptr) {
  const kes_test::graph_run r =
      kes_test::run_program(csv, "proc kestravine data=d noprint; " + statements + " run;\n", options);
  EXPECT_EQ(r.status, 0) << r.log;
  EXPECT_EQ(r.svg.size(), 1u) << r.log;
  if (log != nullptr) *log = r.log;
  return r.svg.empty() ? std::vector<svg_element>{} : kes_test::svg_elements(r.svg.begin()->second);
}

bool inside(const svg_element& frame, double x, double y) {
  return x > frame.num("x") && x < frame.num("x") + frame.num("width") && y > frame.num("y") &&
         y < frame.num("y") + frame.num("height");
}

TEST(OverlayLegend, EveryLevelTheLegendListsIsDrawnInEachCellOrNamedThereWithWhy) {
  // Coast: one Dry value, fifteen Wet ones; Valley: twelve equal Wet values, fourteen Dry.
  // A blank level (a missing value kept as a level) is named as a missing value is shown.
  const struct {
    const char* dry;    // the level's text in the data
    const char* klass;  // the CLASS statement
    const char* note;   // what the Coast cell says of it
  } levels[] = {{"Dry", "class site season;", "Dry: 1 value, not drawn"},
                {"", "class site season(missing);", ".: 1 value, not drawn"}};
  for (const auto& level : levels) {
    const std::string dry = level.dry;
    std::string csv = "site,season,y\nCoast," + dry + ",5.5\n";
    for (int i = 0; i < 15; ++i) csv += "Coast,Wet," + std::to_string(3 + 0.27 * i) + "\n";
    for (int i = 0; i < 12; ++i) csv += "Valley,Wet,4.2\n";
    for (int i = 0; i < 14; ++i) csv += "Valley," + dry + "," + std::to_string(2 + 0.35 * i) + "\n";
    const char* const notes[2] = {level.note, "Wet: all values equal, not drawn"};
    for (const char* statement : {"qqplot / lognormal(theta=0 sigma=est zeta=est) overlay;",
                                  "probplot / normal(mu=est sigma=est) overlay rotate;", "ppplot / normal overlay;"}) {
      SCOPED_TRACE(std::string(level.klass) + statement);
      const std::vector<svg_element> els = run_graph(csv, std::string("var y; ") + level.klass + " " + statement);
      const double top = kes_test::legend_top(els, "season");
      ASSERT_TRUE(std::isfinite(top));
      std::vector<const svg_element*> frames;
      for (const svg_element& e : els)
        if (e.name == "rect" && e.get("fill") == "none" && e.get("stroke") == "#4A4A4A") frames.push_back(&e);
      ASSERT_EQ(frames.size(), 2u);
      // Per cell (Coast above Valley): one group's markers, and the other group named.
      for (std::size_t k = 0; k < 2; ++k) {
        std::set<std::string> shapes;
        int markers = 0, named = 0;
        for (const svg_element& e : els) {
          if (e.name == "use" && inside(*frames[k], e.num("x"), e.num("y"))) ++markers, shapes.insert(e.get("href"));
          if (e.name == "text" && inside(*frames[k], e.num("x"), e.num("y")))
            named += e.text == notes[k] ? 1 : e.text.find(':') != std::string::npos ? 100 : 0;
        }
        EXPECT_EQ(markers, k == 0 ? 15 : 14);
        EXPECT_EQ(shapes.size(), 1u);
        EXPECT_EQ(named, 1) << notes[k];
      }
    }
  }
}

// The legend of overlaid groups names exactly the groups drawn on its panel: a group
// of one value, or whose values have no probability, draws nothing and is named only in
// its cell's note, with why. Rows: the data of two cells (site) and their groups
// (season), the groups a legend lists, and the note the first cell holds.
TEST(OverlayLegend, TheLegendNamesEveryGroupDrawnAndNoOther) {
  struct row {
    const char* what;
    std::string csv;
    std::set<std::string> listed;
    const char* note;  // in the Coast cell, or "" for none
  };
  std::string spread = "site,season,y\n", lone = "site,season,y\nCoast,Dry,5.5\nCoast,Hot,4.1\n";
  for (int i = 0; i < 12; ++i) {
    const std::string v = std::to_string(3 + 0.27 * i);
    spread += "Coast,Wet," + v + "\nValley,Wet," + v + "\nValley,Dry," + std::to_string(2 + 0.35 * i) + "\n";
    lone += "Coast,Wet," + v + "\nValley,Wet," + v + "\n";
  }
  const row rows[] = {
      {"every group drawn", spread, {"Wet", "Dry"}, ""},
      // Dry and Hot: one value each, in one cell, none elsewhere.
      {"two groups of one value", lone, {"Wet"}, "Dry: 1 value, not drawn"},
  };
  const char* const plots[] = {"qqplot / normal(mu=est sigma=est) overlay;", "probplot / normal overlay;",
                               "ppplot / normal overlay;", "cdfplot / normal overlay;"};
  for (const row& r : rows) {
    for (const char* plot : plots) {
      SCOPED_TRACE(std::string(r.what) + ": " + plot);
      const std::vector<svg_element> els = run_graph(r.csv, std::string("var y; class site season; ") + plot);
      const double top = kes_test::legend_top(els, "season");
      ASSERT_TRUE(std::isfinite(top));
      std::set<std::string> listed;
      bool noted = false;
      for (const svg_element& e : els) {
        if (e.name == "text" && e.num("y") > top + 1) listed.insert(e.text);
        noted = noted || (e.name == "text" && e.text == r.note);
      }
      EXPECT_EQ(listed, r.listed);
      EXPECT_EQ(noted, *r.note != '\0');
    }
  }
}

// n levels of g, five values each, named "L000" ... or with 57 characters.
std::string many_groups(int n, bool long_names) {
  std::string csv = "g,y\n";
  for (int k = 0; k < n; ++k) {
    char name[80];
    std::snprintf(name, sizeof name, long_names ? "Level with a long descriptive name for group number %03d i" : "L%03d", k);
    for (int i = 0; i < 5; ++i) csv += std::string(name) + "," + std::to_string(1 + 0.01 * k + 0.2 * i) + "\n";
  }
  return csv;
}

TEST(OverlayLegend, ThePlotKeepsHalfThePageAndEveryLevelADistinctTextOnIt) {
  const struct {
    int groups;
    bool long_names;
    const char* statement;
  } rows[] = {{150, false, "qqplot / normal(mu=est sigma=est) overlay;"},
              {150, true, "ppplot / normal overlay;"},
              {200, true, "qqplot / normal(mu=est sigma=est) overlay;"},
              {200, true, "cdfplot / normal overlay;"},
              {12, true, "probplot / normal(mu=est sigma=est) overlay;"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.groups) + " " + r.statement);
    const std::vector<svg_element> els = run_graph(many_groups(r.groups, r.long_names), std::string("var y; class g; ") + r.statement);
    ASSERT_FALSE(els.empty());
    const double width = els[0].num("width"), height = els[0].num("height");
    const double top = kes_test::legend_top(els, "g");
    std::set<std::string> entries;
    int texts = 0;
    for (const svg_element& e : els) {
      if (e.name == "rect" && e.get("fill") == "none" && e.get("stroke") == "#4A4A4A") {
        EXPECT_GE(e.num("height"), height / 2 - 1);
      }
      if (e.name != "text") continue;
      EXPECT_TRUE(e.num("y") > 0 && e.num("y") < height && e.num("x") >= 0 && e.num("x") <= width) << e.text;
      if (e.num("y") > top) ++texts, entries.insert(e.text);
    }
    EXPECT_EQ(texts, r.groups);
    EXPECT_EQ(entries.size(), static_cast<std::size_t>(r.groups));
  }
  // Strips of 2 x 10 cells side by side, each too narrow for its levels.
  std::string ab = "a,b,y\n";
  for (int k = 0; k < 100; ++k) ab += std::to_string(k / 50) + ",condition " + std::to_string(k / 5 % 10) + "," + std::to_string(k % 5) + "\n";
  const std::vector<svg_element> els = run_graph(ab, "var y; class a b; histogram / ncols=10 nrows=2;");
  std::set<std::string> strips;
  for (std::size_t k = 0; k + 1 < els.size(); ++k)
    if (els[k].name == "rect" && els[k].get("fill") == "#EFEFEF" && els[k + 1].name == "text") strips.insert(els[k + 1].text);
  EXPECT_EQ(strips.size(), 20u);
}

TEST(OverlayLegend, LegendTitles) {
  // The key cell A holds one value and fits nothing; B and C fit their curves.
  std::string hist = "g,y\nA,5\n";
  for (int i = 0; i < 40; ++i) hist += std::string(i < 20 ? "B," : "C,") + std::to_string(3 + 0.2 * (i % 20)) + "\n";
  std::string feeds = "feed,y\n";
  for (const char* feed : {"casein", "horsebean", "linseed", "meatmeal", "soybean", "sunflower"})
    for (int i = 0; i < 10; ++i) feeds += std::string(feed) + "," + std::to_string(150 + 17 * i + feed[0]) + "\n";
  const struct {
    const std::string& csv;
    const char* statement;
    const char* title;  // "": no legend
  } rows[] = {{hist, "class g; histogram / normal;", "Fitted Distribution"},
              {hist, "class g; histogram / normal lognormal(theta=0);", "Fitted Distributions"},
              {hist, "class g; histogram / normal nocurvelegend;", ""},
              {feeds, "class feed; cdfplot / normal overlay;", "feed"},
              {feeds, "class feed; cdfplot / overlay;", "feed"},
              {feeds, "class feed; qqplot / normal overlay;", "feed"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.statement);
    int bold = 0;
    for (const svg_element& e : run_graph(r.csv, std::string("var y; ") + r.statement))
      if (e.name == "text" && e.get("font-weight") == "bold" && e.text.find(" of y") == std::string::npos) {
        EXPECT_EQ(e.text, r.title);
        ++bold;
      }
    EXPECT_EQ(bold, *r.title != 0 ? 1 : 0);
  }
}

TEST(OverlayLegend, ANoteGivesTheLengthACutReferenceLabelIsDrawnAt) {
  for (const char* kind : {"template", "device"}) {
    SCOPED_TRACE(kind);
    std::string log;
    const std::vector<svg_element> els = run_graph(
        "y\n1\n2\n3\n5\n", "var y; histogram / href=2 4 hreflabels='A reference line with a long label' 'Short';",
        {"--graphics", kind}, &log);
    const std::size_t at = log.find("are cut to ");
    ASSERT_NE(at, std::string::npos) << log;
    int drawn = -1;
    for (const svg_element& e : els)
      if (e.name == "text" && e.text.rfind("A reference", 0) == 0) {
        drawn = 0;
        for (unsigned char ch : e.text) drawn += (ch & 0xC0) != 0x80 ? 1 : 0;
      }
    EXPECT_EQ(drawn, std::stoi(log.substr(at + 11)));
  }
}

}  // namespace
