// OPTIONS, LIBNAME and TITLE statements.
#include "runner/global_statements.h"

#include <cctype>
#include <filesystem>
#include <vector>

#include "core/host_messages.h"
#include "core/runtime.h"
#include "core/utf8_text.h"
#include "runner/axis_statement.h"
#include "runner/runner_options.h"
#include "core/name_case.h"

namespace plat {
namespace {

struct token {
  enum kind_t { word, quoted, equals } kind;
  std::string text;
  std::size_t at = 0;  // offset in the text tokenized
};

// Words, quoted texts (a doubled quote inside is one quote) and '=' signs.
std::vector<token> tokenize(std::string_view s) {
  std::vector<token> out;
  std::size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c))) { ++i; continue; }
    if (c == '=') { out.push_back({token::equals, "=", i}); ++i; continue; }
    const std::size_t at = i;
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
      out.push_back({token::quoted, t, at});
      continue;
    }
    std::string t;
    while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i])) && s[i] != '=' && s[i] != '\'' &&
           s[i] != '"')
      t += s[i++];
    out.push_back({token::word, t, at});
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

// The line and column of a token of the statement's body.
std::pair<int, int> place(const statement& st, const std::string& text, const token& t) {
  const std::size_t end = static_cast<std::size_t>(body(st, text).data() - text.data()) + t.at;
  int line = st.line, column = st.column;
  for (std::size_t i = st.begin; i < end; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return {line, column};
}

// The hint for a word that names a statement, where a value was wanted.
std::string hint(const token& t) { return t.kind == token::word ? semicolon_hint(t.text) : std::string(); }

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
  auto fail = [&](const token& at, const std::string& why) {
    const auto [line, column] = place(st, text, at);
    log_message(hostmsg::set, hostmsg::options_error, line, column, why.c_str());
    ok = false;
  };
  for (std::size_t i = 0; i < t.size();) {
    if (t[i].kind != token::word) {
      std::string what = t[i].kind == token::equals ? "=" : "'" + t[i].text + "'";
      fail(t[i], "a system option name is expected before " + what);
      ++i;
      continue;
    }
    const token& option = t[i];
    std::string name = t[i].text, value;
    ++i;
    if (i < t.size() && t[i].kind == token::equals) {
      ++i;
      // "PAGESIZE= GSTYLE=NO": the word after the sign is the next option, not a value.
      bool next_is_option = i + 1 < t.size() && t[i].kind == token::word && t[i + 1].kind == token::equals;
      if (i >= t.size() || t[i].kind == token::equals || next_is_option) {
        fail(option, "system option " + upper(name) + "= has no value");
        continue;
      }
      value = t[i++].text;
    }
    std::string error;
    if (!set_system_option(name, value, &error)) {
      // The name of a statement: the statement runs on into the next one, which is not read.
      const std::string missing = value.empty() ? hint(option) : std::string();
      fail(option, error + missing);
      if (!missing.empty()) break;
    }
  }
  return ok;
}

bool run_libname(const statement& st, const std::string& text) {
  std::vector<token> t = tokenize(body(st, text));
  // Said at the token it concerns; with none, at the statement's start.
  auto fail = [&](std::size_t at, const std::string& why) {
    const auto [line, column] = at < t.size() ? place(st, text, t[at]) : std::pair<int, int>{st.line, st.column};
    log_message(hostmsg::set, hostmsg::libname_error, line, column, why.c_str());
    return false;
  };
  if (t.empty() || t[0].kind != token::word) return fail(0, "a library name is expected, then its folder in quotes");
  std::string name = upper(t[0].text);
  if (!valid_libref(name))
    return fail(0, "'" + t[0].text + "' is no library name (1 to 8 letters, digits or _, not starting with a digit)");
  // A statement's name after the library's: the statement ran on into the next one.
  std::string ran_on;
  std::size_t ran_on_at = t.size();
  for (std::size_t i = 1; i < t.size() && ran_on.empty(); ++i) {
    ran_on = hint(t[i]);
    if (!ran_on.empty()) ran_on_at = i;
  }
  if (t.size() < 2 || t[1].kind == token::equals)
    return fail(!ran_on.empty() ? ran_on_at : t.size() > 1 ? 1 : 0, "library " + name + " names no folder" + ran_on);
  if (t.size() > 2)
    return fail(ran_on.empty() ? 2 : ran_on_at, "library " + name + ": only one folder may follow the name" + ran_on);
  std::error_code ec;
  if (!std::filesystem::is_directory(t[1].text, ec))
    return fail(1, "library " + name + ": the folder '" + t[1].text + "' does not exist");
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
    const token& wrong = t[0].kind != token::quoted ? t[0] : t[1];
    const auto [line, column] = place(st, text, wrong);
    log_message(hostmsg::set, hostmsg::title_error, st.keyword.c_str(), line, column,
                ("the title must be one text in quotes" + hint(wrong)).c_str());
    return false;
  }
  listing_set_title(n, program_text(st, t[0].text));
  return true;
}

}  // namespace

std::string program_text(const statement& st, const std::string& quoted) {
  std::size_t replaced = 0;
  std::string text = text_as_utf8(quoted, &replaced);
  if (replaced > 0) log_message(hostmsg::set, hostmsg::text_not_utf8, st.keyword.c_str(), st.line);
  return text;
}

bool is_global_statement(const std::string& kw) {
  return kw == "OPTIONS" || kw == "LIBNAME" || title_number(kw) != 0 || axis_keyword(kw);
}

bool run_global_statement(const statement& st, const std::string& text) {
  if (st.keyword == "OPTIONS") return run_options(st, text);
  if (st.keyword == "LIBNAME") return run_libname(st, text);
  if (axis_keyword(st.keyword)) return run_axis_statement(st, text);
  int n = title_number(st.keyword);
  if (n > 0) return run_title(st, text, n);
  log_message(hostmsg::set, hostmsg::title_error, "TITLE", st.line, st.column,
              (st.keyword + ": titles are numbered from 1 to 10").c_str());
  return false;
}

}  // namespace plat
