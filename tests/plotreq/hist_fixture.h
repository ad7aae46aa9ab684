// A histogram request over cells built by hand: a HISTOGRAM node, a CLASS-variables
// record with zero, one or two CLASS variables, cells whose value lists and summaries
// are made from plain numbers, and a recorder of the messages the request writes.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "driver/kes_cell.h"
#include "driver/kes_valnode.h"
#include "driver/plot_test_support.h"
#include "plotreq/hist_bins.h"
#include "plotreq/kes_plotslot.h"

namespace hist_test {

using plot_test::logged;

class hist_fixture : public ::testing::Test {
 protected:
  kes_ctx ctx{};
  kes_classvars cv{};
  kes_preq req{};
  plot_test::node stmt{"HISTOGRA"};
  int varslot[1] = {0};
  int bincode[1] = {KES_BINS_KEY};
  int total[1] = {0};
  int varnums[1] = {0};
  kes_name32 names[1]{};

  void SetUp() override;
  void TearDown() override;

  // A cell of the given values (each once, or with the given counts) and missing
  // observations. With two CLASS variables, `level` is the level cell it belongs to.
  kes_cell* cell(const std::vector<double>& values, double nmissing = 0, kes_cell* level = nullptr,
                 const std::vector<int>& counts = {});
  // A level cell of the first of two CLASS variables (it holds no values).
  kes_cell* level(const char* text);
  // The cell's plot slot.
  kes_plotslot* slot(kes_cell* c) { return &c->slots[0]; }
  kes_plotslot* key() { return slot(cv.keycell); }
  // The messages written so far, "set/number" separated by blanks.
  std::string messages() const;
  // The heights of a cell as counts (heights / scale factor), rounded.
  std::vector<int> counts(kes_cell* c);

 private:
  std::deque<kes_plotslot> slots_;
  std::deque<kes_varsum> sums_;
  std::deque<std::vector<kes_valnode>> nodes_;
  std::deque<kes_cell> cells_;
  std::deque<std::string> texts_;
  host_routine old_xpmlog_ = nullptr;
  host_routine old_memmsg_ = nullptr;
  void link(kes_cell* c, kes_cell* level);
};

}  // namespace hist_test
