// The alarm sound: the WAVE file's header fields and data size, and the same bytes built into
// the module (the resource on Windows, the array elsewhere).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/alarm_wave_resource.h"
#include "resources/alarm_wave.h"

namespace kestrava {
namespace {

std::uint32_t Field32(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b.at(at)) | (static_cast<std::uint32_t>(b.at(at + 1)) << 8) |
         (static_cast<std::uint32_t>(b.at(at + 2)) << 16) |
         (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}
std::uint32_t Field16(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b.at(at)) | (static_cast<std::uint32_t>(b.at(at + 1)) << 8);
}
std::string Tag(const std::vector<unsigned char>& b, std::size_t at) {
  return std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                     b.begin() + static_cast<std::ptrdiff_t>(at + 4));
}
std::int16_t Sample(const std::vector<unsigned char>& b, std::size_t frame, std::size_t channel) {
  return static_cast<std::int16_t>(Field16(b, 44 + frame * 4 + channel * 2));
}

TEST(WaveResource, HeaderFieldsAndDataSize) {
  const std::vector<unsigned char> wave = MakeAlarmWave();
  ASSERT_EQ(wave.size(), 44u + 69148u);
  EXPECT_EQ(Tag(wave, 0), "RIFF");
  EXPECT_EQ(Field32(wave, 4), wave.size() - 8);
  EXPECT_EQ(Tag(wave, 8), "WAVE");
  EXPECT_EQ(Tag(wave, 12), "fmt ");
  EXPECT_EQ(Field32(wave, 16), 16u);      // PCM format record
  EXPECT_EQ(Field16(wave, 20), 1u);       // PCM
  EXPECT_EQ(Field16(wave, 22), 2u);       // channels
  EXPECT_EQ(Field32(wave, 24), 44100u);   // samples per second
  EXPECT_EQ(Field32(wave, 28), 176400u);  // bytes per second
  EXPECT_EQ(Field16(wave, 32), 4u);       // bytes per frame
  EXPECT_EQ(Field16(wave, 34), 16u);      // bits per sample
  EXPECT_EQ(Tag(wave, 36), "data");
  EXPECT_EQ(Field32(wave, 40), 69148u);
}

TEST(WaveResource, AShortToneInBothChannelsThatStartsAndEndsInSilence) {
  const std::vector<unsigned char> wave = MakeAlarmWave();
  const std::size_t frames = 69148 / 4;
  int loudest = 0;
  for (std::size_t f = 0; f < frames; ++f) {
    ASSERT_EQ(Sample(wave, f, 0), Sample(wave, f, 1)) << "frame " << f;
    loudest = std::max(loudest, std::abs(static_cast<int>(Sample(wave, f, 0))));
  }
  EXPECT_GT(loudest, 8000);  // audible
  EXPECT_EQ(Sample(wave, 0, 0), 0);
  EXPECT_EQ(Sample(wave, frames - 1, 0), 0);
}

TEST(WaveResource, TheModuleCarriesTheSameBytes) {
  const std::span<const unsigned char> built_in = AlarmWaveResource();
  const std::vector<unsigned char> wave = MakeAlarmWave();
  EXPECT_EQ(std::vector<unsigned char>(built_in.begin(), built_in.end()), wave);
}

}  // namespace
}  // namespace kestrava
