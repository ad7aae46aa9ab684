// The graph templates' drawers, chosen by the kind of the panel's template.
#include "graph/template_graph.h"

#include <cstring>

#include "core/runtime.h"
#include "graph/graph_messages.h"
#include "graph/template_canvas.h"
#include "graph/template_graph_parts.h"
#include "graph/template_insets.h"
#include "graph/template_notes.h"
#include "graph/template_parts.h"
#include "output/templates.h"

namespace plat::graph {

bool draw_histogram(const out::graph_panel& p, canvas& c, graph_notes& notes, std::string* why);
bool draw_qq(const out::graph_panel& p, canvas& c, graph_notes& notes, std::string* why);
bool draw_prob(const out::graph_panel& p, canvas& c, graph_notes& notes, std::string* why);
bool draw_pp(const out::graph_panel& p, canvas& c, graph_notes& notes, std::string* why);
bool draw_cdf(const out::graph_panel& p, canvas& c, graph_notes& notes, std::string* why);

namespace {

struct drawer {
  const char* kind;
  bool (*draw)(const out::graph_panel&, canvas&, graph_notes&, std::string*);
};
constexpr drawer kDrawers[] = {
    {"histogram", draw_histogram}, {"qq", draw_qq}, {"prob", draw_prob}, {"pp", draw_pp}, {"cdf", draw_cdf},
};

}  // namespace

bool draw_template_graph(const out::graph_panel& p, canvas& c, std::string* why) {
  const out::graph_template_def* def = out::find_graph_template(p.template_name);
  if (def == nullptr) {
    *why = "the stand-in has no graph template " + p.template_name;
    return false;
  }
  for (const drawer& d : kDrawers)
    if (std::strcmp(d.kind, def->kind) == 0) {
      // What this graph leaves out, counted while it is drawn and said after.
      graph_notes notes;
      const bool drawn = d.draw(p, c, notes, why);
      // Reference values outside their axes, as the device says them.
      const int hrefs_outside = static_cast<int>(notes.hrefs_outside.size());
      const int vrefs_outside = static_cast<int>(notes.vrefs_outside.size());
      // Rows an inset box had no room for are said once for the graph.
      const inset_cuts& cuts = notes.cuts;
      // The graph's name, made only for a note.
      std::string label;
      const auto named = [&] {
        if (label.empty()) label = panel_title(p);
        return label.c_str();
      };
      // Each box that leaves rows out has its note.
      if (drawn)
        for (const box_cut& cut : cuts.each) log_message(kGraphSet, kInsetRowsLeftOut, named(), cut.most, cut.of);
      if (drawn && hrefs_outside > 0) log_message(kGraphSet, kHrefsOutsideAxis, named(), hrefs_outside);
      if (drawn && vrefs_outside > 0) log_message(kGraphSet, kVrefsOutsideAxis, named(), vrefs_outside);
      if (drawn && cuts.margin_most > 0)
        log_message(kGraphSet, kInsetRowsLeftOutOfMargin, named(), cuts.margin_most, cuts.margin_of);
      const values_left_out& values = notes.values;
      if (drawn && values.left_out > 0) log_message(kGraphSet, kBarValuesLeftOut, named(), values.left_out, values.of);
      if (drawn && cuts.overlapped > 0) log_message(kGraphSet, kInsetOverEarlierInset, named());
      if (drawn && cuts.pairs_set > 0)
        log_message(kGraphSet, kInsetFewerColumns, named(), cuts.pairs_set, cuts.pairs_asked);
      return drawn;
    }
  *why = "the graph template " + p.template_name + " cannot be drawn yet";
  return false;
}

}  // namespace plat::graph
