// The alarm sound built into this module, as a RIFF WAVE file: on Windows resource 3005 of type
// "WAVE", elsewhere an array made at build time from the same generator. Empty when the module
// has none. Any thread.
#pragma once

#include <span>

namespace kestrava {

std::span<const unsigned char> AlarmWaveResource();

}  // namespace kestrava
