// The rules every graph keeps: each rule caught on a small hand-made page and passed
// on its sound twin, and every graph committed to the tree checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "support/graph_dump.h"
#include "support/scratch_files.h"
#include "support/svg_quick_start.h"
#include "support/svg_rules.h"

namespace {

namespace fs = std::filesystem;
using namespace kes_test;

// The elements of a page as the writer draws them.
std::string page(const std::string& body, const std::string& desc = "A histogram of x.") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"300\" "
         "height=\"200\" viewBox=\"0 0 300 200\">\n<desc>" +
         desc + "</desc>\n<rect x=\"0\" y=\"0\" width=\"300\" height=\"200\" fill=\"#FFFFFF\" stroke=\"none\"/>\n" +
         body + "</svg>\n";
}
std::string rect(double x, double y, double w, double h, const std::string& fill, const std::string& stroke) {
  return "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" + std::to_string(w) +
         "\" height=\"" + std::to_string(h) + "\" fill=\"" + fill + "\" stroke=\"" + stroke + "\"/>\n";
}
std::string text(double x, double y, double len, const std::string& s, const std::string& anchor = "start",
                 const std::string& turn = "") {
  return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" font-size=\"11\" text-anchor=\"" +
         anchor + "\" textLength=\"" + std::to_string(len) + "\"" +
         (turn.empty() ? "" : " transform=\"" + turn + "\"") + ">" + s + "</text>\n";
}
std::string line(double x1, double y1, double x2, double y2, const std::string& stroke = "#1F1F1F") {
  return "<line x1=\"" + std::to_string(x1) + "\" y1=\"" + std::to_string(y1) + "\" x2=\"" + std::to_string(x2) +
         "\" y2=\"" + std::to_string(y2) + "\" stroke=\"" + stroke + "\"/>\n";
}
// A template cell at (x, y) 100 x 80 with what is drawn inside its clip path.
std::string cell(double x, double y, const std::string& inside) {
  return rect(x, y, 100, 80, "#FFFFFF", "none") + "<clipPath id=\"c\"><rect x=\"" + std::to_string(x) + "\" y=\"" +
         std::to_string(y) + "\" width=\"100\" height=\"80\"/></clipPath>\n<g clip-path=\"url(#c)\">\n" + inside +
         "</g>\n" + rect(x, y, 100, 80, "none", "#4A4A4A");
}
std::string bar(double x, double y, double w, double h) { return rect(x, y, w, h, "#C6DBEF", "#4A4A4A"); }
std::string inset(double x, double y) {
  return rect(x, y, 40, 20, "#FFFFFF", "#4A4A4A") + text(x + 4, y + 14, 10, "N");
}
std::string marker(double x, double y) {
  return "<use href=\"#mk1\" x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/>\n";
}
// A device cell: a frame of four lines.
std::string frame(double x, double y, double w, double h) {
  return line(x, y + h, x + w, y + h) + line(x + w, y + h, x + w, y) + line(x, y, x + w, y) + line(x, y + h, x, y);
}
const std::string kDevice = "Histogram of x (graph KESTRA).";
// Two device cells h high, one above the other gap apart, each with a marker.
std::string stacked(double h, double gap) {
  return frame(88.47, 10, 200, h) + marker(150, 10 + h / 2) + frame(88.47, 10 + h + gap, 200, h) +
         marker(150, 10 + 1.5 * h + gap);
}
// Tick values of 33.6 px text and their marks at the left of a device cell of stacked(),
// 40 px apart upward from the cell's foot at y, each text centred as the device
// centres its em on the tick.
std::string big_ticks(double y, const std::vector<std::string>& values) {
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double at = y - 40.0 * static_cast<double>(i);
    out += line(88.47, at, 82.07, at) + "<text x=\"76\" y=\"" + std::to_string(at + 16.8) +
           "\" font-size=\"33.6\" text-anchor=\"end\" textLength=\"" +
           std::to_string(21.38 * static_cast<double>(values[i].size())) + "\">" + values[i] + "</text>\n";
  }
  return out;
}

// Tick values down the left of the cell at (60, 20) (100 x 80), the first at its
// bottom and the last at its top, with a turned axis label.
std::string left_axis(const std::vector<std::string>& values, const std::string& label) {
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i)
    out += text(56, 104 - 80.0 * static_cast<double>(i) / static_cast<double>(values.size() - 1), 14, values[i],
                "end");
  return out + text(30, 90, 60, label, "start", "rotate(-90 30 90)");
}
// Tick values under the cell at (60, 20), evenly from its left end to its right.
std::string bottom_axis(const std::vector<std::string>& values, const std::string& label = "") {
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i)
    out += text(60 + 100.0 * static_cast<double>(i) / static_cast<double>(values.size() - 1), 122, 14, values[i],
                "middle");
  return out + (label.empty() ? "" : text(110, 140, 60, label, "middle"));
}
const std::string kQQ = "A Q-Q plot of x.";
// Percentiles under the cell at (60, 20) at evenly placed ticks, as PCTLSCALE writes
// them, with the axis label that names their scale (or without, as NOHLABEL has them).
std::string percent_ticks(const std::vector<std::string>& values, bool labelled = true) {
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i)
    out += text(60 + 100.0 * static_cast<double>(i) / static_cast<double>(values.size() - 1), 122, 10, values[i],
                "middle");
  return labelled ? out + text(110, 140, 60, "Normal Percentiles", "middle") : out;
}

struct rule_case {
  const char* what;
  std::string document;
  const char* rule;             // the rule broken; nullptr: none
  const char* also = nullptr;   // a second rule the same breach breaks
};

TEST(GraphRules, EachRuleCatchesItsBreachAndPassesItsSoundTwin) {
  const std::string bars = bar(20, 60, 30, 40) + bar(50, 50, 30, 50);
  const rule_case cases[] = {
      {"a cell with bars, its inset clear of them", page(cell(10, 20, bars) + inset(65, 22)), nullptr},
      {"a text beyond the right edge", page(cell(10, 20, bars) + text(280, 150, 30, "far")), kRuleTextOffPage},
      {"a turned text above the top",
       page(cell(10, 20, bars) + text(5, 20, 60, "Percent", "start", "rotate(-90 5 20)")), kRuleTextOffPage},
      {"a turned text within the page",
       page(cell(10, 20, bars) + text(15, 90, 60, "Percent", "start", "rotate(-90 15 90)")), nullptr},
      {"an inset over a bar", page(cell(10, 20, bars) + inset(45, 40)), kRuleInsetOverData},
      {"an inset over a marker", page(cell(10, 20, marker(90, 30)) + inset(65, 22)), kRuleInsetOverData},
      {"a marker beside an inset", page(cell(10, 20, marker(30, 30)) + inset(65, 22)), nullptr},
      {"an inset a curve runs through", page(cell(10, 20, "<polyline points=\"10,90 110,25\"/>\n") + inset(65, 22)),
       kRuleInsetOverData},
      {"an inset across a reference line",
       page(cell(10, 20, marker(30, 80)) + line(90, 20, 90, 100, "#6E6E6E") + inset(65, 22)), kRuleInsetOverData},
      // A reference label written before a box, wholly under it or partly.
      {"an inset over a reference label", page(cell(10, 20, marker(30, 80)) + text(84, 36, 18, "Ref") + inset(65, 22)),
       kRuleTextUnderBox},
      {"an inset over part of a reference label",
       page(cell(10, 20, marker(30, 80)) + text(55, 36, 20, "Ref") + inset(65, 22)), kRuleTextUnderBox,
       kRuleTextAcrossBox},
      {"a reference label beside an inset", page(cell(10, 20, marker(30, 80)) + text(40, 36, 20, "Ref") + inset(65, 22)),
       nullptr},
      {"an inset over another inset", page(cell(10, 20, marker(30, 80)) + inset(60, 22) + inset(70, 30)),
       kRuleBoxOverBox, kRuleTextAcrossBox},
      {"an inset over the legend",
       page(cell(10, 20, marker(30, 80)) + rect(150, 100, 80, 20, "none", "#BDBDBD") + text(170, 114, 20, "a") +
            inset(200, 105)),
       kRuleBoxOverBox, kRuleTextAcrossBox},
      {"two tick values touching",
       page(cell(10, 20, bars) + text(40, 115, 20, "10.5", "middle") + text(60, 115, 20, "11.5", "middle")),
       kRuleTextsTouch},
      {"two tick values a space apart",
       page(cell(10, 20, bars) + text(40, 115, 20, "10.5", "middle") + text(65, 115, 20, "11.5", "middle")), nullptr},
      {"right-aligned values overlapping in a column",
       page(cell(10, 20, bars) + text(9, 50, 8, "40", "end") + text(9, 56, 8, "45", "end")), kRuleTextsTouch},
      {"two tick values reading alike on one axis",
       page(cell(10, 20, bars) + text(30, 115, 20, "Lon\xE2\x80\xA6", "middle") +
            text(80, 115, 20, "Lon\xE2\x80\xA6", "middle")),
       kRuleTextsAlike},
      {"the same values under two cells",
       page(cell(10, 20, bars) + cell(150, 20, marker(180, 50)) + text(30, 115, 10, "10", "middle") +
            text(170, 115, 10, "10", "middle")),
       nullptr},
      {"two legend entries reading alike",
       page(cell(10, 20, bars) + rect(130, 150, 160, 20, "none", "#BDBDBD") + text(140, 164, 30, "A\xE2\x80\xA6") +
            text(200, 164, 30, "A\xE2\x80\xA6")),
       kRuleTextsAlike},
      {"two strips of one row reading alike",
       page(cell(10, 20, bars) + cell(150, 20, marker(180, 50)) + rect(10, 4, 100, 16, "#EFEFEF", "#4A4A4A") +
            text(60, 16, 20, "g=1", "middle") + rect(150, 4, 100, 16, "#EFEFEF", "#4A4A4A") +
            text(200, 16, 20, "g=1", "middle")),
       kRuleTextsAlike},
      {"a cell that draws nothing", page(cell(10, 20, "")), kRuleCellBlank},
      {"a cell that says why it draws nothing",
       page(rect(10, 20, 100, 80, "#FFFFFF", "none") + text(60, 64, 60, "1 value", "middle") +
            rect(10, 20, 100, 80, "none", "#4A4A4A")),
       nullptr},
      {"a device inset over a marker, as the device places it",
       page(frame(10, 20, 100, 80) + marker(90, 30) + rect(65, 22, 40, 20, "none", "#1F1F1F") + text(69, 36, 10, "N"),
            kDevice),
       nullptr},
      {"a device inset over another",
       page(frame(10, 20, 100, 80) + marker(30, 80) + rect(60, 22, 40, 20, "none", "#1F1F1F") + text(64, 36, 10, "N") +
                rect(70, 30, 40, 20, "none", "#1F1F1F") + text(74, 44, 10, "M"),
            kDevice),
       kRuleBoxOverBox, kRuleTextAcrossBox},
      {"a device inset on walls of a light CFRAME= colour, which hold texts too",
       page(rect(10, 20, 100, 80, "#FFFFFF", "none") + frame(10, 20, 100, 80) + marker(30, 80) +
                text(20, 90, 20, "h5") + rect(60, 22, 40, 20, "none", "#1F1F1F") + text(64, 36, 10, "N"),
            kDevice),
       nullptr},
      {"a device cell that draws nothing, as the device draws a combination without data",
       page(frame(10, 20, 100, 80), kDevice), nullptr},
      {"the same values beside two device cells",
       page(frame(88.47, 10.27, 200, 80) + marker(150, 50) + frame(88.47, 100.27, 200, 80) + marker(150, 150) +
                text(80, 95, 8, "0", "end") + text(80, 185, 8, "0", "end"),
            kDevice),
       nullptr},
      {"the same values beside two touching device cells, each hanging below its cell",
       page(stacked(80, 0) + text(80, 96, 8, "0", "end") + text(80, 176, 8, "0", "end"), kDevice), nullptr},
      {"the same value twice on one axis of touching device cells",
       page(stacked(80, 0) + text(80, 40, 8, "0", "end") + text(80, 66, 8, "0", "end"), kDevice), kRuleTextsAlike,
       kRuleTicksOrder},
      {"large values beside two device cells 5 apart, the first cell's 0 reaching into the second by its tick mark",
       page(stacked(80, 5) + big_ticks(90, {"0", "30"}) + big_ticks(175, {"0", "30"}), kDevice), nullptr},
      {"large values out of order beside the second of two device cells 5 apart",
       page(stacked(80, 5) + big_ticks(90, {"0", "30"}) + big_ticks(175, {"30", "0"}), kDevice), kRuleTicksOrder,
       kRuleTextsAlike},
      {"the same values beside many short stacked device cells",
       page(stacked(30, 5) + text(80, 44, 8, "60", "end") + text(80, 79, 8, "60", "end"), kDevice), nullptr},
      {"the same value twice on the axis of one short device cell",
       page(stacked(30, 5) + text(80, 24, 8, "60", "end") + text(80, 44, 8, "60", "end"), kDevice), kRuleTextsAlike},
      {"device row labels reading alike",
       page(frame(30, 10, 200, 80) + marker(50, 50) + frame(30, 100, 200, 80) + marker(50, 150) + frame(5, 10, 19, 80) +
                text(20, 60, 14, "L\xE2\x80\xA6", "start", "rotate(-90 20 60)") + frame(5, 100, 19, 80) +
                text(20, 150, 14, "L\xE2\x80\xA6", "start", "rotate(-90 20 150)"),
            kDevice),
       kRuleTextsAlike},
      // What a graph says.
      {"a probability axis to 1.4",
       page(cell(60, 20, marker(90, 60)) + left_axis({"0.0", "0.7", "1.4"}, "Empirical Cumulative Probability")),
       kRuleTickOffScale},
      {"a probability axis from 0 to 1",
       page(cell(60, 20, marker(90, 60)) + left_axis({"0.0", "0.5", "1.0"}, "Empirical Cumulative Probability")),
       nullptr},
      {"a percent axis to 120", page(cell(60, 20, bars) + left_axis({"0", "40", "80", "120"}, "Percent")),
       kRuleTickOffScale},
      {"a percent axis to 140 over a curve rising past 100: the frame cuts a curve, it never extends the axis",
       page(cell(60, 20, bars + line(70, 95, 110, 25, "#0072B2")) + left_axis({"0", "70", "140"}, "Percent")),
       kRuleTickOffScale},
      {"a count axis below 0", page(cell(60, 20, bar(70, 40, 20, 30)) + left_axis({"-5", "0", "5", "10"}, "Count")),
       kRuleTickOffScale},
      {"a count axis below 0 under bars hanging below it",
       page(cell(60, 20, bar(70, 90, 20, 10)) + left_axis({"-5", "0", "5", "10"}, "Count")), nullptr},
      {"an axis of other values past 100", page(cell(60, 20, bars) + left_axis({"0", "100", "200"}, "x")), nullptr},
      {"tick values out of order", page(cell(60, 20, bars) + bottom_axis({"1", "3", "2"})), kRuleTicksOrder},
      {"a tick value twice, written two ways", page(cell(60, 20, bars) + bottom_axis({"0", "1", "1.0", "2"})),
       kRuleTicksOrder},
      {"tick values falling, as a reversed axis's", page(cell(60, 20, bars) + bottom_axis({"3", "2", "1"})), nullptr},
      {"a Q-Q cell counting its values without drawing them or saying why",
       page(rect(10, 20, 100, 80, "#FFFFFF", "none") + text(60, 64, 60, "20 values", "middle") +
                rect(10, 20, 100, 80, "none", "#4A4A4A"),
            kQQ),
       kRuleValuesDrawn},
      // Two cells down, the upper drawing no point: its note stands under its frame where
      // a place inside would cover its ink (a reference line here).
      {"a Q-Q cell whose note of its values stands under its frame",
       page(rect(10, 10, 100, 60, "#FFFFFF", "none") + line(60, 10, 60, 70, "#6E6E6E") +
                rect(10, 10, 100, 60, "none", "#4A4A4A") + text(110, 82, 70, "1: 1 value, not drawn", "end") +
                cell(10, 110, marker(40, 140) + marker(80, 170)),
            kQQ),
       nullptr},
      {"a Q-Q cell with no point over another's note under its frame",
       page(rect(10, 10, 100, 60, "#FFFFFF", "none") + rect(10, 10, 100, 60, "none", "#4A4A4A") +
                text(110, 104, 70, "1: 1 value, not drawn", "end") + cell(10, 110, marker(40, 140)),
            kQQ),
       kRuleValuesDrawn, kRuleCellBlank},
      {"a Q-Q cell whose values are noted as not drawn",
       page(rect(10, 20, 100, 80, "#FFFFFF", "none") + text(60, 64, 90, "20 values outside the axis, not drawn",
                                                             "middle") +
                rect(10, 20, 100, 80, "none", "#4A4A4A"),
            kQQ),
       nullptr},
      {"a legend naming a curve not drawn",
       page(cell(10, 20, marker(30, 30)) + rect(150, 150, 120, 20, "none", "#BDBDBD") +
            line(155, 160, 175, 160, "#0072B2") + text(180, 164, 40, "Normal")),
       kRuleLegendDrawn},
      {"a legend naming a curve drawn",
       page(cell(10, 20, "<polyline points=\"10,90 60,50\" fill=\"none\" stroke=\"#0072B2\"/>\n") +
            rect(150, 150, 120, 20, "none", "#BDBDBD") + line(155, 160, 175, 160, "#0072B2") +
            text(180, 164, 40, "Normal")),
       nullptr},
      {"an inset filled as dark as its text",
       page(cell(10, 20, marker(30, 80)) + rect(65, 22, 40, 20, "#1F1F1F", "#4A4A4A") + text(69, 36, 10, "N")),
       kRuleTextContrast},
      {"an axis label over a tick value",
       page(cell(60, 20, bars) + text(20, 150, 40, "Label") + text(50, 152, 20, "50", "end")), kRuleTextsOver},
      // Texts and boxes.
      {"a margin inset whose value runs over its label",
       page(cell(10, 20, bars) + rect(120, 20, 90, 20, "#FFFFFF", "#4A4A4A") + text(124, 34, 60, "Normal Mean") +
            text(206, 34, 40, "34.88571", "end")),
       kRuleTextsOver},
      {"a margin inset whose value stands a space from its label",
       page(cell(10, 20, bars) + rect(120, 20, 110, 20, "#FFFFFF", "#4A4A4A") + text(124, 34, 60, "Normal Mean") +
            text(226, 34, 40, "34.88571", "end")),
       nullptr},
      {"an inset's value past its box's edge",
       page(cell(10, 20, bars) + rect(120, 20, 60, 20, "#FFFFFF", "#4A4A4A") + text(124, 34, 10, "N") +
            text(186, 34, 14, "60", "end")),
       kRuleTextAcrossBox},
      {"an axis label running onto the legend",
       page(cell(10, 20, bars) + rect(150, 150, 120, 20, "none", "#BDBDBD") + text(160, 164, 30, "Normal") +
            text(100, 160, 60, "Percent")),
       kRuleTextAcrossBox},
      // What an overlay's box of groups not drawn says for a cell whose every group it lists.
      {"an overlay cell whose box says why its one group is not drawn",
       page(cell(10, 20, "") + rect(20, 60, 85, 16, "#FFFFFF", "none") + text(24, 72, 80, "C07: 1 value, not drawn")),
       nullptr},
      {"an overlay cell whose box names a group without saying why",
       page(cell(10, 20, "") + rect(20, 60, 85, 16, "#FFFFFF", "none") + text(24, 72, 20, "C07")), kRuleCellBlank},
      // A curve the frame cuts is drawn only within it.
      {"a box above the frame where a curve would run uncut",
       page(cell(10, 20, bars + "<polyline points=\"10,90 110,-60\" fill=\"none\" stroke=\"#0072B2\"/>\n") +
            inset(65, 0)),
       nullptr},
      {"a box in the frame the same curve runs through",
       page(cell(10, 20, bars + "<polyline points=\"10,90 110,-60\" fill=\"none\" stroke=\"#0072B2\"/>\n") +
            inset(30, 40)),
       kRuleInsetOverData},
      // Tick values true to half a step.
      {"evenly placed ticks reading 0 1 2 3 10", page(cell(60, 20, bars) + bottom_axis({"0", "1", "2", "3", "10"})),
       kRuleTickUntrue},
      {"evenly placed ticks of thirds, rounded to hundredths",
       page(cell(60, 20, bars) + bottom_axis({"0.33", "0.67", "1.00", "1.33"})), nullptr},
      {"ticks a fifth of a second apart reading whole seconds",
       page(cell(60, 20, bars) + bottom_axis({"1733650000", "1733650000", "1733650000", "1733650001"})),
       kRuleTextsAlike, kRuleTicksOrder},
      {"unevenly placed ticks of a probability scale",
       page(cell(60, 20, marker(90, 60)) + text(60, 122, 10, "1", "middle") + text(75, 122, 10, "10", "middle") +
            text(110, 122, 10, "50", "middle") + text(145, 122, 10, "90", "middle") +
            text(160, 122, 10, "99", "middle")),
       nullptr},
      {"a device Q-Q plot's percent axis, evenly placed on the normal law's scale",
       page(frame(60, 20, 100, 80) + marker(90, 60) + percent_ticks({"0.13", "2.28", "15.9", "50", "84.1", "97.7", "99.87"}),
            "QQ plot of x (g=a) (graph KESTRA), g=a."),
       nullptr},
      // PCTLSCALE with NOHLABEL: the percents at evenly placed quantiles, unlabelled.
      {"a template Q-Q plot's percent axis without its label",
       page(cell(60, 20, marker(90, 60)) + percent_ticks({"0.13", "2.28", "15.9", "50", "84.1", "97.7", "99.87"}, false),
            kQQ),
       nullptr},
      {"a device Q-Q plot's percent axis named by DES= as the user likes",
       page(frame(60, 20, 100, 80) + marker(90, 60) +
                percent_ticks({"0.13", "2.28", "15.9", "50", "84.1", "97.7", "99.87"}),
            "A text (graph A text)."),
       nullptr},
      {"evenly placed ticks of a Q-Q plot reading 0 1 2 3 10, unlabelled",
       page(cell(60, 20, marker(90, 60)) + bottom_axis({"-1", "0", "1", "2", "10"}), kQQ), kRuleTickUntrue},
      // Texts on one baseline inside a cell: reference labels, counts over bars.
      {"two reference labels over each other on one baseline",
       page(cell(10, 20, bars) + text(20, 30, 50, "short wait") + text(45, 30, 30, "cutoff")), kRuleCellTextsApart},
      {"two counts over bars 0.55 px apart, reading as one number",
       page(cell(10, 20, bars) + text(40, 58, 10, "16", "end") + text(40.55, 58, 10, "16")), kRuleCellTextsApart},
      {"two reference labels a space apart on one baseline",
       page(cell(10, 20, bars) + text(20, 30, 30, "short") + text(54, 30, 30, "cutoff")), nullptr},
      {"a Q-Q cell that draws its line and no point, and says nothing",
       page(cell(10, 20, "<polyline points=\"10,90 110,30\" fill=\"none\" stroke=\"#0072B2\"/>\n"), kQQ),
       kRuleValuesDrawn},
      {"a Q-Q cell that draws its line and says why it draws no point",
       page(cell(10, 20, "<polyline points=\"10,90 110,30\" fill=\"none\" stroke=\"#0072B2\"/>\n") +
                text(60, 64, 90, "40 values, whose quantiles cannot be computed", "middle"),
            kQQ),
       nullptr},
  };
  for (const rule_case& c : cases) {
    const std::vector<svg_fault> faults = svg_rule_faults(c.document);
    std::string found;
    for (const svg_fault& f : faults) found += f.rule + ": " + f.detail + "\n";
    if (c.rule == nullptr) {
      EXPECT_TRUE(faults.empty()) << c.what << "\n" << found;
    } else {
      ASSERT_FALSE(faults.empty()) << c.what;
      for (const svg_fault& f : faults) {
        EXPECT_TRUE(f.rule == c.rule || (c.also != nullptr && f.rule == c.also)) << c.what << "\n" << found;
      }
      if (c.also != nullptr) {
        EXPECT_NE(found.find(c.also), std::string::npos) << c.what << "\n" << found;
      }
    }
  }
}

// What the graph dump lists is the reference: each tick text reads its listed value
// exactly where the value has a short decimal, and rounds a long one correctly to no
// coarser a unit than the list's step.
TEST(GraphRules, EveryListedTickReadsItsValueExactly) {
  const std::string bars = bar(70, 60, 30, 40) + bar(100, 50, 30, 50);
  const struct {
    const char* what;
    std::vector<std::string> texts, listed;
    bool fault;
  } cases[] = {
      {"bins of values in the millions, centres read to one digit", {"2E6", "8E6", "1.2E7", "1.8E7"},
       {"2500000", "7500000", "12500000", "17500000"}, true},
      {"the same, read exactly", {"2.5E6", "7.5E6", "1.25E7", "1.75E7"}, {"2500000", "7500000", "12500000", "17500000"},
       false},
      {"small values cut to one digit", {"3E-6", "8E-6", "1.3E-5"}, {"2.5e-06", "7.5e-06", "1.25e-05"}, true},
      {"listed midpoints at 1e9 read to hundredths", {"1000000000.00", "1000000000.01", "1000000000.02"},
       {"1000000000.005", "1000000000.015", "1000000000.025"}, true},
      {"the same, read exactly", {"1000000000.005", "1000000000.015", "1000000000.025"},
       {"1000000000.005", "1000000000.015", "1000000000.025"}, false},
      {"thirds, which have no short decimal, rounded to hundredths", {"0.33", "0.67", "1.00"},
       {"0.33333333333333331", "0.66666666666666663", "1"}, false},
      {"thirds rounded the wrong way", {"0.34", "0.67", "1.00"}, {"0.33333333333333331", "0.66666666666666663", "1"},
       true},
      // Without a list the texts' own steps tell: a nice step is stepped exactly.
      {"device ticks 0.025 apart at 1e9 read to hundredths",
       {"999999999.93", "999999999.95", "999999999.98", "1000000000.00", "1000000000.03"}, {}, true},
      {"the same, read exactly", {"999999999.925", "999999999.95", "999999999.975", "1000000000", "1000000000.025"},
       {}, false},
      {"thirds rounded coarser than their step", {"0", "1", "1"}, {"0.33333333333333331", "0.66666666666666663", "1"},
       true},
      // Midpoints summed as k x step carry their rounding: each stands for its decimal.
      {"midpoints at 1733650000 + .25 summed with a unit's error, read to tenths", {"1733650000.2", "1733650000.3"},
       {"1733650000.2499998", "1733650000.3499997"}, true},
      {"the same, read exactly", {"1733650000.25", "1733650000.35"}, {"1733650000.2499998", "1733650000.3499997"},
       false},
      {"the same, read as listed, to the last digit",
       {"1733650000.2499998", "1733650000.3499997"}, {"1733650000.2499998", "1733650000.3499997"}, false},
      {"a zero summed as 4.44e-16", {"0.0", "0.2", "0.4"}, {"4.4400000000000002e-16", "0.2", "0.4"}, false},
      {"subnormal ticks, which have no exact decimal, rounded to their step's digit", {"1E-319", "3E-319", "4E-319"},
       {"1.4e-319", "2.8e-319", "4.2e-319"}, false},
      {"subnormal ticks all read as 0", {"0", "0", "0"}, {"1.4e-319", "2.8e-319", "4.2e-319"}, true},
  };
  for (const auto& c : cases) {
    svg_facts listed;
    listed.listed_across = c.listed;
    std::string found;
    for (const svg_fault& f : svg_rule_faults(page(cell(60, 20, bars) + bottom_axis(c.texts)), listed))
      if (f.rule == kRuleTickInexact) found += f.detail + "\n";
    EXPECT_EQ(!found.empty(), c.fault) << c.what << "\n" << found;
  }
  // A probability plot's percents: each one of the listed, 99.99999 not cut to "100".
  svg_facts percents;
  percents.listed_percents = {"0.1", "50", "99.99999"};
  const std::string prob = "A probability plot of x.";
  EXPECT_TRUE(svg_rule_faults(page(cell(60, 20, marker(90, 60)) + percent_ticks({"0.1", "50", "99.99999"}), prob),
                              percents)
                  .empty());
  const std::vector<svg_fault> cut =
      svg_rule_faults(page(cell(60, 20, marker(90, 60)) + percent_ticks({"0.1", "50", "100"}), prob), percents);
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0].rule, kRuleTickInexact);
}

// Each cell of a probability plot places its percents and reference lines at its own
// quantiles: two cells whose fits differ, the second drawing its "90" and its HREF=90
// line at the first cell's place.
TEST(GraphRules, PercentsAndReferenceLinesStandAtTheirCellsOwnQuantiles) {
  const std::string prob = "A probability plot of x.";
  // Cell 1 at x 60..160, cell 2 at x 180..280 (cells 100 wide); points at quantiles 0
  // and 2 drawn at x 70 and 150 (cell 1) and 190 and 270 (cell 2): 40 px a unit.
  const auto one = [&](double x0, double percent_at, double line_at) {
    const std::string id = "c" + std::to_string(static_cast<int>(x0));
    return rect(x0, 20, 100, 80, "#FFFFFF", "none") + "<clipPath id=\"" + id + "\"><rect x=\"" + std::to_string(x0) +
           "\" y=\"20\" width=\"100\" height=\"80\"/></clipPath>\n<g clip-path=\"url(#" + id + ")\">\n" +
           marker(x0 + 10, 90) + marker(x0 + 90, 30) + line(line_at, 20, line_at, 100, "#6E6E6E") + "</g>\n" +
           rect(x0, 20, 100, 80, "none", "#4A4A4A") + text(percent_at, 122, 10, "90", "middle");
  };
  svg_facts facts;
  facts.listed_percents = facts.placed_percents = {"90"};
  facts.quantile_cells = {{{{0, 1}, {2, 5}}, {1.5}, {1.5}}, {{{0, 1}, {2, 5}}, {1}, {1}}};
  // Cell 1's 90 % at quantile 1.5 (x 130), cell 2's at quantile 1 (x 230).
  EXPECT_TRUE(svg_rule_faults(page(one(60, 130, 130) + one(180, 230, 230), prob), facts).empty());
  const std::vector<svg_fault> key = svg_rule_faults(page(one(60, 130, 130) + one(180, 250, 250), prob), facts);
  ASSERT_EQ(key.size(), 2u);
  EXPECT_EQ(key[0].rule, kRuleOwnQuantile);
  EXPECT_EQ(key[1].rule, kRuleOwnQuantile);
}

// The same rule where the quantile scale runs up (ROTATE, its reference lines VREF=), on
// a Q-Q plot's PCTLAXIS above its cell, and on overlaid groups' rows of percents: in
// each, a percent or line standing at the key cell's (or first group's) place is found.
TEST(GraphRules, TurnedPercentAxesAndGroupRowsStandAtTheirOwnQuantiles) {
  // A cell 100 x 80 at (x0, y0), and what is drawn in it and beside it.
  const auto framed = [](double x0, const std::string& inside, const std::string& outside, double y0 = 20) {
    const std::string id = "c" + std::to_string(static_cast<int>(x0));
    return rect(x0, y0, 100, 80, "#FFFFFF", "none") + "<clipPath id=\"" + id + "\"><rect x=\"" + std::to_string(x0) +
           "\" y=\"" + std::to_string(y0) + "\" width=\"100\" height=\"80\"/></clipPath>\n<g clip-path=\"url(#" + id +
           ")\">\n" + inside + "</g>\n" + rect(x0, y0, 100, 80, "none", "#4A4A4A") + outside;
  };
  // Turned: points at quantiles 0, 1 and 2 stand at y 90, 60 and 30 (30 px a unit up);
  // their values across (x) follow no line in the quantile. Cell 1's 90 % at quantile
  // 1.5 (y 45), cell 2's at 1 (y 60); each "90" at the left, each VREF=90 across.
  const auto turned = [&](double x0, double percent_y, double line_y) {
    return framed(x0, marker(x0 + 10, 90) + marker(x0 + 20, 60) + marker(x0 + 90, 30) +
                          line(x0, line_y, x0 + 100, line_y, "#6E6E6E"),
                  text(x0 - 4, percent_y + 4, 10, "90", "end"));
  };
  svg_facts up;
  up.listed_percents = up.placed_percents = {"90"};
  up.quantile_up = true;
  up.quantile_cells = {{{{0, 1}, {1, 2}, {2, 9}}, {1.5}, {1.5}}, {{{0, 1}, {1, 2}, {2, 9}}, {1}, {1}}};
  const std::string prob = "A probability plot of x.";
  EXPECT_TRUE(svg_rule_faults(page(turned(60, 45, 45) + turned(180, 60, 60), prob), up).empty());
  const std::vector<svg_fault> up_key = svg_rule_faults(page(turned(60, 45, 45) + turned(180, 45, 45), prob), up);
  ASSERT_EQ(up_key.size(), 2u);
  EXPECT_EQ(up_key[0].rule, kRuleOwnQuantile);
  EXPECT_EQ(up_key[1].rule, kRuleOwnQuantile);

  // A Q-Q plot's PCTLAXIS, above each cell: its quantile axis below reads quantiles, and
  // a quantile tick "1" is no percent. Points at quantiles 0 and 2 at x0 + 10, x0 + 90.
  const auto qq = [&](double x0, double percent_x) {
    return framed(x0, marker(x0 + 10, 90) + marker(x0 + 90, 30),
                  text(percent_x, 14, 10, "90", "middle") + text(x0 + 50, 114, 6, "1", "middle"));
  };
  svg_facts pctlaxis;
  pctlaxis.listed_percents = pctlaxis.placed_percents = {"90", "1"};
  pctlaxis.quantile_cells = {{{{0, 1}, {2, 5}}, {1.5, 0.2}, {}}, {{{0, 1}, {2, 5}}, {1, 0.1}, {}}};
  const std::string qq_desc = "A Q-Q plot of x, 2 CLASS cells.";
  EXPECT_TRUE(svg_rule_faults(page(qq(60, 130) + qq(180, 230), qq_desc), pctlaxis).empty());
  const std::vector<svg_fault> qq_key = svg_rule_faults(page(qq(60, 130) + qq(180, 250), qq_desc), pctlaxis);
  ASSERT_EQ(qq_key.size(), 1u);
  EXPECT_EQ(qq_key[0].rule, kRuleOwnQuantile);
  EXPECT_NE(qq_key[0].detail.find("'90'"), std::string::npos) << qq_key[0].detail;

  // Overlaid: one cell at x 60, groups 1 and 2 in rows above it, group 1 nearest. Group
  // 1's 90 % at quantile 1.5 (x 130), group 2's at 1 (x 110).
  svg_facts groups;
  groups.listed_percents = groups.placed_percents = {"90"};
  groups.quantile_cells = {{{{0, 1}, {2, 5}}, {1.5, 1}, {}, {{1.5}, {1}}}};
  // The cell at y 60..140, the nearest row's baseline at 54, the next at 34.
  const auto two_rows = [&](double second_x) {
    return page(framed(60, marker(70, 130) + marker(150, 70),
                       text(130, 54, 10, "90", "middle") + text(second_x, 34, 10, "90", "middle"), 60),
                "A Q-Q plot of x.");
  };
  for (const svg_fault& f : svg_rule_faults(two_rows(110), groups)) ADD_FAILURE() << f.rule << ": " << f.detail;
  const std::vector<svg_fault> row_key = svg_rule_faults(two_rows(130), groups);
  ASSERT_EQ(row_key.size(), 1u);
  EXPECT_EQ(row_key[0].rule, kRuleOwnQuantile);
  EXPECT_NE(row_key[0].detail.find("group 2"), std::string::npos) << row_key[0].detail;
  // Groups of shapes of their own that draw no percent rows say why on the page.
  svg_facts none;
  none.no_group_percents = true;
  const std::string bare = framed(60, marker(70, 90) + marker(150, 30), "");
  EXPECT_EQ(svg_rule_faults(page(bare, "A Q-Q plot of x."), none).size(), 1u);
  EXPECT_TRUE(svg_rule_faults(page(bare + text(60, 14, 200, "No percent axis: the groups' fitted shapes differ"),
                                   "A Q-Q plot of x."),
                              none)
                  .empty());
}

// The dump of a turned plot gives its VREF= lines as the reference lines across the
// quantile scale; overlaid groups each give their own percent places, or none drawn.
TEST(GraphRules, TheDumpGivesTurnedLinesAndGroupsTheirOwnPlaces) {
  const std::string dump =
      "data ProbPlotData template t\n"
      "  row 1: Class1=\"a\" Quantile=0.5 Data=3 PctlPosition=1 HRefValue=7 VRefValue=2\n"
      "  row 2: Class1=\"a\" Quantile=1.5 Data=4 PctlPosition=2 HRefValue=. VRefValue=.\n"
      "panel ProbPlot\n"
      "  template t.Graphics.ProbPlotRotated\n"
      "  _PCTLLABELS = \"10 90\" (text)\n"
      "  file ProbPlot1.svg\n"
      "data QQPlotData template q\n"
      "  row 1: Class1=\"a\" Quantile=0.5 Data=3 PctlPosition=1\n"
      "  row 2: Class1=\"a\" Quantile=1.5 Data=4 PctlPosition=2\n"
      "  row 3: Class1=\"b\" Quantile=0.25 Data=5 PctlPosition=3\n"
      "  row 4: Class1=\"b\" Quantile=0.75 Data=6 PctlPosition=4\n"
      "panel QQPlot\n"
      "  template t.Graphics.QQPlot\n"
      "  _OVERLAY = 1 (boolean)\n"
      "  _PCTLGROUPS = \"ROWS\" (text)\n"
      "  _PCTLLABELS = \"10 90\" (text)\n"
      "  file QQPlot1.svg\n";
  const std::vector<dump_block> blocks = read_dump(dump);
  svg_facts turned;
  add_dump_facts(blocks, "ProbPlot1.svg", turned);
  EXPECT_TRUE(turned.quantile_up);
  ASSERT_EQ(turned.quantile_cells.size(), 1u);
  EXPECT_EQ(turned.quantile_cells[0].href_places, (std::vector<double>{2}));
  svg_facts rows;
  add_dump_facts(blocks, "QQPlot1.svg", rows);
  EXPECT_FALSE(rows.quantile_up);
  EXPECT_FALSE(rows.no_group_percents);
  ASSERT_EQ(rows.quantile_cells.size(), 1u);
  EXPECT_EQ(rows.quantile_cells[0].group_percent_places, (std::vector<std::vector<double>>{{1, 2}, {3, 4}}));
  // With a Group column, each CLASS cell's groups are that column's.
  const std::string grouped =
      "data QQPlotData template q\n"
      "  row 1: Class1=\"a\" Group=\"x\" Quantile=0.5 Data=3 PctlPosition=1\n"
      "  row 2: Class1=\"a\" Group=\"y\" Quantile=1.5 Data=4 PctlPosition=2\n"
      "  row 3: Class1=\"b\" Group=\"x\" Quantile=0.25 Data=5 PctlPosition=3\n"
      "  row 4: Class1=\"b\" Group=\"y\" Quantile=0.75 Data=6 PctlPosition=4\n"
      "panel QQPlot\n"
      "  _OVERLAY = 1 (boolean)\n"
      "  _PCTLGROUPS = \"ROWS\" (text)\n"
      "  file QQPlot1.svg\n";
  svg_facts by_group;
  add_dump_facts(read_dump(grouped), "QQPlot1.svg", by_group);
  ASSERT_EQ(by_group.quantile_cells.size(), 2u);
  EXPECT_EQ(by_group.quantile_cells[0].group_percent_places, (std::vector<std::vector<double>>{{1}, {2}}));
  EXPECT_EQ(by_group.quantile_cells[1].group_percent_places, (std::vector<std::vector<double>>{{3}, {4}}));
  // Drawn without rows: none to place, and the page must say why.
  std::string no_rows = dump;
  no_rows.replace(no_rows.find("\"ROWS\""), 6, "\"NONE\"");
  svg_facts none;
  add_dump_facts(read_dump(no_rows), "QQPlot1.svg", none);
  EXPECT_TRUE(none.no_group_percents);
  EXPECT_TRUE(none.quantile_cells[0].group_percent_places.empty());
}

// The dump read as facts: each cell's points and percent places from its rows, the
// ticks listed, and a reference line at a listed percent placed at each cell's own
// place of it, even where places lie a billionth apart.
TEST(GraphRules, TheDumpGivesEachCellItsOwnPlaces) {
  const std::string dump =
      "data ProbPlotData template t\n"
      "  row 1: Class1=\"a\" Quantile=0.5 Data=3 PctlPosition=1.0000000001 HRefValue=1.0000000002\n"
      "  row 2: Class1=\"a\" Quantile=1.5 Data=4 PctlPosition=1.0000000002 HRefValue=.\n"
      "  row 3: Class1=\"b\" Quantile=0.25 Data=5 PctlPosition=2 HRefValue=1.0000000002\n"
      "  row 4: Class1=\"b\" Quantile=0.75 Data=6 PctlPosition=3 HRefValue=.\n"
      "panel ProbPlot\n"
      "  _PCTLVALUES = \"1.0000000001 1.0000000002\" (text)\n"
      "  _PCTLLABELS = \"10 90\" (text)\n"
      "  file ProbPlot1.svg\n"
      "data HistogramData template h\n"
      "panel Histogram\n"
      "  _XTICKS = \"2500000 7500000\" (text)\n"
      "  file Histogram1.svg\n";
  const std::vector<dump_block> blocks = read_dump(dump);
  ASSERT_EQ(blocks.size(), 4u);
  svg_facts prob;
  add_dump_facts(blocks, "ProbPlot1.svg", prob);
  EXPECT_EQ(prob.placed_percents, (std::vector<std::string>{"10", "90"}));
  EXPECT_EQ(prob.listed_percents, prob.placed_percents);
  ASSERT_EQ(prob.quantile_cells.size(), 2u);
  EXPECT_EQ(prob.quantile_cells[0].points.size(), 2u);
  EXPECT_EQ(prob.quantile_cells[0].href_places, (std::vector<double>{1.0000000002}));
  // Cell b's HREF=90 at its own 90 % place, 3, not the key cell's.
  EXPECT_EQ(prob.quantile_cells[1].href_places, (std::vector<double>{3}));
  svg_facts hist;
  add_dump_facts(blocks, "Histogram1.svg", hist);
  EXPECT_EQ(hist.listed_across, (std::vector<std::string>{"2500000", "7500000"}));
  EXPECT_TRUE(hist.quantile_cells.empty());
}

// The dump's cells laid as the grid draws them: levels of Class1 down, of Class2
// across, each in the order the rows bring them, a pair without rows an empty cell,
// NROWS=, NCOLS= and the panel's number choosing the block; overlaid without a Group
// column, every level in the one cell.
TEST(GraphRules, TheDumpLaysItsCellsAsTheGridDraws) {
  struct row_of {
    const char* c1;
    const char* c2;
    int points;
  };
  struct grid_case {
    const char* what;
    std::vector<row_of> rows;
    std::string dynamics;
    std::vector<std::size_t> points;  // of each cell drawn
  };
  const grid_case cases[] = {
      {"the last pair empty", {{"a", "x", 2}, {"a", "y", 1}, {"b", "x", 3}}, "_NROWS = 2\n_NCOLS = 2\n",
       {2, 1, 3, 0}},
      {"a pair empty before others", {{"a", "x", 5}, {"b", "x", 3}, {"b", "y", 1}}, "_NROWS = 3\n_NCOLS = 3\n",
       {5, 0, 3, 1}},
      {"a column's level first met in a later row", {{"a", "y", 1}, {"b", "x", 2}, {"b", "y", 3}}, "",
       {1, 0, 3, 2}},
      {"the second panel of one row", {{"a", "x", 1}, {"a", "y", 2}, {"b", "x", 3}, {"b", "y", 4}},
       "_NROWS = 1\n_NCOLS = 2\n_PANEL = 2\n", {3, 4}},
      {"the third panel of one column", {{"a", "x", 1}, {"a", "y", 2}, {"a", "z", 3}, {"b", "z", 4}},
       "_NROWS = 2\n_NCOLS = 1\n_PANEL = 3\n", {3, 4}},
      {"overlaid levels of one CLASS variable", {{"a", "", 2}, {"b", "", 3}}, "_OVERLAY = 1 (boolean)\n", {5}},
  };
  for (const grid_case& g : cases) {
    std::string dump = "data ProbPlotData template t\n";
    int n = 0;
    for (const row_of& r : g.rows)
      for (int i = 0; i < r.points; ++i) {
        dump += "  row " + std::to_string(++n) + ": Class1=\"" + r.c1 + "\"" +
                (*r.c2 != '\0' ? std::string(" Class2=\"") + r.c2 + "\"" : std::string()) +
                " Quantile=" + std::to_string(i) + " Data=" + std::to_string(i) + "\n";
      }
    dump += "panel ProbPlot\n";
    std::istringstream lines(g.dynamics);
    for (std::string l; std::getline(lines, l);) dump += "  " + l + "\n";
    dump += "  file ProbPlot1.svg\n";
    svg_facts facts;
    add_dump_facts(read_dump(dump), "ProbPlot1.svg", facts);
    std::vector<std::size_t> got;
    for (const svg_facts::quantile_cell& c : facts.quantile_cells) got.push_back(c.points.size());
    EXPECT_EQ(got, g.points) << g.what;
  }
}

// SQUARE, which the document does not say: a P-P cell 100 x 80 with both axes 0 to 1
// draws a unit 100 px across and 80 px up.
TEST(GraphRules, SquareCellsDrawOneUnitAcrossAndUp) {
  const std::string pp = page(cell(60, 20, marker(90, 60)) + left_axis({"0.0", "0.5", "1.0"}, "Empirical Cumulative Probability") +
                              bottom_axis({"0.0", "0.5", "1.0"}, "Theoretical Cumulative Probability"),
                              "A P-P plot of x.");
  svg_facts square;
  square.square = true;
  for (const svg_fault& f : svg_rule_faults(pp)) ADD_FAILURE() << f.rule << ": " << f.detail;
  const std::vector<svg_fault> faults = svg_rule_faults(pp, square);
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].rule, kRuleSquareUnits);
  // The values of each cell, given: a cell of 3 values that draws 1 is a fault, one of 1
  // is not.
  svg_facts three, one;
  three.cell_values = {3};
  one.cell_values = {1};
  EXPECT_EQ(svg_rule_faults(pp, one).size(), 0u);
  ASSERT_EQ(svg_rule_faults(pp, three).size(), 1u);
  EXPECT_EQ(svg_rule_faults(pp, three)[0].rule, kRuleValuesDrawn);
  // A cell of 100 values whose note says it has none (a fit that failed in it) says
  // nothing true of them; one of no values says so truly.
  const std::string none = page(rect(10, 20, 100, 80, "#FFFFFF", "none") +
                                    text(60, 64, 90, "no nonmissing values", "middle") +
                                    rect(10, 20, 100, 80, "none", "#4A4A4A"),
                                kQQ);
  svg_facts hundred, empty;
  hundred.cell_values = {100};
  empty.cell_values = {0};
  EXPECT_EQ(svg_rule_faults(none, empty).size(), 0u);
  const std::vector<svg_fault> untrue = svg_rule_faults(none, hundred);
  ASSERT_FALSE(untrue.empty());
  EXPECT_EQ(untrue[0].rule, kRuleNoneUntrue);
  EXPECT_NE(untrue[0].detail.find("says 'no nonmissing values' of its 100 values"), std::string::npos)
      << untrue[0].detail;
  // Of a histogram's cell too, counted with ties (cell_counts), as a failed fit over
  // NOBARS writes it.
  svg_facts seven;
  seven.cell_counts = {7};
  const std::vector<svg_fault> histogram = svg_rule_faults(
      page(rect(10, 20, 100, 80, "#FFFFFF", "none") + text(60, 64, 90, "no nonmissing values", "middle") +
           rect(10, 20, 100, 80, "none", "#4A4A4A")),
      seven);
  ASSERT_EQ(histogram.size(), 1u);
  EXPECT_EQ(histogram[0].rule, kRuleNoneUntrue);
}

// The quick start's histogram, edited one line at a time as a writer's fault would:
// each breach is caught, and the graph as committed passes.
TEST(GraphRules, EveryTextOfAnInsetStaysInItsBoxAndOffTheOthers) {
  const std::string doc = slurp(fs::path(KES_SOURCE_DIR) / "docs/quickstart/Histogram1.svg");
  const auto edited = [&](const std::string& from, const std::string& to) {
    std::string out = doc;
    const std::size_t at = out.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? out : out.replace(at, from.size(), to);
  };
  const struct {
    const char* what;
    std::string document;
    const char* rule;
  } cases[] = {
      {"as committed", doc, nullptr},
      // "Std Deviation" 23 px over "8.459789", which starts at 563.51.
      {"a label running 23 px over its value",
       edited("textLength=\"74.39\"", "textLength=\"109.39\""), kRuleTextsOver},
      // "60" from 618 to 632: 12 px past the box's right edge at 620, 16 px past its place.
      {"a value 16 px outside its box", edited("x=\"616\" y=\"51.51\"", "x=\"632\" y=\"51.51\""),
       kRuleTextAcrossBox},
  };
  for (const auto& c : cases) {
    std::string found;
    for (const svg_fault& f : svg_rule_faults(c.document)) found += f.rule + ": " + f.detail + "\n";
    if (c.rule == nullptr)
      EXPECT_EQ(found, "") << c.what;
    else
      EXPECT_NE(found.find(c.rule), std::string::npos) << c.what << "\n" << found;
  }
}

// The quick start's histogram with a text edited as a writer's fault would: a tick
// reading another value at its place, the whole axis moved a step along, a box's
// value, a curve's heights. Each is caught, by the rule that holds a text to its
// place or by what the graph dump says; the graph as committed passes both ways.
TEST(GraphRules, EachTextStandsAtItsValuesPlace) {
  const std::string doc = slurp(fs::path(KES_SOURCE_DIR) / "docs/quickstart/Histogram1.svg");
  const auto edited = [&](std::vector<std::pair<std::string, std::string>> edits) {
    std::string out = doc;
    for (const auto& [from, to] : edits) {
      const std::size_t at = out.find(from);
      EXPECT_NE(at, std::string::npos) << from;
      if (at != std::string::npos) out.replace(at, from.size(), to);
    }
    return out;
  };
  const std::vector<std::string> places = {"110.12", "185.91", "261.7", "337.5", "413.29", "489.09", "564.88", "640.67"};
  const std::vector<std::string> values = {"51", "57", "63", "69", "75", "81", "87", "93"};
  std::vector<std::pair<std::string, std::string>> moved, relabelled;
  // Last first, so that each edit finds the text as committed.
  for (std::size_t i = 7; i-- > 0;) {
    moved.push_back({"x=\"" + places[i] + "\" y=\"407.41\"", "x=\"" + places[i + 1] + "\" y=\"407.41\""});
    relabelled.push_back({">" + values[i] + "</text>", ">" + values[i + 1] + "</text>"});
  }
  svg_facts zeroed = quick_start_facts();
  for (auto& [x, y] : zeroed.curves[0].points) y = 0;
  svg_facts other_fit = quick_start_facts();
  other_fit.curves[0].label = "Normal(Mu=67.89 Sigma=9.459789)";
  // The same curve in a unit 1e7 times finer and moved by 3: its legend writes the mean
  // to the last digit of its scale, tens (678900003 as 678900000); a mean 30 off is
  // another curve.
  const auto finer = [](const char* label, double moved) {
    svg_facts f = quick_start_facts();
    f.curves[0].label = label;
    f.curves[0].width *= 1e7;
    for (auto& [x, y] : f.curves[0].points) x = x * 1e7 + moved;
    return f;
  };
  const svg_facts rounded_mean = finer("Normal(Mu=678900000 Sigma=8.459789E7)", 3);
  const svg_facts other_mean = finer("Normal(Mu=678900000 Sigma=8.459789E7)", 3e5);
  const struct {
    const char* what;
    std::string document;
    svg_facts facts;
    const char* rule;
  } cases[] = {
      {"as committed", doc, {}, nullptr},
      {"as committed, with what the dump says", doc, quick_start_facts(), nullptr},
      {"a mean written to its scale's last digit", "<svg width=\"100\" height=\"100\"></svg>", rounded_mean, nullptr},
      {"a mean off by more than its scale's last digit", "<svg width=\"100\" height=\"100\"></svg>", other_mean,
       kRuleCurveUntrue},
      {"63 edited to read 64", edited({{">63</text>", ">64</text>"}}), {}, kRuleTickUntrue},
      {"63 edited to read 65", edited({{">63</text>", ">65</text>"}}), {}, kRuleTickUntrue},
      {"63 edited to read 66", edited({{">63</text>", ">66</text>"}}), {}, kRuleTickUntrue},
      {"63 edited to read 67", edited({{">63</text>", ">67</text>"}}), {}, kRuleTickUntrue},
      {"63 edited to read 63.4", edited({{">63</text>", ">63.4</text>"}}), {}, kRuleTickUntrue},
      {"every tick text moved one step along", edited(moved), quick_start_facts(), kRuleTickUntrue},
      {"every tick reading the next midpoint", edited(relabelled), quick_start_facts(), kRuleTickUntrue},
      {"the mean in the box edited", edited({{">67.89</text>", ">67.98</text>"}}), quick_start_facts(),
       kRuleInsetUntrue},
      {"the curve's heights zeroed", doc, zeroed, kRuleCurveUntrue},
      {"the curve at another fit's heights", doc, other_fit, kRuleCurveUntrue},
  };
  for (const auto& c : cases) {
    std::string found;
    for (const svg_fault& f : svg_rule_faults(c.document, c.facts)) found += f.rule + ": " + f.detail + "\n";
    if (c.rule == nullptr)
      EXPECT_EQ(found, "") << c.what;
    else
      EXPECT_NE(found.find(std::string(c.rule) + ":"), std::string::npos) << c.what << "\n" << found;
  }
}

// The dump read as facts for the rules above: the boxes' texts (the panel's own and
// its cells' InsetRow columns), the bins, and each curve with its unit height.
TEST(GraphRules, TheDumpGivesTheBoxesBinsAndCurves) {
  const std::string dump =
      "data HistogramData template t\n"
      "  column BinX numeric label \"Bin Midpoint\"\n"
      "  column BinCount numeric label \"Percent\"\n"
      "  row 1: BinX=51 BinCount=40 CurveLabel=\"\" CurveX=. CurveY=.\n"
      "  row 2: BinX=57 BinCount=60 CurveLabel=\"\" CurveX=. CurveY=.\n"
      "  row 3: BinX=. BinCount=. CurveLabel=\"Normal(Mu=55 Sigma=3)\" CurveX=48 CurveY=0.5\n"
      "  row 4: BinX=. BinCount=. CurveLabel=\"Normal(Mu=55 Sigma=3)\" CurveX=55 CurveY=79.8\n"
      "panel Histogram\n"
      "  _XVALUES = \"MIDPOINTS\" (text)\n"
      "  _I1_LABEL1 = \"N\" (text)\n"
      "  _I1_VALUE1 = \"60\" (text)\n"
      "  file H.svg\n";
  svg_facts f;
  add_dump_facts(read_dump(dump), "H.svg", f);
  EXPECT_EQ(f.inset_texts, (std::vector<std::string>{"N", "60"}));
  ASSERT_EQ(f.bins.size(), 2u);
  EXPECT_EQ(f.bins[1], (std::pair<double, double>{57, 60}));
  ASSERT_EQ(f.curves.size(), 1u);
  EXPECT_EQ(f.curves[0].label, "Normal(Mu=55 Sigma=3)");
  EXPECT_EQ(f.curves[0].width, 6);
  EXPECT_EQ(f.curves[0].scale, 100);  // a percent axis
  EXPECT_EQ(f.curves[0].points.size(), 2u);
  // Ticks at the bins' ends stand at no bar's middle: the bins are not given.
  svg_facts ends;
  std::string at_ends = dump;
  at_ends.replace(at_ends.find("MIDPOINTS"), 9, "ENDPOINTS");
  add_dump_facts(read_dump(at_ends), "H.svg", ends);
  EXPECT_TRUE(ends.bins.empty());
}

// What the last rounds' rules took for faults and are not: a probability plot's data
// axis reading 5, 10 and 25 among its values, which are also listed percents; a
// user's two midpoints 0.5 and 50, whose bins step by 49.5.
TEST(GraphRules, SoundAxesAreNotTakenForFaults) {
  svg_facts percents;
  percents.listed_percents = {"1", "5", "10", "25", "50", "75", "90", "95", "99"};
  const std::string prob = page(cell(60, 20, marker(90, 60)) + left_axis({"0", "5", "10", "15", "20", "25"}, "x") +
                                    percent_ticks({"5", "50", "95"}, false),
                                "A probability plot of x.");
  std::string found;
  for (const svg_fault& f : svg_rule_faults(prob, percents)) found += f.rule + ": " + f.detail + "\n";
  EXPECT_EQ(found, "") << "a probability plot's counts 0 to 25 up its side";
  // Its percent axis below is still held to the list.
  const std::vector<svg_fault> unlisted = svg_rule_faults(
      page(cell(60, 20, marker(90, 60)) + left_axis({"0", "5", "10", "15", "20", "25"}, "x") +
               percent_ticks({"5", "50", "96"}, false),
           "A probability plot of x."),
      percents);
  ASSERT_EQ(unlisted.size(), 1u);
  EXPECT_EQ(unlisted[0].rule, kRuleTickInexact);
  found.clear();
  for (const svg_fault& f : svg_rule_faults(page(cell(60, 20, bar(70, 60, 30, 40)) + bottom_axis({"0.5", "50.0", "99.5"}))))
    found += f.rule + ": " + f.detail + "\n";
  EXPECT_EQ(found, "") << "two midpoints of a user's, 0.5 and 50";
}

// A VAXIS= list of the program's own is used as written: a P-P plot's vertical axis
// listed 0 to 100 passes its scale of 0 to 1, and the checker takes it so when told.
TEST(GraphRules, AProgramsOwnVerticalListIsTakenAsWritten) {
  const std::string pp = page(cell(60, 20, marker(90, 60)) + left_axis({"0", "50", "100"}, "Empirical Cumulative Probability") +
                              bottom_axis({"0.0", "0.5", "1.0"}, "Theoretical Cumulative Probability"),
                              "A P-P plot of x.");
  const std::vector<svg_fault> faults = svg_rule_faults(pp);
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].rule, kRuleTickOffScale);
  svg_facts own;
  own.own_vertical_ticks = true;
  EXPECT_EQ(svg_rule_faults(pp, own).size(), 0u);
  // The horizontal axis is held to its scale all the same.
  const std::string across = page(cell(60, 20, marker(90, 60)) + left_axis({"0.0", "0.5", "1.0"}, "Empirical Cumulative Probability") +
                                  bottom_axis({"0", "50", "100"}, "Theoretical Cumulative Probability"),
                                  "A P-P plot of x.");
  ASSERT_EQ(svg_rule_faults(across, own).size(), 1u);
  EXPECT_EQ(svg_rule_faults(across, own)[0].rule, kRuleTickOffScale);
}

TEST(GraphRules, TheFaultListExcusesOnlyItsFileAndRule) {
  // The list itself names files of the tree; a key it cannot name is never excused.
  EXPECT_FALSE(svg_fault_known("NoSuchSuite.NoSuchTest/none.svg", kRuleTextOffPage));
  const std::string off = page(text(280, 150, 30, "far"));
  EXPECT_NE(svg_unexcused_faults(off, "NoSuchSuite.NoSuchTest/none.svg").find(kRuleTextOffPage), std::string::npos);
}

// Every graph committed to the tree: the quick start's, the golden graphs of the
// tests, the examples' written graphs.
TEST(GraphRules, EveryCommittedGraphKeepsTheRules) {
  const fs::path root = KES_SOURCE_DIR;
  std::string faults;
  int files = 0;
  for (const char* top : {"docs", "examples", "tests"})
    for (auto it = fs::recursive_directory_iterator(root / top); it != fs::recursive_directory_iterator(); ++it) {
      const fs::path& p = it->path();
      if (it->is_directory() && p.extension() == ".fail") it.disable_recursion_pending();
      if (!it->is_regular_file() || p.extension() != ".svg") continue;
      ++files;
      faults += svg_unexcused_faults(slurp(p), fs::relative(p, root).string());
    }
  EXPECT_GT(files, 100);
  EXPECT_TRUE(faults.empty()) << faults;
}

}  // namespace
