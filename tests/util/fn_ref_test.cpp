// A callable reference calls the caller's own callable (its state is the caller's, not
// a copy), passes arguments through as they are and returns what it returns; made
// without one it is empty.
#include <gtest/gtest.h>

#include "util/kes_fn_ref.h"

namespace {

int sum_through(const kes_fn_ref<int(int, int&)>& f, int a) {
  int out = 0;
  const int r = f(a, out);
  return r + out;
}

TEST(FnRef, CallsTheCallersOwnCallable) {
  int calls = 0;
  const auto add = [&calls](int a, int& out) {
    ++calls;
    out = 10 * a;
    return a;
  };
  EXPECT_EQ(sum_through(add, 3), 33);
  EXPECT_EQ(sum_through(add, -2), -22);
  EXPECT_EQ(calls, 2);
  // A callable with state of its own is called where it is, not copied.
  struct counter {
    int n = 0;
    int operator()(int a, int&) { return n += a; }
  } own;
  sum_through(own, 4);
  sum_through(own, 5);
  EXPECT_EQ(own.n, 9);
  // A plain function, and a copy of a reference, call the same.
  int (*const copy_to)(int, int&) = [](int a, int& out) { return out = a; };
  const kes_fn_ref<int(int, int&)> f = copy_to;
  const kes_fn_ref<int(int, int&)> g = f;
  EXPECT_EQ(sum_through(g, 7), 14);
}

TEST(FnRef, EmptyUntilGivenACallable) {
  const kes_fn_ref<double(double)> none;
  EXPECT_FALSE(none);
  const auto twice = [](double v) { return 2 * v; };
  const kes_fn_ref<double(double)> some = twice;
  ASSERT_TRUE(some);
  EXPECT_EQ(some(0.25), 0.5);
}

}  // namespace
