// The stand-in's statement parser as the runner and tests see it.
#pragma once
#include <string>
#include <vector>

struct kes_stmt;

namespace plat {

// The messages (without their ERROR:/WARNING: prefix) that the last parse wrote.
const std::vector<std::string>& parse_messages();
// A readable text of a parse result: every node with its flags and given slots.
std::string parse_dump(const kes_stmt* first);
// Says in the log, as the parser says it of a character in a step, that the character
// c at line and column of file is not valid and was ignored.
void report_invalid_character(const std::string& file, int line, int col, char c);

}  // namespace plat
