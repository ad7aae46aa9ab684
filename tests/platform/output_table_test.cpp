// The table protocol through wobmth in states the example programs do not reach: the
// clear failures of calls out of order or with bad attributes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "output/output_messages.h"
#include "output_test_support.h"

namespace {

using namespace out_test;
namespace msg = plat::out::msg;

void fill(char* cell, std::size_t n, const char* text) {
  std::memset(cell, ' ', n);
  std::memcpy(cell, text, std::strlen(text));
}

struct rowbuf {
  char text1[40];
  char text2[40];
  double num1 = 0, num2 = 0;
};

class TableTest : public json_system_fixture {
 protected:
  void SetUp() override {
    json_system_fixture::SetUp();
    mgr = make_manager();
  }

  // The BasicMeasures table as the definitions make it: two character and two numeric
  // columns bound to the row buffer.
  void* define_measures() {
    wob_attr c[7] = {wob_str(WOB_A_FAMILY, "vem", 3),
                     wob_str(WOB_A_CLASS, "data", 4),
                     wob_out(WOB_A_HANDLE),
                     wob_int(WOB_A_MINUS_ONE, -1),
                     wob_text(WOB_A_NAME, txt("BasicMeasures")),
                     wob_text(WOB_A_LABEL, txt("Basic Statistical Measures")),
                     wob_int(WOB_A_ROWS, 4)};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_CREATE, 7, c), 0);
    void* t = c[2].w.p;
    wob_attr a1[5] = {wob_int(WOB_A_COLUMN_TYPE, 6), wob_text(WOB_A_NAME, txt("LocMeasure")),
                      wob_text(WOB_A_LABEL, txt("Location")), wob_addr(WOB_A_CELL, rb.text1),
                      wob_int(WOB_A_CHAR_WIDTH, 8)};
    wob_attr a2[5] = {wob_int(WOB_A_COLUMN_TYPE, 5), wob_text(WOB_A_NAME, txt("LocValue")),
                      wob_addr(WOB_A_CELL, &rb.num1), wob_text(WOB_A_LABEL, txt("Value")), wob_int(WOB_A_WIDTH, 8)};
    wob_attr a3[5] = {wob_int(WOB_A_COLUMN_TYPE, 6), wob_text(WOB_A_NAME, txt("VarMeasure")),
                      wob_text(WOB_A_LABEL, txt("Variability")), wob_addr(WOB_A_CELL, rb.text2),
                      wob_int(WOB_A_CHAR_WIDTH, 19)};
    wob_attr a4[4] = {wob_int(WOB_A_COLUMN_TYPE, 5), wob_text(WOB_A_NAME, txt("VarValue")),
                      wob_text(WOB_A_LABEL, txt("Value")), wob_addr(WOB_A_CELL, &rb.num2)};
    EXPECT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 5, a1), 0);
    EXPECT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 5, a2), 0);
    EXPECT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 5, a3), 0);
    EXPECT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 4, a4), 0);
    EXPECT_EQ(wobmth(t, nullptr, WOB_M_END_DEFINE, 0, nullptr), 0);
    return t;
  }
  void* bind(void* t, const char* tmpl) {
    wob_attr b[10] = {wob_out(0),
                      wob_out(0, t),
                      wob_text(WOB_A_TEMPLATE, txt(tmpl)),
                      wob_text(WOB_A_DYNAMIC_NAME, txt("MeasHdr")),
                      wob_text(WOB_A_VALUE, txt("Basic Statistical Measures")),
                      wob_text(WOB_A_DYNAMIC_NAME, txt("varname")),
                      wob_text(WOB_A_VALUE, txt("Height")),
                      wob_text(WOB_A_DYNAMIC_NAME, txt("varlabel")),
                      wob_text(WOB_A_VALUE, txt("Height")),
                      wob_text(WOB_A_DESCRIPTION, nullptr)};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 10, b), 0);
    return b[0].w.p;
  }
  void row(const char* t1, double n1, const char* t2, double n2, void* table) {
    fill(rb.text1, 40, t1);
    fill(rb.text2, 40, t2);
    rb.num1 = n1;
    rb.num2 = n2;
    EXPECT_EQ(wobmth(table, nullptr, WOB_M_ADD_ROW, 0, nullptr), 0);
  }
  int emit(void* bound) {
    wob_attr e[1] = {wob_out(0, bound)};
    return wobmth(mgr, nullptr, WOB_M_EMIT, 1, e);
  }
  int end_rows(void* table) {
    wob_attr a[1] = {wob_int(WOB_A_ROWS_DONE, 1)};
    return wobmth(table, nullptr, WOB_M_END_ROWS, 1, a);
  }
  bool logged_number(int n) const {
    for (const auto& e : log_entries())
      if (e.number == n) return true;
    return false;
  }

  void* mgr = nullptr;
  rowbuf rb;
};

// Rows copied as they are added, table labels read back and a column's presentation
// reset after the definition are in every example program's listing and JSON; here
// what a run does not do: ask for a column or attribute the table does not have.
TEST_F(TableTest, UnknownColumnOrAttributeIsRefused) {
  void* t = define_measures();
  wob_attr bad[1] = {wob_text(WOB_A_COLUMN_NAME, txt("NoSuchColumn"))};
  EXPECT_EQ(wobmth(t, nullptr, WOB_M_COLUMN_ATTRS, 1, bad), plat::out::kErrAttribute);
  EXPECT_TRUE(logged_number(msg::kNoColumn));
  wob_attr a[1] = {wob_int(999, 0)};
  EXPECT_EQ(wobgetattr(t, 1, a), plat::out::kErrAttribute);
  EXPECT_TRUE(logged_number(msg::kNoReadBack));
}

TEST_F(TableTest, CallsOutOfOrderFailWithAMessage) {
  void* t = define_measures();
  // No binding yet.
  EXPECT_EQ(wobmth(t, nullptr, WOB_M_ADD_ROW, 0, nullptr), plat::out::kErrOrder);
  EXPECT_TRUE(logged_number(msg::kNotBound));
  // A column after the end of the definition.
  wob_attr late[4] = {wob_int(WOB_A_COLUMN_TYPE, 5), wob_text(WOB_A_NAME, txt("Late")), wob_addr(WOB_A_CELL, &rb.num1),
                      wob_int(WOB_A_WIDTH, 8)};
  EXPECT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 4, late), plat::out::kErrOrder);
  EXPECT_TRUE(logged_number(msg::kColumnLate));
  // Rows after their end, and a second emit.
  void* b = bind(t, "orbo.kestravine.Measures");
  row("Mean", 1, "x", 2, t);
  ASSERT_EQ(end_rows(t), 0);
  EXPECT_EQ(wobmth(t, nullptr, WOB_M_ADD_ROW, 0, nullptr), plat::out::kErrOrder);
  EXPECT_TRUE(logged_number(msg::kRowsEnded));
  ASSERT_EQ(emit(b), 0);
  EXPECT_EQ(emit(b), plat::out::kErrHandle);
  EXPECT_TRUE(logged_number(msg::kNotObject));
  EXPECT_EQ(sys->emitted(), 1);
  // A method tables do not have.
  EXPECT_EQ(wobmth(t, nullptr, WOB_M_HEADING, 0, nullptr), WOB_NO_METHOD);
}

// Each refusal in turn, with the message that call logged.
TEST_F(TableTest, BadColumnsAndHandlesAreRefused) {
  wob_attr c[4] = {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "data", 4), wob_out(WOB_A_HANDLE),
                   wob_text(WOB_A_NAME, txt("T"))};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_CREATE, 4, c), 0);
  void* t = c[2].w.p;
  wob_attr ok[3] = {wob_int(WOB_A_COLUMN_TYPE, 5), wob_text(WOB_A_NAME, txt("A")), wob_addr(WOB_A_CELL, &rb.num1)};
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 3, ok), 0);
  int not_a_text = 0;
  using namespace plat::out;
  const struct {
    const char* what;
    void* on;
    int method;
    std::vector<wob_attr> attrs;
    int rc, message;
  } rows[] = {
      {"a column twice", t, WOB_M_DEFINE_COLUMN, {ok[0], ok[1], ok[2]}, kErrAttribute, msg::kColumnTwice},
      {"a text column without its width",
       t,
       WOB_M_DEFINE_COLUMN,
       {wob_int(WOB_A_COLUMN_TYPE, 6), wob_text(WOB_A_NAME, txt("C")), wob_addr(WOB_A_CELL, rb.text1)},
       kErrAttribute,
       msg::kCharWidth},
      {"a column type not known",
       t,
       WOB_M_DEFINE_COLUMN,
       {wob_int(WOB_A_COLUMN_TYPE, 7), wob_text(WOB_A_NAME, txt("D")), wob_addr(WOB_A_CELL, &rb.num1)},
       kErrAttribute,
       msg::kColumnType},
      {"a column without its cell",
       t,
       WOB_M_DEFINE_COLUMN,
       {wob_int(WOB_A_COLUMN_TYPE, 5), wob_text(WOB_A_NAME, txt("E"))},
       kErrAttribute,
       msg::kNoCell},
      {"a number for a name",
       t,
       WOB_M_DEFINE_COLUMN,
       {wob_int(WOB_A_COLUMN_TYPE, 5), wob_int(WOB_A_NAME, 4), wob_addr(WOB_A_CELL, &rb.num1)},
       kErrAttribute,
       msg::kType},
      {"a text handle not known",
       t,
       WOB_M_DEFINE_COLUMN,
       {wob_int(WOB_A_COLUMN_TYPE, 5), wob_text(WOB_A_NAME, &not_a_text), wob_addr(WOB_A_CELL, &rb.num1)},
       kErrHandle,
       msg::kUnknownText},
      {"a binding before the end of the definition",
       mgr,
       WOB_M_BIND,
       {wob_out(0), wob_out(0, t), wob_text(WOB_A_TEMPLATE, txt("x"))},
       kErrOrder,
       msg::kBindEarly},
      {"a binding of no table",
       mgr,
       WOB_M_BIND,
       {wob_out(0), wob_out(0, mgr), wob_text(WOB_A_TEMPLATE, txt("x"))},
       kErrHandle,
       0},
      {"an emit of no bound table", mgr, WOB_M_EMIT, {wob_out(0, t)}, kErrHandle, msg::kNotObject},
      {"the end of the definition", t, WOB_M_END_DEFINE, {}, 0, 0},
      {"a dynamic name without its value",
       mgr,
       WOB_M_BIND,
       {wob_out(0), wob_out(0, t), wob_text(WOB_A_TEMPLATE, txt("x")), wob_text(WOB_A_DYNAMIC_NAME, txt("Lonely"))},
       kErrAttribute,
       msg::kPairs},
      {"a class not known",
       mgr,
       WOB_M_CREATE,
       {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "spreadsheet", 11), wob_out(WOB_A_HANDLE)},
       kErrCreate,
       msg::kNoClass},
      {"a create without its output",
       mgr,
       WOB_M_CREATE,
       {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "data", 4)},
       kErrAttribute,
       msg::kMissing},
  };
  for (auto row : rows) {  // a copy: calls write into their attributes
    log_entries().clear();
    EXPECT_EQ(wobmth(row.on, nullptr, row.method, static_cast<int>(row.attrs.size()), row.attrs.data()), row.rc)
        << row.what;
    if (row.message != 0) {
      EXPECT_TRUE(logged_number(row.message)) << row.what;
    }
  }
  EXPECT_EQ(sys->emitted(), 0);
}

TEST_F(TableTest, BindAlsoWritesTheBoundTableThroughAnAddress) {
  void* t = define_measures();
  void* slot = nullptr;
  wob_attr b[5] = {wob_out(0), wob_out(0, t), wob_text(WOB_A_TEMPLATE, txt("orbo.kestravine.HistogramData")),
                   wob_last(WOB_A_NOT_DEBUG, 1), wob_addr(WOB_A_BINDING_SLOT, &slot)};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 5, b), 0);
  EXPECT_NE(b[0].w.p, nullptr);
  EXPECT_EQ(slot, b[0].w.p);
}

}  // namespace
