// kes_famdisp(code) -> the family function set of a distribution code: one table,
// one line per family whose set is built.
#include "fit/kes_curve.h"
#include "fit/kes_famfn.h"
#include "fit/kes_families.h"
#include "fit/kes_johnson.h"

namespace {
const kes_famfn* const kSets[KES_DIST_KERNEL] = {
    &kes_fam_normal,       // 0
    &kes_fam_lognormal,    // 1
    &kes_fam_exponential,  // 2
    &kes_fam_weibull,      // 3
    &kes_fam_gamma,        // 4
    &kes_fam_beta,         // 5
    &kes_fam_sb,           // 6 Johnson SB
    &kes_fam_su,           // 7 Johnson SU
    &kes_fam_weibull2,     // 8 two-parameter Weibull
};
}  // namespace

const kes_famfn* kes_famdisp(int code) {
  if (code < 0 || code >= KES_DIST_KERNEL) return nullptr;
  return kSets[code];
}
