#include "host/display.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "host/world.h"

namespace standin {
namespace {

constexpr double kMinutesPerDegree = 60.0;  // one minute of latitude is one nautical mile
// Pixel coordinates are kept well inside the 32-bit range.
constexpr double kFarthestPixel = 1 << 30;

const DisplayOptions& Checked(const DisplayOptions& options) {
  if (options.width < 1 || options.width > Display::kMaxSide || options.height < 1 ||
      options.height > Display::kMaxSide) {
    throw std::invalid_argument("a display's width and height must be 1 to " +
                                std::to_string(Display::kMaxSide) + " pixels");
  }
  if (!(options.scale_nm > 0.0) || !std::isfinite(options.scale_nm)) {
    throw std::invalid_argument("a display's scale must be a positive number of nautical miles");
  }
  if (!(std::fabs(options.centre.m_Latitude) < 90.0) ||
      !(std::fabs(options.centre.m_Longitude) <= 180.0)) {
    throw std::invalid_argument(
        "a display's centre must have a latitude between -90 and 90 (exclusive) and a longitude "
        "between -180 and 180");
  }
  return options;
}

int PixelCoordinate(double value) {
  return static_cast<int>(std::lround(std::clamp(value, -kFarthestPixel, kFarthestPixel)));
}

}  // namespace

Display::Display(World& world, const DisplayOptions& options)
    : world_(world),
      name_(Checked(options).name),
      centre_(options.centre),
      pixels_per_nm_(options.width / options.scale_nm),
      settings_(options.settings_path),
      canvas_(options.width, options.height) {
  for (const auto& [key, value] : options.settings) settings_.Preset(key, value);
}

EuroScopePlugIn::ScreenPoint Display::ToPixel(EuroScopePlugIn::CPosition position) const {
  const double east_nm = (position.m_Longitude - centre_.m_Longitude) * kMinutesPerDegree *
                         std::cos(centre_.m_Latitude * std::numbers::pi / 180.0);
  const double north_nm = (position.m_Latitude - centre_.m_Latitude) * kMinutesPerDegree;
  const double x = width() / 2.0 + east_nm * pixels_per_nm_;
  const double y = height() / 2.0 - north_nm * pixels_per_nm_;
  // NaN (an invalid position) lands on the centre rather than on an undefined pixel.
  return EuroScopePlugIn::ScreenPoint{PixelCoordinate(std::isnan(x) ? width() / 2.0 : x),
                                      PixelCoordinate(std::isnan(y) ? height() / 2.0 : y)};
}

void Display::SaveSetting(const std::string& key, const std::string& description,
                          const char* value) {
  const bool written = settings_.Set(key, description, value);
  if (WorldObserver* observer = world_.observer()) {
    observer->DisplaySettingsSaved(name_, key, description, value);
    if (!written) observer->SettingsNotWritten(settings_.path());
  }
}

const ScreenObject* Display::LastObjectOfType(int type) const {
  const auto it = std::find_if(objects_.rbegin(), objects_.rend(),
                               [type](const ScreenObject& o) { return o.type == type; });
  return it == objects_.rend() ? nullptr : &*it;
}

void Display::BeginRedraw() {
  objects_.clear();
  refresh_requested_ = false;
}

}  // namespace standin
