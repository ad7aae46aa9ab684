// kes_famdisp(code) -> the family function set of a distribution code: one table,
// one line per family whose set is built. Each set joins the family's fitting members
// (fit/) with its report members (this folder); the estimate members adapt the
// families' own estimate routines to the set's one signature.
#include <iterator>

#include "fit/kes_estframe.h"
#include "fitreport/kes_edf3.h"
#include "fitreport/kes_famsets.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"

namespace {
int est_normal(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int, double low, double high, int, int,
               double* height) {
  return kesnest(ctx, request, cell, low, high, height);
}
int est_lognormal(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int, double low, double high, int i, int,
                  double* height) {
  return keslest(ctx, request, cell, low, high, i, height);
}
int est_exponential(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int, double low, double high, int, int,
                    double* height) {
  return keseest(ctx, request, cell, low, high, height);
}
// Codes 3 and 8 share it: the code tells the two Weibull forms apart.
int est_weibull(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int code, double low, double high, int i, int,
                double* height) {
  return keswest(ctx, request, cell, code, low, high, i, height);
}
int est_gamma(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int, double low, double high, int i, int,
              double* height) {
  return kesgest(ctx, request, cell, low, high, i, height);
}
int est_beta(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int, double low, double high, int i, int j,
             double* height) {
  return kesbest(ctx, request, cell, low, high, i, j, height);
}
int est_sb(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int, double low, double high, int i, int j,
           double* height) {
  return kesvest(ctx, request, cell, low, high, i, j, height);
}
int est_su(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int, double low, double high, int i, int j,
           double* height) {
  return kesuest(ctx, request, cell, low, high, i, j, height);
}
}  // namespace

const kes_famfn kes_fam_normal = {est_normal, kesnp, kesncdf, kesnq, kesnplt, kesnx, kesedfn, kesmidn, kesntbl, kesnpct, nullptr};
const kes_famfn kes_fam_lognormal = {est_lognormal, keslp, keslcdf, keslq,   keslplt, keslx,
                                     kesedfl,       kesmidl, kesltbl, keslpct, kes_edf3_lognormal};
const kes_famfn kes_fam_exponential = {est_exponential, kesep, kesecdf, keseq,   keseplt, kesex,
                                       kesedfe,         kesmide, kesetbl, kesepct, nullptr};
const kes_famfn kes_fam_weibull = {est_weibull, keswp, keswcdf, keswq, keswplt, keswx, kesedfw, kesmidw, keswtbl, keswpct, kes_edf3_weibull};
const kes_famfn kes_fam_gamma = {est_gamma, kesgp, kesgcdf, kesgq, kesgplt, kesgx, kesedfg, kesmidg, kesgtbl, kesgpct, kes_edf3_gamma};
const kes_famfn kes_fam_beta = {est_beta, kesbp, kesbcdf, kesbq, kesbplt, kesbx, kesedfb, kesmidb, kesbtbl, kesbpct, nullptr};
const kes_famfn kes_fam_sb = {est_sb, kesvp, kesvcdf, kesvq, kesvplt, kesvx, kesedfv, kesmidv, kesvtbl, kesvpct, nullptr};
const kes_famfn kes_fam_su = {est_su, kesup, kesucdf, kesuq, kesuplt, kesux, kesedfu, kesmidu, kesutbl, kesupct, nullptr};
// The two-parameter Weibull serves probability and QQ requests only: no curve, no report.
const kes_famfn kes_fam_weibull2 = {est_weibull, kesw2p, nullptr, kesw2q, nullptr, kesw2x, nullptr, nullptr, nullptr, nullptr, nullptr};

double kes_law_pct(kes_ctx* ctx, kes_cell* cell, int code, double percent) {
  const kes_curve* c = kes_fit_curve(kes_plot_slot(ctx, ctx->curreq, cell));
  return c == nullptr ? kes_fit_missing() : kes_law_quantile(*kes_laws[code], c->params, percent / 100.0);
}

namespace {
// ORDER: kes_distcode 0 to 8, as kes_laws.
const kes_famfn* const kSets[] = {
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
static_assert(std::size(kSets) == KES_DIST_KERNEL, "one set per distribution code below the kernel");
}  // namespace

const kes_famfn* kes_famdisp(int code) {
  if (code < 0 || code >= KES_DIST_KERNEL) return nullptr;
  return kSets[code];
}
