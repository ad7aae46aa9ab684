// kes_family_line_of: the single COLOR=, W= and L= a QQ, probability, P-P or CDF plot
// statement gives its family's line, read alike by both renderers.
#include "plotdata/family_line.h"

#include <algorithm>
#include <cstring>

#include "records/kes_curve.h"
#include "records/stmt_slots.h"

kes_family_line kes_family_line_of(const kes_stmt* st, int dist) {
  kes_family_line f;
  if (dist < 0 || dist > KES_DIST_WEIBULL2) return f;
  // Widths and line types far past any device's are held at a bound the short fields keep.
  constexpr double kBound = 1000;
  if (kes_pgiven(st, kes_family_color_slots[dist])) {
    f.color_given = true;
    std::memcpy(f.color, kes_pslot(st, kes_family_color_slots[dist])->v.name, 8);
  }
  if (kes_pgiven(st, kes_family_width_slots[dist])) {
    const double w = kes_pnumber(st, kes_family_width_slots[dist]);
    f.width_given = true;
    f.width = !(w > 1) ? 1 : static_cast<int>(std::min(w, kBound));
  }
  if (kes_pgiven(st, kes_family_line_slots[dist])) {
    const double l = kes_pnumber(st, kes_family_line_slots[dist]);
    f.type_given = true;
    f.type = !(l >= 0) ? 1 : static_cast<int>(std::min(l, kBound));
  }
  return f;
}
