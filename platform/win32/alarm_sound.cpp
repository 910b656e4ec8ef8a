#include "platform/win32/alarm_sound.h"

#include <windows.h>
// windows.h first: mmsystem builds on it.
#include <mmsystem.h>

#include "platform/alarm_wave_resource.h"
#include "platform/win32/host_thread_window.h"

namespace kestrava {
namespace {

constexpr int kAlarmResource = 3005;
constexpr char kAlarmResourceType[] = "WAVE";
// SND_RESOURCE | SND_ASYNC: a resource of the given module, played while the call returns.
constexpr DWORD kPlayFlags = 0x00040005;

}  // namespace

void PlayAlarmResource() { PlaySoundA(MAKEINTRESOURCEA(kAlarmResource), ThisModule(), kPlayFlags); }

std::span<const unsigned char> AlarmWaveResource() {
  HMODULE module = ThisModule();
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(kAlarmResource), kAlarmResourceType);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return {};
  return {static_cast<const unsigned char*>(bytes), SizeofResource(module, found)};
}

}  // namespace kestrava
