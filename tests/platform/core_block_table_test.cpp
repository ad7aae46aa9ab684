// The table of live blocks behind the memory pools: against a reference map through
// many adds and removes (removed slots reused, growth, rehash in place), refusals of
// blocks it does not hold, and drain.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <unordered_map>
#include <vector>

#include "core/block_table.h"

namespace {

TEST(BlockTable, AgreesWithAReferenceThroughAddsAndRemoves) {
  plat::block_table t;
  std::unordered_map<void*, long> ref;
  std::vector<char> space(1 << 20);
  std::mt19937 rng(5);
  for (int step = 0; step < 200000; ++step) {
    // Addresses 16 bytes apart, as the allocator gives them; a few thousand live at once.
    void* p = &space[16 * (rng() % (space.size() / 16))];
    long size = 0;
    if (ref.count(p)) {
      ASSERT_TRUE(t.remove(p, &size));
      ASSERT_EQ(size, ref[p]);
      ref.erase(p);
      ASSERT_FALSE(t.remove(p, &size)) << "removed twice";
    } else if (rng() % 3 != 0 || ref.size() < 10) {
      // Sizes past 16 bits are kept beside the slots.
      const long size = rng() % 4 == 0 ? 70000L + step : step % 65535;
      t.add(p, size);
      ref[p] = size;
    }
    ASSERT_EQ(t.size(), ref.size());
  }
  for (const auto& [p, size] : ref) EXPECT_TRUE(t.contains(p));
  // Drain gives each live block once, with its size.
  size_t n = 0;
  t.drain([&](void* p, long size) {
    EXPECT_EQ(ref.at(p), size);
    ++n;
  });
  EXPECT_EQ(n, ref.size());
  EXPECT_EQ(t.size(), 0u);
  EXPECT_FALSE(t.contains(ref.begin()->first));
}

// What it does not hold is refused; addresses above 2^48 (none on x86-64 today) and
// sizes past 16 bits are kept beside the slots.
TEST(BlockTable, RefusalsFarAddressesAndBigSizes) {
  plat::block_table t;
  int a = 0, b = 0;
  void* far = reinterpret_cast<void*>(std::uintptr_t{1} << 50);
  EXPECT_FALSE(t.remove(&a, nullptr));  // empty
  t.add(far, 12);
  t.add(&a, 1L << 40);
  EXPECT_FALSE(t.remove(&b, nullptr));
  EXPECT_FALSE(t.remove(nullptr, nullptr));
  EXPECT_FALSE(t.contains(reinterpret_cast<void*>(1)));  // the mark of a removed slot
  long size = 0;
  EXPECT_TRUE(t.remove(&a, &size));
  EXPECT_EQ(size, 1L << 40);
  EXPECT_TRUE(t.remove(far, &size));
  EXPECT_EQ(size, 12);
  EXPECT_FALSE(t.remove(far, &size));
  EXPECT_EQ(t.size(), 0u);
}

}  // namespace
