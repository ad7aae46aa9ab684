#pragma once

struct kes_plotslot;

namespace hist_test {

struct curve_view {
  int dist, family_index, index;
  double param0;
  int fitted;
};
curve_view curve_at(const kes_plotslot* s, int i);

}  // namespace hist_test
