// A histogram request laid out by hand for the fitting and report tests: one analysis
// variable, its cells (none, one or two CLASS variables), plot slots with their bins
// and curves, the HISTOGRAM statement's option slots, and the stand-in host with a
// captured log and listing.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "driver/plot_test_support.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_valview.h"
#include "records/kes_varsum.h"
#include "support/hand_cells.h"
#include "support/scratch_files.h"

namespace kes_test {

// One curve of the request: distribution code and index within its family.
struct curve_kind {
  int dist;
  int family_index;
};

class fit_fixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A fresh request, for the next row of a table.
  void restart() {
    TearDown();
    SetUp();
  }

  // The request with its curves (every cell gets them, unfitted).
  void request(const std::vector<curve_kind>& curves, int vscale = 0);
  // A cell with the values (ascending list, frequencies by repetition); with CLASS
  // variables, its level text and, for two, the parent level cell.
  kes_cell* cell(const std::vector<double>& values, const std::string& level = "", kes_cell* parent = nullptr);
  // Level cells with children (two CLASS variables).
  kes_cell* parent_level(const std::string& level);
  // CLASS variables of the request (0, 1 or 2); call before the first cell.
  void class_vars(int count);
  // Common bins (first midpoint or end point, width, count) in the key cell; every
  // cell takes the bins its values fall in, with heights on the vertical scale.
  void bins(double first, double width, int nbins, bool endpoints = false);

  // A number list and its EST markers (nonzero = EST) into the statement's slots.
  void param(int values_slot, int markers_slot, const std::vector<double>& values, const std::vector<int>& est = {});

  // Runs the estimate of curve k in the cell as the vertical-axis set-up does;
  // returns its result and the height handed back.
  int estimate(kes_cell* c, int k, double low = 0.0, double high = 0.0, double* height = nullptr);
  kes_plotslot& slot(kes_cell* c);
  kes_curve& curve(kes_cell* c, int k) { return slot(c).curves[k]; }

  std::string log() { return work_->log(); }
  std::string listing();
  int count(const std::string& text, const std::string& in);

  kes_ctx* ctx = nullptr;
  kes_preq req{};
  plot_test::node stmt{"HISTOGRA"};
  kes_classvars cv{};

 private:
  std::unique_ptr<kes_ctx> ctx_;
  std::unique_ptr<scratch_work> work_;
  host_gcb* saved_anchor_ = nullptr;
  kes_stmt proc_{};
  std::vector<kes_optslot> proc_slots_;
  std::deque<std::vector<double>> doubles_;
  std::deque<std::vector<double>> summaries_;
  hand_cells made_;
  std::deque<std::vector<kes_plotslot>> cellslots_;
  std::deque<std::vector<kes_curve>> curves_;
  std::vector<kes_cell*> data_cells_;
  std::vector<curve_kind> kinds_;
  kes_name32 name_{};
  int varslot_[1] = {0};
  int total_[1] = {0};
};

}  // namespace kes_test
