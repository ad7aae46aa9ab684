// A fixture that fits the request's first curve to the values k x + c, for the tests
// of fits moved and scaled with their data.
#pragma once
#include <algorithm>
#include <vector>

#include "support/fit_fixture.h"

namespace kes_test {

class moved_fit : public fit_fixture {
 protected:
  // The estimate of curve 0 in a cell of k x + c (sorted): its result, the curve's
  // parameters to p. Call after request() and the statement's options.
  int fit_moved(const std::vector<double>& x, double k, double c, double* p) {
    std::vector<double> y;
    for (double v : x) y.push_back(k * v + c);
    std::sort(y.begin(), y.end());
    kes_cell* cl = cell(y);
    const int rc = estimate(cl, 0);
    for (int i = 0; i < 4; ++i) p[i] = curve(cl, 0).params[i];
    return rc;
  }
};

}  // namespace kes_test
