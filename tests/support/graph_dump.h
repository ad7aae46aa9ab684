// The graph dump a run writes with --graph-dump, read back: blocks of data objects
// ("data NAME ...", with columns and rows) and panels ("panel NAME", with the values
// the template is given and the file it drew), and what the dump says a template
// graph must show, as facts for the graph rules.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "support/svg_rules.h"

namespace kes_test {

// One block of the dump: "data NAME ..." or "panel NAME" with its lines.
struct dump_block {
  std::string head;
  std::vector<std::string> lines;
  bool is_panel() const { return head.rfind("panel ", 0) == 0; }
  // The value text after "NAME = " of a panel line ("" when absent).
  std::string dynamic(const std::string& name) const;
  // Whether a panel line gives NAME a text ("NAME = "..." (text)"), and that text
  // without its quotes ("" when absent).
  bool has_text(const std::string& name) const;
  std::string text(const std::string& name) const;
  // Rows of a data block as column -> text.
  std::vector<std::map<std::string, std::string>> rows() const;
  int count_prefix(const std::string& prefix) const;
  // The template a panel names ("" for none).
  std::string template_name() const;
  // The file a panel drew ("" for none).
  std::string file() const;
};

// The blocks of a dump's text, in order.
std::vector<dump_block> read_dump(const std::string& text);

// The text the first panel that gives NAME a text gives it ("" when none does).
std::string first_text(const std::vector<dump_block>& blocks, const std::string& name);

// A value of the dump as a number (NaN for a missing one, written ".").
double dump_number(const std::string& text);

// What the dump says the panel that drew `file` shows, added to facts: the values its
// axes' ticks label and each cell's percent and reference line places.
void add_dump_facts(const std::vector<dump_block>& blocks, const std::string& file, svg_facts& facts);

}  // namespace kes_test
