// A message name is a number within its set, so every call must pass the set the
// catalogue gives the name: "KES_SET_PLOT, KES_MSG_X" with X a message of set 308.
// The generated header says each name's set; this scan of the sources checks the pairs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <algorithm>
#include <cstddef>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "source_scan.h"
#include "support/test_settings.h"

namespace fs = std::filesystem;

using kes_test::call_args;
using kes_test::read_source;

TEST(MessageNames, EveryCallPassesTheSetOfItsMessage) {
  const std::string header = read_source(fs::path(kes_test::binary_dir()) / "generated" / "kes_msg_names.h");
  ASSERT_FALSE(header.empty());
  std::map<std::string, std::string> set_of;
  static const std::regex kName(R"(constexpr int KES_MSG_(\w+) = \d+;  // set KES_SET_(\w+))");
  for (std::sregex_iterator it(header.begin(), header.end(), kName), end; it != end; ++it)
    set_of[(*it)[1]] = (*it)[2];
  ASSERT_FALSE(set_of.empty());
  static const std::regex kPair(R"(KES_SET_(\w+),\s*KES_MSG_(\w+))");
  int pairs = 0;
  for (const auto& e : fs::recursive_directory_iterator(fs::path(KES_SOURCE_DIR) / "src")) {
    const std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    const std::string text = read_source(e.path());
    for (std::sregex_iterator it(text.begin(), text.end(), kPair), end; it != end; ++it, ++pairs) {
      const auto found = set_of.find((*it)[2]);
      ASSERT_NE(found, set_of.end()) << e.path() << ": " << (*it)[0];
      EXPECT_EQ(found->second, (*it)[1].str()) << e.path() << ": " << (*it)[0];
    }
  }
  EXPECT_GT(pairs, 100);
}

namespace {

bool has_number(const std::string& arg) {
  static const std::regex kNumber(R"((^|[^\w.])\d+([^\w.]|$))");
  return std::regex_search(arg, kNumber);
}

// Whether a message argument may yield a literal number: the values of a choice
// (c ? a : b) count, not its conditions; calls and subscripts are left to the routine
// or table they reach.
bool message_has_number(const std::string& arg) {
  std::string flat;
  int depth = 0;
  for (const char c : arg) {
    if (c == '(' || c == '[') ++depth;
    if (depth == 0) flat += c;
    if (c == ')' || c == ']') --depth;
  }
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (std::size_t q; (q = flat.find('?', from)) != std::string::npos; from = q + 1)
    parts.push_back(flat.substr(from, q - from));
  parts.push_back(flat.substr(from));
  if (parts.size() == 1) return has_number(flat);
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::size_t colon = parts[i].find(':');
    if (has_number(parts[i].substr(0, colon))) return true;
    if (i + 1 == parts.size() && colon != std::string::npos && has_number(parts[i].substr(colon + 1))) return true;
  }
  return false;
}

// The routines that take a message: the argument of its set (-1: none) and those of
// its numbers.
struct message_routine {
  const char* name;
  int set;
  std::vector<int> numbers;
};

const std::vector<message_routine>& message_routines() {
  static const std::vector<message_routine> kRoutines = {
      {"xpmlog", 0, {1}},
      {"xpmstr", 2, {3}},
      {"wkread", 0, {1}},
      {"vemmsg", 0, {1}},
      {"vemmsgs", 0, {1}},
      {"kes_attr_msg", 1, {2}},
      {"kes_def_create", 2, {3}},
      {"kes_inset_msg", 2, {3}},
      {"kes_cell_note", 3, {}},
      {"kes_kern_note", 2, {3, 4, 5}},
      {"kes_prob_note", 2, {}},
      {"kes_var_note", 1, {2}},
      {"kes_lp_msg", -1, {0}},
      {"kes_origin_room", -1, {3}},
      {"kes_stg_panels", -1, {3}},
      {"kes_plot_group", -1, {4}},
      {"kes_prob_begin", -1, {1}},
      {"kes_write_fit_tables", -1, {2}},
      {"kes_theta_default", -1, {4}},
      {"kes_theta_refused", -1, {6, 7}},
      {"zjs_moments", -1, {1, 2}},
  };
  return kRoutines;
}

}  // namespace

// Every message the module writes is named in the catalogue and called by that name, so
// that a reader finds each use of a message by its name: a message routine given a
// literal set or message number fails here.
TEST(MessageNames, NoMessageCallPassesALiteralNumber) {
  // Each pattern is made once, and tried only on a file that names its routine: the
  // scan of every file with every routine's pattern took minutes under the sanitizers.
  std::vector<std::regex> calls_of;
  for (const message_routine& r : message_routines())
    calls_of.emplace_back(std::string(R"((^|[^\w.>])()") + r.name + R"()\s*\()");
  static const std::regex kDeclaration(R"(^\s*(const\s+)?(int|char|double|void|kes_\w+)\b[\s\*&]+\w)");
  int calls = 0;
  for (const auto& e : fs::recursive_directory_iterator(fs::path(KES_SOURCE_DIR) / "src")) {
    const std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    const std::string text = read_source(e.path());
    for (std::size_t k = 0; k < message_routines().size(); ++k) {
      const message_routine& r = message_routines()[k];
      if (text.find(r.name) == std::string::npos) continue;
      for (std::sregex_iterator it(text.begin(), text.end(), calls_of[k]), end; it != end; ++it) {
        const std::size_t open = static_cast<std::size_t>(it->position(0) + it->length(0) - 1);
        const std::vector<std::string> args = call_args(text, open);
        // A declaration or definition names its parameters' types.
        if (args.empty() || std::regex_search(args[0], kDeclaration)) continue;
        ++calls;
        const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(open), '\n') + 1;
        if (r.set >= 0 && r.set < static_cast<int>(args.size())) {
          EXPECT_FALSE(has_number(args[static_cast<std::size_t>(r.set)]))
              << e.path().string() << ":" << line << ": " << r.name << " is given a literal set";
        }
        for (int k : r.numbers) {
          if (k < static_cast<int>(args.size())) {
            EXPECT_FALSE(message_has_number(args[static_cast<std::size_t>(k)]))
                << e.path().string() << ":" << line << ": " << r.name << " is given a literal message number";
          }
        }
      }
    }
  }
  EXPECT_GT(calls, 300);
}

// A case the scan must catch, and one it must let through.
TEST(MessageNames, TheScanTellsALiteralFromAName) {
  const std::string bad = "xpmlog(KES_SET_PLOT, 1409, n);";
  const std::string good = "xpmlog(KES_SET_PLOT, ok ? KES_MSG_A2 : KES_MSG_B, 2 * n);";
  const std::vector<std::string> b = call_args(bad, bad.find('('));
  const std::vector<std::string> g = call_args(good, good.find('('));
  ASSERT_EQ(b.size(), 3u);
  ASSERT_EQ(g.size(), 3u);
  EXPECT_TRUE(message_has_number(b[1]));
  EXPECT_FALSE(has_number(b[0]));
  EXPECT_FALSE(message_has_number(g[1]));
  EXPECT_TRUE(message_has_number(g[2]));
  EXPECT_FALSE(message_has_number("side == 0 ? KES_MSG_A : k > 2 ? KES_MSG_B : KES_MSG_C"));
  EXPECT_TRUE(message_has_number("side == 0 ? KES_MSG_A : k > 2 ? 308 : KES_MSG_C"));
  EXPECT_TRUE(message_has_number("side == 0 ? KES_MSG_A : 431"));
  EXPECT_FALSE(message_has_number("names[t - 1]"));
  const std::string nested = "f(a(1, 2), {3, 4}, KES_MSG_X)";
  EXPECT_EQ(call_args(nested, 1).size(), 3u);
}

namespace {

// The module's sources below src/ but outside src/host/, which holds the interface the
// host shares (its step-code enumeration among it), with the line of each match.
template <class F>
void each_module_line(F f) {
  const fs::path src = fs::path(KES_SOURCE_DIR) / "src";
  for (const auto& e : fs::recursive_directory_iterator(src)) {
    const std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    if (fs::relative(e.path(), src).begin()->string() == "host") continue;
    std::ifstream in(e.path());
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
      const std::size_t slashes = line.find("//");
      f(e.path().string() + ":" + std::to_string(n), slashes == std::string::npos ? line : line.substr(0, slashes));
    }
  }
}

}  // namespace

// A message is found by its name only where no number is computed from a name: a run of
// messages is a table of names, never a first name plus an offset.
TEST(MessageNames, NoMessageNumberIsComputedFromAName) {
  static const std::regex kArithmetic(R"(KES_MSG_\w+\s*[-+*/]|[-+*/]\s*KES_MSG_\w+)");
  int lines = 0;
  each_module_line([&](const std::string& where, const std::string& code) {
    ++lines;
    EXPECT_FALSE(std::regex_search(code, kArithmetic)) << where << ": " << code;
  });
  EXPECT_GT(lines, 10000);
}

// Step codes are the names of src/host/step_codes.h; the numbers of the failing codes
// stand nowhere else in the module's code.
TEST(MessageNames, NoStepCodeIsWrittenAsANumber) {
  static const std::regex kCode(R"((^|[^\w.])(1008|1012|1016|1020)([^\w.]|$))");
  each_module_line([&](const std::string& where, const std::string& code) {
    EXPECT_FALSE(std::regex_search(code, kCode)) << where << ": " << code;
  });
}

// A message's arguments are read by its catalogue text's placeholders ({d} an int,
// {ld} a long, {f} a double, {s} a text, {L} a length and a text): a call that passes
// more, fewer or other arguments reads a number as a text pointer and crashes. This
// scan of the sources checks every call that names its message against the catalogue.
namespace {

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
    for (const finding& f : scan(e.path().string(), read_source(e.path()), kinds, &calls))
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
