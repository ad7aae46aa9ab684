#include "engine_host.h"

#include <cstdarg>

#include "runner/host_table.h"
#include "host/host_services.h"

namespace kes_test {

std::vector<engine_host::logged> engine_host::messages;
std::vector<long> engine_host::memmsgs;

namespace {

host_gcb* saved_anchor = nullptr;
host_routine saved_pmlog = nullptr;
host_routine saved_memmsg = nullptr;

int rec_xpmlog(int set, int number, va_list ap) {
  engine_host::logged m{set, number, {}, 0};
  if (set == 189 && (number == 153 || number == 179 || number == 180 || number == 183)) {
    const int len = va_arg(ap, int);
    const char* text = va_arg(ap, const char*);
    m.name.assign(text, static_cast<size_t>(len));
    if (number == 153) m.extra = va_arg(ap, int);
  }
  engine_host::messages.push_back(m);
  return 0;
}
void rec_xmemmsg(long size) { engine_host::memmsgs.push_back(size); }

}  // namespace

void engine_host::SetUp() {
  messages.clear();
  memmsgs.clear();
  saved_anchor = v_global_gcb_anchor;
  v_global_gcb_anchor = plat::anchor();
  const auto& pm = kes_host::services[kes_host::svc_xpmlog];
  const auto& mm = kes_host::services[kes_host::svc_xmemmsg];
  saved_pmlog = plat::replace_service(pm.vector, pm.slot, reinterpret_cast<host_routine>(&rec_xpmlog));
  saved_memmsg = plat::replace_service(mm.vector, mm.slot, reinterpret_cast<host_routine>(&rec_xmemmsg));
}

void engine_host::TearDown() {
  const auto& pm = kes_host::services[kes_host::svc_xpmlog];
  const auto& mm = kes_host::services[kes_host::svc_xmemmsg];
  plat::replace_service(pm.vector, pm.slot, saved_pmlog);
  plat::replace_service(mm.vector, mm.slot, saved_memmsg);
  v_global_gcb_anchor = saved_anchor;
}

}  // namespace kes_test
