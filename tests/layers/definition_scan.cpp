// A scan of namespace scopes: enough of C++ to tell declarations and definitions of
// functions and the declarations of classes, as this code base writes them.
#include "definition_scan.h"

#include <cctype>
#include <regex>

namespace kes_test {
namespace {

std::string blanked(const std::string& t) {
  std::string out = t;
  bool line_start = true;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const char c = out[i];
    if (c == '\n') {
      line_start = true;
      continue;
    }
    if (line_start && c == '#') {  // a directive, with its continued lines
      while (i < out.size() && out[i] != '\n') {
        if (out[i] == '\\' && i + 1 < out.size() && out[i + 1] == '\n') out[i++] = ' ';
        else out[i++] = ' ';
      }
      line_start = true;
      continue;
    }
    if (!std::isspace(static_cast<unsigned char>(c))) line_start = false;
    if (c == '/' && i + 1 < out.size() && out[i + 1] == '/') {
      while (i < out.size() && out[i] != '\n') out[i++] = ' ';
      line_start = true;
    } else if (c == '/' && i + 1 < out.size() && out[i + 1] == '*') {
      for (; i < out.size() && !(out[i] == '*' && i + 1 < out.size() && out[i + 1] == '/'); ++i)
        if (out[i] != '\n') out[i] = ' ';
      if (i + 1 < out.size()) out[i] = out[i + 1] = ' ', ++i;
    } else if (c == '"' || c == '\'') {
      // A raw string R"x(...)x" ends at its own delimiter.
      if (c == '"' && i > 0 && out[i - 1] == 'R') {
        const std::size_t open = out.find('(', i);
        const std::string end = ")" + out.substr(i + 1, open - i - 1) + "\"";
        const std::size_t close = out.find(end, open);
        for (std::size_t k = i + 1; k < close && k < out.size(); ++k)
          if (out[k] != '\n') out[k] = ' ';
        i = close == std::string::npos ? out.size() : close + end.size() - 1;
        continue;
      }
      for (++i; i < out.size() && out[i] != c; ++i) {
        if (out[i] == '\\') out[i++] = ' ';
        if (i < out.size() && out[i] != '\n') out[i] = ' ';
      }
    }
  }
  return out;
}

bool ident(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The function a head names ("int f(int a) const" before a ';' or a body), or false.
bool function_of(std::string head, function_site* f) {
  static const std::regex kSkip(
      R"(^\s*(using|typedef|return|friend|static|enum|class|struct|union|template\s*<.*>\s*(class|struct))\b)");
  if (std::regex_search(head, kSkip)) return false;
  // A constructor's member initializers follow a single ':' after the parameters.
  int depth = 0;
  for (std::size_t i = 0; i < head.size(); ++i) {
    const char c = head[i];
    if (c == '(' || c == '<' || c == '[') ++depth;
    else if (c == ')' || c == '>' || c == ']') --depth;
    else if (c == ':' && depth == 0 && (i + 1 >= head.size() || head[i + 1] != ':') && (i == 0 || head[i - 1] != ':')) {
      head.resize(i);
      break;
    }
  }
  static const std::regex kTail(R"(\s*(const|noexcept|override|final|&&|&|->\s*[\w:<>*& ]+)\s*$)");
  for (std::smatch m; std::regex_search(head, m, kTail) && m.position(0) > 0 && head.back() != ')';)
    head.resize(static_cast<std::size_t>(m.position(0)));
  while (!head.empty() && std::isspace(static_cast<unsigned char>(head.back()))) head.pop_back();
  if (head.empty() || head.back() != ')') return false;
  std::size_t i = head.size() - 1;
  for (int d = 0;; --i) {
    if (head[i] == ')') ++d;
    else if (head[i] == '(' && --d == 0) break;
    if (i == 0) return false;
  }
  while (i > 0 && std::isspace(static_cast<unsigned char>(head[i - 1]))) --i;
  std::size_t start = i;
  while (start > 0 && (ident(head[start - 1]) || head[start - 1] == ':' || head[start - 1] == '~')) --start;
  const std::string qualified = head.substr(start, i - start);
  if (qualified.empty() || !(std::isalpha(static_cast<unsigned char>(qualified[0])) || qualified[0] == '_' ||
                             qualified[0] == '~'))
    return false;
  if (head.find('=') < start || qualified.find("operator") != std::string::npos) return false;
  const std::size_t cut = qualified.rfind("::");
  f->name = cut == std::string::npos ? qualified : qualified.substr(cut + 2);
  f->scope = cut == std::string::npos ? "" : qualified.substr(0, cut);
  if (const std::size_t up = f->scope.rfind("::"); up != std::string::npos) f->scope = f->scope.substr(up + 2);
  return !f->name.empty() && f->name[0] != '~';
}

}  // namespace

std::string code_only(const std::string& text) { return blanked(text); }

scope_scan scan_scopes(const std::string& text) {
  static const std::regex kAnon(R"(^\s*(inline\s+)?namespace\s*$)");
  // A linkage block is read as its enclosing scope: its functions are declared or
  // defined there (the literal's contents are blanked, "C" reads " ").
  static const std::regex kNamed(R"(^\s*(inline\s+)?namespace\s+[\w:]+\s*$|^\s*extern\s*"\s*"\s*$)");
  static const std::regex kClass(R"(^\s*(template\s*<[^{]*>\s*)?(class|struct)\s+(\w+)[^()]*$)");
  enum kind { named, anon, other };
  const std::string t = blanked(text);
  scope_scan out;
  std::vector<kind> stack;
  std::size_t head_start = 0;
  int line = 1;
  const auto at_namespace = [&] {
    for (kind k : stack)
      if (k != named) return false;
    return true;
  };
  const auto line_of = [&](std::size_t from, std::size_t to, const std::string& name) {
    const std::size_t at = t.find(name + "(", from) < to ? t.find(name + "(", from) : t.find(name, from);
    int n = line;
    for (std::size_t k = at; k < to && k != std::string::npos; ++k)
      if (t[k] == '\n') --n;
    return n;
  };
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '\n') ++line;
    if (c != '{' && c != '}' && c != ';') continue;
    const std::string head = t.substr(head_start, i - head_start);
    const bool top = at_namespace();
    if (c == '{') {
      kind k = other;
      std::smatch m;
      if (std::regex_search(head, kAnon)) k = anon;
      else if (std::regex_search(head, kNamed)) k = named;
      else if (top && std::regex_search(head, m, kClass)) out.classes.push_back(m[3]);
      else if (function_site f; top && function_of(head, &f)) {
        f.defined = true;
        f.line = line_of(head_start, i, f.name);
        out.functions.push_back(f);
      }
      stack.push_back(k);
    } else if (c == '}') {
      if (!stack.empty()) stack.pop_back();
    } else if (function_site f; top && function_of(head, &f)) {
      f.line = line_of(head_start, i, f.name);
      out.functions.push_back(f);
    }
    head_start = i + 1;
  }
  return out;
}

}  // namespace kes_test
