// The countdown clock of a radar display: a movable face showing the remaining time, a close box
// and three buttons that start countdowns of one, two and three minutes, drawn with device-context
// calls and registered as screen objects on every drawing. Each start hands an alarm worker its
// own end time; the worker watches the Env's clock and plays the alarm at that second.
//
// Thread: drawing, clicks and drags on the host's thread; the alarm worker on its own thread,
// touching only its CountdownAlarmTime and the Env. Unloading the plug-in stops and joins the
// workers (its WorkerGroup), so no alarm plays after unload; closing the display does not stop
// them.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>

#include "platform/env.h"
#include "plugin/EuroScopePlugIn.h"

namespace kestrava {

class QEXScreen;

// What an alarm worker owns: the end of its countdown, in seconds since 1970, and the display
// it was started on.
struct CountdownAlarmTime {
  std::int64_t end = 0;
  std::string display;
};

// Countdowns of more than this are taken for a clock set back, and stopped.
inline constexpr std::int64_t kLongestCountdownSeconds = 180;

void DrawCountdownClock(QEXScreen& screen, EuroScopePlugIn::DeviceContext dc);
// Starts a countdown of `seconds` and its alarm worker (through the plug-in's WorkerGroup).
void StartCountdown(QEXScreen& screen, int seconds);
// Plays the alarm once the clock reads the end time, looking at the clock at least once a second
// so that the alarm sounds within a second of the end as the clock shows it, even when the clock
// is stepped meanwhile. Returns 1, or 0 when stopped first (unload).
int CountdownAlarmWorker(Env& env, const CountdownAlarmTime& alarm, std::stop_token stop);
void PlayCountdownAlarm(Env& env, const std::string& display);

}  // namespace kestrava
