// The stand-in's side of the host services: one routine plat_<name> per line of
// src/host/host_services.def, and the anchor whose vector tables point at them.
#pragma once
#include <cstdarg>
#include "host/host_services.h"

extern "C" {
#define HOST_SVC(ret, name, vec, slot, params, args) ret plat_##name params;
#define HOST_SVC_VA(ret, name, vec, slot, params, args, last) ret plat_##name(KES_UNWRAP params, va_list ap);
#include "host/host_services.def"
#undef HOST_SVC
#undef HOST_SVC_VA
}

namespace plat {
// The one anchor of this process, with every vector table filled.
host_gcb* anchor();
// Replace one service's routine (tests use this to stand in for a service).
host_routine replace_service(int vector, int slot, host_routine routine);
}  // namespace plat
