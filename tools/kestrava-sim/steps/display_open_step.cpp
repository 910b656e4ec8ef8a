// "display_open": {"name", "width", "height", "center": [lat, lon], "scale_nm", "settings": {...}}
// opens a radar display of width x height pixels whose width spans scale_nm nautical miles around
// the centre. Its settings file, "<name>-<hash>.asr" in the output folder (made afresh; see
// SettingsFileName), holds the texts of "settings" (optional) before the plug-in's screen object
// reads it; a settings file that cannot be written stops the run. The host redraws a display before
// the next step whenever the plug-in has asked for a refresh. A display of the same name must not
// be open.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>

#include "host/display.h"
#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

constexpr std::size_t kReadablePart = 40;

// "<readable>-<hash>.asr": the name's first characters, those other than letters, digits, '.',
// '-' and '_' as '_', then the 64-bit FNV-1a hash of the whole name in hexadecimal. Names that
// differ in any way (in case too, for file systems that ignore it) get files of their own, and
// the length stays within every file system's limit.
std::string SettingsFileName(const std::string& display) {
  std::string name;
  std::uint64_t hash = 0xcbf29ce484222325;
  for (const char c : display) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    if (name.size() < kReadablePart) name += plain ? c : '_';
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return name + "-" + hex + ".asr";
}

EuroScopePlugIn::CPosition Centre(StepArgs& args) {
  const Json* centre = args.Raw("center");
  if (centre == nullptr) args.Fail("center", "missing");
  if (!centre->is_array() || centre->size() != 2 || !(*centre)[0].is_number() ||
      !(*centre)[1].is_number()) {
    args.Fail("center", "expected [latitude, longitude], got " + centre->dump());
  }
  const EuroScopePlugIn::CPosition position{(*centre)[0].get<double>(), (*centre)[1].get<double>()};
  if (!(position.m_Latitude > -90 && position.m_Latitude < 90)) {
    args.Fail("center", "the latitude must lie between -90 and 90 degrees (exclusive)");
  }
  if (!(position.m_Longitude >= -180 && position.m_Longitude <= 180)) {
    args.Fail("center", "the longitude must lie between -180 and 180 degrees");
  }
  return position;
}

std::map<std::string, std::string> Settings(StepArgs& args) {
  std::map<std::string, std::string> settings;
  const Json* given = args.Raw("settings");
  if (given == nullptr) return settings;
  if (!given->is_object())
    args.Fail("settings", "expected an object, got " + DescribeJsonType(*given));
  for (const auto& [key, value] : given->items()) {
    if (!value.is_string()) {
      args.Fail("settings",
                "the value of '" + key + "' must be a text, got " + DescribeJsonType(value));
    }
    settings[key] = value.get<std::string>();
  }
  return settings;
}

}  // namespace

void RegisterDisplayOpenStep(Extensions& extensions) {
  extensions.steps.Add("display_open", [](StepArgs& args) -> StepAction {
    standin::DisplayOptions options;
    options.name = args.Text("name");
    if (options.name.empty()) args.Fail("name", "must not be empty");
    args.OpenDisplay("name", options.name);
    options.width = args.Integer("width");
    options.height = args.Integer("height");
    for (const auto& [field, value] :
         {std::pair{"width", options.width}, {"height", options.height}}) {
      if (value < 1 || value > standin::Display::kMaxSide) {
        args.Fail(field, "must be 1 to " + std::to_string(standin::Display::kMaxSide) + " pixels");
      }
    }
    options.centre = Centre(args);
    options.scale_nm = args.Number("scale_nm");
    if (!(options.scale_nm > 0)) args.Fail("scale_nm", "must be a positive number of miles");
    options.settings = Settings(args);
    const std::string where = args.where();
    return [options, where](Simulation& sim) mutable {
      options.settings_path = sim.env().ResolvePath(SettingsFileName(options.name));
      std::error_code ignored;
      std::filesystem::remove(options.settings_path, ignored);
      std::string error;
      if (sim.world().displays().Open(options, error) == nullptr)
        throw ScenarioError(where + ": " + error);
    };
  });
}

}  // namespace kestrava::sim
