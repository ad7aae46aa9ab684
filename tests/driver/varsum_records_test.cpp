// The block of a cell's per-variable records: for every combination of extremes, ID
// variables, ID text length and FREQ, each record's summary and extreme lists lie
// inside the block, aligned and apart from each other and from the records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "datapass_test_support.h"
#include "datapass/varsum_records.h"
#include "records/kes_varsum.h"

namespace dp_test {
namespace {

class VarsumBlock : public datapass_fixture {};

TEST_F(VarsumBlock, PartsAreInsideAlignedAndApart) {
  const int shapes[][5] = {{1, 0, 0, 0, 0}, {1, 5, 0, 0, 0}, {3, 5, 2, 0, 1}, {2, 3, 1, 13, 0}, {4, 1, 3, 7, 1}};
  for (const auto& s : shapes) {
    const int nv = s[0], n = s[1], k = s[2], t = s[3], freq = s[4];
    SCOPED_TRACE(::testing::Message() << nv << " vars, " << n << " extremes, " << k << " ids of " << t);
    kes_ctx& ctx = *ctx_;
    ctx.nvars = nv;
    ctx.nextrobs = n;
    ctx.nids = k;
    ctx.dp.idtextlen = t;
    ctx.freq_given = freq;
    const long bytes = kes_varsum_bytes(&ctx);
    char* block = static_cast<char*>(std::calloc(1, static_cast<size_t>(bytes)));
    kes_varsum* arr = kes_varsum_lay(&ctx, block);
    std::vector<std::pair<const char*, const char*>> parts;
    auto part = [&](const void* p, long size, size_t align) {
      if (size == 0) return;
      const char* c = static_cast<const char*>(p);
      ASSERT_TRUE(c >= block && c + size <= block + bytes);
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(c) % align, 0u);
      parts.emplace_back(c, c + size);
    };
    part(arr, static_cast<long>(sizeof(kes_varsum)) * nv, alignof(kes_varsum));
    for (int v = 0; v < nv; ++v) {
      const kes_varsum& r = arr[v];
      part(r.summary, 8 * KES_SUMMARY_DOUBLES, 8);
      part(r.lowest, 16L * n, 8);
      part(r.low_obs, 8L * n, 4);
      part(r.low_freq, freq ? 8L * n : 0, 4);
      part(r.low_idnum, 16L * n * k, 8);
      part(r.low_idchar, 2L * n * k * t, 1);
    }
    std::sort(parts.begin(), parts.end());
    for (size_t i = 1; i < parts.size(); ++i) EXPECT_LE(parts[i - 1].second, parts[i].first) << "parts overlap";
    std::free(block);
  }
}

}  // namespace
}  // namespace dp_test
