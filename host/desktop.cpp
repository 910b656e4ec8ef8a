#include "host/desktop.h"

#include <utility>

namespace standin {

void Desktop::Post(std::function<void()> task) {
  std::lock_guard lock(mutex_);
  tasks_.push_back(std::move(task));
}

int Desktop::RunPostedTasks() {
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

bool Desktop::HasPostedTasks() {
  std::lock_guard lock(mutex_);
  return !tasks_.empty();
}

void Desktop::ShowNotice(const std::string& caption, const std::string& text) {
  NoticeObserver observer;
  {
    std::lock_guard lock(mutex_);
    observer = notice_observer_;
  }
  if (observer) observer(caption, text);
}

void Desktop::SetNoticeObserver(NoticeObserver observer) {
  std::lock_guard lock(mutex_);
  notice_observer_ = std::move(observer);
}

void Desktop::SetClipboardText(const std::string& text) {
  ClipboardObserver observer;
  {
    std::lock_guard lock(mutex_);
    clipboard_ = text;
    observer = clipboard_observer_;
  }
  if (observer) observer(text);
}

std::string Desktop::ClipboardText() {
  std::lock_guard lock(mutex_);
  return clipboard_;
}

void Desktop::SetClipboardObserver(ClipboardObserver observer) {
  std::lock_guard lock(mutex_);
  clipboard_observer_ = std::move(observer);
}

Desktop& TheDesktop() {
  static Desktop desktop;
  return desktop;
}

}  // namespace standin
