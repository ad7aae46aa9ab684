// kesout(ctx, 49) -> int: one observation per OUTPUT statement from the context's
// OUTPUT values, through the access record the set-up kept in the statement node;
// 0, or 1 after a write failure (the step ends).
#include "host/host_services.h"
#include "records/kes_ctx.h"
#include "stats/output_dataset.h"
#include "stats/output_layout.h"

int kes_put_observation(host_access* acc) {
  if (acc->put != nullptr) acc->put(acc);
  else xyvput(acc, 0);
  host_ioreq status{};
  status.ds = acc->ds;
  status.code = HOST_IOC_WRITE;
  const int rc = acc->ds->write(acc->ds, &status);
  if (rc != 0 || (acc->ds->flags & HOST_DSF_REPORT) != 0) return xofprc(&status, rc, 4) != 0 || rc != 0 ? 1 : 0;
  return 0;
}

int kesout(kes_ctx* ctx, int /*last_slot*/) {
  if (ctx->proc == nullptr) return 0;
  for (const kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
    if (!kes_is_output(s)) continue;
    host_access* acc = kes_out_access(s);
    if (acc == nullptr || acc->ds == nullptr) continue;  // no variables: nothing to write
    if (kes_put_observation(acc) != 0) return 1;
  }
  return 0;
}
