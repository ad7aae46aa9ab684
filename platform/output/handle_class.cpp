// The handle class: every output handle reads as it. Its method entries carry their
// method number, so one routine serves them all: it finds the handle's object in the
// step's system and calls the method through the object's own class chain.
#include <cstdint>
#include <deque>
#include <set>
#include <vector>

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

// The handle class's method table: one entry per method number of any class, added
// as each class is built (before any object of it exists).
struct handle_rec {
  static constexpr unsigned kMask = 31;
  wob_class cls{};
  wob_descr descr{forward_method, nullptr};
  std::deque<wob_mentry> entries;  // stable addresses
  std::vector<wob_mentry*> buckets = std::vector<wob_mentry*>(kMask + 1, nullptr);
  std::set<int> ids;
  handle_rec() {
    cls.generic = forward_generic;
    cls.table = buckets.data();
    cls.mask = kMask;
  }
};

handle_rec& handle_table() {
  static handle_rec rec;
  return rec;
}

}  // namespace

void add_handle_method(int id) {
  handle_rec& rec = handle_table();
  if (!rec.ids.insert(id).second) return;
  rec.entries.push_back({nullptr, reinterpret_cast<void*>(static_cast<std::intptr_t>(id)), &rec.descr, id});
  wob_mentry*& head = rec.buckets[handle_rec::kMask & static_cast<unsigned>(id)];
  rec.entries.back().next = head;
  head = &rec.entries.back();
}

const wob_class* handle_class() { return &handle_table().cls; }

handle_space& output_handles() {
  static handle_space space(handle_class());
  return space;
}

}  // namespace plat::out
