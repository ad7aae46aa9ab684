// The functions a source file declares or defines at namespace scope, and the classes
// it declares: what the layers test reads to find a header's function defined in a
// folder other than the header's own.
#pragma once

#include <string>
#include <vector>

namespace kes_test {

struct function_site {
  std::string name;   // unqualified
  std::string scope;  // the qualifier before the name ("" when none): a class or namespace
  int line = 0;
  bool defined = false;  // a body follows (else a declaration)
};

struct scope_scan {
  std::vector<function_site> functions;  // outside anonymous namespaces, not static
  std::vector<std::string> classes;      // classes and structs declared at namespace scope
};

// Scans a C++ text (comments, literals and preprocessor lines are skipped).
scope_scan scan_scopes(const std::string& text);

// The text with comments, the contents of literals and preprocessor lines blanked
// (newlines kept, so that lines still count).
std::string code_only(const std::string& text);

}  // namespace kes_test
