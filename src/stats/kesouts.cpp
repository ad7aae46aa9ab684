// kesouts(ctx, stats, values): puts the current variable's statistics into its
// positions of the OUTPUT values: the i-th name of a keyword belongs to the i-th
// analysis variable, and so does the i-th PCTLPRE= prefix with its percentiles.
// Positions of other variables are only counted. No result.
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"
#include "stats/output_dataset.h"
#include "stats/output_layout.h"

void kesouts(kes_ctx* ctx, kes_stats* stats, double* values) {
  if (ctx->proc == nullptr || values == nullptr || stats == nullptr) return;
  const int nv = ctx->nvars;
  const int v = ctx->curvar;
  int pos = 0;
  int first_point = 0;  // this statement's first point among all PCTLPTS= points
  for (const kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
    if (!kes_is_output(s)) continue;
    for (int k = KES_OUT_SLOT_FIRST; k <= KES_OUT_SLOT_LAST; ++k) {
      const int n = kes_out_names(s, k, nv);
      if (v >= 0 && v < n) values[pos + v] = kes_out_stat(stats, k);
      pos += n;
    }
    const int npts = kes_out_points(s);
    const int npre = kes_out_prefixes(s, nv);
    if (v >= 0 && v < npre && stats->pctlpts_result != nullptr && first_point + npts <= stats->npctlpts)
      for (int j = 0; j < npts; ++j) values[pos + v * npts + j] = stats->pctlpts_result[first_point + j];
    pos += npre * npts;
    first_point += npts;
  }
}
