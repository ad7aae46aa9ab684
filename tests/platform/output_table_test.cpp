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

class TableTest : public json_system_fixture {
 protected:
  void SetUp() override {
    json_system_fixture::SetUp();
    mgr = make_manager();
    small.define(mgr);
  }
  void* bind(void* t, const char* tmpl) {
    wob_attr b[3] = {wob_out(0), wob_out(0, t), wob_text(WOB_A_TEMPLATE, txt(tmpl))};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 3, b), 0);
    return b[0].w.p;
  }
  int emit(void* bound) {
    wob_attr e[1] = {wob_out(0, bound)};
    return wobmth(mgr, nullptr, WOB_M_EMIT, 1, e);
  }
  bool logged_number(int n) const {
    for (const auto& e : log_entries())
      if (e.number == n) return true;
    return false;
  }

  void* mgr = nullptr;
  small_table small;
  double num = 0;
  char text[8];
};

// Rows copied as they are added, table labels read back and a column's presentation
// reset after the definition are in every example program's listing and JSON; here
// what a run does not do: ask for a column or attribute the table does not have.
TEST_F(TableTest, UnknownColumnOrAttributeIsRefused) {
  void* t = small.table;
  wob_attr bad[1] = {wob_text(WOB_A_COLUMN_NAME, txt("NoSuchColumn"))};
  EXPECT_EQ(wobmth(t, nullptr, WOB_M_COLUMN_ATTRS, 1, bad), plat::out::kErrAttribute);
  EXPECT_TRUE(logged_number(msg::kNoColumn));
  wob_attr a[1] = {wob_int(999, 0)};
  EXPECT_EQ(wobgetattr(t, 1, a), plat::out::kErrAttribute);
  EXPECT_TRUE(logged_number(msg::kNoReadBack));
}

TEST_F(TableTest, CallsOutOfOrderFailWithAMessage) {
  void* t = small.table;
  // No binding yet.
  EXPECT_EQ(wobmth(t, nullptr, WOB_M_ADD_ROW, 0, nullptr), plat::out::kErrOrder);
  EXPECT_TRUE(logged_number(msg::kNotBound));
  // A column after the end of the definition.
  wob_attr late[4] = {wob_int(WOB_A_COLUMN_TYPE, 5), wob_text(WOB_A_NAME, txt("Late")), wob_addr(WOB_A_CELL, &num),
                      wob_int(WOB_A_WIDTH, 8)};
  EXPECT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 4, late), plat::out::kErrOrder);
  EXPECT_TRUE(logged_number(msg::kColumnLate));
  // Rows after their end, and a second emit.
  void* b = bind(t, "orbo.kestravine.Small");
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_ADD_ROW, 0, nullptr), 0);
  wob_attr done[1] = {wob_int(WOB_A_ROWS_DONE, 1)};
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_END_ROWS, 1, done), 0);
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
  wob_attr ok[3] = {wob_int(WOB_A_COLUMN_TYPE, 5), wob_text(WOB_A_NAME, txt("A")), wob_addr(WOB_A_CELL, &num)};
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
       {wob_int(WOB_A_COLUMN_TYPE, 6), wob_text(WOB_A_NAME, txt("C")), wob_addr(WOB_A_CELL, text)},
       kErrAttribute,
       msg::kCharWidth},
      {"a column type not known",
       t,
       WOB_M_DEFINE_COLUMN,
       {wob_int(WOB_A_COLUMN_TYPE, 7), wob_text(WOB_A_NAME, txt("D")), wob_addr(WOB_A_CELL, &num)},
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
       {wob_int(WOB_A_COLUMN_TYPE, 5), wob_int(WOB_A_NAME, 4), wob_addr(WOB_A_CELL, &num)},
       kErrAttribute,
       msg::kType},
      {"a text handle not known",
       t,
       WOB_M_DEFINE_COLUMN,
       {wob_int(WOB_A_COLUMN_TYPE, 5), wob_text(WOB_A_NAME, &not_a_text), wob_addr(WOB_A_CELL, &num)},
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
  void* t = small.table;
  void* slot = nullptr;
  wob_attr b[5] = {wob_out(0), wob_out(0, t), wob_text(WOB_A_TEMPLATE, txt("orbo.kestravine.HistogramData")),
                   wob_last(WOB_A_NOT_DEBUG, 1), wob_addr(WOB_A_BINDING_SLOT, &slot)};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 5, b), 0);
  EXPECT_NE(b[0].w.p, nullptr);
  EXPECT_EQ(slot, b[0].w.p);
}

}  // namespace
