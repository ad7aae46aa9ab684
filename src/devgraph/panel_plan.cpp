// kes_panel_plan: the comparative panels of one chart, page by page.
#include "devgraph/panel_plan.h"

#include <algorithm>

namespace {

kes_panel blank() {
  kes_panel p{};
  p.cell = p.row = p.col = p.vslot = p.hslot = p.top_label = p.side_label = -1;
  for (auto& e : p.edge) e = 1;
  return p;
}

void set_cols(kes_panel* p, bool left, bool right) {
  p->edge[KES_EDGE_LEFT_LABEL] = p->edge[KES_EDGE_LEFT_TICKS] = left;
  p->edge[KES_EDGE_RIGHT_LABEL] = p->edge[KES_EDGE_RIGHT_TICKS] = right;
}

// One CLASS variable: a column of nr panels, else a row of nc, else a page each.
void one_variable(int n, int nr, int nc, std::vector<kes_panel>* out) {
  const int per = nr >= 2 ? nr : nc >= 2 ? nc : 1;
  for (int i = 0; i < n; ++i) {
    kes_panel p = blank();
    const int pos = i % per;
    p.page = i / per;
    p.opens = pos == 0;
    p.closes = i == n - 1 || (i + 1) % per == 0;
    p.cell = p.row = p.side_label = i;
    if (nr >= 2) {
      p.vslot = nr - pos - 1;
      p.edge[KES_EDGE_TOP] = pos == 0;
      p.edge[KES_EDGE_BOTTOM] = p.closes;
    } else if (nc >= 2) {
      p.hslot = pos;
      set_cols(&p, pos == 0, p.closes);
    }
    out->push_back(p);
  }
}

// Two CLASS variables: row blocks of nr first-variable levels by column blocks of nc
// second-variable levels; every position of a block is planned, those beyond the last
// level with no cell, so that a page keeps its grid.
void two_variables(int l1, int l2, int nr, int nc, std::vector<kes_panel>* out) {
  const int rows = nr > 1 ? nr : 1, cols = nc > 1 ? nc : 1;
  int page = 0;
  for (int r0 = 0; r0 < l1; r0 += rows)
    for (int c0 = 0; c0 < l2; c0 += cols, ++page) {
      const std::size_t first = out->size();
      for (int r = r0; r < r0 + rows; ++r)
        for (int c = c0; c < c0 + cols; ++c) {
          kes_panel p = blank();
          p.page = page;
          p.row = r;
          p.col = c;
          if (nr >= 2) {
            const int pos = r % nr;
            p.vslot = nr - pos - 1;
            p.edge[KES_EDGE_TOP] = pos == 0;
            p.edge[KES_EDGE_BOTTOM] = r == l1 - 1 || (r + 1) % nr == 0;
          }
          if (nc >= 2) {
            const int pos = c % nc;
            p.hslot = pos;
            set_cols(&p, pos == 0, c == l2 - 1 || (c + 1) % nc == 0);
          }
          if (r == r0 && c < l2) p.top_label = c;
          if (c == c0 && r < l1) p.side_label = r;
          if (r < l1 && c < l2) p.cell = r * l2 + c;
          out->push_back(p);
        }
      (*out)[first].opens = true;
      out->back().closes = true;
    }
}

}  // namespace

std::vector<kes_panel> kes_panel_plan(int nclass, int l1, int l2, int nr, int nc) {
  std::vector<kes_panel> out;
  if (l1 <= 0 || (nclass == 2 && l2 <= 0)) return out;
  if (nclass == 2) two_variables(l1, l2, nr, nc, &out);
  else one_variable(l1, nr, nc, &out);
  return out;
}

int kes_drawn_columns(int nclass, int l1, int l2, int nr, int nc) {
  if (nclass == 1 && nr < 2 && nc >= 2) return std::max(1, std::min(nc, l1));
  if (nclass == 2 && nc >= 2) return std::max(1, std::min(nc, l2));
  return 1;
}
