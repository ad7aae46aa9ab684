// The stand-in's output system of one step: the root object, output managers,
// tables, factoids, bound outputs and output groups, driven by the module through
// wobmth, and the two destinations (the listing and the JSON file) that emitted
// outputs go to.
#pragma once
#include <array>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/wob.h"
#include "kes_msg_names.h"
#include "output/graph_objects.h"
#include "output/handle_map.h"
#include "output/json_report.h"
#include "output/listing_render.h"
#include "output/report.h"

namespace plat::out {

// Negative results of output methods, besides WOB_NO_METHOD.
constexpr int kErrAttribute = static_cast<int>(0x80008002u);  // missing or mistyped attribute
constexpr int kErrOrder = static_cast<int>(0x80008003u);      // call out of order for the object
constexpr int kErrHandle = static_cast<int>(0x80008004u);     // not an object or text of this step
constexpr int kErrCreate = static_cast<int>(0x80008005u);     // no such class of object

// Catalogue set of the output system's messages.
constexpr int kMsgSet = KES_SET_HOST_OUTPUT;

// What the output system needs of the rest of the host.
struct hooks {
  line_sink listing;             // one listing line
  // Called with the line count of an output before its lines, so that an output that
  // fits on a page is not split across two.
  std::function<void(int)> keep_together;
  int linesize = 132;
  bool centre = true;  // tables, titles and headings centred on the line, else at its left margin
  // Writes catalogue entry (kMsgSet, number) to the log with its arguments.
  void (*log)(int number, ...) = nullptr;
};

class output_system;

enum class okind { root, manager, table, factoid, binding, group, collection };

// An object of the system. The module never sees its address: it holds `handle`,
// which reads as the handle class (handle_space.h); cls is the object's own class.
struct obj_base {
  const wob_class* cls;
  output_system* sys;
  okind kind;
  void* handle = nullptr;
};

struct group_obj : obj_base {
  group_info info;
  // The text handles it was opened with, freed with it: as many as a CLASS level's
  // group is opened with are kept in place (a group for each of many levels).
  std::array<void*, 4> texts{};
  std::vector<void*> more_texts;
  void add_text(void* t) {
    for (void*& slot : texts)
      if (slot == nullptr) {
        slot = t;
        return;
      }
    more_texts.push_back(t);
  }
  bool open = true;
  bool announced = false;  // its label is on the listing, or a heading covers it
  long heading_at_open = 0;
};

// A collection of the graph destinations: an associative array of lists by name
// (case-blind), or a list of records.
struct collection_obj : obj_base {
  bool assoc = false;
  std::vector<std::pair<std::string, void*>> named;  // upper-cased name, list handle
  std::vector<void*> items;
};

struct column_def {
  column_info info;
  const void* cell = nullptr;
  std::vector<dyn_value> dynamics;
};

struct binding_obj;

struct table_obj : obj_base {
  std::string name, label;
  void* name_handle = nullptr;
  void* label_handle = nullptr;
  int nrows = -1;
  std::vector<column_def> columns;
  std::vector<dyn_value> dynamics;
  bool defined = false;        // its definition has ended
  binding_obj* current = nullptr;  // the binding its rows go to
  int bindings = 0;            // its bound tables not emitted yet (they point to it)
};

struct binding_obj : obj_base {
  table_obj* table = nullptr;
  std::string template_name, description;
  std::vector<dyn_value> dynamics;
  std::vector<std::vector<cell>> rows;
  // The rows of a graph's data object go straight into its columns instead.
  std::shared_ptr<graph_table> graph;
  // Each column's cell, its text width (-1: a number) and the graph column it feeds,
  // found at the first row: a graph's rows come by the million.
  struct graph_cell {
    const void* cell;
    int text_width;
    graph_column* column;
  };
  std::vector<graph_cell> graph_cells;
  bool rows_ended = false;
};

struct factoid_obj : obj_base {
  std::string name, label, template_name;
  void* name_handle = nullptr;
  void* label_handle = nullptr;
  std::vector<factoid_pair> pairs;
  bool ended = false;
};

class output_system {
 public:
  // json may be null (no JSON output); it must outlive the system.
  output_system(hooks h, json_file* json);
  ~output_system();
  output_system(const output_system&) = delete;
  output_system& operator=(const output_system&) = delete;

  // The root object's handle; null when no handle could be had.
  void* root() { return root_ ? root_->handle : nullptr; }

  // BY variables and values that outputs from now on belong to (empty: none).
  void set_by(std::vector<std::pair<std::string, std::string>> by);

  const std::vector<std::pair<std::string, std::string>>& by() const { return by_; }
  // Heading lines as last set (line 1 first; gaps are empty).
  const std::vector<std::string>& heading() const { return heading_; }
  bool noprint() const { return noprint_; }
  // Group path of what would be emitted now, outermost first.
  std::vector<group_info> group_path() const;
  // The same into out, whose elements keep their room.
  void group_path(std::vector<group_info>& out) const;
  // Number of outputs emitted so far.
  int emitted() const { return emitted_; }

  // ---- used by the method routines ----
  const hooks& host() const { return hooks_; }
  // A new object with a handle of its own; nullptr when no handle can be had.
  template <class T>
  T* make(okind kind, const wob_class* cls) {
    void* handle = new_handle();
    if (handle == nullptr) return nullptr;
    auto p = std::make_unique<T>();
    p->cls = cls;
    p->sys = this;
    p->kind = kind;
    p->handle = handle;
    T* raw = p.get();
    live_.insert(handle, owned(p.release(), deleter{[](obj_base* o) { delete static_cast<T*>(o); }}));
    return raw;
  }
  // The object behind a handle when it is one of this system's of that kind.
  obj_base* lookup(const void* handle, okind kind) const;
  // The object behind a live handle of this system, of any kind; nullptr otherwise.
  obj_base* find(const void* handle) const;
  // Frees an object that is done with: its handle is refused from now on.
  void release(obj_base* o);
  std::size_t live_objects() const { return live_.size(); }
  // The system of the step now running, if any.
  static output_system* current();
  void open_group(group_obj* g);
  void close_group(group_obj* g);
  void set_heading_line(int line, std::string text);
  void truncate_heading(int count);
  void set_noprint(bool on) { noprint_ = on; }
  void new_page() { heading_printed_ = false; }
  // Sends a finished report to the listing and the JSON file.
  void emit(report& r);
  // A text output: opening writes the context lines to the listing; the listing lines
  // the print services write until it closes are its text, which then goes to the
  // JSON file. false when one is open already (open) or none is (close).
  bool open_text(std::string name, std::string label);
  bool close_text();
  bool text_open() const { return text_ != nullptr; }
  // Template graphs: a data object's rows kept under its bound table's handle for the
  // panels that draw from it, and a panel sent to the graph destinations (its file,
  // a listing line, a JSON entry, the dump).
  void keep_graph_table(const void* bound, std::shared_ptr<graph_table> t);
  std::shared_ptr<const graph_table> graph_table_of(const void* bound) const;
  void emit_graph(graph_panel& p);
  // A device graph's JSON entry, in the shape of a template graph's (no template).
  void device_graph_entry(const std::string& name, const std::string& file);

 private:
  struct deleter {
    void (*of_kind)(obj_base*) = nullptr;
    void operator()(obj_base* o) const { of_kind(o); }
  };
  using owned = std::unique_ptr<obj_base, deleter>;
  void print_context();
  static void* new_handle();

  hooks hooks_;
  json_file* json_;
  handle_map<owned> live_;
  // The object found last: a graph's rows call the same object millions of times.
  mutable const void* found_handle_ = nullptr;
  mutable obj_base* found_ = nullptr;
  obj_base* root_ = nullptr;
  std::vector<group_obj*> groups_;
  std::vector<std::string> heading_;
  long heading_serial_ = 0;     // counts heading changes
  bool heading_printed_ = false;
  bool noprint_ = false;
  std::vector<std::pair<std::string, std::string>> by_;
  bool by_printed_ = true;
  int emitted_ = 0;
  std::unique_ptr<report> text_;  // the open text output
  // By bound handle, with the depth of output groups it was emitted in: a table goes
  // when that group closes, as the graphs drawn from it are written by then.
  struct kept_table {
    std::shared_ptr<graph_table> table;
    std::size_t depth = 0;
  };
  std::unordered_map<const void*, kept_table> graph_tables_;
};

// A class of the output system with its method table (static storage).
struct class_rec {
  wob_class cls{};
  std::vector<wob_descr> descrs;
  std::vector<wob_mentry> entries;
  std::vector<wob_mentry*> buckets;
};
// Fills rec as a class with those methods (bucket = mask AND id) and the system's
// generic operation; returns its class.
const wob_class* build_class(class_rec& rec, const wob_class* parent,
                             std::initializer_list<std::pair<int, wob_routine>> methods, unsigned mask = 15);

const char* kind_name(okind k);
std::string object_name(const obj_base* o);

// The classes of the output system's objects.
const wob_class* root_class();
const wob_class* manager_class();
const wob_class* table_class();
const wob_class* factoid_class();
const wob_class* binding_class();
const wob_class* group_class();
// The class every handle reads as: each of its routines finds the handle's object and
// calls the object's own class, or refuses a handle whose object is gone.
const wob_class* handle_class();
// Gives the handle class an entry for method number id (build_class does, for each
// method of each class).
void add_handle_method(int id);

// Method 2826 of the output manager: one graph panel (graph_methods.cpp).
int m_graph_panel(void* object, void*, void*, int count, wob_attr* attrs);
// Graph destinations (graph_destinations.cpp): creating a collection (method 147 of
// family "collection"), the manager's destination methods, the collections' class,
// and the manager's answer whether it draws template graphs.
int create_collection(output_system& sys, const std::string& cls, void** handle);
int m_dest_list(void* object, void*, void*, int count, wob_attr* attrs);
int m_publish(void* object, void*, void*, int count, wob_attr* attrs);
int m_dest_release(void* object, void*, void*, int count, wob_attr* attrs);
const wob_class* collection_class();
bool template_graphs();

// Methods of the output manager for text outputs (text_outputs.cpp).
int m_text_open(void* object, void*, void*, int count, wob_attr* attrs);
int m_text_close(void* object, void*, void*, int count, wob_attr* attrs);

// Catalogue number (set kMsgSet) of the text for a negative result, or 0.
int result_message(int result);

}  // namespace plat::out
