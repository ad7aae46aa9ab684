// Template graphs on the host's side: the data objects a graph draws from (bound
// tables kept past their emit) and the graph panels (method 2826), with the
// deterministic text dump of both.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "output/report.h"

namespace plat::out {

// A column of a graph's data object as it is held: numbers as doubles, texts as
// indexes into the column's distinct texts. Values that repeat over rows (a CLASS
// level, a reference value given in the first row only) are held once per run of
// rows; a column whose values change from row to row holds one double a row.
class graph_column {
 public:
  graph_column() = default;
  explicit graph_column(bool numeric) : numeric_(numeric) {}
  // Inline: a graph's rows come by the million, a few columns each.
  void push_num(double v) {
    if (!numeric_) return push_text("");
    ++size_;
    if (dense_) return push_dense(v);
    if (!runs_.empty() && same_bits(runs_.back().second, v)) return;  // the run goes on
    push_run(v);
  }
  void push_text(std::string_view s);
  std::size_t size() const { return size_; }
  // The value of a row: NaN (a number) or "" (a text) for a row of the other kind or
  // past the end.
  double num(std::size_t row) const {
    if (!numeric_ || row >= size_) return NAN;
    if (dense_) return blocks_[row >> kBlockBits][row & (kBlock - 1)];
    return runs_[run_of(row)].second;
  }
  // The numbers of rows [first, first + count) into out, as num() gives each.
  void read(std::size_t first, std::size_t count, double* out) const;
  const std::string& text(std::size_t row) const;
  // Index of the row's text among the column's distinct texts (-1 when none).
  long code(std::size_t row) const;
  const std::vector<std::string>& levels() const { return levels_; }

 private:
  void make_dense();
  // A new run (the bits differ from the last run's, so that the kinds of missing
  // values stay apart).
  void push_run(double v);
  static bool same_bits(double a, double b) {
    std::uint64_t x, y;
    std::memcpy(&x, &a, sizeof a);
    std::memcpy(&y, &b, sizeof b);
    return x == y;
  }
  std::size_t run_of(std::size_t row) const;

  bool numeric_ = true;
  std::size_t size_ = 0;
  // Runs: the first row and value of each run of equal values (bits compared, so that
  // the kinds of missing values stay apart), until runs are not worth it.
  std::vector<std::pair<std::size_t, double>> runs_;
  bool dense_ = false;
  // One a row, once dense, in blocks of a fixed size: growing never copies or needs
  // twice the room, and a row's block and place are a shift and a mask.
  static constexpr unsigned kBlockBits = 13;
  static constexpr std::size_t kBlock = std::size_t{1} << kBlockBits;
  void push_dense(double v) {
    if ((dense_rows_ & (kBlock - 1)) == 0) new_block();
    blocks_.back()[dense_rows_++ & (kBlock - 1)] = v;
  }
  void new_block();
  std::vector<std::unique_ptr<double[]>> blocks_;
  std::size_t dense_rows_ = 0;
  std::vector<std::pair<std::size_t, std::uint32_t>> text_runs_;
  std::vector<std::string> levels_;
  // The levels by hash, open addressing: code + 1 a slot, 0 empty. Flat, as a column
  // of a level for each of many CLASS cells would otherwise make a node per level.
  std::vector<std::uint32_t> level_slots_;
  std::uint32_t level_code(std::string_view s);
  mutable std::size_t cursor_ = 0;  // the run last read: rows are mostly read in order
};

// An emitted data object of a template graph: its columns and rows as they were.
struct graph_table {
  std::string name;
  std::string template_name;
  std::vector<column_info> columns;

  // Index of a column, or -1.
  int column(const std::string& n) const;
  std::size_t rows() const { return rows_; }
  // Appends a row: one cell per column, in the columns' order (missing cells: a
  // missing number, an empty text).
  void add_row(const std::vector<cell>& row);
  // Appends a row a cell at a time: push_num or push_text on each column in order,
  // then end_row.
  graph_column& data(std::size_t k) { return k < data_.size() ? data_[k] : add_columns(k); }
  void end_row() { ++rows_; }
  const graph_column* data_of(int k) const {
    return k >= 0 && static_cast<std::size_t>(k) < data_.size() ? &data_[static_cast<std::size_t>(k)] : nullptr;
  }
  // The number or text of a cell (NaN or "" when the column is absent or of the other kind).
  double num(std::size_t row, int k) const;
  const std::string& text(std::size_t row, int k) const;

  // What the drawer made of the rows and found over every cell for all the panels (its
  // cells and their rows, common scales, the cells' places on the panels, tick texts),
  // by name, kept for the other panels: a panel then costs only its own cells. A table
  // is drawn on one thread.
  mutable std::vector<std::pair<std::string, std::shared_ptr<const void>>> kept;

 private:
  graph_column& add_columns(std::size_t k);
  std::vector<graph_column> data_;
  std::size_t rows_ = 0;
};

// One graph object: a panel of a graph template over its bound tables, with the
// dynamics in the order the call passed them (inline pairs, then the list).
struct graph_panel {
  std::string name;           // output name: "Histogram", "QQPlot", ...
  std::string label;
  std::string description;
  std::string template_name;  // "orbo.kestravine.Graphics.Histogram", ...
  std::vector<std::shared_ptr<const graph_table>> tables;
  std::vector<dyn_value> dynamics;
  out_context context;
  std::string file;           // the SVG written for it; empty when none

  // The last dynamic of that name, or nullptr; and its text or number (a text that
  // reads as a number counts as one).
  // Names and defaults are views: the drawers ask for them per cell, mostly with
  // literals, which would otherwise each be made into a string first.
  const dyn_value* dynamic(std::string_view n) const;
  std::string text(std::string_view n, std::string_view otherwise = {}) const;
  double number(std::string_view n, double otherwise) const;
  bool flag(std::string_view n) const;  // a nonzero number, or "ON"
};

// Data objects whose bound tables feed graphs rather than the listing.
bool is_graph_data(const std::string& table_template);

// The dump of a data object and of a panel: every column, row and attribute in
// order, numbers in their shortest exact text, so that a run gives the same text
// byte for byte. A data object's dump goes to `out` a piece at a time.
void dump_graph_table(const graph_table& t, const std::function<void(std::string_view)>& out);
std::string dump_graph_table(const graph_table& t);
std::string dump_graph_panel(const graph_panel& p);

}  // namespace plat::out
