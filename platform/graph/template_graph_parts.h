// The page of a graph template made of CLASS cells: reading a data object's columns,
// which cells a panel shows (Class1 down the rows, Class2 across the columns, NROWS
// by NCOLS cells per panel), the page layout with titles, strips, axes, axis labels
// and legend. Every template of probability-type plots lays its page out the same way.
#pragma once
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_notes.h"
#include "graph/template_parts.h"
#include "graph/text_cuts.h"
#include "output/graph_objects.h"

namespace plat::graph {

// The CLASS levels of a row: Class1, Class2 and Group texts, empty when absent. Group
// holds the level of the overlaid CLASS variable (OVERLAY).
struct class_key {
  class_key() = default;
  class_key(std::string a, std::string b, std::string g = {}) : c1(std::move(a)), c2(std::move(b)), group(std::move(g)) {}
  std::string c1, c2, group;
  bool operator==(const class_key& o) const { return c1 == o.c1 && c2 == o.c2 && group == o.group; }
};
struct class_key_hash {
  std::size_t operator()(const class_key& k) const {
    const std::hash<std::string> h;
    return (h(k.c1) * 31 + h(k.c2)) * 31 + h(k.group);
  }
};

// A column of a data object, found once and read row by row (NaN or "" when the
// object lacks it or holds the other kind in it).
struct num_column {
  const out::graph_column* c = nullptr;
  double operator()(std::size_t row) const { return c != nullptr ? c->num(row) : NAN; }
  bool present() const { return c != nullptr; }
  // Rows [first, first + count) into out.
  void read(std::size_t first, std::size_t count, double* out) const {
    if (c != nullptr) c->read(first, count, out);
    else std::fill_n(out, count, NAN);
  }
};

// Runs [first, end) of rows, in row order: a view into the runs of every cell of a data
// object, which keeps them (cells_of).
using row_run = std::pair<std::size_t, std::size_t>;
using row_runs = std::span<const row_run>;

// Calls each(row, v) for every row of the runs [first, end), in order, v[k] the row's
// number in cols[k]. The columns are read a piece of rows at a time: a plot of
// millions of points reads them at the speed of a copy.
template <std::size_t K, class Each>
void each_row(const std::array<num_column, K>& cols, const row_runs& runs, Each&& each) {
  constexpr std::size_t kPiece = 512;
  double piece[K][kPiece];
  for (const auto& [first, end] : runs)
    for (std::size_t at = first; at < end; at += kPiece) {
      const std::size_t n = std::min(kPiece, end - at);
      for (std::size_t k = 0; k < K; ++k) cols[k].read(at, n, piece[k]);
      for (std::size_t i = 0; i < n; ++i) {
        std::array<double, K> v;
        for (std::size_t k = 0; k < K; ++k) v[k] = piece[k][i];
        each(at + i, v);
      }
    }
}
struct text_column {
  const out::graph_column* c = nullptr;
  const std::string& operator()(std::size_t row) const;
};

// Reads the cells of a data object's rows by column name (missing: NaN or "").
class column_reader {
 public:
  explicit column_reader(const out::graph_table& t) : t_(t) {}
  num_column numbers(const char* name) const { return {t_.data_of(t_.column(name))}; }
  text_column texts(const char* name) const { return {t_.data_of(t_.column(name))}; }
  double num(std::size_t row, const char* name) const { return numbers(name)(row); }
  std::string text(std::size_t row, const char* name) const { return texts(name)(row); }

 private:
  const out::graph_table& t_;
};

// The rows of one CLASS cell: runs [first, end) of rows, in row order.
struct cell_rows {
  class_key key;
  row_runs runs;
};
// The CLASS cells of a data object in the order their first rows come, each row read
// once for its levels; made once per data object and kept with it for every panel.
const std::vector<cell_rows>& cells_of(const out::graph_table& t);
// Rows read by cells_of over the run, for the tests of how often a row is read.
std::size_t rows_indexed();

// The base of what keeps lists that its own parts view (a cell's runs, bars or points):
// it moves, its lists staying where they are, and never copies, which would leave the
// copy's views on the original's lists.
struct keeps_views {
  keeps_views() = default;
  keeps_views(keeps_views&&) = default;
  keeps_views& operator=(keeps_views&&) = default;
  keeps_views(const keeps_views&) = delete;
  keeps_views& operator=(const keeps_views&) = delete;
};

// What a drawer finds over every cell of its data object for all of a graph's panels,
// made at the first panel that asks for it by that name and kept with the object.
template <class T, class Make>
const T& kept_once(const out::graph_table& t, const std::string& name, Make make) {
  for (const auto& [n, v] : t.kept)
    if (n == name) return *static_cast<const T*>(v.get());
  t.kept.emplace_back(name, std::make_shared<const T>(make()));
  return *static_cast<const T*>(t.kept.back().second.get());
}

// The levels of a graph's cells down (Class1) and across (Class2) in the order they
// come, and the cell of each pair (the first with that pair): found once for all the
// panels, which then look up only their own slots.
struct cell_places {
  std::vector<std::string> rows, cols;
  // The cell of each pair as (row << 32 | column, cell), ascending.
  std::vector<std::pair<std::uint64_t, int>> cell_at;
  bool any1 = false, any2 = false, any_cell = false;
  int at(std::size_t row, std::size_t col) const {
    const std::uint64_t place = std::uint64_t{row} << 32 | col;
    const auto it = std::lower_bound(cell_at.begin(), cell_at.end(), std::pair<std::uint64_t, int>{place, INT_MIN});
    return it == cell_at.end() || it->first != place ? -1 : it->second;
  }
};
cell_places place_cells(const std::vector<class_key>& keys);

// The cells of one panel: an nrows x ncols grid, each slot the index of a cell (in
// the order of `keys`) or -1.
struct panel_grid {
  int nrows = 1, ncols = 1;
  bool strips = false;       // cells carry their CLASS levels in a strip
  cell_bands bands;          // room beside the plot areas for inset boxes; the page grows by it
  std::vector<int> index;    // row-major
  // The levels of each slot that lies on a combination of CLASS levels, with or
  // without a cell (a combination without one has no nonmissing values).
  std::vector<class_key> levels;
  std::vector<bool> on_levels;
  bool empty_cell(std::size_t i) const { return index[i] < 0 && strips && on_levels[i]; }
  bool drawn(std::size_t i) const { return index[i] >= 0 || !strips || on_levels[i]; }
};
panel_grid panel_cells(const cell_places& places, int nrows, int ncols, int panel);
// The same with the panel's _NROWS, _NCOLS and _PANEL.
panel_grid panel_cells(const cell_places& places, const out::graph_panel& p);

// "label = level" of each CLASS column of a cell.
std::string strip_text(const out::graph_table& t, const class_key& key);
// The strip of grid slot i above its frame, when the slot shows CLASS levels; an empty
// combination also gets its wall, its frame and the words "no nonmissing values".
// `strips` keeps the page's strip texts, found at its first slot.
struct page_strips {
  std::vector<sized_text> shown;  // of the slots on levels, in slot order
  double width = NAN;             // the frames' width they were found for
};
void draw_slot_strip(canvas& c, const frame& f, const out::graph_table& t, const panel_grid& grid, std::size_t i,
                     page_strips* strips);
// Why a cell draws nothing, in its middle: by default "no nonmissing values". The
// result is the room the words take, which boxes in the cell keep off.
frame draw_no_values(canvas& c, const frame& f, const char* why = "no nonmissing values");
// The values a cell sent without a place to plot them (a cell without spread sends its
// values alone): how many, and their range.
struct unplotted_values {
  long n = 0;
  double lo = INFINITY, hi = -INFINITY;
  // Why values that differ have no place, when the plot knows ("whose quantiles cannot
  // be computed").
  const char* cause = nullptr;
  void add(double v) {
    ++n;
    lo = std::min(lo, v), hi = std::max(hi, v);
  }
  // Why the cell shows no point: "1 value", "all values equal", "20 values" (values
  // whose places could not be computed; the log says why) followed by the cause when
  // there is one, or, with none, "no nonmissing values".
  std::string why() const;
};

// The page: the plot area of each grid slot (its strip above it) and the room of the
// axis labels and the legend.
struct inset_box;
struct page_frame {
  double width = kPageWidth, height = kPageHeight;
  std::vector<frame> cells;
  double grid_left = 0, grid_top = 0, grid_right = 0, grid_bottom = 0;
  double xlabel_y = 0, ylabel_x = 0, legend_y = 0;
  double legend_max = INFINITY;  // the legend's height keeps half the page for the plot
  // Room of the inset boxes in the page margins (top, bottom, left, right) and where
  // the top, bottom and right boxes start: fixed by the page, so that room a graph
  // takes from its grid afterwards (a percentile axis) stays clear of them.
  double inset_top = 0, inset_bottom = 0, inset_left = 0, inset_right = 0, inset_bottom_y = 0;
  double inset_top_y = 0, inset_right_x = 0;
  // The margin boxes as the page holds them: side boxes fitted to its height.
  std::shared_ptr<const std::vector<inset_box>> margin_boxes;
  // The width the legend and the margin boxes are laid out in: the page's own, not what
  // the bands add to it.
  double inner_width = 0;
  // Px the tick marks and values of the vertical axis take left of a cell, and those of
  // the horizontal axis under it.
  double y_axis_room = 0, x_axis_room = 0;
};
// Lays the page out for the grid, the legend and the vertical tick texts (`ytexts`
// when the ticks carry texts of their own), starts it on the canvas (title: the
// panel's label and description; desc: what it shows) and draws its titles (the label
// and the BY line). The grid's bands make the page wider and taller, never the plot
// areas smaller: a band left of the first column holds that column's tick values,
// one under the last row its horizontal axis.
page_frame begin_page(canvas& c, const out::graph_panel& p, const panel_grid& grid,
                      const std::vector<legend_entry>& legend, const std::vector<double>& yticks, const char* kind,
                      const std::vector<std::string>* ytexts = nullptr);
// Narrows the grid of a laid-out page until every horizontal tick text (ticks from xlo
// to xhi) stands on the page: an axis that ends at the largest double has no pad past
// its last tick, and the text centred on it needs room beside the frame.
// Texts of their own at the ticks (`xtexts`) are measured when given.
void keep_x_texts_on_page(page_frame* pg, const out::graph_panel& p, const panel_grid& grid, double xlo, double xhi,
                          const std::vector<double>& xticks, const std::vector<std::string>* xtexts = nullptr);
// The panel's label, and its description in parentheses when it has one.
std::string panel_title(const out::graph_panel& p);
// The parts of the axes a panel shows, _XDISPLAY and _YDISPLAY read in place (every
// part by default): whether `word` ("TICKS", "TICKVALUES", "LABEL") is among them.
std::string_view x_display(const out::graph_panel& p);
std::string_view y_display(const out::graph_panel& p);
inline bool display_has(std::string_view display, const char* word) {
  return display.find(word) != std::string_view::npos;
}
// Axes of grid slot i: the horizontal axis under the lowest cell of its column, the
// vertical axis beside the cells of the first column, as _XDISPLAY and _YDISPLAY say.
// Texts of their own at the ticks replace the numbers when given. `scratch` is the
// page's, kept from one cell's axes to the next.
void draw_axes_of_cell(canvas& c, const frame& f, const out::graph_panel& p, const panel_grid& grid, std::size_t i,
                       axis_scratch& scratch, const std::vector<double>& xticks, const std::vector<double>& yticks,
                       const std::vector<std::string>* xtexts = nullptr,
                       const std::vector<std::string>* ytexts = nullptr);
// Axis labels (_XLABEL, else _VARLABEL; _YLABEL), the legend (_LEGENDTITLE) and the end of the page.
void finish_page(canvas& c, graph_notes& notes, const out::graph_panel& p, const page_frame& page,
                 const std::vector<legend_entry>& legend);

}  // namespace plat::graph
