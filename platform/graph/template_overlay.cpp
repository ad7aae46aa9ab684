// The cells a plot template draws and their overlaid groups (see template_overlay.h).
#include "graph/template_overlay.h"

#include <unordered_map>

#include "graph/template_prob_parts.h"
#include "host/template_dynamics.h"

namespace plat::graph {

plot_cells plot_cells_of(const out::graph_panel& p, const out::graph_table& t, const std::vector<class_key>& data_keys) {
  plot_cells out;
  out.group_of.assign(data_keys.size(), -1);
  // The group is the last CLASS column: "Group" beside a CLASS variable of cells, else
  // the one CLASS variable, whose levels then share a single cell.
  const bool group_column = t.column("Group") >= 0;
  out.overlay = p.flag(KES_DYN_OVERLAY) && (group_column || t.column("Class1") >= 0 || t.column("Class2") >= 0);
  if (!out.overlay) {
    out.keys = data_keys;
    for (std::size_t i = 0; i < data_keys.size(); ++i) out.members.push_back({static_cast<int>(i)});
    return out;
  }
  std::unordered_map<std::string, int> group_at;
  std::unordered_map<class_key, std::size_t, class_key_hash> cell_of;
  for (std::size_t i = 0; i < data_keys.size(); ++i) {
    class_key key = data_keys[i];
    std::string level;
    if (group_column) {
      level = key.group;
    } else {
      level = !key.c1.empty() ? key.c1 : key.c2;
      key.c1.clear();
      key.c2.clear();
    }
    key.group.clear();
    auto g = group_at.emplace(level, static_cast<int>(out.groups.size()));
    if (g.second) out.groups.push_back(level);
    out.group_of[i] = g.first->second;
    const auto k = cell_of.emplace(key, out.keys.size());
    if (k.second) {
      out.keys.push_back(key);
      out.members.emplace_back();
    }
    out.members[k.first->second].push_back(static_cast<int>(i));
  }
  return out;
}

const plot_layout& plot_layout_of(const out::graph_panel& p, const out::graph_table& t) {
  const bool overlay = p.flag(KES_DYN_OVERLAY);
  return kept_once<plot_layout>(t, overlay ? "plot cells overlaid" : "plot cells", [&] {
    std::vector<class_key> data_keys;
    for (const cell_rows& cell : cells_of(t)) data_keys.push_back(cell.key);
    plot_layout l;
    l.cells = plot_cells_of(p, t, data_keys);
    l.places = place_cells(l.cells.keys);
    return l;
  });
}

paint group_points(int g) {
  if (g < 0) return point_paint();
  paint dot;
  dot.stroke = curve_paint(g, false).stroke;
  dot.marker = g % kMarkerShapes;
  return dot;
}

paint group_line(int g, double width, const paint& plain) {
  if (g < 0) return plain;
  paint line = curve_paint(g, false);
  line.width = width;
  return line;
}

std::vector<legend_entry> group_legend(const plot_cells& cells, bool markers, bool lines, double width) {
  std::vector<legend_entry> legend;
  for (std::size_t g = 0; g < cells.groups.size(); ++g) {
    legend_entry e;
    // A blank level is shown as a missing value is.
    e.label = cells.groups[g].empty() ? "." : cells.groups[g];
    e.stroke = group_line(static_cast<int>(g), width, paint{});
    e.line = lines;
    e.marker = markers ? static_cast<int>(g) % kMarkerShapes : -1;
    legend.push_back(e);
  }
  return legend;
}

std::string legend_title_of(const out::graph_panel& p) {
  return p.flag(KES_DYN_OVERLAY) ? p.text(KES_DYN_GROUPLABEL) : p.text(KES_DYN_LEGENDTITLE);
}

}  // namespace plat::graph
