// zscale.h - axis scale whose major interval has a leading value from a table of
// accepted values, with counts of minor and major intervals.
//   int zscale(zscale_req* req)  0 a scale was found (and on the n = 0 and simple
//                                paths); -1 the passes ran out; 1 they ran out under
//                                ZSCALE_RELAX (the axis is then the data range)
// Details: see zscale.cpp.
#pragma once
#include <cstdint>

struct zscale_req {
  double min;            // in: data minimum; out: axis start
  double max;            // in: data maximum; out: axis end
  int32_t n;             // in: wanted minor intervals; out: minor x major
  int32_t minor;         // in/out: minor intervals per major (0 free, < 0 suggested)
  int32_t major;         // in/out: major intervals (0 free)
  double interval;       // in: given major interval (0 none, < 0 grid step); out
  uint32_t flags;        // ZSCALE_* option bits
  double tick_interval;  // out: (end - start) / n
  const double* accept;  // accepted leading values, ascending, the last at least 10
  int32_t naccept;
};

constexpr uint32_t ZSCALE_RELAX = 0x1;         // reject empty end intervals; bounded fallback
constexpr uint32_t ZSCALE_WHOLE = 0x2;         // the major interval is a whole number
constexpr uint32_t ZSCALE_ANCHOR_MIN = 0x4;    // axis starts at the data minimum
constexpr uint32_t ZSCALE_ANCHOR_MAX = 0x8;    // axis ends at the data maximum
constexpr uint32_t ZSCALE_EXACT_MAJOR = 0x10;  // stretch or shrink to exactly `major`
constexpr uint32_t ZSCALE_ZERO = 0x20;         // include zero in the range
constexpr uint32_t ZSCALE_ADJUST = 0x40;       // more passes, count adjustments
constexpr uint32_t ZSCALE_MINOR10 = 0x80;      // default minor count up to 10
constexpr uint32_t ZSCALE_NO_SUGGESTED = 0x100;  // a suggested minor count is no default

constexpr int ZSCALE_FOUND = 0;
constexpr int ZSCALE_RAN_OUT = -1;
constexpr int ZSCALE_RAN_OUT_RELAXED = 1;

int zscale(zscale_req* req);
