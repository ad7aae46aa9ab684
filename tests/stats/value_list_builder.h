// Builds value lists and per-variable records for the statistics engines directly,
// without a data pass: observations (value, frequency, weight) are merged into
// ascending distinct-value nodes and the record's sums are formed from them.
#pragma once

#include <deque>
#include <vector>

#include "records/kes_valnode.h"
#include "records/kes_valview.h"
#include "records/kes_varsum.h"

namespace kes_test {

// One observation: value x, frequency f, clamped weight c (its weight is c * f).
struct obs {
  double x;
  int f = 1;
  double c = 1.0;
};

class value_list {
 public:
  // Unweighted (FREQ only) when weighted is false; nmiss missing observations.
  explicit value_list(const std::vector<obs>& data, bool weighted = false, double nmiss = 0.0);
  // Plain values, each once.
  static value_list of(const std::vector<double>& xs);
  // The nodes point into each other: no copies.
  value_list(const value_list&) = delete;
  value_list& operator=(const value_list&) = delete;

  kes_valnode* head() { return rec.values; }
  // The record's view of the same values (rec.view points to it).
  const kes_valview* view() const { return &view_; }
  // Number of distinct values.
  int size() const { return static_cast<int>(nodes_.size()); }

  kes_varsum rec{};

 private:
  std::deque<kes_valnode> nodes_;
  std::deque<kes_wtrec> wts_;
  std::deque<kes_valnode> missing_;
  std::vector<double> x_, w_, w15_, w2_;
  std::vector<int> f_, kcount_, kept_;
  std::vector<std::int32_t> kind_;
  kes_valview view_{};
};

}  // namespace kes_test
