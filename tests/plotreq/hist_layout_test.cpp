// The layout of a histogram request (kescmh4) after its common bins: the cells where
// no distribution is fitted and the vertical axis from VAXIS= values or a nice scale.
// (The no-data, FILL and HANG notes are in examples/hist_notes.)
#include "hist_fixture.h"
#include "plotreq/plot_requests.h"

namespace {

using hist_test::hist_fixture;
using kes_test::note_recorder;

constexpr int kNormal = 0;

// A cell whose values are all equal (or that has none) gets no parametric curve: its
// note names the cell by the CLASS variables there are.
TEST_F(hist_fixture, cells_where_no_distribution_is_fitted) {
  struct row {
    int nclass;
    const char* notes;
  };
  for (const row& r : {row{0, "308/1410"}, row{1, "308/1406 308/1406"}, row{2, "308/1407 308/1407"}}) {
    cv = kes_classvars{};
    cv.count = r.nclass;
    req.ncurves = req.ncurves_dist[kNormal] = 1;
    kes_cell* lvl = r.nclass == 2 ? cell({}) : nullptr;
    kes_cell* flat = cell({3, 3, 3}, 0, lvl);
    kes_cell* none = r.nclass > 0 ? cell({}, 1, lvl) : nullptr;
    kes_cell* spread = r.nclass > 0 ? cell({1, 2, 5}, 0, lvl) : nullptr;
    ASSERT_EQ(kesmerg(&ctx), 0);
    note_recorder::clear();
    ASSERT_EQ(kescmh4(&ctx), 0);
    EXPECT_EQ(messages(), r.notes) << r.nclass;
    EXPECT_EQ(flat->hist_empty, 1);
    if (none != nullptr) {
      EXPECT_EQ(none->hist_empty, 1);
    }
    if (spread != nullptr) {
      EXPECT_EQ(spread->hist_empty, 0);
    }
  }
}

// The vertical axis: VAXIS= values that cover the bars and begin at 0, else the nice
// scale over 0 to the tallest bar (count scale here).
TEST_F(hist_fixture, vertical_axis) {
  struct row {
    std::vector<double> vaxis;
    const char* notes;
    double vmin, vmax, vstep;
    int vticks;
  };
  const row rows[] = {
      {{0, 10, 20, 30, 40, 50}, "308/389 308/238", 0, 60, 10, 7},
      {{-10, 0, 10, 20, 30, 40, 50, 60, 70}, "439/239 308/238", 0, 60, 10, 7},
      {{0, 20, 40, 60, 80, 100}, "", 0, 100, 20, 6},
      {{}, "", 0, 60, 10, 7},
  };
  for (const row& r : rows) {
    plot_test::node n("HISTOGRA");
    if (!r.vaxis.empty()) n.list(KES_PLOT_SLOT_VAXIS, r.vaxis);
    req.stmt = &n.s;
    req.nvvalues = static_cast<int>(r.vaxis.size());
    req.vscale = 1;
    cv = kes_classvars{};
    cell({1, 2}, 0, nullptr, {60, 5});
    ASSERT_EQ(kesmerg(&ctx), 0);
    note_recorder::clear();
    ASSERT_EQ(kescmh4(&ctx), 0);
    EXPECT_EQ(messages(), r.notes) << r.vaxis.size();
    EXPECT_DOUBLE_EQ(key()->vmin, r.vmin) << r.vaxis.size();
    EXPECT_DOUBLE_EQ(key()->vmax, r.vmax) << r.vaxis.size();
    EXPECT_DOUBLE_EQ(key()->vstep, r.vstep) << r.vaxis.size();
    EXPECT_EQ(key()->vticks, r.vticks) << r.vaxis.size();
  }
  req.stmt = &stmt.s;
}

}  // namespace
