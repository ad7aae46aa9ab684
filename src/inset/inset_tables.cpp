// The family tables of inset blocks: names, parameter counts, default rows and labels
// (messages of set 431), shared by the device and the template-graph insets.
#include <cstring>

#include "inset/inset_build.h"
#include "kes_msg_names.h"

namespace {

constexpr int kFamilies = 9;  // codes 0..8

// ORDER: distribution codes 0..8.
constexpr int kDistName[kFamilies] = {582, 583, 584, 585, 586, 587, 801, 802, 585};
constexpr int kNparms[kFamilies] = {2, 3, 2, 3, 3, 4, 4, 4, 3};
constexpr int kAlloff[kFamilies][4] = {
    {3, 2, -1, -1}, {0, 2, 3, -1}, {2, 3, -1, -1}, {0, 2, 3, -1}, {0, 2, 3, -1},
    {0, 1, 2, 3},   {0, 1, 2, 3},  {0, 1, 2, 3},   {3, 0, 2, -1},
};

// Labels by family and sub-code; -1: no label. Entries 12..22 serve sub-codes this
// grammar never produces.
constexpr int kSubcodes = 26;
constexpr int kTail[11] = {506, 507, 508, 509, 510, 377, 379, 383, 380, 378, 384};
struct msg_row {
  int first[4];    // sub-codes 0..3
  bool edf;        // 4..9: 511..516
  bool moments;    // 10, 11: 353, 355
  int length;      // entries of the list
  bool johnson;    // 23..25: 357, 358, 373
};
constexpr msg_row kMsgRows[kFamilies] = {
    {{-1, -1, 505, 504}, true, false, 23, false}, {{527, -1, 399, 503}, true, true, 23, false},
    {{-1, -1, 399, 503}, true, true, 23, false},  {{501, -1, 399, 503}, true, true, 23, false},
    {{501, -1, 399, 503}, true, true, 23, false}, {{397, 398, 399, 503}, true, true, 23, false},
    {{499, 500, 399, 503}, true, true, 26, true}, {{499, 500, 399, 503}, true, true, 26, true},
    {{501, -1, 399, 503}, false, false, 4, false},
};

// Kernel labels by sub-code: TYPE, C, BANDWIDTH, AMISE.
constexpr int kKernelMsg[4] = {516, 520, 521, 522};

bool family_ok(int family) { return family >= 0 && family < kFamilies; }

}  // namespace

int kesdistname(int family, char text[16]) {
  std::memset(text, ' ', 16);
  if (!family_ok(family)) return 0;
  return kes_inset_msg(text, 16, KES_SET_LABEL, kDistName[family]);
}

int kesnparms(int family) { return family_ok(family) ? kNparms[family] : 0; }

int kesalloff(int family, int k) { return family_ok(family) && k >= 0 && k < 4 ? kAlloff[family][k] : -1; }

int kesdistmsg(int family, int subcode) {
  if (!family_ok(family) || subcode < 0 || subcode >= kSubcodes) return -1;
  const msg_row& r = kMsgRows[family];
  if (subcode >= r.length) return -1;
  if (subcode < 4) return r.first[subcode];
  if (subcode < 10) return r.edf ? 511 + subcode - 4 : -1;
  if (subcode < 12) return r.moments ? (subcode == 10 ? 353 : 355) : -1;
  if (subcode < 23) return kTail[subcode - 12];
  static constexpr int kJohnson[3] = {357, 358, 373};
  return r.johnson ? kJohnson[subcode - 23] : -1;
}

int kesknlmsg(int row, int offset) { return row >= 0 && row < 4 ? kKernelMsg[row] + offset : -1; }
