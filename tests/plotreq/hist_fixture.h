// A histogram request over cells built by hand: a HISTOGRAM node, a CLASS-variables
// record with zero, one or two CLASS variables, cells whose value lists and summaries
// are made from plain numbers, and the messages the request writes.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "driver/plot_test_support.h"
#include "plotreq/hist_bins.h"
#include "records/kes_cell.h"
#include "records/kes_plotslot.h"
#include "records/kes_valview.h"
#include "support/hand_request.h"

namespace hist_test {

class hist_fixture : public kes_test::hand_request {
 protected:
  int bincode[1] = {KES_BINS_KEY}, total[1] = {0}, varnums[1] = {0};

  void SetUp() override;

  // A cell of the given values (each once, or with the given counts) and missing
  // observations; with two CLASS variables a child of `level`. No values and no
  // `level` with two CLASS variables: a level cell.
  kes_cell* cell(const std::vector<double>& values, double nmissing = 0, kes_cell* level = nullptr,
                 const std::vector<int>& counts = {});
  kes_plotslot* slot(kes_cell* c) { return &c->slots[0]; }
  kes_plotslot* key() { return slot(cv.keycell); }
  std::string messages() const { return kes_test::note_recorder::keys(); }
  // The heights of a cell as counts (heights / scale factor).
  std::vector<int> counts(kes_cell* c);
  int in_bins(kes_cell* c) {
    int n = 0;
    for (int k : counts(c)) n += k;
    return n;
  }

 private:
  std::deque<kes_plotslot> slots_;
  int ncells_ = 0;
};

}  // namespace hist_test
