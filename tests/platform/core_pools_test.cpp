// Memory pools: zero fill, single frees, whole-pool deletion, the byte cap, misuse,
// and the step-end sweep that leaves no pool behind.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "core/host_routines.h"
#include "runner/host_table.h"
#include "core/runtime.h"
#include "support/scratch_files.h"

namespace {

bool all_zero(const void* p, std::size_t n) {
  const unsigned char* b = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i)
    if (b[i]) return false;
  return true;
}

// Each test starts and ends with no pool open and no cap.
class PoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::finish_step();
    plat::set_memory_cap(0);
    base_ = plat::memory_in_use();
  }
  void TearDown() override {
    plat::set_memory_cap(0);
    plat::finish_step();
    EXPECT_EQ(plat::open_pool_count(), 0);
    EXPECT_EQ(plat::memory_in_use(), 0);
  }
  kes_test::captured_outputs out_;
  long base_ = 0;
};

TEST_F(PoolTest, AllocationsAreZeroFilledAndDistinct) {
  host_pool* p = plat_xmpoolc(8192, 8192, 4226);
  ASSERT_NE(p, nullptr);
  std::set<void*> seen;
  for (int flags : {0x2000, 0x2002, 0x2004, 0x2006}) {
    for (long size : {0L, 1L, 28L, 8192L, 100000L}) {
      void* m = p->alloc(p, size, flags);
      ASSERT_NE(m, nullptr) << size << " " << flags;
      EXPECT_TRUE(all_zero(m, static_cast<std::size_t>(size)));
      EXPECT_TRUE(seen.insert(m).second) << "address given twice";
      std::memset(m, 0xA5, static_cast<std::size_t>(size));
    }
  }
  EXPECT_EQ(plat::memory_in_use() - base_, 4 * (0 + 1 + 28 + 8192 + 100000));
}

TEST_F(PoolTest, FreeGivesBackOneAllocationAndFreshMemoryIsZeroAgain) {
  host_pool* p = plat_xmpoolc(0, 1024, 4098);
  char* a = static_cast<char*>(p->alloc(p, 300, 0x2000));
  char* b = static_cast<char*>(p->alloc(p, 500, 0x2002));
  std::memset(a, 1, 300);
  std::memset(b, 2, 500);
  p->free(p, a, -1, 4);
  EXPECT_EQ(plat::memory_in_use() - base_, 500);
  EXPECT_EQ(b[499], 2);  // the other allocation is untouched
  char* c = static_cast<char*>(p->alloc(p, 300, 0x2000));
  EXPECT_TRUE(all_zero(c, 300));
  p->free(p, nullptr, -1, 4);  // freeing nothing is harmless
  plat_xmpoold(p);
  EXPECT_EQ(plat::memory_in_use(), base_);
  EXPECT_EQ(plat::open_pool_count(), 0);
}

TEST_F(PoolTest, DeletingAPoolGivesBackEverythingInIt) {
  host_pool* keep = plat_xmpoolc(0, 1024, 4226);
  void* kept = keep->alloc(keep, 64, 0x2000);
  host_pool* p = plat_xmpoolc(0, 1024, 4096);
  for (int i = 0; i < 1000; ++i) ASSERT_NE(p->alloc(p, 28 + i, 0x2000), nullptr);
  EXPECT_EQ(plat::open_pool_count(), 2);
  plat_xmpoold(p);
  EXPECT_EQ(plat::open_pool_count(), 1);
  EXPECT_EQ(plat::memory_in_use() - base_, 64);
  keep->free(keep, kept, -1, 4);
  EXPECT_EQ(plat::memory_in_use(), base_);
}

TEST_F(PoolTest, TheCapMakesAllocationsFailAndFreeingMakesRoomAgain) {
  host_pool* p = plat_xmpoolc(0, 1024, 4226);
  plat::set_memory_cap(base_ + 1000);
  void* a = p->alloc(p, 600, 0x2000);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(p->alloc(p, 600, 0x2000), nullptr);
  EXPECT_NE(p->alloc(p, 400, 0x2000), nullptr);  // exactly up to the cap
  EXPECT_EQ(p->alloc(p, 1, 0x2000), nullptr);
  p->free(p, a, -1, 4);
  EXPECT_NE(p->alloc(p, 600, 0x2000), nullptr);
  plat::set_memory_cap(0);
  EXPECT_NE(p->alloc(p, 1 << 20, 0x2000), nullptr);
}

TEST_F(PoolTest, OutOfMemoryMessageNamesTheSize) {
  plat_xmemmsg(123456789L);
  EXPECT_EQ(out_.log(), "ERROR: Out of memory: a request for 123456789 bytes could not be met.\n");
}

TEST_F(PoolTest, FinishStepDeletesEveryPoolLeftOpen) {
  for (int i = 0; i < 5; ++i) {
    host_pool* p = plat_xmpoolc(0, 1024, 4098);
    p->alloc(p, 1000, 0x2000);
  }
  host_gcb* a = plat::anchor();
  ASSERT_NE(a->pool, nullptr);
  ASSERT_NE(a->taskpool, nullptr);
  EXPECT_NE(a->pool->alloc(a->pool, 184, 0x2004), nullptr);
  EXPECT_NE(a->taskpool->alloc(a->taskpool, 220, 0x3006), nullptr);
  EXPECT_EQ(plat::open_pool_count(), 5);
  plat::finish_step();
  EXPECT_EQ(plat::open_pool_count(), 0);
  EXPECT_EQ(plat::memory_in_use(), 0);
  // The anchor's pools themselves live on.
  EXPECT_NE(a->pool->alloc(a->pool, 8, 0x2004), nullptr);
}

TEST_F(PoolTest, MisuseIsReportedAndDoesNoHarm) {
  host_pool* p = plat_xmpoolc(0, 1024, 4098);
  host_pool* q = plat_xmpoolc(0, 1024, 4098);
  void* a = p->alloc(p, 100, 0x2000);
  q->free(q, a, -1, 4);  // not q's
  EXPECT_EQ(plat::memory_in_use() - base_, 100);
  p->free(p, a, -1, 4);
  p->free(p, a, -1, 4);  // twice
  EXPECT_EQ(plat::memory_in_use(), base_);
  EXPECT_EQ(p->alloc(p, -5, 0x2000), nullptr);
  plat_xmpoold(plat::anchor()->pool);  // refused
  plat_xmpoold(p);
  plat_xmpoold(p);  // no longer open
  plat_xmpoold(nullptr);
  std::string log = out_.log();
  EXPECT_NE(log.find("which did not allocate it"), std::string::npos) << log;
  EXPECT_NE(log.find("allocation of -5 bytes"), std::string::npos) << log;
  EXPECT_NE(log.find("lives as long as the host"), std::string::npos) << log;
  EXPECT_NE(log.find("which is not an open pool"), std::string::npos) << log;
  EXPECT_EQ(plat::open_pool_count(), 1);
}

}  // namespace
