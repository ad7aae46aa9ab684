// The message catalogue: every platform/catalogue/*.msg file, loaded once, and the
// formatting of an entry with its substitution arguments.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/runtime.h"

#ifndef KES_CATALOGUE_DIR
#define KES_CATALOGUE_DIR "platform/catalogue"
#endif

namespace plat {
namespace {

struct entry {
  msg_kind kind;
  std::string text;
  std::string where;  // file:line, for duplicate reports
};

struct catalogue {
  std::string dir;  // the folder loaded; empty before the first load
  bool loaded = false;
  std::map<std::pair<int, int>, entry> entries;
};

catalogue cat;
int missing_count = 0;

std::string resolved_dir() {
  return config().catalogue_dir.empty() ? std::string(KES_CATALOGUE_DIR) : config().catalogue_dir;
}

// Checks the markers of a text; returns an empty string or what is wrong.
std::string check_markers(const std::string& t) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '{') continue;
    if (t.compare(i, 2, "{{") == 0) { ++i; continue; }
    std::size_t close = t.find('}', i);
    std::string m = t.substr(i, close == std::string::npos ? std::string::npos : close - i + 1);
    if (m != "{d}" && m != "{ld}" && m != "{f}" && m != "{s}" && m != "{L}")
      return "unknown substitution marker '" + m + "' (the markers are {d} {ld} {f} {s} {L}, and {{ for a brace)";
    i = close;
  }
  return {};
}

bool parse_int(const std::string& s, int* out) {
  if (s.empty() || s.size() > 9) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  *out = std::stoi(s);
  return true;
}

// Parses one line; returns an empty string when it was used (or was blank or a
// comment), else what is wrong with it.
std::string load_line(std::string line, const std::string& where) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::size_t p = line.find_first_not_of(" \t");
  // '#' begins a comment; '@' a declaration of names that only the module's build reads
  // (a message set's name).
  if (p == std::string::npos || line[p] == '#' || line[p] == '@') return {};
  auto field = [&](std::string* out) {
    std::size_t b = line.find_first_not_of(" \t", p);
    if (b == std::string::npos) return false;
    std::size_t e = line.find_first_of(" \t", b);
    *out = line.substr(b, e == std::string::npos ? std::string::npos : e - b);
    p = e == std::string::npos ? line.size() : e;
    return true;
  };
  std::string s_set, s_num, s_kind;
  if (!field(&s_set) || !field(&s_num) || !field(&s_kind))
    return "expected 'SET NUMBER KIND text'";
  int set = 0, number = 0;
  if (!parse_int(s_set, &set)) return "the set '" + s_set + "' is not a number";
  if (!parse_int(s_num, &number)) return "the message number '" + s_num + "' is not a number";
  msg_kind kind;
  if (s_kind == "N") kind = msg_kind::note;
  else if (s_kind == "W") kind = msg_kind::warning;
  else if (s_kind == "E") kind = msg_kind::error;
  else if (s_kind == "T") kind = msg_kind::plain;
  else return "the kind '" + s_kind + "' is not one of N, W, E, T";
  // An optional @NAME after the kind names the message for the module's build.
  const std::size_t name_at = line.find_first_not_of(" \t", p);
  if (name_at != std::string::npos && line[name_at] == '@') {
    const std::size_t name_end = line.find_first_of(" \t", name_at);
    p = name_end == std::string::npos ? line.size() : name_end;
  }
  std::string text = p < line.size() ? line.substr(p + 1) : std::string();
  std::string bad = check_markers(text);
  if (!bad.empty()) return bad;
  auto [it, fresh] = cat.entries.try_emplace({set, number}, entry{kind, text, where});
  if (!fresh)
    return "message " + std::to_string(set) + "/" + std::to_string(number) + " is already given at " +
           it->second.where;
  return {};
}

void ensure_loaded() {
  if (!cat.loaded || cat.dir != resolved_dir()) catalogue_load();
}

// A (pointer, length) text: a negative length means NUL-terminated; the text ends at
// a NUL within its length, and its trailing blanks are not shown.
void append_padded(std::string& out, const char* text, int len) {
  if (!text) return;
  std::size_t n = len < 0 ? std::char_traits<char>::length(text)
                          : static_cast<std::size_t>(std::find(text, text + len, '\0') - text);
  while (n > 0 && text[n - 1] == ' ') --n;
  out.append(text, n);
}

std::string format_double(double v) {
  if (std::isnan(v)) return ".";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

}  // namespace

int catalogue_load() {
  namespace fs = std::filesystem;
  cat = catalogue{};
  cat.dir = resolved_dir();
  cat.loaded = true;
  int problems = 0;
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(cat.dir, ec), end; !ec && it != end; it.increment(ec))
    if (it->path().extension() == ".msg") files.push_back(it->path());
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    log_write(msg_kind::error, "The message catalogue folder " + cat.dir +
                                   (fs::is_directory(cat.dir, ec) ? " holds no .msg file." : " does not exist."));
    return 1;
  }
  for (const fs::path& f : files) {
    std::ifstream in(f);
    if (!in) {
      log_write(msg_kind::error, "The message catalogue file " + f.string() + " cannot be read.");
      ++problems;
      continue;
    }
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
      std::string where = f.filename().string() + ":" + std::to_string(n);
      std::string bad = load_line(line, where);
      if (bad.empty()) continue;
      log_write(msg_kind::error, "Message catalogue " + f.string() + " line " + std::to_string(n) + ": " + bad + ".");
      ++problems;
    }
  }
  return problems;
}

const std::string* catalogue_text(int set, int number, msg_kind* kind) {
  ensure_loaded();
  auto it = cat.entries.find({set, number});
  if (it == cat.entries.end()) return nullptr;
  if (kind) *kind = it->second.kind;
  return &it->second.text;
}

std::string catalogue_format(int set, int number, va_list ap, msg_kind* kind) {
  const std::string* t = catalogue_text(set, number, kind);
  if (!t) {
    ++missing_count;
    if (kind) *kind = msg_kind::error;
    return "message " + std::to_string(set) + "/" + std::to_string(number) + " missing";
  }
  // Markers were checked at load time, so each one here is whole and known.
  std::string out;
  const std::string& s = *t;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '{') { out += s[i]; continue; }
    if (s.compare(i, 2, "{{") == 0) { out += '{'; ++i; continue; }
    std::size_t close = s.find('}', i);
    std::string_view m(s.data() + i + 1, close - i - 1);
    if (m == "d") out += std::to_string(va_arg(ap, int));
    else if (m == "ld") out += std::to_string(va_arg(ap, long));
    else if (m == "f") out += format_double(va_arg(ap, double));
    else if (m == "s") {
      const char* text = va_arg(ap, const char*);
      if (text) out += text;
    } else if (m == "L") {
      // A name the parse cut to its slot is shown as the program wrote it.
      int len = va_arg(ap, int);
      std::string name;
      append_padded(name, va_arg(ap, const char*), len);
      out += name_as_written(name);
    }
    i = close;
  }
  return out;
}

int catalogue_missing_count() { return missing_count; }

}  // namespace plat
