#include "tools/kestrava-sim/sim_env.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "platform/interruptible_sleep.h"

namespace kestrava::sim {

SimEnv::SimEnv(Env& target, std::int64_t start_unix_millis, std::filesystem::path output_folder)
    : EnvWrapper(target),
      output_folder_(std::move(output_folder)),
      start_(start_unix_millis),
      now_(start_unix_millis) {}

SimEnv::~SimEnv() { JoinWorkers(std::chrono::seconds(5)); }

void SimEnv::SetListener(Listener* listener) {
  std::lock_guard lock(mutex_);
  listener_ = listener;
}

SimEnv::Listener* SimEnv::listener() {
  std::lock_guard lock(mutex_);
  return listener_;
}

SystemTime SimEnv::NowUtc() { return SystemTimeFromUnixMillis(NowUnixMillis()); }

std::int64_t SimEnv::NowUnixSeconds() {
  const std::int64_t millis = NowUnixMillis();
  return millis / 1000 - (millis % 1000 < 0 ? 1 : 0);
}

std::int64_t SimEnv::NowUnixMillis() {
  std::lock_guard lock(mutex_);
  return now_;
}

std::int64_t SimEnv::ElapsedMillis() {
  std::lock_guard lock(mutex_);
  return now_ - start_;
}

bool SimEnv::SleepUntil(std::int64_t deadline, std::stop_token stop) {
  return SleepUntilMillis(deadline * 1000, std::move(stop));
}

bool SimEnv::SleepFor(std::chrono::milliseconds duration, std::stop_token stop) {
  return SleepUntilMillis(NowUnixMillis() + duration.count(), std::move(stop));
}

bool SimEnv::SleepUntilMillis(std::int64_t deadline, std::stop_token stop) {
  std::unique_lock lock(mutex_);
  if (stop.stop_requested()) return false;
  if (now_ >= deadline) return true;
  Sleeper me{deadline, sleep_count_++, false};
  sleepers_.push_back(&me);
  ++asleep_;
  changed_.notify_all();
  WaitUnlessStopped(changed_, lock, stop, [&] { return me.woken; });
  if (me.woken) return true;
  sleepers_.remove(&me);  // stopped first
  --asleep_;
  changed_.notify_all();
  return false;
}

void SimEnv::SetNow(std::int64_t unix_millis) {
  {
    std::lock_guard lock(mutex_);
    now_ = std::max(now_, unix_millis);
  }
  changed_.notify_all();
}

bool SimEnv::WakeNextSleeperDueBy(std::int64_t unix_millis) {
  {
    std::lock_guard lock(mutex_);
    const auto first = std::min_element(
        sleepers_.begin(), sleepers_.end(), [](const Sleeper* a, const Sleeper* b) {
          return a->deadline != b->deadline ? a->deadline < b->deadline : a->order < b->order;
        });
    if (first == sleepers_.end() || (*first)->deadline > unix_millis) return false;
    Sleeper* sleeper = *first;
    sleepers_.erase(first);
    now_ = std::max(now_, sleeper->deadline);
    sleeper->woken = true;
    --asleep_;
  }
  changed_.notify_all();
  return true;
}

bool SimEnv::WaitIdle(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  if (running_ == asleep_) return true;  // the usual case, without reading the clock
  return changed_.wait_for(lock, limit, [this] { return running_ == asleep_; });
}

std::thread SimEnv::StartThread(std::function<void()> body) {
  std::lock_guard lock(mutex_);
  JoinEndedLocked();
  Worker& worker = workers_.emplace_back();
  try {
    worker.thread = std::thread([this, &worker, body = std::move(body)]() mutable {
      try {
        body();
      } catch (...) {
        // A worker's failure ends only that worker.
      }
      body = nullptr;  // release what the worker owned before it counts as ended
      {
        std::lock_guard end_lock(mutex_);
        worker.ended = true;
        --running_;
      }
      changed_.notify_all();
    });
    ++running_;
  } catch (const std::system_error&) {
    // No thread could be started: the body never runs, as with a failed thread start.
    workers_.pop_back();
  }
  return std::thread();
}

void SimEnv::JoinEndedLocked() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->ended) {
      if (it->thread.joinable()) it->thread.join();  // its body has returned
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

void SimEnv::PostToHostThread(std::function<void()> task) {
  std::lock_guard lock(mutex_);
  tasks_.push_back(std::move(task));
}

int SimEnv::RunPostedTasks() {
  int ran = 0;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty()) return ran;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
    ++ran;
  }
}

bool SimEnv::JoinWorkers(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  const bool all_ended = changed_.wait_for(lock, limit, [this] { return running_ == 0; });
  JoinEndedLocked();
  // Threads still running past the limit are left to end on their own; their records stay.
  for (Worker& worker : workers_) worker.thread.detach();
  return all_ended;
}

std::string SimEnv::ResolvePath(const std::string& path) const {
  if (path.empty()) return path;
  try {
    const std::filesystem::path given(path);
    return given.is_relative() ? (output_folder_ / given).string() : path;
  } catch (const std::exception&) {
    return path;  // not a path of this system: left for the file operation to refuse
  }
}

AppendResult SimEnv::AppendLine(const std::string& path, std::string_view line) {
  AppendResult result = EnvWrapper::AppendLine(ResolvePath(path), line);
  if (Listener* l = listener()) l->LineAppended(path, line, result.appended);
  return result;
}

void SimEnv::ShowNotice(const std::string& caption, const std::string& text,
                        std::stop_token /*stop*/) {
  if (Listener* l = listener()) l->NoticeShown(caption, text);
}

bool SimEnv::SetClipboardText(const std::string& text) {
  if (Listener* l = listener()) l->ClipboardSet(text);
  return true;
}

void SimEnv::PlayAlarmSound(const std::string& display) {
  if (Listener* l = listener()) l->AlarmPlayed(display);
}

void SimEnv::SetDialogPerson(DialogPerson* person) { dialog_person_ = person; }

int SimEnv::RunModalDialog(const DialogRequest& request) {
  // Always scripted: a dialog waiting for a real person would stop the simulation.
  DialogPerson* const person = dialog_person_;
  const DialogScript script = [person](DialogUser& user) {
    if (person != nullptr) person->Act(user);
  };
  const std::string outer_dialog = open_dialog_;
  std::string caption;
  DialogRequest scripted = request;
  scripted.script = &script;
  scripted.on_open = [this, &request, &caption](DialogUser& user) {
    caption = user.Caption();
    open_dialog_ = caption;
    if (Listener* l = listener()) l->DialogOpened(caption, user.State());
    if (request.on_open) request.on_open(user);
  };
  scripted.on_close = [this, &request, &caption](DialogUser& user, int result) {
    if (request.on_close) request.on_close(user, result);
    if (Listener* l = listener()) l->DialogClosed(caption, result, user.State());
  };
  const int result = EnvWrapper::RunModalDialog(scripted);
  open_dialog_ = outer_dialog;
  return result;
}

std::optional<ColorRef> SimEnv::ChooseColour(const ColourRequest& request) {
  std::optional<ColorRef> answer;
  if (dialog_person_ != nullptr) answer = dialog_person_->ColourAnswer();
  if (Listener* l = listener()) l->ColourDialogShown(request, answer);
  return answer;
}

void SimEnv::ShowValidationMessage(const std::string& text) {
  if (Listener* l = listener()) l->DialogMessage(open_dialog_, text);
}

std::optional<std::string> SimEnv::ChooseSaveFile(const SaveFileRequest& request) {
  std::optional<std::string> answer;
  if (dialog_person_ != nullptr) answer = dialog_person_->SaveFileAnswer();
  if (Listener* l = listener()) l->SaveFileDialogShown(request, answer);
  return answer;
}

}  // namespace kestrava::sim
