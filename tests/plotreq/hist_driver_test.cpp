// The histogram driver (keshini) around its renderer: a graph that does not fit its
// page (2000, 108) still leaves the request's tables to write and its status is
// returned; a failure that ends the step (1016, 1020) stops the request, and out of
// memory is said to have cost the graph.
#include <string>

#include "driver/kesstmt.h"
#include "hist_fixture.h"
#include "host/host_services.h"
#include "plotreq/plot_requests.h"
#include "records/kes_stages.h"

namespace {

using hist_test::hist_fixture;

int g_render = 0;
int render(kes_ctx*) { return g_render; }

TEST_F(hist_fixture, reports_follow_a_graph_that_did_not_fit) {
  const std::string listing = plat::config().listing_path;
  plat::config().listing_path = "/dev/null";
  ASSERT_GE(xobinit(&ctx.objs, 0), 0);
  wob_attr mgr[3] = {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "manager", 7), wob_out(WOB_A_HANDLE)};
  ASSERT_GE(wobmth(ctx.objs.root, nullptr, WOB_M_CREATE, 3, mgr), 0);
  ctx.objs.manager = mgr[2].w.p;
  kes_stages stages{};
  stages.kesgcht = render;
  ctx.stages = &stages;
  ctx.devgraph = 1;
  kes_choose_renderer(&ctx);
  stmt.flag(KES_PLOT_FLAG_MIDPERCENTS);
  struct row {
    int status;
    bool tables;
  };
  for (const row& r : {row{0, true}, row{2000, true}, row{108, true}, row{1016, false}, row{1020, false}}) {
    cv = kes_classvars{};
    g_render = r.status;
    kes_cell* c = cell({1, 2, 3});
    ASSERT_EQ(kesmerg(&ctx), 0);
    EXPECT_EQ(keshini(&ctx, 1), r.status);
    EXPECT_EQ(slot(c)->bins_shown, r.tables) << r.status;
  }
  // The renderer ran: no note that graphs are not drawn yet; the one that ran out of
  // memory says its graph is not drawn.
  EXPECT_EQ(messages(), "431/2550");
  plat::config().listing_path = listing;
}

}  // namespace
