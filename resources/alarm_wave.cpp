#include "resources/alarm_wave.h"

namespace kestrava {
namespace {

constexpr std::uint32_t kBytesPerFrame = kAlarmChannels * (kAlarmBitsPerSample / 8);
constexpr std::uint32_t kFrames = kAlarmDataBytes / kBytesPerFrame;
static_assert(kAlarmDataBytes % kBytesPerFrame == 0, "whole frames only");

// Two tones, each half of the sound: B5 then E6.
constexpr std::uint32_t kFirstToneHz = 988;
constexpr std::uint32_t kSecondToneHz = 1319;
constexpr std::int32_t kPeak = 13000;       // about 40 % of full scale
constexpr std::uint32_t kFadeFrames = 220;  // 5 ms in and out of each tone, against clicks

void Append16(std::vector<unsigned char>& out, std::uint32_t value) {
  out.push_back(static_cast<unsigned char>(value & 0xFFu));
  out.push_back(static_cast<unsigned char>((value >> 8) & 0xFFu));
}

void Append32(std::vector<unsigned char>& out, std::uint32_t value) {
  Append16(out, value & 0xFFFFu);
  Append16(out, value >> 16);
}

void AppendTag(std::vector<unsigned char>& out, const char (&tag)[5]) {
  out.insert(out.end(), tag, tag + 4);
}

// A triangle wave from a 32-bit phase: -32768 to 32767.
std::int32_t Triangle(std::uint32_t phase) {
  const auto t = static_cast<std::int32_t>(phase >> 16);  // 0 to 65535
  return t < 32768 ? 2 * t - 32768 : 98303 - 2 * t;
}

// Linear fade in and out over kFadeFrames at both ends of a tone of `length` frames, as a
// factor of 0 to kFadeFrames.
std::int32_t Envelope(std::uint32_t frame, std::uint32_t length) {
  const std::uint32_t from_end = length - 1 - frame;
  const std::uint32_t edge = frame < from_end ? frame : from_end;
  return static_cast<std::int32_t>(edge < kFadeFrames ? edge : kFadeFrames);
}

}  // namespace

std::vector<unsigned char> MakeAlarmWave() {
  std::vector<unsigned char> out;
  out.reserve(kAlarmHeaderBytes + kAlarmDataBytes);
  AppendTag(out, "RIFF");
  Append32(out, 36 + kAlarmDataBytes);  // the rest of the file after this field
  AppendTag(out, "WAVE");
  AppendTag(out, "fmt ");
  Append32(out, 16);  // PCM format record size
  Append16(out, 1);   // PCM
  Append16(out, kAlarmChannels);
  Append32(out, kAlarmSampleRate);
  Append32(out, kAlarmSampleRate * kBytesPerFrame);  // bytes per second
  Append16(out, kBytesPerFrame);                     // block alignment
  Append16(out, kAlarmBitsPerSample);
  AppendTag(out, "data");
  Append32(out, kAlarmDataBytes);

  const std::uint32_t first_length = kFrames / 2;
  std::uint32_t phase = 0;
  for (std::uint32_t frame = 0; frame < kFrames; ++frame) {
    const bool first = frame < first_length;
    const std::uint32_t hz = first ? kFirstToneHz : kSecondToneHz;
    const std::uint32_t in_tone = first ? frame : frame - first_length;
    const std::uint32_t length = first ? first_length : kFrames - first_length;
    if (in_tone == 0) phase = 0;
    const std::int32_t sample = Triangle(phase) * kPeak / 32768 * Envelope(in_tone, length) /
                                static_cast<std::int32_t>(kFadeFrames);
    for (std::uint16_t channel = 0; channel < kAlarmChannels; ++channel) {
      Append16(out, static_cast<std::uint16_t>(sample));
    }
    phase += static_cast<std::uint32_t>((static_cast<std::uint64_t>(hz) << 32) / kAlarmSampleRate);
  }
  return out;
}

}  // namespace kestrava
