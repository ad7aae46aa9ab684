// Running the statement parse of the module's grammar on a program text, with a
// WORK library of small CSV data sets, for the parser tests.
#pragma once
#include <string>
#include <vector>

#include "host/host_parse.h"

namespace parse_test {

struct result {
  int errors = 0;                      // what xsproc returned
  host_parsestat status{};             // the parse-status record
  std::string dump;                    // the parse dump
  std::vector<std::string> messages;   // the parser's messages
};

// The folder of the WORK library the tests use (made on first use): CLASS, ANNO,
// INSDS and EMPTYVARS.
const std::string& work_folder();

// Parses text as the step's statements of a program file, the text starting at
// the given line and column. The nodes stay valid until the next call.
result parse(const std::string& text, const std::string& file = "prog.kes", int first_line = 1,
             int first_column = 1);

// The statement nodes of the last parse.
const struct kes_stmt* first_node();

}  // namespace parse_test
