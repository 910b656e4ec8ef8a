// The object of one radar display: its history-trail settings and countdown clock, read from and
// saved to the display's settings file through the host, the display's typed commands, and the
// drawing of each refresh pass.
//
// Created by QEXPlugin::OnRadarScreenCreated for every display; it deletes itself in
// OnAsrContentToBeClosed, after which the host no longer touches it. Two displays never share
// anything. Every callback runs on the host's thread and lets no exception escape. The alarm
// workers a countdown starts belong to the plug-in's WorkerGroup and never touch this object, so
// closing the display leaves them to sound.
#pragma once

#include <cstdint>
#include <string>

#include "platform/drawing.h"
#include "platform/env.h"
#include "plugin/EuroScopePlugIn.h"

namespace kestrava {

class QEXPlugin;

// Object types of the countdown clock's screen objects.
inline constexpr int kClockFace = 1;
inline constexpr int kOneMinuteButton = 2;
inline constexpr int kTwoMinuteButton = 3;
inline constexpr int kThreeMinuteButton = 4;
inline constexpr int kClockCloseBox = 5;

class QEXScreen final : public EuroScopePlugIn::CRadarScreen {
 public:
  // `plugin` (and its Env) must outlive the object. Starts GDI+ for this display.
  QEXScreen(QEXPlugin& plugin, std::string display_name);

  void OnAsrContentLoaded(bool loaded) override;
  void OnAsrContentToBeSaved() override;
  void OnRefresh(EuroScopePlugIn::DeviceContext dc, int phase) override;
  void OnAsrContentToBeClosed() override;
  bool OnCompileCommand(const char* commandLine) override;
  void OnClickScreenObject(int objectType, const char* objectId, EuroScopePlugIn::ScreenPoint point,
                           EuroScopePlugIn::ScreenRect area, int button) override;
  void OnMoveScreenObject(int objectType, const char* objectId, EuroScopePlugIn::ScreenPoint point,
                          EuroScopePlugIn::ScreenRect area, bool released) override;

  // The plug-in that created this display's object.
  QEXPlugin& Plugin() const;
  Drawing& drawing() const { return env_.DrawingService(); }
  Env& env() const { return env_; }
  const std::string& display_name() const { return display_name_; }

  GdiplusStartupInput m_GdiplusStartupInput;
  std::uintptr_t m_GdiplusToken = 0;
  std::int32_t m_MaxTrail = 6;
  std::int32_t m_TrailShow = 1;
  std::int32_t m_DegradingTrail = 0;
  EuroScopePlugIn::ColorRef m_TrailColour = 0x001482FF;  // red 255, green 130, blue 20
  std::int32_t m_TrailType = 2;
  std::int32_t m_AntiAlias = 1;
  std::int32_t m_FadeTrail = 0;
  std::int64_t m_CountdownEnd = 0;  // seconds since 1970; meaningful once a countdown started
  bool m_CountdownRunning = false;
  std::int32_t m_CountdownX = 100;
  std::int32_t m_CountdownY = 100;
  bool m_CountdownShow = true;

 private:
  // Only OnAsrContentToBeClosed ends the object.
  ~QEXScreen() = default;

  void ReadDisplaySettings();
  void WriteDisplaySettings();
  bool RunCommand(const std::string& line);
  // The History Trails dialog on this display's trail settings; takes them back after OK.
  void EditTrailSettings();

  Env& env_;
  std::string display_name_;
};

}  // namespace kestrava
