// The block of a CLASS cell's per-variable records: the records, then each record's
// summary and extreme lists. Every combination of extremes, ID variables, ID text
// length and FREQ: each part lies inside the block, aligned, apart from every other,
// and starts reset (missing values, blank ID texts, zero counts).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "datapass_test_support.h"
#include "driver/kes_varsum.h"
#include "driver/varsum_records.h"

namespace dp_test {
namespace {

class VarsumBlock : public datapass_fixture {};

TEST_F(VarsumBlock, PartsAreDisjointAlignedAndReset) {
  struct shape {
    int nvars, nextrobs, nids, idtext, freq;
  };
  const shape shapes[] = {{1, 0, 0, 0, 0}, {1, 5, 0, 0, 0}, {3, 5, 2, 0, 1},
                          {2, 3, 1, 13, 0}, {4, 1, 3, 7, 1}, {1, 12, 1, 1, 1}};
  for (const shape& s : shapes) {
    SCOPED_TRACE(::testing::Message() << s.nvars << " vars, " << s.nextrobs << " extremes, " << s.nids
                                      << " ids of " << s.idtext << ", freq " << s.freq);
    kes_ctx& ctx = *ctx_;
    ctx.nvars = s.nvars;
    ctx.nextrobs = s.nextrobs;
    ctx.nids = s.nids;
    ctx.dp.idtextlen = s.idtext;
    ctx.freq_given = s.freq;
    const long bytes = kes_varsum_bytes(&ctx);
    char* block = static_cast<char*>(std::calloc(1, static_cast<size_t>(bytes)));
    kes_varsum* arr = kes_varsum_lay(&ctx, block);
    ASSERT_EQ(static_cast<void*>(arr), block);
    std::vector<std::pair<const char*, const char*>> parts;
    auto part = [&](const void* p, long size, size_t align) {
      if (size == 0) return;
      const char* c = static_cast<const char*>(p);
      ASSERT_NE(p, nullptr);
      EXPECT_GE(c, block);
      EXPECT_LE(c + size, block + bytes);
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(c) % align, 0u);
      parts.emplace_back(c, c + size);
    };
    part(arr, static_cast<long>(sizeof(kes_varsum)) * s.nvars, alignof(kes_varsum));
    const long n = s.nextrobs, k = s.nids;
    for (int v = 0; v < s.nvars; ++v) {
      const kes_varsum& r = arr[v];
      part(r.summary, 8 * KES_SUMMARY_DOUBLES, 8);
      part(r.lowest, 2 * n * 8, 8);
      part(r.low_obs, 2 * n * 4, 4);
      part(r.low_freq, s.freq ? 2 * n * 4 : 0, 4);
      part(r.low_idnum, k > 0 ? 2 * n * k * 8 : 0, 8);
      part(r.low_idchar, k > 0 ? 2 * n * k * s.idtext : 0, 1);
      EXPECT_EQ(r.low_freq != nullptr, s.freq && n > 0);
      EXPECT_EQ(r.low_idchar != nullptr, k > 0 && s.idtext > 0 && n > 0);
      if (n > 0) {
        EXPECT_EQ(r.highest, r.lowest + n);
        EXPECT_EQ(r.high_obs, r.low_obs + n);
        EXPECT_TRUE(std::isnan(r.lowest[0]) && std::isnan(r.highest[n - 1]));
        EXPECT_EQ(r.high_obs[n - 1], 0);
      }
      if (r.low_idchar != nullptr) {
        EXPECT_EQ(r.high_idchar[n * k * s.idtext - 1], ' ');
      }
      EXPECT_EQ(r.nslots, s.nextrobs);
    }
    std::sort(parts.begin(), parts.end());
    for (size_t i = 1; i < parts.size(); ++i) EXPECT_LE(parts[i - 1].second, parts[i].first) << "parts overlap";
    std::free(block);
  }
}

}  // namespace
}  // namespace dp_test
