// kesout(ctx, 49) -> int: one observation per OUTPUT statement from the context's
// OUTPUT values, through the access record the set-up kept in the statement node;
// 0, or 1 after a write failure (the step ends).
//
// While the step driver's tests drive the step through the stand-in record
// (driver/placeholder_hooks.h), the call is recorded there with the CLASS key texts
// and the first OUTPUT value, and the record's scripted result is returned.
#include <cmath>

#include "driver/kes_ctx.h"
#include "driver/kes_text.h"
#include "driver/placeholder_hooks.h"
#include "host/host_services.h"
#include "stats/output_dataset.h"
#include "stats/output_layout.h"

namespace {

int standin(kes_ctx* ctx) {
  char keys[80];
  int n = 0;
  const kes_classvars* cv = ctx->classvars;
  for (int i = 0; cv && i < cv->count; ++i) {
    const kes_textdesc& k = cv->var[i].key;
    int len = wzstrip(k.text, k.width);
    if (len > 30) len = 30;
    if (i > 0) keys[n++] = '/';
    for (int j = 0; j < len; ++j) keys[n++] = k.text[j];
  }
  keys[n] = '\0';
  const double v = ctx->outvals ? ctx->outvals[0] : NAN;
  if (std::isnan(v)) kes_ph_trace("out(%s:.);", keys);
  else kes_ph_trace("out(%s:%g);", keys, v);
  return kes_ph_next(kes_ph.kesout);
}

}  // namespace

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
  if (kes_output_standin()) return standin(ctx);
  if (ctx->proc == nullptr) return 0;
  for (const kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
    if (!kes_is_output(s)) continue;
    host_access* acc = kes_out_access(s);
    if (acc == nullptr || acc->ds == nullptr) continue;  // no variables: nothing to write
    if (kes_put_observation(acc) != 0) return 1;
  }
  return 0;
}
