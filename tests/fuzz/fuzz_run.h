// One fuzzed program run as a user runs it, in each renderer, and what went wrong.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace kes_fuzz {

// The renderers a program runs in: the command-line words of each.
struct renderer {
  const char* name;
  std::vector<std::string> args;
};
const std::vector<renderer>& renderers();

// Runs program (reading data) in a fresh folder inside root, once per renderer, and
// returns what is wrong, one line each (empty when nothing is): a signal, a hang, an
// "Internal error", a sanitizer report, an exit status the log disagrees with, a log
// byte that is not UTF-8 or is a control character, or a file changed in root outside
// the run's folder.
std::vector<std::string> run_and_check(const std::filesystem::path& root, const std::string& program,
                                       const std::string& data);

// Checks of one run's exit status against its log and standard error: what is wrong.
std::vector<std::string> check_outcome(int status, const std::string& log, const std::string& err);

}  // namespace kes_fuzz
