// kesidst: the rows of a distribution block of an inset (every fitted curve of the
// family: its parameters, goodness-of-fit results and moments), and the value of one
// sub-keyword, which the template-graph insets read as well.
#include <climits>
#include <cmath>

#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "inset/inset_build.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"
#include "util/param_text.h"

namespace {

bool prob_or_qq(const kes_preq* rq) { return rq->type == KES_PLOT_PROB || rq->type == KES_PLOT_QQ; }

bool margin_row(const kes_insetbox* box) {
  return (box->position[0] == 'T' || box->position[0] == 'B') && box->position[1] == 'M';
}

bool is_pvalue(int sub) { return sub == 5 || sub == 7 || sub == 9; }

}  // namespace

bool kes_inset_line_inverted(const kes_preq* rq, const kes_plotslot* slot) {
  return slot != nullptr && slot->line != 0 && kes_flag(rq->stmt, KES_PLOT_FLAG_ROTATE);
}

namespace {

double block_value(const kes_preq* rq, const kes_plotslot* slot, const kes_curve* c, int family, int sub, char* rel) {
  const bool line = prob_or_qq(rq) && slot != nullptr;
  const double a = line ? slot->intercept : 0.0, b = line ? slot->slope : 1.0;
  const bool inv = line && kes_inset_line_inverted(rq, slot);
  switch (sub) {
    case 0:
      if (line && family == KES_DIST_WEIBULL2) return inv ? b : 1.0 / b;
      return c->params[2];
    case 1: return c->params[3];
    case 2:
      if (!line) return c->params[1];
      if (family == KES_DIST_WEIBULL2) return inv ? std::exp(-a / b) : std::exp(a);
      if (family == KES_DIST_LOGNORMAL) return inv ? std::log(1.0 / b) : std::log(b);
      return inv ? 1.0 / b : b;
    case 3:
      if (!line || family == KES_DIST_WEIBULL2) return c->params[0];
      return inv ? -a / b : a;
    case 4: return c->edf.asq;
    case 5: *rel = c->edf.rel_asq; return c->edf.p_asq;
    case 6: return c->edf.wsq;
    case 7: *rel = c->edf.rel_wsq; return c->edf.p_wsq;
    case 8: return c->edf.d;
    case 9: *rel = c->edf.rel_d; return c->edf.p_d;
    case 10: return c->edf.mean;
    case 11: return c->edf.std;
    case 23: return c->edf.skewness;
    case 24: return c->edf.kurtosis;
    case 25: return c->mode;
    default: return kes_fit_missing();
  }
}

}  // namespace

double kes_inset_block_value(const kes_preq* rq, const kes_plotslot* slot, const kes_curve* c, int family, int sub,
                             char* rel) {
  *rel = ' ';
  // A curve that was not fitted has no tests and no moments, skewness, kurtosis or mode
  // of its own: those rows read "." (never the 0 its record starts with). Its
  // parameters are shown, as given or missing.
  if (!c->fitted && sub > 3) return kes_fit_missing();
  return kes_fit_estimate(block_value(rq, slot, c, family, sub, rel));
}

int kes_inset_block_text(const kes_preq* rq, const kes_plotslot* slot, const kes_curve* c, int family, int sub,
                         double v, char rel, char* text) {
  if (is_pvalue(sub)) return kes_inset_value_text(v, KES_IF_PVALUE, nullptr, rel, text);
  if (!std::isfinite(v)) return kes_inset_value_text(v, KES_IF_BEST, nullptr, rel, text);
  char r = ' ';
  const auto value = [&](int s) { return kes_inset_block_value(rq, slot, c, family, s, &r); };
  const bool lognormal = family == KES_DIST_LOGNORMAL;
  switch (sub) {
    case 3: {  // a threshold or location, to its scale's last digit
      const double scale = lognormal ? std::exp(value(2)) : value(2);
      return kes_inset_placed_text(v, kes_scale_place(std::fabs(scale)), text);
    }
    case 2:  // the scale, or the lognormal's zeta as a legend shows it
      return kes_inset_placed_text(v, lognormal ? kes_scale_place(1.0) : INT_MIN, text);
    case 0:
    case 1:
    case 11: return kes_inset_placed_text(v, INT_MIN, text);
    case 10:
    case 25:  // the fitted mean and mode, to the fitted standard deviation's last digit
      return kes_inset_placed_text(v, kes_scale_place(std::fabs(value(11))), text);
    default: return kes_inset_value_text(v, KES_IF_BEST, nullptr, rel, text);
  }
}

int kesidst(int family, const kes_stmt* stmt, kes_inset** last, kes_insetbox* box, kes_ctx* ctx, kes_cell* cell,
            const kes_inset_needs& needs) {
  const kes_preq* rq = ctx->curreq;
  kes_plotslot* slot = kes_plot_slot(ctx, rq, cell);
  const bool pq = prob_or_qq(rq);

  // Header decision, once per call.
  bool header;
  if (rq->type == KES_PLOT_PP) header = false;
  else if (rq->type == KES_PLOT_HISTOGRAM || rq->type == KES_PLOT_CDF) header = true;
  else {
    if (slot != nullptr && slot->line) box->line = 1;
    header = box->line && rq->classvars != nullptr && cell == rq->classvars->keycell;
  }
  const int first_kind = header ? KES_IK_FIRST_HDR : KES_IK_FIRST;
  const int next_kind = margin_row(box) ? first_kind : (header ? KES_IK_NEXT_HDR : KES_IK_NEXT);

  const kes_inset_block blk = kes_inset_block_open(box);
  int ndefault = kesnparms(family);
  bool header_only = false;
  if (pq) ndefault -= box->line ? 0 : 2;
  else if (needs.family_alone) header_only = true;

  const kes_fmtentry* all = kes_inset_all_format(box);
  int shown = 0;
  kes_inset_subnotes noted;
  const int ncurves = slot != nullptr && slot->curves != nullptr ? slot->ncurves : 0;
  for (int ci = 0; ci < ncurves; ++ci) {
    kes_curve* c = &slot->curves[ci];
    if (c->dist != family) continue;
    if (needs.fitted_only && !c->fitted) continue;
    ++shown;
    kes_inset_block_restart(box, blk);
    int made = 0;
    auto add = [&](int sub, const char* label, int label_len, const kes_fmtentry* fmt, bool user) -> bool {
      kes_inset* row = kes_inset_row(ctx, box, last, made == 0 ? first_kind : next_kind);
      if (row == nullptr) return false;
      ++made;
      box->block_header = 1;
      row->subcode = static_cast<std::uint8_t>(family);
      row->curve = c;
      if (label != nullptr) {
        for (int i = 0; i < label_len && i < KES_INSET_TEXT; ++i) row->label[i] = label[i];
        row->label_len = label_len;
      } else {
        row->label_len = kes_inset_msg(row->label, KES_INSET_TEXT, KES_SET_LABEL, kesdistmsg(family, sub));
      }
      char rel;
      const double v = kes_inset_block_value(rq, slot, c, family, sub, &rel);
      const kes_fmtentry* f = user ? fmt : all;
      row->value_len = f != nullptr ? kes_inset_value_text(v, KES_IF_USER, f, rel, row->value)
                                    : kes_inset_block_text(rq, slot, c, family, sub, v, rel, row->value);
      return true;
    };
    if (blk.defaults && header_only) {
      // Where the parameters are not listed, the note says why the name stands alone.
      if (kes_inset_once(ctx, KES_IN_FAMILY_ALONE)) {
        xspplace(stmt, KES_STMT_KEYWORD);
        xpmlog(KES_SET_LABEL, KES_MSG_INSET_FAMILY_NAME_ALONE);
      }
      kes_inset* row = kes_inset_row(ctx, box, last, KES_IK_HEADER_ONLY);
      if (row == nullptr) return -1;
      box->block_header = 1;
      row->subcode = static_cast<std::uint8_t>(family);
      row->curve = c;
      continue;
    }
    if (blk.defaults) {
      for (int k = 0; k < ndefault; ++k)
        if (!add(kesalloff(family, k), nullptr, 0, nullptr, false)) return -1;
      continue;
    }
    for (int sub = kes_inset_code(box, ++box->cursor); sub != blk.close_code && sub != KES_IC_END;
         sub = kes_inset_code(box, ++box->cursor)) {
      if (!kes_inset_sub_shown(ctx, rq, box, c, family, sub, &noted)) continue;
      char label[KES_INSET_TEXT];
      const int ll = kes_inset_user_label(box, label);
      bool user = false;
      const kes_fmtentry* fmt = kes_inset_user_format(box, &user);
      if (!add(sub, ll >= 0 ? label : nullptr, ll, fmt, user)) return -1;
    }
  }
  // The cursor stands on the closing code.
  if (shown == 0 || blk.defaults) kes_inset_block_close(box, blk);
  return shown;
}
