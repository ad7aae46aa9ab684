#include "data/option_tokens.h"

#include <cstdlib>

#include "core/number_text.h"
#include "host/host_missing.h"

namespace plat {
namespace {

bool exponent_mark(char c) { return c == 'e' || c == 'E' || c == 'p' || c == 'P'; }
bool alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool digit(char c) { return c >= '0' && c <= '9'; }

// Marks of two characters first, so that "<=" is not read as "<" and "=".
constexpr const char* kMarks[] = {"<=", ">=", "^=", "~=", "!=", "(", ")", "=", ",", "<", ">", "-", "+"};

}  // namespace

bool option_tokens(std::string_view s, std::vector<opt_token>* out, std::string* error) {
  size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    opt_token t;
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      ++i;
      continue;
    }
    if (alpha(c)) {
      size_t b = i;
      while (i < s.size() && (alpha(s[i]) || digit(s[i]))) ++i;
      t.kind = opt_token::word;
      t.s = std::string(s.substr(b, i - b));
    } else if (digit(c) || (c == '.' && i + 1 < s.size() && digit(s[i + 1]))) {
      const char* b = s.data() + i;
      char* e = nullptr;
      // Only the characters a number can hold are copied for strtod, not the rest of
      // the text: a long list of numbers is read in one pass.
      size_t end = i;
      while (end < s.size() && (alpha(s[end]) || digit(s[end]) || s[end] == '.' ||
                                ((s[end] == '+' || s[end] == '-') && exponent_mark(s[end - 1]))))
        ++end;
      const std::string rest(s.substr(i, end - i));
      t.value = std::strtod(rest.c_str(), &e);
      i += static_cast<size_t>(e - rest.c_str());
      if (i < s.size() && (alpha(s[i]) || s[i] == '.')) {
        *error = "'" + std::string(b, static_cast<size_t>(e - rest.c_str()) + 1) + "' is not a valid number";
        return false;
      }
      t.kind = opt_token::number;
    } else if (c == '.') {
      // . ._ .A to .Z
      char n = i + 1 < s.size() ? s[i + 1] : '\0';
      if (n >= 'a' && n <= 'z') n = static_cast<char>(n - 'a' + 'A');
      const bool follows = i + 2 >= s.size() || !(alpha(s[i + 2]) || digit(s[i + 2]));
      t.kind = opt_token::missing;
      if (n == '_' && follows) {
        t.value = host_missing_of_kind(HOST_MISS_UNDERSCORE);
        i += 2;
      } else if (n >= 'A' && n <= 'Z' && follows) {
        t.value = host_missing_of_kind(HOST_MISS_A + (n - 'A'));
        i += 2;
      } else {
        t.value = host_missing_of_kind(HOST_MISS_STD);
        i += 1;
      }
    } else if (c == '\'' || c == '"') {
      size_t j = i + 1;
      bool closed = false;
      while (j < s.size()) {
        if (s[j] == c) {
          if (j + 1 < s.size() && s[j + 1] == c) {
            t.s.push_back(c);
            j += 2;
            continue;
          }
          closed = true;
          break;
        }
        t.s.push_back(s[j++]);
      }
      if (!closed) {
        *error = "the quoted text " + std::string(s.substr(i)) + " is not closed";
        return false;
      }
      t.kind = opt_token::text;
      i = j + 1;
    } else {
      for (const char* m : kMarks) {
        const std::string_view mv(m);
        if (s.substr(i, mv.size()) == mv) {
          t.kind = opt_token::mark;
          t.s = m;
          i += mv.size();
          break;
        }
      }
      if (t.kind != opt_token::mark) {
        *error = "the character '" + std::string(1, c) + "' is not valid in data set options";
        return false;
      }
    }
    out->push_back(std::move(t));
  }
  out->push_back(opt_token{});
  return true;
}

std::string token_shown(const opt_token& t) {
  switch (t.kind) {
    case opt_token::word:
    case opt_token::mark: return t.s;
    case opt_token::text: return "'" + t.s + "'";
    case opt_token::number: return shortest_text(t.value);
    case opt_token::missing: return missing_text(t.value);
    case opt_token::end: break;
  }
  return "the end of the options";
}

}  // namespace plat
