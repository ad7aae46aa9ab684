// The service list drives both sides of the interface: every module forwarder must
// reach exactly its own vector and slot (clearing that vector's flag byte), no two
// services may share a place, and the stand-in must put its own routine there.
// Substitution arguments pass through as a va_list.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "core/host_routines.h"
#include "runner/host_table.h"
#include "core/runtime.h"
#include "host/host_services.h"

namespace {

// A table in which every slot of every vector holds the stray probe of one service's
// type and only that service's own slot holds its own probe: a forwarder reaching
// any other place is counted as stray, and with the right type.
int own_hits = 0, stray_hits = 0;

template <typename F>
struct probe;
template <typename R, typename... A>
struct probe<R (*)(A...)> {
  static R own(A...) {
    ++own_hits;
    return R();
  }
  static R stray(A...) {
    ++stray_hits;
    return R();
  }
};

// Calls a forwarder with value-initialised fixed arguments (and no substitution ones).
template <typename R, typename... A>
void call_with_defaults(R (*fn)(A...)) {
  fn(A()...);
}
template <typename R, typename... A>
void call_with_defaults(R (*fn)(A..., ...)) {
  fn(A()...);
}

struct fake_anchor {
  std::unique_ptr<host_routine[]> slots{new host_routine[HOST_NVECTORS * HOST_NSLOTS]};
  host_gcb gcb{};
  fake_anchor() {
    for (int v = 0; v < HOST_NVECTORS; ++v) gcb.vectors[v] = &slots[v * HOST_NSLOTS];
  }
  void fill(host_routine stray, int vec, int slot, host_routine own) {
    std::fill(slots.get(), slots.get() + HOST_NVECTORS * HOST_NSLOTS, stray);
    gcb.vectors[vec][slot] = own;
    std::memset(gcb.vecflag, 0xFF, sizeof gcb.vecflag);
  }
};

struct forwarded {
  const char* name;
  int vector, slot;
  int own, stray;
  bool flag_cleared, other_flags_kept;
};

template <typename HostFn, typename Fwd>
forwarded forward_once(fake_anchor& a, const char* name, int vec, int slot, Fwd fwd) {
  a.fill(reinterpret_cast<host_routine>(&probe<HostFn>::stray), vec, slot,
         reinterpret_cast<host_routine>(&probe<HostFn>::own));
  own_hits = stray_hits = 0;
  host_gcb* saved = v_global_gcb_anchor;
  v_global_gcb_anchor = &a.gcb;
  call_with_defaults(fwd);
  v_global_gcb_anchor = saved;
  int others = 0;
  for (int v = 0; v < HOST_NVECTORS; ++v) others += v != vec && a.gcb.vecflag[v] == 0xFF;
  return {name, vec, slot, own_hits, stray_hits, a.gcb.vecflag[vec] == 0, others == HOST_NVECTORS - 1};
}

TEST(ServiceList, EveryForwarderReachesItsOwnVectorAndSlot) {
  fake_anchor a;
  std::vector<forwarded> seen;
#define HOST_SVC(ret, name, vec, slot, params, args) \
  seen.push_back(forward_once<ret(*) params>(a, #name, vec, slot, &::name));
#define HOST_SVC_VA(ret, name, vec, slot, params, args, last) \
  seen.push_back(forward_once<ret (*)(KES_UNWRAP params, va_list)>(a, #name, vec, slot, &::name));
#include "host/host_services.def"
#undef HOST_SVC
#undef HOST_SVC_VA
  ASSERT_EQ(seen.size(), static_cast<std::size_t>(kes_host::svc_count));
  std::map<std::pair<int, int>, std::string> place;
  for (const forwarded& f : seen) {
    auto [it, fresh] = place.emplace(std::make_pair(f.vector, f.slot), f.name);
    EXPECT_TRUE(fresh) << f.name << " and " << it->second << " share " << f.vector << "/" << f.slot;
    EXPECT_EQ(f.own, 1) << f.name << " at " << f.vector << "/" << f.slot;
    EXPECT_EQ(f.stray, 0) << f.name << " reached another slot";
    EXPECT_TRUE(f.flag_cleared) << f.name;
    EXPECT_TRUE(f.other_flags_kept) << f.name;
  }
}

TEST(ServiceList, TheStandInFillsEverySlotWithItsOwnRoutineAndNoOther) {
  host_gcb* g = plat::anchor();
  std::map<std::pair<int, int>, host_routine> want;
#define HOST_SVC(ret, name, vec, slot, params, args) \
  want[{vec, slot}] = reinterpret_cast<host_routine>(&::plat_##name);
#define HOST_SVC_VA(ret, name, vec, slot, params, args, last) HOST_SVC(ret, name, vec, slot, params, args)
#include "host/host_services.def"
#undef HOST_SVC
#undef HOST_SVC_VA
  for (int v = 0; v < HOST_NVECTORS; ++v) {
    if (!g->vectors[v]) continue;
    for (int s = 0; s < HOST_NSLOTS; ++s) {
      auto it = want.find({v, s});
      EXPECT_EQ(g->vectors[v][s], it == want.end() ? nullptr : it->second) << "vector " << v << " slot " << s;
    }
  }
  for (const auto& [place, routine] : want) ASSERT_NE(g->vectors[place.first], nullptr) << place.first;
}

// Substitution arguments of a _VA service reach the host routine as a va_list, in order.
struct seen_call {
  int set = 0, number = 0, first = 0;
  double second = 0;
  const char* third = nullptr;
} seen;

int fake_xpmlog(int set, int number, va_list ap) {
  seen = {set, number, va_arg(ap, int), va_arg(ap, double), va_arg(ap, const char*)};
  return 77;
}

TEST(ServiceList, SubstitutionArgumentsAndResultsPassUntouched) {
  host_gcb* saved = v_global_gcb_anchor;
  v_global_gcb_anchor = plat::anchor();
  const auto& info = kes_host::services[kes_host::svc_xpmlog];
  host_routine old = plat::replace_service(info.vector, info.slot, reinterpret_cast<host_routine>(&fake_xpmlog));
  int rc = xpmlog(189, 139, 5, 2.25, "VAR");
  plat::replace_service(info.vector, info.slot, old);
  v_global_gcb_anchor = saved;
  EXPECT_EQ(rc, 77);
  EXPECT_EQ(seen.set, 189);
  EXPECT_EQ(seen.number, 139);
  EXPECT_EQ(seen.first, 5);
  EXPECT_EQ(seen.second, 2.25);
  EXPECT_STREQ(seen.third, "VAR");
}

// A step exit unwinds through the forwarder in every step that ends early: the
// example programs no_observations and datapass_steps, and the data-pass tests.

}  // namespace
