// Keeps exceptions inside the module: every host callback body runs through one of these.
#pragma once

#include <utility>

namespace kestrava {

// Runs `body`; an exception it throws ends the callback quietly.
template <class Body>
void NoThrow(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    // The host is told nothing about failures.
  }
}

// Runs `body` and returns its result, or `fallback` when it throws.
template <class Result, class Body>
Result NoThrowOr(Result fallback, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return fallback;
  }
}

}  // namespace kestrava
