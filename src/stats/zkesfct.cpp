// zkesfct and kesfrac: where a percentile falls among the order statistics (the
// weighted definition compares exact sums instead: weighted_rank.h).
//
// Both clamp the returned positions to 0..n-1: a percentile at or beyond either end
// takes the extreme observation, never a node past the list.
#include <cmath>

#include "host/kes_stmt.h"
#include "kes_gram_names.h"
#include "numeric/zmissing.h"
#include "records/kes_ctx.h"
#include "stats/zkesqnt.h"

namespace {

double clamp_pos(double pos, double last) {
  if (pos > last) pos = last;
  if (pos < 0.0) pos = 0.0;
  return pos;
}
}  // namespace

double zkesfct(int def, double n, double p, double* j, double* k) {
  const double fuzz = std::fmin(1000.0 * ZEPS53 * n, 1e-6);
  const double np = (def == 4 ? n + 1.0 : n) * p;
  double jj = std::floor(np + fuzz);
  double g = np - jj > fuzz ? np - jj : 0.0;
  double kk = jj + 1.0;
  switch (def) {
    case 1:
    case 4:
      break;
    case 2:
      if (std::fabs((np - std::floor(np)) - 0.5) > fuzz) {
        jj = std::floor(np + 0.5);
      } else {
        // A half-way position goes to the even order statistic.
        jj = std::fmod(np, 2.0) < 1.0 ? std::floor(np) : std::floor(np + 1.0);
      }
      kk = jj;
      g = 0.0;
      break;
    default:  // 3 and 5: the empirical distribution function, 5 averaging at steps
      if (g != 0.0)
        g = 1.0;
      else
        g = def == 5 ? 0.5 : 0.0;
      break;
  }
  const double last = n - 1.0;
  *j = clamp_pos(jj - 1.0, last);
  *k = clamp_pos(kk - 1.0, last);
  return g;
}

double kesfrac(const kes_ctx* ctx, int* j, int* k, double n, double p) {
  int def = ctx->pctldef;
  if (def == KES_PCTLDEF_WEIGHTED) {
    // The weighted definition has no meaning for fitted quantiles: use PCTLDEF= as
    // given, or 5.
    def = 5;
    const kes_stmt* proc = ctx->proc;
    const kes_optslot* s =
        proc && proc->slots && proc->nslots > KES_PROC_SLOT_PCTLDEF ? &proc->slots[KES_PROC_SLOT_PCTLDEF] : nullptr;
    if (s && s->given && !std::isnan(s->v.num))
      def = static_cast<int>(std::fmax(1.0, std::fmin(5.0, std::trunc(s->v.num))));
  }
  const double fuzz = std::fmin(1e-12 * n, 1e-8);
  const double np = (def == 4 ? n + 1.0 : n) * p;
  double jj = std::trunc(np + fuzz);
  const double f = np + fuzz - jj;
  double kk = jj + 1.0;
  double g = f;
  switch (def) {
    case 1:
    case 4:
      break;
    case 2:
      jj = kk = std::trunc(np + fuzz + 0.5);
      g = 0.0;
      break;
    default:
      g = std::ceil(f - fuzz - 1e-10);
      if (def == 5 && g < 1e-10) g = 0.5;
      break;
  }
  const double last = std::trunc(n) - 1.0;
  *j = static_cast<int>(clamp_pos(jj - 1.0, last));
  *k = static_cast<int>(clamp_pos(kk - 1.0, last));
  return g;
}
