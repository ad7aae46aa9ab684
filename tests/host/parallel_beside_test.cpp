// The caller's own work beside a parallel loop: every part runs exactly once and the
// caller's work once, on any number of threads; a caller's work that throws stops the
// loop and the exception comes out after the threads have stopped (a thread still
// running would end the process).
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "host/kes_parallel.h"

namespace {

TEST(ParallelBeside, EveryPartOnceAndTheCallersWorkOnce) {
  struct loop_case {
    int threads;
    std::size_t parts;
  };
  const loop_case cases[] = {{1, 0}, {1, 5}, {2, 1}, {4, 64}, {8, 3}, {64, 1000}};
  for (const loop_case& c : cases) {
    std::vector<std::atomic<int>> ran(c.parts);
    int first = 0;
    kes::parallel_parts_beside(c.threads, c.parts, [&] { ++first; }, [&](std::size_t k) { ++ran[k]; });
    EXPECT_EQ(first, 1) << c.threads << " threads, " << c.parts << " parts";
    for (std::size_t k = 0; k < c.parts; ++k) EXPECT_EQ(ran[k].load(), 1) << "part " << k << " of " << c.parts;
  }
}

TEST(ParallelBeside, ACallersWorkThatThrowsStopsTheLoop) {
  for (int threads : {1, 4}) {
    std::atomic<int> ran{0};
    EXPECT_THROW(kes::parallel_parts_beside(
                     threads, 100000, [] { throw std::runtime_error("the step ends"); }, [&](std::size_t) { ++ran; }),
                 std::runtime_error);
    // Alone, the caller never starts a part; helpers stop taking them (how many they
    // took depends on the timing), and none is left running: the call has returned.
    if (threads == 1) {
      EXPECT_EQ(ran.load(), 0);
    }
  }
}

}  // namespace
