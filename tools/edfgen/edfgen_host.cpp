// The smallest host the fits and the EDF statistics need: pools of their own (one per
// fit, so any number of threads may fit at once) and a log that keeps nothing.
#include <cstdarg>
#include <cstdlib>
#include <vector>

#include "edfgen.h"
#include "host/host_missing.h"
#include "host/host_services.h"

namespace {
struct tool_pool : host_pool {
  std::vector<void*> blocks;
};

void* pool_alloc(host_pool* p, long size, int) {
  void* b = std::calloc(1, static_cast<size_t>(size > 0 ? size : 8));
  if (b != nullptr) static_cast<tool_pool*>(p)->blocks.push_back(b);
  return b;
}
// Blocks go with their pool.
void pool_free(host_pool*, void*, long, int) {}

host_pool* pool_create(long, long, int) {
  tool_pool* p = new tool_pool;
  p->alloc = pool_alloc;
  p->free = pool_free;
  return p;
}
void pool_delete(host_pool* p) {
  tool_pool* t = static_cast<tool_pool*>(p);
  if (t == nullptr) return;
  for (void* b : t->blocks) std::free(b);
  delete t;
}
int note(int, int, va_list) { return 0; }
int note_text(char* buffer, int length, int, int, va_list) {
  if (length > 0) buffer[0] = '\0';
  return 0;
}
void memory_note(long) {}

host_routine g_core[HOST_NSLOTS];
host_consts g_consts;
host_gcb g_anchor;
}  // namespace

void edfgen_host_start() {
  using kes_host::services;
  auto put = [](int id, host_routine r) { g_core[services[id].slot] = r; };
  put(kes_host::svc_xpmlog, reinterpret_cast<host_routine>(note));
  put(kes_host::svc_xpmstr, reinterpret_cast<host_routine>(note_text));
  put(kes_host::svc_xmemmsg, reinterpret_cast<host_routine>(memory_note));
  put(kes_host::svc_xmpoolc, reinterpret_cast<host_routine>(pool_create));
  put(kes_host::svc_xmpoold, reinterpret_cast<host_routine>(pool_delete));
  g_consts.std_missing = host_missing_of_kind(HOST_MISS_STD);
  g_anchor.vectors[1] = g_core;
  g_anchor.consts = &g_consts;
  v_global_gcb_anchor = &g_anchor;
}
