// The outcome of appending a line to a file: written, or the system's reason why not.
//
// The reason is one of a few fixed words, the same on every backend for the same cause, so that
// what the plug-in tells the controller does not depend on the system it runs on; a cause
// without a word of its own is "system error N" with the system's own number. Plain values; any
// thread.
#pragma once

#include <string>
#include <utility>

namespace kestrava {

inline constexpr char kAppendReasonFolder[] = "it is a folder";
inline constexpr char kAppendReasonDiskFull[] = "disk full";
inline constexpr char kAppendReasonDenied[] = "access denied";
inline constexpr char kAppendReasonNoFolder[] = "folder not found";
inline constexpr char kAppendReasonInUse[] = "file in use";

struct AppendResult {
  static AppendResult Appended() { return {true, {}}; }
  static AppendResult Failed(std::string reason) { return {false, std::move(reason)}; }

  bool appended = false;
  std::string reason;  // empty when appended

  explicit operator bool() const { return appended; }
};

// "system error N".
inline std::string SystemErrorReason(unsigned long code) {
  return "system error " + std::to_string(code);
}

}  // namespace kestrava
