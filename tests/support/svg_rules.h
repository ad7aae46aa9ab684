// The rules every graph file keeps, whichever renderer drew it, checked on the SVG
// document alone: no text leaves the page; no inset box lies over a bar, marker, curve
// or reference line, nor over another box; no two texts of one axis, legend or strip
// row touch or read alike; every cell draws marks or a note saying why it has none;
// every text that meets a box inside it. And what a graph says must be true of its
// data: no probability or percent tick outside its scale; the tick values of an axis
// in order, none twice, each within half a step of the place it labels; with SQUARE
// one unit across and up; every value of a cell drawn or counted in a note; a legend
// entry only for what is drawn; every text readable on its fill; no two texts over
// each other, the label and value of a box's row among them; no template inset box
// drawn over a text written before it (a reference line's label); texts on one
// baseline inside a cell (reference labels, counts over bars) half a space apart at
// least; no text smaller than kLeastTextSize, on a page of any size that can hold one
// line of such text. With what the graph dump and the program say (svg_facts): each tick and
// percent text reads the value listed for it exactly; each number in an inset box is
// a value the module gave it; a tick reading a bin's midpoint stands at the middle of
// that bin's bar; each fitted curve whose label gives its parameters is
// its family's density at its points, within the rounding of the label (its threshold
// below the data), and is drawn where its heights put it; each cell's percents and
// reference lines stand at that cell's own quantiles, turned or not, on a percent axis
// or on an overlaid group's own row; no note says a cell holding values has none.
//
// The parts of a graph are recognised from what the writer emits: texts carry their
// drawn width (textLength), template cells are a white wall with a border of the same
// rectangle, device cells a frame of four lines, boxes are rectangles holding texts, and
// what lies inside a clip path is data. Device graphs place their insets over the data
// by design, so only the rules their design leaves open are checked on them.
#pragma once
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace kes_test {

// The rules, by the names the known-fault list and the reports use.
inline constexpr const char* kRuleTextOffPage = "text-off-page";
inline constexpr const char* kRuleInsetOverData = "inset-over-data";
inline constexpr const char* kRuleBoxOverBox = "box-over-box";
inline constexpr const char* kRuleTextsTouch = "texts-touch";
inline constexpr const char* kRuleTextsAlike = "texts-alike";
inline constexpr const char* kRuleCellBlank = "cell-blank";
inline constexpr const char* kRuleTickOffScale = "tick-off-scale";
inline constexpr const char* kRuleTicksOrder = "ticks-order";
inline constexpr const char* kRuleSquareUnits = "square-units";
inline constexpr const char* kRuleValuesDrawn = "values-drawn";
inline constexpr const char* kRuleLegendDrawn = "legend-drawn";
inline constexpr const char* kRuleTextContrast = "text-contrast";
inline constexpr const char* kRuleTextsOver = "texts-over";
inline constexpr const char* kRuleTextAcrossBox = "text-across-box";
inline constexpr const char* kRuleTickUntrue = "tick-untrue";
inline constexpr const char* kRuleTextUnderBox = "text-under-box";
inline constexpr const char* kRuleCellTextsApart = "cell-texts-apart";
inline constexpr const char* kRuleTickInexact = "tick-inexact";
inline constexpr const char* kRuleOwnQuantile = "own-quantile";
inline constexpr const char* kRuleNoneUntrue = "none-untrue";
inline constexpr const char* kRuleInsetUntrue = "inset-untrue";
inline constexpr const char* kRuleCurveUntrue = "curve-untrue";
inline constexpr const char* kRuleTextTooSmall = "text-too-small";
inline constexpr const char* kRuleCurveDrawn = "curve-drawn";

// No text is drawn smaller than this (in px): a text that cannot stand this large is
// shortened or left out, whatever the page's size.
inline constexpr double kLeastTextSize = 6;

// The rules that hold on a page of any size: those about what the graph says rather
// than about room for its texts. Fuzzed programs, whose page sizes are anything, are
// held to these.
bool svg_rule_holds_at_any_size(const std::string& rule);

// What the SVG document does not say and a rule needs, given by the one who asked for
// the graph. Unset facts leave the graph to speak for itself (an inset's N, a cell's
// count note).
struct svg_facts {
  bool square = false;            // the plot statement asks for SQUARE
  bool own_vertical_ticks = false;  // VAXIS= gives the vertical axis a list of the program's own
  // The "#RRGGBB" (upper case) of the colours the program gives texts (CTEXT= and its
  // kin): a text in one of them reads as the user chose, and is not held to contrast.
  std::set<std::string> own_text_colours;
  std::vector<long> cell_values;  // the values of each cell, in the order the cells are drawn
  // The nonmissing values each cell holds, ties and all (cell_values counts values that
  // stand apart): a note that a cell has none is untrue of a cell holding some.
  std::vector<long> cell_counts;
  // What the module gives a template graph (the graph dump, support/graph_dump.h): the
  // values the ticks across and up label, and the percents of a percent axis, as
  // listed; each text there reads its value exactly.
  std::vector<std::string> listed_across, listed_up, listed_percents;
  // A plot of points on a quantile scale, cell by cell in the order they are drawn:
  // each point's (quantile, value), where each listed percent stands and where each
  // reference line across the quantile scale (HREF=, or VREF= turned by ROTATE) stands,
  // in quantile units. Overlaid groups each place the percents of their own row, in
  // the order the rows stand out from the frame.
  struct quantile_cell {
    std::vector<std::pair<double, double>> points;
    std::vector<double> percent_places, href_places;
    std::vector<std::vector<double>> group_percent_places = {};
  };
  std::vector<quantile_cell> quantile_cells;
  std::vector<std::string> placed_percents;  // the percents of percent_places, in their order
  // Overlaid groups whose shapes differ draw no percent row; the page says why.
  bool no_group_percents = false;
  bool quantile_up = false;  // turned by ROTATE, the quantile scale runs up
  // The texts the module gives the inset boxes' values (and labels), as written: a
  // number in a box reads one of them.
  std::vector<std::string> inset_texts;
  // The fitted curves of a histogram as the module lists them, each with its legend
  // label ("Normal(Mu=67.89 Sigma=8.459789)"), the height of unit density (the bin
  // width times the bars' scale: 100 on a percent axis, the count on a count axis;
  // apart, as their product may pass the largest double) and its points.
  struct curve {
    std::string label;
    double width = 0, scale = 0;
    double width_reach = 0;  // the width's share of rounding: midpoints far from 0 give it to a few ulps
    std::vector<std::pair<double, double>> points;
  };
  std::vector<curve> curves;
  // A comparative histogram's fitted curves, cell by cell in the order the cells are
  // drawn (their labels name a family alone, and their unit height is not given): each
  // is drawn where its heights put it.
  std::vector<std::vector<curve>> cell_curves;
  // A histogram's bins (of one cell): each midpoint and its bar's height. A tick that
  // reads a midpoint stands at the middle of its bin's bar.
  std::vector<std::pair<double, double>> bins;
};

struct svg_fault {
  std::string rule;    // one of the names above
  std::string detail;  // what breaks it, with the texts or places involved
};

// Every breach of the rules in one document (an unreadable one is a breach of all).
std::vector<svg_fault> svg_rule_faults(std::string_view document, const svg_facts& facts = {});

// Whether the fault list (tests/support/svg_known_faults.txt) excuses the rule for the
// file named by key: "examples/NAME.out/FILE.svg" for examples and committed files,
// "Suite.Test/FILE.svg" for the files a test's runs write. Entries may hold '*'.
bool svg_fault_known(const std::string& key, const std::string& rule);

// The breaches the fault list does not excuse, one per line ("" when none).
std::string svg_unexcused_faults(std::string_view document, const std::string& key, const svg_facts& facts = {});

// Checks every SVG file in a folder and its subfolders as a file the running test
// wrote (key "Suite.Test/NAME.svg"); a breach not excused fails the test.
void expect_graph_rules(const std::filesystem::path& dir);
// The same for one document the running test holds.
void expect_graph_rules(std::string_view document, const std::string& name, const svg_facts& facts = {});

}  // namespace kes_test
