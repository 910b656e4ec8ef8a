// The resource file (.res) compiled from resources/dialogs.rc by the resource compiler at build
// time and built into every module linked with the platform library, as the Windows build links
// the same script into each module's resources. Any thread.
#pragma once

#include <cstdint>
#include <span>

namespace kestrava {

// The whole .res file: a sequence of DWORD-aligned resource records.
std::span<const std::uint8_t> CompiledResources();

}  // namespace kestrava
