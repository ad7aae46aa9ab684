// A histogram request with kernel curves built by hand around the stand-in host:
// cells with value lists and summaries, plot slots with their curve arrays, the
// shared bins, a recorder of the OUTKERNEL rows (and one of the notes); and
// the reader of the reference tables in ref/ (made by ref/kernel_ref.R).
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "driver/plot_test_support.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_valview.h"
#include "support/hand_request.h"

namespace kernel_test {

// Rows of whitespace-separated fields of a file of ref/, '#' lines skipped; the first
// fields of a one-column file as numbers.
std::vector<std::vector<std::string>> ref_rows(const std::string& name);
std::vector<double> ref_numbers(const std::string& name);

// One OUTKERNEL row as the bound fields held it when it was written.
struct kernel_row {
  double level[2];
  std::string type;
  double c, value, height, density;
};

class kernel_cells : public kes_test::hand_request {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The KERNEL option of the statement: per-curve lists (empty: not given).
  void kernel_option(std::vector<double> k, std::vector<double> c, std::vector<double> lower = {},
                     std::vector<double> upper = {});
  // A cell of the values (frequency 1 each) at the end of the level list, or of the
  // child list of parent; no values: a level that holds children. Its summary: N,
  // sd (divisor N - 1), min, max, interquartile range (the default definition).
  kes_cell* add_cell(const std::vector<double>& values, double level = 0, const char* fmt = "",
                     kes_cell* parent = nullptr);
  kes_plotslot* slot(kes_cell* cell) { return &cell->slots[0]; }
  kes_curve* kernel(kes_cell* cell, int k) { return &slot(cell)->curves[slot(cell)->ncurves - slot(cell)->nkernels + k]; }
  kes_varsum* summary(kes_cell* cell) { return &cell->varsums[0]; }
  int set_up(kes_cell* cell);  // keskern, then keskdfx's result
  // Shared bins (first and last midpoint, width) and the vertical scale of every cell
  // (0 percent, 1 count, 2 proportion); the axis from the first to the last midpoint.
  void bins(double first, double last, double width, int vscale);
  void record_rows();  // a recorder becomes the OUTKERNEL data set
  static int count(const std::string& key) { return kes_test::note_recorder::count(key); }

 public:
  static inline std::vector<kes_test::logged_note>& notes = kes_test::note_recorder::notes;
  static inline std::vector<long>& memmsgs = kes_test::note_recorder::memmsgs;
  static std::vector<kernel_row> rows;
  static kes_ctx* current;

 private:
  std::deque<kes_plotslot> slots_;
  std::deque<std::vector<kes_curve>> curves_;
  host_access access_{};
  host_dataset dataset_{};
};

}  // namespace kernel_test
