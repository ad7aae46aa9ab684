// The checks every plot request runs (kesvchk, kesgchk), the robust-statistics mark
// of the INSET statements that follow a plot statement, and the width of a name list.
#include <cstring>

#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "records/kes_vscale.h"
#include "records/pool_alloc.h"
#include "util/kes_minmax.h"
#include "util/kes_text.h"

namespace {
constexpr int kMinNameWidth = 8;
// INSET statements: the code list slot, its end code and the robust-statistics codes.
constexpr int kInsetCodes = KES_INSET_SLOT_CODES;
constexpr double kInsetEnd = KES_INSET_CODE_END;
constexpr double kRobustFirst = KES_INSET_CODE_GINI, kRobustLast = KES_INSET_CODE_SN,
                 kRobustSecond = KES_INSET_CODE_QN;
// Slots of the grid colour, line type and width.
constexpr int kGridSlots[3] = {KES_PLOT_SLOT_CGRID, KES_PLOT_SLOT_LGRID, KES_PLOT_SLOT_WGRID};

// NUL-terminated name of variable varnum of the input data set.
void var_name(kes_ctx* ctx, int varnum, char* out, int size) {
  host_varinfo info;
  std::memset(&info, 0, sizeof info);
  int n = 0;
  if (ctx->data != nullptr && xvname(ctx->data, varnum, &info) == 0) n = kes::min(info.name_len, size - 1);
  std::memcpy(out, info.name, static_cast<size_t>(n));
  out[n] = '\0';
}

// VSCALE= code of a name (PROPORTION or any name beginning PROP is a proportion);
// -1 for any other name.
int vscale_code(const char* name) {
  if (std::memcmp(name, "COUNT   ", 8) == 0) return KES_VSCALE_COUNT;
  if (std::memcmp(name, "PERCENT ", 8) == 0) return KES_VSCALE_PERCENT;
  if (std::memcmp(name, "PROP", 4) == 0) return KES_VSCALE_PROPORTION;
  return -1;
}

}  // namespace

int kesvchk(kes_ctx* ctx, kes_preq* request, int slot) {
  const kes_stmt* s = request->stmt;
  const int n = kes_pcount(s, slot);
  if (n > 0) {
    const int* list = kes_pwords(s, slot);
    for (int i = 0; i < n; ++i) {
      int v = 0;
      while (v < ctx->nvars && ctx->varnums[v] != list[i]) ++v;
      if (v == ctx->nvars) {
        char name[33];
        var_name(ctx, list[i], name, sizeof name);
        xspplace(s, slot);
        xpmlog(KES_SET_PLOT, KES_MSG_PLOT_VARIABLE_NOT_ANALYSED, name, kes_plot_statement_name(request->type));
        return 1;
      }
      request->varslot[v] = i;
    }
    request->nvars = n;
  } else {
    for (int v = 0; v < ctx->nvars; ++v) request->varslot[v] = v;
    request->nvars = ctx->nvars;
  }
  request->first_slot = ctx->nplotslots;
  ctx->nplotslots += request->nvars;
  return 0;
}

int kesgchk(kes_ctx* ctx, kes_preq* request) {
  const kes_stmt* s = request->stmt;
  if (ctx->devgraph) {
    bool failed = false;
    request->layout = static_cast<kes_layout*>(kes_zalloc(ctx->runpool, sizeof(kes_layout), KES_ALLOC_2, &failed));
    if (failed) return KES_RC_OUT_OF_MEMORY;
  }
  int r = axisprs(ctx, request, KES_PLOT_SLOT_HAXIS);
  if (r == 0) r = axisprs(ctx, request, KES_PLOT_SLOT_VAXIS_NAME);
  // Without device graphs a VAXIS= definition is noted as unused as HAXIS='s is.
  else if (r == 1) axisprs(ctx, request, KES_PLOT_SLOT_VAXIS_NAME);
  if (r != 0 && r != 1) return r;
  if (s->next != nullptr && std::memcmp(s->next->name, "INSET", 5) == 0) {
    request->inset_next = 1;
    kesrobchk(request, s);
  }
  request->noframe = kes_flag(s, KES_PLOT_FLAG_NOFRAME);
  request->nograph = kes_flag(s, KES_PLOT_FLAG_NOPLOT) || kes_flag(s, KES_PLOT_FLAG_NOCHART);
  // A grid colour, line type or width asks for the grid as GRID does.
  request->grid = kes_flag(s, KES_PLOT_FLAG_GRID);
  for (int g : kGridSlots) request->grid |= kes_pgiven(s, g);
  request->vscale = KES_VSCALE_PERCENT;
  if (kes_pgiven(s, KES_PLOT_SLOT_VSCALE)) {
    const char* name = kes_pslot(s, KES_PLOT_SLOT_VSCALE)->v.name;
    request->vscale = vscale_code(name);
    if (request->vscale < 0) {
      xspplace(s, KES_PLOT_SLOT_VSCALE);
      xpmlog(KES_SET_PLOT, KES_MSG_VSCALE_INVALID, wzstrip(name, 8), name, kes_plot_statement_name(request->type));
      return 1;
    }
  }
  return kes_layout_options(ctx, request);
}

void kesrobchk(kes_preq* request, const kes_stmt* statement) {
  for (const kes_stmt* s = statement->next; s != nullptr && std::memcmp(s->name, "INSET", 5) == 0; s = s->next) {
    const int n = kes_pcount(s, kInsetCodes);
    const double* codes = kes_pnumbers(s, kInsetCodes);
    for (int i = 0; i < n && codes[i] != kInsetEnd; ++i) {
      if (codes[i] >= kRobustFirst && codes[i] <= kRobustLast) request->robust = 1;
      if (codes[i] == kRobustSecond) request->robust2 = 1;
    }
  }
}

int kesnlen(kes_ctx* ctx, const kes_stmt* statement, int slot) {
  int width = kMinNameWidth;
  const int n = kes_pcount(statement, slot);
  if (n > 0) {
    const int* list = kes_pwords(statement, slot);
    for (int i = 0; i < n; ++i) {
      char name[33];
      var_name(ctx, list[i], name, sizeof name);
      width = kes::max(width, static_cast<int>(std::strlen(name)));
    }
    return width;
  }
  for (int v = 0; v < ctx->nvars; ++v) width = kes::max(width, static_cast<int>(ctx->varnames[v].len));
  return width;
}

bool kes_param_ok(const kes_stmt* s, const kes_param_test& t) {
  auto fails = [&](double v) { return t.strict ? v <= t.bound : v < t.bound; };
  auto refuse = [&]() {
    xspplace(s, t.values);
    if (t.bound_arg) xpmlog(KES_SET_PLOT, t.message, t.bound);
    else xpmlog(KES_SET_PLOT, t.message);
    return false;
  };
  if (t.markers < 0) {
    const bool given = t.second_byte ? kes_pgiven2(s, t.values) : kes_pgiven(s, t.values);
    return !given || !fails(kes_pnumber(s, t.values)) || refuse();
  }
  const bool present = kes_pgiven(s, t.values) || kes_pgiven2(s, t.values);
  if (!present) {
    if (t.missing == 0) return true;
    // At the family's option: a statement that needs a shape names one family only.
    xspplace(s, KES_PLOT_SLOT_FAMILIES);
    xpmlog(KES_SET_PLOT, t.missing);
    return false;
  }
  const int n = kes_pcount(s, t.values);
  const double* v = kes_pnumbers(s, t.values);
  const int nm = kes_pcount(s, t.markers);
  const int* m = kes_pwords(s, t.markers);
  if (!t.every) return nm == 0 || m[0] != 0 || n == 0 || !fails(v[0]) || refuse();
  for (int i = 0; i < n; ++i)
    if ((i >= nm || m[i] == 0) && fails(v[i])) return refuse();
  return true;
}
