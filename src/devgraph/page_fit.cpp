// The checks of the page geometry that both directions share: an axis definition's
// LENGTH= and ORIGIN=, and a plot area smaller than one character cell.
#include <cmath>

#include "devgraph/chart_geometry.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_axis.h"
#include "records/stmt_slots.h"

double kes_fit_length(const kes_axis& ax, const char* option, double* extent) {
  if (ax.length < 0) return 0;
  const double spare = ax.offset[0] + ax.offset[1] + *extent - ax.length;
  if (spare < 0) {
    xpmlog(KES_SET_PROC, KES_MSG_AXIS_LENGTH_DOES_NOT_FIT, option, std::ceil(-spare * 10) / 10);
    return 0;
  }
  *extent = ax.length - (ax.offset[0] + ax.offset[1]);
  return spare / 2;
}

bool kes_origin_room(double origin, double edge, double need, int message, const char* option, const kes_stmt* st,
                     int slot, double* spare) {
  *spare = 0;
  if (origin < 0) return true;
  const double room = origin - edge;
  if (room < need) {
    const kes_optslot* named = kes_pslot(st, slot);
    const char* name = named != nullptr && named->given ? named->v.name : "";
    int length = named != nullptr && named->given ? 8 : 0;
    while (length > 0 && name[length - 1] == ' ') --length;
    xspplace(st, slot);
    xpmlog(KES_SET_PROC, message, option, length, name);
    return false;
  }
  *spare = room - need;
  return true;
}

bool kes_too_small(double cell, double extent, bool asked) {
  if (!(cell > extent)) return false;
  xpmlog(KES_SET_LAYOUT, KES_MSG_PAGE_NO_ROOM_GRAPH);
  if (asked) xpmlog(KES_SET_LAYOUT, KES_MSG_FEWER_CELLS_MAY_FIT);
  return true;
}
