// The statements of a program and their options as the generated statement reference
// (docs/statements.md) lists them, for writing programs that cover every one: a new
// statement or option is fuzzed as soon as the reference is regenerated.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace kes_fuzz {

struct option_spec {
  std::vector<std::string> spellings;  // "DATA=" first, then its other spellings
  std::string value;                   // the reference's value column ("flag", "numbers", ...)
  std::string sub;                     // the anchor of its own "( options )" table, or ""
  bool takes_value() const { return spellings.front().back() == '='; }
};

struct statement_spec {
  std::string title;  // "PROC KESTRAVINE", "HISTOGRAM", "AXIS1 to AXIS99"
  // The option tables by heading ("Options", "Options after the slash", ...).
  std::map<std::string, std::vector<option_spec>> groups;
};

struct program_grammar {
  std::vector<statement_spec> statements;
  std::map<std::string, std::vector<option_spec>> subs;  // "( options )" tables by anchor
};

// The grammar of the reference text; throws std::runtime_error when it holds no
// statement.
program_grammar read_reference(const std::string& text);

}  // namespace kes_fuzz
