// The "InsetData" table of comparative template graphs, through the stand-in's output
// system: one row per existing CLASS cell carrying its CLASS texts (two CLASS
// variables with a missing combination give no row for it), the Cprop column, and a
// cell without observations keeping its row with blank values.
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/runtime.h"
#include "data/dataset.h"
#include "host/host_services.h"
#include "inset/kes_inset.h"
#include "kes_gram_names.h"
#include "records/pool_alloc.h"
#include "support/inset_fixture.h"
#include "support/scratch_files.h"
#include "tmplgraph/kes_stgraph.h"

namespace inset_test {
namespace {

class InsetDataTable : public inset_fixture {
 protected:
  kes_test::scratch_work work{"insettable"};
  kes_dynlist dyn{};
  kes_stgraph g{};
  char buf1[16], buf2[16];

  void SetUp() override {
    inset_fixture::SetUp();
    plat::config().graph_dump_path = (work.root() / "dump.txt").string();
    ASSERT_EQ(xobinit(&ctx.objs, 0), 0);
    // The output manager, as the step's start-up makes it.
    wob_attr mgr[5] = {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "manager", 7), wob_out(WOB_A_HANDLE),
                       wob_int(WOB_A_MESSAGE_SET, 189), wob_last(WOB_A_STEP_NOPRINT, 0)};
    ASSERT_GE(wobmth(ctx.objs.root, nullptr, WOB_M_CREATE, 5, mgr), 0);
    ctx.objs.manager = mgr[2].w.p;
    g.dyn = &dyn;
    g.classcol[0] = vemtxt("Class1", 6), g.classcol[1] = vemtxt("Class2", 6);
    g.classlabel[0] = vemtxt("g", 1), g.classlabel[1] = vemtxt("h", 1);
    cv.var[0].fmt = {8, 0, buf1};
    cv.var[1].fmt = {8, 0, buf2};
  }
  void TearDown() override {
    if (dyn.items != nullptr) vmfree_handler(v_global_gcb_anchor->taskpool, dyn.items, -1, 4);
    inset_fixture::TearDown();
  }
  kes_cell* cell(const std::string& level, const std::vector<double>& values, kes_cell* parent = nullptr) {
    kes_cell* c = made.cell(cv, level, parent);
    c->slots = &slots_.emplace_back();
    if (cv.count == 2 && parent == nullptr) return c;
    c->varsums = made.summary(values);
    slot(c)->n = static_cast<int>(c->varsums->n);
    if (cv.keycell == nullptr) cv.keycell = c;
    return c;
  }
  // The dump's InsetData part: its column and row lines.
  std::vector<std::string> table() {
    std::ifstream in(plat::config().graph_dump_path);
    std::vector<std::string> out;
    std::string line;
    bool on = false;
    while (std::getline(in, line)) {
      if (line.compare(0, 5, "data ") == 0) on = line.find("InsetData") != std::string::npos;
      else if (on && line.compare(0, 2, "  ") == 0) out.push_back(line.substr(2));
    }
    return out;
  }
};

TEST_F(InsetDataTable, OneRowPerExistingCellWithItsClassTexts) {
  cv.count = 2;
  kes_cell* a = cell("A", {});
  cell("1", {1, 2, 3}, a);
  cell("2", {4, 5}, a);
  kes_cell* b = cell("B", {});
  cell("2", {}, b);  // no observations; no cell for B and 1
  total[0] = 5;
  stmt.flag(KES_PLOT_FLAG_CPROP);
  inset({0, 2});
  kesstgins(&ctx, &g);
  const std::vector<std::string> t = table();
  ASSERT_GE(t.size(), 8u) << ::testing::PrintToString(t);
  EXPECT_EQ(t[0].substr(0, 12), "column Cprop");
  EXPECT_EQ(t[1].substr(0, 13), "column Class1");
  EXPECT_EQ(t[2].substr(0, 13), "column Class2");
  EXPECT_NE(t[3].find("InsetRow1"), std::string::npos);
  EXPECT_NE(t[3].find("\"N\""), std::string::npos);
  EXPECT_NE(t[4].find("\"Mean\""), std::string::npos);
  ASSERT_EQ(t.size(), 8u);
  EXPECT_EQ(t[5], "row 1: Cprop=0.6 Class1=\"A\" Class2=\"1\" InsetRow1=\"3\" InsetRow2=\"2\"");
  EXPECT_EQ(t[6], "row 2: Cprop=0.4 Class1=\"A\" Class2=\"2\" InsetRow1=\"2\" InsetRow2=\"4.5\"");
  EXPECT_EQ(t[7], "row 3: Cprop=0 Class1=\"B\" Class2=\"2\" InsetRow1=\"\" InsetRow2=\"\"");
}

TEST_F(InsetDataTable, OneClassVariableWithoutCprop) {
  cv.count = 1;
  cell("A", {1, 2});
  cell("B", {3, 4, 5});
  inset({0});
  kesstgins(&ctx, &g);
  const std::vector<std::string> t = table();
  ASSERT_EQ(t.size(), 4u) << ::testing::PrintToString(t);
  EXPECT_EQ(t[2], "row 1: Class1=\"A\" InsetRow1=\"2\"");
  EXPECT_EQ(t[3], "row 2: Class1=\"B\" InsetRow1=\"3\"");
}

TEST_F(InsetDataTable, DataSetRowsAreTheLabelUnionAcrossCells) {
  cv.count = 1;
  std::memcpy(cv.var[0].name.text, "g", 1), cv.var[0].name.len = 1;
  cell("A", {1, 2});
  cell("B", {3, 4});
  work.write_file("in.csv", "x,g\n1,A\n");
  work.write_file("rows.csv", "g,_LABEL_,_VALUE_\nA,Lot,17\nB,Shift,night\nB,Lot,23\n");
  std::string err;
  ctx.data = plat::handle(plat::open_input("", "in", &err));
  kes_dsh rows = plat::handle(plat::open_input("", "rows", &err));
  ASSERT_NE(rows, nullptr) << err;
  inset({400, 0}).node.handle(KES_INSET_SLOT_DATA, rows);
  kesstgins(&ctx, &g);
  const std::vector<std::string> t = table();
  ASSERT_EQ(t.size(), 6u) << ::testing::PrintToString(t);
  EXPECT_NE(t[1].find("InsetRow1"), std::string::npos);
  EXPECT_NE(t[1].find("\"Lot\""), std::string::npos);
  EXPECT_NE(t[2].find("\"Shift\""), std::string::npos);
  EXPECT_NE(t[3].find("\"N\""), std::string::npos);
  EXPECT_EQ(t[4], "row 1: Class1=\"A\" InsetRow1=\"17\" InsetRow2=\"\" InsetRow3=\"2\"");
  EXPECT_EQ(t[5], "row 2: Class1=\"B\" InsetRow1=\"23\" InsetRow2=\"night\" InsetRow3=\"2\"");
}

}  // namespace
}  // namespace inset_test
