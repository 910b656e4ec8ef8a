// What a step does when it is played: any callable taking the Simulation, run on the simulator's
// thread. Callables of up to kInlineBytes are kept inside the action (the many position reports
// of a long scenario then cost no allocation); larger ones on the heap. Movable, not copyable.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

namespace kestrava::sim {

class Simulation;

class StepAction {
 public:
  static constexpr std::size_t kInlineBytes = 80;
  // Enough for texts, numbers and pointers; not more, as 32-bit Windows threads do not keep their
  // stacks aligned for over-aligned objects.
  static constexpr std::size_t kInlineAlignment = alignof(double) > alignof(void*) ? alignof(double)
                                                                                   : alignof(void*);

  StepAction() = default;
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, StepAction> &&
                                              std::is_invocable_v<std::decay_t<F>&, Simulation&>>>
  StepAction(F&& callable) {  // NOLINT: converts like std::function
    using Callable = std::decay_t<F>;
    if constexpr (sizeof(Callable) <= kInlineBytes && alignof(Callable) <= kInlineAlignment &&
                  std::is_nothrow_move_constructible_v<Callable>) {
      ::new (static_cast<void*>(storage_)) Callable(std::forward<F>(callable));
      ops_ = &kInlineOps<Callable>;
    } else {
      ::new (static_cast<void*>(storage_)) Callable*(new Callable(std::forward<F>(callable)));
      ops_ = &kHeapOps<Callable>;
    }
  }
  StepAction(StepAction&& other) noexcept { Take(other); }
  StepAction& operator=(StepAction&& other) noexcept {
    if (this != &other) {
      Reset();
      Take(other);
    }
    return *this;
  }
  ~StepAction() { Reset(); }

  explicit operator bool() const { return ops_ != nullptr; }
  void operator()(Simulation& sim) { ops_->call(storage_, sim); }

 private:
  struct Ops {
    void (*call)(void* storage, Simulation& sim);
    void (*move)(void* from, void* to);  // constructs in `to`, ends `from`
    void (*destroy)(void* storage);
  };
  template <class C>
  static constexpr Ops kInlineOps = {[](void* s, Simulation& sim) { (*static_cast<C*>(s))(sim); },
                                     [](void* from, void* to) {
                                       ::new (to) C(std::move(*static_cast<C*>(from)));
                                       static_cast<C*>(from)->~C();
                                     },
                                     [](void* s) { static_cast<C*>(s)->~C(); }};
  template <class C>
  static constexpr Ops kHeapOps = {
      [](void* s, Simulation& sim) { (**static_cast<C**>(s))(sim); },
      [](void* from, void* to) { ::new (to) C*(*static_cast<C**>(from)); },
      [](void* s) { delete *static_cast<C**>(s); }};

  void Take(StepAction& other) noexcept {
    if (other.ops_ == nullptr) return;
    other.ops_->move(other.storage_, storage_);
    ops_ = std::exchange(other.ops_, nullptr);
  }
  void Reset() noexcept {
    if (ops_ != nullptr) std::exchange(ops_, nullptr)->destroy(storage_);
  }

  alignas(kInlineAlignment) unsigned char storage_[kInlineBytes];
  const Ops* ops_ = nullptr;
};

}  // namespace kestrava::sim
