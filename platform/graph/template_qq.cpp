// The graph templates of QQ and probability plots: QQPlot, QQPlotRotated, CompQQPlot,
// CompQQPlotRotated from "QQPlotData", ProbPlot, ProbPlotRotated, CompProbPlot,
// CompProbPlotRotated from "ProbPlotData". Each cell plots its ordered data (open
// circles) against the family's quantiles with its own reference line; the quantile
// axis takes its ticks from _QNTLVALUES (labelled by _QNTLLABELS), or, on a probability
// plot, the percents _PCTLLABELS at their places _PCTLVALUES; a QQ plot with
// _PCTLAXIS adds the percentile axis on the far side. The data axis is a nice scale
// over every cell's data; ROTATE puts it across. With OVERLAY the groups share a cell,
// each in its own colour and marker with its line in the same colour.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_cell_page.h"
#include "graph/template_graph_parts.h"
#include "graph/template_inset_layout.h"
#include "graph/template_insets.h"
#include "graph/template_overlay.h"
#include "graph/template_parts.h"
#include "graph/template_prob_parts.h"
#include "host/kes_line_box.h"
#include "host/template_dynamics.h"

namespace plat::graph {

namespace {

struct qq_cell {
  class_key key;
  row_runs rows;
  // The range of the cell's points (quantile, data); its points stay in the data object.
  double qlo = INFINITY, qhi = -INFINITY, dlo = INFINITY, dhi = -INFINITY;
  bool nonfinite = false;   // a point whose quantile or value could not be computed
  long points = 0;          // values with a quantile: the points drawn
  unplotted_values alone;   // values without a quantile
  long at_threshold = 0;    // values at a two-parameter Weibull threshold, without a point
  double a = NAN, b = NAN; // the cell's line as the module gave it
  std::vector<refline> hrefs, vrefs;
};

const std::vector<qq_cell>& read_cells(const out::graph_table& t) {
  return kept_once<std::vector<qq_cell>>(t, "qq", [&t] {
    return read_plot_cells<qq_cell, 6>(
        t, {"Quantile", "Data", "RefInt", "RefSlope", "AtThreshold", "Unfitted"},
        [](qq_cell& cell, const std::array<double, 6>& v) {
          if (v[4] > 0) cell.at_threshold += static_cast<long>(v[4]);
          const double x = v[0], y = v[1];
          if (!std::isnan(x) && !std::isnan(y)) ++cell.points;
          if (std::isnan(x) && std::isfinite(y)) {
            // A cell whose fit failed marks its values: they have no quantiles for that.
            cell.alone.cause = v[5] > 0 ? "not drawn: the fit failed" : "whose quantiles cannot be computed";
            cell.alone.add(y);
          } else if (std::isnan(x) || std::isnan(y)) {
          } else if (!std::isfinite(x) || !std::isfinite(y)) {
            cell.nonfinite = true;
          } else {
            cell.qlo = std::min(cell.qlo, x), cell.qhi = std::max(cell.qhi, x);
            cell.dlo = std::min(cell.dlo, y), cell.dhi = std::max(cell.dhi, y);
          }
          if (!std::isnan(v[2]) && !std::isnan(v[3])) cell.a = v[2], cell.b = v[3];
        });
  });
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t j = i;
    while (j < text.size() && text[j] != ' ') ++j;
    if (j > i) out.push_back(text.substr(i, j - i));
    i = j;
  }
  return out;
}

// The ticks of an axis and the texts shown at them.
struct labelled_ticks {
  std::vector<double> at;
  std::vector<std::string> texts;
};
// Labels that only restate their values (quantile ticks without PCTLSCALE) are shown
// as any other number axis shows its ticks, with the decimals of the finest step, so
// that 0, 0.5, 1 reads 0.0, 0.5, 1.0.
labelled_ticks labelled(const std::string& values, const std::string& labels) {
  labelled_ticks t;
  t.at = parse_numbers(values);
  t.texts = words(labels);
  t.texts.resize(t.at.size());
  const std::vector<double> read = parse_numbers(labels);
  if (read.size() == t.at.size() && std::equal(read.begin(), read.end(), t.at.begin(), [](double a, double b) {
        return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
      }))
    t.texts = tick_texts(t.at);
  return t;
}

// The same kept with the panel's data object by the texts it is read from: every page
// of a graph reads the same. A page asks once or twice, and builds its key each time.
const labelled_ticks& kept_labelled(const out::graph_panel& p, const char* values_name, const char* labels_name) {
  const std::string values = p.text(values_name), labels = p.text(labels_name);
  std::string key;
  key.reserve(16 + values.size() + labels.size());
  key.assign("labelled ticks ").append(values).append(1, '\0').append(labels);
  return kept_once<labelled_ticks>(*p.tables[0], key, [&] { return labelled(values, labels); });
}

// The percentile axis along the top (or, rotated, the right) of the frame; `offset` px
// further out, below the frame when `below`, and in `ink` for a row of one group's
// percents.
void draw_far_axis(canvas& c, const frame& f, const labelled_ticks& t, bool across, double offset = 0,
                   bool below = false, const std::string& ink = kFrameColour) {
  paint p;
  p.stroke = ink;
  text_style s;
  s.size = kTickSize;
  s.align = across ? anchor::middle : anchor::start;
  if (ink != kFrameColour) s.colour = ink;
  const double y0 = below ? f.y + f.h + offset : f.y - offset;
  const double y1 = below ? y0 + kTickLength : y0 - kTickLength;
  const double baseline = below ? y1 + 3 + text_above(kTickSize) : y1 - 3;
  // Percents crowd at the ends of the axis: their texts are thinned as any axis's are.
  std::vector<std::size_t> at;
  std::vector<std::pair<double, double>> extents;
  for (std::size_t i = 0; i < t.at.size(); ++i) {
    if (across) {
      const double x = f.px(t.at[i]);
      if (x < f.x - 0.5 || x > f.x + f.w + 0.5) continue;
      c.line(x, y1, x, y0, p);
      const double w = text_advance(t.texts[i], s);
      extents.emplace_back(x - w / 2, x + w / 2);
    } else {
      const double y = f.py(t.at[i]);
      if (y < f.y - 0.5 || y > f.y + f.h + 0.5) continue;
      c.line(f.x + f.w, y, f.x + f.w + kTickLength, y, p);
      const double base = y + text_above(kTickSize) / 2 - 1;
      extents.emplace_back(base - text_above(kTickSize), base + text_below(kTickSize));
    }
    at.push_back(i);
  }
  const std::vector<bool> shown = thin_tick_texts(extents, across ? tick_text_room() : 2);
  for (std::size_t j = 0; j < at.size(); ++j) {
    if (!shown[j]) continue;
    const std::size_t i = at[j];
    if (across) c.text(f.px(t.at[i]), baseline, t.texts[i], s);
    else c.text(f.x + f.w + kTickLength + 3, f.py(t.at[i]) + text_above(kTickSize) / 2 - 1, t.texts[i], s);
  }
}

// A group's row is named left of the frame, this far from the page's edge at least.
constexpr double kGroupRowIndent = 14;
// "am = 1", not "1", which would read as a percent of the row.
std::string group_row_name(const std::string& group_label, std::string level) {
  while (!level.empty() && level.back() == ' ') level.pop_back();
  return group_label.empty() ? level : group_label + " = " + level;
}

// Overlaid groups of shapes of their own a frame can give a percent axis each: a row
// of each group's percents, in its colour, under the frame (a probability plot's) or
// over it (a Q-Q plot's percentile axis), its level at the row's left, when the
// module asks for them ("_PCTLGROUPS" = "ROWS": a few groups of one CLASS variable, not
// rotated); otherwise none, with a note.
double group_row_height() { return kTickLength + 4 + text_above(kTickSize) + text_below(kTickSize); }

// The groups of a frame that have percents of their own (a group without a fit has
// none: its note says why).
std::vector<int> groups_with_percents(const std::vector<labelled_ticks>& own, std::span<const int> members) {
  std::vector<int> out;
  for (int m : members)
    if (!own[static_cast<std::size_t>(m)].at.empty()) out.push_back(m);
  return out;
}

void draw_group_rows(canvas& c, const frame& f, const std::vector<labelled_ticks>& own, const plot_cells& groups,
                     std::span<const int> all_members, bool below, const std::string& group_label) {
  const std::vector<int> members = groups_with_percents(own, all_members);
  for (std::size_t j = 0; j < members.size(); ++j) {
    const int m = members[j];
    const int g = groups.group_of[m];
    paint plain;
    plain.stroke = kFrameColour;
    const std::string ink = group_line(g, 1, plain).stroke;
    const double offset = static_cast<double>(j) * group_row_height();
    draw_far_axis(c, f, own[static_cast<std::size_t>(m)], true, offset, below, ink);
    text_style s;
    s.size = kTickSize;
    s.align = anchor::end;
    s.colour = ink;
    const std::string level = g >= 0 ? groups.groups[static_cast<std::size_t>(g)] : std::string();
    const double y1 = below ? f.y + f.h + offset + kTickLength : f.y - offset - kTickLength;
    const double room = std::max(f.x - kGroupRowIndent, 20.0);
    c.text(f.x - 6, below ? y1 + 3 + text_above(kTickSize) : y1 - 3, fit_text(group_row_name(group_label, level), s, room),
           s);
  }
}

// The part of the cell's line y = a + b x inside the data range of the frame, as
// x1 y1 x2 y2; false when none of it is there.
bool line_in_frame(const frame& f, const qq_cell& cell, double* seen) {
  return kes_line_in_box(cell.a, cell.b, f.xlo, f.xhi, f.ylo, f.yhi, seen);
}

// What the cell's groups leave out beside the values it draws: values at a
// two-parameter Weibull threshold (no place on its log axis) and, of a group that
// draws some, values without a theoretical quantile.
std::vector<left_out_row> left_out_rows(const std::vector<qq_cell>& cells, const plot_cells& groups,
                                        std::span<const int> members) {
  std::vector<left_out_row> rows;
  for (int m : members) {
    const qq_cell& cell = cells[static_cast<std::size_t>(m)];
    const int g = groups.group_of[m];
    const long n = cell.at_threshold;
    if (n > 0) rows.push_back({g, std::to_string(n) + (n == 1 ? " value" : " values") + " at the threshold, not drawn"});
    if (cell.points > 0 && cell.alone.n > 0)
      rows.push_back({g, std::to_string(cell.alone.n) + " of " + std::to_string(cell.alone.n + cell.points) +
                             " values without a quantile, not drawn"});
  }
  return rows;
}

// Draws the points of the cell's groups (one group without OVERLAY), then their lines
// over them, so that a line stays in sight over any number of points; `ink` gets the
// points' places for the insets.
void draw_cell(canvas& c, graph_notes& notes, const frame& f, const std::vector<qq_cell>& cells,
               const plot_cells& groups,
               std::span<const int> members, const out::graph_table& t, const out::graph_panel& p, bool rotated,
               const std::vector<double>& grid_ticks, const labelled_ticks* pctl_grid, cell_ink* ink,
               bool group_percent_refs = false) {
  draw_wall(c, f);
  if (p.flag(KES_DYN_GRID)) draw_grid(c, f, grid_ticks);
  if (pctl_grid != nullptr) {
    paint g;
    g.stroke = kGridColour;
    for (double v : pctl_grid->at) {
      if (rotated) c.line(f.x, f.py(v), f.x + f.w, f.py(v), g);
      else c.line(f.px(v), f.y, f.px(v), f.y + f.h, g);
    }
  }
  c.clip_begin(f.x, f.y, f.w, f.h);
  const column_reader col(t);
  const num_column quantile = col.numbers("Quantile"), data = col.numbers("Data");
  std::vector<left_out_group> undrawn;
  // Markers drawn: the cell's line alone (given parameters) draws none of its values.
  long marked = 0;
  for (int m : members) {
    point_batch dots(c, group_points(groups.group_of[m]), ink);
    each_row<2>({quantile, data}, cells[m].rows, [&](std::size_t, const std::array<double, 2>& v) {
      const double q = v[0], d = v[1];
      if (std::isnan(q) || std::isnan(d)) return;
      dots.add(rotated ? point{f.px(d), f.py(q)} : point{f.px(q), f.py(d)});
      ++marked;
    });
    dots.finish();
    if (cells[m].points == 0) undrawn.push_back({groups.group_of[m], cells[m].alone});
  }
  // Each line y = a + b x in the plotted axes.
  paint plain;
  plain.stroke = kLineInk;
  plain.width = 1.5;
  plain = fit_line(p, plain);
  for (int m : members) {
    double seen[4];
    if (!p.flag(KES_DYN_REFLINE) || !line_in_frame(f, cells[m], seen)) continue;
    const double x1 = f.px(seen[0]), y1 = f.py(seen[1]), x2 = f.px(seen[2]), y2 = f.py(seen[3]);
    const int g = groups.group_of[m];
    // A group's line has its points' colour: a white edge keeps it apart from them.
    if (g >= 0) {
      paint edge;
      edge.stroke = "#FFFFFF";
      edge.width = 3.5;
      c.line(x1, y1, x2, y2, edge);
    }
    c.line(x1, y1, x2, y2, group_line(g, 1.5, plain));
    const point ends[2] = {{x1, y1}, {x2, y2}};
    ink->add_line(ends, 2);
  }
  c.clip_end();
  const qq_cell& first = cells[members.front()];
  std::vector<left_out_row> also = left_out_rows(cells, groups, members);
  if (marked == 0 && !groups.overlay && also.empty())
    ink->boxes.push_back(draw_no_values(c, f, first.alone.why().c_str()));
  if (!group_percent_refs) {
    end_plot_cell(c, notes, f, p, first.hrefs, first.vrefs, groups, members, undrawn, ink, also);
    return;
  }
  // Overlaid groups of shapes of their own place a percent each elsewhere: each
  // group's line, its label naming the group.
  std::vector<refline> own_refs;
  for (int m : members)
    for (const refline& ref : rotated ? cells[m].vrefs : cells[m].hrefs) {
      const int g = groups.group_of[m];
      const std::string group =
          group_row_name(legend_title_of(p), g >= 0 ? groups.groups[static_cast<std::size_t>(g)] : std::string());
      own_refs.push_back({ref.value, ref.label.empty() ? group : ref.label + " (" + group + ")"});
    }
  end_plot_cell(c, notes, f, p, rotated ? first.hrefs : own_refs, rotated ? own_refs : first.vrefs, groups, members,
                undrawn, ink, also);
}

// The percent ticks of one cell whose shapes were fitted in it: row k of the cell's
// "PctlPosition" holds the place of the k-th percent of the panel's labels.
labelled_ticks own_ticks(const out::graph_table& t, const qq_cell& cell, const labelled_ticks& panel) {
  labelled_ticks own;
  const num_column at = column_reader(t).numbers("PctlPosition");
  std::size_t k = 0;
  each_row<1>({at}, cell.rows, [&](std::size_t, const std::array<double, 1>& v) {
    if (k < panel.texts.size() && std::isfinite(v[0])) own.at.push_back(v[0]), own.texts.push_back(panel.texts[k]);
    ++k;
  });
  return own;
}

// Each cell's own percent ticks, labelled by the panel's percents, when the cells'
// shapes were fitted in them ("PctlPosition" present); empty otherwise. Found once a
// graph.
const std::vector<labelled_ticks>& cells_own_ticks(const out::graph_table& t, const std::vector<qq_cell>& cells,
                                                   const labelled_ticks& panel) {
  return kept_once<std::vector<labelled_ticks>>(t, "qq own ticks", [&] {
    std::vector<labelled_ticks> own;
    if (column_reader(t).numbers("PctlPosition").present())
      for (const qq_cell& cell : cells) own.push_back(own_ticks(t, cell, panel));
    return own;
  });
}

// Room for a percent axis beside every cell (below it, or left of it when rotated):
// the cells give up `extra` px between their rows (or columns), the grid keeps its
// outer edges.
void room_for_cell_axes(page_frame& page, const panel_grid& grid, bool rotated, double extra) {
  const int n = rotated ? grid.ncols : grid.nrows;
  if (n < 2) return;
  const double less = extra * (n - 1) / n;
  for (std::size_t i = 0; i < page.cells.size(); ++i) {
    const int k = rotated ? static_cast<int>(i) % grid.ncols : static_cast<int>(i) / grid.ncols;
    frame& f = page.cells[i];
    if (rotated) f.w -= less, f.x += k * (extra - less);
    else f.h -= less, f.y += k * (extra - less);
  }
}

// The axes of a panel: the theoretical axis's ticks (quantiles, or percents at their
// places) and range, each cell's own percent ticks when its shapes were fitted in it,
// and the data's range and scale.
struct qq_axes {
  explicit qq_axes(const labelled_ticks& t) : theory(t) {}
  const labelled_ticks& theory;  // kept with the data object (kept_labelled)
  const std::vector<labelled_ticks>* own = nullptr;  // empty unless fitted per cell
  double tlo = NAN, thi = NAN;
  double dlo = NAN, dhi = NAN;
  scale ds;
};

qq_axes axes_of(const out::graph_panel& p, const std::vector<qq_cell>& cells, bool prob, bool rotated) {
  qq_axes ax(prob ? kept_labelled(p, KES_DYN_PCTLVALUES, KES_DYN_PCTLLABELS)
                  : kept_labelled(p, KES_DYN_QNTLVALUES, KES_DYN_QNTLLABELS));
  const labelled_ticks& theory = ax.theory;
  double tlo = p.number(KES_DYN_QNTLMIN, NAN), thi = p.number(KES_DYN_QNTLMAX, NAN);
  // The range of every cell's points and, with shapes fitted per cell, each cell's
  // percents at its own places (the axis then spans the end ticks of every cell): found
  // at the first panel.
  struct qq_ranges {
    double dlo = INFINITY, dhi = -INFINITY, qlo = INFINITY, qhi = -INFINITY;
  };
  const qq_ranges& ranges = kept_once<qq_ranges>(*p.tables[0], "qq range", [&] {
    qq_ranges r;
    for (const qq_cell& cell : cells) {
      // Values without a quantile are data all the same: the data axis spans them.
      r.dlo = std::min({r.dlo, cell.dlo, cell.alone.lo}), r.dhi = std::max({r.dhi, cell.dhi, cell.alone.hi});
      r.qlo = std::min(r.qlo, cell.qlo), r.qhi = std::max(r.qhi, cell.qhi);
    }
    if (prob)
      for (const labelled_ticks& own : cells_own_ticks(*p.tables[0], cells, theory))
        if (!own.at.empty()) r.qlo = std::min(r.qlo, own.at.front()), r.qhi = std::max(r.qhi, own.at.back());
    return r;
  });
  double dlo = ranges.dlo, dhi = ranges.dhi, qlo = ranges.qlo, qhi = ranges.qhi;
  static const std::vector<labelled_ticks> none;
  ax.own = prob ? &cells_own_ticks(*p.tables[0], cells, theory) : &none;
  // The theoretical axis spans its end ticks and every point, the data axis every
  // point; both reach 4 % past them, so that no point lies on the frame.
  if (!std::isfinite(tlo) || !std::isfinite(thi)) {
    tlo = theory.at.empty() ? qlo : theory.at.front();
    thi = theory.at.empty() ? qhi : theory.at.back();
  }
  tlo = std::min(tlo, qlo), thi = std::max(thi, qhi);
  if (!(thi >= tlo)) tlo = -1, thi = 1;
  if (thi > tlo) kes_pad_range(0.04, &tlo, &thi);
  else tlo -= 1, thi += 1;
  if (!(dhi >= dlo)) dlo = 0, dhi = 1;
  ax.tlo = tlo, ax.thi = thi, ax.dlo = dlo, ax.dhi = dhi;
  // The VAXIS= ticks are the vertical axis's: the data axis unless rotated.
  ax.ds = rotated ? padded_scale(dlo, dhi, 5) : vaxis_scale(p, padded_scale(dlo, dhi, 5));
  return ax;
}

// A cell whose quantiles or data could not be computed cannot be placed: the panel
// that holds it is left out, as a graph of such data without CLASS cells is.
bool cells_placed(const out::graph_panel& p, const std::vector<qq_cell>& cells, const plot_cells& drawn,
                  const panel_grid& grid, std::string* why) {
  for (int index : grid.index)
    for (int m : members_at(drawn, index))
      if (cells[m].nonfinite) {
        *why = "the cell " + strip_text(*p.tables[0], cells[m].key) + " has values that are not finite";
        return false;
      }
  return true;
}

// The legend: the groups with OVERLAY; else the line's entry, only when some cell of
// the panel draws it inside its frame (`range`).
std::vector<legend_entry> qq_legend(const out::graph_panel& p, const std::vector<qq_cell>& cells,
                                    const plot_cells& drawn, const panel_grid& grid, const frame& range) {
  bool line_shown = false;
  double seen[4];
  for (int index : grid.index)
    for (int m : members_at(drawn, index))
      line_shown = line_shown || line_in_frame(range, cells[m], seen);
  std::vector<legend_entry> legend;
  if (drawn.overlay) {
    legend = group_legend(drawn, groups_drawn(drawn, grid, [&](int m) { return cells[m].points > 0; }), true,
                          p.flag(KES_DYN_REFLINE) && line_shown, 1.5);
  } else if (p.flag(KES_DYN_CURVELEGEND) && p.flag(KES_DYN_REFLINE) && line_shown &&
             !p.text(KES_DYN_REFLINELAB).empty()) {
    legend_entry e;
    e.label = p.text(KES_DYN_REFLINELAB);
    e.stroke.stroke = kLineInk;
    e.stroke.width = 1.5;
    e.stroke = fit_line(p, e.stroke);
    legend.push_back(e);
  }
  return legend;
}

// The page, with room for the percentile axis (above the cells, or to their right),
// `cell_room` px between the rows (columns) for the percent axis every cell carries of
// its own, and `rows_below` / `rows_above` px for the rows of overlaid groups' percents
// past the first.
page_frame lay_out_page(canvas& on, const out::graph_panel& p, const panel_grid& grid,
                        const std::vector<legend_entry>& legend, const qq_axes& ax, bool prob, bool rotated,
                        bool pctl_axis, double cell_room, double rows_below, double rows_above,
                        double rows_names) {
  const std::vector<double>& yticks = rotated ? ax.theory.at : ax.ds.ticks;
  page_frame page = begin_page(on, p, grid, legend, yticks, prob ? "probability plot" : "Q-Q plot",
                               rotated ? &ax.theory.texts : nullptr);
  if (pctl_axis) {
    const double room = kTickLength + text_above(kTickSize) + text_below(kTickSize) + 6;
    const bool label = !p.text(KES_DYN_PCTLAXISLAB).empty();
    if (rotated) page.grid_right -= room + 28 + (label ? kLabelSize + 4 : 0);
    else page.grid_top += room + (label ? kLabelSize + 4 : 0);
    page.cells = cell_grid(page.grid_left, page.grid_top, page.grid_right, page.grid_bottom, grid.nrows, grid.ncols,
                           grid.strips, grid.bands);
  }
  if (rows_below > 0 || rows_above > 0 || rows_names > 0) {
    page.grid_bottom -= rows_below;
    page.grid_top += rows_above;
    // The rows' names stand left of the frames.
    page.grid_left += std::max(0.0, rows_names + kGroupRowIndent - page.grid_left);
    page.cells = cell_grid(page.grid_left, page.grid_top, page.grid_right, page.grid_bottom, grid.nrows, grid.ncols,
                           grid.strips, grid.bands);
  }
  // Square cells keep the room between them that their percent axes need.
  if (p.flag(KES_DYN_SQUARE) || p.flag(KES_DYN_ASPECTRATIO))
    square_cells(page, grid, rotated ? 0 : cell_room, rotated ? cell_room : 0);
  else if (cell_room > 0)
    room_for_cell_axes(page, grid, rotated, cell_room);
  return page;
}

// A cell's own percent axis where draw_axes_of_cell draws none: it labels the outer
// cells only.
void draw_inner_percent_axis(canvas& c, const frame& f, const out::graph_panel& p, const panel_grid& grid,
                             std::size_t slot, const labelled_ticks& ticks, bool rotated, axis_scratch& axes) {
  const std::string_view xd = x_display(p), yd = y_display(p);
  const int row = static_cast<int>(slot) / grid.ncols, col = static_cast<int>(slot) % grid.ncols;
  bool lowest = true;
  for (int r = row + 1; r < grid.nrows; ++r)
    lowest = lowest && !grid.drawn(static_cast<std::size_t>(r * grid.ncols + col));
  const auto shown = display_has;
  if (rotated && col > 0)
    draw_y_axis(c, f, ticks.at, ticks.texts, shown(yd, "TICKS"), shown(yd, "TICKVALUES"), axes);
  if (!rotated && !lowest)
    draw_x_axis(c, f, ticks.at, ticks.texts, shown(xd, "TICKS"), shown(xd, "TICKVALUES"), INFINITY, INFINITY, axes);
}

constexpr double kFarLabel = 40;  // from the frame to the rotated percentile axis label's baseline

// The percentile axis's label: above the grid, or right of the last column's frames
// (whose right edge is `far_right`) when rotated.
void draw_far_label(canvas& c, const out::graph_panel& p, const page_frame& page, bool rotated, double far_right,
                    double rows_room) {
  const double w = page.grid_right - page.grid_left, h = page.grid_bottom - page.grid_top;
  if (rotated) draw_y_label(c, far_right + kFarLabel, page.grid_top + h / 2, h, p.text(KES_DYN_PCTLAXISLAB));
  else draw_x_label(c, page.grid_left + w / 2, page.grid_top - rows_room - kTickLength - text_below(kTickSize) - 16, w,
                    p.text(KES_DYN_PCTLAXISLAB));
}

// Where a shared frame's percent values would stand (below it, or left of it, on a
// probability plot; above it, or right of it, for a Q-Q plot's percentile axis): why
// there are none.
void draw_no_percents(canvas& c, const frame& f, bool vertical_side, bool prob) {
  static const std::string why = "No percent axis: the groups' fitted shapes differ";
  text_style s;
  s.size = kTickSize;
  s.align = anchor::middle;
  const double gap = kTickLength + 3;
  if (!vertical_side) {
    const double y = prob ? f.y + f.h + gap + text_above(kTickSize) : f.y - gap;
    c.text(f.x + f.w / 2, y, fit_text(why, s, f.w), s);
    return;
  }
  s.rotate = 90;
  const double x = prob ? f.x - gap : f.x + f.w + gap + text_above(kTickSize);
  c.text(x, f.y + f.h / 2, fit_text(why, s, f.h), s);
}

bool draw_qq_kind(const out::graph_panel& p, canvas& c, graph_notes& notes, std::string* why, bool prob,
                  bool rotated) {
  const char* data = prob ? "ProbPlotData" : "QQPlotData";
  if (p.tables.empty() || p.tables[0]->name != data) {
    *why = std::string("the graph has no ") + data;
    return false;
  }
  const std::vector<qq_cell>& cells = read_cells(*p.tables[0]);
  qq_axes ax = axes_of(p, cells, prob, rotated);
  const plot_layout& layout = plot_layout_of(p, *p.tables[0]);
  const plot_cells& drawn = layout.cells;
  panel_grid grid = panel_cells(layout.places, p);
  if (!cells_placed(p, cells, drawn, grid, why)) return false;
  const frame range = rotated ? frame{0, 0, 1, 1, ax.ds.lo, ax.ds.hi, ax.tlo, ax.thi}
                              : frame{0, 0, 1, 1, ax.tlo, ax.thi, ax.ds.lo, ax.ds.hi};
  const std::vector<legend_entry> legend = qq_legend(p, cells, drawn, grid, range);
  const bool pctl_axis = !prob && p.flag(KES_DYN_PCTLAXIS);
  static const labelled_ticks no_pctl;
  const labelled_ticks& pctl = pctl_axis ? kept_labelled(p, KES_DYN_PCTLVALUES, KES_DYN_PCTLLABELS) : no_pctl;
  const bool pctl_grid = pctl_axis && p.text(KES_DYN_PCTLGRID) == "ON";
  const bool pctl_label = pctl_axis && !p.text(KES_DYN_PCTLAXISLAB).empty();
  // Cells whose shapes were fitted in them put each percent at a place of their own:
  // each carries its own percent axis (a probability plot's below it, a Q-Q plot's
  // percentile axis above it). Overlaid groups of such shapes share one frame, which
  // holds no one percent axis that reads right for all: it shows none, and says why.
  const std::vector<labelled_ticks>& own = prob ? *ax.own : cells_own_ticks(*p.tables[0], cells, pctl);
  const bool split = !own.empty() && drawn.overlay && (prob || pctl_axis);
  // Each group's percents in a row of its own, stacked beside the frame.
  const bool group_rows = split && !rotated && p.text(KES_DYN_PCTLGROUPS) == "ROWS";
  std::size_t most_groups = 0;
  for (int index : grid.index)
    if (group_rows && index >= 0)
      most_groups = std::max(most_groups, groups_with_percents(own, drawn.members[static_cast<std::size_t>(index)]).size());
  const double rows_room = group_rows && most_groups > 1 ? static_cast<double>(most_groups - 1) * group_row_height() : 0;
  double rows_names = 0;
  if (group_rows) {
    text_style s;
    s.size = kTickSize;
    for (const std::string& level : drawn.groups)
      rows_names = std::max(rows_names, text_advance(group_row_name(legend_title_of(p), level), s));
  }
  const bool cell_axes = !own.empty() && !drawn.overlay && (prob || pctl_axis);
  // The cell's own percent ticks when its shapes were fitted in it.
  const auto own_axis = [&](int index) { return cell_axes && index >= 0 && drawn.members[index].size() == 1; };
  static const labelled_ticks no_ticks;
  const auto percents_of = [&](int index, const labelled_ticks& shared) -> const labelled_ticks& {
    if (split) return no_ticks;
    return own_axis(index) ? own[drawn.members[index].front()] : shared;
  };
  const auto ticks_of = [&](int index) -> const labelled_ticks& { return prob ? percents_of(index, ax.theory) : ax.theory; };
  const auto far_of = [&](int index) -> const labelled_ticks& { return percents_of(index, pctl); };
  // Overlaid groups of several frames say beside each why it has no percent axis.
  const bool cell_notes = split && !group_rows;
  const double cell_room =
      !cell_axes && !cell_notes ? 0
      : prob     ? (rotated ? tick_text_width(ax.theory.texts) + kTickLength + 8
                            : kTickLength + 4 + text_above(kTickSize) + text_below(kTickSize))
                 : (rotated ? tick_text_width(pctl.texts) + kTickLength + 8
                            : kTickLength + 6 + text_above(kTickSize) + text_below(kTickSize));

  cell_page_kind kind;
  kind.lay_out = [&](canvas& on) {
    page_frame pg = lay_out_page(on, p, grid, legend, ax, prob, rotated, pctl_axis, cell_room, prob ? rows_room : 0,
                                 prob ? 0 : rows_room, rows_names);
    if (rotated) keep_x_texts_on_page(&pg, p, grid, ax.ds.lo, ax.ds.hi, ax.ds.ticks);
    else keep_x_texts_on_page(&pg, p, grid, ax.tlo, ax.thi, ax.theory.at, &ax.theory.texts);
    return pg;
  };
  kind.ranged = [&](frame f) {
    f.xlo = rotated ? ax.ds.lo : ax.tlo;
    f.xhi = rotated ? ax.ds.hi : ax.thi;
    f.ylo = rotated ? ax.tlo : ax.ds.lo;
    f.yhi = rotated ? ax.thi : ax.ds.hi;
    return f;
  };
  kind.draw_cell = [&](canvas& on, const frame& f, int index, cell_ink* ink) {
    const labelled_ticks& ticks = ticks_of(index);
    draw_cell(on, notes, f, cells, drawn, drawn.members[index], *p.tables[0], p, rotated,
              rotated ? ticks.at : ax.ds.ticks, pctl_grid ? &far_of(index) : nullptr, ink, split && prob);
  };
  kind.measure = [&](canvas& on, const frame& f, int index, cell_ink* ink) {
    draw_cell(on, notes, f, cells, drawn, drawn.members[index], *p.tables[0], p, rotated, {}, nullptr, ink,
              split && prob);
  };
  // Room for the boxes: the data axis, when it is the vertical one and VAXIS= does not
  // fix it, may rise by whole ticks for boxes at the top; other boxes over the points
  // and lines of their cell stand beside it.
  if (!rotated && parse_numbers(p.text(KES_DYN_YTICKS)).empty()) kind.rise = axis_rise{&ax.ds, ax.dlo, ax.dhi};
  // The cells of this page only: a graph of many pages asks at each.
  kind.notes = std::any_of(grid.index.begin(), grid.index.end(), [&](int index) {
    return index >= 0 && !left_out_rows(cells, drawn, drawn.members[index]).empty();
  });
  // Cells with percent axes of their own carry them beside each frame; the rotated
  // percentile axis, its values and its label stand right of the last column, and a
  // box beside that column stands past them.
  const double far_room = std::max(tick_text_width(pctl.texts) + kTickLength + 8,
                                   pctl_label ? kFarLabel + text_below(kLabelSize) + 4 : 0.0);
  kind.axes = [&](std::size_t slot) {
    axis_sides s = outer_axes(grid, slot);
    if (cell_axes && prob) (rotated ? s.left : s.below) = true;
    if (group_rows && prob) s.below = true, s.below_room = rows_room;
    if (pctl_axis && rotated && static_cast<int>(slot) % grid.ncols == grid.ncols - 1) s.right_room = far_room;
    return s;
  };
  double far_right = NAN;  // the right edge of the last column's frames, once drawn
  kind.draw_axes = [&](canvas& on, const frame& f, std::size_t slot, axis_scratch& axes) {
    const int index = grid.index[slot];
    const labelled_ticks& ticks = ticks_of(index);
    if (rotated) draw_axes_of_cell(on, f, p, grid, slot, axes, ax.ds.ticks, ticks.at, nullptr, &ticks.texts);
    else draw_axes_of_cell(on, f, p, grid, slot, axes, ticks.at, ax.ds.ticks, &ticks.texts, nullptr);
    if (prob && own_axis(index)) draw_inner_percent_axis(on, f, p, grid, slot, ticks, rotated, axes);
    // The percentile axis on the first row (or the last column when rotated), or on
    // every cell that has its own.
    const int at = static_cast<int>(slot);
    const int row = at / grid.ncols;
    const bool edge = rotated ? at % grid.ncols == grid.ncols - 1 : at < grid.ncols;
    // Across the top it stands above the cell's strip, in the room kept for it.
    frame far = f;
    if (!rotated) far.y -= cell_bands::of(grid.bands.top, row) + (grid.strips ? kStripHeight : 0);
    if (pctl_axis && (edge || own_axis(index))) draw_far_axis(on, far, far_of(index), !rotated);
    if (pctl_axis && edge && rotated) far_right = f.x + f.w;
    if (group_rows && index >= 0)
      draw_group_rows(on, prob ? f : far, own, drawn, drawn.members[index], prob, legend_title_of(p));
    else if (split && index >= 0) draw_no_percents(on, prob ? f : far, rotated, prob);
  };
  kind.after_cells = [&](canvas& on, const page_frame& page) {
    if (pctl_label)
      draw_far_label(on, p, page, rotated, std::isnan(far_right) ? page.grid_right : far_right, prob ? 0 : rows_room);
  };
  draw_cell_page(p, c, notes, &grid, drawn.keys, legend, kind);
  return true;
}

}  // namespace

bool draw_qq(const out::graph_panel& p, canvas& c, graph_notes& notes, std::string* why) {
  return draw_qq_kind(p, c, notes, why, false, p.template_name.find("Rotated") != std::string::npos);
}

bool draw_prob(const out::graph_panel& p, canvas& c, graph_notes& notes, std::string* why) {
  return draw_qq_kind(p, c, notes, why, true, p.template_name.find("Rotated") != std::string::npos);
}

}  // namespace plat::graph
