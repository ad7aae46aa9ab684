// A callable passed down a call and used only during it: a reference to the caller's
// own callable, which stays where it is. A std::function of a lambda with more than a
// pointer or two of captures allocates; these are made for every CLASS cell. Hold one
// only while the callable it refers to lives (as a parameter, not a variable made from
// a lambda written in place).
#pragma once
#include <memory>
#include <type_traits>
#include <utility>

template <class Sig>
class kes_fn_ref;

template <class R, class... A>
class kes_fn_ref<R(A...)> {
 public:
  kes_fn_ref() = default;
  template <class F, class = std::enable_if_t<!std::is_same_v<std::remove_cvref_t<F>, kes_fn_ref> &&
                                              std::is_invocable_r_v<R, F&, A...>>>
  kes_fn_ref(F&& f)  // NOLINT: converts like a std::function
      : obj_(const_cast<void*>(static_cast<const void*>(std::addressof(f)))),
        call_([](void* o, A... a) -> R { return (*static_cast<std::remove_reference_t<F>*>(o))(std::forward<A>(a)...); }) {}

  // Empty: made without a callable.
  explicit operator bool() const { return call_ != nullptr; }
  R operator()(A... a) const { return call_(obj_, std::forward<A>(a)...); }

 private:
  void* obj_ = nullptr;
  R (*call_)(void*, A...) = nullptr;
};
