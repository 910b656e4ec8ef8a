// Writes the countdown alarm sound: the WAVE file (built into the Windows library as resource
// 3005) and, when asked, the same bytes as a C++ array (built into the Linux module).
//
// Usage: alarm_wave_generator <wave file> [<c++ source>]. Exit status 1 when a file cannot be
// written.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "resources/alarm_wave.h"

namespace {

bool WriteWave(const char* path, const std::vector<unsigned char>& wave) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(wave.data()), static_cast<std::streamsize>(wave.size()));
  return static_cast<bool>(out.flush());
}

bool WriteArray(const char* path, const std::vector<unsigned char>& wave) {
  std::ofstream out(path, std::ios::trunc);
  out << "// Made by resources/alarm_wave_generator: the countdown alarm sound.\n"
         "#include \"platform/alarm_wave_resource.h\"\n\n"
         "namespace kestrava {\nnamespace {\n\nconst unsigned char kWave["
      << wave.size() << "] = {";
  for (std::size_t i = 0; i < wave.size(); ++i) {
    out << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(wave[i]) << ",";
  }
  out << "\n};\n\n}  // namespace\n\n"
         "std::span<const unsigned char> AlarmWaveResource() { return kWave; }\n\n"
         "}  // namespace kestrava\n";
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s <wave file> [<c++ source>]\n",
                 argc > 0 ? argv[0] : "generator");
    return 2;
  }
  const std::vector<unsigned char> wave = kestrava::MakeAlarmWave();
  if (!WriteWave(argv[1], wave)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  if (argc == 3 && !WriteArray(argv[2], wave)) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
