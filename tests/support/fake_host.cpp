#include "fake_host.h"

#include <cstdarg>
#include <cstring>
#include <deque>

#include "runner/host_table.h"
#include "core/runtime.h"
#include "driver/kes_step.h"
#include "host/host_connection.h"
#include "host/wob.h"

namespace kes_test {

int fake_host::by_groups = 1;
int fake_host::xobinit_result = 0;
int fake_host::ggstop_result = 0;
int fake_host::create_result = 0;
long fake_host::refuse_size = -1;
host_record fake_host::rec;

namespace {

struct saved_service {
  int vector, slot;
  host_routine old;
};
std::vector<saved_service> saved;

host_routine install(kes_host::svc_id id, host_routine fn) {
  const auto& s = kes_host::services[id];
  host_routine old = plat::replace_service(s.vector, s.slot, fn);
  saved.push_back({s.vector, s.slot, old});
  return old;
}

template <class F>
host_routine install_fn(kes_host::svc_id id, F* fn) {
  return install(id, reinterpret_cast<host_routine>(fn));
}

// ---- texts: a handle is the address of a kept string ----
std::deque<std::string> texts;
void* keep_text(std::string s) {
  texts.push_back(std::move(s));
  return &texts.back();
}
std::string text_of(void* h) { return h ? *static_cast<std::string*>(h) : std::string("<null>"); }

void* fake_vemtxt(const char* text, int length) {
  std::string s = length < 0 ? std::string(text) : std::string(text, static_cast<size_t>(length));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return keep_text(s);
}
void* fake_vemmsg(int set, int number) { return keep_text(std::to_string(set) + "/" + std::to_string(number)); }
void* fake_vemmsgs(int set, int number, va_list ap) {
  std::string s = std::to_string(set) + "/" + std::to_string(number) + ":";
  // 189/9 and 189/10 take a name as (length, text); 189/9 a level text after it.
  int len = va_arg(ap, int);
  const char* name = va_arg(ap, const char*);
  s += std::string(name, static_cast<size_t>(len));
  if (number == 9) {
    int w = va_arg(ap, int);
    const char* level = va_arg(ap, const char*);
    std::string l(level, static_cast<size_t>(w));
    while (!l.empty() && l.back() == ' ') l.pop_back();
    s += "=" + l;
  }
  return keep_text(s);
}

// ---- output objects ----
int group_generic(void* /*object*/, void* /*data*/, int op, int, void*) {
  if (op == WOB_OP_CLOSE) {
    --fake_host::rec.groups_open;
    fake_host::rec.events.push_back("close");
  }
  return 0;
}
const wob_class group_class = {group_generic, nullptr, nullptr, nullptr, 0};
const wob_class* manager_class;  // the class of the root object, set up below
std::deque<wob_object> objects;

int record_method(void*, void* entry_data, void*, int count, wob_attr* attrs) {
  method_call c;
  c.method = static_cast<int>(reinterpret_cast<intptr_t>(entry_data));
  for (int i = 0; i < count; ++i) {
    if (attrs[i].id == WOB_A_NAME && attrs[i].type == WOB_TEXT) c.name = text_of(attrs[i].w.p);
  }
  fake_host::rec.calls.push_back(c);
  if (c.method == WOB_M_CREATE && fake_host::create_result != 0) return fake_host::create_result;
  if (c.method == WOB_M_CREATE || c.method == WOB_M_GROUP) {
    objects.push_back(wob_object{c.method == WOB_M_GROUP ? &group_class : manager_class});
    for (int i = 0; i < count; ++i)
      if (attrs[i].id == WOB_A_HANDLE && attrs[i].type == WOB_OUT) attrs[i].w.p = &objects.back();
    if (c.method == WOB_M_GROUP) {
      ++fake_host::rec.groups_open;
      fake_host::rec.events.push_back("grp(" + c.name + ")");
    }
  }
  return 0;
}

// One class for the root and the manager: the methods the driver calls, one bucket.
const wob_descr descr = {record_method, nullptr};
wob_mentry entries[4] = {
    {&entries[1], reinterpret_cast<void*>(intptr_t{WOB_M_CREATE}), &descr, WOB_M_CREATE},
    {&entries[2], reinterpret_cast<void*>(intptr_t{WOB_M_HEADING}), &descr, WOB_M_HEADING},
    {&entries[3], reinterpret_cast<void*>(intptr_t{WOB_M_GROUP}), &descr, WOB_M_GROUP},
    {nullptr, reinterpret_cast<void*>(intptr_t{WOB_M_NOPRINT}), &descr, WOB_M_NOPRINT},
};
wob_mentry* bucket[1] = {&entries[0]};
const wob_class object_class = {group_generic, nullptr, nullptr, bucket, 0};
wob_object root_object = {&object_class};
struct class_setup {
  class_setup() { manager_class = &object_class; }
} class_setup_now;

int fake_xobinit(void* anchor_block, int) {
  if (fake_host::xobinit_result < 0) return fake_host::xobinit_result;
  static_cast<wob_anchor*>(anchor_block)->root = &root_object;
  return 0;
}

// ---- core ----
int fake_xexit(int code, int) {
  fake_host::rec.exits.push_back(code);
  return code;
}
int fake_xpmlog(int set, int number, va_list) {
  fake_host::rec.messages.push_back(std::to_string(set) + "/" + std::to_string(number));
  fake_host::rec.events.push_back("msg(" + fake_host::rec.messages.back() + ")");
  return 0;
}
void fake_xprrlog(int, int result) { fake_host::rec.prrlogs.push_back(result); }
void fake_xmemmsg(long size) { fake_host::rec.memmsgs.push_back(size); }
int fake_xpselec(int, int) { return 0; }

// ---- pools: the stand-in's, behind a proxy ----
using xmpoolc_fn = host_pool* (*)(long, long, int);
using xmpoold_fn = void (*)(host_pool*);
xmpoolc_fn real_xmpoolc;
xmpoold_fn real_xmpoold;
struct pool_proxy;
std::vector<pool_proxy*> live_proxies;
struct pool_proxy {
  host_pool base;
  host_pool* real;
  int flags;
};
void* proxy_alloc(host_pool* p, long size, int flags) {
  auto* x = reinterpret_cast<pool_proxy*>(p);
  if (size == fake_host::refuse_size && flags == 0x2002) return nullptr;
  return x->real->alloc(x->real, size, flags);
}
void proxy_free(host_pool* p, void* ptr, long size, int flags) {
  auto* x = reinterpret_cast<pool_proxy*>(p);
  x->real->free(x->real, ptr, size, flags);
}
host_pool* fake_xmpoolc(long initial, long block, int flags) {
  host_pool* real = real_xmpoolc(initial, block, flags);
  if (real == nullptr) return nullptr;
  auto* x = new pool_proxy{{proxy_alloc, proxy_free}, real, flags};
  ++fake_host::rec.pools_made;
  live_proxies.push_back(x);
  return &x->base;
}
void fake_xmpoold(host_pool* p) {
  auto* x = reinterpret_cast<pool_proxy*>(p);
  ++fake_host::rec.pools_deleted;
  real_xmpoold(x->real);
  std::erase(live_proxies, x);
  delete x;
}

// ---- data sets ----
int by_left;
int fake_xbynext(kes_dsh) {
  fake_host::rec.events.push_back("by");
  if (by_left <= 0) return 0;
  --by_left;
  return 1;
}
int fake_xbyrwnd(kes_dsh, int mode) {
  fake_host::rec.events.push_back("rw(" + std::to_string(mode) + ")");
  return 0;
}
int fake_xvname(kes_dsh, int varnum, host_varinfo* info) {
  std::memset(info, 0, sizeof *info);
  std::string label = "Label of " + std::to_string(varnum);
  info->label_len = static_cast<std::uint16_t>(label.size());
  std::memcpy(info->label, label.data(), label.size());
  return 0;
}
int fake_xvpute(host_access*) {
  fake_host::rec.events.push_back("vpute");
  return 0;
}
int fake_xvputt(host_access*) {
  fake_host::rec.events.push_back("vputt");
  return 0;
}

// ---- graphics ----
int fake_ggstop() {
  fake_host::rec.events.push_back("ggstop");
  return fake_host::ggstop_result;
}

}  // namespace

void fake_host::SetUp() {
  rec = host_record{};
  by_groups = 1;
  xobinit_result = 0;
  ggstop_result = 0;
  create_result = 0;
  refuse_size = -1;
  texts.clear();
  objects.clear();
  mcn_main(plat::anchor(), nullptr);
  plat::begin_step();
  using namespace kes_host;
  install_fn(svc_xexit, fake_xexit);
  install_fn(svc_xpmlog, fake_xpmlog);
  install_fn(svc_xprrlog, fake_xprrlog);
  install_fn(svc_xmemmsg, fake_xmemmsg);
  install_fn(svc_xpselec, fake_xpselec);
  real_xmpoolc = reinterpret_cast<xmpoolc_fn>(install_fn(svc_xmpoolc, fake_xmpoolc));
  real_xmpoold = reinterpret_cast<xmpoold_fn>(install_fn(svc_xmpoold, fake_xmpoold));
  install_fn(svc_xbynext, fake_xbynext);
  install_fn(svc_xbyrwnd, fake_xbyrwnd);
  install_fn(svc_xvname, fake_xvname);
  install_fn(svc_xvpute, fake_xvpute);
  install_fn(svc_xvputt, fake_xvputt);
  install_fn(svc_xobinit, fake_xobinit);
  install_fn(svc_vemtxt, fake_vemtxt);
  install_fn(svc_vemmsg, fake_vemmsg);
  install_fn(svc_vemmsgs, fake_vemmsgs);
  install_fn(svc_ggstop, fake_ggstop);
}

void fake_host::TearDown() {
  while (!saved.empty()) {
    plat::replace_service(saved.back().vector, saved.back().slot, saved.back().old);
    saved.pop_back();
  }
  plat::finish_step();
  for (pool_proxy* x : live_proxies) delete x;
  live_proxies.clear();
}

int fake_host::run_step(const kes_stages* stages) {
  by_left = by_groups;
  const int pools_before = plat::open_pool_count();
  const int r = kes_step(stages);
  rec.open_pools_added = plat::open_pool_count() - pools_before;
  for (const pool_proxy* x : live_proxies) rec.live_pool_flags.push_back(x->flags);
  return r;
}

int fake_host::count_messages(const char* key) const {
  int n = 0;
  for (const auto& m : rec.messages) n += m == key;
  return n;
}

int fake_host::count_events(const std::string& event) const {
  int n = 0;
  for (const auto& e : rec.events) n += e == event;
  return n;
}

int fake_host::find_event(const std::string& event, int from) const {
  for (int i = from < 0 ? 0 : from; i < static_cast<int>(rec.events.size()); ++i)
    if (rec.events[static_cast<size_t>(i)] == event) return i;
  return -1;
}

}  // namespace kes_test
