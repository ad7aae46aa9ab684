// The parse result: one statement node per statement, each with its option slots.
#pragma once
#include <cstdint>

extern "C" {

// One option slot. 'given' is set when the option was given; 'given2' is the second
// given byte of a family option's parameter list (a value counts as given when set).
struct kes_optslot {
  std::uint8_t given;
  std::uint8_t given2;
  std::uint8_t pad[6];
  union {
    std::int32_t count;  // number of list elements
    double num;          // a single number
    char name[8];        // an 8-character blank-padded name
    void* handle;        // an opened data set
  } v;
  void* list;            // list elements (numbers and INSET codes as doubles)
};

constexpr int KES_STMT_FLAG_BYTES = 64;

struct kes_stmt {
  kes_stmt* next;
  char name[8];                              // as typed, upper case, blank-padded
  std::uint8_t flags[KES_STMT_FLAG_BYTES];   // flag f: byte f/8, mask 0x80 >> (f % 8)
  kes_optslot* slots;
  int nslots;
};

inline bool kes_flag(const kes_stmt* s, int f) {
  return (s->flags[f / 8] & (0x80u >> (f % 8))) != 0;
}

}  // extern "C"
