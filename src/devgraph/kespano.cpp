// kespano: an annotate data set on a probability plot. Its coordinates on the percent
// axis (the horizontal one, the vertical one with ROTATE) are percents when given in
// data units; the required variables are checked and those coordinates read first.
#include <cstring>

#include "devgraph/annotate.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/stmt_slots.h"

namespace {

constexpr int kMinVariables = 4;
// Notes (set 431): data coordinates on the percent axis are not converted.
constexpr int kPercentAxis = 981;

int find(kes_dsh ds, const char* name) {
  int vn = -1;
  return xvfind(ds, name, -1, &vn) == 0 ? vn : -1;
}

}  // namespace

int kespano(kes_ctx* ctx, kes_preq* rq, kes_dsh ds, host_annoreq* req, int mode) {
  int nvars = 0;
  xoinfo(ds, HOST_DSI_NVARS, &nvars);
  if (nvars < kMinVariables) {
    xpmlog(KES_SET_PROC, KES_MSG_ANNOTATE_DATA_SET_PROBABILITY);
    return 1;
  }
  const int vx = find(ds, "X"), vy = find(ds, "Y"), sx = find(ds, "XSYS"), sy = find(ds, "YSYS");
  if (vx < 0 || vy < 0 || sx < 0 || sy < 0) {
    xpmlog(KES_SET_PLOT, KES_MSG_ANNOTATE_DATA_SET_PROBABILITY_PLOT);
    return 1;
  }
  const bool vertical = kes_flag(rq->stmt, KES_PLOT_FLAG_ROTATE);
  char sys[2] = {' ', ' '};
  kes_geth get = nullptr;
  if (xvsele(ds) != 0 || xvgeti(ds, 2, &get) != 0 || xvgetd(get, sx, HOST_GET_RAW, &sys[0], 1) != 0 ||
      xvgetd(get, sy, HOST_GET_RAW, &sys[1], 1) != 0 || xvgete(get) != 0) {
    if (get != nullptr) xvgett(get);
    xpmlog(KES_SET_LABEL, KES_MSG_ANNOTATE_DATA_SET_COULD);
    return 1;
  }
  if (mode == 1) xbysync(ctx->data, ds);
  else xopnt2(ds);
  bool data_units = false, relative = false;
  for (;;) {
    host_ioreq io;
    std::memset(&io, 0, sizeof io);
    io.ds = ds;
    io.flags = HOST_IOF_SEQ;
    io.code = HOST_IOC_READ;
    const int st = xybyget(&io);
    if (st != 0) {
      xofprc(&io, st, 1);
      break;
    }
    xyvget(get, 0);
    const char s = sys[vertical ? 1 : 0];
    data_units = data_units || s == '2';
    relative = relative || s == '8';
  }
  xvgett(get);
  // Leave the data set where it was found.
  if (mode == 1) xbysync(ctx->data, ds);
  else xopnt2(ds);
  // Relative data units on the percent axis cannot be placed: not drawn.
  if (relative) return 1;
  if (data_units) {
    xpmlog(KES_SET_LABEL, kPercentAxis);
    return 1;
  }
  req->data = mode == 1 ? ctx->data : nullptr;
  req->annotate = ds;
  return kes_annotate_draw(req);
}
