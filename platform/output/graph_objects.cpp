// Data objects and panels of template graphs, and their dump.
#include "output/graph_objects.h"

#include <cstdlib>

#include "core/number_text.h"

namespace plat::out {
namespace {

std::string quoted(const std::string& s) {
  std::string o = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') o += '\\';
    o += c;
  }
  return o + "\"";
}

std::string number_text(double v) { return missing_kind(v) ? missing_text(v) : shortest_text(v); }

std::string value_text(const dyn_value& d) {
  if (d.is_text) return quoted(d.text) + " (text)";
  if (d.is_bool) return number_text(d.num) + " (boolean)";
  if (d.is_int) return number_text(d.num) + " (int)";
  return number_text(d.num) + " (double)";
}

}  // namespace

int graph_table::column(const std::string& n) const {
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (columns[i].name == n) return static_cast<int>(i);
  return -1;
}

const dyn_value* graph_panel::dynamic(const std::string& n) const {
  const dyn_value* found = nullptr;
  for (const auto& d : dynamics)
    if (d.name == n) found = &d;
  return found;
}

std::string graph_panel::text(const std::string& n, const std::string& otherwise) const {
  const dyn_value* d = dynamic(n);
  if (d == nullptr) return otherwise;
  return d->is_text ? d->text : shortest_text(d->num);
}

double graph_panel::number(const std::string& n, double otherwise) const {
  const dyn_value* d = dynamic(n);
  if (d == nullptr) return otherwise;
  if (!d->is_text) return d->num;
  char* end = nullptr;
  const double v = std::strtod(d->text.c_str(), &end);
  return end != d->text.c_str() ? v : otherwise;
}

bool graph_panel::flag(const std::string& n) const {
  const dyn_value* d = dynamic(n);
  if (d == nullptr) return false;
  return d->is_text ? d->text == "ON" || d->text == "TRUE" : d->num != 0;
}

bool is_graph_data(const std::string& t) {
  static const char* const kData[] = {"HistogramData", "CDFData", "QQPlotData", "ProbPlotData", "PPPlotData", "InsetData"};
  const std::string root = "orbo.kestravine.";
  if (t.compare(0, root.size(), root) != 0) return false;
  for (const char* d : kData)
    if (t.compare(root.size(), std::string::npos, d) == 0) return true;
  return false;
}

std::string dump_graph_table(const graph_table& t) {
  std::string o = "data " + t.name + " template " + t.template_name + "\n";
  for (const auto& c : t.columns) {
    o += "  column " + c.name + (c.numeric ? " numeric" : " character " + std::to_string(c.char_width)) +
         " label " + quoted(c.label) + "\n";
  }
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    o += "  row " + std::to_string(r + 1) + ":";
    for (std::size_t k = 0; k < t.rows[r].size() && k < t.columns.size(); ++k) {
      const cell& c = t.rows[r][k];
      o += " " + t.columns[k].name + "=" + (c.is_text ? quoted(c.text) : number_text(c.num));
    }
    o += "\n";
  }
  return o;
}

std::string dump_graph_panel(const graph_panel& p) {
  std::string o = "panel " + p.name + "\n";
  for (const auto& [name, value] : p.context.by) o += "  by " + name + " = " + quoted(value) + "\n";
  o += "  label " + quoted(p.label) + "\n";
  o += "  description " + quoted(p.description) + "\n";
  o += "  template " + p.template_name + "\n";
  o += "  tables";
  for (const auto& t : p.tables) o += " " + t->name;
  o += "\n";
  for (const auto& d : p.dynamics) o += "  " + d.name + " = " + value_text(d) + "\n";
  if (!p.file.empty()) o += "  file " + p.file + "\n";
  return o;
}

}  // namespace plat::out
