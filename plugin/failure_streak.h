// A run of failures of one service, so that the controller hears of it once: when it starts, and
// (where the service says so) when it ends.
//
// Starts with no streak (as after a success). Plain value; host's thread only.
#pragma once

#include <utility>

namespace kestrava {

class FailureStreak {
 public:
  // True when this failure starts a streak.
  bool Failed() { return !std::exchange(failing_, true); }
  // True when this success ends a streak.
  bool Succeeded() { return std::exchange(failing_, false); }

 private:
  bool failing_ = false;
};

}  // namespace kestrava
