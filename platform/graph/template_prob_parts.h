// What the templates of QQ, probability, P-P and CDF plots draw alike.
#pragma once
#include <array>
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_graph_parts.h"
#include "graph/template_parts.h"

namespace plat::graph {

inline constexpr const char* kLineInk = "#D55E00";

// The fitted line or curve of a plot in its look, restyled by the family's COLOR=, W=
// and L= that the module passes as "_LINECOLOR", "_LINETHICKNESS" and "_LINEPATTERN".
paint fit_line(const out::graph_panel& p, paint look);

// The vertical scale of the VAXIS= ticks that the module passes as "_YTICKS", reaching
// 4 % past the end ticks as the default scales do (values on them are drawn whole);
// `fallback` when it passes none.
scale vaxis_scale(const out::graph_panel& p, scale fallback);

// The paint of the points (data values) of a cell: open circles of 5 px.
paint point_paint();

// Square plot areas (SQUARE): the narrower side of the grid sets both, the gaps and
// strips between the cells left out, and row_room (column_room) px kept free between
// the rows (columns) for what each cell carries beside it; the grid stands in the
// middle of the room across, its vertical axis label with it.
void square_cells(page_frame& page, const panel_grid& grid, double row_room = 0, double column_room = 0);

// The HREF= and VREF= values of a data object's rows, with their labels.
struct ref_columns {
  explicit ref_columns(const column_reader& col)
      : h(col.numbers("HRefValue")), v(col.numbers("VRefValue")), hl(col.texts("HRefLabel")),
        vl(col.texts("VRefLabel")) {}
  // Those of the rows of a cell, added to its lists in row order.
  void read(const row_runs& rows, std::vector<refline>& hrefs,
            std::vector<refline>& vrefs) const;
  num_column h, v;
  text_column hl, vl;
};

struct cell_ink;

// A cell's data points, given to the canvas a piece at a time (each also to the cell's
// ink, for placing its insets); finish() draws the last piece.
class point_batch {
 public:
  point_batch(canvas& c, const paint& p, cell_ink* ink) : c_(c), paint_(p), ink_(ink) {}
  void add(const point& at) {
    piece_[n_++] = at;
    if (n_ == kPiece) finish();
  }
  void finish();

 private:
  static constexpr std::size_t kPiece = 1024;
  canvas& c_;
  const paint paint_;
  cell_ink* ink_;
  // On the stack: a batch a cell costs no allocation.
  std::array<point, kPiece> piece_;
  std::size_t n_ = 0;
};

// The cells of a plot's data table, each row read once: the numbers of each cell's
// rows (in the order its first row comes) in the named columns go to
// read_row(cell, v), v[k] the row's number in columns[k], and the reference lines are
// added. Every Cell has key, rows, hrefs and vrefs.
template <class Cell, std::size_t K, class ReadRow>
std::vector<Cell> read_plot_cells(const out::graph_table& t, const std::array<const char*, K>& columns,
                                  ReadRow read_row) {
  const column_reader col(t);
  const ref_columns refs(col);
  std::array<num_column, K> cols;
  for (std::size_t k = 0; k < K; ++k) cols[k] = col.numbers(columns[k]);
  std::vector<Cell> cells;
  for (const cell_rows& index : cells_of(t)) {
    Cell& cell = cells.emplace_back();
    cell.key = index.key;
    cell.rows = index.runs;
    each_row<K>(cols, cell.rows, [&](std::size_t, const std::array<double, K>& v) { read_row(cell, v); });
    refs.read(cell.rows, cell.hrefs, cell.vrefs);
  }
  return cells;
}

}  // namespace plat::graph
