// The output system of a step: object bookkeeping, groups, headings, the emit path,
// and the methods of the root object and the output manager.
#include "output/output_system.h"

#include "core/runtime.h"

#include <algorithm>

#include "output/handle_space.h"
#include "output/method_call.h"
#include "output/output_messages.h"
#include "output/templates.h"
#include "output/text_store.h"

namespace plat::out {

const char* kind_name(okind k) {
  switch (k) {
    case okind::root: return "root output object";
    case okind::manager: return "output manager";
    case okind::table: return "table";
    case okind::factoid: return "factoid";
    case okind::binding: return "bound table";
    case okind::group: return "output group";
    case okind::collection: return "collection";
  }
  return "object";
}

std::string object_name(const obj_base* o) {
  switch (o->kind) {
    case okind::table: return static_cast<const table_obj*>(o)->name;
    case okind::factoid: return static_cast<const factoid_obj*>(o)->name;
    case okind::binding: {
      const table_obj* t = static_cast<const binding_obj*>(o)->table;
      return t ? t->name : std::string();
    }
    case okind::group: return static_cast<const group_obj*>(o)->info.name;
    default: return std::string();
  }
}

// ---- the system ----

namespace {
output_system* g_current = nullptr;
}  // namespace

output_system::output_system(hooks h, json_file* json) : hooks_(std::move(h)), json_(json) {
  root_ = make<obj_base>(okind::root, root_class());
  g_current = this;
}

output_system::~output_system() {
  // A text output still open when the step ends takes its copy of the lines along.
  if (text_) print_set_tap({});
  if (g_current == this) g_current = nullptr;
}

output_system* output_system::current() { return g_current; }

void* output_system::new_handle() { return output_handles().next(); }

obj_base* output_system::find(const void* handle) const {
  if (handle != nullptr && handle == found_handle_) return found_;
  const owned* o = live_.find(handle);
  if (o == nullptr) return nullptr;
  found_handle_ = handle;
  return found_ = o->get();
}

obj_base* output_system::lookup(const void* handle, okind kind) const {
  obj_base* o = find(handle);
  return o != nullptr && o->kind == kind ? o : nullptr;
}

void output_system::release(obj_base* o) {
  if (o == root_) return;
  if (o->kind == okind::group) {
    auto* g = static_cast<group_obj*>(o);
    std::erase(groups_, g);
    for (void* t : g->texts)
      if (t != nullptr) free_text(t);
    for (void* t : g->more_texts) free_text(t);
  }
  if (o->kind == okind::binding) --static_cast<binding_obj*>(o)->table->bindings;
  if (o->handle == found_handle_) found_handle_ = found_ = nullptr;
  live_.erase(o->handle);
}

void output_system::set_by(std::vector<std::pair<std::string, std::string>> by) {
  if (by == by_) return;
  by_ = std::move(by);
  by_printed_ = by_.empty();
  heading_printed_ = false;
}

std::vector<group_info> output_system::group_path() const {
  std::vector<group_info> path;
  group_path(path);
  return path;
}

void output_system::group_path(std::vector<group_info>& out) const {
  out.resize(groups_.size());
  for (std::size_t i = 0; i < groups_.size(); ++i) out[i] = groups_[i]->info;
}

void output_system::open_group(group_obj* g) {
  g->heading_at_open = heading_serial_;
  groups_.push_back(g);
}

void output_system::close_group(group_obj* g) {
  if (!g->open) return;
  // Closing a group closes the groups opened inside it as well.
  auto it = std::find(groups_.begin(), groups_.end(), g);
  if (it == groups_.end()) {
    g->open = false;
    return;
  }
  for (auto j = it; j != groups_.end(); ++j) (*j)->open = false;
  groups_.erase(it, groups_.end());
  // The data objects of the graphs of the closed groups are done with.
  std::erase_if(graph_tables_, [this](const auto& kept) { return kept.second.depth > groups_.size(); });
}

void output_system::set_heading_line(int line, std::string text) {
  if (line < 1 || line > 1000) return;
  if (heading_.size() < static_cast<std::size_t>(line)) heading_.resize(line);
  if (heading_[line - 1] == text) return;
  heading_[line - 1] = std::move(text);
  ++heading_serial_;
  heading_printed_ = false;
}

void output_system::truncate_heading(int count) {
  std::size_t keep = count > 1 ? static_cast<std::size_t>(count - 1) : 0;
  if (heading_.size() <= keep) return;
  heading_.resize(keep);
  ++heading_serial_;
  heading_printed_ = false;
}

void output_system::print_context() {
  const line_sink& out = hooks_.listing;
  if (!by_printed_) {
    std::string text;
    for (const auto& [name, value] : by_) text += (text.empty() ? "" : " ") + name + "=" + value;
    std::string line = " " + text + " ";
    int w = hooks_.linesize;
    if (static_cast<int>(line.size()) < w) {
      std::size_t left = (w - line.size()) / 2;
      line = std::string(left, '-') + line + std::string(w - left - line.size(), '-');
    }
    out("");
    out(line);
    by_printed_ = true;
  }
  if (!noprint_ && !heading_printed_ && !heading_.empty()) {
    out("");
    for (const auto& h : heading_) out(centred(h, hooks_.linesize, hooks_.centre));
    heading_printed_ = true;
  }
  for (group_obj* g : groups_) {
    if (g->announced) continue;
    g->announced = true;
    // A heading written inside the group already says where the output stands.
    if (heading_serial_ > g->heading_at_open || g->info.label.empty()) continue;
    out("");
    out(centred(g->info.label, hooks_.linesize, hooks_.centre));
  }
}

void output_system::emit(report& r) {
  r.context.groups = group_path();
  r.context.by = by_;
  if (hooks_.listing) {
    // Gather the context lines and the table, then write them as one block.
    std::vector<std::string> lines;
    line_sink page = [&lines](std::string_view l) { lines.emplace_back(l); };
    std::swap(hooks_.listing, page);
    print_context();
    render_listing(r, find_template(r.template_name), hooks_.linesize, hooks_.listing, hooks_.centre);
    std::swap(hooks_.listing, page);
    if (hooks_.keep_together) hooks_.keep_together(static_cast<int>(lines.size()));
    for (const std::string& l : lines) hooks_.listing(l);
  }
  if (json_ != nullptr && json_->is_open()) json_->add_output(report_json(r));
  ++emitted_;
}

int result_message(int result) {
  switch (result) {
    case WOB_NO_METHOD: return msg::kResultNoMethod;
    case kErrAttribute: return msg::kResultAttribute;
    case kErrOrder: return msg::kResultOrder;
    case kErrHandle: return msg::kResultHandle;
    case kErrCreate: return msg::kResultCreate;
    default: return 0;
  }
}

// ---- methods ----
namespace {

obj_base* self_of(void* object) { return static_cast<obj_base*>(object); }

method_call call_on(void* object, int method, int count, wob_attr* attrs) {
  obj_base* o = self_of(object);
  return method_call(*o->sys, method, kind_name(o->kind), object_name(o), count, attrs);
}

// The record that receives a new handle.
wob_attr* out_record(method_call& c, int id) {
  wob_attr* a = c.need(id);
  if (a != nullptr && a->type != WOB_OUT) {
    c.fail_attr(kErrAttribute, msg::kType, *a);
    return nullptr;
  }
  return a;
}

// Optional text attribute: absent leaves out unchanged.
bool opt_text(method_call& c, int id, std::string& out, void** handle = nullptr) {
  wob_attr* a = c.find(id);
  if (a == nullptr) return true;
  if (handle != nullptr && a->type == WOB_TEXT) *handle = a->w.p;
  return c.text(*a, out);
}

bool opt_int(method_call& c, int id, int& out) {
  wob_attr* a = c.find(id);
  return a == nullptr || c.integer(*a, out);
}

// Method 147: create a manager, a table ("data") or a factoid.
int m_create(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = call_on(object, WOB_M_CREATE, count, attrs);
  output_system& sys = c.sys();
  std::string family, cls;
  wob_attr* af = c.need(WOB_A_FAMILY);
  wob_attr* ac = c.need(WOB_A_CLASS);
  wob_attr* out = out_record(c, WOB_A_HANDLE);
  if (!af || !ac || !out) return c.error();
  if (!c.text(*af, family) || !c.text(*ac, cls)) return c.error();
  if (family == "collection") {
    if (cls != "list" && cls != "associativearray") return c.fail(kErrCreate, msg::kNoClass, (family + "." + cls).c_str());
    if (create_collection(sys, cls, &out->w.p) != 0) return c.fail(kErrCreate, msg::kNoHandle);
    return 0;
  }
  if (family != "vem") return c.fail(kErrCreate, msg::kNoClass, (family + "." + cls).c_str());
  if (cls == "manager") {
    obj_base* m = sys.make<obj_base>(okind::manager, manager_class());
    if (m == nullptr) return c.fail(kErrCreate, msg::kNoHandle);
    int noprint = 0;
    if (!opt_int(c, WOB_A_STEP_NOPRINT, noprint)) return c.error();
    if (noprint) sys.set_noprint(true);
    out->w.p = m->handle;
    return 0;
  }
  if (cls == "data") {
    table_obj* t = sys.make<table_obj>(okind::table, table_class());
    if (t == nullptr) return c.fail(kErrCreate, msg::kNoHandle);
    if (!opt_text(c, WOB_A_NAME, t->name, &t->name_handle) || !opt_text(c, WOB_A_LABEL, t->label, &t->label_handle) ||
        !opt_int(c, WOB_A_ROWS, t->nrows))
      return c.error();
    out->w.p = t->handle;
    return 0;
  }
  if (cls == "factoid") {
    factoid_obj* f = sys.make<factoid_obj>(okind::factoid, factoid_class());
    if (f == nullptr) return c.fail(kErrCreate, msg::kNoHandle);
    if (!opt_text(c, WOB_A_NAME, f->name, &f->name_handle) || !opt_text(c, WOB_A_LABEL, f->label, &f->label_handle) ||
        !opt_text(c, WOB_A_TEMPLATE, f->template_name))
      return c.error();
    out->w.p = f->handle;
    return 0;
  }
  return c.fail(kErrCreate, msg::kNoClass, (family + "." + cls).c_str());
}

// Formatted levels come blank-padded on either side.
std::string trim_blanks(const std::string& s) {
  std::size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return std::string();
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// Method 300: open an output group inside the innermost open one.
int m_group(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = call_on(object, WOB_M_GROUP, count, attrs);
  wob_attr* out = out_record(c, WOB_A_HANDLE);
  if (!out) return c.error();
  group_obj* g = c.sys().make<group_obj>(okind::group, group_class());
  if (g == nullptr) return c.fail(kErrCreate, msg::kNoHandle);
  if (!opt_text(c, WOB_A_NAME, g->info.name) || !opt_text(c, WOB_A_LABEL, g->info.label) ||
      !opt_text(c, WOB_A_GROUP_KIND, g->info.kind))
    return c.error();
  // The texts it was opened with are the group's: a group of every CLASS level must
  // not leave four texts behind for each level.
  for (int i = 0; i < c.count(); ++i)
    if (c.at(i).type == WOB_TEXT && c.at(i).w.p != nullptr) g->add_text(c.at(i).w.p);
  g->info.name = trim_blanks(g->info.name);
  g->info.label = trim_blanks(g->info.label);
  // A CLASS level group carries the level's formatted lengths.
  g->info.class_level =
      g->info.kind != "VarName" && (c.find(WOB_A_DECIMALS) != nullptr || c.find(WOB_A_WIDTH) != nullptr);
  c.sys().open_group(g);
  out->w.p = g->handle;
  return 0;
}

// Method 439: heading lines. The first record is the caller's scratch and is skipped.
int m_heading(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = call_on(object, WOB_M_HEADING, count, attrs);
  int line = 0, lines = 0;
  std::string text;
  bool has_line = false, has_count = false;
  for (int i = 1; i < c.count(); ++i) {
    wob_attr& a = c.at(i);
    switch (a.id) {
      case WOB_A_LINE_NUMBER:
        if (!c.integer(a, line)) return c.error();
        has_line = true;
        break;
      case WOB_A_LINE_COUNT:
        if (!c.integer(a, lines)) return c.error();
        has_count = true;
        break;
      case WOB_A_HEADING_TEXT:
        if (!c.text(a, text)) return c.error();
        break;
      default:
        break;  // WOB_A_MINUS_ONE, WOB_A_FIRST_LINE: presentation hints the listing does not need
    }
  }
  if (has_count) c.sys().truncate_heading(lines);
  if (has_line) c.sys().set_heading_line(line, text);
  return 0;
}

// Method 431: WOB_A_NOPRINT = 1 when the step prints nothing.
int m_noprint(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = call_on(object, WOB_M_NOPRINT, count, attrs);
  int v = 0;
  if (!opt_int(c, WOB_A_NOPRINT, v)) return c.error();
  c.sys().set_noprint(v == 1);
  return 0;
}

// Method 435: a new grouping of the listing; the heading is shown again.
int m_grouping(void* object, void*, void*, int, wob_attr*) {
  self_of(object)->sys->new_page();
  return 0;
}

// Method 422: bind a table to a template. The first handle record receives the
// bound table, the second holds the table.
int m_bind(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = call_on(object, WOB_M_BIND, count, attrs);
  output_system& sys = c.sys();
  int first = -1, second = -1;
  for (int i = 0; i < c.count() && second < 0; ++i) {
    if (c.at(i).type != WOB_OUT) continue;
    (first < 0 ? first : second) = i;
  }
  if (second < 0) return c.fail(kErrAttribute, msg::kNotObject, "a record for the bound table and a table");
  auto* t = static_cast<table_obj*>(sys.lookup(c.at(second).w.p, okind::table));
  if (t == nullptr) return c.fail(kErrHandle, msg::kNotObject, "a table");
  method_call ct(sys, WOB_M_BIND, "table", t->name, count, attrs);
  if (!t->defined) return ct.fail(kErrOrder, msg::kBindEarly);
  binding_obj* b = sys.make<binding_obj>(okind::binding, binding_class());
  if (b == nullptr) return ct.fail(kErrCreate, msg::kNoHandle);
  b->table = t;
  ++t->bindings;
  wob_attr* tp = ct.need(WOB_A_TEMPLATE);
  if (!tp || !ct.text(*tp, b->template_name)) return ct.error();
  if (!ct.pairs(b->dynamics) || !opt_text(ct, WOB_A_DESCRIPTION, b->description)) return ct.error();
  if (wob_attr* slot = ct.find(WOB_A_BINDING_SLOT)) {
    void* p = nullptr;
    if (!ct.handle(*slot, p)) return ct.error();
    if (p != nullptr) *static_cast<void**>(p) = b->handle;
  }
  if (is_graph_data(b->template_name)) {
    b->graph = std::make_shared<graph_table>();
    b->graph->name = t->name;
    b->graph->template_name = b->template_name;
    for (const auto& col : t->columns) b->graph->columns.push_back(col.info);
  }
  t->current = b;
  c.at(first).w.p = b->handle;
  return 0;
}

report table_report(const binding_obj* b) {
  const table_obj* t = b->table;
  report r;
  r.name = t->name;
  r.label = t->label;
  r.template_name = b->template_name;
  r.description = b->description;
  r.dynamics = t->dynamics;
  r.dynamics.insert(r.dynamics.end(), b->dynamics.begin(), b->dynamics.end());
  for (const auto& col : t->columns) r.columns.push_back(col.info);
  r.rows = b->rows;
  return r;
}

// Method 428: emit a bound table (first handle record); WOB_A_FOOTNOTE adds a footnote.
int m_emit(void* object, void*, void*, int count, wob_attr* attrs) {
  method_call c = call_on(object, WOB_M_EMIT, count, attrs);
  output_system& sys = c.sys();
  wob_attr* h = nullptr;
  for (int i = 0; i < c.count() && !h; ++i)
    if (c.at(i).type == WOB_OUT) h = &c.at(i);
  auto* b = h ? static_cast<binding_obj*>(sys.lookup(h->w.p, okind::binding)) : nullptr;
  if (b == nullptr) return c.fail(kErrHandle, msg::kNotObject, "a bound table");
  method_call cb(sys, WOB_M_EMIT, "bound table", b->table->name, count, attrs);
  std::vector<std::string> footnotes;
  for (int i = 0; i < c.count(); ++i) {
    if (c.at(i).id != WOB_A_FOOTNOTE) continue;
    std::string note;
    if (!cb.text(c.at(i), note)) return cb.error();
    if (!note.empty()) footnotes.push_back(note);
  }
  if (b->table->current == b) b->table->current = nullptr;
  // The data object of a template graph goes to the graphs that draw from it, as the
  // columns its rows were put in.
  if (b->graph != nullptr) {
    sys.keep_graph_table(b->handle, std::move(b->graph));
    sys.release(b);
    return 0;
  }
  report r = table_report(b);
  r.footnotes = std::move(footnotes);
  // An emitted table is done with: it goes, so that a step of many BY groups does
  // not keep every group's tables until it ends. Its handle is refused from now on.
  sys.release(b);
  sys.emit(r);
  return 0;
}

// A factoid is emitted when it is closed, and then freed.
int emit_factoid(factoid_obj* f) {
  output_system* sys = f->sys;
  report r;
  r.factoid = true;
  r.name = f->name;
  r.label = f->label;
  r.template_name = f->template_name;
  r.pairs = std::move(f->pairs);
  sys->release(f);
  sys->emit(r);
  return 0;
}

// The generic operation of every class: 2 reads attributes back, 4 closes.
int generic_op(void* object, void*, int op, int arg, void* ptr) {
  obj_base* o = self_of(object);
  method_call c(*o->sys, op, kind_name(o->kind), object_name(o), arg, static_cast<wob_attr*>(ptr));
  if (op == WOB_OP_CLOSE) {
    if (o->kind == okind::factoid) return emit_factoid(static_cast<factoid_obj*>(o));
    // A closed collection of graph lists goes with the lists it holds: a chart's
    // collections must not stay until the step ends.
    if (o->kind == okind::collection) {
      std::vector<void*> lists;
      for (const auto& [name, list] : static_cast<collection_obj*>(o)->named) lists.push_back(list);
      for (void* h : lists)
        if (obj_base* l = o->sys->lookup(h, okind::collection)) o->sys->release(l);
      o->sys->release(o);
      return 0;
    }
    // A closed group is done with; groups closed with it stay until their own close.
    if (o->kind == okind::group) {
      o->sys->close_group(static_cast<group_obj*>(o));
      o->sys->release(o);
      return 0;
    }
    // A closed table definition can no longer be bound, so it goes: tables made
    // afresh for every BY group must not stay until the step ends. Its bound tables
    // read its columns when emitted, so it stays while one of them is waiting.
    if (o->kind == okind::table) {
      if (static_cast<table_obj*>(o)->bindings > 0) return c.fail(kErrOrder, msg::kCloseBound);
      o->sys->release(o);
    }
    return 0;
  }
  // The manager says whether it draws template graphs (the run's --graphics).
  if (op == WOB_OP_GET_ATTR && o->kind == okind::manager) {
    for (int i = 0; i < c.count(); ++i) {
      wob_attr& a = c.at(i);
      if (a.id != WOB_A_TEMPLATE_GRAPHS) return c.fail(kErrAttribute, msg::kNoReadBack, "", a.id);
      a.type = WOB_LAST;
      a.last.i = template_graphs() ? 1 : 0;
    }
    return 0;
  }
  if (op == WOB_OP_GET_ATTR && (o->kind == okind::table || o->kind == okind::factoid)) {
    const bool table = o->kind == okind::table;
    auto* t = static_cast<table_obj*>(o);
    auto* f = static_cast<factoid_obj*>(o);
    for (int i = 0; i < c.count(); ++i) {
      wob_attr& a = c.at(i);
      void** handle = nullptr;
      const std::string* text = nullptr;
      if (a.id == WOB_A_LABEL) {
        handle = table ? &t->label_handle : &f->label_handle;
        text = table ? &t->label : &f->label;
      } else if (a.id == WOB_A_NAME) {
        handle = table ? &t->name_handle : &f->name_handle;
        text = table ? &t->name : &f->name;
      } else {
        return c.fail(kErrAttribute, msg::kNoReadBack, "", a.id);
      }
      if (*handle == nullptr || text_of(*handle) == nullptr) *handle = make_text(*text);
      a.type = WOB_TEXT;
      a.w.p = *handle;
    }
    return 0;
  }
  return c.fail(kErrOrder, msg::kUnknownOp);
}

// ---- classes ----

// Both the root object and the manager create objects.
const wob_class* base_class() {
  static class_rec rec;
  static const wob_class* c = build_class(rec, nullptr, {{WOB_M_CREATE, m_create}});
  return c;
}

}  // namespace

const wob_class* build_class(class_rec& rec, const wob_class* parent,
                             std::initializer_list<std::pair<int, wob_routine>> methods, unsigned mask) {
  rec.descrs.reserve(methods.size());
  rec.entries.reserve(methods.size());
  rec.buckets.assign(mask + 1, nullptr);
  for (const auto& [id, fn] : methods) {
    rec.descrs.push_back({fn, nullptr});
    rec.entries.push_back({nullptr, nullptr, &rec.descrs.back(), id});
    // Append, so that an earlier entry with the same id stays first.
    wob_mentry** slot = &rec.buckets[mask & static_cast<unsigned>(id)];
    while (*slot) slot = &(*slot)->next;
    *slot = &rec.entries.back();
    add_handle_method(id);
  }
  rec.cls.generic = generic_op;
  rec.cls.generic_data = nullptr;
  rec.cls.parent = parent;
  rec.cls.table = rec.buckets.data();
  rec.cls.mask = mask;
  return &rec.cls;
}

const wob_class* root_class() {
  static class_rec rec;
  static const wob_class* c = build_class(rec, base_class(), {});
  return c;
}

const wob_class* manager_class() {
  static class_rec rec;
  static const wob_class* c = build_class(rec, base_class(),
                                    {{WOB_M_GROUP, m_group},
                                     {WOB_M_HEADING, m_heading},
                                     {WOB_M_NOPRINT, m_noprint},
                                     {WOB_M_GROUPING, m_grouping},
                                     {WOB_M_BIND, m_bind},
                                     {WOB_M_EMIT, m_emit},
                                     {WOB_M_GRAPH_PANEL, m_graph_panel},
                                     {WOB_M_TEXT_OPEN, m_text_open},
                                     {WOB_M_TEXT_CLOSE, m_text_close},
                                     {WOB_M_DEST_LIST, m_dest_list},
                                     {WOB_M_PUBLISH, m_publish},
                                     {WOB_M_DEST_RELEASE, m_dest_release}});
  return c;
}

const wob_class* binding_class() {
  static class_rec rec;
  static const wob_class* c = build_class(rec, nullptr, {});
  return c;
}

const wob_class* group_class() {
  static class_rec rec;
  static const wob_class* c = build_class(rec, nullptr, {});
  return c;
}

}  // namespace plat::out
