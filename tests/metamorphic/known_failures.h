// The relations known to fail on some data until their faults are mended: one line
// per relation, kind of data and statistics, with the reason. A failure an entry names
// is expected, in any draw, where every fault of it concerns a statistic the entry
// names; an entry that no longer fails is itself a failure, so that it is dropped when
// the mend lands. Entries of faults too rare for the default draw name draws where they
// are met (at=SEED:SET); each must fail in every run that draws one of them.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace kes_meta {

struct known_failure {
  int line = 0;
  std::string relation;
  std::vector<std::string> kind;        // words every one of which the data's kind has
  std::vector<std::string> statistics;  // the statistics (or fit keys' words) it excuses
  std::vector<std::pair<std::uint64_t, long>> draws;  // at=SEED:SET: only those sets
  std::string reason;
  int met = 0;                                     // failures it explained in this run
  std::set<std::pair<std::uint64_t, long>> draws_met;
  std::set<std::string> statistics_met;  // those of its statistics the faults named
};

// Reads "relation | kind words | statistics | reason" lines ('#' starts a comment).
// Malformed lines are returned in errors, each with its line number.
std::vector<known_failure> read_known_failures(const std::string& text, std::vector<std::string>* errors = nullptr);

// Where a case was drawn: a hand case has no set (set -1).
struct draw_place {
  std::uint64_t seed = 0;
  long set = -1;
};

// The entry that explains a failure of the relation on data of that kind whose every
// fault concerns a statistic the entry names (one that names the draw first); or null.
known_failure* explaining(std::vector<known_failure>& known, const std::string& relation, const std::string& kind,
                          draw_place where, const std::vector<std::string>& faults);

// The words of a fault's first line (runs of letters, digits and '_'): the statistics
// it names are among them, e.g. PCT0 and MIN in "x: P0 is not MIN (PCT0 1, MIN 2)",
// Normal and Mu in "x|Histogram 1|Normal|Mean|Mu: ...".
std::vector<std::string> fault_words(const std::string& fault);

}  // namespace kes_meta
