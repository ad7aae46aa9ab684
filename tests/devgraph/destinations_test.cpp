// The module's side of graph destinations and device start-up, against the stand-in's
// output system: the destination list, the collections, the segment records of each
// destination and their hand-over, the page gaps, and the options a destination asks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "runner/host_table.h"
#include "core/runtime.h"
#include "devgraph/device_services.h"
#include "host/host_services.h"
#include "host/wob.h"
#include "records/kes_layout.h"
#include "support/note_recorder.h"
#include "support/scratch_files.h"

namespace {

// A step with the root object and an output manager, under a graphics mode.
class destinations : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = v_global_gcb_anchor;
    v_global_gcb_anchor = plat::anchor();
    mode_ = plat::config().graphics;
    plat::begin_step();
    pools_ = plat::open_pool_count();
    ASSERT_EQ(xobinit(&objs_, 0), 0);
    wob_attr m[3] = {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "manager", 7), wob_out(WOB_A_HANDLE)};
    ASSERT_EQ(wobmth(objs_.root, nullptr, WOB_M_CREATE, 3, m), 0);
    objs_.manager = m[2].w.p;
    layout_.manager = objs_.manager;
    layout_.root = objs_.root;
    kes_test::note_recorder::clear();
  }
  void TearDown() override {
    plat::finish_step();
    plat::config().graphics = mode_;
    v_global_gcb_anchor = saved_;
  }

  kes_test::note_recorder notes_;
  wob_anchor objs_{};
  kes_layout layout_{};
  int pools_ = 0;

 private:
  host_gcb* saved_ = nullptr;
  plat::run_config::graphics_mode mode_{};
};

// No open destination: note 580/18, 1012, and nothing left behind.
TEST_F(destinations, no_destination_gives_580_18_and_1012) {
  plat::config().graphics = plat::run_config::graphics_mode::none;
  EXPECT_EQ(zqidest(&layout_), 1012);
  EXPECT_EQ(kes_test::note_recorder::keys(), "580/18");
  EXPECT_EQ(layout_.destlist, nullptr);
  EXPECT_EQ(layout_.destpool, nullptr);
  EXPECT_EQ(plat::open_pool_count(), pools_);
}

// One destination: a fresh options record, a collection with the destination's list,
// a segment record put on it, the hand-over, and everything released (twice is safe).
TEST_F(destinations, a_chart_on_one_destination) {
  plat::config().graphics = plat::run_config::graphics_mode::device;
  ASSERT_EQ(zqidest(&layout_), 0) << kes_test::note_recorder::keys();
  ASSERT_NE(layout_.destlist, nullptr);
  ASSERT_EQ(layout_.destlist->count, 1);
  EXPECT_EQ(std::string(layout_.destlist->entries[0].dest->name), "LISTING");
  ASSERT_NE(layout_.gopts, nullptr);
  EXPECT_EQ(layout_.gopts->initialised, 1);
  EXPECT_EQ(layout_.direct, 0);
  EXPECT_EQ(layout_.publish_setup, 1);
  ASSERT_NE(layout_.collection, nullptr);

  // The destination's list, fetched by its name in another case, takes two records.
  layout_.destname = vemtxt("listing", 7);
  layout_.segname = vemtxt("HIST    ", 8);
  layout_.seglabel = vemtxt("Histogram 1", 11);
  std::memcpy(layout_.entry, "GSEG", 4);
  layout_.entry_len = 4;
  ASSERT_EQ(zqsgmt(&layout_), 0) << kes_test::note_recorder::keys();
  host_ggcb* cb = vemggcb(0);
  std::memcpy(cb->pending, "A pending graph name longer than thirty-two", 43);
  cb->pending_len = 43;
  ASSERT_EQ(zqsgmt(&layout_), 0);
  EXPECT_EQ(cb->pending_len, 0);  // a pending name serves one graph
  wob_attr fetch[2] = {wob_text(0, vemtxt("LISTING", 7)), wob_out(0)};
  ASSERT_EQ(wobmth(layout_.collection, nullptr, WOB_M_FETCH, 2, fetch), 0);
  wob_attr n = wob_int(WOB_A_ITEM_COUNT, 0);
  ASSERT_EQ(wobmth(fetch[1].w.p, nullptr, WOB_M_COUNT, 1, &n), 0);
  EXPECT_EQ(n.i, 2);
  wob_attr second[2] = {wob_int(0, 2), wob_ptr(0, WOB_RECORD, nullptr)};
  ASSERT_EQ(wobmth(fetch[1].w.p, nullptr, WOB_M_FETCH, 2, second), 0);
  const auto* rec = static_cast<const host_segrec*>(second[1].w.p);
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(rec->eight, 8);
  EXPECT_EQ(std::string(rec->entry, 4), "GSEG");
  char name[40] = {};
  EXPECT_EQ(vemtget(rec->graph_name, name, 40), 32);
  EXPECT_EQ(std::string(name, 32), "A pending graph name longer than");

  EXPECT_EQ(zqpdest(&layout_), 0) << kes_test::note_recorder::keys();
  EXPECT_EQ(zqdfree(&layout_), 0);
  EXPECT_EQ(zqdfree(&layout_), 0);
  EXPECT_EQ(layout_.collection, nullptr);
  EXPECT_EQ(plat::open_pool_count(), pools_);
  EXPECT_EQ(kes_test::note_recorder::keys(), "");
}

// A refused destination call is reported and fails the chart, never passed as success.
TEST_F(destinations, refused_calls_are_reported) {
  plat::config().graphics = plat::run_config::graphics_mode::device;
  ASSERT_EQ(zqidest(&layout_), 0);
  layout_.destname = vemtxt("NOSUCH", 6);
  layout_.segname = vemtxt("HIST    ", 8);
  EXPECT_EQ(zqsgmt(&layout_), 1012);
  EXPECT_EQ(kes_test::note_recorder::keys(), "580/19");
  // Releasing a list the manager never gave is refused and reported too.
  kes_test::note_recorder::clear();
  host_destlist* real = layout_.destlist;
  host_destlist fake{};
  layout_.destlist = &fake;
  EXPECT_LT(zqdfree(&layout_), 0);
  EXPECT_EQ(kes_test::note_recorder::keys(), "580/19");
  layout_.destlist = real;
  EXPECT_EQ(zqdfree(&layout_), 0);
}

// The page area keeps a gap of one cell from the edges of the graphics area.
TEST(page_gaps, edges_of_the_graphics_area) {
  const double h = 1.125, v = 2.5, nan = std::numeric_limits<double>::quiet_NaN();
  struct row {
    double in[4], out[4];
  };
  const row rows[] = {
      {{0, 0, 100, 100}, {h, v, 100 - h, 100}},       // every edge: the top is kept
      {{0, 0, 100, 88.75}, {h, v, 100 - h, 88.75 - v}},  // below titles
      {{5, 10, 95, 100}, {5, 10 + v, 95, 100}},
      {{5, 10, 95, 80}, {5, 10 + v, 95, 80 - v}},
  };
  for (const row& r : rows) {
    double a[4] = {r.in[0], r.in[1], r.in[2], r.in[3]};
    kes_page_gaps(a, h, v);
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(a[i], r.out[i]) << r.in[3] << " " << i;
  }
  double a[4] = {nan, 0, nan, nan};
  kes_page_gaps(a, h, v);
  EXPECT_TRUE(std::isnan(a[0]) && std::isnan(a[2]));  // a NaN bound is no edge
  EXPECT_DOUBLE_EQ(a[1], v);
}

// What a destination asks of the options record.
TEST(dest_options, sizes_description_and_words) {
  gdevopts o{};
  std::memset(o.device, ' ', 8);
  o.flags = GOPT_OPTION_C | GOPT_PUBLISH;
  char name[] = "PRINTER";
  host_dest d{};
  d.device = "svg";
  d.device_len = 3;
  d.name = name;
  d.name_len = 7;
  d.descr = "For print";
  d.descr_len = 9;
  d.option_a = 0;
  d.option_b = 1;
  d.option_c = 0;
  d.word_d = 42;
  d.size[0] = 800;
  d.size[1] = 0;  // not taken
  kes_dest_options(&o, &d);
  EXPECT_EQ(std::string(o.device, 8), "svg     ");
  EXPECT_EQ(o.size[0], 800);
  EXPECT_EQ(o.sizeflags, GOPT_WIDTH_GIVEN);
  EXPECT_EQ(std::string(o.descr, static_cast<std::size_t>(o.descr_len)), "For print");
  EXPECT_EQ(o.word_a, 1);
  EXPECT_EQ(o.word_b, 0);
  EXPECT_EQ(o.word_d, 42);
  EXPECT_EQ(o.flags, GOPT_PUBLISH);  // option C 0 clears its bit only
}

}  // namespace

#include "kes_gram_names.h"
#include "records/kes_ctx.h"
#include "support/stmt_node.h"

namespace {

int g_close_result = 0;
int refuse_close(int, void** closed, int) {
  *closed = nullptr;
  return g_close_result;
}

// One page of a request on the device: NAME= and DESCRIPTION= name and title it; a
// page that cannot be closed is reported and not put on the destination's list.
TEST_F(destinations, a_page_that_cannot_be_closed_is_not_published) {
  plat::config().graphics = plat::run_config::graphics_mode::device;
  kes_test::scratch_dir graphs("pages");
  const std::string saved_dir = plat::config().graphs_dir;
  plat::config().graphs_dir = graphs.path().string();
  kes_test::stmt_node n("HISTOGRA");
  n.text(KES_PLOT_SLOT_NAME, "Height").text(KES_PLOT_SLOT_DESCRIPTION, "Spread of #VARNAME.");
  kes_preq req{};
  req.type = 2;
  req.stmt = n.node();
  req.layout = &layout_;
  kes_name32 names[1] = {{6, "weight"}};
  kes_ctx ctx{};
  ctx.objs = objs_;
  ctx.preqs = &req;
  ctx.curreq = &req;
  ctx.nplots = 1;
  ctx.varnames = names;
  ctx.curname = names[0];
  ASSERT_EQ(zqidest(&layout_), 0);
  ASSERT_EQ(kesgini(&ctx), 0) << kes_test::note_recorder::keys();
  EXPECT_EQ(std::string(layout_.entry, 4), "GSEG");
  EXPECT_EQ(ctx.devstarted, 1);

  const auto& svc = kes_host::services[kes_host::svc_ggcseg];
  g_close_result = 1;
  host_routine old = plat::replace_service(svc.vector, svc.slot, reinterpret_cast<host_routine>(refuse_close));
  EXPECT_EQ(kes_device_page(&ctx, &layout_), 0);
  plat::replace_service(svc.vector, svc.slot, old);
  EXPECT_EQ(kes_test::note_recorder::keys(), "432/350");
  auto items = [&] {
    wob_attr fetch[2] = {wob_text(0, layout_.destname), wob_out(0)};
    EXPECT_EQ(wobmth(layout_.collection, nullptr, WOB_M_FETCH, 2, fetch), 0);
    wob_attr c = wob_int(WOB_A_ITEM_COUNT, 0);
    EXPECT_EQ(wobmth(fetch[1].w.p, nullptr, WOB_M_COUNT, 1, &c), 0);
    return c.i;
  };
  EXPECT_EQ(items(), 0);

  kes_test::note_recorder::clear();
  EXPECT_EQ(kes_device_page(&ctx, &layout_), 0);
  EXPECT_EQ(kes_test::note_recorder::keys(), "");
  EXPECT_EQ(items(), 1);
  const std::string doc = kes_test::slurp(graphs / "Height.svg");
  EXPECT_NE(doc.find("<title>Spread of weight</title>"), std::string::npos) << doc;
  EXPECT_EQ(zqdfree(&layout_), 0);
  plat::config().graphs_dir = saved_dir;
}

}  // namespace
