// The words that begin statements, for saying where a semicolon may be missing: a
// statement that runs on into the next one meets that one's name where it wanted a
// value, and the message names the word that failed.
#include "core/name_case.h"
#include "core/runtime.h"

namespace plat {

statement_word_test& runner_statement_word() {
  static statement_word_test test = nullptr;
  return test;
}

std::string semicolon_hint(const std::string& word, bool begins_step_statement) {
  const std::string w = upper(word);
  const statement_word_test runner = runner_statement_word();
  if (w.empty() || !(begins_step_statement || (runner != nullptr && runner(w)))) return {};
  return "; a \";\" may be missing before " + w + ", which begins a statement";
}

}  // namespace plat
