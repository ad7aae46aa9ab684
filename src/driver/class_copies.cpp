#include "driver/class_copies.h"

#include <cstring>

#include "driver/kes_classvars.h"

bool kes_define_class_copies(kes_ctx* ctx, host_access* acc) {
  const kes_classvars* cv = ctx->classvars;
  for (int i = 0; cv != nullptr && i < cv->count; ++i) {
    const kes_classvar& c = cv->var[i];
    host_varinfo info;
    std::memset(&info, 0, sizeof info);
    if (xvname(ctx->data, c.varnum, &info) != 0) return false;
    const bool text = c.type == 2;
    void* at = text ? static_cast<void*>(c.key.text) : const_cast<double*>(&c.value);
    if (xvputd(acc, &info, 0, at, text ? c.key.width : 0, 0, 0) != 0) return false;
  }
  return true;
}
