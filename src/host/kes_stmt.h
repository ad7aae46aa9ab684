// The parse result: one statement node per statement, each with its option slots.
// The host's parser builds the nodes; the slot and flag numbers of each statement
// are those of the grammar (src/driver/grammar/).
#pragma once
#include <cstdint>

extern "C" {

// One option slot. 'given' is set when the option was given (a few options store a
// code in it, for example 3 for a MIDPOINTS= list); 'given2' is the second given
// byte: set for the parameter lists of the fitted families and for single values
// that their readers test through it.
struct kes_optslot {
  std::uint8_t given;
  std::uint8_t given2;
  std::uint8_t pad[6];
  union {
    std::int32_t count;  // number of list elements; length of a text
    double num;          // a single number
    char name[8];        // an 8-character blank-padded name
    void* handle;        // an opened data set (kes_dsh)
  } v;
  void* list;            // list elements; the characters of a text (NUL-terminated)
};
static_assert(sizeof(kes_optslot) == 16 + sizeof(void*));

// List elements, by the kind of list:
//   numbers, INSET codes       double
//   variables                  std::int32_t variable number (from 0); in a CLASS
//                              list a negative code may follow a variable:
//                              -1..-4 ORDER= FREQ, DATA, INTERNAL, FORMATTED,
//                              -5 MISSING
//   EST markers, positions     std::int32_t
//   colour names               char[8], blank-padded
//   names                      kes_listname
//   texts                      kes_textentry
//   formats                    kes_fmtentry
struct kes_listname {
  char text[32];  // blank-padded
};
struct kes_textentry {
  std::int32_t length;
  const char* text;  // NUL-terminated as well
};
// A format: width, decimals and the host's word that identifies it.
struct kes_fmtentry {
  std::uint16_t width;
  std::uint16_t decimals;
  std::uint32_t id;
};
static_assert(sizeof(kes_fmtentry) == 8);

constexpr int KES_STMT_FLAG_BYTES = 64;

struct kes_stmt {
  kes_stmt* next;
  char name[8];                              // as typed, upper case, blank-padded
  std::uint8_t flags[KES_STMT_FLAG_BYTES];   // flag f: byte f/8, mask 0x80 >> (f % 8)
  kes_optslot* slots;
  int nslots;
};

// The slot number that places a message at the statement's own keyword (xspplace).
constexpr int KES_STMT_KEYWORD = -1;
// The same place for a note on one BY group's data, which still names its group.
constexpr int KES_STMT_KEYWORD_GROUP = -2;

inline bool kes_flag(const kes_stmt* s, int f) {
  return (s->flags[f / 8] & (0x80u >> (f % 8))) != 0;
}

}  // extern "C"
