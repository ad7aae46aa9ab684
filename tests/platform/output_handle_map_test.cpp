// The table of values by handle gives back what a map would over long runs of
// inserts and removals (handles next to each other, as the handle space gives them,
// and scattered), past every rebuild and with removed slots in the probe paths; a
// removed value is destroyed at once.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <unordered_map>
#include <vector>

#include "output/handle_map.h"

namespace {

using plat::out::handle_map;

const void* handle(std::uintptr_t base, std::size_t i, std::size_t step) {
  return reinterpret_cast<const void*>(base + i * step);
}

struct run_case {
  const char* what;
  std::size_t step;   // bytes between handles
  int erase_percent;  // share of the operations that remove
};

TEST(HandleMap, AgreesWithAMapOverInsertsAndRemovals) {
  const run_case cases[] = {
      {"adjacent words, few removals", 8, 10},
      {"adjacent words, as many removals as inserts", 8, 50},
      {"scattered, a page apart", 4096, 30},
  };
  for (const run_case& rc : cases) {
    SCOPED_TRACE(rc.what);
    std::mt19937_64 rng(20261209);
    handle_map<long> table;
    std::unordered_map<const void*, long> model;
    std::vector<const void*> live;
    std::size_t next = 0;
    for (int op = 0; op < 60000; ++op) {
      if (!live.empty() && static_cast<int>(rng() % 100) < rc.erase_percent) {
        const std::size_t k = rng() % live.size();
        EXPECT_TRUE(table.erase(live[k]));
        EXPECT_FALSE(table.erase(live[k]));  // gone already
        model.erase(live[k]);
        live[k] = live.back();
        live.pop_back();
      } else {
        const void* h = handle(0x7f0000001000u, next++, rc.step);
        table.insert(h, static_cast<long>(op));
        model[h] = op;
        live.push_back(h);
      }
      ASSERT_EQ(table.size(), model.size());
    }
    for (const auto& [h, v] : model) {
      const long* got = table.find(h);
      ASSERT_NE(got, nullptr);
      EXPECT_EQ(*got, v);
    }
    // Handles never entered, or removed, are not found.
    for (std::size_t i = 0; i < next; ++i) {
      const void* h = handle(0x7f0000001000u, i, rc.step);
      EXPECT_EQ(table.find(h) != nullptr, model.count(h) == 1);
    }
    EXPECT_EQ(table.find(nullptr), nullptr);
    // Removing by a rule keeps the others.
    table.erase_if([](long v) { return v % 3 == 0; });
    std::size_t kept = 0;
    for (const auto& [h, v] : model) {
      EXPECT_EQ(table.find(h) != nullptr, v % 3 != 0);
      kept += v % 3 != 0;
    }
    EXPECT_EQ(table.size(), kept);
    table.clear();
    EXPECT_EQ(table.size(), 0u);
    EXPECT_EQ(table.find(live.empty() ? nullptr : live[0]), nullptr);
  }
}

TEST(HandleMap, ARemovedValueIsDestroyedAtOnce) {
  handle_map<std::shared_ptr<int>> table;
  auto kept = std::make_shared<int>(1), gone = std::make_shared<int>(2), ruled = std::make_shared<int>(3);
  table.insert(handle(0x10000, 0, 8), kept);
  table.insert(handle(0x10000, 1, 8), gone);
  table.insert(handle(0x10000, 2, 8), ruled);
  EXPECT_EQ(gone.use_count(), 2);
  table.erase(handle(0x10000, 1, 8));
  EXPECT_EQ(gone.use_count(), 1);
  table.erase_if([](const std::shared_ptr<int>& p) { return p != nullptr && *p == 3; });
  EXPECT_EQ(ruled.use_count(), 1);
  EXPECT_EQ(kept.use_count(), 2);
  table.clear();
  EXPECT_EQ(kept.use_count(), 1);
}

}  // namespace
