// Records of the host's graphics catalog, shared by the module and the stand-in (the
// graphics text record is in host_graph.h).
#pragma once
#include <cstdint>

#include "host/host_graph.h"

extern "C" {

// The name record of a catalog member.
struct host_member_name {
  int name_len;     // 8
  char name[8];     // member name, blank-padded
  char type[8];     // member type ("GLOBAL  ")
  int word1;        // 256
  int word2;        // 1
};

// What xlmopen returns for a member that the statement meant to write was refused (its
// error is in the log), beside 0 opened and 1 absent.
constexpr int HOST_MEMBER_REFUSED = 2;

// The read record of xlmread: the buffer, the length read, the buffer's capacity.
struct host_member_read {
  void* buffer;
  int length;
  int capacity;
};


}  // extern "C"
