// The law of each distribution family, codes 0 to 8: its parameter layout and names,
// its distribution function (with the logarithms of both tails where the EDF tests
// need them), its standardized quantile and its density. Every member that a plot,
// inset or report derives from a law (q, x, p, pct) is written once over this table
// (kes_lawfn.cpp); each family's file defines its law beside its estimate.
#pragma once
#include "records/kes_curve.h"

struct kes_ctx;
struct kes_cell;
struct kes_plotslot;

// The distribution function at x as z with ln z and ln(1 - z); amark when A-Sq cannot
// use the value, stop when the value cannot be transformed at all.
struct kes_pit {
  double z, lnz, ln1z;
  bool amark, stop;
};

struct kes_law {
  int code;     // kes_distcode: the law's place in kes_laws
  int nparams;  // params[0] threshold or location, [1] scale, [2] and [3] shapes
  // params[1] is the logarithm of the scale (the lognormal's zeta): the standardized
  // law has it 0, not 1.
  bool log_scale = false;
  // The standardized support starts at 0 (a threshold) / ends at 1 (a bounded law).
  bool from_zero = false, to_one = false;
  // A maximum-likelihood fit of the threshold (and of the beta's upper end) works
  // relative to the smallest value; a given threshold, relative to it.
  bool fit_from_threshold = false;
  // A maximum-likelihood fit of the location (a law without a threshold) works
  // relative to the smallest value, as a threshold's does.
  bool fit_location_from_min = false;
  // The curve's constant is never formed under a power of two past the doubles: the
  // gamma's is a logarithm, the beta's is refused there.
  bool constant_unscaled = false;
  // The law is that of ln(x - threshold): a value at the threshold has no point of a
  // Q-Q or probability plot, and the cell counts such values instead.
  bool log_of_data = false;
  // The distribution function at x, from 0 to 1; missing where the family's incomplete
  // function cannot take x.
  double (*cdf)(const double* params, double x);
  // cdf with the logarithms of both tails; null where no EDF test needs them.
  kes_pit (*tails)(const double* params, double x) = nullptr;
  // The p-quantile of params into *out (at the standardized parameters, threshold 0 and
  // scale 1, the standardized quantile): 0, or 1 with *out unchanged where it does not
  // exist as a finite number.
  int (*quantile)(const double* params, double p, double* out);
  // Height of the curve at x, c being its scale constant; null for a law drawn as no
  // curve.
  double (*density)(double x, double c, const double* params) = nullptr;
};

// Each family's law, defined in its file.
extern const kes_law kes_law_normal, kes_law_lognormal, kes_law_exponential, kes_law_weibull, kes_law_gamma,
    kes_law_beta, kes_law_sb, kes_law_su, kes_law_weibull2;

// ORDER: one law per distribution code 0 to 8, in the order of kes_distcode.
extern const kes_law* const kes_laws[KES_DIST_KERNEL];

// The law of a code, or null (code 9, the kernel, and codes outside 0..8).
const kes_law* kes_law_of(int code);

// The members every law gives, written once.
// The standardized parameters of params: threshold 0, scale 1 (log scale 0), shapes kept.
void kes_law_standard(const kes_law& law, const double* params, double std[4]);
// 100 times the standardized distribution function at z; 0 at or below 1e-7 from a
// lower end and 100 within 1e-7 of an upper end.
double kes_law_p(const kes_law& law, const double* params, double z);
// The standardized p-quantile of params into *out: 0, or 1 with *out unchanged.
int kes_law_x(const kes_law& law, const double* params, double p, double* out);
// The standardized p-quantile with the shapes of the slot's current curve; missing
// where it does not exist.
double kes_law_q(const kes_law& law, kes_plotslot* slot, double p);
// The quantile of params at p; missing where it does not exist as a finite number.
double kes_law_quantile(const kes_law& law, const double* params, double p);
// The scale the standardized quantile is multiplied by: params[1], or exp(params[1]).
double kes_law_scale(const kes_law& law, const double* params);

// The set members of code Code, as the family function set's signatures want them.
template <int Code>
double kes_lawfn_p(const double* params, double z) {
  return kes_law_p(*kes_laws[Code], params, z);
}
template <int Code>
int kes_lawfn_x(const double* params, double p, double* out) {
  return kes_law_x(*kes_laws[Code], params, p, out);
}
template <int Code>
double kes_lawfn_q(kes_ctx*, kes_plotslot* slot, double p) {
  return kes_law_q(*kes_laws[Code], slot, p);
}
