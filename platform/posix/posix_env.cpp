// The POSIX backend: real clock, POSIX files, std::thread, the stand-in host's desktop for the
// host-thread queue, notices and the clipboard (on Linux the module only ever runs inside the
// stand-in host), cairo for drawing, ALSA for the alarm and headless dialogs.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

#include "host/desktop.h"
#include "platform/env.h"
#include "platform/file_append.h"
#include "platform/headless/headless_dialog.h"
#include "platform/interruptible_sleep.h"
#include "platform/posix/alarm_player.h"
#include "platform/posix/cairo_drawing.h"
#include "platform/posix/curl_http.h"

namespace kestrava {
namespace {

std::int64_t UnixMillisNow() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// FNV-1a over the text of /etc/machine-id (or the host name when there is none).
std::uint32_t HashMachineText() {
  std::string text;
  std::ifstream in("/etc/machine-id");
  if (!std::getline(in, text) || text.empty()) {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) == 0) text = name;
  }
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

class PosixEnv final : public Env {
 public:
  SystemTime NowUtc() override { return SystemTimeFromUnixMillis(UnixMillisNow()); }

  std::int64_t NowUnixSeconds() override { return UnixMillisNow() / 1000; }

  bool SleepUntil(std::int64_t deadline, std::stop_token stop) override {
    for (;;) {
      const std::int64_t left_ms = deadline * 1000 - UnixMillisNow();
      if (left_ms <= 0) return true;
      if (!InterruptibleSleepFor(std::chrono::milliseconds(left_ms), stop)) return false;
    }
  }

  bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) override {
    return InterruptibleSleepFor(duration, std::move(stop));
  }

  AppendResult AppendLine(const std::string& path, std::string_view line) override {
    std::string whole(line);
    whole += '\n';
    return AppendToFile(path, whole);
  }

  std::thread StartThread(std::function<void()> body) override {
    return std::thread(std::move(body));
  }

  void PostToHostThread(std::function<void()> task) override {
    standin::TheDesktop().Post(std::move(task));
  }

  HttpResult HttpGet(const std::string& url, std::size_t max_body_bytes,
                     std::stop_token stop) override {
    return CurlHttpGet(url, max_body_bytes, std::move(stop));
  }

  std::uint32_t MachineId() override {
    static const std::uint32_t id = HashMachineText();
    return id;
  }

  void ShowNotice(const std::string& caption, const std::string& text,
                  std::stop_token /*stop*/) override {
    standin::TheDesktop().ShowNotice(caption, text);
  }

  bool SetClipboardText(const std::string& text) override {
    standin::TheDesktop().SetClipboardText(text);
    return true;
  }

  void PlayAlarmSound(const std::string& /*display*/) override { alarm_.Play(); }

  Drawing& DrawingService() override { return drawing_; }
  // Dialogs run headless: nobody sits at a Linux stand-in host, so a dialog without a script
  // closes at once as by its close box, and the standard dialogs are cancelled.
  ButtonColours SystemButtonColours() override { return kDefaultButtonColours; }
  int RunModalDialog(const DialogRequest& request) override { return RunHeadlessDialog(request); }
  std::optional<ColorRef> ChooseColour(const ColourRequest& /*request*/) override {
    return std::nullopt;
  }
  void ShowValidationMessage(const std::string& /*text*/) override {}
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& /*request*/) override {
    return std::nullopt;
  }

 private:
  AlarmPlayer alarm_;
  CairoDrawing drawing_;
};

}  // namespace

Env& Env::Default() {
  static PosixEnv env;
  return env;
}

}  // namespace kestrava
