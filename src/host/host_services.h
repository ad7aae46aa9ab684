// The module's declarations of the host services (see host_services.def). Each is a
// forwarding routine that reaches the host through v_global_gcb_anchor.
#pragma once
#include <cstdarg>
#include "host/host_anchor.h"
#include "host/host_catalog.h"
#include "host/host_locale.h"

#define KES_UNWRAP(...) __VA_ARGS__

extern "C" {
extern host_gcb* v_global_gcb_anchor;
extern void* v_global_pidb_anchor;
extern void* Exported_QVHandle;

#define HOST_SVC(ret, name, vec, slot, params, args) ret name params;
#define HOST_SVC_VA(ret, name, vec, slot, params, args, last) ret name(KES_UNWRAP params, ...);
#include "host/host_services.def"
#undef HOST_SVC
#undef HOST_SVC_VA
}

// Vector and slot of every service, for the stand-in's tables and for tests.
namespace kes_host {
enum svc_id : int {
#define HOST_SVC(ret, name, vec, slot, params, args) svc_##name,
#define HOST_SVC_VA(ret, name, vec, slot, params, args, last) svc_##name,
#include "host/host_services.def"
#undef HOST_SVC
#undef HOST_SVC_VA
  svc_count
};
struct svc_info {
  const char* name;
  int vector;
  int slot;
};
inline constexpr svc_info services[] = {
#define HOST_SVC(ret, name, vec, slot, params, args) {#name, vec, slot},
#define HOST_SVC_VA(ret, name, vec, slot, params, args, last) {#name, vec, slot},
#include "host/host_services.def"
#undef HOST_SVC
#undef HOST_SVC_VA
};
static_assert(sizeof(services) / sizeof(services[0]) == svc_count);
}  // namespace kes_host
