// The graph destinations of the output manager: the list of open destinations that
// device graphs are drawn for (method 2385, released by 4968), the collections in
// which the module keeps each destination's graphs (an associative array of lists,
// names case-blind), and the hand-over of all graphs of a chart (4966).
//
// The stand-in has one destination, "LISTING": the run's listing and JSON file, which
// name each graph file as it is written. With --graphics none there is none.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "core/runtime.h"
#include "host/host_graph.h"
#include "output/method_call.h"
#include "output/output_messages.h"
#include "output/output_system.h"

namespace plat::out {
namespace {

// One destination list handed out: the list, its entries and their records.
struct dest_store {
  host_destlist list{};
  std::vector<host_destentry> entries;
  std::vector<host_dest> dests;
  std::vector<std::unique_ptr<char[]>> names;
};
std::vector<std::unique_ptr<dest_store>> g_lists;
bool g_hooked = false;

dest_store* store_of(const void* list) {
  for (auto& s : g_lists)
    if (&s->list == list) return s.get();
  return nullptr;
}

std::unique_ptr<dest_store> make_list() {
  auto s = std::make_unique<dest_store>();
  if (config().graphics != run_config::graphics_mode::none) {
    static const char kName[] = "LISTING";
    auto name = std::make_unique<char[]>(sizeof kName);
    std::memcpy(name.get(), kName, sizeof kName);
    host_dest d{};
    d.device_len = 0;
    d.device = "";
    d.name_len = static_cast<std::int16_t>(sizeof kName - 1);
    d.name = name.get();
    d.descr_len = 0;
    d.descr = "";
    // Options A, B and C set: nothing of the device's own defaults is switched off.
    d.option_a = d.option_b = d.option_c = 1;
    s->names.push_back(std::move(name));
    s->dests.push_back(d);
  }
  s->entries.resize(s->dests.size());
  for (std::size_t i = 0; i < s->dests.size(); ++i) s->entries[i].dest = &s->dests[i];
  s->list.count = static_cast<std::int16_t>(s->entries.size());
  s->list.entries = s->entries.empty() ? nullptr : s->entries.data();
  return s;
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

collection_obj* self(void* object) { return static_cast<collection_obj*>(object); }

method_call call_on(void* object, int method, int count, wob_attr* attrs) {
  obj_base* o = static_cast<obj_base*>(object);
  return method_call(*o->sys, method, "collection", o->kind == okind::collection ? "" : "", count, attrs);
}

// Method 164: insert {0, text name}, {0, handle list} into an associative array, or
// append {0, record} to a list.
int m_insert(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = call_on(object, WOB_M_INSERT, count, attrs);
  collection_obj* o = self(object);
  if (o->assoc) {
    std::string name;
    void* list = nullptr;
    if (c.count() < 2 || !c.text(c.at(0), name) || !c.handle(c.at(1), list)) return c.error();
    const std::string key = upper(name);
    for (auto& [k, v] : o->named)
      if (k == key) {
        v = list;
        return 0;
      }
    o->named.emplace_back(key, list);
    return 0;
  }
  void* rec = nullptr;
  if (c.count() < 1 || !c.handle(c.at(0), rec)) return c.error();
  o->items.push_back(rec);
  return 0;
}

// Method 175: fetch the list of a name ({0, text}, {0, type 12 out}) or item k of a
// list ({0, type 3 k}, {0, type 7 out}).
int m_fetch(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = call_on(object, WOB_M_FETCH, count, attrs);
  collection_obj* o = self(object);
  if (c.count() < 2) return c.fail(kErrAttribute, msg::kMissing, "", 0);
  if (o->assoc) {
    std::string name;
    if (!c.text(c.at(0), name)) return c.error();
    const std::string key = upper(name);
    for (auto& [k, v] : o->named)
      if (k == key) {
        c.at(1).w.p = v;
        return 0;
      }
    return c.fail(kErrOrder, msg::kNoNamedList, name.c_str());
  }
  int k = 0;
  if (!c.integer(c.at(0), k)) return c.error();
  if (k < 1 || k > static_cast<int>(o->items.size()))
    return c.fail(kErrOrder, msg::kNoItem, "", k);
  c.at(1).w.p = o->items[static_cast<std::size_t>(k - 1)];
  return 0;
}

// Method 158: the number of items ({158, type 3} written back).
int m_count(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = call_on(object, WOB_M_COUNT, count, attrs);
  wob_attr* a = c.need(WOB_A_ITEM_COUNT);
  if (a == nullptr) return c.error();
  collection_obj* o = self(object);
  a->type = WOB_INT;
  a->i = static_cast<int>(o->assoc ? o->named.size() : o->items.size());
  return 0;
}

method_call manager_call(void* object, int method, int count, wob_attr* attrs) {
  obj_base* o = static_cast<obj_base*>(object);
  return method_call(*o->sys, method, "output manager", "", count, attrs);
}

}  // namespace

bool template_graphs() { return config().graphics == run_config::graphics_mode::template_graphs; }

int create_collection(output_system& sys, const std::string& cls, void** handle) {
  collection_obj* o = sys.make<collection_obj>(okind::collection, collection_class());
  if (o == nullptr) return kErrCreate;
  o->assoc = cls == "associativearray";
  *handle = o->handle;
  return 0;
}

const wob_class* collection_class() {
  static class_rec rec;
  static const wob_class* c =
      build_class(rec, nullptr, {{WOB_M_INSERT, m_insert}, {WOB_M_FETCH, m_fetch}, {WOB_M_COUNT, m_count}});
  return c;
}

int m_dest_list(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = manager_call(object, WOB_M_DEST_LIST, count, attrs);
  wob_attr* a = c.need(WOB_A_DEST_LIST);
  if (a == nullptr) return c.error();
  if (!g_hooked) {
    g_hooked = true;
    at_step_end([] {
      g_lists.clear();
      g_hooked = false;
    });
  }
  g_lists.push_back(make_list());
  a->w.p = &g_lists.back()->list;
  return 0;
}

int m_dest_release(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = manager_call(object, WOB_M_DEST_RELEASE, count, attrs);
  wob_attr* a = c.need(WOB_A_DEST_LIST);
  if (a == nullptr) return c.error();
  dest_store* s = store_of(a->w.p);
  if (s == nullptr) return c.fail(kErrHandle, msg::kNoDestList);
  std::erase_if(g_lists, [s](const std::unique_ptr<dest_store>& p) { return p.get() == s; });
  return 0;
}

// Method 4966: the graphs of every destination. Each graph was named on the listing
// as its file was written; here the table is checked against the destination list.
int m_publish(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = manager_call(object, WOB_M_PUBLISH, count, attrs);
  wob_attr* l = c.need(WOB_A_DEST_LIST);
  wob_attr* t = c.need(WOB_A_DEST_TABLE);
  if (l == nullptr || t == nullptr) return c.error();
  dest_store* s = store_of(l->w.p);
  if (s == nullptr) return c.fail(kErrHandle, msg::kNoDestList);
  const auto* table = static_cast<const host_destlist*>(t->w.p);
  if (table == nullptr || table->count != s->list.count) return c.fail(kErrAttribute, msg::kTableMismatch, "", -1);
  for (int d = 0; d < table->count; ++d) {
    const host_destentry& e = table->entries[d];
    const auto* items = static_cast<const wob_attr*>(e.items);
    if (e.count < 0 || (e.count > 0 && items == nullptr)) return c.fail(kErrAttribute, msg::kTableMismatch, "", d);
    for (int k = 0; k < e.count; ++k)
      if (items[k].type != WOB_RECORD || items[k].w.p == nullptr)
        return c.fail(kErrAttribute, msg::kTableMismatch, "", d);
  }
  return 0;
}

}  // namespace plat::out
