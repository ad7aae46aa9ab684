// The handle class: every output handle reads as it. Its method entries carry their
// method number, so one routine serves them all: it finds the handle's object in the
// step's system and calls the method through the object's own class chain.
#include <cstdint>
#include <set>

#include "output/handle_space.h"
#include "output/output_messages.h"
#include "output/output_system.h"

namespace plat::out {
namespace {

int refuse(const char* what, int number) {
  output_system* sys = output_system::current();
  if (sys != nullptr && sys->host().log) sys->host().log(msg::kStale, what, number);
  return kErrHandle;
}

int forward_method(void* handle, void* entry_data, void*, int count, wob_attr* attrs) {
  const int id = static_cast<int>(reinterpret_cast<std::intptr_t>(entry_data));
  output_system* sys = output_system::current();
  obj_base* o = sys != nullptr ? sys->find(handle) : nullptr;
  if (o == nullptr) return refuse("method", id);
  const unsigned uid = static_cast<unsigned>(id);
  for (const wob_class* c = o->cls; c != nullptr; c = c->parent) {
    if (c->table == nullptr) continue;
    for (const wob_mentry* e = c->table[c->mask & uid]; e != nullptr; e = e->next)
      if (e->id == id) return e->descr->routine(o, e->data, e->descr->data, count, attrs);
  }
  return WOB_NO_METHOD;
}

int forward_generic(void* handle, void*, int op, int arg, void* ptr) {
  output_system* sys = output_system::current();
  obj_base* o = sys != nullptr ? sys->find(handle) : nullptr;
  if (o == nullptr) return refuse("operation", op);
  return o->cls->generic(o, o->cls->generic_data, op, arg, ptr);
}

// Method numbers of a class and its parents.
void add_ids(const wob_class* c, std::set<int>& ids) {
  for (; c != nullptr; c = c->parent)
    for (unsigned b = 0; c->table != nullptr && b <= c->mask; ++b)
      for (const wob_mentry* e = c->table[b]; e != nullptr; e = e->next) ids.insert(e->id);
}

struct handle_rec {
  wob_class cls{};
  std::vector<wob_descr> descr;
  std::vector<wob_mentry> entries;
  std::vector<wob_mentry*> buckets;
};

const wob_class* make_handle_class(handle_rec& rec) {
  std::set<int> ids;
  for (const wob_class* c : {root_class(), manager_class(), table_class(), factoid_class(), binding_class(),
                             group_class()})
    add_ids(c, ids);
  constexpr unsigned kMask = 31;
  rec.descr.push_back({forward_method, nullptr});
  rec.entries.reserve(ids.size());
  rec.buckets.assign(kMask + 1, nullptr);
  for (int id : ids) {
    rec.entries.push_back({nullptr, reinterpret_cast<void*>(static_cast<std::intptr_t>(id)), &rec.descr[0], id});
    wob_mentry*& head = rec.buckets[kMask & static_cast<unsigned>(id)];
    rec.entries.back().next = head;
    head = &rec.entries.back();
  }
  rec.cls.generic = forward_generic;
  rec.cls.table = rec.buckets.data();
  rec.cls.mask = kMask;
  return &rec.cls;
}

}  // namespace

const wob_class* handle_class() {
  static handle_rec rec;
  static const wob_class* c = make_handle_class(rec);
  return c;
}

handle_space& output_handles() {
  static handle_space space(handle_class());
  return space;
}

}  // namespace plat::out
