// OPTIONS, LIBNAME and TITLE statements.
#include "runner/global_statements.h"

#include <cctype>
#include <filesystem>
#include <vector>

#include "core/host_messages.h"
#include "core/runtime.h"
#include "runner/axis_statement.h"
#include "runner/runner_options.h"
#include "core/name_case.h"

namespace plat {
namespace {

struct token {
  enum kind_t { word, quoted, equals } kind;
  std::string text;
};

// Words, quoted texts (a doubled quote inside is one quote) and '=' signs.
std::vector<token> tokenize(std::string_view s) {
  std::vector<token> out;
  std::size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c))) { ++i; continue; }
    if (c == '=') { out.push_back({token::equals, "="}); ++i; continue; }
    if (c == '\'' || c == '"') {
      std::string t;
      ++i;
      while (i < s.size()) {
        if (s[i] == c) {
          if (i + 1 < s.size() && s[i + 1] == c) { t += c; i += 2; continue; }
          ++i;
          break;
        }
        t += s[i++];
      }
      out.push_back({token::quoted, t});
      continue;
    }
    std::string t;
    while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i])) && s[i] != '=' && s[i] != '\'' &&
           s[i] != '"')
      t += s[i++];
    out.push_back({token::word, t});
  }
  return out;
}

// The statement's text after its keyword, without the semicolon.
std::string_view body(const statement& st, const std::string& text) {
  std::string_view s(text.data() + st.begin, st.end - st.begin - 1);
  std::size_t k = 0;
  while (k < s.size() && (std::isalnum(static_cast<unsigned char>(s[k])) || s[k] == '_')) ++k;
  return s.substr(k);
}

// 1..10 for TITLE and TITLE1..TITLE10, -1 for TITLE with another number, else 0.
int title_number(const std::string& kw) {
  if (kw == "TITLE") return 1;
  if (kw.size() < 6 || kw.compare(0, 5, "TITLE") != 0) return 0;
  std::string digits = kw.substr(5);
  for (char c : digits)
    if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
  if (digits.size() > 2 || digits[0] == '0') return -1;
  int n = std::stoi(digits);
  return n <= 10 ? n : -1;
}

bool run_options(const statement& st, const std::string& text) {
  std::vector<token> t = tokenize(body(st, text));
  bool ok = true;
  for (std::size_t i = 0; i < t.size();) {
    if (t[i].kind != token::word) {
      std::string what = t[i].kind == token::equals ? "=" : "'" + t[i].text + "'";
      log_message(hostmsg::set, hostmsg::options_error, st.line, ("a system option name is expected before " + what).c_str());
      ok = false;
      ++i;
      continue;
    }
    std::string name = t[i].text, value;
    ++i;
    if (i < t.size() && t[i].kind == token::equals) {
      ++i;
      // "PAGESIZE= GSTYLE=NO": the word after the sign is the next option, not a value.
      bool next_is_option = i + 1 < t.size() && t[i].kind == token::word && t[i + 1].kind == token::equals;
      if (i >= t.size() || t[i].kind == token::equals || next_is_option) {
        log_message(hostmsg::set, hostmsg::options_error, st.line, ("system option " + upper(name) + "= has no value").c_str());
        ok = false;
        continue;
      }
      value = t[i++].text;
    }
    std::string error;
    if (!set_system_option(name, value, &error)) {
      log_message(hostmsg::set, hostmsg::options_error, st.line, error.c_str());
      ok = false;
    }
  }
  return ok;
}

bool run_libname(const statement& st, const std::string& text) {
  std::vector<token> t = tokenize(body(st, text));
  auto fail = [&](const std::string& why) {
    log_message(hostmsg::set, hostmsg::libname_error, st.line, why.c_str());
    return false;
  };
  if (t.empty() || t[0].kind != token::word) return fail("a library name is expected, then its folder in quotes");
  std::string name = upper(t[0].text);
  if (!valid_libref(name))
    return fail("'" + t[0].text + "' is no library name (1 to 8 letters, digits or _, not starting with a digit)");
  if (t.size() < 2 || t[1].kind == token::equals) return fail("library " + name + " names no folder");
  if (t.size() > 2) return fail("library " + name + ": only one folder may follow the name");
  std::error_code ec;
  if (!std::filesystem::is_directory(t[1].text, ec))
    return fail("library " + name + ": the folder '" + t[1].text + "' does not exist");
  config().libraries[name] = t[1].text;
  return true;
}

bool run_title(const statement& st, const std::string& text, int n) {
  std::vector<token> t = tokenize(body(st, text));
  if (t.empty()) {
    listing_set_title(n, "");
    return true;
  }
  if (t.size() != 1 || t[0].kind != token::quoted) {
    log_message(hostmsg::set, hostmsg::title_error, st.line, "the title must be one text in quotes");
    return false;
  }
  listing_set_title(n, t[0].text);
  return true;
}

}  // namespace

bool is_global_statement(const std::string& kw) {
  return kw == "OPTIONS" || kw == "LIBNAME" || title_number(kw) != 0 || axis_keyword(kw);
}

bool run_global_statement(const statement& st, const std::string& text) {
  if (st.keyword == "OPTIONS") return run_options(st, text);
  if (st.keyword == "LIBNAME") return run_libname(st, text);
  if (axis_keyword(st.keyword)) return run_axis_statement(st, text);
  int n = title_number(st.keyword);
  if (n > 0) return run_title(st, text, n);
  log_message(hostmsg::set, hostmsg::title_error, st.line,
              (st.keyword + ": titles are numbered from 1 to 10").c_str());
  return false;
}

}  // namespace plat
