// Value lists, summaries and cells of a histogram request built by hand, shared by the
// fixtures of the fitting, kernel and bin tests. The builder owns what it makes.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "records/kes_cell.h"
#include "records/kes_classvars.h"
#include "records/kes_valview.h"
#include "records/kes_varsum.h"

namespace kes_test {

class hand_cells {
 public:
  // The summary of the values (any order; counts per value, else 1 each) with its
  // view of the ascending values: N, sums, mean, sd (divisor N - 1), min, max, interquartile
  // range (the default definition); missing where the values give none.
  kes_varsum* summary(const std::vector<double>& values, const std::vector<int>& counts = {});
  // A new cell with the level text, appended to the level list of cv or to the children
  // of parent (a child keeps its parent in `child`).
  kes_cell* cell(kes_classvars& cv, const std::string& level, kes_cell* parent);
  // A text that lives as long as the builder.
  char* text(const std::string& t) { return texts_.emplace_back(t).data(); }

 private:
  std::deque<kes_cell> cells_;
  std::deque<kes_varsum> sums_;
  struct held_view {
    std::vector<double> x;
    std::vector<int> f;
    kes_valview view{};
  };
  std::deque<held_view> views_;
  std::deque<std::string> texts_;
};

}  // namespace kes_test
