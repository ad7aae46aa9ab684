#include "runner/host_table.h"

#include "core/core_internal.h"
#include "core/host_routines.h"
#include "host/host_missing.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace plat {
namespace {
host_routine tables[HOST_NVECTORS][HOST_NSLOTS];
host_consts consts;
host_gcb gcb;
bool built = false;

void build() {
  std::memset(&gcb, 0, sizeof gcb);
  consts.std_missing = std::bit_cast<double>(HOST_MISSING_STD_BITS);
  consts.largest = std::numeric_limits<double>::max();
  consts.smallest = std::numeric_limits<double>::min();
  gcb.consts = &consts;
  // The anchor's own pool and the task pool live as long as the host; what the module
  // takes from them is given back at each step's end. The task block is a row of
  // words, cleared before and after each step, whose first word holds the task record.
  gcb.pool = core::anchor_pool();
  gcb.taskpool = core::task_pool();
  gcb.taskblock = core::task_block();
#define HOST_SVC(ret, name, vec, slot, params, args)                 \
  static_assert((vec) < HOST_NVECTORS && (slot) < HOST_NSLOTS);      \
  tables[vec][slot] = reinterpret_cast<host_routine>(&plat_##name);  \
  gcb.vectors[vec] = tables[vec];
#define HOST_SVC_VA(ret, name, vec, slot, params, args, last) HOST_SVC(ret, name, vec, slot, params, args)
#include "host/host_services.def"
#undef HOST_SVC
#undef HOST_SVC_VA
  built = true;
}
}  // namespace

host_gcb* anchor() {
  if (!built) build();
  return &gcb;
}

host_routine replace_service(int vector, int slot, host_routine routine) {
  anchor();
  host_routine old = tables[vector][slot];
  tables[vector][slot] = routine;
  gcb.vectors[vector] = tables[vector];
  return old;
}
}  // namespace plat
