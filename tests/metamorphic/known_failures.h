// The relations known to fail on some data until their faults are mended: one line
// per relation and kind of data, with the reason. A failure an entry names is expected;
// an entry that no longer fails is itself a failure, so that it is dropped when the
// mend lands. Entries marked "?" name failures met in other draws than the default
// one, which need not fail in it.
#pragma once
#include <string>
#include <vector>

namespace kes_meta {

struct known_failure {
  int line = 0;
  std::string relation;
  std::vector<std::string> kind;  // words every one of which the data's kind has
  std::string reason;
  bool must_fail = true;  // false for "?" entries
  int met = 0;            // failures it explained in this run
};

// Reads "[?] relation | kind words | reason" lines ('#' starts a comment).
std::vector<known_failure> read_known_failures(const std::string& text);

// The entry that explains a failure of the relation on data of that kind, or null.
known_failure* explaining(std::vector<known_failure>& known, const std::string& relation, const std::string& kind);

}  // namespace kes_meta
