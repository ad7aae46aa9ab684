// Template graphs on the host's side: the data objects a graph draws from (bound
// tables kept past their emit) and the graph panels (method 2826), with the
// deterministic text dump of both.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "output/report.h"

namespace plat::out {

// An emitted data object of a template graph: its columns and rows as they were.
struct graph_table {
  std::string name;
  std::string template_name;
  std::vector<column_info> columns;
  std::vector<std::vector<cell>> rows;

  // Index of a column, or -1.
  int column(const std::string& n) const;
};

// One graph object: a panel of a graph template over its bound tables, with the
// dynamics in the order the call passed them (inline pairs, then the list).
struct graph_panel {
  std::string name;           // output name: "Histogram", "QQPlot", ...
  std::string label;
  std::string description;
  std::string template_name;  // "orbo.kestravine.Graphics.Histogram", ...
  std::vector<std::shared_ptr<const graph_table>> tables;
  std::vector<dyn_value> dynamics;
  out_context context;
  std::string file;           // the SVG written for it; empty when none

  // The last dynamic of that name, or nullptr; and its text or number (a text that
  // reads as a number counts as one).
  const dyn_value* dynamic(const std::string& n) const;
  std::string text(const std::string& n, const std::string& otherwise = "") const;
  double number(const std::string& n, double otherwise) const;
  bool flag(const std::string& n) const;  // a nonzero number, or "ON"
};

// Data objects whose bound tables feed graphs rather than the listing.
bool is_graph_data(const std::string& table_template);

// The dump of a data object and of a panel: every column, row and attribute in
// order, numbers in their shortest exact text, so that a run gives the same text
// byte for byte.
std::string dump_graph_table(const graph_table& t);
std::string dump_graph_panel(const graph_panel& p);

}  // namespace plat::out
