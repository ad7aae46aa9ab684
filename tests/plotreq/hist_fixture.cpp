#include "hist_fixture.h"

#include <cmath>

namespace hist_test {

void hist_fixture::SetUp() {
  hand_request::SetUp();
  ctx.nvars = 1;
  ctx.varnums = varnums;
  ctx.nplots = ctx.nhist = ctx.nplotslots = 1;
  ctx.preqs = &req;
  req.bincode = bincode;
  req.total = total;
}

kes_cell* hist_fixture::cell(const std::vector<double>& values, double nmissing, kes_cell* lvl,
                             const std::vector<int>& counts) {
  kes_cell* c = made.cell(cv, "c" + std::to_string(++ncells_), lvl);
  c->key = {};
  c->slots = &slots_.emplace_back();
  // Cells are listed in the order they are made; the first leaf is the key cell.
  const bool is_level = cv.count == 2 && lvl == nullptr;
  if (cv.keycell == nullptr && !is_level) cv.keycell = c;
  if (is_level) return c;
  c->varsums = made.summary(values, counts);
  c->varsums->pass_total += nmissing;
  return c;
}

std::vector<int> hist_fixture::counts(kes_cell* c) {
  const kes_plotslot* s = slot(c);
  std::vector<int> out;
  for (int i = 0; i < s->nbins; ++i) out.push_back(s->scale > 0 ? static_cast<int>(std::lround(s->heights[i] / s->scale)) : 0);
  return out;
}

}  // namespace hist_test
