// A text held in a buffer of fixed width: the width, the current length and the
// buffer. CLASS variables and cells describe their level texts this way.
#pragma once
#include <cstdint>

struct kes_textdesc {
  std::uint16_t width;  // size of the buffer, blank-padded
  std::uint16_t len;    // length of the text without the padding
  char* text;
};

// A variable name as the context keeps it: length, then 32 characters blank-padded.
struct kes_name32 {
  std::uint16_t len;
  char text[32];
};
static_assert(sizeof(kes_name32) == 34);
