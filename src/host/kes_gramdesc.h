// The parser descriptor that the module hands to the host's statement parser, and
// the grammar tables it points at (generated from src/driver/grammar/ at build time).
#pragma once
#include <cstdint>

extern "C" {

// Symbols: 1..nterminals terminals (token classes, punctuation, keywords, the end
// marker last), nonterminals from first_nonterminal, actions negative.
struct kes_gramdesc {
  std::uint16_t format;              // 1
  std::uint16_t first_nonterminal;   // 390
  std::uint16_t nterminals;          // 389
  std::uint16_t prslst_len;          // entries of the predict table
  const std::int16_t* prdlst;        // per production: count, then its symbols rightmost first
  const std::uint16_t* prdndx;       // start of production p (from 1) at [p - 1]
  const std::uint16_t* lhstbl;       // left side of production p, minus first_nonterminal
  const std::int16_t* prslst;        // predict table (row displacement)
  const std::int16_t* prsndx;        // row base of each nonterminal (may be negative)
  const std::uint16_t* actmap;       // kind of action a (from 1) at [a - 1]
  const std::uint16_t* argndx;       // its argument list in argtbl, 0xFFFF none
  const std::int16_t* argtbl;        // count-prefixed argument lists
  const std::uint8_t* symtbl;        // terminal texts: length byte, text
  const std::uint16_t* symndx;       // offset of terminal t's length byte at [t - 1]
  const std::uint16_t* symmap;       // identity map of the terminals
  const std::uint8_t* delcost;       // deletion cost of terminal t at [t - 1]
  const std::uint8_t* inscost;       // insertion cost of symbol s at [s - 1]
  const std::uint16_t* insndx;       // cheapest string of nonterminal n in instbl
  const std::uint16_t* instbl;       // count-prefixed terminal strings
  std::uint16_t never_cost;          // 127: a cost that rules a repair out
  std::uint16_t max_errors;          // 63: errors reported before the parse gives up
  std::uint16_t ninstbl;             // entries of instbl
  void* token_reader;                // set by xsparse
  void* semantic_routine;            // set by xsparse
  void* parser_anchor;               // set by xsparse
  std::uint16_t nclasses;            // 19 token classes
};

// Tables and their sizes as the generator wrote them.
struct kes_gramtables {
  std::uint16_t first_nonterminal;
  std::uint16_t nterminals;
  std::uint16_t nnonterminals;
  std::uint16_t nproductions;
  std::uint16_t nactions;
  std::uint16_t prslst_len;
  std::uint16_t argtbl_len;
  std::uint16_t symtbl_len;
  std::uint16_t ninstbl;
  std::uint16_t nclasses;
  const std::int16_t* prdlst;
  const std::uint16_t* prdndx;
  const std::uint16_t* lhstbl;
  const std::int16_t* prslst;
  const std::int16_t* prsndx;
  const std::uint16_t* actmap;
  const std::uint16_t* argndx;
  const std::int16_t* argtbl;
  const std::uint8_t* symtbl;
  const std::uint16_t* symndx;
  const std::uint16_t* symmap;
  const std::uint8_t* delcost;
  const std::uint8_t* inscost;
  const std::uint16_t* insndx;
  const std::uint16_t* instbl;
};

extern const kes_gramtables kes_gram_tables;

// Builds the parser descriptor from the static template and the tables; ends the
// step with 1016 when it cannot be allocated.
kes_gramdesc* kesg();

}  // extern "C"
