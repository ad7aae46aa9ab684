// Template graphs in the output system: method 2826 (one graph panel), the data
// objects kept for the panels, and where a panel goes: its SVG file, a line of the
// listing, an entry of the JSON file and the graph dump.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string_view>

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

// The folder of the run's graphs: --graphs, else the current one.
std::string graph_folder() { return config().graphs_dir.empty() ? std::string(".") : config().graphs_dir; }

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

void output_system::emit_graph(graph_panel& p) {
  p.context.groups = group_path();
  p.context.by = by_;
  const std::string name = p.name + std::to_string(++g_graph_numbers[p.name]) + ".svg";
  const std::string folder = graph_folder();
  const std::string path = folder == "." ? name : (std::filesystem::path(folder) / name).string();
  std::string why;
  if (g_draw != nullptr && g_draw(p, path, &why)) p.file = path;
  // The panel's dump only when there is a dump to write it to: made for every panel of
  // a run of many graphs, it was a good part of their time.
  if (!config().graph_dump_path.empty()) {
    graph_panel shown = p;
    shown.file = p.file.empty() ? std::string() : name;
    dump_append(dump_graph_panel(shown));
  }

  if (hooks_.listing) {
    std::vector<std::string> lines;
    line_sink page = [&lines](std::string_view l) { lines.emplace_back(l); };
    std::swap(hooks_.listing, page);
    print_context();
    std::swap(hooks_.listing, page);
    std::string line = "Graph: " + p.label + " (" + p.description + "): ";
    line += p.file.empty() ? "not drawn, " + why : name;
    lines.emplace_back("");
    lines.push_back(centred(line, hooks_.linesize, hooks_.centre));
    if (hooks_.keep_together) hooks_.keep_together(static_cast<int>(lines.size()));
    for (const std::string& l : lines) hooks_.listing(l);
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
  graph_panel p;
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
  if (!c.pairs(p.dynamics)) return c.error();
  if (wob_attr* al = c.find(WOB_A_DYNAMIC_LIST)) {
    if (al->type != WOB_LIST || (al->i > 0 && al->w.p == nullptr)) return c.fail_attr(kErrAttribute, msg::kType, *al);
    method_call list(sys, WOB_M_GRAPH_PANEL, "dynamic list", p.name, al->i, static_cast<wob_attr*>(al->w.p));
    if (!list.pairs(p.dynamics)) return list.error();
  }
  sys.emit_graph(p);
  return 0;
}

}  // namespace out
}  // namespace plat
