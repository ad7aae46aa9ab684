// The stand-in's side of the host services: one routine plat_<name> per line of
// src/host/host_services.def, each defined in the folder of its area and declared here
// with C linkage, as the module calls it. Only the runner's vector tables take them
// all (runner/host_table.h).
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
