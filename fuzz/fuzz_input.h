// Shared pieces of the fuzz harnesses: the input as text, cutting it into parts, and the check
// that turns a broken property into a crash the fuzzer keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

// Every harness defines this; libFuzzer (or the replay program) calls it once per input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace kestrava::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The parts of `text` between `separator` bytes (an empty text gives one empty part).
inline std::vector<std::string_view> Parts(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

[[noreturn]] inline void Broken(const char* property, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, property);
  std::abort();
}

}  // namespace kestrava::fuzz

// Aborts (a crash for the fuzzer) when `condition` is false.
#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::kestrava::fuzz::Broken(#condition, __FILE__, __LINE__))
