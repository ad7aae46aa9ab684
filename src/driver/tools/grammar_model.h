// The grammar as the table generator reads it, and its LL(1) analysis.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace gg {

// Where a production or a symbol came from, for messages.
struct source_pos {
  std::string file;
  int line = 0;
};

struct action {
  int kind = 0;
  std::vector<int> args;
  bool operator<(const action& o) const {
    return kind != o.kind ? kind < o.kind : args < o.args;
  }
};

// A right-hand side symbol: > 0 terminal or nonterminal number, < 0 action number.
struct production {
  int lhs = 0;
  std::vector<int> rhs;
  source_pos pos;
  std::string doc;    // the "#:" lines standing before the alternative, joined
  std::string scope;  // the %names scope in force where it was written
};

enum class term_kind { token_class, punct, keyword, end_marker };

struct grammar {
  // Terminals 1..nterminals; texts as stored (token class names, punctuation,
  // keywords with their $, "$$$" for the end marker).
  std::vector<std::string> term_text;      // index 0 unused
  std::vector<term_kind> term_kinds;       // index 0 unused
  int nterminals = 0;
  int first_nonterminal = 0;               // nterminals + 1
  std::vector<std::string> nonterm_name;   // index n - first_nonterminal
  std::vector<source_pos> nonterm_pos;
  std::vector<production> prods;           // production p at index p - 1
  std::vector<action> actions;             // action a at index a - 1
  std::map<int, std::string> kind_names;   // action kind -> name
  // Slot and flag names given beside their numbers (NAME=n as an action's first
  // argument; a paired parameter's marker and EST-position slots NAME_MARKS and
  // NAME_EST; the value of a @const as NAME=n in its second argument), by scope
  // (%names SCOPE) and kind ("SLOT", "FLAG" or "CODE"): one number per name and one
  // name per number.
  struct named_number {
    std::string scope, kind, name;
    int value = 0;
    source_pos pos;
  };
  std::vector<named_number> names;
  // Slots and flags that only device graphs read (%device_only SLOT|FLAG NAME...,
  // in the scope of %names): the options that set them are marked in the reference
  // and listed in the names header, where the template graphs' note finds them.
  // %device_only_in STATEMENT SLOT|FLAG NAME... limits the mark to one statement's
  // options (a slot other statements' options share); %device_value SLOT|FLAG NAME...
  // names the value of an option that acts on every graph but whose value only device
  // graphs read (a colour of grid lines that any graph draws).
  struct named_ref {
    std::string scope, kind, name;
    source_pos pos;
    std::string statement;  // empty: every statement of the scope
    bool value = false;
  };
  std::vector<named_ref> device_only;
  int start = 0;                           // the augmented start nonterminal

  // The user's reference: statements in the order given (%statement), each with the
  // nonterminals whose alternatives are its options (%options); the value kind of a
  // value nonterminal (%kind); the option nonterminals whose options are families.
  struct option_group {
    std::string nonterminal, heading;
    source_pos pos;
  };
  struct statement_ref {
    std::string title, nonterminal, syntax;
    std::vector<option_group> groups;
    source_pos pos;
  };
  std::vector<statement_ref> statements;
  std::map<std::string, std::string> value_kinds;
  std::set<std::string> families;

  int nnonterminals() const { return static_cast<int>(nonterm_name.size()); }
  int nsymbols() const { return nterminals + nnonterminals(); }
  bool is_nonterminal(int s) const { return s >= first_nonterminal; }
  std::string symbol_name(int s) const;
  std::string production_text(int p) const;  // "lhs : rhs" as written (actions too)
};

// Reads a grammar file (following %include). On failure returns false with the
// messages ("file:line: text") in *errors.
bool read_grammar(const std::string& path, grammar* g, std::vector<std::string>* errors);

// Writes the named slot and flag numbers as a C++ header of constants
// (KES_<SCOPE>_<KIND>_<NAME>); false when the file cannot be written.
bool write_names(const grammar& g, const std::string& source, const std::string& path);

// The options whose every slot and flag is a device-only one (or whose value is), by
// scope, as the reference shows them ("CFRAME=", "NOFRAME", a family's "NORMAL(COLOR=)",
// "CGRID= (its value)"),
// each with the kind ("SLOT" or "FLAG") and number of the slot or flag that tells it
// was given; in the order of the statements and their options.
struct device_option {
  std::string scope, kind, option;
  int number = 0;
  std::string statement;  // the one statement whose option it is; empty: any
};
std::vector<device_option> device_only_options(const grammar& g);

// The text the reference adds to the description of a device-only option, and of an
// option whose value only device graphs read.
inline constexpr const char* kDeviceOnlyMark = "Device graphs only.";
inline constexpr const char* kDeviceValueMark = "Its value: device graphs only.";

// Writes the user's reference of the statements of the grammars, in Markdown. Every
// option without a description, value without a kind or keyword named nowhere is a
// line of *problems; the text says "(no description)" where one is missing.
std::string reference_text(const std::vector<const grammar*>& grammars, std::vector<std::string>* problems);

// The LL(1) analysis.
struct analysis {
  std::vector<bool> nullable;                 // by nonterminal index
  std::vector<std::set<int>> first, follow;   // terminals, by nonterminal index
  // predict[n][t]: production number, negative for an empty production predicted
  // on a follower, 0 none.
  std::vector<std::vector<int>> predict;
  std::vector<std::string> conflicts;         // one line per conflict
  std::vector<std::string> problems;          // undefined, unproductive nonterminals
  std::vector<std::string> warnings;          // unreachable nonterminals, unused keywords
  // Cheapest insertion: cost per symbol (terminals and nonterminals, index s) and the
  // cheapest terminal string of each nonterminal.
  std::vector<int> inscost;
  std::vector<std::vector<int>> cheapest;     // by nonterminal index
  std::vector<int> delcost;                   // by terminal
};

constexpr int NEVER_COST = 127;

analysis analyse(const grammar& g);

}  // namespace gg
