// Inset boxes fitted to their cells: a box and every text in it stay inside the cell's
// plot area however narrow or short the cell; the text shrinks to its least size
// first, then labels are cut, then rows are left out and counted for the graph's note.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph/template_insets.h"
#include "graph/template_parts.h"

namespace {

using namespace plat::graph;

struct drawn_text {
  double x, y;
  std::string s;
  text_style t;
};

struct recorder : canvas {
  std::vector<frame> rects;
  std::vector<drawn_text> texts;
  void begin(double, double, const std::string&, const std::string&) override {}
  void rect(double x, double y, double w, double h, const paint&) override { rects.push_back({x, y, w, h}); }
  void line(double, double, double, double, const paint&) override {}
  void polyline(const std::vector<point>&, const paint&) override {}
  void polygon(const std::vector<point>&, const paint&) override {}
  void text(double x, double y, const std::string& s, const text_style& t) override { texts.push_back({x, y, s, t}); }
  void clip_begin(double, double, double, double) override {}
  void clip_end() override {}
  void end() override {}
};

inset_box box_of(int rows, const std::string& header = "Summary") {
  inset_box b;
  b.header = header;
  b.valign = "TOP";
  b.halign = "RIGHT";
  static const char* const kLabels[] = {"N", "Mean", "Std Deviation", "Minimum", "Maximum", "Interquartile Range"};
  for (int i = 0; i < rows; ++i) b.rows.push_back({kLabels[i % 6], i % 2 ? "12.80073" : "50"});
  return b;
}

bool inside(const frame& outer, const frame& in) {
  return in.x >= outer.x - 1e-9 && in.y >= outer.y - 1e-9 && in.x + in.w <= outer.x + outer.w + 1e-9 &&
         in.y + in.h <= outer.y + outer.h + 1e-9;
}

TEST(TemplateInsetFit, BoxesAndTheirTextsStayInsideTheirCells) {
  struct row {
    const char* what;
    frame cell;  // x, y, w, h
    int rows;
    bool shrinks, cuts_labels, leaves_rows, drawn;
  };
  const row rows[] = {
      {"room to spare", {100, 50, 400, 300}, 5, false, false, false, true},
      // Its values alone, at the least size, are wider than the cell: no box, all
      // rows said to be left out.
      {"one of ten cells across (43 px)", {60, 40, 43, 300}, 5, true, true, true, false},
      {"a narrow cell: labels cut", {60, 40, 100, 300}, 5, true, true, false, true},
      {"a short cell: its pairs side by side", {60, 40, 300, 70}, 5, true, false, false, true},
      {"a short cell too narrow for two columns", {60, 40, 150, 70}, 5, true, false, true, true},
      {"29 rows in a plot: a smaller text takes them all", {80, 30, 540, 356}, 29, true, false, false, true},
      {"29 rows in a comparative cell", {80, 30, 250, 150}, 29, true, false, true, true},
      {"no room for one row", {10, 10, 60, 14}, 5, true, true, true, false},
  };
  for (const row& r : rows) {
    const inset_box given = box_of(r.rows);
    const inset_box fitted = fit_inset_box(given, r.cell.w - 8, r.cell.h - 8);
    EXPECT_EQ(fitted.size < kLegendSize, r.shrinks) << r.what;
    EXPECT_GE(fitted.size, 8) << r.what;
    EXPECT_EQ(std::isfinite(fitted.label_room), r.cuts_labels) << r.what;
    EXPECT_EQ(fitted.left_out > 0, r.leaves_rows) << r.what;
    EXPECT_EQ(fitted.left_out + static_cast<int>(fitted.rows.size()), r.rows) << r.what;
    if (r.leaves_rows && r.drawn) {
      // The rows kept are all that fit: one more would not.
      inset_box more = fitted;
      more.rows.push_back(given.rows[fitted.rows.size()]);
      EXPECT_GT(inset_box_height(more, 0), r.cell.h - 8) << r.what;
    }
    recorder c;
    graph_notes notes;
    draw_plot_insets(c, notes, r.cell, {given});
    const inset_cuts& cuts = notes.cuts;
    EXPECT_EQ(cuts.boxes, r.leaves_rows ? 1 : 0) << r.what;
    EXPECT_EQ(cuts.most, fitted.left_out) << r.what;
    if (!r.drawn) {
      EXPECT_TRUE(c.rects.empty() && c.texts.empty()) << r.what;
      continue;
    }
    ASSERT_EQ(c.rects.size(), 1u) << r.what;
    const frame box = c.rects[0];
    EXPECT_TRUE(inside(r.cell, box)) << r.what << ": " << box.x << " " << box.w << " in " << r.cell.x << " " << r.cell.w;
    ASSERT_EQ(c.texts.size(), fitted.rows.size() * 2 + 1) << r.what;
    for (const drawn_text& t : c.texts) {
      const double w = text_advance(t.s, t.t);
      const double left = t.t.align == anchor::end ? t.x - w : t.x;
      const frame ink{left, t.y - text_above(t.t.size), w, text_above(t.t.size) + text_below(t.t.size)};
      EXPECT_TRUE(inside(box, ink)) << r.what << ": \"" << t.s << "\" at " << left << " " << w;
      EXPECT_DOUBLE_EQ(t.t.size, fitted.size) << r.what;
    }
  }
}

// A box that fits keeps every length it had: the text at 11 px, the padding at 4 px.
TEST(TemplateInsetFit, ABoxThatFitsIsAsBefore) {
  const inset_box b = box_of(3);
  const inset_box fitted = fit_inset_box(b, inset_box_width(b), inset_box_height(b, 0));
  EXPECT_EQ(fitted.size, kLegendSize);
  EXPECT_EQ(fitted.left_out, 0);
  EXPECT_EQ(inset_box_width(fitted), inset_box_width(b));
  // Half the room in both directions: half the text, within the tenth of a px it is
  // rounded down to.
  const inset_box half = fit_inset_box(b, inset_box_width(b) / 2, inset_box_height(b, 0) / 2);
  EXPECT_GE(half.size, 8);
  const inset_box smaller = fit_inset_box(box_of(3, ""), inset_box_width(b) * 0.8, inset_box_height(b, 0) * 0.8);
  EXPECT_NEAR(smaller.size, 0.8 * kLegendSize, 0.11);
}

}  // namespace
