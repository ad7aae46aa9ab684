// A message's arguments are read by its catalogue text's placeholders ({d} an int,
// {ld} a long, {f} a double, {s} a text, {L} a length and a text): a call that passes
// more, fewer or other arguments reads a number as a text pointer and crashes. This
// scan of the sources checks every call that names its message against the catalogue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string read(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The kinds of arguments a text reads, in order: 'i' int, 'l' long, 'f' double, 's' text.
std::string placeholder_kinds(const std::string& text) {
  std::string kinds;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '{') continue;
    if (text.compare(i, 2, "{{") == 0) {
      ++i;
      continue;
    }
    const std::size_t close = text.find('}', i);
    const std::string m = text.substr(i + 1, close - i - 1);
    kinds += m == "d" ? "i" : m == "ld" ? "l" : m == "f" ? "f" : m == "s" ? "s" : m == "L" ? "is" : "?";
    i = close;
  }
  return kinds;
}

// Named catalogue messages: name -> the kinds of their arguments.
std::map<std::string, std::string> catalogue_kinds() {
  std::map<std::string, std::string> out;
  static const std::regex kLine(R"(^\d+ \d+ [NWET] @(\w+)(?: (.*))?$)");
  for (const auto& e : fs::directory_iterator(fs::path(KES_SOURCE_DIR) / "platform" / "catalogue")) {
    if (e.path().extension() != ".msg") continue;
    std::ifstream in(e.path());
    std::smatch m;
    for (std::string line; std::getline(in, line);)
      if (std::regex_match(line, m, kLine)) out[m[1]] = placeholder_kinds(m[2]);
  }
  return out;
}

// The arguments of the call whose '(' is at open, split at the commas of its own level.
std::vector<std::string> call_args(const std::string& text, std::size_t open) {
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

std::string trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t\n");
  const std::size_t b = s.find_last_not_of(" \t\n");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The kind an argument plainly has ('i', 'l', 'f', 's'), or '?' where the scan cannot
// tell without the compiler: literals, casts and the texts of strings.
char plain_kind(const std::string& raw) {
  const std::string a = trim(raw);
  static const std::regex kInt(R"(-?\d+)");
  static const std::regex kDouble(R"(-?(\d+\.\d*|\.\d+)([eE][-+]?\d+)?)");
  auto ends_with = [&](const char* tail) {
    const std::string t(tail);
    return a.size() >= t.size() && a.compare(a.size() - t.size(), t.size(), t) == 0;
  };
  if (!a.empty() && a.front() == '"') return 's';
  if (ends_with(".c_str()")) return 's';
  if (std::regex_match(a, kInt) || a.rfind("static_cast<int>", 0) == 0) return 'i';
  if (a.rfind("static_cast<long>", 0) == 0) return 'l';
  if (std::regex_match(a, kDouble) || a.rfind("static_cast<double>", 0) == 0) return 'f';
  if (a.rfind("sizeof", 0) == 0) return 'z';  // a size_t: no placeholder reads one
  return '?';
}

// A routine that passes its trailing arguments to a message: the argument that names
// the message (the candidates of a choice all count), and the first of the message's own.
struct passing_routine {
  const char* name;
  int message;
  int first_argument;
  std::string prefix;  // kinds the routine itself passes ahead of the caller's
};

const std::vector<passing_routine>& passing_routines() {
  static const std::vector<passing_routine> kRoutines = {
      {"xpmlog", 1, 2, ""},
      {"xpmstr", 3, 4, ""},
      {"vemmsgs", 1, 2, ""},
      {"vemmsg", 1, 2, ""},
      // Without, with one and with two CLASS variables: their names and levels first.
      {"kes_kern_note", 3, 6, ""},
      {"kes_kern_note", 4, 6, "isis"},
      {"kes_kern_note", 5, 6, "isisisis"},
  };
  return kRoutines;
}

struct finding {
  std::string where;
  std::string problem;
};

// Messages whose callers pass trailing arguments the text leaves unused, by design of
// the call: the number of them. The texts of the confidence-limit spans show the level
// and not the qualifier passed after it; the inset family notes are passed the family
// name twice and show it once.
const std::map<std::string, std::size_t>& unused_trailing() {
  static const std::map<std::string, std::size_t> kUnused = {
      {"CL_NORMAL", 2},           {"LCL_NORMAL", 2},           {"UCL_NORMAL", 2},
      {"CL_DISTRIBUTION_FREE", 2}, {"LCL_DISTRIBUTION_FREE", 2}, {"UCL_DISTRIBUTION_FREE", 2},
      {"INSET_FAMILY_NOT_FITTED", 2}, {"INSET_FAMILY_NOT_ON_PLOT", 2},
  };
  return kUnused;
}

// Checks one call's arguments (after the routine's own) against a message's kinds.
std::string check_arguments(const std::string& kinds, std::vector<std::string> args, std::size_t unused) {
  if (unused > 0 && args.size() == kinds.size() + unused) args.resize(kinds.size());
  if (args.size() != kinds.size())
    return "passes " + std::to_string(args.size()) + " arguments to a text that reads " +
           std::to_string(kinds.size());
  for (std::size_t k = 0; k < args.size(); ++k) {
    const char plain = plain_kind(args[k]);
    if (plain != '?' && plain != kinds[k])
      return "argument " + std::to_string(k + 1) + " (" + trim(args[k]) + ") is not what placeholder " +
             std::to_string(k + 1) + " reads";
  }
  return {};
}

std::vector<finding> scan(const std::string& where, const std::string& text,
                          const std::map<std::string, std::string>& kinds, int* calls) {
  std::vector<finding> out;
  static const std::regex kName(R"(KES_MSG_(\w+))");
  for (const passing_routine& r : passing_routines()) {
    const std::regex call(std::string(R"((^|[^\w.>])()") + r.name + R"()\s*\()");
    for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it) {
      const std::size_t open = static_cast<std::size_t>(it->position(0) + it->length(0) - 1);
      const std::vector<std::string> args = call_args(text, open);
      if (static_cast<int>(args.size()) <= r.message) continue;  // a declaration or a pass-through
      const std::string& named = args[static_cast<std::size_t>(r.message)];
      const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(open), '\n') + 1;
      const std::vector<std::string> own(args.begin() + std::min<std::ptrdiff_t>(r.first_argument,
                                                                                 static_cast<std::ptrdiff_t>(args.size())),
                                         args.end());
      std::vector<std::string> passed(r.prefix.size(), "");
      passed.insert(passed.end(), own.begin(), own.end());
      for (std::sregex_iterator n(named.begin(), named.end(), kName); n != end; ++n) {
        const auto found = kinds.find((*n)[1]);
        if (found == kinds.end()) {
          out.push_back({where + ":" + std::to_string(line), (*n)[0].str() + " is not in the catalogue"});
          continue;
        }
        ++*calls;
        if (r.prefix.size() > found->second.size() || found->second.compare(0, r.prefix.size(), r.prefix) != 0) {
          out.push_back({where + ":" + std::to_string(line), (*n)[0].str() + " does not start with what " +
                                                                 r.name + " passes ahead"});
          continue;
        }
        const auto unused = unused_trailing().find((*n)[1]);
        const std::string problem =
            check_arguments(found->second, passed, unused == unused_trailing().end() ? 0 : unused->second);
        if (!problem.empty()) out.push_back({where + ":" + std::to_string(line), (*n)[0].str() + ": " + problem});
      }
    }
  }
  return out;
}

}  // namespace

TEST(MessageArguments, EveryCallPassesWhatItsTextReads) {
  const auto kinds = catalogue_kinds();
  ASSERT_GT(kinds.size(), 500u);
  int calls = 0;
  for (const auto& e : fs::recursive_directory_iterator(fs::path(KES_SOURCE_DIR) / "src")) {
    const std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    for (const finding& f : scan(e.path().string(), read(e.path()), kinds, &calls))
      ADD_FAILURE() << f.where << ": " << f.problem;
  }
  EXPECT_GT(calls, 300);
}

// Calls the scan must refuse and calls it must let through, against a small catalogue.
TEST(MessageArguments, TheScanFindsEachKindOfMismatch) {
  const std::map<std::string, std::string> kinds = {
      {"ONE_TEXT", placeholder_kinds("The value {s} is cut.")},
      {"LABEL", placeholder_kinds("The label {L} of {{braces}} is {d} long.")},
      {"SCALE", placeholder_kinds("Scaled by {f}; {ld} bytes.")},
      {"NONE", placeholder_kinds("Nothing.")},
  };
  ASSERT_EQ(kinds.at("LABEL"), "isi");
  ASSERT_EQ(kinds.at("SCALE"), "fl");
  struct row {
    const char* code;
    bool ok;
  };
  const row rows[] = {
      {"xpmlog(KES_SET_PLOT, KES_MSG_ONE_TEXT, t.len, buf);", false},  // a length read as a text
      {"xpmlog(KES_SET_PLOT, KES_MSG_ONE_TEXT, name);", true},
      {"xpmlog(KES_SET_PLOT, KES_MSG_ONE_TEXT);", false},
      {"xpmlog(KES_SET_PLOT, KES_MSG_ONE_TEXT, 3);", false},
      {"xpmlog(KES_SET_PLOT, KES_MSG_LABEL, t.len, buf, static_cast<int>(n));", true},
      {"xpmlog(KES_SET_PLOT, KES_MSG_LABEL, t.len, \"a, b\", 2);", true},
      {"xpmlog(KES_SET_PLOT, KES_MSG_LABEL, n, s.c_str(), 2.5);", false},
      {"xpmlog(KES_SET_PLOT, KES_MSG_SCALE, 2, static_cast<long>(n));", false},  // an int read as a double
      {"xpmlog(KES_SET_PLOT, KES_MSG_SCALE, 2.0, static_cast<long>(n));", true},
      {"xpmlog(KES_SET_PLOT, KES_MSG_SCALE, x, sizeof buf);", false},
      {"xpmlog(KES_SET_PLOT, ok ? KES_MSG_NONE : KES_MSG_ONE_TEXT);", false},  // each candidate counts
      {"xpmstr(buf, 40, KES_SET_PLOT, KES_MSG_NONE);", true},
      {"kes_kern_note(ctx, cell, KES_SET_PLOT, KES_MSG_NONE, KES_MSG_LABEL, KES_MSG_LABEL);", false},
      {"xpmlog(KES_SET_PLOT, KES_MSG_NOT_THERE);", false},
  };
  for (const row& r : rows) {
    int calls = 0;
    EXPECT_EQ(scan("case", r.code, kinds, &calls).empty(), r.ok) << r.code;
  }
}
