// The record of one emitted output (a table or a factoid) as both destinations see
// it: everything is copied out of the host objects at emit time.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace plat::out {

// A dynamic value of a definition or a binding: text, or a number.
struct dyn_value {
  std::string name;
  bool is_text = true;
  std::string text;
  double num = 0;
  bool is_int = false;  // a number passed as an int or a boolean
  bool is_bool = false; // ... as a boolean
};

struct column_info {
  std::string name;
  std::string label;
  bool numeric = true;
  int char_width = 0;     // character columns: bytes read from the cell
  int width = -1;         // numeric presentation: field width (-1 not given)
  int decimals = -1;      // decimals, kBestDecimals for the best form (-1 not given)
  std::string template_column;  // template column name (e.g. "LowIdNum")
  std::string format_name;
};

struct cell {
  bool is_text = false;
  std::string text;
  double num = 0;
};

// One label/value pair of a factoid; position 1 is the left pair of a row.
struct factoid_pair {
  std::string label;
  bool is_text = false;
  std::string text;
  double num = 0;
  int position = 0;  // 0 when the caller gave none
  int width = -1;
  int decimals = -1;
};

// Where the output stands: the open output groups, outermost first.
struct group_info {
  std::string name;
  std::string label;
  std::string kind;  // the group kind name: "VarName", a CLASS variable name, "Histogram", ...
  bool class_level = false;
};

struct out_context {
  std::vector<group_info> groups;
  std::vector<std::pair<std::string, std::string>> by;  // BY variable, formatted value
};

struct report {
  bool factoid = false;
  bool text = false;                // a text output: its listing lines are in `lines`
  std::vector<std::string> lines;
  std::string name;
  std::string label;
  std::string template_name;
  std::string description;
  std::vector<dyn_value> dynamics;  // definition pairs first, then the binding's
  std::vector<column_info> columns;
  std::vector<std::vector<cell>> rows;
  std::vector<factoid_pair> pairs;
  std::vector<std::string> footnotes;
  out_context context;

  // The last dynamic of that name, or nullptr.
  const dyn_value* dynamic(const std::string& n) const {
    const dyn_value* found = nullptr;
    for (const auto& d : dynamics)
      if (d.name == n) found = &d;
    return found;
  }
};

}  // namespace plat::out
