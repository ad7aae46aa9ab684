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

namespace fs = std::filesystem;

namespace {
std::string read(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

TEST(MessageNames, EveryCallPassesTheSetOfItsMessage) {
  const std::string header = read(fs::path(KES_BINARY_DIR) / "generated" / "kes_msg_names.h");
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
    const std::string text = read(e.path());
    for (std::sregex_iterator it(text.begin(), text.end(), kPair), end; it != end; ++it, ++pairs) {
      const auto found = set_of.find((*it)[2]);
      ASSERT_NE(found, set_of.end()) << e.path() << ": " << (*it)[0];
      EXPECT_EQ(found->second, (*it)[1].str()) << e.path() << ": " << (*it)[0];
    }
  }
  EXPECT_GT(pairs, 100);
}

namespace {

// The arguments of the call whose '(' is at open, split at the commas of its own level.
std::vector<std::string> call_args(const std::string& text, std::size_t open) {
  std::vector<std::string> out(1);
  int depth = 0;
  for (std::size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '(' || c == '[' || c == '{') {
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
  int calls = 0;
  for (const auto& e : fs::recursive_directory_iterator(fs::path(KES_SOURCE_DIR) / "src")) {
    const std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    const std::string text = read(e.path());
    for (const message_routine& r : message_routines()) {
      const std::regex call(std::string(R"((^|[^\w.>])()") + r.name + R"()\s*\()");
      for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it) {
        const std::size_t open = static_cast<std::size_t>(it->position(0) + it->length(0) - 1);
        const std::vector<std::string> args = call_args(text, open);
        // A declaration or definition names its parameters' types.
        if (args.empty() ||
            std::regex_search(args[0], std::regex(R"(^\s*(const\s+)?(int|char|double|void|kes_\w+)\b[\s\*&]+\w)")))
          continue;
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
