#include "plotreq/prob_fixture.h"

#include "driver/kesstmt.h"
#include "fit/kes_estframe.h"
#include "records/kes_plotslot.h"
#include "tmplgraph/kes_stgraph.h"

namespace kes_test {

void prob_fixture::SetUp() {
  fit_fixture::SetUp();
  graphs.clear();
  cells.clear();
  recorder_.emplace();
  current = this;
  stages_.kesstgr = capture;
  stages_.kesgcht = capture;
  ctx->stages = &stages_;
  ctx->tmplgraph = 1;
}

void prob_fixture::TearDown() {
  recorder_.reset();
  current = nullptr;
  fit_fixture::TearDown();
}

void prob_fixture::kind(int type, const char* name) {
  stmt = plot_test::node(name);
  req.stmt = &stmt.s;
  req.type = type;
  req.rankadj = -0.375;
  req.nadj = 0.25;
  request({});
}

void prob_fixture::device(std::vector<double> horizontal, std::vector<double> vertical) {
  horder_ = std::move(horizontal);
  vorder_ = std::move(vertical);
  layout_ = kes_layout{};
  layout_.haxis.norder = static_cast<int>(horder_.size());
  layout_.haxis.order = horder_.data();
  layout_.vaxis.norder = static_cast<int>(vorder_.size());
  layout_.vaxis.order = vorder_.data();
  req.layout = &layout_;
  ctx->tmplgraph = 0;
  ctx->devgraph = 1;
}

void prob_fixture::real_templates() { stages_.kesstgr = kesstgr; }

int prob_fixture::run(int (*driver)(kes_ctx*, int)) {
  note_recorder::clear();
  kes_choose_renderer(ctx);  // as graphics start-up does, for the modes the test set
  return driver(ctx, 1);
}

int prob_fixture::capture(kes_ctx* ctx) {
  prob_fixture* f = current;
  drawn_graph g;
  kes_preq* r = ctx->curreq;
  g.keycell = r->classvars->keycell;
  g.key = *kes_plot_slot(ctx, r, g.keycell);
  if (const kes_curve* c = kes_fit_curve(&g.key); c != nullptr) g.key_curve = *c;
  for (kes_cell* c : f->cells) {
    kes_plotslot* s = kes_plot_slot(ctx, r, c);
    g.cells.push_back(*s);
    const kes_curve* k = kes_fit_curve(s);
    g.curves.push_back(k != nullptr ? *k : kes_curve{});
  }
  g.line_wanted = r->line_wanted;
  if (r->pctl != nullptr) g.pctl.assign(r->pctl, r->pctl + r->npctl);
  f->graphs.push_back(g);
  return 0;
}

}  // namespace kes_test
