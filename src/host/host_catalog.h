// Records of the host's graphics catalog and graphics text services, shared by the
// module and the stand-in.
#pragma once
#include <cstdint>

extern "C" {

// The name record of a catalog member.
struct host_member_name {
  int name_len;     // 8
  char name[8];     // member name, blank-padded
  char type[8];     // member type ("GLOBAL  ")
  int word1;        // 256
  int word2;        // 1
};

// The read record of xlmread: the buffer, the length read, the buffer's capacity.
struct host_member_read {
  void* buffer;
  int length;
  int capacity;
};

// A graphics text record: one piece of text with its attributes, chained in a line.
struct host_gtext {
  int word;                 // 1
  char font[8];             // device font field, blanks until given
  float height;             // percent of the graphics area
  int just;                 // justification code: 1 left, 2 right, 4 centre
  std::uint16_t length;
  const char* text;
  char color[8];
  std::uint8_t font_given;
  std::uint8_t height_given;
  host_gtext* next;
  host_gtext* prev;
};

}  // extern "C"
