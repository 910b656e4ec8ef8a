// A deterministic Env for tests: a settable clock, files kept in memory (or failing), tasks
// posted to the host's thread kept until RunPostedTasks, scripted HTTP answers, records of
// notices, clipboard texts and alarms, a drawing backend that records its calls, and headless
// dialogs with scripted answers from the standard dialogs. Override a
// single call in a subclass to inject a fault.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/env.h"
#include "tests/support/recording_drawing.h"

namespace kestrava::testing {

class FakeEnv : public Env {
 public:
  // --- Clock: starts at 2024-06-05 14:03:09 UTC. ---
  void SetUnixMillis(std::int64_t millis);
  void SetUtc(int year, int month, int day, int hour, int minute, int second);
  void AdvanceSeconds(std::int64_t seconds);
  SystemTime NowUtc() override;
  std::int64_t NowUnixSeconds() override;
  bool SleepUntil(std::int64_t deadline, std::stop_token stop) override;
  bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) override;

  // --- Files: appended lines per path; paths in `unwritable` fail to open ("access denied"). ---
  AppendResult AppendLine(const std::string& path, std::string_view line) override;
  std::map<std::string, std::vector<std::string>> files;
  std::vector<std::string> unwritable;

  // --- Threads and hand-over ---
  std::thread StartThread(std::function<void()> body) override;
  void PostToHostThread(std::function<void()> task) override;
  int RunPostedTasks();

  // --- Network: answers by URL prefix; unanswered URLs are refused. Requests are recorded. ---
  HttpResult HttpGet(const std::string& url, std::size_t max_body_bytes,
                     std::stop_token stop) override;
  std::map<std::string, std::string> http_bodies;  // URL prefix -> body
  std::vector<std::string> http_requests;
  std::uint32_t MachineId() override { return machine_id; }
  std::uint32_t machine_id = 0x1234ABCD;

  // --- Desktop ---
  void ShowNotice(const std::string& caption, const std::string& text,
                  std::stop_token stop) override;
  bool SetClipboardText(const std::string& text) override;
  void PlayAlarmSound(const std::string& display) override;
  std::vector<std::pair<std::string, std::string>> notices;
  std::vector<std::string> clipboard;
  int alarms = 0;
  std::vector<std::string> alarm_displays;  // the display of each alarm, in order
  // Waits (up to `limit` of real time, as a safety net) until at least `count` alarms have
  // played; returns the number played.
  int WaitForAlarms(int count, std::chrono::milliseconds limit = std::chrono::seconds(10));

  // --- Drawing ---
  Drawing& DrawingService() override { return drawing; }
  RecordingDrawing drawing;

  // --- Dialogs: run headless (platform/headless/headless_dialog.h); `dialog_script` acts for a
  // request that brings none (empty: the dialog closes at once as by its close box). The
  // standard dialogs answer from the queues (empty: cancelled) and record their requests. ---
  ButtonColours SystemButtonColours() override { return kDefaultButtonColours; }
  int RunModalDialog(const DialogRequest& request) override;
  std::optional<ColorRef> ChooseColour(const ColourRequest& request) override;
  void ShowValidationMessage(const std::string& text) override;
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;
  DialogScript dialog_script;
  std::deque<std::optional<ColorRef>> colour_answers;
  std::vector<ColourRequest> colour_requests;
  std::vector<std::string> validation_messages;
  std::deque<std::optional<std::string>> save_file_answers;
  std::vector<SaveFileRequest> save_file_requests;
  // What showed over the dialog, in order: a validation message's text, "colour dialog",
  // "save-file dialog".
  std::vector<std::string> shown_in_order;

  std::mutex& mutex() { return mutex_; }

 private:
  std::mutex mutex_;
  std::condition_variable_any clock_changed_;
  std::condition_variable alarm_played_;
  std::int64_t unix_millis_ = 1717596189000;  // 2024-06-05 14:03:09 UTC
  std::deque<std::function<void()>> posted_;
};

}  // namespace kestrava::testing
