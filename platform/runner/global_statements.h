// The statements the runner carries out itself, wherever they stand in the program:
// OPTIONS, LIBNAME and TITLE (TITLE1 to TITLE10).
#pragma once
#include <string>

#include "runner/program_split.h"

namespace plat {

// True when the keyword names one of those statements.
bool is_global_statement(const std::string& keyword);

// Carries the statement out; each fault is written to the log naming the statement,
// its line and the value concerned. Returns false when there was any.
bool run_global_statement(const statement& st, const std::string& program_text);

// A quoted text of the statement as every output can hold it: bytes that are not UTF-8
// and control characters become U+FFFD, with a note naming the statement. Each
// statement mends its texts in one call, so that it is noted once.
std::string program_text(const statement& st, const std::string& quoted);

}  // namespace plat
