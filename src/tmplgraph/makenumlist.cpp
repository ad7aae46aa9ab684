// makenumlist: numbers as one blank-separated text (tick lists of template graphs).
#include <cstring>

#include "host/host_services.h"
#include "host/step_codes.h"
#include "records/pool_alloc.h"
#include "tmplgraph/kes_stgraph.h"
#include "util/kes_text.h"

namespace {
constexpr int kField = 8;        // each value's field
constexpr int kPerValue = 10;    // bytes kept per value
constexpr int kBestDecimals = 99;
}  // namespace

void* makenumlist(const double* values, int n, int width, int* status) {
  if (n <= 0) return vemtxt("", 0);
  const long bytes = static_cast<long>(kPerValue) * n;
  host_pool* pool = v_global_gcb_anchor != nullptr ? v_global_gcb_anchor->taskpool : nullptr;
  auto* text = static_cast<char*>(vmalcp_handler(pool, bytes, KES_ALLOC_4));
  if (text == nullptr) {
    xmemmsg(bytes);
    if (status != nullptr) *status = KES_RC_OUT_OF_MEMORY;
    return nullptr;
  }
  std::memset(text, ' ', static_cast<std::size_t>(bytes));
  const int w = width < kField ? width : kField;
  long used = 0;
  for (int i = 0; i < n; ++i) {
    char field[kField];
    std::memset(field, ' ', sizeof field);
    xpfs(values[i], -w, kBestDecimals, field);
    const int len = wzstrip(field, w);
    std::memcpy(text + used, field, static_cast<std::size_t>(len));
    used += len + 1;
  }
  void* handle = vemtxt(text, static_cast<int>(used > 0 ? used - 1 : 0));
  vmfree_handler(pool, text, -1, KES_FREE_FLAGS);
  return handle;
}
