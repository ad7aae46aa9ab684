// The procedure options: the PROC node (with the VAR, BY, CLASS, FREQ, WEIGHT and ID
// statements folded into its slots) read into the context, with the rules that tie
// options together. Runs once at start-up, right after the statement parse.
#include "driver/kesgopt_options.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "driver/kes_default_vars.h"
#include "host/host_print.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_ctx.h"
#include "records/kes_procopts.h"
#include "records/kes_readstate.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "util/kes_minmax.h"
#include "util/kes_text.h"

namespace {

bool given(const kes_ctx* ctx, int n) { return kes_pslot(ctx->proc, n)->given != 0; }
double num(const kes_ctx* ctx, int n) { return kes_pslot(ctx->proc, n)->v.num; }
int count(const kes_ctx* ctx, int n) { return given(ctx, n) ? kes_pslot(ctx->proc, n)->v.count : 0; }
const std::int32_t* ints(const kes_ctx* ctx, int n) {
  return static_cast<const std::int32_t*>(kes_pslot(ctx->proc, n)->list);
}
const double* nums(const kes_ctx* ctx, int n) { return kes_pnumbers(ctx->proc, n); }
bool flag(const kes_ctx* ctx, int f) { return ctx->proc != nullptr && kes_flag(ctx->proc, f); }

int fail(int code) {
  xexit(code, 0);
  return code;
}

// Run-pool memory; an exhausted pool ends the step with KES_RC_OUT_OF_MEMORY.
void* take(kes_ctx* ctx, long size, bool* failed) { return kes_zalloc(ctx->runpool, size, KES_ALLOC_2, failed); }

// A level for an interval option: the given ALPHA= or the default. False after the
// message when the given value lies outside (0, 1).
bool level_of(kes_ctx* ctx, int s, double dflt, const char* what, double* out) {
  if (!given(ctx, s)) {
    *out = dflt;
    return true;
  }
  const double a = num(ctx, s);
  if (!(a > 0 && a < 1)) {
    xspplace(ctx->proc, s);
    xpmlog(KES_SET_PROC, KES_MSG_VALUE_NOT_STRICTLY_BETWEEN_0_AND_1, what, a);
    return false;
  }
  *out = a;
  return true;
}

int kind_of(kes_ctx* ctx, int s, int dflt) {
  if (!given(ctx, s)) return dflt;
  const double t = num(ctx, s);
  return std::isnan(t) ? dflt : static_cast<int>(t);
}

// TRIMMED= or WINSORIZED= values: those not above 0 and those from 0.5 up to 1 are
// dropped with a note; the rest are kept in order.
int keep_proportions(kes_ctx* ctx, int s, double** out, bool* failed) {
  const int n = count(ctx, s);
  const double* v = nums(ctx, s);
  *out = static_cast<double*>(take(ctx, static_cast<long>(sizeof(double)) * (n > 0 ? n : 1), failed));
  if (*out == nullptr || v == nullptr) return 0;
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    const double x = v[i];
    if (!(x > 0)) {
      xspplace(ctx->proc, s);
      xpmlog(KES_SET_PLOT, KES_MSG_TRIM_AMOUNT_NOT_POSITIVE, x);
    } else if (x >= 0.5 && x < 1) {
      xspplace(ctx->proc, s);
      xpmlog(KES_SET_PLOT, KES_MSG_TRIM_AMOUNT_HALF_OR_MORE, x);
    } else {
      (*out)[kept++] = x;
    }
  }
  return kept;
}

// What the steps pass on to later ones.
struct option_reading {
  bool df = false;  // VARDEF=DF (after the check of a weighted divisor)
};

// The steps, in order: each 0, or the code the step ended with through xexit.

// The run pool.
int run_pool(kes_ctx* ctx, option_reading&) {
  kes_datapass* dp = kes_dp(ctx);
  if (ctx->runpool == nullptr) ctx->runpool = xmpoolc(0, 1024, KES_POOL_RUN);
  if (ctx->runpool == nullptr) {
    xmemmsg(1024);
    return fail(KES_RC_OUT_OF_MEMORY);
  }
  dp->valuelists = 1;
  dp->freq_varnum = dp->weight_varnum = -1;
  return 0;
}

// The family labels.
static_assert(sizeof KES_FAMILY_STAT_LABELS / sizeof KES_FAMILY_STAT_LABELS[0] == KES_NSTATLABELS);
int family_labels(kes_ctx* ctx, option_reading&) {
  for (int i = 0; i < KES_NSTATLABELS; ++i) xpmstr(ctx->statlabel[i], 16, KES_SET_PROC, KES_FAMILY_STAT_LABELS[i]);
  return 0;
}

// Flags.
int flags(kes_ctx* ctx, option_reading&) {
  kes_procopts* po = kes_po(ctx);
  kes_datapass* dp = kes_dp(ctx);
  ctx->noprint = flag(ctx, KES_PROC_FLAG_NOPRINT);
  ctx->printed = !ctx->noprint;
  ctx->plot = flag(ctx, KES_PROC_FLAG_PLOT);
  ctx->freq = flag(ctx, KES_PROC_FLAG_FREQ);
  ctx->normal = flag(ctx, KES_PROC_FLAG_NORMAL);
  po->nobyplot = flag(ctx, KES_PROC_FLAG_NOBYPLOT);
  ctx->loccount = flag(ctx, KES_PROC_FLAG_LOCCOUNT);
  ctx->robustscale = flag(ctx, KES_PROC_FLAG_ROBUSTSCALE);
  po->modes = flag(ctx, KES_PROC_FLAG_MODES);
  po->all = flag(ctx, KES_PROC_FLAG_ALL);
  ctx->exclnpwgt = flag(ctx, KES_PROC_FLAG_EXCLNPWGT);
  ctx->vargroups = !flag(ctx, KES_PROC_FLAG_NOVARCONTENTS);
  ctx->toc_wanted = !flag(ctx, KES_PROC_FLAG_NOTABCONTENTS);
  dp->idout = flag(ctx, KES_PROC_FLAG_IDOUT);
  return 0;
}

// Listing sizes and PLOTSIZE=.
int listing_sizes(kes_ctx* ctx, option_reading&) {
  ctx->plotsize = 30;
  if (!ctx->noprint) {
    xppage(0);
    const host_printline* pl = xpoutl(0, 0);
    if (pl != nullptr) {
      ctx->linesize = pl->linesize;
      ctx->pagesize = pl->pagesize;
    }
    if (given(ctx, KES_PROC_SLOT_PLOTSIZE)) {
      const double ps = num(ctx, KES_PROC_SLOT_PLOTSIZE);
      int p = std::isnan(ps) ? 30 : static_cast<int>(kes::fmax(-1e9, kes::fmin(1e9, ps)));
      if (p > ctx->pagesize) {
        xspplace(ctx->proc, KES_PROC_SLOT_PLOTSIZE);
        xpmlog(KES_SET_PROC, KES_MSG_PLOTSIZE_LARGER_THAN_PAGE, p, ctx->pagesize);
        p = ctx->pagesize;
      }
      if (p < 8) {
        xspplace(ctx->proc, KES_PROC_SLOT_PLOTSIZE);
        xpmlog(KES_SET_PROC, KES_MSG_PLOTSIZE_BELOW_SMALLEST_PLOT, p);
        p = 8;
      }
      ctx->plotsize = p;
      kes_po(ctx)->plotsize_given = 1;
    }
  } else {
    ctx->linesize = ctx->pagesize = 0;
  }
  return 0;
}

// Side-by-side box plots of all BY groups.
int side_plots(kes_ctx* ctx, option_reading&) {
  kes_procopts* po = kes_po(ctx);
  ctx->nbyvars = count(ctx, KES_PROC_SLOT_BY);
  ctx->sideplots = ctx->plot && !po->nobyplot && ctx->nbyvars > 0;
  if (ctx->noprint) ctx->sideplots = ctx->freq = ctx->plot = 0;
  return 0;
}

// DATA=.
int data_set(kes_ctx* ctx, option_reading&) {
  ctx->data = static_cast<kes_dsh>(kes_pslot(ctx->proc, KES_PROC_SLOT_DATA)->v.handle);
  if (!given(ctx, KES_PROC_SLOT_DATA) || ctx->data == nullptr) {
    xspplace(ctx->proc, KES_STMT_KEYWORD);
    xpmlog(KES_SET_PROC, KES_MSG_NO_INPUT_DATA_SET);
    return fail(KES_RC_BAD_OPTION);
  }
  return 0;
}

// The variable lists.
int variable_lists(kes_ctx* ctx, option_reading&) {
  kes_datapass* dp = kes_dp(ctx);
  bool failed = false;
  const int lists[4] = {KES_PROC_SLOT_VAR, KES_PROC_SLOT_WEIGHT, KES_PROC_SLOT_FREQ, KES_PROC_SLOT_ID};
  for (int s : lists) {
    const int n = count(ctx, s);
    if (n <= 0 || ints(ctx, s) == nullptr) continue;
    if (xvdflst(ctx->data, ints(ctx, s), n) != 0) return fail(KES_RC_STEP_FAILED);
    if (xffile(ctx->data, 'F', ints(ctx, s), n) > 0) return fail(KES_RC_STEP_FAILED);
  }
  ctx->nvars = given(ctx, KES_PROC_SLOT_VAR) ? count(ctx, KES_PROC_SLOT_VAR) : kes_default_vars(ctx, nullptr);
  if (ctx->nvars <= 0) {
    xpmlog(KES_SET_PROC, KES_MSG_NO_ANALYSIS_VARIABLES);
    return fail(KES_RC_BAD_OPTION);
  }
  ctx->varnums = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * ctx->nvars, &failed));
  if (failed) return fail(KES_RC_OUT_OF_MEMORY);
  if (given(ctx, KES_PROC_SLOT_VAR)) {
    for (int v = 0; v < ctx->nvars; ++v) ctx->varnums[v] = ints(ctx, KES_PROC_SLOT_VAR)[v];
  } else {
    kes_default_vars(ctx, ctx->varnums);
    if (xvdflst(ctx->data, ctx->varnums, ctx->nvars) != 0) return fail(KES_RC_STEP_FAILED);
    if (xffile(ctx->data, 'F', ctx->varnums, ctx->nvars) > 0) return fail(KES_RC_STEP_FAILED);
  }
  ctx->weight_given = count(ctx, KES_PROC_SLOT_WEIGHT) > 0;
  ctx->freq_given = count(ctx, KES_PROC_SLOT_FREQ) > 0;
  if (ctx->weight_given) dp->weight_varnum = ints(ctx, KES_PROC_SLOT_WEIGHT)[0];
  if (ctx->freq_given) dp->freq_varnum = ints(ctx, KES_PROC_SLOT_FREQ)[0];
  return 0;
}

// Statistics that a WEIGHT variable rules out.
int weight_exclusions(kes_ctx* ctx, option_reading&) {
  if (ctx->weight_given) {
    if (ctx->normal) xpmlog(KES_SET_PROC, KES_MSG_NORMAL_IGNORED_WITH_WEIGHT);
    if (ctx->loccount) xpmlog(KES_SET_PROC, KES_MSG_LOCCOUNT_IGNORED_WITH_WEIGHT);
    if (ctx->robustscale) xpmlog(KES_SET_PROC, KES_MSG_ROBUSTSCALE_IGNORED_WITH_WEIGHT);
    ctx->normal = ctx->loccount = ctx->robustscale = 0;
  }
  return 0;
}

// BY variables.
int by_variables(kes_ctx* ctx, option_reading&) {
  kes_datapass* dp = kes_dp(ctx);
  bool failed = false;
  if (ctx->nbyvars > 0) {
    dp->byvarnums = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * ctx->nbyvars, &failed));
    ctx->byvalues = static_cast<double*>(take(ctx, static_cast<long>(sizeof(double)) * ctx->nbyvars, &failed));
    if (failed) return fail(KES_RC_OUT_OF_MEMORY);
    for (int i = 0; i < ctx->nbyvars; ++i) dp->byvarnums[i] = ints(ctx, KES_PROC_SLOT_BY)[i];
    dp->bynum = ctx->byvalues;
  }
  return 0;
}

// CLASS.
int class_variables(kes_ctx* ctx, option_reading&) {
  bool failed = false;
  ctx->classvars = static_cast<kes_classvars*>(take(ctx, sizeof(kes_classvars), &failed));
  if (failed) return fail(KES_RC_OUT_OF_MEMORY);
  ctx->nclassrecs = 1;
  {
    kes_classvars* cv = ctx->classvars;
    const int n = count(ctx, KES_PROC_SLOT_CLASS);
    const std::int32_t* e = ints(ctx, KES_PROC_SLOT_CLASS);
    int nc = 0;
    for (int i = 0; i < n && e != nullptr; ++i)
      if (e[i] >= 0) ++nc;
    if (nc > KES_MAX_CLASS) {
      xspplace(ctx->proc, KES_PROC_SLOT_CLASS);
      xpmlog(KES_SET_PROC, KES_MSG_CLASS_TOO_MANY_VARIABLES, nc);
      return fail(KES_RC_OUTPUT_UNDEFINED);
    }
    int k = -1;
    for (int i = 0; i < n && e != nullptr; ++i) {
      if (e[i] >= 0) {
        kes_classvar& var = cv->var[++k];
        var.varnum = e[i];
        var.order = 2;
        continue;
      }
      if (k < 0) continue;
      if (e[i] >= -4) cv->var[k].order = -e[i] - 1;
      else if (e[i] == -5) cv->var[k].keep_missing = 1;
    }
    cv->count = nc;
    cv->keep_order = flag(ctx, KES_PROC_FLAG_NOKEYMOVE);
    for (int i = 0; i < nc; ++i) {
      const kes_optslot* ks = kes_pslot(ctx->proc, i == 0 ? KES_PROC_SLOT_KEYLEVEL1 : KES_PROC_SLOT_KEYLEVEL2);
      if (!ks->given || ks->v.count <= 0 || ks->list == nullptr) continue;
      const int len = kes::min(ks->v.count, 256);
      char* t = static_cast<char*>(take(ctx, len, &failed));
      if (failed) return fail(KES_RC_OUT_OF_MEMORY);
      vzmp(static_cast<const char*>(ks->list), len, t, len);
      cv->var[i].keylevel.width = static_cast<std::uint16_t>(len);
      cv->var[i].keylevel.len = static_cast<std::uint16_t>(wzstjus(t, len, 'L'));
      cv->var[i].keylevel.text = t;
    }
    if (nc > 0) ctx->sideplots = 0;
  }
  return 0;
}

// PCTLDEF=.
int percentile_definition(kes_ctx* ctx, option_reading&) {
  ctx->pctldef = 5;
  if (given(ctx, KES_PROC_SLOT_PCTLDEF) && !std::isnan(num(ctx, KES_PROC_SLOT_PCTLDEF))) {
    double asked = num(ctx, KES_PROC_SLOT_PCTLDEF);
    ctx->pctldef = static_cast<int>(kes::fmax(1, kes::fmin(5, std::trunc(asked))));
    if (asked != ctx->pctldef && !ctx->weight_given) {
      char text[32];
      std::snprintf(text, sizeof text, "%.15g", asked);
      xspplace(ctx->proc, KES_PROC_SLOT_PCTLDEF);
      xpmlog(KES_SET_PROC, KES_MSG_PCTLDEF_NOT_WHOLE_NUMBER, text, ctx->pctldef);
    }
  }
  if (ctx->weight_given) {
    if (given(ctx, KES_PROC_SLOT_PCTLDEF)) {
      xspplace(ctx->proc, KES_PROC_SLOT_PCTLDEF);
      xpmlog(KES_SET_PROC, KES_MSG_PCTLDEF_IGNORED_WITH_WEIGHT);
    }
    ctx->pctldef = 6;
  }
  return 0;
}

// NEXTROBS= and NEXTRVAL=.
int extreme_counts(kes_ctx* ctx, option_reading&) {
  ctx->nextrobs =
      given(ctx, KES_PROC_SLOT_NEXTROBS) ? static_cast<int>(kes::fmin(1e6, num(ctx, KES_PROC_SLOT_NEXTROBS))) : 5;
  ctx->nextrval =
      given(ctx, KES_PROC_SLOT_NEXTRVAL) ? static_cast<int>(kes::fmin(1e6, num(ctx, KES_PROC_SLOT_NEXTRVAL))) : 0;
  if (ctx->nextrobs < 0) ctx->nextrobs = 0;
  if (ctx->nextrval < 0) ctx->nextrval = 0;
  return 0;
}

// VARDEF=.
int variance_divisor(kes_ctx* ctx, option_reading& r) {
  std::memcpy(ctx->vardef, "DF      ", 8);
  if (given(ctx, KES_PROC_SLOT_VARDEF)) std::memcpy(ctx->vardef, kes_pslot(ctx->proc, KES_PROC_SLOT_VARDEF)->v.name, 8);
  const bool vardef_df = std::memcmp(ctx->vardef, "DF      ", 8) == 0;
  const bool vardef_wgt = std::memcmp(ctx->vardef, "WEIGHT  ", 8) == 0 ||
                          std::memcmp(ctx->vardef, "WGT     ", 8) == 0 || std::memcmp(ctx->vardef, "WDF     ", 8) == 0;
  if (vardef_wgt) {
    if (!ctx->weight_given) {
      xspplace(ctx->proc, KES_PROC_SLOT_VARDEF);
      xpmlog(KES_SET_PROC, KES_MSG_VARDEF_NEEDS_WEIGHT_VARIABLE, wzstrip(ctx->vardef, 8), ctx->vardef);
      std::memcpy(ctx->vardef, "DF      ", 8);
    } else if (ctx->printed) {
      xpmlog(KES_SET_PROC, KES_MSG_VARDEF_SCALES_VARIANCES, wzstrip(ctx->vardef, 8), ctx->vardef,
             std::memcmp(ctx->vardef, "WDF", 3) == 0 ? " minus 1" : "");
    }
  }
  r.df = vardef_df || std::memcmp(ctx->vardef, "DF      ", 8) == 0;
  return 0;
}

// MU0=.
int mu0_values(kes_ctx* ctx, option_reading&) {
  kes_procopts* po = kes_po(ctx);
  bool failed = false;
  po->mu0 = static_cast<double*>(take(ctx, static_cast<long>(sizeof(double)) * ctx->nvars, &failed));
  if (failed) return fail(KES_RC_OUT_OF_MEMORY);
  if (count(ctx, KES_PROC_SLOT_MU0) > 0 && nums(ctx, KES_PROC_SLOT_MU0) != nullptr) {
    const int n = count(ctx, KES_PROC_SLOT_MU0);
    if (n > 1 && n > ctx->nvars)
      xpmlog(KES_SET_LABEL, KES_MSG_VALUES_BEYOND_VARIABLES, "MU0=", n, "values", ctx->nvars, n - ctx->nvars);
    if (n == 1)
      vzfdl(nums(ctx, KES_PROC_SLOT_MU0)[0], po->mu0, ctx->nvars);
    else
      for (int v = 0; v < kes::min(n, ctx->nvars); ++v) po->mu0[v] = nums(ctx, KES_PROC_SLOT_MU0)[v];
  }
  return 0;
}

// ALPHA=.
int alpha_level(kes_ctx* ctx, option_reading&) {
  kes_procopts* po = kes_po(ctx);
  po->alpha = 0.05;
  if (given(ctx, KES_PROC_SLOT_ALPHA)) {
    const double a = num(ctx, KES_PROC_SLOT_ALPHA);
    if (!(a > 0 && a < 1)) {
      xspplace(ctx->proc, KES_PROC_SLOT_ALPHA);
      xpmlog(KES_SET_PROC, KES_MSG_VALUE_NOT_STRICTLY_BETWEEN_0_AND_1, "ALPHA=", a);
      return fail(KES_RC_BAD_OPTION);
    }
    po->alpha = a;
  }
  return 0;
}

// TRIMMED= and WINSORIZED=.
int trimmed_winsorized(kes_ctx* ctx, option_reading&) {
  kes_procopts* po = kes_po(ctx);
  bool failed = false;
  if (ctx->weight_given) {
    if (given(ctx, KES_PROC_SLOT_TRIMMED) || given(ctx, KES_PROC_SLOT_WINSORIZED))
      xpmlog(KES_SET_PLOT, KES_MSG_TRIM_IGNORED_WITH_WEIGHT);
  } else {
    if (given(ctx, KES_PROC_SLOT_TRIMMED)) {
      ctx->ntrimmed = keep_proportions(ctx, KES_PROC_SLOT_TRIMMED, &po->trimmed, &failed);
      po->trim_kind = kind_of(ctx, KES_PROC_SLOT_TRIMMED_TYPE, 3);
      if (po->trim_kind < 1 || po->trim_kind > 3) po->trim_kind = 3;
      if (!level_of(ctx, KES_PROC_SLOT_TRIMMED_ALPHA, po->alpha, "ALPHA= of TRIMMED=", &po->trim_alpha))
        return fail(KES_RC_BAD_OPTION);
    }
    if (given(ctx, KES_PROC_SLOT_WINSORIZED)) {
      ctx->nwinsorized = keep_proportions(ctx, KES_PROC_SLOT_WINSORIZED, &po->winsorized, &failed);
      po->winsor_kind = kind_of(ctx, KES_PROC_SLOT_WINSORIZED_TYPE, 3);
      if (po->winsor_kind < 1 || po->winsor_kind > 3) po->winsor_kind = 3;
      if (!level_of(ctx, KES_PROC_SLOT_WINSORIZED_ALPHA, po->alpha, "ALPHA= of WINSORIZED=", &po->winsor_alpha))
        return fail(KES_RC_BAD_OPTION);
    }
    if (failed) return fail(KES_RC_OUT_OF_MEMORY);
  }
  return 0;
}

// Percentile confidence limits.
int percentile_limits(kes_ctx* ctx, option_reading& r) {
  kes_procopts* po = kes_po(ctx);
  const bool df = r.df;
  const bool ci_normal = flag(ctx, KES_PROC_FLAG_CIPCTLNORMAL), ci_df = flag(ctx, KES_PROC_FLAG_CIPCTLDF);
  if (ctx->weight_given) {
    if (ci_normal || ci_df)
      xpmlog(KES_SET_PLOT, KES_MSG_PERCENTILE_LIMITS_IGNORED_WITH_WEIGHT,
             ci_normal && ci_df ? "CIPCTLNORMAL and CIPCTLDF are" : ci_normal ? "CIPCTLNORMAL is" : "CIPCTLDF is");
  } else {
    if (ci_normal) {
      if (!df) {
        xpmlog(KES_SET_PLOT, KES_MSG_CIPCTLNORMAL_NEEDS_VARDEF_DF);
      } else {
        po->cipctlnormal = kind_of(ctx, KES_PROC_SLOT_CIPCTLNORMAL_TYPE, 3);
        if (!level_of(ctx, KES_PROC_SLOT_CIPCTLNORMAL_ALPHA, po->alpha, "ALPHA= of CIPCTLNORMAL",
                      &po->cipctlnormal_alpha))
          return fail(KES_RC_BAD_OPTION);
      }
    }
    if (ci_df) {
      // As parsed: LOWER 1, UPPER 2, SYMMETRIC 3, ASYMMETRIC 4.
      const int t = kind_of(ctx, KES_PROC_SLOT_CIPCTLDF_TYPE, 3);
      po->cipctldf = t == 1 ? 1 : t == 2 ? 2 : t == 4 ? 5 : 4;
      if (!level_of(ctx, KES_PROC_SLOT_CIPCTLDF_ALPHA, po->alpha, "ALPHA= of CIPCTLDF", &po->cipctldf_alpha))
        return fail(KES_RC_BAD_OPTION);
    }
  }
  return 0;
}

// CIBASIC.
int basic_limits(kes_ctx* ctx, option_reading& r) {
  kes_procopts* po = kes_po(ctx);
  const bool df = r.df;
  if (flag(ctx, KES_PROC_FLAG_CIBASIC)) {
    if (!df) {
      xpmlog(KES_SET_PLOT, KES_MSG_CIBASIC_NEEDS_VARDEF_DF);
    } else {
      po->cibasic = kind_of(ctx, KES_PROC_SLOT_CIBASIC_TYPE, 3);
      if (!level_of(ctx, KES_PROC_SLOT_CIBASIC_ALPHA, po->alpha, "ALPHA= of CIBASIC", &po->cibasic_alpha))
        return fail(KES_RC_BAD_OPTION);
    }
  }
  return 0;
}

// ALL.
int all_option(kes_ctx* ctx, option_reading& r) {
  kes_procopts* po = kes_po(ctx);
  const bool df = r.df;
  if (po->all) {
    po->modes = 1;
    ctx->freq = 1;
    ctx->plot = 1;
    if (ctx->nbyvars > 0 && ctx->classvars->count == 0 && !ctx->noprint) ctx->sideplots = 1;
    if (!given(ctx, KES_PROC_SLOT_NEXTRVAL)) ctx->nextrval = 5;
    if (df && po->cibasic == 0) {
      po->cibasic = 3;
      po->cibasic_alpha = po->alpha;
    }
    if (!ctx->weight_given) {
      ctx->robustscale = ctx->normal = ctx->loccount = 1;
      if (po->cipctlnormal == 0 && df) {
        po->cipctlnormal = 3;
        po->cipctlnormal_alpha = po->alpha;
      }
      if (po->cipctldf == 0) {
        po->cipctldf = 4;
        po->cipctldf_alpha = po->alpha;
      }
      static const double quarter = 0.25;
      if (ctx->ntrimmed == 0) {
        po->trimmed = const_cast<double*>(&quarter);
        ctx->ntrimmed = 1;
        po->trim_kind = 3;
        po->trim_alpha = po->alpha;
      }
      if (ctx->nwinsorized == 0) {
        po->winsorized = const_cast<double*>(&quarter);
        ctx->nwinsorized = 1;
        po->winsor_kind = 3;
        po->winsor_alpha = po->alpha;
      }
    }
  }
  return 0;
}

// ROUND=.
int rounding(kes_ctx* ctx, option_reading&) {
  kes_datapass* dp = kes_dp(ctx);
  bool failed = false;
  dp->round_flag = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * ctx->nvars, &failed));
  dp->round_inc = static_cast<double*>(take(ctx, static_cast<long>(sizeof(double)) * ctx->nvars, &failed));
  dp->round_fail = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * ctx->nvars, &failed));
  if (failed) return fail(KES_RC_OUT_OF_MEMORY);
  if (count(ctx, KES_PROC_SLOT_ROUND) > 0 && nums(ctx, KES_PROC_SLOT_ROUND) != nullptr) {
    const int n = count(ctx, KES_PROC_SLOT_ROUND);
    const double* u = nums(ctx, KES_PROC_SLOT_ROUND);
    if (n > 1 && count(ctx, KES_PROC_SLOT_VAR) == 0) {
      xspplace(ctx->proc, KES_PROC_SLOT_ROUND);
      xpmlog(KES_SET_PROC, KES_MSG_ROUND_SEVERAL_WITHOUT_VAR);
      return fail(KES_RC_OUTPUT_UNDEFINED);
    }
    for (int i = 0; i < n; ++i)
      if (u[i] < 0) {
        xspplace(ctx->proc, KES_PROC_SLOT_ROUND);
        xpmlog(KES_SET_PROC, KES_MSG_ROUND_NEGATIVE, u[i]);
        return fail(KES_RC_BAD_VALUE);
      }
    for (int v = 0; v < ctx->nvars; ++v) {
      const double x = n == 1 ? u[0] : (v < n ? u[v] : 0.0);
      if (x > 0) {
        dp->round_flag[v] = 1;
        dp->round_inc[v] = x;
        dp->round_any = 1;
      }
    }
  }
  return 0;
}

}  // namespace

int kesgopt_impl(kes_ctx* ctx) {
  option_reading r;
  using step = int (*)(kes_ctx*, option_reading&);
  static constexpr step kSteps[] = {
      run_pool,
      family_labels,
      flags,
      listing_sizes,
      side_plots,
      data_set,
      variable_lists,
      weight_exclusions,
      by_variables,
      class_variables,
      percentile_definition,
      extreme_counts,
      variance_divisor,
      mu0_values,
      alpha_level,
      trimmed_winsorized,
      percentile_limits,
      basic_limits,
      all_option,
      rounding,
  };
  for (step s : kSteps)
    if (const int rc = s(ctx, r); rc != 0) return rc;
  return 0;
}
