// The stand-in's statement parser: state shared by the token reader (xttk), the
// predictive parser (xsproc) and the semantic routine (xsem).
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/runtime.h"
#include "data/dataset.h"
#include "data/dataset_options.h"
#include "host/kes_gramdesc.h"
#include "host/kes_stmt.h"
#include "host/host_parse.h"
#include "kes_msg_names.h"

namespace plat::parse {

// Token classes: the first terminals of every grammar this parser reads.
enum token_class : int {
  T_ENDJB = 1, T_NAMEX, T_QS, T_INT, T_NBR, T_COMPOUND, T_FMT, T_DATE, T_TIME, T_DATETIME,
  T_MISSING, T_VLITERAL, T_CATNAME, T_QORDS
};

constexpr int kMaxNameLength = 32;

// One token as the reader delivers it. A word that spells a keyword keeps both
// readings: the parser takes the keyword where the grammar expects it and a name
// otherwise. A number such as 8.2 may likewise be read as a format.
struct token {
  int cls = 0;            // terminal of the first reading (a token class or a punctuation mark)
  int keyword = 0;        // terminal of the keyword the word spells, or 0
  int alt = 0;            // a further reading (T_FMT for 8.2), or 0
  std::string text;       // the word upper-cased; a quoted text without its quotes
  std::string raw;        // as typed, for messages
  double value = 0;       // numbers, dates, times, missing values
  int line = 0, col = 0;  // position in the program
  bool synthetic = false; // made by error repair, not read
  size_t begin = 0, end = 0;  // offsets of the token in the step's text
  // Formats: name, width and decimals.
  std::string fmt_name;
  int fmt_width = 0, fmt_decimals = 0;
};

// The keyword matching table of a grammar: spelling (without a trailing $) ->
// terminal; and the punctuation marks.
struct symbols {
  std::map<std::string, int> keywords;
  int punct[128] = {};    // character -> terminal
  int end_marker = 0;
  std::vector<std::string> texts;  // texts of the terminals as stored, index t
};
const symbols& symbols_of(const kes_gramdesc* desc);

// One list under construction in a slot.
enum class list_type { none, numvars, anyvars, numbers, colors, texts, names, formats, markers };

struct slot_store {
  list_type type = list_type::none;
  char single = 0;                   // a single value: 'n' number, 'm' name, 't' text,
                                     // 'd' data set, 'f' format
  std::vector<double> numbers;
  std::vector<std::int32_t> ints;
  std::vector<bool> listed;          // variable lists: listed[v] when v is in ints
  std::vector<std::string> strings;  // colours, names, texts
  std::vector<kes_fmtentry> formats;
  std::string text;                  // a single text
  std::string option;                // the option of a list of names, as the keyword reads
                                     // (of a single number too, with the number as typed:)
  std::string written;
  // What the module's slot points at, made when the parse ends.
  std::vector<char> bytes;
  std::vector<kes_textentry> entries;
};

struct node_store {
  kes_stmt node{};
  std::vector<kes_optslot> slots;
  std::vector<slot_store> stores;
  // Where each slot was first written (line and column of the step's text; 0 not
  // written), so that a check of its value may say where the option stands.
  std::vector<std::pair<int, int>> places;
  // The statement that wrote each slot: VAR, CLASS and the like fill the PROC node.
  std::vector<std::string> place_stmts;
  std::string stmt_name;  // as typed, for messages
  int line = 0;
  int col = 0;  // of the statement's keyword
};

// State of one parse.
struct parser;
struct semantics {
  parser* p = nullptr;
  std::deque<node_store> nodes;      // the nodes of the parse, in input order
  node_store* proc = nullptr;        // the PROC node
  node_store* cur = nullptr;         // the node the statement fills
  std::string cur_stmt;              // the statement's name, for messages
  int cur_stmt_line = 0;
  double reg = 0;                    // the number register
  std::string name1, name2;          // names of a variable-list element
  int cur_list = -1;                 // the slot of the current list
  // Number-list item in progress.
  bool range_pending = false;
  double range_from = 0, range_to = 0, range_by = 1;
  // Paired parameter lists.
  int pair_values = -1, pair_markers = -1, pair_positions = -1;
  // Data set named last, and its data set options.
  std::string ds_lib, ds_member;
  std::shared_ptr<ds_options> ds_opts;
  bool ds_opts_refused = false;      // the options could not be read
  dataset* input = nullptr;          // DATA= of the PROC statement
  bool data_named = false;           // the PROC statement names DATA= (opened or not)
  // Variables of each input data set that its KEEP= or DROP= left out, with the option.
  std::map<const dataset*, std::vector<std::pair<std::string, std::string>>> left_out;
  // BY statement.
  bool by_descending_next = false;
  bool by_notsorted = false;
  std::vector<std::shared_ptr<std::string>> texts;  // storage of texts handed out
  bool text_noted = false;           // the statement's quoted texts were said to be mended
  int errors = 0;
};

struct parser {
  const kes_gramdesc* desc = nullptr;
  const symbols* syms = nullptr;
  std::string file;         // program file name
  std::string text;         // the step's text
  size_t pos = 0;           // reader position
  int line = 1, col = 1;    // reader line and column
  bool at_statement_start = true;
  token tok;                // the lookahead
  token last;               // the token matched last
  token last_keyword;       // the keyword matched last: where the option being read begins
  token option_keyword;     // the keyword matched before the last '=': the option whose
                            // value is being read, also when the value is a keyword
  int trace = 0;
  int errors = 0;
  bool gave_up = false;
  semantics sem;
  host_parsestat* status = nullptr;
  std::deque<token>* lookahead = nullptr;  // the engine's tokens read ahead, not yet matched
  // The keywords that begin the step's statements (upper case, as the grammar has them
  // after the PROC statement), for saying where a semicolon may be missing.
  std::set<std::string> statement_words;
};

// Token reader: reads the next token into p->tok.
void read_token(parser* p);
// Reads the text between the parenthesis that follows the last token matched and
// the one that closes it (quotes respected), as data set options are read: true with
// the text and the position of the opening parenthesis, false when no parenthesis
// follows. An unclosed group is reported and read to the end of the statement.
bool read_raw_group(parser* p, std::string* text, int* line, int* col);
// Semantic routine: performs action a (from 1) of the descriptor.
void perform(parser* p, int action);
// The statement nodes are made final (slot arrays pointed at their stores).
void finish_nodes(parser* p);

// A character as a message shows it: itself when printable, else \xHH.
std::string character_shown(char c);
// Error reporting of the parse (counts the error, names the statement).
void parse_error(parser* p, int line, int col, int number, ...);
// A text of the given kind framed as the parser's messages are: the program file,
// line and column, and the statement (none when stmt is empty).
std::string frame_message(msg_kind kind, const std::string& file, int line, int col, const std::string& text,
                          const std::string& stmt);
std::string describe(const parser* p, const token& t);
// '; a ";" may be missing before WORD, which begins a statement' when the word, met
// where something else was wanted, names a statement; else empty.
std::string missing_semicolon(const parser* p, const std::string& word);
std::string terminal_text(const parser* p, int t);

// Variable lists: appends the variables an element names to the list.
void add_variables(parser* p, int kind);

// The messages of the current parse (for parse_messages()).
std::vector<std::string>& message_log();

// The parser of the current step (null before the first parse).
parser* current_parser();

// Message set of the parser's catalogue entries (platform/catalogue/parse.msg).
constexpr int kMsgSet = KES_SET_HOST_PARSE;

}  // namespace plat::parse
