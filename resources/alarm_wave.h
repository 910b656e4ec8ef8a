// The countdown alarm sound, made by program: a short two-tone alert as a RIFF WAVE file of
// 16-bit PCM, two channels, 44,100 samples per second and exactly 69,148 bytes of sample data.
// Integer arithmetic only, so every compiler makes the same bytes. Pure; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrava {

inline constexpr std::uint16_t kAlarmChannels = 2;
inline constexpr std::uint32_t kAlarmSampleRate = 44100;
inline constexpr std::uint16_t kAlarmBitsPerSample = 16;
inline constexpr std::uint32_t kAlarmDataBytes = 69148;
inline constexpr std::size_t kAlarmHeaderBytes = 44;  // RIFF header, "fmt " and "data" headers

// The whole file.
std::vector<unsigned char> MakeAlarmWave();

}  // namespace kestrava
