// Template graphs in the output system: a graph's data object is kept for its panels
// instead of being listed, a panel (method 2826) draws from it and goes to an SVG
// file, a listing line, a JSON entry and the dump, and a panel naming no emitted data
// object is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "core/runtime.h"
#include "output/output_api.h"
#include "runner/runner.h"
#include "output_test_support.h"
#include "support/scratch_files.h"

namespace {

using namespace out_test;

class GraphPanels : public json_system_fixture {
 protected:
  void SetUp() override {
    json_system_fixture::SetUp();
    plat::config().graph_dump_path = (dir / "dump").string();
    plat::config().graphs_dir = dir.path().string();
    plat::link_layers();
    plat::output_begin_graphs();
    mgr = make_manager();
  }
  void TearDown() override {
    plat::config() = plat::run_config{};
    json_system_fixture::TearDown();
  }
  // "HistogramData" with two bins and a two-point curve; returns its bound table.
  void* emit_data() {
    wob_attr c[5] = {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "data", 4), wob_out(WOB_A_HANDLE),
                     wob_int(WOB_A_MINUS_ONE, -1), wob_text(WOB_A_NAME, txt("HistogramData"))};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_CREATE, 5, c), 0);
    void* t = c[2].w.p;
    const auto num = [&](const char* name, double* cell) {
      wob_attr a[4] = {wob_text(WOB_A_NAME, txt(name)), wob_int(WOB_A_COLUMN_TYPE, 5), wob_addr(WOB_A_CELL, cell),
                       wob_text(WOB_A_LABEL, txt(name))};
      EXPECT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 4, a), 0);
    };
    num("BinX", &x);
    num("BinCount", &h);
    wob_attr a[5] = {wob_text(WOB_A_NAME, txt("CurveLabel")), wob_int(WOB_A_COLUMN_TYPE, 6), wob_addr(WOB_A_CELL, label),
                     wob_int(WOB_A_CHAR_WIDTH, 8), wob_text(WOB_A_LABEL, txt("CurveLabel"))};
    EXPECT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 5, a), 0);
    num("CurveX", &cx);
    num("CurveY", &cy);
    EXPECT_EQ(wobmth(t, nullptr, WOB_M_END_DEFINE, 0, nullptr), 0);
    void* slot = nullptr;
    wob_attr b[5] = {wob_out(0), wob_out(0, t), wob_text(WOB_A_TEMPLATE, txt("orbo.kestravine.HistogramData")),
                     wob_last(WOB_A_NOT_DEBUG, 1), wob_ptr(WOB_A_BINDING_SLOT, WOB_OUTPTR, &slot)};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 5, b), 0);
    EXPECT_EQ(slot, b[0].w.p);
    const double nan = std::nan("");
    const auto row = [&](double a1, double a2, const char* l, double a3, double a4) {
      x = a1, h = a2, cx = a3, cy = a4;
      std::memset(label, ' ', 8);
      std::memcpy(label, l, std::strlen(l));
      EXPECT_EQ(wobmth(t, nullptr, WOB_M_ADD_ROW, 0, nullptr), 0);
    };
    row(1, 40, "", nan, nan);
    row(2, 60, "", nan, nan);
    row(nan, nan, "Normal", 0.5, 30);
    row(nan, nan, "Normal", 2.5, 35);
    EXPECT_EQ(wobmth(t, nullptr, WOB_M_END_ROWS, 0, nullptr), 0);
    wob_attr e[1] = {wob_out(0, b[0].w.p)};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_EMIT, 1, e), 0);
    return b[0].w.p;
  }
  int panel(void* bound, const char* tmpl) {
    void* tables[1] = {bound};
    wob_attr list[6] = {wob_text(WOB_A_DYNAMIC_NAME, txt("_XTICKS")), wob_text(WOB_A_VALUE, txt("1 2")),
                        wob_text(WOB_A_DYNAMIC_NAME, txt("_XMIN")),   wob_dbl(WOB_A_VALUE, 0.5),
                        wob_text(WOB_A_DYNAMIC_NAME, txt("_CURVELEGEND")), wob_last(WOB_A_VALUE, 1)};
    wob_attr a[8] = {wob_text(WOB_A_NAME, txt("Histogram")),
                     wob_text(WOB_A_LABEL, txt("Histogram of x")),
                     wob_text(WOB_A_DESCRIPTION, txt("Panel 1")),
                     wob_text(WOB_A_TEMPLATE, txt(tmpl)),
                     wob_ptr(WOB_A_BOUND_TABLES, WOB_COUNTED, tables),
                     wob_text(WOB_A_DYNAMIC_NAME, txt("_PANEL")),
                     wob_int(WOB_A_VALUE, 1),
                     wob_ptr(WOB_A_DYNAMIC_LIST, WOB_LIST, list)};
    a[4].i = 1;
    a[7].i = 6;
    return wobmth(mgr, nullptr, WOB_M_GRAPH_PANEL, 8, a);
  }

  kes_test::scratch_dir dir{"graph-panels"};
  void* mgr = nullptr;
  double x = 0, h = 0, cx = 0, cy = 0;
  char label[8] = {};
};

TEST_F(GraphPanels, APanelDrawsItsDataObjectEverywhere) {
  void* bound = emit_data();
  EXPECT_EQ(listing(), "");  // the data object is the graph's, not the listing's
  ASSERT_EQ(panel(bound, "orbo.kestravine.Graphics.Histogram"), 0);
  EXPECT_EQ(kes_test::slurp(dir / "dump"),
            "data HistogramData template orbo.kestravine.HistogramData\n"
            "  column BinX numeric label \"BinX\"\n"
            "  column BinCount numeric label \"BinCount\"\n"
            "  column CurveLabel character 8 label \"CurveLabel\"\n"
            "  column CurveX numeric label \"CurveX\"\n"
            "  column CurveY numeric label \"CurveY\"\n"
            "  row 1: BinX=1 BinCount=40 CurveLabel=\"\" CurveX=. CurveY=.\n"
            "  row 2: BinX=2 BinCount=60 CurveLabel=\"\" CurveX=. CurveY=.\n"
            "  row 3: BinX=. BinCount=. CurveLabel=\"Normal\" CurveX=0.5 CurveY=30\n"
            "  row 4: BinX=. BinCount=. CurveLabel=\"Normal\" CurveX=2.5 CurveY=35\n"
            "panel Histogram\n"
            "  label \"Histogram of x\"\n"
            "  description \"Panel 1\"\n"
            "  template orbo.kestravine.Graphics.Histogram\n"
            "  tables HistogramData\n"
            "  _PANEL = 1 (int)\n"
            "  _XTICKS = \"1 2\" (text)\n"
            "  _XMIN = 0.5 (double)\n"
            "  _CURVELEGEND = 1 (boolean)\n"
            "  file Histogram1.svg\n");
  const std::string svg = kes_test::slurp(dir / "Histogram1.svg");
  EXPECT_NE(svg.find("<title>Histogram of x (Panel 1)</title>"), std::string::npos);
  EXPECT_NE(svg.find("<polyline"), std::string::npos);
  EXPECT_NE(listing().find("Graph: Histogram of x (Panel 1): Histogram1.svg"), std::string::npos) << listing();
  const jvalue doc = json_doc();
  const auto& outs = doc["steps"][0]["outputs"].arr;
  ASSERT_EQ(outs.size(), 1u);
  EXPECT_EQ(outs[0]["kind"].str, "graph");
  EXPECT_EQ(outs[0]["name"].str, "Histogram");
  EXPECT_EQ(outs[0]["template"].str, "orbo.kestravine.Graphics.Histogram");
  EXPECT_EQ(outs[0]["file"].str, (dir / "Histogram1.svg").string());
  // The same data object serves a second panel; files are numbered per output name.
  ASSERT_EQ(panel(bound, "orbo.kestravine.Graphics.Histogram"), 0);
  EXPECT_TRUE(std::filesystem::exists(dir / "Histogram2.svg"));
}

// What the drawer finds for a panel is kept with the data object by name: the cells
// and the texts of each axis's ticks (the horizontal and the vertical ones side by
// side, neither pushing the other out); a second panel finds them all there.
TEST_F(GraphPanels, TheDrawerKeepsOneOfEachThingItFinds) {
  void* bound = emit_data();
  ASSERT_EQ(panel(bound, "orbo.kestravine.Graphics.Histogram"), 0);
  const auto table = sys->graph_table_of(bound);
  ASSERT_NE(table, nullptr);
  const auto names = [&] {
    std::vector<std::string> out;
    for (const auto& [name, value] : table->kept) out.push_back(name);
    return out;
  };
  const std::vector<std::string> first = names();
  int tick_texts = 0;
  for (const std::string& n : first) {
    EXPECT_EQ(std::count(first.begin(), first.end(), n), 1) << "kept twice";
    tick_texts += n.rfind("tick texts ", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(tick_texts, 2);  // the horizontal ticks 1 2 and the vertical ones
  ASSERT_EQ(panel(bound, "orbo.kestravine.Graphics.Histogram"), 0);
  EXPECT_EQ(names(), first);
}

TEST_F(GraphPanels, AnUnknownTemplateIsListedAsNotDrawn) {
  void* bound = emit_data();
  ASSERT_EQ(panel(bound, "orbo.kestravine.Graphics.NoSuchGraph"), 0);
  EXPECT_NE(listing().find("not drawn, the stand-in has no graph template orbo.kestravine.Graphics.NoSuchGraph"),
            std::string::npos)
      << listing();
  EXPECT_EQ(json_doc()["steps"][0]["outputs"].arr.at(0)["file"].kind, jvalue::null_v);
}

TEST_F(GraphPanels, APanelWithoutItsDataObjectIsRefused) {
  int stray = 0;
  EXPECT_LT(panel(&stray, "orbo.kestravine.Graphics.Histogram"), 0);
  EXPECT_FALSE(log_entries().empty());
}

}  // namespace

namespace {

// A graph's data object is kept while its output group is open, for every panel the
// group's graph has, and goes when the group closes: a step of many BY groups does not
// keep every group's rows to its end.
TEST_F(GraphPanels, AGraphsDataObjectGoesWhenItsOutputGroupCloses) {
  for (int group = 0; group < 3; ++group) {
    wob_attr g[6] = {wob_out(WOB_A_HANDLE),           wob_text(WOB_A_NAME, txt("Histogram")),
                     wob_int(WOB_A_CHAR_WIDTH, 9),     wob_text(WOB_A_GROUP_KIND, txt("Histogram")),
                     wob_text(WOB_A_LABEL, txt("x")), wob_last(WOB_A_GROUP_FLAG, 1)};
    ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_GROUP, 6, g), 0);
    void* bound = emit_data();
    EXPECT_EQ(panel(bound, "orbo.kestravine.Graphics.Histogram"), 0);
    EXPECT_EQ(panel(bound, "orbo.kestravine.Graphics.Histogram"), 0);
    ASSERT_EQ(wobclose(g[0].w.p), 0);
    log_entries().clear();
    EXPECT_LT(panel(bound, "orbo.kestravine.Graphics.Histogram"), 0) << "group " << group;
    EXPECT_FALSE(log_entries().empty());
  }
  EXPECT_TRUE(std::filesystem::exists(dir / "Histogram6.svg"));
}

}  // namespace
