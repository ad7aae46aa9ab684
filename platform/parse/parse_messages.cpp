// Messages of the parse: syntax, token, value and variable-list errors, each with
// the program file, line and column and the statement it belongs to.
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <map>

#include "core/name_case.h"
#include "core/runtime.h"
#include "parse/parse_internal.h"
#include "parse/parser.h"

namespace plat::parse {
namespace {

std::vector<std::string>& messages() {
  static std::vector<std::string> m;
  return m;
}

// The parser's catalogue entry number with its arguments.
std::string parse_text(int number, ...) {
  va_list a;
  va_start(a, number);
  std::string t = catalogue_format(kMsgSet, number, a);
  va_end(a);
  return t;
}

}  // namespace

std::vector<std::string>& message_log() { return messages(); }

std::string frame_message(msg_kind kind, const std::string& file, int line, int col, const std::string& text,
                          const std::string& stmt) {
  int frame = kind == msg_kind::note      ? (stmt.empty() ? 8 : 6)
              : kind == msg_kind::warning ? (stmt.empty() ? 7 : 5)
                                          : (stmt.empty() ? 4 : 0);
  return parse_text(frame, file.c_str(), line, col, text.c_str(), stmt.c_str());
}

std::string character_shown(char c) {
  char shown[8];
  if (std::isprint(static_cast<unsigned char>(c))) std::snprintf(shown, sizeof shown, "%c", c);
  else std::snprintf(shown, sizeof shown, "\\x%02X", static_cast<unsigned char>(c));
  return shown;
}

void parse_error(parser* p, int line, int col, int number, ...) {
  va_list ap;
  va_start(ap, number);
  msg_kind kind = msg_kind::error;
  std::string inner = catalogue_format(kMsgSet, number, ap, &kind);
  va_end(ap);
  const step_source& src = current_step();
  int pline = src.first_line + line - 1;
  int pcol = line == 1 ? src.first_column + col - 1 : col;
  const std::string text = frame_message(kind, p->file, pline, pcol, inner, p->sem.cur_stmt);
  const msg_kind fkind = kind;
  messages().push_back(text);
  log_write(fkind, text);
  if (fkind == msg_kind::error && number != 30) {
    ++p->errors;
    if (p->desc && p->errors >= p->desc->max_errors && !p->gave_up) {
      p->gave_up = true;
      parse_error(p, line, col, 30);
    }
  }
}

std::string terminal_text(const parser* p, int t) {
  if (t <= 0 || t >= static_cast<int>(p->syms->texts.size())) return "?";
  switch (t) {
    case T_ENDJB: return "';'";
    case T_NAMEX: return "a name";
    case T_QS: return "a quoted text";
    case T_INT: return "an integer";
    case T_NBR: return "a number";
    case T_COMPOUND: return "a two-level name";
    case T_FMT: return "a format";
    case T_DATE: return "a date";
    case T_TIME: return "a time";
    case T_DATETIME: return "a datetime";
    case T_MISSING: return "a missing value";
    case T_VLITERAL: return "a colour (a CSS colour name or #RRGGBB, quoted or not)";
    default: break;
  }
  if (t == p->syms->end_marker) return "the end of the step";
  std::string s = p->syms->texts[static_cast<size_t>(t)];
  if (t <= p->desc->nclasses) return s;
  if (!s.empty() && s.back() == '$') s.pop_back();
  return "'" + s + "'";
}

std::string describe(const parser* p, const token& t) {
  if (t.cls == p->syms->end_marker) return "the end of the step";
  if (t.synthetic || t.raw.empty()) return terminal_text(p, t.cls);
  std::string r = t.raw.size() > 40 ? t.raw.substr(0, 40) + "..." : t.raw;
  return "'" + r + "'";
}

std::string missing_semicolon(const parser* p, const std::string& word) {
  return semicolon_hint(word, p->statement_words.count(upper(word)) > 0);
}

const symbols& symbols_of(const kes_gramdesc* desc) {
  static std::map<const void*, symbols> cache;
  auto it = cache.find(desc->symtbl);
  if (it != cache.end()) return it->second;
  symbols& s = cache[desc->symtbl];
  s.texts.assign(static_cast<size_t>(desc->nterminals) + 1, "");
  for (int t = 1; t <= desc->nterminals; ++t) {
    const std::uint8_t* e = desc->symtbl + desc->symndx[t - 1];
    s.texts[static_cast<size_t>(t)] = std::string(reinterpret_cast<const char*>(e + 1), e[0]);
  }
  s.end_marker = desc->nterminals;
  for (int t = desc->nclasses + 1; t < desc->nterminals; ++t) {
    const std::string& text = s.texts[static_cast<size_t>(t)];
    if (text.size() == 1 && !std::isalnum(static_cast<unsigned char>(text[0])) && text[0] != '_') {
      s.punct[static_cast<unsigned char>(text[0])] = t;
      continue;
    }
    std::string bare = text;
    if (bare.size() > 1 && bare.back() == '$') bare.pop_back();
    s.keywords[bare] = t;
  }
  return s;
}

}  // namespace plat::parse

namespace plat {

const std::vector<std::string>& parse_messages() { return parse::message_log(); }

void report_invalid_character(const std::string& file, int line, int col, char c) {
  const std::string inner = parse::parse_text(12, parse::character_shown(c).c_str());
  log_write(msg_kind::error, parse::frame_message(msg_kind::error, file, line, col, inner, ""));
}

}  // namespace plat
