#include "screen/QEXScreen.h"

#include <optional>
#include <string_view>

#include "plugin/QEXPlugin.h"
#include "plugin/callback_guard.h"
#include "plugin/text_rules.h"
#include "screen/CTrailsDlg.h"
#include "screen/countdown_clock.h"
#include "screen/history_trails.h"

namespace kestrava {
namespace {

const char* FlagText(bool on) { return on ? "1" : "0"; }

// "%u" of a 32-bit value: a negative value is written as its unsigned equivalent and reads back
// as the same value through LeadingIntegerAfterBlanks.
std::string NumberText(std::int32_t value) {
  return UnsignedText(static_cast<std::uint32_t>(value));
}

}  // namespace

QEXScreen::QEXScreen(QEXPlugin& plugin, std::string display_name)
    : env_(plugin.env()), display_name_(std::move(display_name)) {
  // The host sets the same link once it has the object; setting it here lets the object reach
  // its plug-in from the start.
  m_pPlugIn = &plugin;
  drawing().GdiplusStartup(&m_GdiplusToken, m_GdiplusStartupInput);
}

QEXPlugin& QEXScreen::Plugin() const { return *static_cast<QEXPlugin*>(GetPlugIn()); }

void QEXScreen::OnAsrContentLoaded(bool /*loaded*/) {
  NoThrow([&] {
    ReadDisplaySettings();
    RequestRefresh();
  });
}

void QEXScreen::ReadDisplaySettings() {
  // A missing key leaves the member as it is.
  const auto flag = [&](const char* key, std::int32_t& member) {
    if (const char* text = GetDataFromAsr(key)) member = IsFlagOn(text) ? 1 : 0;
  };
  const auto number = [&](const char* key, std::int32_t& member) {
    if (const char* text = GetDataFromAsr(key)) member = LeadingIntegerAfterBlanks(text);
  };
  const auto stored_number = [&](const char* key) -> std::optional<std::int32_t> {
    const char* text = GetDataFromAsr(key);
    if (text == nullptr) return std::nullopt;
    return LeadingIntegerAfterBlanks(text);
  };

  flag("TRAILSHOW", m_TrailShow);
  number("MAXTRAIL", m_MaxTrail);
  if (const auto colour = stored_number("TRAILCOLOUR")) {
    m_TrailColour = static_cast<EuroScopePlugIn::ColorRef>(*colour);
  }
  flag("ANTIALIAS", m_AntiAlias);
  flag("DEGRADINGTRAIL", m_DegradingTrail);
  flag("FADETRAIL", m_FadeTrail);
  number("TRAILTYPE", m_TrailType);

  // The clock moves only when both coordinates are stored.
  const auto x = stored_number("CDXPOS");
  const auto y = stored_number("CDYPOS");
  if (x && y) {
    m_CountdownX = *x;
    m_CountdownY = *y;
  }

  if (const char* text = GetDataFromAsr("CDSHOW")) m_CountdownShow = IsFlagOn(text);
}

void QEXScreen::OnAsrContentToBeSaved() {
  NoThrow([&] { WriteDisplaySettings(); });
}

void QEXScreen::WriteDisplaySettings() {
  SaveDataToAsr("TRAILSHOW", "Show History Trails", FlagText(m_TrailShow != 0));
  SaveDataToAsr("MAXTRAIL", "Max Trail Length", NumberText(m_MaxTrail).c_str());
  SaveDataToAsr("TRAILCOLOUR", "Trail Colour", UnsignedText(m_TrailColour).c_str());
  SaveDataToAsr("ANTIALIAS", "Anti-Alias History Trails", FlagText(m_AntiAlias != 0));
  SaveDataToAsr("TRAILTYPE", "Trail Type", NumberText(m_TrailType).c_str());
  SaveDataToAsr("DEGRADINGTRAIL", "Degrading History Trails", FlagText(m_DegradingTrail != 0));
  SaveDataToAsr("FADETRAIL", "Fade History Trails", FlagText(m_FadeTrail != 0));
  SaveDataToAsr("CDXPOS", "Count Down X Position", NumberText(m_CountdownX).c_str());
  SaveDataToAsr("CDYPOS", "Count Down Y Position", NumberText(m_CountdownY).c_str());
  SaveDataToAsr("CDSHOW", "Count Down Visibility", FlagText(m_CountdownShow));
}

void QEXScreen::OnRefresh(EuroScopePlugIn::DeviceContext dc, int phase) {
  NoThrow([&] {
    if (phase == EuroScopePlugIn::REFRESH_PHASE_BEFORE_TAGS && m_TrailShow != 0) {
      DrawHistoryTrails(*this, dc);
    } else if (phase == EuroScopePlugIn::REFRESH_PHASE_AFTER_LISTS && m_CountdownShow) {
      DrawCountdownClock(*this, dc);
    }
  });
}

bool QEXScreen::OnCompileCommand(const char* commandLine) {
  return NoThrowOr(false, [&] { return RunCommand(commandLine != nullptr ? commandLine : ""); });
}

bool QEXScreen::RunCommand(const std::string& line) {
  const std::string_view command(line);
  if (command.starts_with(".cdp")) {
    m_CountdownX = 100;
    m_CountdownY = 100;
    RequestRefresh();
    return true;
  }
  if (command.starts_with(".cd")) {
    m_CountdownShow = !m_CountdownShow;
    RequestRefresh();
    return true;
  }
  if (command.starts_with(".qex") || command.starts_with(".zyt")) {
    // The fifth character is skipped whatever it is.
    const std::string_view rest = command.size() > 5 ? command.substr(5) : std::string_view();
    if (rest != "h") return false;
    EditTrailSettings();
    return true;
  }
  return false;
}

void QEXScreen::EditTrailSettings() {
  CTrailsDlg dialog(env_);
  dialog.m_Show = m_TrailShow;
  dialog.m_TrailCount = m_MaxTrail;
  dialog.m_Colour = m_TrailColour;
  dialog.m_Type = m_TrailType;
  dialog.m_Degrading = m_DegradingTrail;
  dialog.m_AntiAliasing = m_AntiAlias;
  dialog.m_Fade = m_FadeTrail;
  if (dialog.DoModal() != kIdOk) return;
  // Saved when the host saves the display's settings; shown at its next refresh.
  m_TrailShow = dialog.m_Show;
  m_MaxTrail = dialog.m_TrailCount;
  m_TrailColour = dialog.m_Colour;
  m_TrailType = dialog.m_TypeIndex + 1;  // no shape chosen (-1) gives 0: no marks
  m_DegradingTrail = dialog.m_Degrading;
  m_AntiAlias = dialog.m_AntiAliasing;
  m_FadeTrail = dialog.m_Fade;
}

void QEXScreen::OnAsrContentToBeClosed() {
  NoThrow([&] { drawing().GdiplusShutdown(m_GdiplusToken); });
  delete this;
}

}  // namespace kestrava
