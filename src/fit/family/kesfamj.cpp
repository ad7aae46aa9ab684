// What the Johnson SB and SU families' members share: the fit controls of the
// statement and the peak fields of the curve.
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "fit/family/kes_johnson.h"
#include "fit/zfit_fams.h"
#include "host/host_services.h"
#include "host/kes_stmt.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "records/kes_curve.h"
#include "records/stmt_slots.h"

namespace {
// FITINTERVAL= and FITTOL= count as given by their slot's second byte.
double second_given(const kes_stmt* s, int slot) {
  return kes_pgiven2(s, slot) ? kes_pnumber(s, slot) : kes_fit_missing();
}
}  // namespace

void kes_johnson_controls(const kes_stmt* s, int z_slot, int tol_slot, int method_slot, zfit_req* r) {
  const double z = second_given(s, z_slot), tol = second_given(s, tol_slot);
  // No statement option sets these: the fits use their own.
  r->tol = r->maxiter = kes_fit_missing();
  r->pctl_z = std::isnan(z) ? 0.524 : z;
  r->second = std::isnan(tol) ? 0.01 : tol;
  const double m = kes_stmt_number(s, method_slot);
  const int code = std::isnan(m) || std::fabs(m) > 1e9 ? 0 : static_cast<int>(std::trunc(m));
  if (code == 4) xpmlog(KES_SET_PLOT, KES_MSG_FIT_METHOD_NOT_AVAILABLE);
  r->method = code == 1 ? 0 : code == 3 ? 2 : 1;
}

void kes_johnson_peak(kes_curve* c, const zfit_req* r) {
  c->mode = r->mode_x;
  c->peak_copy = r->mode_x;
  c->height = r->height;
  c->mode2 = r->mode2;
  c->height2 = r->height2;
}

