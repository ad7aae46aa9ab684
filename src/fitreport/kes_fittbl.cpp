// The table writer every family shares: binds ParameterEstimates and, for a tested
// curve, GoodnessOfFit to their templates and fills their rows.
#include <cmath>
#include <cstring>

#include "fit/kes_estframe.h"
#include "fitreport/kes_fitbind.h"
#include "fitreport/kes_fitrep.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/pool_alloc.h"
#include "stats/gof_test_texts.h"
#include "stats/tables_call.h"

namespace {

// Copies message (308, number) into a blank-filled cell of width w (number 0: blank).
void put_text(char* cell, int w, int number) {
  std::memset(cell, ' ', KES_FITCELL);
  if (number == 0) return;
  char buf[KES_FITCELL + 1];
  const int len = xpmstr(buf, KES_FITCELL, KES_SET_PLOT, number);
  kes_fillcell(cell, w, buf, len < 0 ? 0 : len > w ? w : len);
}

double value_of(const kes_curve& c, int which) {
  switch (which) {
    case KES_FV_MEAN: return c.edf.mean;
    case KES_FV_STD: return c.edf.std;
    case KES_FV_SKEW: return c.edf.skewness;
    case KES_FV_KURT: return c.edf.kurtosis;
    case KES_FV_PEAK: return c.peak_copy;
    case KES_FV_PEAK2: return c.mode2;
    case KES_FV_HEIGHT2: return c.height2;
    default: return c.edf.params[which];
  }
}

// One test row: the texts of index i (1 A-Sq, 2 W-Sq, 3 D).
void test_row(kes_fitrows* fr, int i, double stat, double p, char rel) {
  put_text(fr->test, fr->test_w, KES_GOF_TEXTS[i].name);
  put_text(fr->testlab, fr->lab_w, KES_GOF_TEXTS[i].symbol);
  put_text(fr->ptype, fr->ptype_w, KES_GOF_TEXTS[i].pvalue);
  fr->value = stat;
  fr->pvalue = p;
  fr->psign[0] = rel;
  // A test has no degrees of freedom: the cell shows nothing.
  fr->df = kes_tab_blank();
  kes_tabcall(fr->good, WOB_M_ADD_ROW, 0, nullptr);
}
}  // namespace

kes_fitrows* kes_fit_rows(kes_ctx* ctx) {
  if (ctx->fitrows == nullptr) {
    void* p = vmalcp_handler(ctx->runpool, sizeof(kes_fitrows), KES_ALLOC_4);
    if (p == nullptr) {
      xmemmsg(sizeof(kes_fitrows));
      return nullptr;
    }
    std::memset(p, 0, sizeof(kes_fitrows));
    ctx->fitrows = static_cast<kes_fitrows*>(p);
  }
  return ctx->fitrows;
}

void kes_write_fit_tables(kes_ctx* ctx, kes_cell* cell, int name_msg, const kes_parmrow* rows, int nrows) {
  kes_fitrows* fr = ctx->fitrows;
  const kes_curve* c = kes_fit_curve(kes_plot_slot(ctx, ctx->curreq, cell));
  if (fr == nullptr || c == nullptr) return;
  char fam[16];
  std::memset(fam, ' ', sizeof fam);
  int len = xpmstr(fam, sizeof fam, KES_SET_PLOT, name_msg);
  len = len < 0 ? 0 : len > 16 ? 16 : len;

  kes_fit_bind(ctx, fr->parms, "orbo.kestravine.FitParms", vemmsgs(KES_SET_PLOT, KES_MSG_PARAMETERS_TITLE, len, fam));
  for (int i = 0; i < nrows; ++i) {
    put_text(fr->name, fr->name_w, rows[i].label);
    put_text(fr->sym, fr->sym_w, rows[i].symbol);
    fr->value = kes_fit_estimate(value_of(*c, rows[i].value));
    kes_tabcall(fr->parms, WOB_M_ADD_ROW, 0, nullptr);
  }
  kes_fit_end_emit(ctx, fr->parms);
  if (!c->edf.tested || fr->good == nullptr) return;

  kes_fit_bind(ctx, fr->good, "orbo.kestravine.FitGood", vemmsgs(KES_SET_PLOT, KES_MSG_GOF_TESTS_TITLE, len, fam));
  const kes_edfres& e = c->edf;
  if (!std::isnan(e.p_d)) test_row(fr, 3, e.d, e.p_d, e.rel_d);
  if (!std::isnan(e.p_wsq)) test_row(fr, 2, e.wsq, e.p_wsq, e.rel_wsq);
  if (!std::isnan(e.p_asq)) test_row(fr, 1, e.asq, e.p_asq, e.rel_asq);
  kes_fit_end_emit(ctx, fr->good);
}
