// Table templates: how the listing shows a table or factoid bound to a template name.
// The definitions themselves are data, all in templates.cpp.
#pragma once
#include <string_view>
#include <utility>
#include <vector>

namespace plat::out {

enum class align { automatic, left, right };
enum class num_style { column, pvalue };  // column: the column's width and decimals

// The look of one column; width and decimals of -1 keep the column's own.
struct column_look {
  const char* column;
  const char* header = nullptr;  // nullptr: the column's label, else its name
  align alignment = align::automatic;
  num_style style = num_style::column;
  int width = -1;
  int decimals = -1;
  const char* zero_text = nullptr;  // shown in place of the value 0 (a total row's key)
  bool joined = false;              // follows the column before it without a gap
  // Each value reads apart from itself moved by the column's smallest nonzero
  // magnitude (a location parameter beside its scale).
  bool resolved = false;
};

// A spanning header: the dynamics naming its first and last column and its text.
// A fixed column name or text stands in for a dynamic that is null.
struct span_look {
  const char* start_dynamic;
  const char* end_dynamic;
  const char* label_dynamic;
  const char* start_column = nullptr;
  const char* end_column = nullptr;
  const char* label = nullptr;
};

// A column shown only while a dynamic of the output holds a nonzero number.
struct shown_if {
  const char* column;
  const char* dynamic;
};

struct template_look {
  const char* name;                       // full template path
  const char* title_dynamic = nullptr;    // dynamic holding the title; else the label
  std::vector<column_look> columns;       // looks of particular columns
  std::vector<const char*> hidden;        // columns the listing leaves out
  std::vector<span_look> spans;
  int pairs_per_row = 1;                  // factoids: label/value pairs on one line
  std::vector<shown_if> conditional;      // columns shown only under a dynamic
  // Columns whose values in one row are compared (an estimate and its limits): they
  // read apart from one another. Every numeric column's values read apart from their
  // neighbours in it.
  std::vector<std::vector<const char*>> compared = {};
  // Factoids: pairs (by their order) that read apart from themselves moved by the
  // value of another pair (a mean by its standard error).
  std::vector<std::pair<int, int>> pair_steps = {};
};

// The look of a template, or the default look when there is no definition.
const template_look& find_template(std::string_view name);
const template_look& default_template();

// A graph template: the data object it draws from and the kind of graph it draws
// (the stand-in's graph renderer has one drawer per kind).
struct graph_template_def {
  const char* name;   // full template path
  const char* data;   // name of its data object
  const char* kind;   // "histogram", ...
};
// The graph template of that name, or nullptr.
const graph_template_def* find_graph_template(std::string_view name);

// The look of a column within a template, or nullptr.
const column_look* find_column_look(const template_look& t, std::string_view column);

}  // namespace plat::out
