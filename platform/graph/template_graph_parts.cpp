// The page of a graph template of CLASS cells (see template_graph_parts.h).
#include "graph/template_graph_parts.h"

#include "graph/template_insets.h"
#include "graph/template_overlay.h"
#include "host/template_dynamics.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace plat::graph {
namespace {

constexpr double kMargin = 12;

bool has(std::string_view display, const char* word) { return display_has(display, word); }

// A display given as a number names no part.
std::string_view display_of(const out::graph_panel& p, const char* name, std::string_view otherwise) {
  const out::dyn_value* d = p.dynamic(name);
  if (d == nullptr) return otherwise;
  return d->is_text ? std::string_view(d->text) : std::string_view();
}

}  // namespace

std::string panel_title(const out::graph_panel& p) {
  std::string title;
  title.reserve(p.label.size() + p.description.size() + 3);
  title.append(p.label);
  if (!p.description.empty()) title.append(" (").append(p.description).append(")");
  return title;
}

std::string_view x_display(const out::graph_panel& p) {
  return display_of(p, KES_DYN_XDISPLAY, "LINE TICKS TICKVALUES LABEL");
}
std::string_view y_display(const out::graph_panel& p) {
  return display_of(p, KES_DYN_YDISPLAY, "LINE LABEL TICKS TICKVALUES");
}

const std::string& text_column::operator()(std::size_t row) const {
  static const std::string empty;
  return c != nullptr ? c->text(row) : empty;
}

namespace {
// Rows read into cells over the run, read only by the tests of how often a row is read
// (rows_indexed). The count is the run's, not an index's: what it must catch is an
// index made again for a data object that keeps one, and each new index would count
// its rows afresh. Atomic, as graphs may be drawn on several threads.
std::atomic<std::size_t> g_rows_indexed{0};

using level_codes = std::array<long, 3>;
struct code_hash {
  std::size_t operator()(const level_codes& k) const {
    return (std::hash<long>()(k[0]) * 31 + std::hash<long>()(k[1])) * 31 + std::hash<long>()(k[2]);
  }
};
}  // namespace

std::size_t rows_indexed() { return g_rows_indexed; }

namespace {
// The cells of a data object and the runs of rows they view.
struct cell_index : keeps_views {
  std::vector<row_run> runs;  // every cell's runs, the cells' one after another
  std::vector<cell_rows> cells;
};

// The cell of each combination of level codes (each code + 1: 0 where a column is
// absent), by the codes' place in a table of every combination when it is not much
// larger than the rows, else by hashing.
class cell_finder {
 public:
  cell_finder(std::size_t rows, const std::array<const out::graph_column*, 3>& cols) {
    std::size_t size = 1;  // held at kMost: past it the table is not made
    for (std::size_t k = 0; k < 3; ++k) {
      extent_[k] = cols[k] != nullptr ? cols[k]->levels().size() + 1 : 1;
      size = extent_[k] > kMost / size ? kMost : size * extent_[k];
    }
    if (size <= std::max(4 * rows + 64, std::size_t{1} << 12)) table_.assign(size, -1);
  }
  // The cell's slot: its index, or -1 for a combination not seen yet.
  long& at(const level_codes& codes) {
    if (table_.empty()) return by_codes_.try_emplace(codes, -1).first->second;
    std::size_t i = 0;
    for (std::size_t k = 3; k-- > 0;) i = i * extent_[k] + static_cast<std::size_t>(codes[k] + 1);
    return table_[i];
  }

 private:
  static constexpr std::size_t kMost = std::size_t{1} << 40;  // no table this large
  std::size_t extent_[3] = {1, 1, 1};
  std::vector<long> table_;
  std::unordered_map<level_codes, long, code_hash> by_codes_;
};

cell_index find_cells(const out::graph_table& t) {
  cell_index found;
  std::vector<cell_rows>& cells = found.cells;
  const out::graph_column* c1 = t.data_of(t.column("Class1"));
  const out::graph_column* c2 = t.data_of(t.column("Class2"));
  const out::graph_column* c3 = t.data_of(t.column("Group"));
  // Without CLASS columns every row is the one cell's.
  if (c1 == nullptr && c2 == nullptr && c3 == nullptr && t.rows() > 0) {
    found.runs.emplace_back(0, t.rows());
    cells.emplace_back().runs = row_runs(found.runs);
    g_rows_indexed += t.rows();
    return found;
  }
  // Each run of rows of one cell in row order with its cell (a row finds its cell by
  // the codes of its levels, without comparing texts), then the runs gathered by cell.
  cell_finder finder(t.rows(), {c1, c2, c3});
  std::vector<std::pair<std::size_t, row_run>> seen;  // cell, run
  level_codes last{-2, -2, -2};
  std::size_t read = 0;
  for (std::size_t r = 0; r < t.rows(); ++r) {
    const level_codes codes{c1 != nullptr ? c1->code(r) : -1, c2 != nullptr ? c2->code(r) : -1,
                            c3 != nullptr ? c3->code(r) : -1};
    if (codes != last || seen.empty()) {
      long& at = finder.at(codes);
      if (at < 0) {
        at = static_cast<long>(cells.size());
        cell_rows& cell = cells.emplace_back();
        if (c1 != nullptr) cell.key.c1 = c1->text(r);
        if (c2 != nullptr) cell.key.c2 = c2->text(r);
        if (c3 != nullptr) cell.key.group = c3->text(r);
      }
      last = codes;
      seen.push_back({static_cast<std::size_t>(at), row_run{r, r}});
    }
    ++seen.back().second.second;
    ++read;
  }
  g_rows_indexed += read;
  // Counted first, then placed: each cell's runs lie together, in row order.
  std::vector<std::size_t> start(cells.size() + 1, 0);
  for (const auto& [cell, run] : seen) ++start[cell + 1];
  for (std::size_t i = 0; i < cells.size(); ++i) start[i + 1] += start[i];
  found.runs.resize(seen.size());
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  for (const auto& [cell, run] : seen) found.runs[next[cell]++] = run;
  for (std::size_t i = 0; i < cells.size(); ++i)
    cells[i].runs = row_runs(found.runs).subspan(start[i], start[i + 1] - start[i]);
  return found;
}
}  // namespace

const std::vector<cell_rows>& cells_of(const out::graph_table& t) {
  return kept_once<cell_index>(t, "cells in row order", [&t] { return find_cells(t); }).cells;
}

namespace {
// The place of each key's level (what `level` takes of it) among the distinct levels
// in the order they first come, and those levels: found by sorting, not hashing.
template <class Level>
std::vector<std::uint32_t> level_places(const std::vector<class_key>& keys, Level level,
                                        std::vector<std::string>* levels) {
  const std::size_t n = keys.size();
  std::vector<std::uint32_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<std::uint32_t>(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::uint32_t a, std::uint32_t b) { return level(keys[a]) < level(keys[b]); });
  // Each run of equal levels takes the index of its first key; the runs in the order
  // of those indexes give the levels' places.
  std::vector<std::uint32_t> first(n);
  std::vector<std::uint32_t> firsts;
  for (std::size_t k = 0; k < n; ++k) {
    const bool starts = k == 0 || level(keys[order[k]]) != level(keys[order[k - 1]]);
    if (starts) firsts.push_back(order[k]);
    first[order[k]] = starts ? order[k] : first[order[k - 1]];
  }
  std::sort(firsts.begin(), firsts.end());
  std::vector<std::uint32_t> place_of_first(n, 0);
  levels->reserve(firsts.size());
  for (std::size_t r = 0; r < firsts.size(); ++r) {
    place_of_first[firsts[r]] = static_cast<std::uint32_t>(r);
    levels->push_back(level(keys[firsts[r]]));
  }
  std::vector<std::uint32_t> place(n);
  for (std::size_t i = 0; i < n; ++i) place[i] = place_of_first[first[i]];
  return place;
}
}  // namespace

cell_places place_cells(const std::vector<class_key>& keys) {
  cell_places g;
  const auto down = [](const class_key& k) -> const std::string& { return k.c1; };
  const auto across = [](const class_key& k) -> const std::string& { return k.c2; };
  const std::vector<std::uint32_t> row = level_places(keys, down, &g.rows), col = level_places(keys, across, &g.cols);
  g.cell_at.reserve(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    g.cell_at.emplace_back(std::uint64_t{row[i]} << 32 | col[i], static_cast<int>(i));
    g.any1 = g.any1 || !keys[i].c1.empty();
    g.any2 = g.any2 || !keys[i].c2.empty();
  }
  // The first cell of a pair holds its place: the sort keeps the order of equals.
  std::stable_sort(g.cell_at.begin(), g.cell_at.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  g.cell_at.erase(std::unique(g.cell_at.begin(), g.cell_at.end(),
                              [](const auto& a, const auto& b) { return a.first == b.first; }),
                  g.cell_at.end());
  g.any_cell = !keys.empty();
  return g;
}

panel_grid panel_cells(const cell_places& places, int nrows, int ncols, int panel) {
  panel_grid g;
  const std::vector<std::string>&rows = places.rows, &cols = places.cols;
  nrows = std::max(nrows, 1);
  ncols = std::max(ncols, 1);
  if (!places.any1 && !places.any2) {
    g.index.push_back(places.any_cell ? 0 : -1);
    g.on_levels.push_back(false);
    g.levels.emplace_back();
    return g;
  }
  g.strips = true;
  // One CLASS variable runs down the rows (Class1) or across the columns (Class2).
  if (!places.any2) ncols = 1;
  if (!places.any1) nrows = 1;
  const int colblocks = std::max(1, (static_cast<int>(cols.size()) + ncols - 1) / ncols);
  const int p = std::max(panel, 1) - 1;
  const int rb = p / colblocks, cb = p % colblocks;
  // A panel has as many rows as it holds (the last one down only those left), and its
  // page is sized to them.
  g.nrows = std::clamp(static_cast<int>(rows.size()) - rb * nrows, 1, nrows);
  g.ncols = ncols;
  const std::size_t slots = static_cast<std::size_t>(g.nrows) * static_cast<std::size_t>(ncols);
  g.index.reserve(slots);
  g.on_levels.reserve(slots);
  g.levels.reserve(slots);
  for (int r = 0; r < g.nrows; ++r)
    for (int k = 0; k < ncols; ++k) {
      const std::size_t ri = static_cast<std::size_t>(rb * nrows + r), ci = static_cast<std::size_t>(cb * ncols + k);
      const bool on = ri < rows.size() && ci < cols.size();
      g.index.push_back(on ? places.at(ri, ci) : -1);
      g.on_levels.push_back(on);
      g.levels.push_back(on ? class_key{rows[ri], cols[ci]} : class_key{});
    }
  return g;
}

panel_grid panel_cells(const cell_places& places, const out::graph_panel& p) {
  return panel_cells(places, static_cast<int>(p.number(KES_DYN_NROWS, 1)), static_cast<int>(p.number(KES_DYN_NCOLS, 1)),
                     static_cast<int>(p.number(KES_DYN_PANEL, 1)));
}

std::string strip_text(const out::graph_table& t, const class_key& key) {
  std::string s;
  const auto add = [&](const char* column, const std::string& level) {
    const int k = t.column(column);
    if (k < 0) return;
    const std::string& label = t.columns[k].label.empty() ? t.columns[k].name : t.columns[k].label;
    s += (s.empty() ? "" : ", ") + label + " = " + level;
  };
  add("Class1", key.c1);
  add("Class2", key.c2);
  return s;
}

void draw_slot_strip(canvas& c, const frame& f, const out::graph_table& t, const panel_grid& grid, std::size_t i,
                     page_strips* strips) {
  if (!grid.strips || !grid.on_levels[i]) return;
  // A strip too narrow for the variables' names shows their levels alone, rather than
  // a name cut before its level; levels still too long shrink, as legend entries do,
  // and are cut apart from those of the panel's other strips only when that is not
  // enough, so that no two cells read the same. The set is found once for the page
  // (its frames share a width).
  if (!(strips->width == f.w)) {
    text_style size;
    size.size = kStripSize;
    const auto shown = [&](const class_key& key) {
      std::string text = strip_text(t, key);
      if (text_advance(text, size) <= f.w - 6) return text;
      return key.c2.empty() ? key.c1 : key.c1.empty() ? key.c2 : key.c1 + ", " + key.c2;
    };
    std::vector<std::string> texts;
    texts.reserve(grid.levels.size());
    for (std::size_t k = 0; k < grid.levels.size(); ++k)
      if (grid.on_levels[k]) texts.push_back(shown(grid.levels[k]));
    strips->shown = shrink_or_cut_apart(texts, size, f.w - 6);
    strips->width = f.w;
  }
  const std::size_t at = static_cast<std::size_t>(
      std::count(grid.on_levels.begin(), grid.on_levels.begin() + static_cast<std::ptrdiff_t>(i), true));
  const sized_text& shown_at = strips->shown[at];
  // The strip heads the cell: it stands above the boxes over the frame.
  const double band = cell_bands::of(grid.bands.top, static_cast<int>(i) / grid.ncols);
  draw_strip(c, f.x, f.y - band - kStripHeight, f.w, shown_at.text, shown_at.size);
  if (!grid.empty_cell(i)) return;
  draw_wall(c, f);
  draw_no_values(c, f);
  draw_border(c, f);
}

frame draw_no_values(canvas& c, const frame& f, const char* why) {
  text_style note;
  note.size = kLegendSize;
  note.align = anchor::middle;
  note.colour = kRefColour;
  // A note too long for the cell says what it holds on one line and why on the next,
  // rather than losing the why to the cut.
  const std::string text = why;
  const std::size_t comma = text.find(", ");
  const double room = f.w - 6, y = f.y + f.h / 2 + text_above(kLegendSize) / 2;
  // What it covers, so that boxes in the cell keep off it.
  const auto covers = [&](double width, double top, double bottom) {
    width = std::min(width, room);
    return frame{f.x + (f.w - width) / 2, top, width, bottom - top};
  };
  if (text_advance(text, note) <= room || comma == std::string::npos) {
    c.text(f.x + f.w / 2, y, fit_text(text, note, room), note);
    return covers(text_advance(text, note), y - text_above(note.size), y + text_below(note.size));
  }
  const double line = text_above(kLegendSize) + text_below(kLegendSize);
  const std::string what = text.substr(0, comma + 1), cause = text.substr(comma + 2);
  // Both lines in one size, shrunk as a label is before it is cut.
  note.size = std::min(shrunk_size(what, note, room), shrunk_size(cause, note, room));
  c.text(f.x + f.w / 2, y - line / 2, fit_text(what, note, room), note);
  c.text(f.x + f.w / 2, y + line / 2, fit_text(cause, note, room), note);
  return covers(std::max(text_advance(what, note), text_advance(cause, note)), y - line / 2 - text_above(note.size),
                y + line / 2 + text_below(note.size));
}

std::string unplotted_values::why() const {
  if (n == 1) return "1 value";
  if (n > 1 && lo == hi) return "all values equal";
  // Values that have no place (their quantiles could not be computed) are there all
  // the same: the cell is not empty.
  if (n > 1) return std::to_string(n) + " values" + (cause != nullptr ? std::string(", ") + cause : std::string());
  return "no nonmissing values";
}

namespace {
// The texts of the ticks: those given, else those kept with the panel's data object by
// the ticks' bits (every cell of a graph's panels shows the same ticks, and their
// texts take some finding), else, without a data object to keep them with, texts of
// its own. Each holds its texts as long as it lives. The name they are kept under is
// built in `key`, which its caller owns: a page's axes pass their scratch's, so that
// every cell asks without allocating.
class tick_texts_of {
 public:
  tick_texts_of(const out::graph_panel& p, const std::vector<double>& ticks, const std::vector<std::string>* given,
                std::string& key)
      : texts_(given) {
    if (texts_ != nullptr) return;
    if (p.tables.empty() || p.tables[0] == nullptr) {
      own_ = tick_texts(ticks);
      texts_ = &own_;
      return;
    }
    key.assign("tick texts ");
    key.append(reinterpret_cast<const char*>(ticks.data()), ticks.size() * sizeof(double));
    texts_ = &kept_once<std::vector<std::string>>(*p.tables[0], key, [&ticks] { return tick_texts(ticks); });
  }
  tick_texts_of(const tick_texts_of&) = delete;
  tick_texts_of& operator=(const tick_texts_of&) = delete;
  const std::vector<std::string>& get() const { return *texts_; }

 private:
  const std::vector<std::string>* texts_;
  std::vector<std::string> own_;
};
}  // namespace

page_frame begin_page(canvas& c, const out::graph_panel& p, const panel_grid& grid,
                      const std::vector<legend_entry>& legend, const std::vector<double>& yticks, const char* kind,
                      const std::vector<std::string>* ytexts) {
  page_frame pg;
  pg.height = std::max(kPageHeight, 150.0 * grid.nrows + 180);
  // The texts of the page's head, each built in one string.
  std::string desc;
  desc.reserve(96);
  desc.append("A ").append(kind).append(" of ").append(p.text(KES_DYN_VARLABEL, p.text(KES_DYN_VARNAME)));
  if (grid.strips) {
    int cells = 0;
    for (std::size_t i = 0; i < grid.index.size(); ++i) cells += grid.drawn(i) ? 1 : 0;
    desc.append(", ").append(std::to_string(cells)).append(cells == 1 ? " CLASS cell" : " CLASS cells");
  }
  for (const auto& [name, value] : p.context.by) desc.append(", ").append(name).append(" = ").append(value);
  desc += '.';

  std::vector<std::string> titles(2);
  titles[0] = p.label;
  std::string& byline = titles[1];
  for (const auto& [name, value] : p.context.by)
    byline.append(byline.empty() ? "" : "  ").append(name).append("=").append(value);
  no_canvas measure;
  const double top = draw_titles(measure, pg.width, titles);
  pg.inner_width = pg.width - 2 * kMargin;
  std::vector<inset_box> boxes = read_inset_boxes(p);
  inset_room room = inset_margin_room(boxes, pg.inner_width);

  const std::string_view xd = x_display(p), yd = y_display(p);
  const bool yvalues = has(yd, "TICKVALUES"), ylabel = has(yd, "LABEL") && !p.text(KES_DYN_YLABEL).empty();
  const double xaxis = kTickLength + kGap + text_above(kTickSize) + text_below(kTickSize);
  const double xlabel = has(xd, "LABEL") ? kLabelSize + kGap : 0;
  // Many legend entries take more columns rather than the plot's half of the page.
  const double fixed = top + room.top + room.bottom + xaxis + xlabel + kMargin + kGap;
  pg.legend_max = std::max(kLegendSize, pg.height / 2 - fixed);
  const double lh = legend_height(legend_title_of(p), legend, pg.inner_width, pg.legend_max);
  // A legend that needs more than its half even in its narrowest columns makes the
  // page taller, so that the plot keeps half of it at any number of entries.
  if (lh > pg.legend_max) {
    pg.height = 2 * (fixed + lh);
    pg.legend_max = lh + 1;
  } else if (fixed + lh > pg.height / 2) {
    // Boxes in the top and bottom margins make the page taller in the same way.
    pg.height = 2 * (fixed + lh);
  }
  std::string tick_key;  // the page's once: made here
  const double yvalues_w = yvalues ? tick_text_width(tick_texts_of(p, yticks, ytexts, tick_key).get()) + kGap : 0;
  pg.y_axis_room = yvalues_w + kTickLength;
  pg.x_axis_room = xaxis;
  // The bands beside the cells widen and heighten the page; those of the outer cells
  // hold the axes' values, whose room the page then need not keep beside them.
  const bool left_band = cell_bands::of(grid.bands.left, 0) > 0;
  const bool bottom_band = cell_bands::of(grid.bands.bottom, grid.nrows - 1) > 0;
  pg.width += grid.bands.across() - (left_band ? pg.y_axis_room : 0);
  pg.height += grid.bands.down() - (bottom_band ? xaxis : 0);
  // A side-margin box runs from the grid's top down to the horizontal axis's label:
  // the page grows for it, to twice its height at most; past that the box sets its
  // rows side by side, shrinks, and leaves out the rows that still find no room.
  const double legend_room = lh > 0 ? lh + kGap : 0;
  const auto side_room = [&] { return pg.height - kMargin - legend_room - room.bottom - top - room.top; };
  const double side_need = side_insets_height(boxes);
  if (side_need > side_room()) {
    pg.height += std::min(side_need - side_room(), pg.height);
    fit_side_insets(&boxes, pg.inner_width / 3, side_room());
    const inset_room fitted = inset_margin_room(boxes, pg.inner_width);
    room.left = fitted.left, room.right = fitted.right;
  }
  pg.inset_top = room.top, pg.inset_bottom = room.bottom, pg.inset_left = room.left, pg.inset_right = room.right;
  pg.margin_boxes = std::make_shared<const std::vector<inset_box>>(std::move(boxes));
  c.begin(pg.width, pg.height, panel_title(p), desc);
  draw_titles(c, pg.width, titles);
  const double left_edge = kMargin + room.left + (ylabel ? kLabelSize + kGap : 0);
  pg.grid_left = left_band ? left_edge : left_edge + yvalues_w + kTickLength;
  pg.grid_right = pg.width - kMargin - 4 - room.right;
  pg.grid_top = top + room.top;
  // Where the horizontal axis's values start under a grid without a band under it.
  const double axis_top = pg.height - kMargin - xaxis - xlabel - (lh > 0 ? lh + kGap : 0) - room.bottom;
  pg.grid_bottom = bottom_band ? axis_top + xaxis : axis_top;
  pg.xlabel_y = axis_top + xaxis + text_above(kLabelSize) + 2;
  pg.inset_bottom_y = axis_top + xaxis + xlabel + kGap;
  pg.inset_top_y = top;
  pg.inset_right_x = pg.grid_right + kGap + 4;
  pg.ylabel_x = kMargin + room.left + text_above(kLabelSize);
  pg.legend_y = pg.height - kMargin - lh;
  pg.cells = cell_grid(pg.grid_left, pg.grid_top, pg.grid_right, pg.grid_bottom, grid.nrows, grid.ncols, grid.strips,
                       grid.bands);
  return pg;
}


void keep_x_texts_on_page(page_frame* pg, const out::graph_panel& p, const panel_grid& grid, double xlo, double xhi,
                          const std::vector<double>& xticks, const std::vector<std::string>* xtexts) {
  if (pg->cells.empty() || !(xhi > xlo)) return;
  std::string tick_key;  // the page's once: made here
  const tick_texts_of found(p, xticks, xtexts, tick_key);
  const std::vector<std::string>& texts = found.get();
  const double edge = 2;  // px kept clear of the page's edges
  // Ticks move with the frame: a few rounds settle the widths.
  for (int round = 0; round < 4; ++round) {
    const frame& first = pg->cells.front();
    const frame& last = pg->cells[std::min<std::size_t>(pg->cells.size(), grid.ncols) - 1];
    double over_left = 0, over_right = 0;
    for (std::size_t i = 0; i < xticks.size() && i < texts.size(); ++i) {
      if (!(xticks[i] >= xlo && xticks[i] <= xhi)) continue;
      const double at = kes_axis_fraction(xticks[i], xlo, xhi);
      const double half = text_advance(texts[i], text_style{kTickSize}) / 2;
      over_left = std::max(over_left, edge - (first.x + at * first.w - half));
      over_right = std::max(over_right, last.x + at * last.w + half - (pg->width - edge));
    }
    if (over_left <= 0 && over_right <= 0) return;
    pg->grid_left += over_left;
    pg->grid_right -= over_right;
    pg->cells = cell_grid(pg->grid_left, pg->grid_top, pg->grid_right, pg->grid_bottom, grid.nrows, grid.ncols,
                          grid.strips, grid.bands);
  }
}

void draw_axes_of_cell(canvas& c, const frame& f, const out::graph_panel& p, const panel_grid& grid, std::size_t i,
                       axis_scratch& scratch, const std::vector<double>& xticks, const std::vector<double>& yticks,
                       const std::vector<std::string>* xtexts, const std::vector<std::string>* ytexts) {
  const std::string_view xd = x_display(p), yd = y_display(p);
  const int row = static_cast<int>(i) / grid.ncols, col = static_cast<int>(i) % grid.ncols;
  // The lowest slot of the column that holds a cell carries the horizontal axis.
  int lowest = -1;
  for (int r = 0; r < grid.nrows; ++r)
    if (grid.drawn(static_cast<std::size_t>(r * grid.ncols + col))) lowest = r;
  // Next to another cell a text keeps to its half of the gap between them, less half a
  // character, so that the texts of neighbouring cells never run together.
  const double half_gap = std::max(0.0, (cell_gap() - tick_text_room()) / 2);
  if (row == lowest)
    draw_x_axis(c, f, xticks, tick_texts_of(p, xticks, xtexts, scratch.tick_key).get(), has(xd, "TICKS"),
                has(xd, "TICKVALUES"), col > 0 ? half_gap : INFINITY, col < grid.ncols - 1 ? half_gap : INFINITY,
                scratch);
  if (col == 0 && grid.drawn(i))
    draw_y_axis(c, f, yticks, tick_texts_of(p, yticks, ytexts, scratch.tick_key).get(), has(yd, "TICKS"),
                has(yd, "TICKVALUES"), scratch);
}

void finish_page(canvas& c, graph_notes& notes, const out::graph_panel& p, const page_frame& pg,
                 const std::vector<legend_entry>& legend) {
  const std::string_view xd = x_display(p), yd = y_display(p);
  const double w = pg.grid_right - pg.grid_left, h = pg.grid_bottom - pg.grid_top;
  const std::string xlabel = p.text(KES_DYN_XLABEL, p.text(KES_DYN_VARLABEL, p.text(KES_DYN_VARNAME)));
  if (has(xd, "LABEL")) draw_x_label(c, pg.grid_left + w / 2, pg.xlabel_y, w, xlabel);
  if (has(yd, "LABEL")) draw_y_label(c, pg.ylabel_x, pg.grid_top + h / 2, h, p.text(KES_DYN_YLABEL));
  draw_legend(c, kMargin, pg.legend_y, pg.inner_width, legend_title_of(p), legend, pg.legend_max);
  const std::vector<inset_box> boxes = pg.margin_boxes != nullptr ? *pg.margin_boxes : read_inset_boxes(p);
  const double inner = pg.inner_width;
  draw_margin_insets(c, notes, boxes, 1, kMargin, pg.inset_top_y, inner);
  draw_margin_insets(c, notes, boxes, 2, kMargin, pg.inset_bottom_y, inner);
  draw_margin_insets(c, notes, boxes, 3, kMargin, pg.grid_top, inner);
  draw_margin_insets(c, notes, boxes, 4, pg.inset_right_x, pg.grid_top, inner);
  c.end();
}

}  // namespace plat::graph
