// kesfit(ctx): the fitted-distribution report of the current histogram request and
// variable: headings and CLASS-level groups when anything is printed, each cell's
// HistogramBins table, the tables of every fitted curve and the OUTHISTOGRAM rows.
#include <cstring>
#include <initializer_list>

#include "fit/kes_estframe.h"
#include "fitreport/kes_famopts.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitbind.h"
#include "fitreport/kes_fitrep.h"
#include "fitreport/kes_fitreport.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "stats/kes_stats.h"
#include "stats/kesmpct.h"
#include "stats/tables_call.h"


namespace {
// The _CURVE_ value of a fitted family by its code: its first curve, and the later
// ones with their number.
struct curve_names {
  int first, numbered;
};
constexpr curve_names kCurveNames[] = {{KES_MSG_CURVE_NAME_NORMAL, KES_MSG_CURVE_NAME_NORMAL_N},
                                       {KES_MSG_CURVE_NAME_LOGNORMAL, KES_MSG_CURVE_NAME_LOGNORMAL_N},
                                       {KES_MSG_CURVE_NAME_EXPONENTIAL, KES_MSG_CURVE_NAME_EXPONENTIAL_N},
                                       {KES_MSG_CURVE_NAME_WEIBULL, KES_MSG_CURVE_NAME_WEIBULL_N},
                                       {KES_MSG_CURVE_NAME_GAMMA, KES_MSG_CURVE_NAME_GAMMA_N},
                                       {KES_MSG_CURVE_NAME_BETA, KES_MSG_CURVE_NAME_BETA_N},
                                       {KES_MSG_CURVE_NAME_SB, KES_MSG_CURVE_NAME_SB_N},
                                       {KES_MSG_CURVE_NAME_SU, KES_MSG_CURVE_NAME_SU_N}};

bool parametric_printed(const kes_ctx* ctx, const kes_preq* request, kes_cell* cell) {
  const kes_plotslot* s = kes_plot_slot(ctx, request, cell);
  if (s == nullptr || s->curves == nullptr) return false;
  for (int i = 0; i < s->ncurves - s->nkernels; ++i) {
    const kes_curve& c = s->curves[i];
    if (c.fitted && c.dist >= 0 && c.dist <= KES_DIST_SU && !kes_flag(request->stmt, KES_FAMOPTS[c.dist].noprint))
      return true;
  }
  return false;
}

// Whether anything of the report is printed.
bool printing(const kes_ctx* ctx, const kes_preq* request) {
  if (kes_flag(request->stmt, KES_PLOT_FLAG_MIDPERCENTS)) return true;
  return kes_each_cell(request->classvars, [&](kes_cell* c) { return parametric_printed(ctx, request, c) ? 1 : 0; }) != 0;
}

struct report {
  kes_ctx* ctx;
  kes_preq* request;
  bool print;
  int depth;
  bool first_cell = true;
  int status = 0;  // out of memory: the cells after stay unreported and the step ends
};

void kescurve(report& r, kes_cell* cell, kes_plotslot* slot, int k) {
  kes_curve& c = slot->curves[k];
  // A curve that was not fitted has no rows: its block would repeat the bins with a
  // blank _CURVE_ (kesclass writes the bins once when no curve was fitted).
  if (r.request->outhist_def != nullptr && c.fitted) {
    char* name = r.ctx->outrow.curve;
    std::memset(name, ' ', sizeof r.ctx->outrow.curve);
    if (c.fitted) {
      char buf[17];
      const curve_names& n = kCurveNames[c.dist];
      const int len = c.family_index == 0 ? xpmstr(buf, 16, KES_SET_PLOT, n.first)
                                          : xpmstr(buf, 16, KES_SET_PLOT, n.numbered, c.family_index + 1);
      if (len > 0) std::memcpy(name, buf, static_cast<size_t>(len > 16 ? 16 : len));
    }
    kescmhg(r.ctx, r.request, slot, &c);
  }
  if (c.fitted && c.dist >= 0 && c.dist <= KES_DIST_SU && !kes_flag(r.request->stmt, KES_FAMOPTS[c.dist].noprint))
    r.status = fitvem(r.ctx, k, cell, r.depth);
}

void kesclass(report& r, kes_cell* cell) {
  if (r.status != 0) return;
  if (kes_flag(r.request->stmt, KES_PLOT_FLAG_MIDPERCENTS)) kesmpct(r.ctx, cell);
  kes_plotslot* slot = kes_plot_slot(r.ctx, r.request, cell);
  if (slot == nullptr) return;
  const int n = slot->curves != nullptr ? slot->ncurves - slot->nkernels : 0;
  int fitted = 0;
  for (int k = 0; k < n; ++k) fitted += slot->curves[k].fitted ? 1 : 0;
  if (fitted == 0 && r.request->outhist_def != nullptr) {
    // The bins alone, once: with curves asked for, _CURVE_ blank and _EXPPCT_ missing.
    std::memset(r.ctx->outrow.curve, ' ', sizeof r.ctx->outrow.curve);
    r.ctx->outrow.exppct = kes_fit_missing();
    kescmhg(r.ctx, r.request, slot, nullptr);
  }
  for (int k = 0; k < n && r.status == 0; ++k) kescurve(r, cell, slot, k);
}

void check(int rc) {
  if (rc < 0) {
    xprrlog(0, rc);
    xexit(rc, 0);
  }
}

// The level of CLASS variable i: its current texts and value, and, when printing, its
// heading line and output group (closed by the caller).
void* open_level(report& r, int i, kes_cell* cell) {
  kes_classvars* cv = r.request->classvars;
  for (kes_classvars* rec : {cv, r.ctx->classvars}) {
    if (rec == nullptr || rec->count <= i) continue;
    kes_classvar& var = rec->var[i];
    var.value = cell->value;
    if (var.fmt.text != nullptr) {
      std::memset(var.fmt.text, ' ', var.fmt.width);
      const int l = cell->fmt.len < var.fmt.width ? cell->fmt.len : var.fmt.width;
      std::memcpy(var.fmt.text, cell->fmt.text, static_cast<size_t>(l));
      var.fmt.len = static_cast<std::uint16_t>(l);
    }
    if (var.key.text != nullptr) {
      std::memset(var.key.text, ' ', var.key.width);
      const int l = cell->key.len < var.key.width ? cell->key.len : var.key.width;
      std::memcpy(var.key.text, cell->key.text, static_cast<size_t>(l));
      var.key.len = static_cast<std::uint16_t>(l);
    }
    if (rec == r.ctx->classvars) break;
  }
  if (!r.print) return nullptr;
  const kes_classvar& var = cv->var[i];
  const bool blank = var.type == 2 && (cell->fmt.len == 0 || cell->fmt.text[0] == ' ');
  const int flen = blank ? 0 : cell->fmt.len;
  void* text = blank
                   ? vemmsgs(KES_SET_PROC, KES_MSG_BLANK, int(var.name.len), var.name.text)
                   : vemmsgs(KES_SET_PROC, KES_MSG_CLASS_LEVEL, int(var.name.len), var.name.text, flen, cell->fmt.text);
  kes_heading_line(r.ctx, i + 2, text);
  wob_attr a[9] = {
      wob_out(WOB_A_HANDLE),
      wob_text(WOB_A_NAME, vemtxt(cell->fmt.text, flen > 0 ? flen : 1)),
      wob_int(WOB_A_CHAR_WIDTH, flen),
      wob_text(WOB_A_GROUP_KIND, vemtxt(var.name.text, var.name.len)),
      wob_text(WOB_A_DETAIL_TEXT, vemtxt(var.label, var.label_len)),
      wob_int(WOB_A_DECIMALS, cell->fmt.len),
      wob_int(WOB_A_WIDTH, var.fmt.width),
      wob_text(WOB_A_LABEL, text),
      wob_last(WOB_A_GROUP_FLAG, 1),
  };
  kes_tabcall(r.ctx->objs.manager, WOB_M_GROUP, 9, a);
  return a[0].w.p;
}

void close_level(void* group) {
  if (group != nullptr) check(wobclose(group));
}

void page_break(report& r) {
  if (r.print && !r.first_cell) {
    kes_tabcall(r.ctx->objs.manager, WOB_M_GROUPING, 0, nullptr);
    xppage(0);
  }
  r.first_cell = false;
}
}  // namespace

int kesfit(kes_ctx* ctx) {
  kes_preq* request = ctx->curreq;
  if (request == nullptr || request->classvars == nullptr || request->stmt == nullptr) return 0;
  if (request->ncurves == 0 && request->outhist_def == nullptr &&
      !kes_flag(request->stmt, KES_PLOT_FLAG_MIDPERCENTS))
    return 0;
  report r{ctx, request, printing(ctx, request), 1};
  const kes_classvars* cv = request->classvars;
  if (r.print) {
    kes_tabcall(ctx->objs.manager, WOB_M_GROUPING, 0, nullptr);
    xppage(0);
    kes_heading_count(ctx, 1);
    kes_heading_line(ctx, 1, vemmsg(KES_SET_PROC, KES_MSG_KESTRAVINE_PROCEDURE));
    r.depth = 2 + cv->count;
  }
  if (cv->count == 0) {
    if (cv->levels != nullptr) kesclass(r, cv->levels);
  } else {
    for (kes_cell* l = cv->levels; l != nullptr; l = l->next) {
      if (cv->count == 1) {
        void* g = open_level(r, 0, l);
        page_break(r);
        kesclass(r, l);
        close_level(g);
        continue;
      }
      void* g = open_level(r, 0, l);
      for (kes_cell* c = l->child; c != nullptr; c = c->next) {
        void* g2 = open_level(r, 1, c);
        page_break(r);
        kesclass(r, c);
        close_level(g2);
      }
      close_level(g);
    }
  }
  if (r.print) kes_heading_count(ctx, 2);
  return r.status;
}
