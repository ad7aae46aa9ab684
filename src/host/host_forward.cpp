// Forwarding routines: each takes the host anchor, clears the flag byte of its
// vector and calls routine [slot] of vector table [vector] with its arguments.
#include "host/host_connection.h"
#include "host/host_services.h"

namespace {
struct va_guard {
  va_list* ap;
  ~va_guard() { va_end(*ap); }
};
}  // namespace

extern "C" {
// The host anchor, set by mcn_main when the host connects the module; exported with
// the module's other anchor words.
KES_EXPORT host_gcb* v_global_gcb_anchor = nullptr;

#define HOST_SVC(ret, name, vec, slot, params, args)                              \
  ret name params {                                                               \
    host_gcb* a = v_global_gcb_anchor;                                            \
    a->vecflag[vec] = 0;                                                          \
    using fn_t = ret(*) params;                                                   \
    return reinterpret_cast<fn_t>(a->vectors[vec][slot]) args;                    \
  }
#define HOST_SVC_VA(ret, name, vec, slot, params, args, last)                     \
  ret name(KES_UNWRAP params, ...) {                                              \
    host_gcb* a = v_global_gcb_anchor;                                            \
    a->vecflag[vec] = 0;                                                          \
    using fn_t = ret (*)(KES_UNWRAP params, va_list);                             \
    va_list ap;                                                                   \
    va_start(ap, last);                                                           \
    va_guard g{&ap};                                                              \
    return reinterpret_cast<fn_t>(a->vectors[vec][slot])(KES_UNWRAP args, ap);    \
  }
#include "host/host_services.def"
#undef HOST_SVC
#undef HOST_SVC_VA
}
