// kesmchk(ctx, request) -> 0 or 1: the bin options of a HISTOGRAM statement:
// MIDPOINTS=, ENDPOINTS, NMIDPOINTS= and NENDPOINTS=, which of them are in force,
// and the bin code of every analysis variable.
#include <cmath>

#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "util/kes_minmax.h"

namespace {

constexpr int kListGiven = 3;  // given byte of a MIDPOINTS= or ENDPOINTS list
constexpr double kStepTolerance = 1e-12;
constexpr double kMaxCount = 2147483646;

// The messages of a bin list: too short, not increasing, unequal steps.
struct list_messages {
  int too_short, not_increasing, unequal;
};
constexpr list_messages kMidpointMsgs = {KES_MSG_MIDPOINTS_TOO_FEW, KES_MSG_MIDPOINTS_NOT_INCREASING,
                                         KES_MSG_MIDPOINTS_UNEQUAL_STEPS};
constexpr list_messages kEndpointMsgs = {KES_MSG_ENDPOINTS_TOO_FEW, KES_MSG_ENDPOINTS_NOT_INCREASING,
                                         KES_MSG_ENDPOINTS_UNEQUAL_STEPS};

// A bin list holds two or more increasing values with equal steps. The histogram
// code lays bins out from the first value and the step, so a list whose steps differ
// either way (smaller as well as larger) would be drawn wrong and is refused.
bool list_ok(const kes_stmt* s, int slot, const list_messages& msg) {
  const int n = kes_pcount(s, slot);
  const double* v = kes_pnumbers(s, slot);
  if (n < 2) {
    xspplace(s, slot);
    xpmlog(KES_SET_PLOT, msg.too_short);
    return false;
  }
  const double d = v[1] - v[0];
  const double tol = kStepTolerance * kes::fmax(1.0, d);
  for (int i = 1; i < n; ++i) {
    if (!(v[i - 1] < v[i])) {
      xspplace(s, slot);
      xpmlog(KES_SET_PLOT, msg.not_increasing, v[i - 1], v[i]);
      return false;
    }
    if (std::fabs((v[i] - v[i - 1]) - d) > tol) {
      xspplace(s, slot);
      xpmlog(KES_SET_PLOT, msg.unequal, v[i - 1], v[i]);
      return false;
    }
  }
  return true;
}

// A bin count option: floored; its value must lie from 2 to 2147483645, else the
// note and the option is dropped. True when it stays.
bool count_ok(const kes_stmt* s, int slot, int too_many, int too_few) {
  const double v = std::floor(kes_pnumber(s, slot));
  if (v >= kMaxCount || v < 2) {
    xspplace(s, slot);
    xpmlog(KES_SET_LABEL, v < 2 ? too_few : too_many, v);
    return false;
  }
  return true;
}

// The note that the option in slot (named) is ignored because `other` is given.
void ignored(const kes_stmt* s, int slot, const char* name, const char* other) {
  xspplace(s, slot);
  xpmlog(KES_SET_LABEL, KES_MSG_OPTION_IGNORED_BECAUSE_OTHER, name, other, name);
}

}  // namespace

int kesmchk(kes_ctx* ctx, kes_preq* request) {
  const kes_stmt* s = request->stmt;
  bool mid = kes_pgiven(s, KES_PLOT_SLOT_MIDPOINTS);
  const bool end = kes_pgiven(s, KES_PLOT_SLOT_ENDPOINTS);
  const bool end_list = end && kes_pslot(s, KES_PLOT_SLOT_ENDPOINTS)->given == kListGiven;
  const char* end_name = end_list ? "ENDPOINTS=" : "ENDPOINTS";
  bool nmid = kes_pgiven(s, KES_PLOT_SLOT_NMIDPOINTS);
  bool nend = kes_pgiven(s, KES_PLOT_SLOT_NENDPOINTS);

  if (mid && end) {
    ignored(s, KES_PLOT_SLOT_MIDPOINTS, "MIDPOINTS=", end_name);
    mid = false;
  }
  if (mid || end) {
    const char* in_force = mid ? "MIDPOINTS=" : end_name;
    if (nmid) ignored(s, KES_PLOT_SLOT_NMIDPOINTS, "NMIDPOINTS=", in_force);
    if (nend) ignored(s, KES_PLOT_SLOT_NENDPOINTS, "NENDPOINTS=", in_force);
    nmid = nend = false;
  }

  int code = KES_BINS_KEY;
  const bool mid_list = mid && kes_pslot(s, KES_PLOT_SLOT_MIDPOINTS)->given == kListGiven;
  if (mid_list || end_list) {
    if (mid_list ? !list_ok(s, KES_PLOT_SLOT_MIDPOINTS, kMidpointMsgs)
                 : !list_ok(s, KES_PLOT_SLOT_ENDPOINTS, kEndpointMsgs))
      return 1;
    code = KES_BINS_EXPLICIT;
  } else if (mid || end) {
    code = static_cast<int>(kes_pnumber(s, mid ? KES_PLOT_SLOT_MIDPOINTS : KES_PLOT_SLOT_ENDPOINTS));
  } else {
    if (nmid && nend) {
      ignored(s, KES_PLOT_SLOT_NMIDPOINTS, "NMIDPOINTS=", "NENDPOINTS=");
      nmid = false;
    }
    request->endpoints = end || nend;
    if (nmid && !count_ok(s, KES_PLOT_SLOT_NMIDPOINTS, KES_MSG_NMIDPOINTS_TOO_LARGE, KES_MSG_NMIDPOINTS_BELOW_TWO))
      nmid = false;
    if (nend && !count_ok(s, KES_PLOT_SLOT_NENDPOINTS, KES_MSG_NENDPOINTS_TOO_LARGE, KES_MSG_NENDPOINTS_BELOW_TWO))
      nend = false;
    if (nmid || nend) code = KES_BINS_UNIFORM;
  }
  if (mid || end) request->endpoints = end;
  request->explicit_bins = mid || end_list || nmid || nend;

  // ORDER= values of a horizontal axis definition.
  kes_axis* ax = request->layout != nullptr ? &request->layout->haxis : nullptr;
  if (ax != nullptr && ax->order_present) {
    const bool count_given = nmid || nend;
    const int nbins = count_given ? static_cast<int>(std::floor(kes_pnumber(s, nmid ? KES_PLOT_SLOT_NMIDPOINTS
                                                                                       : KES_PLOT_SLOT_NENDPOINTS)))
                                  : 0;
    if (mid || end_list) {
      xpmlog(KES_SET_PROC, KES_MSG_HISTOGRAM_GIVES_OWN_BINS);
      xpmlog(KES_SET_PLOT, KES_MSG_AXIS_ORDER_NOT_USED);
      ax->norder = 0;
    } else if (count_given && nbins != ax->norder) {
      xpmlog(KES_SET_PROC, KES_MSG_BIN_COUNT_DIFFERS_FROM_ORDER);
      xpmlog(KES_SET_PLOT, KES_MSG_AXIS_ORDER_NOT_USED);
      ax->norder = 0;
    } else if (ax->norder > 0) {
      if (end) xpmlog(KES_SET_PROC, KES_MSG_HAXIS_ORDER_ARE_BIN_ENDPOINTS);
      request->explicit_bins = 1;
      code = KES_BINS_EXPLICIT;
    }
  }
  for (int v = 0; v < ctx->nvars; ++v) request->bincode[v] = code;
  return 0;
}
