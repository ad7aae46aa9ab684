// Inset boxes of template graphs in the stand-in: boxes read from the dynamics (two
// boxes in one margin kept apart), a comparative graph's InsetData row matched to its
// cell by the CLASS texts, where the boxes are drawn, and a histogram with insets
// against its golden SVG.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "graph/template_graph.h"
#include "graph/template_insets.h"
#include "graph/template_parts.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace {

using namespace plat::graph;
namespace out = plat::out;

out::dyn_value text(const std::string& n, const std::string& v) {
  out::dyn_value d;
  d.name = n;
  d.text = v;
  return d;
}
out::dyn_value num(const std::string& n, double v) {
  out::dyn_value d;
  d.name = n;
  d.is_text = false;
  d.num = v;
  d.is_int = true;
  return d;
}

// Records what is drawn.
struct recorder : canvas {
  struct item {
    std::string kind;
    double x, y, w, h;
    std::string text;
    text_style style;
  };
  std::vector<item> items;
  void begin(double, double, const std::string&, const std::string&) override {}
  void rect(double x, double y, double w, double h, const paint&) override { items.push_back({"rect", x, y, w, h, "", {}}); }
  void line(double x1, double y1, double x2, double y2, const paint&) override {
    items.push_back({"line", x1, y1, x2 - x1, y2 - y1, "", {}});
  }
  void polyline(const std::vector<point>&, const paint&) override {}
  void polygon(const std::vector<point>&, const paint&) override {}
  void text(double x, double y, const std::string& s, const text_style& t) override {
    items.push_back({"text", x, y, 0, 0, s, t});
  }
  void clip_begin(double, double, double, double) override {}
  void clip_end() override {}
  void end() override {}
  const item* find(const std::string& t) const {
    for (const item& i : items)
      if (i.kind == "text" && i.text == t) return &i;
    return nullptr;
  }
};

out::graph_panel panel_with_boxes() {
  out::graph_panel p;
  p.dynamics = {text("_PADTOP", "5"),      text("_MARGIN1", "TOP"), num("_M1_NCOLS", 6), text("_M1_GUTTER", "4.000000 pct"),
                text("_M1_LABEL1", "N"),   text("_M1_VALUE1", "25"), text("_MARGIN1", "TOP"), num("_M1_NCOLS", 2),
                text("_M1_LABEL1", "Mean"), text("_M1_VALUE1", "3.5"), num("_INSET1", 1),
                text("_I1_VALIGN", "TOP"), text("_I1_HALIGN", "RIGHT"), text("_I1_HEADER", "Normal Curve"),
                num("_I1_BORDER", 1), num("_I1_CFILL", 1), text("_I1_LABEL1", "Mean"), text("_I1_VALUE1", "10"),
                text("_I1_LABEL2", "Std Dev"), text("_I1_VALUE2", "2")};
  return p;
}

TEST(TemplateInsets, BoxesFromDynamicsTwoInOneMarginStayApart) {
  const std::vector<inset_box> b = read_inset_boxes(panel_with_boxes());
  ASSERT_EQ(b.size(), 3u);
  EXPECT_EQ(b[0].margin, 1);
  EXPECT_EQ(b[0].pairs, 3);
  ASSERT_EQ(b[0].rows.size(), 1u);
  EXPECT_EQ(b[0].rows[0].label, "N");
  EXPECT_EQ(b[1].margin, 1);
  EXPECT_EQ(b[1].pairs, 1);
  EXPECT_EQ(b[1].rows[0].value, "3.5");
  EXPECT_EQ(b[2].margin, 0);
  EXPECT_EQ(b[2].header, "Normal Curve");
  EXPECT_EQ(b[2].halign, "RIGHT");
  EXPECT_TRUE(b[2].fill && b[2].border);
  ASSERT_EQ(b[2].rows.size(), 2u);
  EXPECT_EQ(b[2].rows[1].label, "Std Dev");
}

TEST(TemplateInsets, APlotAreaBoxSitsAtItsCornerLabelsLeftValuesRight) {
  const std::vector<inset_box> b = read_inset_boxes(panel_with_boxes());
  recorder r;
  frame f;
  f.x = 100, f.y = 50, f.w = 400, f.h = 300;
  graph_notes notes;
  draw_plot_insets(r, notes, f, b);
  ASSERT_FALSE(r.items.empty());
  const recorder::item& box = r.items[0];
  EXPECT_EQ(box.kind, "rect");
  EXPECT_DOUBLE_EQ(box.x + box.w, 500 - 4);
  EXPECT_DOUBLE_EQ(box.y, 54);
  EXPECT_DOUBLE_EQ(box.w, inset_box_width(b[2]));
  const auto* header = r.find("Normal Curve");
  ASSERT_NE(header, nullptr);
  EXPECT_TRUE(header->style.bold);
  const auto* label = r.find("Std Dev");
  const auto* value = r.find("2");
  ASSERT_TRUE(label != nullptr && value != nullptr);
  EXPECT_EQ(value->style.align, anchor::end);
  EXPECT_DOUBLE_EQ(value->x, box.x + box.w - 4);
  EXPECT_DOUBLE_EQ(label->x, box.x + 4);
  EXPECT_DOUBLE_EQ(label->y, value->y);
  // The margin boxes are not drawn in the plot area.
  EXPECT_EQ(r.find("N"), nullptr);
}

TEST(TemplateInsets, TwoBoxesInTheTopMarginLieOneBelowTheOther) {
  const std::vector<inset_box> b = read_inset_boxes(panel_with_boxes());
  const inset_room room = inset_margin_room(b, 600);
  EXPECT_DOUBLE_EQ(room.top, inset_box_height(b[0], 600) + inset_box_height(b[1], 600) + 12);
  EXPECT_DOUBLE_EQ(room.bottom, 0);
  recorder r;
  graph_notes notes;
  draw_margin_insets(r, notes, b, 1, 12, 40, 600);
  const auto* first = r.find("N");
  const auto* second = r.find("Mean");
  ASSERT_TRUE(first != nullptr && second != nullptr);
  EXPECT_GT(second->y, first->y + inset_box_height(b[0], 600));
}

TEST(TemplateInsets, AComparativeCellFindsItsOwnInsetDataRow) {
  auto t = std::make_shared<out::graph_table>();
  t->name = "InsetData";
  out::column_info c1, r1, r2;
  c1.name = "Class1", c1.numeric = false;
  r1.name = "InsetRow1", r1.label = "N", r1.numeric = false;
  r2.name = "InsetRow2", r2.label = "Mean", r2.numeric = false;
  t->columns = {c1, r1, r2};
  auto cell = [](const std::string& s) {
    out::cell c;
    c.is_text = true;
    c.text = s;
    return c;
  };
  for (const auto& row : std::vector<std::vector<out::cell>>{
           {cell("A"), cell("3"), cell("2")}, {cell("B"), cell("4"), cell("5.5")}, {cell("E"), cell(""), cell("")}})
    t->add_row(row);
  out::graph_panel p;
  p.tables = {t};
  p.dynamics = {text("_INSETVALIGN", "BOTTOM"), text("_INSETHALIGN", "LEFT"), num("_INSETBORDER", 1)};
  inset_box b;
  ASSERT_TRUE(inset_data_box(p, class_key{"B", ""}, &b));
  ASSERT_EQ(b.rows.size(), 2u);
  EXPECT_EQ(b.rows[1].label, "Mean");
  EXPECT_EQ(b.rows[1].value, "5.5");
  EXPECT_EQ(b.valign, "BOTTOM");
  // A cell without values draws no box; a cell the table lacks neither.
  EXPECT_FALSE(inset_data_box(p, class_key{"E", ""}, &b));
  EXPECT_FALSE(inset_data_box(p, class_key{"Z", ""}, &b));
}

// A template histogram with a box in the plot area (header, fill, rows) and two
// boxes in the top margin.
out::cell number(double v) {
  out::cell c;
  c.num = v;
  return c;
}
out::cell none() { return number(NAN); }
out::cell str(const std::string& s) {
  out::cell c;
  c.is_text = true;
  c.text = s;
  return c;
}

TEST(TemplateInsetsGolden, HistogramWithInsetsInThePlotAreaAndTheTopMargin) {
  auto t = std::make_shared<out::graph_table>();
  t->name = "HistogramData";
  for (const char* n : {"BinX", "BinCount", "CurveX", "CurveY"}) {
    out::column_info c;
    c.name = n;
    t->columns.push_back(c);
  }
  out::column_info label;
  label.name = "CurveLabel", label.numeric = false;
  t->columns.push_back(label);
  const double counts[6] = {2, 6, 12, 14, 8, 3};
  for (int i = 0; i < 6; ++i) t->add_row({number(5 + 10 * i), number(counts[i]), none(), none(), str("")});
  for (int i = 0; i <= 30; ++i) {
    const double x = 2 * i, z = (x - 30) / 12;
    t->add_row({none(), none(), number(x), number(33.2 * std::exp(-0.5 * z * z)), str("Normal")});
  }
  out::graph_panel p;
  p.name = "Histogram";
  p.label = "Histogram of Height";
  p.template_name = "orbo.kestravine.Graphics.Histogram";
  p.tables = {t};
  p.dynamics = {text("_VARNAME", "Height"), text("_YLABEL", "Percent"), text("_XTICKS", "0 10 20 30 40 50 60"),
                num("_XMIN", 0), num("_XMAX", 60),
                num("_INSET1", 1), text("_I1_VALIGN", "TOP"), text("_I1_HALIGN", "RIGHT"),
                text("_I1_HEADER", "Normal Curve"), num("_I1_BORDER", 1), num("_I1_CFILL", 1),
                text("_I1_LABEL1", "Mean"), text("_I1_VALUE1", "30"), text("_I1_LABEL2", "Std Dev"),
                text("_I1_VALUE2", "12"),
                text("_MARGIN1", "TOP"), num("_M1_NCOLS", 6), text("_M1_GUTTER", "4.000000 pct"),
                num("_M1_BORDER", 1), num("_M1_CFILL", 0), text("_M1_LABEL1", "N"), text("_M1_VALUE1", "45"),
                text("_M1_LABEL2", "Minimum"), text("_M1_VALUE2", "1.5"), text("_M1_LABEL3", "Maximum"),
                text("_M1_VALUE3", "58"), text("_M1_LABEL4", "Median"), text("_M1_VALUE4", "29.5"),
                text("_MARGIN1", "TOP"), num("_M1_NCOLS", 2), num("_M1_BORDER", 1), text("_M1_HEADER", "Lot"),
                text("_M1_LABEL1", "Batch"), text("_M1_VALUE1", "A-17")};
  kes_test::scratch_dir dir("tinsets");
  const std::string path = (dir / "insets.svg").string();
  std::string why;
  ASSERT_TRUE(plat::graph::write_template_svg(p, path, &why)) << why;
  EXPECT_TRUE(kes_test::svg_matches_golden(kes_test::slurp(path), std::filesystem::path(KES_SOURCE_DIR) /
                                                                      "tests/platform/graph_golden/template_insets.svg"));
}

}  // namespace
