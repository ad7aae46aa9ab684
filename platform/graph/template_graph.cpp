// The graph templates' drawers, chosen by the kind of the panel's template.
#include "graph/template_graph.h"

#include <cstring>

#include "core/runtime.h"
#include "graph/graph_messages.h"
#include "graph/template_canvas.h"
#include "graph/template_graph_parts.h"
#include "graph/template_insets.h"
#include "graph/template_parts.h"
#include "output/templates.h"

namespace plat::graph {

bool draw_histogram(const out::graph_panel& p, canvas& c, std::string* why);
bool draw_qq(const out::graph_panel& p, canvas& c, std::string* why);
bool draw_prob(const out::graph_panel& p, canvas& c, std::string* why);
bool draw_pp(const out::graph_panel& p, canvas& c, std::string* why);
bool draw_cdf(const out::graph_panel& p, canvas& c, std::string* why);

namespace {

struct drawer {
  const char* kind;
  bool (*draw)(const out::graph_panel&, canvas&, std::string*);
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
      take_inset_cuts();
      take_refs_outside();
      take_values_left_out();
      const bool drawn = d.draw(p, c, why);
      // Reference values outside their axes, as the device says them.
      const refs_outside refs = take_refs_outside();
      // Rows an inset box had no room for are said once for the graph.
      const inset_cuts cuts = take_inset_cuts();
      // The graph's name, made only for a note.
      std::string label;
      const auto named = [&] {
        if (label.empty()) label = panel_title(p);
        return label.c_str();
      };
      // Each box that leaves rows out has its note.
      if (drawn)
        for (const box_cut& cut : cuts.each) log_message(kGraphSet, kInsetRowsLeftOut, named(), cut.most, cut.of);
      if (drawn && refs.h > 0) log_message(kGraphSet, kHrefsOutsideAxis, named(), refs.h);
      if (drawn && refs.v > 0) log_message(kGraphSet, kVrefsOutsideAxis, named(), refs.v);
      if (drawn && cuts.margin_most > 0)
        log_message(kGraphSet, kInsetRowsLeftOutOfMargin, named(), cuts.margin_most, cuts.margin_of);
      const values_left_out values = take_values_left_out();
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
