#include "screen/countdown_clock.h"

#include <cstdio>
#include <limits>

#include "platform/drawing.h"
#include "plugin/QEXPlugin.h"
#include "plugin/callback_guard.h"
#include "screen/QEXScreen.h"

namespace kestrava {
namespace {

constexpr ColorRef kFaceLight = Rgb(125, 154, 148);
constexpr ColorRef kFaceDark = Rgb(8, 48, 40);
constexpr ColorRef kFaceFill = Rgb(11, 64, 54);
constexpr ColorRef kButtonLight = Rgb(150, 150, 150);
constexpr ColorRef kButtonDark = Rgb(90, 90, 90);
constexpr ColorRef kButtonFill = Rgb(120, 120, 120);
constexpr ColorRef kLabelColour = Rgb(0, 0, 100);
constexpr ColorRef kCrossColour = Rgb(230, 230, 230);
constexpr ColorRef kTimeRunning = Rgb(0, 180, 60);
constexpr ColorRef kTimeEnding = Rgb(240, 240, 0);
constexpr ColorRef kTimeIdle = Rgb(180, 0, 0);

constexpr int kFontTenthsOfPoint = 93;
constexpr char kFontFace[] = "EuroScope";  // the host's own font
constexpr int kEndingSeconds = 10;         // the time turns yellow from here

struct ClockButton {
  int type;
  const char* label;
  int left;  // offset from the clock's left edge
};
constexpr ClockButton kButtons[] = {
    {kOneMinuteButton, "1", 0}, {kTwoMinuteButton, "2", 18}, {kThreeMinuteButton, "3", 36}};

// The clock's size: the face and the close box above the three buttons.
constexpr int kClockWidth = 54;
constexpr int kClockHeight = 36;

// Whether the whole clock lies within the 32-bit coordinate range. A stored or dragged position
// may be any 32-bit value; a clock reaching past the end of the range is off every surface.
bool FitsTheCoordinateRange(int x, int y) {
  return x <= std::numeric_limits<int>::max() - kClockWidth &&
         y <= std::numeric_limits<int>::max() - kClockHeight;
}

EuroScopePlugIn::ScreenRect ScreenRectOf(const Rect& r) {
  return EuroScopePlugIn::ScreenRect{r.left, r.top, r.right, r.bottom};
}

// Remaining seconds of the running countdown; stops a countdown that has ended or that lies
// further ahead than any start could set (the clock was set back).
int RemainingSeconds(QEXScreen& screen) {
  if (!screen.m_CountdownRunning) return 0;
  const std::int64_t left = screen.m_CountdownEnd - screen.env().NowUnixSeconds();
  if (left < 0 || left > kLongestCountdownSeconds) {
    screen.m_CountdownRunning = false;
    return 0;
  }
  return static_cast<int>(left);
}

ColorRef TimeColour(int remaining) {
  if (remaining > kEndingSeconds) return kTimeRunning;
  if (remaining >= 1) return kTimeEnding;
  return kTimeIdle;
}

}  // namespace

void DrawCountdownClock(QEXScreen& screen, EuroScopePlugIn::DeviceContext dc) {
  const int x = screen.m_CountdownX;
  const int y = screen.m_CountdownY;
  // Past this test every edge below is x or y plus at most the clock's size: no overflow.
  if (!FitsTheCoordinateRange(x, y)) return;
  Drawing& drawing = screen.drawing();
  std::unique_ptr<DeviceContextWrapper> cdc = drawing.AttachDC(dc);
  if (!cdc) return;

  const GdiObject font = drawing.CreatePointFont(kFontTenthsOfPoint, kFontFace);
  const GdiObject button_brush = drawing.CreateSolidBrush(kButtonFill);
  const GdiObject face_brush = drawing.CreateSolidBrush(kFaceFill);
  cdc->SetTextColor(kLabelColour);

  const Rect face{x + 1, y + 1, x + 35, y + 17};
  cdc->Draw3dRect(x, y, 36, 18, kFaceLight, kFaceDark);
  cdc->FillRect(face, face_brush);
  screen.AddScreenObject(kClockFace, "", ScreenRectOf(face), true, "");

  const Rect close{x + 37, y + 1, x + 53, y + 17};
  cdc->Draw3dRect(x + 36, y, 18, 18, kFaceLight, kFaceDark);
  cdc->FillRect(close, face_brush);
  screen.AddScreenObject(kClockCloseBox, "", ScreenRectOf(close), false, "");

  const GdiObject pen = drawing.CreatePen(PenStyle::Solid, 2, kCrossColour);
  const GdiObject previous_pen = cdc->SelectObject(pen);
  const GdiObject previous_font = cdc->SelectObject(font);
  cdc->MoveTo(x + 41, y + 13);
  cdc->LineTo(x + 49, y + 5);
  cdc->MoveTo(x + 41, y + 5);
  cdc->LineTo(x + 49, y + 13);

  for (const ClockButton& button : kButtons) {
    const int left = x + button.left;
    const Rect area{left + 1, y + 19, left + 17, y + 35};
    cdc->Draw3dRect(left, y + 18, 18, 18, kButtonLight, kButtonDark);
    cdc->FillRect(area, button_brush);
    cdc->TextOutA(left + 5, y + 21, button.label, 1);
    screen.AddScreenObject(button.type, "", ScreenRectOf(area), false, "");
  }

  const int remaining = RemainingSeconds(screen);
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%01d:%02d", remaining / 60, remaining % 60);
  cdc->SetTextColor(TimeColour(remaining));
  cdc->TextOutA(x + 4, y + 3, text, length);

  if (previous_pen != nullptr) cdc->SelectObject(previous_pen);
  if (previous_font != nullptr) cdc->SelectObject(previous_font);
  cdc.reset();  // detached; the host's device context stays open
  drawing.DeleteObject(font);
  drawing.DeleteObject(pen);
  drawing.DeleteObject(button_brush);
  drawing.DeleteObject(face_brush);
}

void QEXScreen::OnClickScreenObject(int objectType, const char* /*objectId*/,
                                    EuroScopePlugIn::ScreenPoint /*point*/,
                                    EuroScopePlugIn::ScreenRect /*area*/, int button) {
  NoThrow([&] {
    if (button != EuroScopePlugIn::BUTTON_LEFT) return;
    switch (objectType) {
      case kClockFace: m_CountdownRunning = false; break;
      case kOneMinuteButton: StartCountdown(*this, 60); break;
      case kTwoMinuteButton: StartCountdown(*this, 120); break;
      case kThreeMinuteButton: StartCountdown(*this, 180); break;
      case kClockCloseBox:
        m_CountdownShow = false;
        m_CountdownRunning = false;
        break;
      default: break;
    }
  });
  NoThrow([&] { RequestRefresh(); });
}

void QEXScreen::OnMoveScreenObject(int objectType, const char* /*objectId*/,
                                   EuroScopePlugIn::ScreenPoint point,
                                   EuroScopePlugIn::ScreenRect /*area*/, bool /*released*/) {
  if (objectType == kClockFace) {
    m_CountdownX = point.x;
    m_CountdownY = point.y;
  }
  NoThrow([&] { RequestRefresh(); });
}

void StartCountdown(QEXScreen& screen, int seconds) {
  Env& env = screen.env();
  screen.m_CountdownEnd = env.NowUnixSeconds() + seconds;
  CountdownAlarmTime alarm{screen.m_CountdownEnd, screen.display_name()};
  screen.Plugin().workers().Start([&env, alarm = std::move(alarm)](std::stop_token stop) {
    CountdownAlarmWorker(env, alarm, std::move(stop));
  });
  screen.m_CountdownRunning = true;
}

int CountdownAlarmWorker(Env& env, const CountdownAlarmTime& alarm, std::stop_token stop) {
  // Sleeps at most until the next whole second and looks at the clock again: a sleep of longer
  // would run on the steady clock, so a system clock stepped forward meanwhile would make the
  // alarm late by the step.
  for (;;) {
    // A stop means the plug-in is being unloaded: the alarm must not sound any more.
    if (stop.stop_requested()) return 0;
    const std::int64_t now = env.NowUnixSeconds();
    if (now >= alarm.end) break;
    if (!env.SleepUntil(now + 1, stop)) return 0;
  }
  PlayCountdownAlarm(env, alarm.display);
  return 1;
}

void PlayCountdownAlarm(Env& env, const std::string& display) { env.PlayAlarmSound(display); }

}  // namespace kestrava
