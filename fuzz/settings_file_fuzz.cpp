// The stand-in host's settings file read from any bytes: what is read is saved and read back
// unchanged, and a file whose lines end with CR LF reads as the same file with LF line ends.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "fuzz/fuzz_input.h"
#include "host/settings_store.h"

namespace {

const std::string& ScratchPath() {
  static const std::string path =
      "/tmp/kestrava-fuzz-settings-" + std::to_string(static_cast<long>(getpid()));
  return path;
}

standin::SettingsStore ReadFile(std::string_view bytes) {
  {
    std::ofstream out(ScratchPath(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  return standin::SettingsStore(ScratchPath());
}

bool SameEntries(const standin::SettingsStore& a, const standin::SettingsStore& b) {
  if (a.entries().size() != b.entries().size()) return false;
  auto it = b.entries().begin();
  for (const auto& [key, entry] : a.entries()) {
    if (key != it->first || entry.description != it->second.description ||
        entry.value != it->second.value) {
      return false;
    }
    ++it;
  }
  return true;
}

// True when every carriage return of `text` starts a CR LF pair.
bool CarriageReturnsOnlyInLineEnds(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kestrava::fuzz::AsText(data, size);

  standin::SettingsStore first = ReadFile(text);
  FUZZ_CHECK(first.Save());
  const standin::SettingsStore again(ScratchPath());
  FUZZ_CHECK(SameEntries(first, again));

  if (CarriageReturnsOnlyInLineEnds(text)) {
    std::string lf;
    for (const char c : text) {
      if (c != '\r') lf += c;
    }
    FUZZ_CHECK(SameEntries(first, ReadFile(lf)));
  }
  std::remove(ScratchPath().c_str());
  return 0;
}
