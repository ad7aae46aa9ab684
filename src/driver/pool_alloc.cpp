#include "driver/pool_alloc.h"

void* vmalcp_handler(host_pool* pool, long size, int flags) {
  if (pool == nullptr || pool->alloc == nullptr) return nullptr;
  return pool->alloc(pool, size, flags);
}

void vmfree_handler(host_pool* pool, void* ptr, long size, int flags) {
  if (pool == nullptr || pool->free == nullptr || ptr == nullptr) return;
  pool->free(pool, ptr, size, flags);
}
