// The services a plug-in module gets inside the simulator: every call forwards to the build's own
// Env except the clock, sleeping, threads, the hand-over to the host's thread, files with a
// relative path, and the desktop (notice, clipboard, alarm).
//
// - Clock: simulated. It reads the scenario's start plus the simulated time, which only the
//   simulator moves (SetNow, WakeNextSleeperDueBy).
// - Sleeping: a worker sleeping on the clock counts as idle and wakes when the simulator moves
//   the clock past its deadline, one sleeper at a time in deadline order (equal deadlines in the
//   order they went to sleep), or at once when its stop is requested.
// - Threads: the simulator starts and owns every worker thread and counts those still running.
//   The handle StartThread returns is empty (not joinable): on Windows each module has its own
//   thread library, so a module cannot join a thread started by another. WorkerGroup, through
//   which the plug-in starts its workers, tracks their end by itself and joins only joinable
//   handles. JoinWorkers ends the simulator's ownership.
// - Hand-over: tasks are queued until the simulator runs them on its own thread (the host's).
// - Files: a relative path is taken relative to the output folder, as if that were the plug-in's
//   working folder; the result of every AppendLine is reported to the listener.
// - Desktop: notices, clipboard texts and alarms are reported to the listener; a notice counts
//   as closed at once.
// - Dialogs: the build's backend runs them (real windows on Windows, in-memory controls
//   elsewhere) with the DialogPerson set for the current step acting on them, never a real
//   person; without one a dialog is closed at once as by its close box. The dialog's opening and
//   closing (with every control's state), its validation messages (acknowledged at once) and the
//   colour and save-file dialogs (answered by the person) are reported to the listener.
//
// Threads: the Env calls from any thread, as Env allows; the simulator's own calls (SetNow,
// WakeNextSleeperDueBy, WaitIdle, RunPostedTasks, JoinWorkers) from the host's thread only. The
// listener is called on the thread that made the Env call.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/env.h"

namespace kestrava::sim {

class SimEnv final : public EnvWrapper {
 public:
  // What the module did through the desktop and the file system. Every method has an empty
  // default; calls may come from worker threads.
  class Listener {
   public:
    virtual ~Listener() = default;
    virtual void NoticeShown(const std::string& /*caption*/, const std::string& /*text*/) {}
    virtual void ClipboardSet(const std::string& /*text*/) {}
    virtual void AlarmPlayed(const std::string& /*display*/) {}
    // `path` as the module gave it; `appended` false when the file could not be opened.
    virtual void LineAppended(const std::string& /*path*/, std::string_view /*line*/,
                              bool /*appended*/) {}
    virtual void DialogOpened(const std::string& /*caption*/,
                              const std::vector<ControlState>& /*controls*/) {}
    // A validation message over the open dialog `caption` ("" when none is open).
    virtual void DialogMessage(const std::string& /*caption*/, const std::string& /*text*/) {}
    virtual void ColourDialogShown(const ColourRequest& /*request*/,
                                   std::optional<ColorRef> /*answer*/) {}
    virtual void SaveFileDialogShown(const SaveFileRequest& /*request*/,
                                     const std::optional<std::string>& /*answer*/) {}
    // `result` as the dialog ends (kIdOk, kIdCancel); `controls` just before it goes.
    virtual void DialogClosed(const std::string& /*caption*/, int /*result*/,
                              const std::vector<ControlState>& /*controls*/) {}
  };

  // The person at the dialogs the module runs during a step. Host's thread only.
  class DialogPerson {
   public:
    virtual ~DialogPerson() = default;
    // Acts on the open dialog (DialogScript); called once per dialog.
    virtual void Act(DialogUser& user) = 0;
    // The answers to a colour or save-file dialog opened by the action being done now; nothing
    // cancels it.
    virtual std::optional<ColorRef> ColourAnswer() = 0;
    virtual std::optional<std::string> SaveFileAnswer() = 0;
  };

  // `target` serves every call not simulated; `output_folder` is where relative file paths go.
  // The clock starts at `start_unix_millis`.
  SimEnv(Env& target, std::int64_t start_unix_millis, std::filesystem::path output_folder);
  ~SimEnv() override;  // JoinWorkers

  void SetListener(Listener* listener);
  // Who acts on the module's dialogs from now on (null: nobody). Host's thread only; `person`
  // must outlive its use.
  void SetDialogPerson(DialogPerson* person);

  // --- Env ------------------------------------------------------------------------------------
  SystemTime NowUtc() override;
  std::int64_t NowUnixSeconds() override;
  bool SleepUntil(std::int64_t deadline, std::stop_token stop) override;
  bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) override;
  AppendResult AppendLine(const std::string& path, std::string_view line) override;
  std::thread StartThread(std::function<void()> body) override;
  void PostToHostThread(std::function<void()> task) override;
  void ShowNotice(const std::string& caption, const std::string& text,
                  std::stop_token stop) override;
  bool SetClipboardText(const std::string& text) override;
  void PlayAlarmSound(const std::string& display) override;
  int RunModalDialog(const DialogRequest& request) override;
  std::optional<ColorRef> ChooseColour(const ColourRequest& request) override;
  void ShowValidationMessage(const std::string& text) override;
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;

  // --- The simulator's side ---------------------------------------------------------------------
  // The path a file operation on `path` uses: relative paths inside the output folder.
  std::string ResolvePath(const std::string& path) const;
  std::int64_t NowUnixMillis();
  // Simulated milliseconds since the start.
  std::int64_t ElapsedMillis();
  // Moves the clock forward to `unix_millis` (never back) without waking anyone.
  void SetNow(std::int64_t unix_millis);
  // When a sleeper's deadline is at or before `unix_millis`: moves the clock to the earliest such
  // deadline (never back), wakes that one sleeper and returns true. Otherwise returns false.
  bool WakeNextSleeperDueBy(std::int64_t unix_millis);
  // Waits, up to `limit` of real time, until every worker has ended or sleeps on the clock.
  // Returns false at the limit.
  bool WaitIdle(std::chrono::milliseconds limit);
  // Runs the handed-over tasks, including those queued meanwhile; returns how many ran.
  int RunPostedTasks();
  // Waits up to `limit` for every worker thread to end and joins it; threads still running then
  // are detached and must end before the SimEnv is destroyed. Returns false when some were.
  bool JoinWorkers(std::chrono::milliseconds limit);

 private:
  struct Sleeper {
    std::int64_t deadline = 0;  // unix milliseconds
    std::uint64_t order = 0;    // when it went to sleep
    bool woken = false;
  };

  bool SleepUntilMillis(std::int64_t deadline, std::stop_token stop);
  Listener* listener();

  std::filesystem::path output_folder_;
  std::mutex mutex_;
  std::condition_variable_any changed_;  // clock moved, sleeper woken, worker ended or slept
  std::int64_t start_ = 0;
  std::int64_t now_ = 0;
  std::list<Sleeper*> sleepers_;
  std::uint64_t sleep_count_ = 0;
  int running_ = 0;  // workers whose body has not returned
  int asleep_ = 0;   // of those, sleeping on the clock
  struct Worker {
    std::thread thread;
    bool ended = false;  // its body has returned
  };
  void JoinEndedLocked();
  std::list<Worker> workers_;
  std::deque<std::function<void()>> tasks_;
  Listener* listener_ = nullptr;
  // The host's thread only.
  DialogPerson* dialog_person_ = nullptr;
  std::string open_dialog_;  // the caption of the dialog being run, "" when none
};

}  // namespace kestrava::sim
