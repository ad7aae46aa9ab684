// kesmchk(ctx, request) -> 0 or 1: the bin options of a HISTOGRAM statement:
// MIDPOINTS=, ENDPOINTS, NMIDPOINTS= and NENDPOINTS=, which of them are in force,
// and the bin code of every analysis variable.
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "host/host_services.h"
#include "host/kes_decimal_grid.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "util/kes_minmax.h"

namespace {

constexpr int kListGiven = 3;  // given byte of a MIDPOINTS= or ENDPOINTS list
constexpr double kStepTolerance = 1e-12;
constexpr double kMaxCount = 2147483646;

// The messages of a bin list: too short, not increasing, a step too large, and the
// note of a smaller step.
struct list_messages {
  int too_short, not_increasing, unequal, smaller;
};
constexpr list_messages kMidpointMsgs = {KES_MSG_MIDPOINTS_TOO_FEW, KES_MSG_MIDPOINTS_NOT_INCREASING,
                                         KES_MSG_MIDPOINTS_UNEQUAL_STEPS, KES_MSG_MIDPOINTS_SMALLER_STEP};
constexpr list_messages kEndpointMsgs = {KES_MSG_ENDPOINTS_TOO_FEW, KES_MSG_ENDPOINTS_NOT_INCREASING,
                                         KES_MSG_ENDPOINTS_UNEQUAL_STEPS, KES_MSG_ENDPOINTS_SMALLER_STEP};

// The steps of a list as the decimals it was typed in: a list read from its text (or
// spelled a TO b BY c) holds the doubles nearest its decimals, whose differences carry
// the rounding of the values (at 1e4 a step of 0.1 is a few units of the doubles' last
// place off another). False where a value is no short decimal: then the doubles' own
// differences stand for the steps.
bool decimal_steps(const double* v, int n, std::vector<__int128>* steps, int* q) {
  std::vector<kes_decimal> d(static_cast<std::size_t>(n));
  *q = INT_MAX;
  for (int i = 0; i < n; ++i) {
    d[i] = kes_shortest_decimal(v[i]);
    if (!std::isfinite(v[i]) || !kes_is_short(d[i])) return false;
    if (!d[i].zero()) *q = std::min(*q, d[i].last_place());
  }
  if (*q == INT_MAX) return false;
  __int128 prev = 0;
  steps->clear();
  for (int i = 0; i < n; ++i) {
    __int128 m = 0;
    if (!kes_tick_detail::decimal_integer(d[i], *q, &m)) return false;
    if (i > 0) steps->push_back(m - prev);
    prev = m;
  }
  return true;
}

// A bin list holds two or more increasing values whose steps are not larger than the
// first step d (by more than 1e-12 x max(1, d)). A smaller step passes: the list's
// bins are laid out from the first value by the first step, so a later value off that
// grid is no bin's place of its own: the user is told which.
bool list_ok(const kes_stmt* s, int slot, const list_messages& msg) {
  const int n = kes_pcount(s, slot);
  const double* v = kes_pnumbers(s, slot);
  if (n < 2) {
    xspplace(s, slot);
    xpmlog(KES_SET_PLOT, msg.too_short);
    return false;
  }
  std::vector<__int128> steps;
  int q = 0;
  const bool decimals = decimal_steps(v, n, &steps, &q);
  const double d = decimals ? kes_decimal_double(steps[0], q) : v[1] - v[0];
  // Steps of doubles (values with no short decimal, such as decimals scaled by 2^20)
  // carry the rounding of the values they are differences of: two units of the last
  // place of the largest value, whatever its magnitude.
  double tol = kStepTolerance * kes::fmax(1.0, d);
  if (!decimals) {
    const double big = kes::fmax(std::fabs(v[0]), std::fabs(v[n - 1]));
    tol = kes::fmax(tol, 2.0 * (std::nextafter(big, INFINITY) - big));
  }
  int off_grid = 0;  // the first value after a smaller step
  for (int i = 1; i < n; ++i) {
    if (!(v[i - 1] < v[i])) {
      xspplace(s, slot);
      xpmlog(KES_SET_PLOT, msg.not_increasing, v[i - 1], v[i]);
      return false;
    }
    const double over = decimals ? kes_decimal_double(steps[i - 1] - steps[0], q) : (v[i] - v[i - 1]) - d;
    if (over > tol) {
      xspplace(s, slot);
      xpmlog(KES_SET_PLOT, msg.unequal, v[i - 1], v[i]);
      return false;
    }
    if (off_grid == 0 && over < -tol) off_grid = i;
  }
  if (off_grid > 0) {
    xspplace(s, slot);
    xpmlog(KES_SET_PLOT, msg.smaller, v[0], d, v[off_grid]);
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
