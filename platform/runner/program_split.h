// Splitting a program into statements: just enough to find the steps and the
// runner's own statements. Quotes are respected; comments are blanked out.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace plat {

struct statement {
  std::size_t begin = 0;  // offset of its first character
  std::size_t end = 0;    // offset just past its semicolon
  int line = 1;           // line and column of its first character
  int column = 1;
  int last_line = 1;      // line of its semicolon
  std::string keyword;    // its first word, upper case ("" when it starts otherwise)
  std::string second;     // its second word, upper case (a PROC's procedure name)
  int second_line = 1;    // line and column of the second word, or of whatever follows
  int second_column = 1;  // the first word (when anything does)
};

struct split_problem {
  int message;  // host message number (host_messages.h)
  int line;
  int column;
};

// A byte that is no program text outside quotes and comments (a control character
// other than white space, DEL, or a byte that is not part of a UTF-8 character): it
// stands as a blank in the text, so that it neither starts nor splits a statement.
struct stray_character {
  std::size_t offset = 0;
  int line = 1;
  int column = 1;
  char byte = 0;
};

struct split_program {
  // The program, comments replaced by blanks (line breaks kept); a semicolon added at
  // its end when its last statement lacks one.
  std::string text;
  std::vector<statement> statements;
  std::vector<split_problem> problems;  // unterminated quote, comment or statement
  // The start of a statement that an unclosed quote or comment cut short, which is
  // then not among the statements; npos when none was.
  std::size_t cut_statement = std::string::npos;
  std::vector<stray_character> strays;  // in the order of the text
};

// A byte order mark at the start of text is dropped first: lines, columns and offsets
// are those of the text after it. A second one (a file that begins with two, or two
// files joined) stands as blanks, and the first of them is a problem.
split_program split_statements(std::string text);

// Why the program cannot be read as UTF-8 text ("the file is UTF-16; save it as
// UTF-8"), or empty: a program saved in UTF-16 would read as a NUL beside every
// character.
std::string program_encoding_problem(const std::string& text);

}  // namespace plat
