// The cells a plot template draws and their overlaid groups (see template_overlay.h).
#include "graph/template_overlay.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "graph/template_prob_parts.h"
#include "graph/text_cuts.h"
#include "host/template_dynamics.h"

namespace plat::graph {

plot_cells plot_cells_of(const out::graph_panel& p, const out::graph_table& t, const std::vector<class_key>& data_keys) {
  plot_cells out;
  out.group_of.assign(data_keys.size(), -1);
  // The group is the last CLASS column: "Group" beside a CLASS variable of cells, else
  // the one CLASS variable, whose levels then share a single cell.
  const bool group_column = t.column("Group") >= 0;
  out.overlay = p.flag(KES_DYN_OVERLAY) && (group_column || t.column("Class1") >= 0 || t.column("Class2") >= 0);
  std::vector<std::size_t> cell_of(data_keys.size());
  if (!out.overlay) {
    out.keys = data_keys;
    for (std::size_t i = 0; i < data_keys.size(); ++i) cell_of[i] = i;
    out.members = cell_members(cell_of, data_keys.size());
    return out;
  }
  std::unordered_map<std::string, int> group_at;
  std::unordered_map<class_key, std::size_t, class_key_hash> cell_at;
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
    const auto k = cell_at.emplace(key, out.keys.size());
    if (k.second) out.keys.push_back(key);
    cell_of[i] = k.first->second;
  }
  out.members = cell_members(cell_of, out.keys.size());
  return out;
}

cell_members::cell_members(const std::vector<std::size_t>& cell_of, std::size_t cells) : start_(cells + 1, 0) {
  for (std::size_t c : cell_of) ++start_[c + 1];
  for (std::size_t c = 0; c < cells; ++c) start_[c + 1] += start_[c];
  all_.resize(cell_of.size());
  std::vector<std::size_t> next(start_.begin(), start_.end() - 1);
  for (std::size_t i = 0; i < cell_of.size(); ++i) all_[next[cell_of[i]]++] = static_cast<int>(i);
}

std::span<const int> members_at(const plot_cells& cells, int index) {
  return index >= 0 ? cells.members[static_cast<std::size_t>(index)] : std::span<const int>();
}

int group_marker(int g) {
  // The markers go round every six groups, the colours every eight: each round of
  // markers starts one shape further on, so that the near hues six groups apart (blue
  // and sky blue) never share a shape; vermillion and orange keep apart likewise.
  return (g + g / kMarkerShapes) % kMarkerShapes;
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
  dot.marker = group_marker(g);
  return dot;
}

paint group_line(int g, double width, const paint& plain) {
  if (g < 0) return plain;
  paint line = curve_paint(g, false);
  line.width = width;
  return line;
}

std::vector<bool> groups_drawn(const plot_cells& cells, const panel_grid& grid, const std::function<bool(int)>& draws) {
  std::vector<bool> drawn(cells.groups.size(), false);
  for (int index : grid.index)
    if (index >= 0)
      for (int m : cells.members[static_cast<std::size_t>(index)])
        if (cells.group_of[m] >= 0 && draws(m)) drawn[static_cast<std::size_t>(cells.group_of[m])] = true;
  return drawn;
}

std::vector<legend_entry> group_legend(const plot_cells& cells, const std::vector<bool>& drawn, bool markers,
                                       bool lines, double width) {
  std::vector<legend_entry> legend;
  for (std::size_t g = 0; g < cells.groups.size(); ++g) {
    if (g >= drawn.size() || !drawn[g]) continue;
    legend_entry e;
    // A blank level is shown as a missing value is.
    e.label = group_name(cells, static_cast<int>(g));
    e.stroke = group_line(static_cast<int>(g), width, paint{});
    e.line = lines;
    e.marker = markers ? group_marker(static_cast<int>(g)) : -1;
    legend.push_back(e);
  }
  return legend;
}

std::string group_name(const plot_cells& cells, int g) {
  return cells.groups[static_cast<std::size_t>(g)].empty() ? "." : cells.groups[static_cast<std::size_t>(g)];
}

namespace {

// The rows of a cell's note, each saying which group and what in `room` px: a level
// too long is cut apart from the others (the log names it whole) so that what follows
// it shows; in a cell too narrow for both on one line the level stands on a line of its
// own and what follows it in lines of the room's width, at the least size a box takes.
class note_rows {
 public:
  note_rows(const plot_cells& cells, double room) : cells_(cells), room_(room) { full_.size = kLegendSize; }
  void add(int g, const std::string& what, inset_box* box) {
    const std::string tail = ": " + what;
    if (g < 0) {
      wrap(what, box);
      return;
    }
    if (room_ - text_advance(tail, full_) >= text_advance("MMM" + kEllipsis, full_)) {
      box->rows.push_back({level(g, tail) + tail, ""});
      return;
    }
    box->rows.push_back({level(g, ":") + ":", ""});
    wrap(what, box);
  }

 private:
  // Group g's level cut to the room beside `tail`, each set of cuts made once.
  const std::string& level(int g, const std::string& tail) {
    auto at = cut_for_.find(tail);
    if (at == cut_for_.end()) {
      std::vector<std::string> names;
      for (std::size_t k = 0; k < cells_.groups.size(); ++k) names.push_back(group_name(cells_, static_cast<int>(k)));
      at = cut_for_.emplace(tail, cut_apart(names, full_, room_ - text_advance(tail, full_))).first;
    }
    return at->second[static_cast<std::size_t>(g)];
  }
  // The text whole when it fits, else in lines of whole words that fit at the least
  // size (the box shrinks to show them).
  void wrap(const std::string& text, inset_box* box) const {
    if (text_advance(text, full_) <= room_) {
      box->rows.push_back({text, ""});
      return;
    }
    text_style least;
    least.size = kLeastInsetSize;
    std::string line;
    std::size_t i = 0;
    while (i < text.size()) {
      const std::size_t space = text.find(' ', i);
      const std::string word = text.substr(i, space == std::string::npos ? std::string::npos : space - i);
      i = space == std::string::npos ? text.size() : space + 1;
      if (!line.empty() && text_advance(line + " " + word, least) > room_) {
        box->rows.push_back({line, ""});
        line.clear();
      }
      line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) box->rows.push_back({line, ""});
  }
  const plot_cells& cells_;
  const double room_;
  text_style full_;
  std::map<std::string, std::vector<std::string>> cut_for_;
};

}  // namespace

void note_left_out(canvas& c, const frame& f, const plot_cells& cells, std::span<const int> members,
                   const std::vector<left_out_group>& undrawn, cell_ink* ink, const std::vector<left_out_row>& also) {
  if (!cells.overlay && also.empty()) return;
  inset_box box;
  box.border = false;
  box.automatic = true;
  box.valign = "BOTTOM";
  box.halign = "RIGHT";
  note_rows rows(cells, note_row_room(f));
  for (std::size_t g = 0; g < cells.groups.size() && cells.overlay; ++g) {
    const auto left = std::find_if(undrawn.begin(), undrawn.end(),
                                   [&](const left_out_group& u) { return u.group == static_cast<int>(g); });
    const bool present = std::any_of(members.begin(), members.end(),
                                     [&](int m) { return cells.group_of[m] == static_cast<int>(g); });
    if (left != undrawn.end()) {
      // A cause that says its values are not drawn is not followed by the same words.
      const std::string why = left->values.why();
      const bool said = why.find("not drawn") != std::string::npos;
      rows.add(static_cast<int>(g), why + (left->values.n > 0 && !said ? ", not drawn" : ""), &box);
    } else if (!present) {
      rows.add(static_cast<int>(g), "no nonmissing values", &box);
    }
  }
  for (const left_out_row& row : also) rows.add(row.group, row.what, &box);
  if (box.rows.empty()) return;
  // The note keeps off the data as the inset boxes do: where it would cover some, it
  // stands beside the frame, drawn with the cell's boxes (draw_cell_plan).
  if (ink->note == cell_ink::note_at::beside) return;
  // Placed as the layout placed it, keeping clear of the ink; a note the layout left
  // inside stays inside even where that is not clear.
  std::vector<placed_inset> at = place_plot_insets(f, {box}, *ink, true);
  if (ink->note == cell_ink::note_at::inside && !at.empty() && at.front().beside) at = place_plot_insets(f, {box}, *ink);
  for (const placed_inset& q : at) {
    if (q.beside) {
      ink->notes.push_back(box);
      continue;
    }
    if (q.box.rows.empty()) continue;
    draw_inset_box(c, q.box, q.x, q.y, 0);
    ink->bars.push_back(frame{q.x, q.y, q.w, q.h});
    ink->boxes.push_back(frame{q.x, q.y, q.w, q.h});
  }
}

void end_plot_cell(canvas& c, graph_notes& notes, const frame& f, const out::graph_panel& p,
                   const std::vector<refline>& hrefs, const std::vector<refline>& vrefs, const plot_cells& cells,
                   std::span<const int> members, const std::vector<left_out_group>& undrawn, cell_ink* ink,
                   const std::vector<left_out_row>& also) {
  const bool h_at_min = p.text(KES_DYN_HREFLABPOS) == "MIN", v_at_min = p.text(KES_DYN_VREFLABPOS) == "MIN";
  draw_refs(c, notes, f, hrefs, vrefs, h_at_min, v_at_min, {}, ink->points);
  add_reference_ink(f, hrefs, vrefs, h_at_min, v_at_min, ink);
  note_left_out(c, f, cells, members, undrawn, ink, also);
  draw_border(c, f);
}

std::string legend_title_of(const out::graph_panel& p) {
  if (!p.flag(KES_DYN_OVERLAY)) return p.text(KES_DYN_LEGENDTITLE);
  // The legend lists the levels of the overlaid CLASS variable: its label titles it on
  // every kind of plot alike (a CDF plot's group label names its fitted family instead).
  if (!p.tables.empty())
    for (const char* name : {"Group", "Class1", "Class2"}) {
      const int k = p.tables[0]->column(name);
      if (k < 0) continue;
      const auto& c = p.tables[0]->columns[static_cast<std::size_t>(k)];
      return c.label.empty() ? c.name : c.label;
    }
  return p.text(KES_DYN_GROUPLABEL);
}

}  // namespace plat::graph
