// The curve records of a plot slot, read apart from the plot statement names (the
// curve header names the kernel code too).
#include "hist_curves.h"

#include "fit/kes_curve.h"
#include "plotreq/kes_plotslot.h"

namespace hist_test {

curve_view curve_at(const kes_plotslot* s, int i) {
  const kes_curve& c = s->curves[i];
  return {c.dist, c.family_index, c.index, c.params[0], static_cast<int>(c.fitted)};
}

}  // namespace hist_test
