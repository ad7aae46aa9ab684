// Template graphs in the output system: method 2826 (one graph panel), the data
// objects kept for the panels, and where a panel goes: its SVG file, a line of the
// listing, an entry of the JSON file and the graph dump.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>
#include <vector>

#include "core/runtime.h"
#include "output/method_call.h"
#include "output/output_api.h"
#include "output/output_messages.h"
#include "output/output_system.h"

namespace plat {
namespace {

panel_drawer g_draw = nullptr;

// Graph files made in this run, per output name, for their numbers.
std::map<std::string, int> g_graph_numbers;

// The graph dump, open from the run's start to its end: opened once, so that a FIFO's
// reader sees one writer and one end of file. A dump not begun by the run (a caller
// that only sets the path) is appended to.
std::FILE* g_dump = nullptr;
std::string g_dump_path;

void dump_failed() {
  report_file_failure("graph dump", config().graph_dump_path, std::strerror(errno != 0 ? errno : EIO));
}

void open_dump(const char* mode) {
  output_end_graphs();
  g_dump_path = config().graph_dump_path;
  if (g_dump_path.empty()) return;
  errno = 0;
  g_dump = std::fopen(g_dump_path.c_str(), mode);
  if (g_dump == nullptr) dump_failed();
}

void dump_append(std::string_view text) {
  if (g_dump == nullptr || g_dump_path != config().graph_dump_path) open_dump("ab");
  if (g_dump == nullptr) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), g_dump) != text.size() || std::fflush(g_dump) != 0) {
    dump_failed();
    std::clearerr(g_dump);
  }
}

}  // namespace

void output_set_panel_drawer(panel_drawer draw) { g_draw = draw; }

void output_begin_graphs() {
  g_graph_numbers.clear();
  open_dump("wb");
}

void output_end_graphs() {
  if (g_dump == nullptr) return;
  errno = 0;
  if (std::fclose(g_dump) != 0) dump_failed();
  g_dump = nullptr;
}

namespace out {

void output_system::keep_graph_table(const void* bound, std::shared_ptr<graph_table> t) {
  if (!config().graph_dump_path.empty()) dump_graph_table(*t, dump_append);
  graph_tables_[bound] = kept_table{std::move(t), groups_.size()};
}

std::shared_ptr<const graph_table> output_system::graph_table_of(const void* bound) const {
  auto it = graph_tables_.find(bound);
  return it == graph_tables_.end() ? nullptr : it->second.table;
}

namespace {

// What a panel's emit writes, kept from one panel to the next so that a run of many
// pages makes its texts and lists once: the file's name and path, and the listing
// lines (the first `count` hold this panel's).
struct emit_buffers {
  std::string name, path, line;
  std::vector<std::string> lines;
  std::size_t count = 0;
  void add_line(std::string_view l) {
    if (count == lines.size()) lines.emplace_back();
    lines[count++].assign(l);
  }
};
emit_buffers g_emit;

}  // namespace

void output_system::emit_graph(graph_panel& p) {
  group_path(p.context.groups);
  p.context.by = by_;
  emit_buffers& e = g_emit;
  e.name.assign(p.name);
  e.name += std::to_string(++g_graph_numbers[p.name]);
  e.name += ".svg";
  // The folder of the run's graphs (--graphs, else the current one) and the name, with
  // one separator between them, as a path would join them.
  const std::string& folder = config().graphs_dir;
  if (folder.empty() || folder == ".") {
    e.path.assign(e.name);
  } else {
    e.path.assign(folder);
    if (folder.back() != '/') e.path += '/';
    e.path += e.name;
  }
  std::string why;
  if (g_draw != nullptr && g_draw(p, e.path, &why)) p.file = e.path;
  const std::string& name = e.name;
  // The panel's dump only when there is a dump to write it to: made for every panel of
  // a run of many graphs, it was a good part of their time.
  if (!config().graph_dump_path.empty()) {
    graph_panel shown = p;
    shown.file = p.file.empty() ? std::string() : name;
    dump_append(dump_graph_panel(shown));
  }

  if (hooks_.listing) {
    e.count = 0;
    line_sink page = [&e](std::string_view l) { e.add_line(l); };
    std::swap(hooks_.listing, page);
    print_context();
    std::swap(hooks_.listing, page);
    e.line.assign("Graph: ");
    e.line += p.label;
    e.line += " (";
    e.line += p.description;
    e.line += "): ";
    if (p.file.empty()) {
      e.line += "not drawn, ";
      e.line += why;
    } else {
      e.line += name;
    }
    e.add_line("");
    if (e.count == e.lines.size()) e.lines.emplace_back();
    centred_into(e.lines[e.count++], e.line, hooks_.linesize, hooks_.centre);
    if (hooks_.keep_together) hooks_.keep_together(static_cast<int>(e.count));
    for (std::size_t i = 0; i < e.count; ++i) hooks_.listing(e.lines[i]);
  }
  if (json_ != nullptr && json_->is_open()) {
    json_->add_output("{\"kind\": \"graph\", \"name\": " + json_string(p.name) +
                      ", \"template\": " + json_string(p.template_name) +
                      ", \"file\": " + (p.file.empty() ? std::string("null") : json_string(p.file)) + "}");
  }
  ++emitted_;
}

void output_system::device_graph_entry(const std::string& name, const std::string& file) {
  if (json_ == nullptr || !json_->is_open()) return;
  json_->add_output("{\"kind\": \"graph\", \"name\": " + json_string(name) + ", \"template\": null, \"file\": " +
                    json_string(file) + "}");
}

// Method 2826: a graph panel. In order: 138 output name, 296 label, 310 description,
// 339 graph template, 2829 the bound tables, inline dynamic pairs, and 174 the list
// of dynamic pairs.
int m_graph_panel(void* object, void*, void*, int count, wob_attr* attrs) {
  auto* self = static_cast<obj_base*>(object);
  method_call c(*self->sys, WOB_M_GRAPH_PANEL, kind_name(self->kind), "", count, attrs);
  output_system& sys = c.sys();
  // One panel at a time, its texts and lists kept for the next: a run of many pages
  // makes them once. Its tables go as soon as it is out.
  static graph_panel p;
  struct drop_tables {
    ~drop_tables() { p.tables.clear(); }
  } drop;
  p.label.clear();
  p.description.clear();
  p.tables.clear();
  p.file.clear();
  wob_attr* an = c.need(WOB_A_NAME);
  wob_attr* at = c.need(WOB_A_TEMPLATE);
  wob_attr* ab = c.need(WOB_A_BOUND_TABLES);
  if (!an || !at || !ab || !c.text(*an, p.name) || !c.text(*at, p.template_name)) return c.error();
  if (wob_attr* a = c.find(WOB_A_LABEL); a && !c.text(*a, p.label)) return c.error();
  if (wob_attr* a = c.find(WOB_A_DESCRIPTION); a && !c.text(*a, p.description)) return c.error();
  if (ab->type != WOB_COUNTED || (ab->i > 0 && ab->w.p == nullptr)) return c.fail_attr(kErrAttribute, msg::kType, *ab);
  const auto* bound = static_cast<void* const*>(ab->w.p);
  for (int i = 0; i < ab->i; ++i) {
    std::shared_ptr<const graph_table> t = sys.graph_table_of(bound[i]);
    if (t == nullptr) return c.fail(kErrHandle, msg::kNotObject, "an emitted data object of a graph");
    p.tables.push_back(std::move(t));
  }
  // The dynamics are written over the last panel's, and the rest dropped at the end.
  std::size_t dynamics = 0;
  if (!c.pairs(p.dynamics, &dynamics)) return c.error();
  if (wob_attr* al = c.find(WOB_A_DYNAMIC_LIST)) {
    if (al->type != WOB_LIST || (al->i > 0 && al->w.p == nullptr)) return c.fail_attr(kErrAttribute, msg::kType, *al);
    method_call list(sys, WOB_M_GRAPH_PANEL, "dynamic list", p.name, al->i, static_cast<wob_attr*>(al->w.p));
    if (!list.pairs(p.dynamics, &dynamics)) return list.error();
  }
  p.dynamics.resize(dynamics);
  sys.emit_graph(p);
  return 0;
}

}  // namespace out
}  // namespace plat
