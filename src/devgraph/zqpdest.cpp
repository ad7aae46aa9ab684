// zqpdest(layout) -> int: hands every destination with its graphs to the output
// manager: a table of one entry per destination, each with its graph records. A
// second "DOCUMENT" destination is skipped (its entry stays empty). 0; 1012 after a
// message when a call was refused; 1016 after xmemmsg.
#include <cstring>

#include "devgraph/dest_calls.h"
#include "devgraph/device_services.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "records/kes_layout.h"
#include "records/pool_alloc.h"

namespace {
void* pool_zero(host_pool* pool, long size, bool* failed) {
  void* p = vmalcp_handler(pool, size, 0x2000);
  if (p == nullptr) {
    xmemmsg(size);
    *failed = true;
    return nullptr;
  }
  std::memset(p, 0, static_cast<std::size_t>(size));
  return p;
}
}  // namespace

int zqpdest(kes_layout* layout) {
  if (!layout->publish_setup) return 0;
  layout->gopts->flags = static_cast<std::uint8_t>(layout->gopts->flags | GOPT_PUBLISH);
  const int n = layout->destlist->count;
  bool failed = false;
  auto* table = static_cast<host_destentry*>(pool_zero(layout->destpool, static_cast<long>(sizeof(host_destentry)) * n, &failed));
  auto* header = static_cast<host_destlist*>(pool_zero(layout->destpool, sizeof(host_destlist), &failed));
  if (failed) return KES_RC_OUT_OF_MEMORY;
  for (int d = 0; d < n; ++d) {
    host_dest* dest = layout->destlist->entries[d].dest;
    void* name = vemtxt(dest->name, dest->name_len);
    kes_dest_upcase(dest->name, dest->name_len);
    if (d >= 1 && dest->name_len == 8 && std::memcmp(dest->name, "DOCUMENT", 8) == 0) continue;
    wob_attr fetch[2] = {wob_text(0, name), wob_out(0)};
    if (kes_dest_call(layout->collection, WOB_M_FETCH, 2, fetch) < 0) return KES_RC_SETUP_FAILED;
    void* list = fetch[1].w.p;
    wob_attr count = wob_int(WOB_A_ITEM_COUNT, 0);
    if (kes_dest_call(list, WOB_M_COUNT, 1, &count) < 0) return KES_RC_SETUP_FAILED;
    const int m = count.i;
    auto* items = m > 0 ? static_cast<wob_attr*>(pool_zero(layout->destpool, static_cast<long>(sizeof(wob_attr)) * m, &failed))
                        : nullptr;
    if (failed) return KES_RC_OUT_OF_MEMORY;
    for (int k = 1; k <= m; ++k) {
      wob_attr item[2] = {wob_int(0, k), wob_ptr(0, WOB_RECORD, nullptr)};
      if (kes_dest_call(list, WOB_M_FETCH, 2, item) < 0) return KES_RC_SETUP_FAILED;
      items[k - 1] = wob_ptr(0, WOB_RECORD, item[1].w.p);
    }
    table[d].count = static_cast<std::int16_t>(m);
    table[d].items = items;
  }
  header->count = static_cast<std::int16_t>(n);
  header->entries = table;
  wob_attr pub[4] = {wob_text(WOB_A_NAME, layout->segname), wob_text(WOB_A_LABEL, layout->seglabel),
                     wob_ptr(WOB_A_DEST_LIST, WOB_RECORD, layout->destlist), wob_ptr(WOB_A_DEST_TABLE, WOB_RECORD, header)};
  return kes_dest_call(layout->manager, WOB_M_PUBLISH, 4, pub) < 0 ? KES_RC_SETUP_FAILED : 0;
}
