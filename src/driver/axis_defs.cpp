// axisprs(ctx, request, slot) -> int: the axis definition named by HAXIS= (slot 19)
// or VAXIS= (slot 62) of a plot statement, for the request's device layout.
//
// Axis definitions are drawn by device graphics only. Without a device layout a
// given HAXIS= says that it has no effect; VAXIS= is then not reached.
#include "driver/kes_ctx.h"
#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "host/host_services.h"

namespace {
constexpr int kNoLayout = 1;
}

int axisprs(kes_ctx*, kes_preq* request, int slot) {
  const kes_stmt* s = request->stmt;
  const char* option = slot == KES_PLOT_SLOT_HAXIS ? "HAXIS=" : "VAXIS=";
  if (request->layout == nullptr) {
    if (kes_pgiven(s, slot)) xpmlog(KES_SET_GRAPH, 188, option);
    return kNoLayout;
  }
  // The stored definitions are read once device graphics exist to draw them.
  if (kes_pgiven(s, slot)) xpmlog(KES_SET_GRAPH, 188, option);
  return 0;
}

int kes_layout_vorder_count(const kes_preq*) { return 0; }
