// A template histogram with insets drawn by the stand-in, against its golden SVG: a
// box in the plot area (header, fill, rows) and two boxes in the top margin.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "graph/template_graph.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace {

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
  for (int i = 0; i < 6; ++i) t->rows.push_back({number(5 + 10 * i), number(counts[i]), none(), none(), str("")});
  for (int i = 0; i <= 30; ++i) {
    const double x = 2 * i, z = (x - 30) / 12;
    t->rows.push_back({none(), none(), number(x), number(33.2 * std::exp(-0.5 * z * z)), str("Normal")});
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
