#include "tests/support/fake_env.h"

#include <algorithm>

#include "platform/headless/headless_dialog.h"
#include "platform/interruptible_sleep.h"

namespace kestrava::testing {

void FakeEnv::SetUnixMillis(std::int64_t millis) {
  {
    std::lock_guard lock(mutex_);
    unix_millis_ = millis;
  }
  clock_changed_.notify_all();
}

void FakeEnv::SetUtc(int year, int month, int day, int hour, int minute, int second) {
  SystemTime t;
  t.wYear = static_cast<std::uint16_t>(year);
  t.wMonth = static_cast<std::uint16_t>(month);
  t.wDay = static_cast<std::uint16_t>(day);
  t.wHour = static_cast<std::uint16_t>(hour);
  t.wMinute = static_cast<std::uint16_t>(minute);
  t.wSecond = static_cast<std::uint16_t>(second);
  SetUnixMillis(UnixMillisFromSystemTime(t));
}

void FakeEnv::AdvanceSeconds(std::int64_t seconds) {
  std::int64_t now = 0;
  {
    std::lock_guard lock(mutex_);
    now = unix_millis_;
  }
  SetUnixMillis(now + seconds * 1000);
}

SystemTime FakeEnv::NowUtc() {
  std::lock_guard lock(mutex_);
  return SystemTimeFromUnixMillis(unix_millis_);
}

std::int64_t FakeEnv::NowUnixSeconds() {
  std::lock_guard lock(mutex_);
  return unix_millis_ / 1000;
}

bool FakeEnv::SleepUntil(std::int64_t deadline, std::stop_token stop) {
  std::unique_lock lock(mutex_);
  return WaitUnlessStopped(clock_changed_, lock, stop,
                           [&] { return unix_millis_ / 1000 >= deadline; });
}

bool FakeEnv::SleepFor(std::chrono::milliseconds duration, std::stop_token stop) {
  std::unique_lock lock(mutex_);
  const std::int64_t until = unix_millis_ + duration.count();
  return WaitUnlessStopped(clock_changed_, lock, stop, [&] { return unix_millis_ >= until; });
}

AppendResult FakeEnv::AppendLine(const std::string& path, std::string_view line) {
  std::lock_guard lock(mutex_);
  if (std::find(unwritable.begin(), unwritable.end(), path) != unwritable.end()) {
    return AppendResult::Failed(kAppendReasonDenied);
  }
  files[path].emplace_back(line);
  return AppendResult::Appended();
}

std::thread FakeEnv::StartThread(std::function<void()> body) {
  return std::thread(std::move(body));
}

void FakeEnv::PostToHostThread(std::function<void()> task) {
  std::lock_guard lock(mutex_);
  posted_.push_back(std::move(task));
}

int FakeEnv::RunPostedTasks() {
  int ran = 0;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard lock(mutex_);
      if (posted_.empty()) return ran;
      task = std::move(posted_.front());
      posted_.pop_front();
    }
    task();
    ++ran;
  }
}

HttpResult FakeEnv::HttpGet(const std::string& url, std::size_t max_body_bytes,
                            std::stop_token /*stop*/) {
  std::lock_guard lock(mutex_);
  http_requests.push_back(url);
  for (const auto& [prefix, body] : http_bodies) {
    if (url.rfind(prefix, 0) == 0) return HttpResponse{200, body.substr(0, max_body_bytes)};
  }
  return HttpFailure::kRefused;
}

void FakeEnv::ShowNotice(const std::string& caption, const std::string& text,
                         std::stop_token /*stop*/) {
  std::lock_guard lock(mutex_);
  notices.emplace_back(caption, text);
}

bool FakeEnv::SetClipboardText(const std::string& text) {
  std::lock_guard lock(mutex_);
  clipboard.push_back(text);
  return true;
}

void FakeEnv::PlayAlarmSound(const std::string& display) {
  {
    std::lock_guard lock(mutex_);
    ++alarms;
    alarm_displays.push_back(display);
  }
  alarm_played_.notify_all();
}

int FakeEnv::WaitForAlarms(int count, std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  alarm_played_.wait_for(lock, limit, [&] { return alarms >= count; });
  return alarms;
}

int FakeEnv::RunModalDialog(const DialogRequest& request) {
  if (request.script != nullptr || !dialog_script) return RunHeadlessDialog(request);
  DialogRequest scripted = request;
  scripted.script = &dialog_script;
  return RunHeadlessDialog(scripted);
}

std::optional<ColorRef> FakeEnv::ChooseColour(const ColourRequest& request) {
  colour_requests.push_back(request);
  shown_in_order.emplace_back("colour dialog");
  if (colour_answers.empty()) return std::nullopt;
  const std::optional<ColorRef> answer = colour_answers.front();
  colour_answers.pop_front();
  return answer;
}

void FakeEnv::ShowValidationMessage(const std::string& text) {
  validation_messages.push_back(text);
  shown_in_order.push_back(text);
}

std::optional<std::string> FakeEnv::ChooseSaveFile(const SaveFileRequest& request) {
  save_file_requests.push_back(request);
  shown_in_order.emplace_back("save-file dialog");
  if (save_file_answers.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(save_file_answers.front());
  save_file_answers.pop_front();
  return answer;
}

}  // namespace kestrava::testing
