#include "records/pool_alloc.h"

#include <cstring>

#include "host/host_services.h"

void* vmalcp_handler(host_pool* pool, long size, int flags) {
  if (pool == nullptr || pool->alloc == nullptr) return nullptr;
  return pool->alloc(pool, size, flags);
}

void vmfree_handler(host_pool* pool, void* ptr, long size, int flags) {
  if (pool == nullptr || pool->free == nullptr || ptr == nullptr) return;
  pool->free(pool, ptr, size, flags);
}

void* kes_zalloc(host_pool* pool, long size, int flags, bool* failed) {
  if (*failed) return nullptr;
  const long n = size > 0 ? size : 8;
  void* p = vmalcp_handler(pool, n, flags);
  if (p == nullptr) {
    xmemmsg(n);
    *failed = true;
    return nullptr;
  }
  std::memset(p, 0, static_cast<size_t>(n));
  return p;
}
