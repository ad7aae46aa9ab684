// What the scans of the source tree share: a file's text, and the arguments of a call
// in it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kes_test {

// The whole text of a file; empty when it cannot be read.
inline std::string read_source(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The arguments of the call whose '(' is at open, split at the commas of its own level
// (commas inside quotes, brackets and braces belong to an argument); empty when the
// parentheses do not close.
inline std::vector<std::string> call_args(const std::string& text, std::size_t open) {
  std::vector<std::string> out(1);
  int depth = 0;
  bool quoted = false;
  for (std::size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '\\') out.back() += text[i++];
      else if (c == '"') quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '(' || c == '[' || c == '{') {
      if (depth++ == 0) continue;
    } else if (c == ')' || c == ']' || c == '}') {
      if (--depth == 0) return out;
    } else if (c == ',' && depth == 1) {
      out.emplace_back();
      continue;
    }
    out.back() += c;
  }
  return {};
}

}  // namespace kes_test
