// kespano: an annotate data set on a probability plot. Its coordinates on the percent
// axis (the horizontal one, the vertical one with ROTATE) are percents when given in
// data units: each becomes the family's standardized quantile of percent/100 under the
// cell's curve, the scale the axis itself is drawn in, and the host's annotate service
// draws with those coordinates in place of the percents.
#include <cmath>
#include <cstring>
#include <vector>

#include "devgraph/annotate.h"
#include "devgraph/chart_access.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/stmt_slots.h"

namespace {

constexpr int kMinVariables = 4;

int find(kes_dsh ds, const char* name) {
  int vn = -1;
  return xvfind(ds, name, -1, &vn) == 0 ? vn : -1;
}

// A coordinate-system variable, character or (a CSV column of digits) numeric.
struct sys_var {
  int var = -1;
  bool numeric = false;
  char text = ' ';
  double number = NAN;
  bool add(kes_dsh ds, kes_geth get, int v) {
    host_varinfo info{};
    var = v;
    numeric = xvname(ds, v, &info) == 0 && info.type == HOST_VT_NUM;
    return numeric ? xvgetd(get, v, HOST_GET_RAW, &number, 8) == 0 : xvgetd(get, v, HOST_GET_RAW, &text, 1) == 0;
  }
  char code() const {
    if (!numeric) return text;
    return number >= 0 && number <= 9 && number == std::floor(number) ? static_cast<char>('0' + number) : '?';
  }
};

}  // namespace

int kespano(kes_ctx* ctx, kes_preq* rq, kes_cell* cell, kes_dsh ds, host_annoreq* req, int mode) {
  int nvars = 0;
  xoinfo(ds, HOST_DSI_NVARS, &nvars);
  if (nvars < kMinVariables) {
    xpmlog(KES_SET_PROC, KES_MSG_ANNOTATE_PROB_NEEDS_VARIABLES);
    return 1;
  }
  const int vx = find(ds, "X"), vy = find(ds, "Y"), sx = find(ds, "XSYS"), sy = find(ds, "YSYS");
  if (vx < 0 || vy < 0 || sx < 0 || sy < 0) {
    xpmlog(KES_SET_PLOT, KES_MSG_ANNOTATE_PROB_LACKS_VARIABLES);
    return 1;
  }
  const bool vertical = kes_flag(rq->stmt, KES_PLOT_FLAG_ROTATE);
  const int vp = vertical ? vy : vx;
  host_varinfo pinfo{};
  const bool pnum = xvname(ds, vp, &pinfo) == 0 && pinfo.type == HOST_VT_NUM;
  sys_var sys;
  double value = NAN;
  kes_geth get = nullptr;
  if (xvsele(ds) != 0 || xvgeti(ds, 2, &get) != 0 || !sys.add(ds, get, vertical ? sy : sx) ||
      (pnum && xvgetd(get, vp, HOST_GET_RAW, &value, 8) != 0) || xvgete(get) != 0) {
    if (get != nullptr) xvgett(get);
    xpmlog(KES_SET_LABEL, KES_MSG_ANNOTATE_NOT_DRAWN);
    return 1;
  }
  const kes_famfn* fn = kes_famdisp(rq->dist);
  kes_plotslot* slot = cell != nullptr ? kes_gslot(ctx, cell) : kes_gkeyslot(ctx);
  // Where the annotate service starts reading too: the plot's BY group when the data
  // set has its BY variables, else every observation.
  const auto position = [&] {
    if (mode != 1 || xbysync(ctx->data, ds) != 0) xopnt2(ds);
  };
  position();
  // The percent-axis coordinate of each observation, in the order the service reads
  // them: the quantile of a percent in data units, else the value as given.
  std::vector<double> coord;
  bool relative = false;
  for (;;) {
    host_ioreq io;
    std::memset(&io, 0, sizeof io);
    io.ds = ds;
    io.flags = HOST_IOF_SEQ | HOST_IOF_OBSNO;
    io.code = HOST_IOC_READ;
    const int st = xybyget(&io);
    if (st != 0) {
      xofprc(&io, st, 1);
      break;
    }
    value = NAN;
    xyvget(get, 0);
    const char s = sys.code();
    relative = relative || s == '8';
    double c = value;
    if (s == '2') {
      const double q = value > 0 && value < 100 && fn != nullptr && fn->q != nullptr ? fn->q(ctx, slot, value / 100) : NAN;
      if (std::isfinite(q)) {
        c = q;
      } else {
        xpmlog(KES_SET_LABEL, KES_MSG_ANNOTATE_NOT_A_PERCENT, static_cast<int>(io.obsno),
               static_cast<int>(pinfo.name_len), pinfo.name);
        c = NAN;
      }
    }
    coord.push_back(c);
  }
  xvgett(get);
  position();
  // Relative data units on the percent axis cannot be placed: not drawn, and said.
  if (relative) {
    xpmlog(KES_SET_LABEL, KES_MSG_ANNOTATE_RELATIVE_PERCENT_AXIS);
    return 1;
  }
  req->data = mode == 1 ? ctx->data : nullptr;
  req->annotate = ds;
  req->pct_coord = coord.data();
  req->pct_count = static_cast<long>(coord.size());
  req->pct_axis = vertical ? 'V' : 'H';
  const int rc = kes_annotate_draw(req);
  req->pct_coord = nullptr, req->pct_count = 0, req->pct_axis = 0;
  return rc;
}
