// A value view over arrays that the test owns: ascending distinct values with their
// counts, as the data pass would hand them on.
#pragma once
#include <vector>

#include "records/kes_valview.h"

namespace kes_test {

struct hand_view {
  std::vector<double> x;
  std::vector<int> f;
  kes_valview view{};

  hand_view() = default;
  hand_view(std::vector<double> xs, std::vector<int> fs) : x(std::move(xs)), f(std::move(fs)) { point(); }
  hand_view(const hand_view&) = delete;
  hand_view& operator=(const hand_view&) = delete;
  // Appends a value (ascending) and its count.
  void add(double v, int c) {
    x.push_back(v);
    f.push_back(c);
    point();
  }
  void point() {
    view = kes_valview{};
    view.m = static_cast<int>(x.size());
    view.x = x.data();
    view.f = f.data();
  }
  const kes_valview* get() const { return &view; }
};

}  // namespace kes_test
