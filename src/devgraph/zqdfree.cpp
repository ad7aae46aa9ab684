// zqdfree(layout) -> int: releases what zqidest made for a chart: the collection of
// graph lists, the destination list and the destination pool. Safe to call twice.
// 0, or the (negative) result of a refused release after its message.
#include "devgraph/dest_calls.h"
#include "devgraph/device_services.h"
#include "host/host_services.h"
#include "records/kes_layout.h"

int zqdfree(kes_layout* layout) {
  int status = 0;
  // The collection and its lists go with the chart, not with the step.
  if (layout->collection != nullptr) {
    wobclose(layout->collection);
    layout->collection = nullptr;
  }
  if (layout->destlist != nullptr) {
    wob_attr a = wob_ptr(WOB_A_DEST_LIST, WOB_RECORD, layout->destlist);
    const int r = kes_dest_call(layout->manager, WOB_M_DEST_RELEASE, 1, &a);
    if (r < 0) status = r;
    layout->destlist = nullptr;
  }
  if (layout->destpool != nullptr) {
    xmpoold(layout->destpool);
    layout->destpool = nullptr;
  }
  return status;
}
