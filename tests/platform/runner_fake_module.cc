// A stand-in procedure module for the runner's tests: it connects like the real one
// and, in each step, writes a line to the listing, leaves a pool open and ends the
// step with the return code that the system option DEBUG gives ("FAKE:1008"; 0
// without it). Code -7 ends the step through xebug.
// Built as a separate shared object; it reaches the host only through the anchor.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/host_connection.h"
#include "host/host_print.h"
#include "host/host_services.h"

namespace {

host_gcb* gcb = nullptr;

template <typename Fn>
Fn service(kes_host::svc_id id) {
  const kes_host::svc_info& s = kes_host::services[id];
  gcb->vecflag[s.vector] = 0;
  return reinterpret_cast<Fn>(gcb->vectors[s.vector][s.slot]);
}

int step_code() {
  char buf[200];
  int n = service<int (*)(const char*, char*, int)>(kes_host::svc_xoptcgt)("DEBUG", buf, sizeof buf);
  std::string v(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
  return v.rfind("FAKE:", 0) == 0 ? std::atoi(v.c_str() + 5) : 0;
}

int fake_entry() {
  int code = step_code();
  char line[64];
  int len = std::snprintf(line, sizeof line, "fake step with code %d", code);
  service<int (*)(int, const char*, int)>(kes_host::svc_xpfmtc)(3, line, len);
  service<int (*)()>(kes_host::svc_xpoflsh)();
  host_pool* p = service<host_pool* (*)(long, long, int)>(kes_host::svc_xmpoolc)(0, 1024, 4226);
  if (p) p->alloc(p, 4096, 0x2000);
  if (code == -7) service<void (*)(const char*)>(kes_host::svc_xebug)("fake module failure");
  return service<int (*)(int, int)>(kes_host::svc_xexit)(code, 0);
}

const mcn_connector connector = {0xFFFF0000u, 0x400, 0x400, "qorqkest", fake_entry, 3, 0x25D3, 0x2051C472u, 15};
const mcn_connector* const connectors[] = {&connector, nullptr};

const mcn_image image = {
    "QOR_Image_Information=",
#ifdef FAKE_BAD_MAGIC
    0xDEADBEEFu,
#else
    MCN_IMAGE_MAGIC,
#endif
    8, "9.4", "test", "Jan 1 2024", connectors, "a stand-in module for tests", "001"};

}  // namespace

extern "C" const mcn_image* mcn_main(host_gcb* anchor, void* /*pidb*/) {
  gcb = anchor;
  return &image;
}
