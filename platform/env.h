// The operating-system services the plug-in uses, behind one interface.
//
// The plug-in never touches the operating system directly: it is handed an Env when it is
// constructed. Env::Default() is the build's own backend (Windows or POSIX), created on the host's
// thread by the module's entry point and alive until the process ends. Tests and the simulator
// hand in their own Env, usually an EnvWrapper that overrides a few calls (a settable clock, a
// recording HTTP client, a failing file system).
//
// Threads: every call may be made from the host's thread; the calls marked "any thread" may also
// be made from a worker started with StartThread. No call throws.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

#include "platform/append_result.h"
#include "platform/button_colours.h"
#include "platform/dialog.h"
#include "platform/drawing.h"
#include "platform/http_result.h"
#include "platform/system_time.h"

namespace kestrava {

class Env {
 public:
  Env() = default;
  Env(const Env&) = delete;
  Env& operator=(const Env&) = delete;
  virtual ~Env() = default;

  // The build's backend. Created on first use, on the host's thread; never destroyed.
  static Env& Default();

  // --- Clock (any thread) ---------------------------------------------------------------------
  virtual SystemTime NowUtc() = 0;
  // Whole seconds since 1970-01-01 00:00 UTC.
  virtual std::int64_t NowUnixSeconds() = 0;
  // Blocks the calling worker until the clock reads at least `deadline` (seconds since 1970) or
  // until `stop` is requested. Returns false when stopped first.
  virtual bool SleepUntil(std::int64_t deadline, std::stop_token stop) = 0;
  // Blocks the calling worker for `duration` of this clock's time, or until `stop` is requested.
  // Returns false when stopped first.
  virtual bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) = 0;

  // --- Files ----------------------------------------------------------------------------------
  // Appends `line` and the platform's line end (CR LF on Windows, LF elsewhere) to the file at
  // `path`, creating it when missing: whole or not at all (platform/file_append.h). When it
  // cannot be opened or written (a full disk) the file stays as it was and the result gives the
  // reason (platform/append_result.h).
  virtual AppendResult AppendLine(const std::string& path, std::string_view line) = 0;

  // --- Workers --------------------------------------------------------------------------------
  // Starts `body` on a new thread of normal priority. The caller owns the returned thread.
  virtual std::thread StartThread(std::function<void()> body) = 0;

  // Hands `task` to the host's thread, where it runs at the next opportunity, in posting order
  // (any thread). Tasks still queued when the process ends are dropped.
  virtual void PostToHostThread(std::function<void()> task) = 0;

  // --- Network (any thread) ---------------------------------------------------------------------
  // One HTTP GET whose answer comes from the server, never from a cache. Reads at most
  // `max_body_bytes` of the body. Connect timeout 4 s, whole exchange 10 s. Any reply counts,
  // whatever its status; otherwise the result tells why none came (platform/http_result.h). A
  // stop request aborts the exchange promptly (HttpFailure::kBroken).
  virtual HttpResult HttpGet(const std::string& url, std::size_t max_body_bytes,
                             std::stop_token stop) = 0;

  // A stable 32-bit number identifying this machine (any thread).
  virtual std::uint32_t MachineId() = 0;

  // --- User interface ---------------------------------------------------------------------------
  // Shows an information notice and returns when the user has closed it or `stop` is requested
  // (any thread).
  virtual void ShowNotice(const std::string& caption, const std::string& text,
                          std::stop_token stop) = 0;
  // Puts `text` on the clipboard as plain text. Returns false when the clipboard is unavailable.
  virtual bool SetClipboardText(const std::string& text) = 0;
  // Starts the countdown alarm sound of the display named `display` and returns at once (any
  // thread). The name only tells observers which clock rang. Silent when no sound device exists.
  virtual void PlayAlarmSound(const std::string& display) = 0;

  // --- Drawing --------------------------------------------------------------------------------
  // The drawing calls for the host's device contexts (see platform/drawing.h); alive as long as
  // this Env.
  virtual Drawing& DrawingService() = 0;

  // --- Dialogs (the host's thread) ------------------------------------------------------------
  // The system's current button colours (platform/button_colours.h); kDefaultButtonColours where
  // the system has none.
  virtual ButtonColours SystemButtonColours() = 0;
  // Runs the dialog modally (platform/dialog.h) and returns its result: what EndDialog was given
  // (kIdOk, kIdCancel), or -1 when the template cannot be found or the dialog not made.
  virtual int RunModalDialog(const DialogRequest& request) = 0;
  // The standard colour dialog: the colour chosen with OK; nothing when cancelled.
  virtual std::optional<ColorRef> ChooseColour(const ColourRequest& request) = 0;
  // The framework's validation message (an OK box over the running dialog); returns once the
  // person has acknowledged it.
  virtual void ShowValidationMessage(const std::string& text) = 0;
  // The standard file-save dialog: the path chosen with Save; nothing when cancelled.
  virtual std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) = 0;
};

// Forwards every call to another Env. Derive from it to override a few calls; the target must
// outlive the wrapper.
class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env& target) : target_(target) {}
  Env& target() const { return target_; }

  SystemTime NowUtc() override { return target_.NowUtc(); }
  std::int64_t NowUnixSeconds() override { return target_.NowUnixSeconds(); }
  bool SleepUntil(std::int64_t deadline, std::stop_token stop) override {
    return target_.SleepUntil(deadline, std::move(stop));
  }
  bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) override {
    return target_.SleepFor(duration, std::move(stop));
  }
  AppendResult AppendLine(const std::string& path, std::string_view line) override {
    return target_.AppendLine(path, line);
  }
  std::thread StartThread(std::function<void()> body) override {
    return target_.StartThread(std::move(body));
  }
  void PostToHostThread(std::function<void()> task) override {
    target_.PostToHostThread(std::move(task));
  }
  HttpResult HttpGet(const std::string& url, std::size_t max_body_bytes,
                     std::stop_token stop) override {
    return target_.HttpGet(url, max_body_bytes, std::move(stop));
  }
  std::uint32_t MachineId() override { return target_.MachineId(); }
  void ShowNotice(const std::string& caption, const std::string& text,
                  std::stop_token stop) override {
    target_.ShowNotice(caption, text, std::move(stop));
  }
  bool SetClipboardText(const std::string& text) override { return target_.SetClipboardText(text); }
  void PlayAlarmSound(const std::string& display) override { target_.PlayAlarmSound(display); }
  Drawing& DrawingService() override { return target_.DrawingService(); }
  ButtonColours SystemButtonColours() override { return target_.SystemButtonColours(); }
  int RunModalDialog(const DialogRequest& request) override {
    return target_.RunModalDialog(request);
  }
  std::optional<ColorRef> ChooseColour(const ColourRequest& request) override {
    return target_.ChooseColour(request);
  }
  void ShowValidationMessage(const std::string& text) override {
    target_.ShowValidationMessage(text);
  }
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override {
    return target_.ChooseSaveFile(request);
  }

 private:
  Env& target_;
};

}  // namespace kestrava
