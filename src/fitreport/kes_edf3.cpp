// The EDF tests shared by the gamma, lognormal and Weibull fits (kes_edf3.h).
#include "fitreport/kes_edf3.h"

#include "fit/kes_cellnote.h"

#include <cmath>
#include <cstring>

#include "fit/family/kes_families.h"
#include "fit/kes_estframe.h"
#include "fitreport/kes_edfcoef.h"
#include "fitreport/kes_fitrep.h"
#include "host/host_services.h"
#include "host/kes_stmt.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_values.h"
#include "records/kes_preq.h"
#include "records/kes_varsum.h"
#include "records/kes_valview.h"
#include "records/stmt_slots.h"
#include "util/kes_ordered_map.h"

namespace {
constexpr const char* kFamilyWords[3] = {"gamma", "lognormal", "Weibull"};
}  // namespace

int kes_edf3_case(const kes_preq* request, const kes_curve* c, const kes_edf3fam& fam) {
  const kes_stmt* s = request->stmt;
  const int k = c->family_index;
  const bool theta = kes_pgiven(s, fam.theta_marks) && kes_marker_est(s, fam.theta_marks, k);
  const bool scale = !kes_pgiven(s, fam.scale_marks) || kes_marker_est(s, fam.scale_marks, k);
  const bool shape = !kes_pgiven(s, fam.shape_marks) || kes_marker_est(s, fam.shape_marks, k);
  return (theta ? 4 : 0) + (shape ? 2 : 0) + (scale ? 1 : 0);
}

void kes_edf3_coef(kes_ctx*, const kes_edf3fam& fam, int set, double shape, double n, double d, double wsq,
                   double asq, kes_edfp* pd, kes_edfp* pw, kes_edfp* pa) {
  const double stats[3] = {std::sqrt(n) * d, wsq, asq};
  kes_edfp* out[3] = {pd, pw, pa};
  bool missing = false;
  for (int t = 0; t < 3; ++t) {
    double crit[11];
    if (kes_edf_coef_crit(fam.coef_family, set, t, shape, n, crit)) *out[t] = kes_edf_crit11(crit, stats[t]);
    else missing = true;
  }
  // Without its tables a case has no p-values; the log says which case once.
  if (missing && kes_edf_coef_first_miss(fam.coef_family, set))
    xpmlog(KES_SET_LABEL, KES_MSG_NO_CRITICAL_VALUE_TABLE, int(std::strlen(kFamilyWords[fam.coef_family])),
           kFamilyWords[fam.coef_family], set);
}

double kes_edfcoords::at(double x) const { return origin == 0.0 && unit == 0 ? x : std::ldexp(x - origin, -unit); }

kes_pit kes_edfcoords::pit(kes_pitfn tails, double x) const {
  return std::isnan(zeta_at) ? tails(params, at(x)) : kes_lognormal_tails_at(params, zeta_at, zeta_dz, at(x));
}

kes_edfcoords kes_edf_coords(const kes_curve& c, int dist) {
  kes_edfcoords k{{c.params[0], c.params[1], c.params[2], c.params[3]}, 0.0, 0};
  const kes_law* law = kes_law_of(dist);
  if (!c.fit_coords || law == nullptr) return k;
  // The fit's parameters back in the data's coordinates, as the fit returned them.
  const int e = c.fit_unit;
  const double* u = c.fit_params;
  const double theta = c.fit_origin == 0.0 ? std::ldexp(u[0], e) : c.fit_origin + std::ldexp(u[0], e);
  const double scale = law->log_scale ? u[1] + e * std::log(2.0) : std::ldexp(u[1], e);
  auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
  if (!same(theta, c.params[0]) || !same(scale, c.params[1]) || !same(u[2], c.params[2]) || !same(u[3], c.params[3]))
    return k;
  for (int i = 0; i < 4; ++i) k.params[i] = u[i];
  k.origin = c.fit_origin;
  k.unit = e;
  if (law->log_scale) {
    k.zeta_at = c.fit_zeta[0];
    k.zeta_dz = c.fit_zeta[1];
  }
  return k;
}

kes_edfstat3 kes_edf3_stats(const kes_edf3fam& fam, const double* params, double n, kes_valiter& values,
                            int threads) {
  const kes_edfcoords k{{params[0], params[1], params[2], params[3]}, 0.0, 0};
  return kes_edf3_stats(fam, k, n, values, threads);
}

kes_edfstat3 kes_edf3_stats(const kes_edf3fam& fam, const kes_edfcoords& at, double n, kes_valiter& values,
                            int threads) {
  double dplus = 0.0, dminus = 0.0, w = 0.0, a = 0.0, i = 0.0;
  bool amark = false;
  // One value's terms in ascending order; false once a value cannot be transformed.
  auto add = [&](const kes_pit& t, int count) {
    if (count < 1) return true;
    if (t.stop) {
      amark = true;
      return false;
    }
    if (t.amark) amark = true;
    for (int k = 0; k < count; ++k) {
      i += 1.0;
      dplus = std::fmax(dplus, i / n - t.z);
      dminus = std::fmax(dminus, t.z - (i - 1.0) / n);
      const double e = t.z - (2.0 * i - 1.0) / (2.0 * n);
      w += e * e;
      if (!amark) a += (2.0 * i - 1.0) * t.lnz + (2.0 * n + 1.0 - 2.0 * i) * t.ln1z;
    }
    return true;
  };
  if (const kes_valview* fv = values.fv; fv != nullptr && values.i == 0) {
    // The distribution function is the cost: it runs on the threads, the sums stay in
    // value order.
    kes::ordered_map<kes_pit>(
        threads, fv->m, [&](long j) { return at.pit(fam.pit, fv->x[j]); },
        [&](long j, const kes_pit& t) { return add(t, fv->f[j]); });
  } else {
    double x;
    int count;
    while (values.next(&x, &count))
      if (!add(count < 1 ? kes_pit{} : at.pit(fam.pit, x), count)) break;
  }
  double asq, wsq;
  kes_edf_asq_wsq(n, a, w, amark, &asq, &wsq);
  return {std::fmax(dplus, dminus), wsq, asq};
}

void kes_gof_untested_note(kes_ctx* ctx, const kes_preq* request, const kes_cell* cell, int name_msg, int set,
                           int msg) {
  char text[17];
  const int l = xpmstr(text, sizeof text, KES_SET_LABEL, name_msg);
  const int used = l > 0 && l < 16 ? l : 0;
  const kes_name32& var = ctx->curname;
  kes_cell_text_note(ctx, request, cell, set, msg, used, text, int(var.len), var.text);
}

bool kes_edf3_pvalues(kes_ctx* ctx, const kes_edf3fam& fam, int ncase, double shape, double n, double d, double wsq,
                      double asq, kes_edfp* pd, kes_edfp* pw, kes_edfp* pa) {
  if (ncase == 0) {
    kes_edf_case0(n, d, wsq, asq, pd, pw, pa);
  } else if (ncase < 4 && fam.known != nullptr) {
    fam.known(ncase, n, d, wsq, asq, pd, pw, pa);
  } else if (const int set = fam.set(ncase, shape); set != 0) {
    if (n < 10) return true;
    kes_edf3_coef(ctx, fam, set, shape, n, d, wsq, asq, pd, pw, pa);
  }
  return false;
}

void kes_edf3(kes_ctx* ctx, kes_preq* request, kes_cell* cell, const kes_edf3fam& fam, double mean, double std) {
  kes_plotslot* slot = kes_plot_slot(ctx, request, cell);
  kes_curve* c = kes_fit_curve(slot);
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  if (c == nullptr || vs == nullptr) return;
  const double miss = kes_fit_missing();
  kes_edfres& r = c->edf;
  for (int i = 0; i < 3; ++i) r.params[i] = c->params[i];
  r.params[3] = miss;
  r.mean = mean;
  r.std = std;
  const int ncase = kes_edf3_case(request, c, fam);

  const double n = vs->n;
  kes_valiter values(kes_cell_values(ctx, cell));
  const kes_edfstat3 st = kes_edf3_stats(fam, kes_edf_coords(*c, c->dist), n, values, ctx->threads);
  const double d = st.d, wsq = st.wsq, asq = st.asq;

  kes_edfp pd{miss, ' '}, pw{miss, ' '}, pa{miss, ' '};
  const bool too_few = kes_edf3_pvalues(ctx, fam, ncase, c->params[2], n, d, wsq, asq, &pd, &pw, &pa);
  if (too_few) kes_gof_untested_note(ctx, request, cell, fam.name_msg, KES_SET_PROC,
                                     KES_MSG_GOF_TESTS_TOO_FEW_OBSERVATIONS);
  kes_edf_store(&r, d, pd, wsq, pw, asq, pa);
  r.cause_noted = too_few ? 1 : 0;
  // The tables of the case are read at the fitted shape: outside their range no test
  // has a p-value, and the note says so.
  const bool by_shape = ncase >= 4 || (ncase > 0 && fam.known == nullptr);
  if (!r.tested && by_shape && fam.set(ncase, c->params[2]) == 0)
    r.shape_out = c->params[2] <= fam.shape_lo ? 1 : c->params[2] >= fam.shape_hi ? 2 : 0;
}
