// Axis definitions: AXIS statements encoded into catalog members by the stand-in and
// read back into the axis records of a device layout; malformed members refused with
// their messages, never read past their ends.
#include <cstring>

#include "driver/plot_test_support.h"
#include "graph/graph_catalog.h"
#include "records/kes_layout.h"
#include "runner/axis_statement.h"

namespace {

using namespace plot_test;

class axis_defs : public plot_checks {
 protected:
  kes_layout layout{};
  void SetUp() override {
    plot_checks::SetUp();
    plat::catalog_clear();
  }
  void define(int n, const std::string& options) {
    std::vector<std::string> records;
    ASSERT_EQ(plat::encode_axis(options, &records), "") << options;
    plat::catalog_put("AXI" + std::to_string(n), records);
  }
  // Reads HAXIS= or VAXIS= naming AXISn for a statement of the given type.
  int read(node& n, int type, int slot, const char* name) {
    n.name(slot, name);
    req = kes_preq{};
    req.layout = &layout;
    req.stmt = &n.s;
    req.type = type;
    logged.clear();
    return axisprs(&ctx, &req, slot);
  }
  std::vector<double> order(const kes_axis& a) { return std::vector<double>(a.order, a.order + a.norder); }
};

TEST_F(axis_defs, order_values_are_stored_and_checked) {
  define(1, "order=(0 to 100 by 10) color=red width=3 length=12 cm");
  node h("HISTOGRA");
  ASSERT_EQ(read(h, KES_PLOT_HISTOGRAM, KES_PLOT_SLOT_VAXIS_NAME, "axis1"), 0) << messages();
  const kes_axis& v = layout.vaxis;
  EXPECT_EQ(v.norder, 11);
  EXPECT_EQ(order(v).back(), 100);
  EXPECT_EQ(v.order[3], 30);
  EXPECT_EQ(std::string(v.color, 8), "RED     ");
  EXPECT_EQ(v.width, 3);
  EXPECT_DOUBLE_EQ(v.length, 12 * 100.0 / 15.0);  // 15 cm of vertical graphics area
  EXPECT_EQ(v.length_unit, 4);

  struct row {
    const char* order;
    int result;
    const char* message;
  };
  const row rows[] = {{"0 10 25", 3000, "435/198"}, {"5", 3000, "435/196"}, {"10 5 0", 3000, "435/197"},
                      {"(1, 2, 3)", 0, ""}};
  for (const row& r : rows) {
    define(2, std::string("order=") + r.order);
    node q("HISTOGRA");
    EXPECT_EQ(read(q, KES_PLOT_HISTOGRAM, KES_PLOT_SLOT_VAXIS_NAME, "AXIS2"), r.result) << r.order;
    EXPECT_EQ(messages(), r.message) << r.order;
  }
}

// ORDER= present but not read: bins on the statement, or a percentile axis. The
// bin checks then see the definition's ORDER= without any value.
TEST_F(axis_defs, order_present_but_not_read) {
  define(3, "order=0 to 50 by 10");
  node h("HISTOGRA");
  h.list(KES_PLOT_SLOT_MIDPOINTS, {0, 5, 10}, 3);
  ASSERT_EQ(read(h, KES_PLOT_HISTOGRAM, KES_PLOT_SLOT_HAXIS, "axis3"), 0);
  EXPECT_EQ(layout.haxis.order_present, 1);
  EXPECT_EQ(layout.haxis.norder, 0);
  EXPECT_EQ(layout.haxis.order, nullptr);
  int code = -1;
  req.bincode = &code;
  logged.clear();
  EXPECT_EQ(kesmchk(&ctx, &req), 0);
  EXPECT_EQ(messages(), "189/318 308/495");
  EXPECT_EQ(code, KES_BINS_EXPLICIT);

  layout = kes_layout{};
  node p("PROBPLOT");
  ASSERT_EQ(read(p, KES_PLOT_PROB, KES_PLOT_SLOT_HAXIS, "axis3"), 0);
  EXPECT_EQ(messages(), "189/315");
  EXPECT_EQ(layout.haxis.norder, 0);

  // Without bins on the statement the ORDER= values become the bins.
  layout = kes_layout{};
  node e("HISTOGRA");
  e.num(KES_PLOT_SLOT_ENDPOINTS, 1);
  ASSERT_EQ(read(e, KES_PLOT_HISTOGRAM, KES_PLOT_SLOT_HAXIS, "axis3"), 0);
  req.bincode = &code;
  logged.clear();
  EXPECT_EQ(kesmchk(&ctx, &req), 0);
  EXPECT_EQ(messages(), "189/319");
  EXPECT_EQ(code, KES_BINS_EXPLICIT);
  EXPECT_EQ(req.explicit_bins, 1);
  EXPECT_EQ(layout.haxis.norder, 6);
}

TEST_F(axis_defs, label_lines_and_value_texts) {
  define(4, "label=(j=l 'First' j=r h=2 pct 'Second') value=(t=1 'a' t=3 'c' c=blue) major=(n=5 w=2 h=1 cells)");
  node h("HISTOGRA");
  ASSERT_EQ(read(h, KES_PLOT_HISTOGRAM, KES_PLOT_SLOT_HAXIS, "AXIS4"), 0) << messages();
  EXPECT_EQ(messages(), "435/206");
  const kes_axis& a = layout.haxis;
  ASSERT_NE(a.label_lines, nullptr);
  ASSERT_NE(a.label_lines->next, nullptr);
  EXPECT_EQ(a.label_lines->next->next, nullptr);
  EXPECT_EQ(a.label_lines->just, 1);
  EXPECT_EQ(a.label_lines->next->just, 2);
  EXPECT_EQ(std::string(a.label_lines->first->text, a.label_lines->first->length), "First");
  EXPECT_EQ(a.label_lines->first->next, nullptr);  // the empty trailing record is dropped
  EXPECT_EQ(std::string(a.label_lines->next->first->text), "Second");
  EXPECT_FLOAT_EQ(a.label_lines->next->first->height, 2.0f);
  EXPECT_EQ(a.label_just, 1);
  EXPECT_EQ(a.label_given, 1);
  EXPECT_EQ(a.label_text, 1);
  EXPECT_EQ(a.max_tick, 3);
  ASSERT_NE(a.tick_texts, nullptr);
  EXPECT_EQ(std::string(a.tick_texts[0]->first->text), "a");
  EXPECT_EQ(a.tick_texts[1], nullptr);
  EXPECT_EQ(std::string(a.tick_texts[2]->first->text), "c");
  EXPECT_EQ(a.major_count, 5);
  EXPECT_EQ(a.major_width, 2);
  EXPECT_DOUBLE_EQ(a.major_len, 100.0 / 30.0);  // one cell of the other (vertical) axis
  EXPECT_EQ(a.value_orient, 3);
}

// Members whose records are damaged: each refused with its message and status.
TEST_F(axis_defs, malformed_members_are_refused) {
  std::vector<std::string> good;
  ASSERT_EQ(plat::encode_axis("value=('x')", &good), "");
  auto with_values = [&](const std::string& stream) {
    std::vector<std::string> r = good;
    const std::int16_t len = static_cast<std::int16_t>(stream.size());
    std::memcpy(&r[0][108], &len, 2);
    r[1] = stream;
    return r;
  };
  const double angle = 45;
  std::string a_item = "A" + std::string(reinterpret_cast<const char*>(&angle), 8);
  struct row {
    const char* what;
    std::vector<std::string> records;
    int result;
    const char* messages;
  };
  const row rows[] = {
      {"a code 0", with_values(std::string("Q\1x\0", 4)), 4, "435/192"},
      {"an unknown code", with_values("Z"), 4, "435/193"},
      {"an item cut short", with_values(a_item.substr(0, 4)), 4, "435/192"},
      {"a text running past the end", with_values("Q\x20" "abc"), 4, "435/192"},
      {"tick number 0", with_values(std::string("T\0\0Qx", 5)), 4, "435/193"},
      {"a header longer than its buffer", {std::string(200, '\0')}, 1020, "435/190"},
      {"a stream shorter than its header says", {good[0], ""}, 1020, "435/203"},
      {"no records", {}, 1020, "435/190"},
  };
  for (const row& r : rows) {
    plat::catalog_put("AXI9", r.records);
    layout = kes_layout{};
    node h("HISTOGRA");
    EXPECT_EQ(read(h, KES_PLOT_HISTOGRAM, KES_PLOT_SLOT_HAXIS, "AXIS9"), r.result) << r.what;
    EXPECT_EQ(messages(), r.messages) << r.what;
  }
  // A definition no AXIS statement made, and a name without a number.
  node h("HISTOGRA");
  EXPECT_EQ(read(h, KES_PLOT_HISTOGRAM, KES_PLOT_SLOT_HAXIS, "AXIS77"), 1020);
  EXPECT_EQ(messages(), "435/190");
  EXPECT_EQ(read(h, KES_PLOT_HISTOGRAM, KES_PLOT_SLOT_HAXIS, "AXIS"), 1020);
}

// AXIS statements the stand-in refuses, naming what is wrong, are the example programs
// plot_axes and axis_refusals; a quote left open cannot reach the encoder from a
// program, whose statements end only outside quotes.
TEST(axis_statement, open_quote_is_refused) {
  std::vector<std::string> records;
  EXPECT_EQ(plat::encode_axis("label='open", &records), "a quoted text is not closed");
}

}  // namespace
