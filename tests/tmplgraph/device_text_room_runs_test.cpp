// Device graphs keep every text readable, run through the runner and read back with the
// shared SVG reader: a margin box's family rows keep their values off their labels, the
// reference lines' labels are drawn over the bars (their lines behind them), a vertical
// label at an angle (VAXISLABEL=, or several LABEL lines) keeps to the room made for it,
// on the page and off the tick values and the frame; texts of the default colour over
// the program's own dark or light fills (CFRAME=, CFRAMESIDE=, CFRAMETOP=) read, while a
// colour the program chose is kept; and a grid asked for on a CDF or P-P plot, which
// the device does not draw, is noted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph_run.h"
#include "support/svg_parts.h"
#include "support/svg_rules.h"

namespace {

using kes_test::graph_parts;
using kes_test::graph_run;
using kes_test::text_item;

// Texts of a page that lie over one another (by more than the writer's rounding), or
// off the page.
std::string crowded(const graph_parts& g) {
  std::string out;
  for (std::size_t i = 0; i < g.texts.size(); ++i) {
    const text_item& a = g.texts[i];
    if (a.ink.x0 < -kes_test::kSlack || a.ink.y0 < -kes_test::kSlack || a.ink.x1 > g.width + kes_test::kSlack ||
        a.ink.y1 > g.height + kes_test::kSlack)
      out += "'" + a.text + "' off the page at " + place(a.ink) + "\n";
    for (std::size_t j = i + 1; j < g.texts.size(); ++j)
      if (a.ink.overlaps(g.texts[j].ink, 1)) out += "'" + a.text + "' over '" + g.texts[j].text + "'\n";
  }
  return out;
}

graph_parts one_graph(const graph_run& r) {
  EXPECT_EQ(r.status, 0) << r.log;
  EXPECT_EQ(r.svg.size(), 1u) << r.log;
  return r.svg.empty() ? graph_parts{} : kes_test::read_parts(r.svg.begin()->second);
}

TEST(DeviceTextRoomRuns, MarginFamilyRowsKeepValuesOffLabels) {
  for (const char* pos : {"tm", "bm"})
    for (const char* items : {"normal lognormal", "normal(mu sigma) lognormal(theta zeta sigma) n mean"}) {
      SCOPED_TRACE(std::string(items) + " at " + pos);
      const graph_parts g = one_graph(kes_test::run_program(
          kes_test::sixty_values_csv(),
          std::string("proc kestravine data=d noprint; histogram x / normal lognormal; inset ") + items +
              " / position=" + pos + "; run;\n",
          {"--graphics", "device"}));
      EXPECT_EQ(crowded(g), "");
    }
}

TEST(DeviceTextRoomRuns, ReferenceLabelsStandOverTheBars) {
  for (const char* refs : {"href=22 30 38 hreflabels='low' 'mid' 'high' hreflabpos=3",
                           "href=22 30 38 hreflabels='low' 'mid' 'high' hreflabpos=4",
                           "vref=2 10 vreflabels='two' 'ten' vreflabpos=2",
                           "vref=2 10 vreflabels='two' 'ten' vreflabpos=1"}) {
    SCOPED_TRACE(refs);
    const graph_parts g = one_graph(kes_test::run_program(
        kes_test::sixty_values_csv(), std::string("proc kestravine data=d noprint; histogram x / ") + refs + "; run;\n",
        {"--graphics", "device"}));
    int labels = 0;
    for (const text_item& t : g.texts) {
      if (t.text != "low" && t.text != "mid" && t.text != "high" && t.text != "two" && t.text != "ten") continue;
      ++labels;
      // Nothing filled after the label covers it.
      for (const kes_test::fill_item& f : g.fills)
        EXPECT_FALSE(f.order > t.order && f.b.overlaps(t.ink, 0.5)) << "'" << t.text << "' under " << place(f.b);
    }
    EXPECT_GE(labels, 2);
  }
}

TEST(DeviceTextRoomRuns, AngledVerticalLabelKeepsToItsRoom) {
  const char* const cases[] = {
      "axis1 label=(a=60 'Pct'); proc kestravine data=d noprint; histogram x / vaxis=axis1 vaxislabel='Percent of "
      "all the observations in the sample, with options'; run;\n",
      "axis1 label=(a=60 'Percent of' j=c 'all values'); proc kestravine data=d noprint; histogram x / "
      "vaxis=axis1; run;\n",
      "axis1 label=(a=30 'first line' j=c 'second line' j=c 'third'); proc kestravine data=d noprint; histogram x / "
      "vaxis=axis1; run;\n",
      "axis1 label=(a=-45 'Percent' j=c 'of all'); proc kestravine data=d noprint; histogram x / vaxis=axis1; run;\n",
  };
  for (const char* program : cases) {
    SCOPED_TRACE(program);
    const graph_parts g = one_graph(kes_test::run_program(kes_test::sixty_values_csv(), program, {"--graphics", "device"}));
    EXPECT_EQ(crowded(g), "");
    ASSERT_FALSE(g.cells.empty());
    int angled = 0;
    for (const text_item& t : g.texts) {
      if (t.angle == 0) continue;
      ++angled;
      for (const kes_test::box& c : g.cells) EXPECT_FALSE(c.overlaps(t.ink, 0.5)) << "'" << t.text << "' over the frame";
    }
    EXPECT_GE(angled, 1);
  }
}

TEST(DeviceTextRoomRuns, DefaultTextsReadOverTheProgramsFills) {
  std::string csv = "g,x\n";
  for (int k = 1; k <= 60; ++k) csv += std::string(k % 3 == 0 ? "a" : k % 3 == 1 ? "b" : "c") + "," +
                                       std::to_string(20 + (k * 37) % 23 + (k % 7) * 0.25) + "\n";
  csv += "d,5\n";  // a cell of one value, whose note stands on the wall
  for (const char* fills : {"cframe=black cframeside=black", "cframe=navy cframeside='#101010'", "cframe=white",
                            "cframe=lightyellow cframeside=yellow", "cframe='#202020' cframetop=black"})
    for (const char* plot : {"histogram x / barlabel=count ", "qqplot x / normal(mu=est sigma=est) ",
                             "cdfplot x / "}) {
      SCOPED_TRACE(std::string(plot) + fills);
      // Cells across the page carry their levels on top.
      const std::string across = std::string(fills).find("cframetop") != std::string::npos ? " ncols=4" : "";
      const graph_run r = kes_test::run_program(
          csv, std::string("proc kestravine data=d noprint; class g; ") + plot + fills + across + "; run;\n",
          {"--graphics", "device"});
      ASSERT_EQ(r.status, 0) << r.log;
      for (const auto& [name, svg] : r.svg)
        for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg))
          EXPECT_NE(f.rule, kes_test::kRuleTextContrast) << name << ": " << f.detail;
    }
  // A text colour the program chose is its own, though it reads less well than black
  // or white would on the fill.
  const graph_parts g = one_graph(kes_test::run_program(
      kes_test::sixty_values_csv(), "proc kestravine data=d noprint; histogram x / cframe=navy ctext='#505050' barlabel=count; run;\n",
      {"--graphics", "device"}));
  int bar_labels = 0;
  for (const text_item& t : g.texts) bar_labels += t.colour == "#505050" ? 1 : 0;
  EXPECT_GT(bar_labels, 0);
}

// The note names the grid options given, as a list read aloud, with the verb agreeing.
TEST(DeviceTextRoomRuns, GridOnCdfAndPpPlotsIsNoted) {
  const std::string lead = "NOTE: Device graphs draw grids on histograms, Q-Q and probability plots only: ";
  const std::string tail = " no grid lines on device CDF and P-P plots.";
  const struct {
    const char* statements;
    const char* graphics;
    const char* said;  // the note's words between lead and tail; null: no note
  } cases[] = {
      {"cdfplot x / grid;", "device", "GRID draws"},
      {"ppplot x / normal cgrid=red;", "device", "CGRID= draws"},
      {"cdfplot x / wgrid=2 lgrid=3;", "device", "LGRID= and WGRID= draw"},
      {"cdfplot x / GRID\n  CGRID = red; ppplot x / wgrid=2;", "device", "GRID, CGRID= and WGRID= draw"},
      {"cdfplot x / grid lgrid=2; ppplot x / grid cgrid=blue wgrid=1;", "device", "GRID, CGRID=, LGRID= and WGRID= draw"},
      {"histogram x / grid; qqplot x / grid;", "device", nullptr},
      {"cdfplot x / grid;", "template", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.statements) + " " + c.graphics);
    const graph_run r = kes_test::run_program(
        kes_test::sixty_values_csv(), std::string("proc kestravine data=d noprint; ") + c.statements + " run;\n",
        {"--graphics", c.graphics});
    ASSERT_EQ(r.status, 0) << r.log;
    const std::size_t at = r.log.find(lead);
    const std::string note = at == std::string::npos ? "" : r.log.substr(at, r.log.find('\n', at) - at);
    EXPECT_EQ(note, c.said != nullptr ? lead + c.said + tail : "") << r.log;
  }
}

}  // namespace
