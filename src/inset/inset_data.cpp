// The reader of an inset data set (inset_data.h).
#include "inset/inset_data.h"

#include <cstring>

#include "host/host_services.h"
#include "host/kes_stmt.h"
#include "host/step_codes.h"
#include "inset/inset_build.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_classvars.h"
#include "records/kes_ctx.h"
#include "records/stmt_slots.h"
#include "util/kes_text.h"

namespace {

// Finds a variable; -1 when absent.
int find(kes_dsh ds, const char* name, int len, host_varinfo* info) {
  int vn = -1;
  if (xvfind(ds, name, len, &vn) != 0) return -1;
  if (xvname(ds, vn, info) != 0) return -1;
  return vn;
}

int missing_variable(const char* name) {
  xpmlog(KES_SET_GRAPH, KES_MSG_INSET_DATA_LACKS_VARIABLE_NAMED, static_cast<int>(std::strlen(name)), name);
  return KES_RC_BAD_OPTION;
}

// A text compared left-justified without trailing blanks.
struct trimmed {
  const char* p;
  int n;
};
trimmed trim(const char* t, int len) {
  int a = 0;
  while (a < len && t[a] == ' ') ++a;
  int b = len;
  while (b > a && (t[b - 1] == ' ' || t[b - 1] == '\0')) --b;
  return {t + a, b - a};
}
bool same(trimmed x, trimmed y) { return x.n == y.n && std::memcmp(x.p, y.p, static_cast<size_t>(x.n)) == 0; }

int cut_copy(const char* src, int len, char* text) {
  std::memset(text, ' ', KES_INSET_TEXT);
  const trimmed t = trim(src, len);
  const int n = t.n < KES_INSET_TEXT ? t.n : KES_INSET_TEXT;
  std::memcpy(text, t.p, static_cast<size_t>(n));
  return n;
}

}  // namespace

int kes_idata_open(kes_ctx* ctx, const kes_stmt* stmt, kes_idata* r) {
  std::memset(r, 0, sizeof *r);
  r->ds = static_cast<kes_dsh>(kes_pslot(stmt, KES_INSET_SLOT_DATA)->v.handle);
  if (r->ds == nullptr) return KES_RC_BAD_OPTION;
  xopnt(r->ds);
  if (ctx->nbyvars > 0) {
    const int lacking = xbylist(ctx->data, r->ds);
    if (lacking >= 1) {
      xpmlog(KES_SET_GRAPH, lacking == 1 ? KES_MSG_INSET_DATA_LACKS_BY_VARIABLE : KES_MSG_INSET_DATA_LACKS_SOME_BY);
      xpmlog(KES_SET_GRAPH, KES_MSG_INSET_DATA_ROWS_MATCHED_AS_FAR_AS_POSSIBLE);
    }
  }

  host_varinfo info{};
  r->label_var = find(r->ds, "_LABEL_", -1, &info);
  if (r->label_var < 0) return missing_variable("_LABEL_");
  if (info.type != HOST_VT_CHAR) {
    xpmlog(KES_SET_GRAPH, KES_MSG_INSET_DATA_LABEL_NOT_CHARACTER);
    return KES_RC_BAD_OPTION;
  }
  r->value_var = find(r->ds, "_VALUE_", -1, &info);
  if (r->value_var < 0) return missing_variable("_VALUE_");
  r->value_numeric = info.type == HOST_VT_NUM;
  if (r->value_numeric) {
    r->format = kes_inset_all_format_of(stmt);
    r->value_own_format = r->format == nullptr && (info.fmt_width > 0 || info.fmt_name_len > 0);
  }

  const kes_preq* rq = ctx->curreq;
  r->var_var = find(r->ds, "_VAR_", -1, &info);
  if (r->var_var >= 0 && info.type != HOST_VT_CHAR) {
    xpmlog(KES_SET_GRAPH, KES_MSG_INSET_DATA_VAR_NUMERIC);
    r->var_var = -1;
  } else if (r->var_var >= 0) {
    r->has_var = 1;
  } else if (rq->nvars > 1 && kes_inset_once(ctx, KES_IN_DATA_NOVAR)) {
    xpmlog(KES_SET_LAYOUT, KES_MSG_INSET_DATA_NO_VAR_VARIABLE);
  }

  // Variables named like the request's CLASS variables select rows by level.
  const kes_classvars* cv = rq->classvars;
  r->nclass = cv != nullptr ? cv->count : 0;
  int found[2];
  int nfound = 0;
  for (int i = 0; i < r->nclass; ++i) {
    const kes_name32& name = cv->var[i].name;
    const int len = wzstrip(name.text, name.len > 0 ? name.len : 32);
    const int vn = find(r->ds, name.text, len, &info);
    if (vn < 0) {
      if (kes_inset_once(ctx, i == 0 ? KES_IN_DATA_CLASS1 : KES_IN_DATA_CLASS2))
        xpmlog(KES_SET_LAYOUT, KES_MSG_INSET_DATA_NO_CLASS_VARIABLE, len, name.text, len, name.text);
      continue;
    }
    r->cls[i].present = 1;
    r->cls[i].numeric = info.type == HOST_VT_NUM;
    r->cls[i].varnum = vn;
    found[nfound++] = vn;
  }
  if (nfound > 0) xffile(r->ds, 'F', found, nfound);

  // The read set.
  if (xvsele(r->ds) != 0 || xvgeti(r->ds, 2 + r->has_var + nfound, &r->get) != 0) return KES_RC_BAD_OPTION;
  bool bad = xvgetd(r->get, r->label_var, HOST_GET_RAW, r->label, KES_IDATA_TEXT) != 0;
  if (!r->value_numeric || r->value_own_format)
    bad = bad || xvgetd(r->get, r->value_var, r->value_numeric ? HOST_GET_FMT : HOST_GET_RAW, r->value,
                        KES_IDATA_TEXT) != 0;
  else
    bad = bad || xvgetd(r->get, r->value_var, HOST_GET_RAW, &r->number, 8) != 0;
  if (r->has_var) bad = bad || xvgetd(r->get, r->var_var, HOST_GET_RAW, r->var, 32) != 0;
  // A numeric CLASS variable is compared by its formatted level, as the cells are.
  for (int i = 0; i < r->nclass; ++i)
    if (r->cls[i].present)
      bad = bad || xvgetd(r->get, r->cls[i].varnum, r->cls[i].numeric ? HOST_GET_FMT : HOST_GET_RAW, r->cls[i].text,
                          KES_IDATA_TEXT) != 0;
  if (bad || xvgete(r->get) != 0) {
    kes_idata_close(r);
    return KES_RC_BAD_OPTION;
  }
  const int pos = kes_idata_rewind(ctx, r);
  if (pos != 0) kes_idata_close(r);
  return pos;
}

int kes_idata_rewind(kes_ctx* ctx, kes_idata* r) {
  const int rc = xbysync(ctx->data, r->ds);
  if (rc == 0) return 0;
  if (kes_inset_once(ctx, KES_IN_DATA_BY)) {
    xpmlog(KES_SET_GRAPH, KES_MSG_CURRENT_GROUP_NOT_FOUND);
    xpmlog(KES_SET_LABEL, KES_MSG_INSET_DATA_NO_ROWS_FOR_GROUP);
    if (rc == 2) xpmlog(KES_SET_GRAPH, KES_MSG_INSET_DATA_LACKS_BY_VARIABLE_NO_MATCH);
  }
  return KES_RC_VALUE_NOTE;
}

bool kes_idata_next(kes_idata* r) {
  host_ioreq req;
  std::memset(&req, 0, sizeof req);
  req.ds = r->ds;
  req.flags = HOST_IOF_SEQ;
  req.code = HOST_IOC_READ;
  const int st = xybyget(&req);
  if (st != 0) {
    xofprc(&req, st, 1);
    return false;
  }
  return xyvget(r->get, 0) == 0;
}

bool kes_idata_matches_texts(const kes_ctx* ctx, const kes_idata* r, const kes_textdesc* texts, int nclass) {
  if (r->has_var) {
    const kes_name32& name = ctx->curname;
    const int n = wzstrip(r->var, 32);
    if (!wzsteqn(r->var, n, name.text, wzstrip(name.text, name.len > 0 ? name.len : 32))) return false;
  }
  for (int i = 0; i < r->nclass && i < nclass; ++i) {
    if (!r->cls[i].present) continue;
    const kes_textdesc& t = texts[i];
    if (!same(trim(r->cls[i].text, KES_IDATA_TEXT), trim(t.text != nullptr ? t.text : "", t.text != nullptr ? t.len : 0)))
      return false;
  }
  return true;
}

bool kes_idata_matches(const kes_ctx* ctx, const kes_idata* r, const kes_cell* cell) {
  kes_textdesc texts[2] = {};
  if (r->nclass == 1 && cell != nullptr) texts[0] = cell->fmt;
  if (r->nclass == 2 && cell != nullptr) {
    // A child cell keeps its level of the first CLASS variable as its parent.
    if (cell->child != nullptr) texts[0] = cell->child->fmt;
    texts[1] = cell->fmt;
  }
  return kes_idata_matches_texts(ctx, r, texts, r->nclass);
}

int kes_idata_label(const kes_idata* r, char* text) { return cut_copy(r->label, KES_IDATA_TEXT, text); }

int kes_idata_value(const kes_idata* r, char* text) {
  if (!r->value_numeric || r->value_own_format) return cut_copy(r->value, KES_IDATA_TEXT, text);
  if (r->format != nullptr) return kes_inset_value_text(r->number, KES_IF_USER, r->format, ' ', text);
  char field[8];
  const int n = xpfs(r->number, -8, 99, field);
  return cut_copy(field, n < 8 ? 8 : n, text);
}

void kes_idata_close(kes_idata* r) {
  if (r->get != nullptr) xvgett(r->get);
  r->get = nullptr;
}
