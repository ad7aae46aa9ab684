// Option slots and flags are read by the names the grammar gives them: a slot
// renumbered in the grammar then moves every reader with it. This scan of the module's
// sources fails on a reader of a slot or flag given a literal number.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "source_scan.h"

namespace fs = std::filesystem;

namespace {

using kes_test::call_args;
using kes_test::read_source;

// The readers of a statement's slots and flags, and which of their arguments name one.
struct slot_reader {
  const char* name;
  std::vector<int> slots;
};

const std::vector<slot_reader>& slot_readers() {
  static const std::vector<slot_reader> kReaders = {
      {"kes_pslot", {1}},      {"kes_pgiven", {1}},           {"kes_pgiven2", {1}},
      {"kes_pcount", {1}},     {"kes_pnumbers", {1}},         {"kes_pwords", {1}},
      {"kes_pnumber", {1}},    {"kes_flag", {1}},             {"kes_gname_opt", {1}},
      {"kes_gtext_opt", {1}},  {"kes_marker_est", {1}},       {"kes_param_entry", {1, 2}},
      {"kes_stmt_number", {1}}, {"kes_johnson_controls", {1, 2, 3}}, {"kesline", {2, 3, 4}},
      {"xspplace", {1}},
  };
  return kReaders;
}

// A number standing alone in the argument, outside subscripts (an index into a table
// of names is no slot number) and outside the condition of a choice (c ? a : b).
bool has_literal(const std::string& arg) {
  int depth = 0;
  const std::size_t choice = arg.rfind('?');
  for (std::size_t i = choice == std::string::npos ? 0 : choice + 1; i < arg.size(); ++i) {
    const char c = arg[i];
    if (c == '[') ++depth;
    if (c == ']') --depth;
    if (depth > 0 || !std::isdigit(static_cast<unsigned char>(c))) continue;
    const char before = i > 0 ? arg[i - 1] : ' ';
    if (std::isalnum(static_cast<unsigned char>(before)) || before == '_' || before == '.') continue;
    return true;
  }
  return false;
}

// A declaration or definition names its parameters' types.
bool is_declaration(const std::vector<std::string>& args) {
  static const char* const kTypes[] = {"const ", "int ", "kes_", "double ", "void"};
  std::string first = args.empty() ? "" : args[0];
  first.erase(0, first.find_first_not_of(" \n\t"));
  for (const char* t : kTypes)
    if (first.rfind(t, 0) == 0 && first.find_first_of(" *&") != std::string::npos) return true;
  return false;
}

// "file:line: reader" for every reader call in text given a literal slot or flag.
std::vector<std::string> literal_reads(const std::string& file, const std::string& text, int* calls) {
  std::vector<std::string> bad;
  for (const slot_reader& r : slot_readers()) {
    const std::string name = r.name;
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
      const char before = at > 0 ? text[at - 1] : ' ';
      std::size_t open = at + name.size();
      if (std::isalnum(static_cast<unsigned char>(before)) || before == '_') continue;
      while (open < text.size() && text[open] == ' ') ++open;
      if (open >= text.size() || text[open] != '(') continue;
      const std::vector<std::string> args = call_args(text, open);
      if (args.empty() || is_declaration(args)) continue;
      ++*calls;
      for (int k : r.slots) {
        if (k >= static_cast<int>(args.size()) || !has_literal(args[static_cast<std::size_t>(k)])) continue;
        const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
        bad.push_back(file + ":" + std::to_string(line) + ": " + name + " reads a numbered slot or flag");
      }
    }
  }
  return bad;
}


}  // namespace

TEST(SlotNames, NoReaderIsGivenALiteralSlotOrFlag) {
  int calls = 0;
  std::vector<std::string> bad;
  for (const auto& e : fs::recursive_directory_iterator(fs::path(KES_SOURCE_DIR) / "src")) {
    const std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    const std::vector<std::string> found = literal_reads(e.path().string(), read_source(e.path()), &calls);
    bad.insert(bad.end(), found.begin(), found.end());
  }
  std::string list;
  for (const std::string& b : bad) list += b + "\n";
  EXPECT_TRUE(bad.empty()) << list;
  EXPECT_GT(calls, 300);
}

// Cases the scan must catch, and ones it must let through.
TEST(SlotNames, TheScanTellsALiteralFromAName) {
  struct row {
    const char* text;
    size_t found;
  };
  const row rows[] = {
      {"if (kes_flag(ctx->proc, 16)) z = 1;", 1},
      {"if (kes_flag(ctx->proc, KES_PROC_FLAG_ZCOMPRESS)) z = 1;", 0},
      {"x = kes_pnumber(s, kSlots[2]);", 0},
      {"x = kes_pnumber(s, 187) + kes_pgiven2(s, 1 + k);", 2},
      {"kesline(ctx, slot, KES_PLOT_SLOT_SB_THETA, 154, KES_NO_SLOT);", 1},
      {"o = kes_pslot(p, i == 0 ? KES_PROC_SLOT_KEYLEVEL1 : KES_PROC_SLOT_KEYLEVEL2);", 0},
      {"o = kes_pslot(p, i == 0 ? KES_PROC_SLOT_KEYLEVEL1 : 28);", 1},
      {"bool kes_pgiven(const kes_stmt* s, int n);", 0},
      {"n = my_kes_flag(s, 3) + kes_flag2(s, 4);", 0},
      {"v = kes_pslot(s, KES_PLOT_SLOT_W2)->v.num;", 0},
  };
  for (const row& r : rows) {
    int calls = 0;
    EXPECT_EQ(literal_reads("f.cpp", r.text, &calls).size(), r.found) << r.text;
  }
}
