// zqsgmt(layout) -> int: puts the page just closed on the current destination's list
// of graphs: a segment record from the destination pool with the catalog entry, the
// segment, the graph's name and label. 0; 1012 after a message when the record cannot
// be had or the list refused it.
#include <cstring>

#include "devgraph/dest_calls.h"
#include "devgraph/device_services.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "records/kes_layout.h"
#include "records/pool_alloc.h"

namespace {
constexpr int kPendingMax = 32;
}  // namespace

int zqsgmt(kes_layout* layout) {
  auto* rec = static_cast<host_segrec*>(vmalcp_handler(layout->destpool, sizeof(host_segrec), 0x2000));
  if (rec == nullptr) {
    xmemmsg(static_cast<long>(sizeof(host_segrec)));
    return KES_RC_OUT_OF_MEMORY;
  }
  std::memset(rec, 0, sizeof *rec);
  std::memcpy(rec->library, layout->library, sizeof rec->library);
  rec->entry_len = layout->entry_len;
  std::memcpy(rec->entry, layout->entry, sizeof rec->entry);
  rec->eight = 8;
  rec->segment = layout->segid;
  // A pending graph name serves one graph.
  host_ggcb* cb = vemggcb(0);
  if (cb != nullptr && cb->pending_len > 0) {
    rec->graph_name = vemtxt(cb->pending, cb->pending_len < kPendingMax ? cb->pending_len : kPendingMax);
    cb->pending_len = 0;
  } else {
    rec->graph_name = layout->segname;
  }
  rec->label = layout->seglabel;

  wob_attr fetch[2] = {wob_text(0, layout->destname), wob_out(0)};
  if (kes_dest_call(layout->collection, WOB_M_FETCH, 2, fetch) < 0) return KES_RC_SETUP_FAILED;
  wob_attr add = wob_ptr(0, WOB_RECORD, rec);
  if (kes_dest_call(fetch[1].w.p, WOB_M_INSERT, 1, &add) < 0) return KES_RC_SETUP_FAILED;
  return 0;
}
