// AXIS1 to AXIS99: axis definitions written into the graphics catalog of the run,
// where HAXIS= and VAXIS= of plot statements find them for the rest of the program.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "runner/program_split.h"

namespace plat {

// 1..99 for AXIS1..AXIS99, else 0.
int axis_number(const std::string& keyword);
// True for AXIS followed by digits only, whether or not they make a number from 1 to 99.
bool axis_keyword(const std::string& keyword);

// Stores the definition; each fault is written to the log naming the statement, its
// line and the value. False when there was any (nothing is then stored).
bool run_axis_statement(const statement& st, const std::string& program_text);

// The member records of a definition from the statement's text after its keyword;
// an empty string, or what is wrong. The colour words that name no colour (their
// fields left blank: the axis' default) are put in *unknown_colours, as written; the
// bytes of its quoted texts that were made U+FFFD are counted in *mended.
std::string encode_axis(const std::string& options, std::vector<std::string>* records,
                        std::vector<std::string>* unknown_colours = nullptr, std::size_t* mended = nullptr);

}  // namespace plat
