// Records of the host's statement parser (vector 3; service lines in
// host/svc_parse.def).
#pragma once
#include <cstdint>

extern "C" {

struct kes_stmt;
struct kes_optslot;
struct kes_gramdesc;

// The parse-status record: what the last parse left for the module.
struct host_parsestat {
  std::uint16_t errword;   // nonzero after parse errors: the step ends with it
  std::uint16_t nerrors;   // errors reported
  kes_stmt* first;         // the first statement node (the PROC node), or null
};

// The error word of a parse with errors (a statement or option error).
constexpr std::uint16_t HOST_PARSE_ERRWORD = 1008;

// Trace flags of xsproc.
constexpr int HOST_TRACE_SEM = 1;
constexpr int HOST_TRACE_SYN = 2;

}  // extern "C"
