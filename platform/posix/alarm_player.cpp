#include "platform/posix/alarm_player.h"

#include <alsa/asoundlib.h>

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

#include "platform/alarm_wave_resource.h"

// alsa-lib's header declares snd_lib_error_set_local outside its extern "C" block, so C++ would
// look for a mangled name: this declares the C function under a name of our own.
extern "C" snd_local_error_handler_t AlsaSetThreadErrorHandler(
    snd_local_error_handler_t handler) __asm__("snd_lib_error_set_local");

namespace kestrava {
namespace {

constexpr unsigned kLatencyMicroseconds = 200000;
constexpr snd_pcm_uframes_t kChunkFrames = 2205;  // 50 ms: how soon a stop is noticed

struct PcmSound {
  unsigned channels = 0;
  unsigned rate = 0;
  std::span<const unsigned char> samples;  // 16-bit little-endian, interleaved
};

std::uint32_t Read32(std::span<const unsigned char> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t Read16(std::span<const unsigned char> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// The format and samples of a RIFF WAVE file of 16-bit PCM; nothing for anything else.
std::optional<PcmSound> ParseWave(std::span<const unsigned char> file) {
  if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
      std::memcmp(file.data() + 8, "WAVE", 4) != 0) {
    return std::nullopt;
  }
  PcmSound sound;
  bool have_format = false;
  std::size_t at = 12;
  while (file.size() - at >= 8) {
    const std::uint32_t size = Read32(file, at + 4);
    const std::size_t body = at + 8;
    if (size > file.size() - body) return std::nullopt;
    if (std::memcmp(file.data() + at, "fmt ", 4) == 0 && size >= 16) {
      if (Read16(file, body) != 1 || Read16(file, body + 14) != 16) return std::nullopt;
      sound.channels = Read16(file, body + 2);
      sound.rate = Read32(file, body + 4);
      have_format = sound.channels > 0 && sound.rate > 0;
    } else if (std::memcmp(file.data() + at, "data", 4) == 0 && have_format) {
      sound.samples = file.subspan(body, size);
      return sound;
    }
    at = body + size + (size & 1u);  // chunks are padded to an even length
  }
  return std::nullopt;
}

// ALSA's default error handler writes a missing device's messages to stderr, unless the calling
// thread has a handler of its own: the playing thread has this one, so an alarm without a device
// is silent. (The process-wide handler is left alone: other modules share it, and one that is
// unloaded must not leave it pointing into its code.)
void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, va_list) {}

void PlayOnDefaultDevice(const PcmSound& sound, const std::stop_token& stop) {
  AlsaSetThreadErrorHandler(&IgnoreAlsaMessage);
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return;
  if (snd_pcm_nonblock(pcm, 0) < 0 ||
      snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, sound.channels,
                         sound.rate, 1, kLatencyMicroseconds) < 0) {
    snd_pcm_close(pcm);
    return;
  }
  const std::size_t frame_bytes = sound.channels * 2u;
  const snd_pcm_uframes_t frames = sound.samples.size() / frame_bytes;
  snd_pcm_uframes_t done = 0;
  while (done < frames && !stop.stop_requested()) {
    const snd_pcm_uframes_t chunk = std::min(kChunkFrames, frames - done);
    const snd_pcm_sframes_t written =
        snd_pcm_writei(pcm, sound.samples.data() + done * frame_bytes, chunk);
    if (written < 0) {
      if (snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0) break;
      continue;
    }
    done += static_cast<snd_pcm_uframes_t>(written);
  }
  if (stop.stop_requested()) {
    snd_pcm_drop(pcm);
  } else {
    snd_pcm_drain(pcm);
  }
  snd_pcm_close(pcm);
}

}  // namespace

AlarmPlayer::~AlarmPlayer() {
  std::lock_guard lock(mutex_);
  playing_ = std::jthread();  // stops and joins the sound still playing
}

bool AlarmPlayer::Play() {
  const std::optional<PcmSound> sound = ParseWave(AlarmWaveResource());
  if (!sound) return false;
  std::lock_guard lock(mutex_);
  playing_ = std::jthread();
  try {
    playing_ =
        std::jthread([sound = *sound](std::stop_token stop) { PlayOnDefaultDevice(sound, stop); });
    return true;
  } catch (...) {
    return false;  // no thread: the alarm is silent
  }
}

}  // namespace kestrava
