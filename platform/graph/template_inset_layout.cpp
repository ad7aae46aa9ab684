// Where the inset boxes of a template graph's cells stand (template_inset_layout.h).
#include "graph/template_inset_layout.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "host/template_dynamics.h"

namespace plat::graph {
namespace {

// Passes over a graph's cells over the run, read only by the tests that bound them
// (inset_layout_passes). The count is the run's: those tests run whole programs and
// reach no layout, and a layout keeps nothing past the call that makes it. Atomic, as
// graphs may be drawn on several threads.
std::atomic<long> g_passes{0};

// What one pass over the cells found: the page, each slot's boxes as they would stand
// inside its frame, how many do, and whether a box at the top of a cell does not.
struct pass {
  page_frame page;
  std::vector<std::vector<placed_inset>> slots;
  std::vector<std::vector<inset_box>> notes;  // each slot's note boxes beside its frame
  int inside = 0;
  bool top_beside = false;
};

box_side side_of(const inset_box& b) {
  if (b.valign == "BOTTOM") return box_side::below;
  if (b.valign == "CENTER" && b.halign == "LEFT") return box_side::left;
  if (b.valign == "CENTER" && b.halign == "RIGHT") return box_side::right;
  return box_side::above;
}

// The boxes beside one side of a frame w x h px, `off` px of axis values between the
// frame and them: above and below in lines along the frame (a box meeting one of a
// line goes to the next line out), left and right in columns of boxes stacked down the
// frame's height, centred on it. Their places go into `boxes` (from the frame's
// corner); the result is the band they need.
double stand_beside(std::vector<planned_box*>& boxes, box_side side, double w, double h, double off) {
  if (boxes.empty()) return 0;
  const bool along = side == box_side::above || side == box_side::below;
  // Each box's line (or column), and the lines' depths out from the frame.
  std::vector<double> depth;
  std::vector<std::vector<planned_box*>> groups;
  for (planned_box* b : boxes) {
    const placed_inset& q = b->placed;
    std::size_t k = 0;
    if (along) {
      for (; k < groups.size(); ++k)
        if (std::none_of(groups[k].begin(), groups[k].end(), [&](const planned_box* o) {
              return q.x < o->placed.x + o->placed.w + kEdge && o->placed.x < q.x + q.w + kEdge;
            }))
          break;
    } else {
      // A column takes boxes down the frame's height; the next box starts a new one.
      k = groups.empty() ? 0 : groups.size() - 1;
      double used = 0;
      if (!groups.empty())
        for (const planned_box* o : groups[k]) used += o->placed.h + kEdge;
      if (!groups.empty() && used + q.h > h) k = groups.size();
    }
    if (k == groups.size()) groups.emplace_back(), depth.push_back(0);
    groups[k].push_back(b);
    depth[k] = std::max(depth[k], along ? q.h : q.w);
  }
  double out = off + kEdge;  // from the frame's edge to the line's near side
  for (std::size_t k = 0; k < groups.size(); ++k) {
    double stacked = -kEdge;
    for (const planned_box* o : groups[k]) stacked += o->placed.h + kEdge;
    double down = (h - stacked) / 2;
    for (planned_box* o : groups[k]) {
      placed_inset& q = o->placed;
      switch (side) {
        case box_side::above: q.y = -out - q.h; break;
        case box_side::below: q.y = h + out; break;
        case box_side::left: q.x = -out - q.w; break;
        case box_side::right: q.x = w + out; break;
        case box_side::inside: break;
      }
      if (!along) q.y = down, down += q.h + kEdge;
    }
    out += depth[k] + kEdge;
  }
  return out;
}

// A box fitted to stand beside a frame: above or below it in half the frame's height
// (a long box sets its rows in columns rather than double the cell), else in all of
// it, else in twice it; beside it in half the frame's width or the width its labels
// need where the frame is as wide (half a narrow frame cut them to a letter), else in
// all of it. The first room that keeps every row, else the last.
inset_box fit_beside(const inset_box& given, box_side side, const frame& f) {
  const bool along = side == box_side::above || side == box_side::below;
  const double rooms[] = {0.5, 1, 2};
  const double need = along ? 0 : std::min(inset_box_width(given), f.w);
  inset_box b;
  for (double k : rooms) {
    if (!along && k > 1) break;
    b = fit_inset_box(given, along ? f.w : std::max(f.w * k, need), along ? f.h * k : f.h);
    if (b.left_out == 0) break;
  }
  return b;
}

}  // namespace

bool rise_scale(const scale& base, int k, const axis_rise& rule, scale* out) {
  *out = base;
  if (k <= 0) return true;
  const std::vector<double>& t = base.ticks;
  if (t.size() < 2) return false;
  const double step = t[1] - t[0];
  const double hi = base.hi + k * step, length = hi - base.lo;
  if (!(step > 0) || !std::isfinite(step) || !std::isfinite(hi) || !std::isfinite(length) ||
      !(hi <= rule.end) || !(rule.data_hi - rule.data_lo >= length * 2 / 3))
    return false;
  // Whole multiples of the step, a step of 1/n as m/n: 0.05 steps give 0.35, not a
  // sum's 0.35000000000000003.
  const double inverse = std::round(1 / step);
  const bool fraction = step < 1 && std::fabs(inverse * step - 1) < 1e-9;
  const double last = std::round(t.back() / step);
  if (!std::isfinite(last)) return false;
  for (int j = 1; j <= k + 1; ++j) {
    const double v = fraction ? (last + j) / inverse : (last + j) * step;
    if (!(v <= hi + 1e-9 * step)) break;
    out->ticks.push_back(v);
  }
  out->hi = hi;
  return true;
}

axis_sides outer_axes(const panel_grid& grid, std::size_t slot) {
  const int row = static_cast<int>(slot) / grid.ncols, col = static_cast<int>(slot) % grid.ncols;
  int lowest = -1;
  for (int r = 0; r < grid.nrows; ++r)
    if (grid.drawn(static_cast<std::size_t>(r * grid.ncols + col))) lowest = r;
  axis_sides s;
  s.below = row == lowest;
  s.left = col == 0;
  return s;
}

std::vector<cell_plan> plan_insets(const out::graph_panel& p, panel_grid* grid, const std::vector<class_key>& keys,
                                   const std::function<page_frame(canvas&)>& lay_out,
                                   const std::function<frame(const frame&)>& ranged, const cell_drawer& draw,
                                   const axis_rise& rise, const slot_axes& axes, bool notes) {
  // One plan a slot of the page: a graph of many pages keeps none for the cells of
  // the others.
  std::vector<cell_plan> plans(grid->index.size());
  grid->bands = cell_bands{};
  // A panel without boxes in its cells is drawn once, however many points it has.
  // Overlaid cells may note groups they do not draw, other cells values they leave out.
  const bool any = notes || p.flag(KES_DYN_OVERLAY) || std::any_of(grid->index.begin(), grid->index.end(), [&](int index) {
    return index >= 0 && !cell_inset_boxes(p, keys[static_cast<std::size_t>(index)]).empty();
  });
  if (!any) return plans;
  const auto measure = [&] {
    ++g_passes;
    pass at;
    no_canvas nothing;
    at.page = lay_out(nothing);
    at.slots.resize(at.page.cells.size());
    at.notes.resize(at.page.cells.size());
    for (std::size_t i = 0; i < at.page.cells.size(); ++i) {
      const int index = grid->index[i];
      if (index < 0 || !grid->drawn(i)) continue;
      const frame f = ranged(at.page.cells[i]);
      cell_ink ink;
      ink.note = cell_ink::note_at::decide;
      draw(nothing, f, index, &ink);
      const std::vector<inset_box> boxes = cell_inset_boxes(p, keys[static_cast<std::size_t>(index)]);
      at.slots[i] = place_plot_insets(f, boxes, ink, true);
      // A note that would cover data stands beside the frame after the cell's boxes.
      for (const inset_box& b : ink.notes) {
        placed_inset q{b};
        q.beside = true;
        q.number = static_cast<int>(boxes.size() + at.notes[i].size());
        at.slots[i].push_back(q);
        at.notes[i].push_back(b);
      }
      for (const placed_inset& q : at.slots[i]) {
        if (!q.beside && q.w > 0) ++at.inside;
        if (q.beside && q.box.valign == "TOP") at.top_beside = true;
      }
    }
    return at;
  };
  pass best = measure();
  if (rise.axis != nullptr && best.top_beside) {
    // The rise by whole ticks that lets the most boxes stand inside, the least of those.
    const scale base = *rise.axis;
    int chosen = 0;
    for (int k = 1; k <= kMaxRise && rise_scale(base, k, rise, rise.axis); ++k) {
      pass risen = measure();
      const bool more = risen.inside > best.inside, done = !risen.top_beside;
      if (more) best = std::move(risen), chosen = k;
      if (done) break;
    }
    rise_scale(base, chosen, rise, rise.axis);
  }
  // The boxes that do not stand inside go beside their frames; every cell of a row
  // (column) gets the band the most of them needs.
  cell_bands bands;
  bands.top.assign(static_cast<std::size_t>(grid->nrows), 0);
  bands.bottom = bands.top;
  bands.left.assign(static_cast<std::size_t>(grid->ncols), 0);
  bands.right = bands.left;
  for (std::size_t i = 0; i < best.slots.size(); ++i) {
    if (best.slots[i].empty()) continue;
    const int index = grid->index[i];
    const frame f = ranged(best.page.cells[i]);
    std::vector<inset_box> given = cell_inset_boxes(p, keys[static_cast<std::size_t>(index)]);
    const std::size_t own = given.size();
    given.insert(given.end(), best.notes[i].begin(), best.notes[i].end());
    cell_plan& plan = plans[i];
    for (const placed_inset& q : best.slots[i]) {
      planned_box b{q, box_side::inside, static_cast<std::size_t>(q.number) >= own};
      b.placed.x -= f.x, b.placed.y -= f.y;
      if (q.beside) {
        // Fitted afresh from the box as given, at the corner it took.
        inset_box box = given[static_cast<std::size_t>(q.number)];
        box.valign = q.box.valign, box.halign = q.box.halign;
        b.side = side_of(box);
        b.placed = placed_inset{fit_beside(box, b.side, f)};
        b.placed.number = q.number;
        if (!b.placed.box.rows.empty()) {
          b.placed.w = inset_box_width(b.placed.box);
          b.placed.h = inset_box_height(b.placed.box, 0);
          const std::string& h = b.placed.box.halign;
          b.placed.x = h == "RIGHT" ? f.w - b.placed.w : h == "CENTER" ? (f.w - b.placed.w) / 2 : 0;
        }
      }
      plan.push_back(b);
    }
    const axis_sides ax = axes ? axes(i) : outer_axes(*grid, i);
    const std::size_t row = i / static_cast<std::size_t>(grid->ncols), col = i % static_cast<std::size_t>(grid->ncols);
    const struct {
      box_side side;
      double off;
      double* band;
    } sides[] = {{box_side::above, 0, &bands.top[row]},
                 {box_side::below, (ax.below ? best.page.x_axis_room : 0) + ax.below_room, &bands.bottom[row]},
                 {box_side::left, ax.left ? best.page.y_axis_room : 0, &bands.left[col]},
                 {box_side::right, ax.right_room, &bands.right[col]}};
    for (const auto& s : sides) {
      std::vector<planned_box*> there;
      for (planned_box& b : plan)
        if (b.side == s.side && b.placed.w > 0) there.push_back(&b);
      *s.band = std::max(*s.band, stand_beside(there, s.side, f.w, f.h, s.off));
    }
  }
  grid->bands = bands;
  return plans;
}

void plan_ink(const cell_plan& plan, cell_ink* ink) {
  ink->clear();
  if (std::any_of(plan.begin(), plan.end(), [](const planned_box& b) { return b.note; }))
    ink->note = cell_ink::note_at::beside;
}

void draw_cell_plan(canvas& c, graph_notes& notes, const frame& f, const cell_plan& plan) {
  for (const planned_box& b : plan) {
    // A note's rows are the cell's own words, not a box of the program's: no cut is counted.
    if (b.note) draw_inset_box(c, b.placed.box, f.x + b.placed.x, f.y + b.placed.y, 0);
    else draw_placed_box(c, notes, b.placed, f.x + b.placed.x, f.y + b.placed.y);
  }
}

long inset_layout_passes() { return g_passes; }

}  // namespace plat::graph
