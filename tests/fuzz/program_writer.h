// Random programs from the statement grammar: valid ones, each statement with random
// options and values (some of them out of range), and broken ones made from those by
// cutting, duplicating or mutating bytes. The same seed writes the same programs.
// What it writes is the reference's (every statement and option it lists, values read
// from its value column, in range or not), where the everyday writer writes the forms
// users type with values from its own data: the two share only how a statement is
// typed (statement_text.h), one statement a line here.
#pragma once
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>

#include "fuzz/fuzz_data.h"
#include "fuzz/program_grammar.h"
#include "support/draws.h"

namespace kes_fuzz {

class program_writer {
 public:
  // escape: a path outside the run's folders, which texts sometimes name.
  program_writer(const program_grammar& g, std::uint64_t seed, std::string escape);
  program_writer(const program_writer&) = delete;  // its draws hold its own generator
  program_writer& operator=(const program_writer&) = delete;

  // The next program: valid, or now and then broken.
  std::string next();
  // The options written so far, as "table: spelling" (table is a statement's title and
  // group, or a "( options )" table's anchor).
  const std::set<std::string>& written() const { return written_; }

 private:
  std::string valid_program();
  std::string broken(std::string text);
  std::string step();
  std::string global_statement();
  std::string statement(const statement_spec& s);
  // Up to `most` options of a table (all of them at its first use), each as written.
  std::vector<std::string> options(const std::string& table, const std::vector<option_spec>& opts, int most);
  std::string option(const std::string& table, const option_spec& o);
  std::string value(const option_spec& o);
  std::string colour();
  std::string number(const std::string& range);
  std::string numbers(const std::string& range);
  std::string text();
  std::string name();
  const statement_spec* find(const std::string& title) const;
  // A statement of variables and options after a slash only: a plot statement.
  static bool plot_statement(const statement_spec& st);
  // A value from good, or now and then in a wild program one from bad.
  template <std::size_t N, std::size_t M>
  std::string either(const char* const (&good)[N], const char* const (&bad)[M]) {
    return wild_ && draw_.chance(15) ? bad[draw_.below(static_cast<int>(M))] : good[draw_.below(static_cast<int>(N))];
  }

  const program_grammar& g_;
  std::mt19937_64 rng_;
  kes_test::draws draw_{rng_};
  std::string escape_;
  std::map<std::string, std::size_t> cursor_;  // per table, the option written next in turn
  std::set<std::string> written_;
  std::string analysis_;  // the variables of the step's VAR statement so far
  bool wild_ = false;     // this program's values may be anything, not only what is valid
  bool classed_ = false;  // the step so far has a CLASS statement
};

}  // namespace kes_fuzz
