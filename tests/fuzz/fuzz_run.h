// One fuzzed program run as a user runs it, in each renderer, and what went wrong.
#pragma once
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace kes_fuzz {

// The renderers a program runs in: the command-line words of each.
struct renderer {
  const char* name;
  std::vector<std::string> args;
};
const std::vector<renderer>& renderers();

// The memory a fuzzed run may take: a layout that grows without end stops here.
inline constexpr long kMemoryCapMb = 2048;

// Runs program (reading data) in a fresh folder inside root, once per renderer, and
// returns what is wrong, one line each (empty when nothing is): a signal, a hang, a
// run out of its memory cap, an "Internal error", a sanitizer report, an exit status
// the log disagrees with, a log byte that is not UTF-8 or is a control character, a
// file changed in root outside the run's folder, or a graph that breaks a rule that
// holds at any page size. key names the program in the known-fault list
// (tests/support/svg_known_faults.txt): a graph's entry is key/RENDERER/FILE.svg and
// the run's own key/RENDERER with the rule "run-fails".
// Which graph rules a run's graphs are held to, and the facts they cannot say.
struct graph_check {
  bool every_rule = false;  // all the rules, for a page of the default size
  std::vector<long> cell_values;  // the values of each cell (see kes_test::svg_facts)
  std::vector<std::string> listed_percents;  // a PCTLORDER= list the program gives, as written
  std::vector<long> cell_counts;  // the nonmissing values of each cell, ties and all
  // The plot statements of the program, each drawing a graph file; -1 when not known.
  // Fewer files are a fault unless the log says why (a WARNING, or a note that a
  // graph is not drawn).
  int drawing_statements = -1;
};
std::vector<std::string> run_and_check(const std::filesystem::path& root, const std::string& program,
                                       const std::string& data, const std::string& key,
                                       const graph_check& check = {});

// The facts a graph of the program cannot say itself: SQUARE when every P-P plot of
// the program asks for it.
bool program_squares(const std::string& program);
// Whether some plot statement of the program gives VAXIS= a list of its own.
bool program_lists_vaxis(const std::string& program);
// The "#RRGGBB" of each colour the program gives texts (CTEXT=, CT=, CTEXTSIDE=,
// CTEXTTOP=), quoted or not, as a name, #RRGGBB or CXrrggbb.
std::set<std::string> program_text_colours(const std::string& program);

// The rule name under which a failed run is listed in the known-fault list.
inline constexpr const char* kRuleRunFails = "run-fails";
// The rule name under which a run that draws fewer graph files than it has plot
// statements, and says nothing of why, is listed.
inline constexpr const char* kRuleGraphMissing = "graph-missing";

// Whether a log says why a graph is not drawn: a WARNING, or a note of a graph or cell
// not drawn or not shown.
bool log_says_graph_not_drawn(const std::string& log);

// Checks of one run's exit status against its log and standard error: what is wrong.
std::vector<std::string> check_outcome(int status, const std::string& log, const std::string& err);

}  // namespace kes_fuzz
