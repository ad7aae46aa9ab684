// kescnst: the scale constant of a fitted curve.
#include <cmath>

#include "fit/family/kes_law.h"
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zlgamma.h"
#include "numeric/zmissing.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "records/kes_varsum.h"

namespace {

// The power of two a constant past the doubles is formed under: far more than any
// product of a bin width, a count, a scale factor and a density's factors passes them by.
constexpr int kConstantShift = 256;

// The constant with bin width w.
int constant(kes_preq* request, const kes_plotslot* slot, const kes_varsum* vs, const kes_curve& cv,
             double w, double* c) {
  const double area = w * vs->n * slot->scale;
  // Bins near the largest double (a width of 1e307 at 100 percent) give an area past
  // the doubles: the constant is then formed in the scaled form, width over scale first.
  const bool scaled = !std::isfinite(area);
  const auto per = [&](double scale) { return scaled ? w / scale * (vs->n * slot->scale) : area / scale; };
  const double* p = cv.params;
  switch (cv.dist) {
    case KES_DIST_NORMAL: *c = scaled ? per(p[1]) * ZRSQRT_2PI : area * ZRSQRT_2PI / p[1]; break;
    case KES_DIST_LOGNORMAL: *c = area * ZRSQRT_2PI / p[2]; break;
    case KES_DIST_EXPONENTIAL: *c = per(p[1]); break;
    case KES_DIST_WEIBULL: *c = scaled ? per(p[1]) * p[2] : area * p[2] / p[1]; break;
    case KES_DIST_SB:
    case KES_DIST_SU: *c = scaled ? per(p[1]) * p[2] * ZRSQRT_2PI : area * p[2] * ZRSQRT_2PI / p[1]; break;
    // The gamma curve takes the logarithm of its constant.
    case KES_DIST_GAMMA: {
      const double lg = zlgamma(p[2]);
      if (lg == -99.0 || lg <= ZEXP_UNDER) {
        bool listed = false;
        kes_param_entry(request->stmt, KES_PLOT_SLOT_GAMMA_ALPHA, KES_PLOT_SLOT_GAMMA_ALPHA_MARKS, cv.family_index,
                        &listed);
        if (!listed) xpmlog(KES_SET_PLOT, KES_MSG_LOG_GAMMA_NOT_COMPUTED, p[2]);
        xpmlog(KES_SET_PLOT, KES_MSG_GAMMA_CURVE_NOT_FITTED);
        return 1;
      }
      if (!(area > 0.0) || !(p[1] > 0.0)) return 1;
      *c = (scaled ? std::log(w) + std::log(vs->n * slot->scale) : std::log(area)) - std::log(p[1]) - lg;
      break;
    }
    case KES_DIST_BETA: {
      const double la = zlgamma(p[2]), lb = zlgamma(p[3]), lab = zlgamma(p[2] + p[3]);
      const double b = lab - la - lb;
      if (la == -99.0 || lb == -99.0 || lab == -99.0 || !(b < ZEXP_OVER)) {
        xpmlog(KES_SET_LABEL, KES_MSG_BETA_FUNCTION_TOO_LARGE, p[2], p[3]);
        return 1;
      }
      const double eb = std::exp(b);
      if (eb >= 1.0 && area >= 1.0 && ZDBL_BIG / eb < area) return 1;
      *c = eb * area;
      break;
    }
    default: *c = area; break;
  }
  return 0;
}

}  // namespace

int kescnst(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int k, double* c, int* exp2) {
  if (exp2 != nullptr) *exp2 = 0;
  kes_plotslot* slot = kes_plot_slot(ctx, request, cell);
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  if (slot == nullptr || vs == nullptr || slot->curves == nullptr || k < 0 || k >= slot->ncurves) return 1;
  const kes_curve& cv = slot->curves[k];
  kes_cell* bins = kes_fit_bins_cell(request);
  const kes_plotslot* bs = bins != nullptr ? kes_plot_slot(ctx, request, bins) : nullptr;
  const double w = bs != nullptr ? bs->width : slot->width;
  const int rc = constant(request, slot, vs, cv, w, c);
  // The gamma constant is a logarithm, and the beta's is refused past the doubles.
  const kes_law* law = kes_law_of(cv.dist);
  if (rc != 0 || std::isfinite(*c) || exp2 == nullptr || (law != nullptr && law->constant_unscaled)) return rc;
  *exp2 = kConstantShift;
  return constant(request, slot, vs, cv, std::ldexp(w, -kConstantShift), c);
}
