#include "driver/kes_default_vars.h"

#include <cstdint>

#include "host/host_services.h"
#include "records/kes_ctx.h"

namespace {

// PROC slots of the lists whose variables are not analysed by default.
constexpr int kRoleSlots[] = {0 /* BY */, 2 /* WEIGHT */, 3 /* FREQ */, 4 /* ID */, 5 /* CLASS */};

// Whether a role list names variable v. CLASS list elements are variable numbers,
// each perhaps followed by negative option codes, which never match.
bool has_role(const kes_stmt* proc, int v) {
  for (int s : kRoleSlots) {
    if (s >= proc->nslots) continue;
    const kes_optslot& sl = proc->slots[s];
    if (!sl.given || sl.list == nullptr) continue;
    const std::int32_t* e = static_cast<const std::int32_t*>(sl.list);
    for (int i = 0; i < sl.v.count; ++i)
      if (e[i] == v) return true;
  }
  return false;
}

}  // namespace

int kes_default_vars(const kes_ctx* ctx, int* varnums) {
  if (ctx->proc == nullptr || ctx->data == nullptr) return 0;
  const int nds = xoinfo(ctx->data, HOST_DSI_NVARS, nullptr);
  int n = 0;
  for (int v = 0; v < nds; ++v) {
    host_varinfo info{};
    if (xvname(ctx->data, v, &info) != 0 || info.type != HOST_VT_NUM || has_role(ctx->proc, v)) continue;
    if (varnums != nullptr) varnums[n] = v;
    ++n;
  }
  return n;
}
