// Memory pools: zero-filled allocations that a pool keeps track of, so that deleting
// the pool gives everything back. A byte cap over all pools lets tests and the
// runner's --memcap drive the out-of-memory paths.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <new>
#include <unordered_set>

#include "core/block_table.h"
#include "core/core_internal.h"
#include "core/host_routines.h"
#include "core/runtime.h"

namespace plat {
namespace {

void* pool_alloc(host_pool* hp, long size, int /*flags*/);
void pool_free(host_pool* hp, void* ptr, long size, int flags);

struct pool : host_pool {
  explicit pool(const char* what = "pool") : host_pool{pool_alloc, pool_free}, role(what) {}
  block_table blocks;  // live allocations and their sizes
  long initial = 0, block = 0;
  int flags = 0;
  const char* role;  // how messages name the pool
};

long in_use = 0;
long cap = 0;
std::unordered_set<pool*> open_pools;  // made by xmpoolc

void internal_error(const std::string& what) { log_write(msg_kind::error, "Internal error: " + what); }

std::string addr(const void* p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%p", p);
  return buf;
}

pool& anchor_pool_obj() {
  static pool p("the anchor's pool");
  return p;
}

pool& task_pool_obj() {
  static pool p("the task pool");
  return p;
}

pool* known(host_pool* hp) {
  pool* p = static_cast<pool*>(hp);
  if (hp == &anchor_pool_obj() || hp == &task_pool_obj() || open_pools.count(p)) return p;
  return nullptr;
}

void release_all(pool& p) {
  p.blocks.drain([](void* ptr, long size) {
    std::free(ptr);
    in_use -= size;
  });
}

void* pool_alloc(host_pool* hp, long size, int /*flags*/) {
  pool* p = known(hp);
  if (!p) {
    internal_error("allocation from " + addr(hp) + ", which is not an open pool.");
    return nullptr;
  }
  if (size < 0) {
    internal_error("allocation of " + std::to_string(size) + " bytes from " + p->role + ".");
    return nullptr;
  }
  if (cap > 0 && size > cap - in_use) return nullptr;
  // Every allocation is zero-filled; a size of 0 still gets its own address.
  void* mem = std::calloc(1, size > 0 ? static_cast<std::size_t>(size) : 1);
  if (!mem) return nullptr;
  try {
    p->blocks.add(mem, size);
  } catch (const std::bad_alloc&) {
    std::free(mem);
    return nullptr;
  }
  in_use += size;
  return mem;
}

void pool_free(host_pool* hp, void* ptr, long /*size*/, int /*flags*/) {
  if (!ptr) return;
  pool* p = known(hp);
  if (!p) {
    internal_error("memory freed to " + addr(hp) + ", which is not an open pool.");
    return;
  }
  long size = 0;
  if (!p->blocks.remove(ptr, &size)) {
    internal_error("memory at " + addr(ptr) + " freed to " + p->role + ", which did not allocate it (or freed it before).");
    return;
  }
  std::free(ptr);
  in_use -= size;
}

void delete_pool(pool* p) {
  release_all(*p);
  open_pools.erase(p);
  delete p;
}

}  // namespace

void set_memory_cap(long bytes) { cap = bytes > 0 ? bytes : 0; }
long memory_in_use() { return in_use; }
int open_pool_count() { return static_cast<int>(open_pools.size()); }

namespace core {

host_pool* anchor_pool() { return &anchor_pool_obj(); }
host_pool* task_pool() { return &task_pool_obj(); }

void pools_finish_step() {
  while (!open_pools.empty()) delete_pool(*open_pools.begin());
  release_all(anchor_pool_obj());
  release_all(task_pool_obj());
}

}  // namespace core
}  // namespace plat

extern "C" {

host_pool* plat_xmpoolc(long initial, long block, int flags) {
  auto p = std::make_unique<plat::pool>();
  p->initial = initial;
  p->block = block;
  p->flags = flags;
  plat::open_pools.insert(p.get());
  return p.release();
}

void plat_xmpoold(host_pool* hp) {
  if (!hp) return;
  auto* p = static_cast<plat::pool*>(hp);
  if (hp == plat::core::anchor_pool() || hp == plat::core::task_pool()) {
    plat::internal_error(std::string("an attempt to delete ") + p->role + ", which lives as long as the host.");
    return;
  }
  if (!plat::open_pools.count(p)) {
    plat::internal_error("an attempt to delete " + plat::addr(hp) + ", which is not an open pool.");
    return;
  }
  plat::delete_pool(p);
}

}  // extern "C"
