#include "fuzz/program_grammar.h"

#include <sstream>
#include <stdexcept>

namespace kes_fuzz {
namespace {

// The texts between backquotes in a cell ("`MU=`, `M=`" gives MU= and M=).
std::vector<std::string> quoted_words(const std::string& cell) {
  std::vector<std::string> out;
  for (std::size_t a = cell.find('`'); a != std::string::npos; a = cell.find('`', a + 1)) {
    const std::size_t b = cell.find('`', a + 1);
    if (b == std::string::npos) break;
    out.push_back(cell.substr(a + 1, b - a - 1));
    a = b;
  }
  return out;
}

// The cells of a table row "| a | b | c |", a \| inside a cell kept.
std::vector<std::string> cells_of(const std::string& line) {
  std::vector<std::string> cells;
  std::string cell;
  for (std::size_t i = 1; i < line.size(); ++i) {
    if (line[i] == '|' && line[i - 1] != '\\') {
      cells.push_back(cell);
      cell.clear();
    } else {
      cell += line[i];
    }
  }
  return cells;
}

}  // namespace

program_grammar read_reference(const std::string& text) {
  program_grammar g;
  std::istringstream in(text);
  std::string anchor, group;
  std::vector<option_spec>* table = nullptr;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("<a id=\"", 0) == 0) {
      anchor = line.substr(7, line.find('"', 7) - 7);
    } else if (line.rfind("## ", 0) == 0) {
      g.statements.push_back({line.substr(3), {}});
      table = nullptr;
    } else if (line.rfind("### ", 0) == 0 && !g.statements.empty()) {
      table = &g.statements.back().groups[line.substr(4)];
    } else if (line.rfind("#### ", 0) == 0) {
      table = &g.subs[anchor];
    } else if (line.rfind("| `", 0) == 0 && table != nullptr) {
      const std::vector<std::string> cells = cells_of(line);
      if (cells.size() < 3) continue;
      option_spec o;
      o.spellings = quoted_words(cells[0]);
      for (const std::string& also : quoted_words(cells[1])) o.spellings.push_back(also);
      o.value = cells[2];
      if (const std::size_t h = o.value.find("](#"); h != std::string::npos)
        o.sub = o.value.substr(h + 3, o.value.find(')', h) - h - 3);
      if (!o.spellings.empty()) table->push_back(o);
    }
  }
  if (g.statements.empty()) throw std::runtime_error("the statement reference lists no statement");
  return g;
}

}  // namespace kes_fuzz
